#include "acquisition/acquisition.h"

#include "app/cp1252.h"
#include "app/dialogues.h"
#include "exchange/donnees.h"
#include "instruments/appareil.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// The whole file goes to a temporary one that replaces the old file only once complete:
// a failure at any point leaves the previous file as it was.
bool EcritFichier(const QString& chemin, const QByteArray& octets) {
    QSaveFile fichier(chemin);
    return fichier.open(QIODevice::WriteOnly) && fichier.write(octets) == octets.size() &&
           fichier.commit();
}

QString MessageEcriture(const QString& chemin) {
    return QStringLiteral("Erreur d'écriture de ") + chemin;
}
} // namespace

// What a page appended to a file must share with the file's header.
QString TAcquisition::SignatureVoies() const {
    QString s = graphe.mondeX.Nom + QLatin1Char('\t') + graphe.mondeX.Unite;
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (const Tappareil* a = AppareilAcq[v])
            s += QLatin1Char('\n') + a->SymboleGrandeur + QLatin1Char('\t') + a->UniteGrandeur;
    return s;
}

bool TAcquisition::EnregistreFichier(const QString& chemin) {
    const QString extension = QFileInfo(chemin).suffix().toUpper();
    FormatKW3 = extension == QLatin1String("KW3");
    formatCSV = extension == QLatin1String("CSV");
    NomFichierData = chemin;
    QString texte;
    if (FormatKW3) {
        EcritEnteteKW3(texte, *this);
        EcritPageKW3(texte, *this);
    } else {
        EcritEnteteTexte(texte, *this, formatCSV);
        EcritPageTexte(texte, *this, formatCSV);
    }
    if (!EcritFichier(NomFichierData, versCp1252(texte))) {
        dataSaved = false;
        // The file on disk is not this page's: adding a page to it would mix two set-ups.
        PagePermise = false;
        dialogues().erreur(MessageEcriture(NomFichierData));
        return false;
    }
    signatureFichier_ = SignatureVoies();
    PagePermise = true;
    dataSaved = true;
    return true;
}

bool TAcquisition::pagePossible() const {
    return graphe.NbrePoints > 0 && PagePermise && !NomFichierData.isEmpty() &&
           signatureFichier_ == SignatureVoies();
}

// The old content and the new page go together to a temporary file that replaces the old one,
// so that a failure never leaves a torn file behind. A file written with other channels gets
// no page: its header would not describe the new rows.
bool TAcquisition::AjoutePage() {
    if (!pagePossible()) return false;
    QFile ancien(NomFichierData);
    if (!ancien.open(QIODevice::ReadOnly)) {
        dialogues().erreur(MessageEcriture(NomFichierData));
        return false;
    }
    QByteArray octets = ancien.readAll();
    const bool lu = ancien.error() == QFileDevice::NoError;
    ancien.close();
    QString page;
    if (FormatKW3)
        EcritPageKW3(page, *this);
    else
        EcritPageTexte(page, *this, formatCSV);
    octets += versCp1252(page);
    if (!lu || !EcritFichier(NomFichierData, octets)) {
        dialogues().erreur(MessageEcriture(NomFichierData));
        return false;
    }
    dataSaved = true;
    return true;
}

QString TAcquisition::TexteDonnees() {
    return ::TexteDonnees(*this);
}
