#include "serial/envoimemo.h"

#include "instruments/notation.h"
#include "serial/apdcomport.h"

#include <QPlainTextEdit>

void EnvoieEtNote(TApdComPort* port, const QByteArray& octets, const QByteArray& note,
                  QPlainTextEdit* journal) {
    if (!port || !port->Open()) {
        journal->appendPlainText(QStringLiteral("Envoi impossible : pas de voie série ouverte"));
        return;
    }
    try {
        port->PutString(octets);
        journal->appendPlainText(QStringLiteral("Envoi de : ") + CodeEnTexte(note));
    } catch (const EAPDException& e) {
        journal->appendPlainText(QStringLiteral("Erreur de la voie série : ") + e.texte());
    }
}
