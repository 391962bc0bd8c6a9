#pragma once

// Instruments played on pseudo-terminals for the acquisition tests: a polled one answering each
// request, and the descriptions that read them.
#include "app/horloge.h"
#include "instruments/appareil.h"
#include "terminalsimule.h"

#include <functional>
#include <memory>
#include <vector>

// An instrument answering each request ended by CR with the text made by `reponse`, given the
// request's rank from 1; it stays silent while `muet` is set.
class InstrumentSimule {
public:
    using Reponse = std::function<QByteArray(int rang, const QByteArray& demande)>;

    InstrumentSimule(int com, Reponse r) : com_(com), reponse_(std::move(r)) {
        qputenv(QStringLiteral("TELMIRA_COM%1").arg(com).toLatin1(),
                terminal.slave().toLocal8Bit());
        terminal.setRepondeur([this](const QByteArray& recu) {
            QByteArray sortie;
            attente_ += recu;
            qsizetype fin;
            while ((fin = attente_.indexOf('\r')) >= 0) {
                const QByteArray demande = attente_.left(fin + 1);
                attente_.remove(0, fin + 1);
                ++demandes;
                instants.push_back(horloge().millisecondes());
                vues.push_back(demande);
                if (!muet) sortie += reponse_(demandes, demande);
            }
            return sortie;
        });
    }
    ~InstrumentSimule() { qunsetenv(QStringLiteral("TELMIRA_COM%1").arg(com_).toLatin1()); }

    TerminalSimule terminal;
    int demandes = 0;
    bool muet = false;
    std::vector<quint32> instants;
    std::vector<QByteArray> vues;

private:
    int com_;
    Reponse reponse_;
    QByteArray attente_;
};

// A polled instrument of variable layout on port `com`, range 0..14.
inline std::unique_ptr<Tappareil> appareilSurDemande(quint16 com, const QByteArray& demande,
                                                     const QString& symbole = QStringLiteral("pH"),
                                                     quint8 numero = 1) {
    auto a = std::make_unique<Tappareil>();
    a->NomAppareil = QStringLiteral("Essai ") + symbole;
    a->SymboleGrandeur = symbole;
    a->UniteGrandeur = symbole == QLatin1String("pH") ? QString() : QStringLiteral("°C");
    a->ComNumber = com;
    a->Demande = demande;
    a->NumeroOrdre = numero;
    a->NbreLignes = 1;
    a->ValMini = 0;
    a->ValMaxi = 14;
    a->Precision = 4;
    a->Delai = 0;
    a->Derive = 0.1;
    return a;
}

// An instrument sending lines on its own, its number after the key "pH".
inline std::unique_ptr<Tappareil> appareilContinu(quint16 com) {
    auto a = appareilSurDemande(com, "pH");
    a->EnvoiDirect = true;
    a->DebutNombre = 3;
    return a;
}
