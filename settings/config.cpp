#include "app/dialogues.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"
#include "settings/reglages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace {
const QString secAcquisition = QStringLiteral("Acquisition");
const QString secBalayage = QStringLiteral("Balayage");
const QString secClavier = QStringLiteral("Clavier");
const QString filtreConfig = QStringLiteral("Configuration Telmira (*.tm2)|*.tm2");
const QString cleTraceActif = QStringLiteral("FichierTrace/Actif");
constexpr qint64 tailleMaxConfig = 16 * 1024 * 1024;

// A set-up that cannot be loaded; its text completes "Erreur lecture <path>".
struct EchecLecture {
    QString raison;
};
} // namespace

QString TCinetiqueMain::NomFichierConfig(const QString& NomFichier) {
    const QString extension = QFileInfo(NomFichier).suffix();
    // On a case-sensitive file system "X.TM2" is the file the user named, not "X.tm2".
    if (extension.compare(QLatin1String("tm2"), Qt::CaseInsensitive) == 0) return NomFichier;
    if (extension.isEmpty())
        return NomFichier.endsWith(u'.') ? NomFichier + QStringLiteral("tm2")
                                         : NomFichier + QStringLiteral(".tm2");
    return NomFichier.chopped(extension.size()) + QStringLiteral("tm2");
}

bool TCinetiqueMain::LitConfig(const QString& NomFichier) {
    const QString nom = NomFichierConfig(NomFichier);
    if (!QFileInfo(nom).isFile()) return false;
    Timer->stop();
    try {
        QFile fichier(nom);
        // A set-up is a few kilobytes: anything huge is not one, and is not read into memory.
        if (!fichier.open(QIODevice::ReadOnly) || fichier.size() > tailleMaxConfig)
            throw EchecLecture{};
        const TFichierIni Ini = TFichierIni::depuisOctets(fichier.readAll());
        if (fichier.error() != QFileDevice::NoError) throw EchecLecture{};
        fichier.close();

        // Values a hand-edited file may carry are brought back to what the engine can run.
        DeltatMesure = quint16(
            std::clamp(Ini.ReadInteger(secAcquisition, QStringLiteral("Deltat"), 1), 1, 3600));
        DureeMesure = std::max(Ini.ReadInteger(secAcquisition, QStringLiteral("Duree"), 128), 1);
        graphe.NbreVoies = std::clamp(Ini.ReadInteger(secAcquisition, QStringLiteral("Nvoies"), 1),
                                      0, int(Tgraphe::MaxVoies));
        CodeBeep = Ini.ReadInteger(secBalayage, QStringLiteral("Beep"), 0);
        const qint32 abscisse = Ini.ReadInteger(secBalayage, QStringLiteral("Abscisse"), 0);
        graphe.AbscisseMaitre =
            abscisse >= amTemps && abscisse <= amVoie0 ? TabscisseMaitre(abscisse) : amTemps;
        const qint32 mode = Ini.ReadInteger(secAcquisition, QStringLiteral("Mode"), 0);
        ModeAcq = mode >= maTemps && mode <= maBuretteTelmira ? TModeAcq(mode) : maTemps;

        quint32 delais = 0;
        const QString nomCommun = Ini.ReadString(secAcquisition, QStringLiteral("Nom"), QString());
        for (int i = 0; i < graphe.NbreVoies; ++i) {
            QString nomApp =
                Ini.ReadString(secAcquisition, QStringLiteral("Nom%1").arg(i), QString());
            if (nomApp.isEmpty()) nomApp = nomCommun;
            const qint32 port = Ini.ReadInteger(secAcquisition, QStringLiteral("COM%1").arg(i), 1);

            Tappareil* trouve = nullptr;
            if (!nomApp.isEmpty())
                for (const auto& a : moduleAppareils().listeAppareil)
                    if (a->NomAppareil == nomApp) trouve = a.get();
            if (trouve) AppareilAcq[i] = trouve;
            if (!AppareilAcq[i]) {
                // Only the channels already set stay in use.
                graphe.NbreVoies = i;
                throw EchecLecture{nomApp.isEmpty()
                                       ? QStringLiteral("aucun appareil pour la voie %1").arg(i + 1)
                                       : QStringLiteral("appareil inconnu « %1 »").arg(nomApp)};
            }
            Tappareil& A = *AppareilAcq[i];
            // A file that names an instrument without describing it keeps the description at
            // hand instead of resetting it to the defaults.
            if (!nomApp.isEmpty() && Ini.SectionExists(nomApp)) {
                A.LitIni(nomApp, Ini);
                // The symbols the code page cannot hold come back as from the device file.
                NormaliseGrandeur(A);
            }
            A.ComNumber = quint16(port >= 1 && port <= 50 ? port : 1);
            delais += A.Delai;
        }
        DeltatMin = quint16(delais / 1000 + 1);

        if (ModeAcq == maClavier) {
            Tmonde& X = graphe.mondeX;
            X.mini = Ini.ReadFloat(secClavier, QStringLiteral("Mini"), X.mini);
            X.maxi = Ini.ReadFloat(secClavier, QStringLiteral("Maxi"), X.maxi);
            X.Nom = Ini.ReadString(secClavier, QStringLiteral("Nom"), X.Nom);
            X.Unite = Ini.ReadString(secClavier, QStringLiteral("Unite"), X.Unite);
        }
        PagePermise = false;
        InitAttente();
        return EtatAcq != eaNone || graphe.NbreVoies == 0;
    } catch (const EchecLecture& e) {
        QString texte = QStringLiteral("Erreur lecture ") + QDir::toNativeSeparators(nom);
        if (!e.raison.isEmpty()) texte += QStringLiteral(" : ") + e.raison;
        LiePanneauxVoies();
        SetEtatAcq(eaNone);
        dialogues().erreur(texte);
    } catch (const std::exception&) {
        SetEtatAcq(eaNone);
        dialogues().erreur(QStringLiteral("Erreur lecture ") + QDir::toNativeSeparators(nom));
    }
    return false;
}

bool TCinetiqueMain::SauveConfig(const QString& NomFichier) {
    const QString nom = NomFichierConfig(NomFichier);
    // What the file already holds stays, other sections and keys in place.
    TFichierIni Ini(nom);
    Ini.setChemin(nom);
    Ini.WriteInteger(secAcquisition, QStringLiteral("Deltat"), DeltatMesure);
    Ini.WriteInteger(secAcquisition, QStringLiteral("Duree"), DureeMesure);
    Ini.WriteInteger(secBalayage, QStringLiteral("Beep"), CodeBeep);
    Ini.WriteInteger(secAcquisition, QStringLiteral("Nvoies"), graphe.NbreVoies);
    Ini.WriteInteger(secAcquisition, QStringLiteral("Mode"), ModeAcq);
    Ini.WriteInteger(secBalayage, QStringLiteral("Abscisse"), graphe.AbscisseMaitre);
    for (int i = 0; i < graphe.NbreVoies && i < Tgraphe::MaxVoies; ++i) {
        const Tappareil* A = AppareilAcq[i];
        if (!A) continue;
        Ini.WriteString(secAcquisition, QStringLiteral("Nom%1").arg(i), A->NomAppareil);
        Ini.WriteInteger(secAcquisition, QStringLiteral("COM%1").arg(i), A->ComNumber);
        A->EcritIni(Ini);
    }
    if (ModeAcq == maClavier) {
        const Tmonde& X = graphe.mondeX;
        Ini.WriteFloat(secClavier, QStringLiteral("Mini"), X.mini);
        Ini.WriteFloat(secClavier, QStringLiteral("Maxi"), X.maxi);
        Ini.WriteString(secClavier, QStringLiteral("Nom"), X.Nom);
        Ini.WriteString(secClavier, QStringLiteral("Unite"), X.Unite);
    }
    if (Ini.UpdateFile()) return true;
    dialogues().erreur(QStringLiteral("Erreur écriture ") + QDir::toNativeSeparators(nom));
    return false;
}

bool TCinetiqueMain::PerteDonneesAcceptee() {
    if (graphe.NbrePoints == 0 || dataSaved) return true;
    return dialogues().confirme(QStringLiteral("Perte des données courantes ?"));
}

void TCinetiqueMain::ChargeconfigItemClick() {
    if (!PerteDonneesAcceptee()) return;
    // The readings pause while the box is open; a cancelled box gives them back.
    SuspendAcq();
    SetEtatAcq(eaNone);
    const QString nom = dialogues().choisitFichier(false, QStringLiteral("Lecture configuration"),
                                                   filtreConfig, QStringLiteral("tm2"), QString());
    if (nom.isEmpty()) {
        SetEtatAcq(sauveEtat);
        RepriseAcq();
        return;
    }
    LitConfig(nom);
}

void TCinetiqueMain::SauveconfigItemClick() {
    const QString nom = dialogues().choisitFichier(true, QStringLiteral("Sauvegarde données"),
                                                   filtreConfig, QStringLiteral("TM2"), QString());
    if (!nom.isEmpty()) SauveConfig(nom);
}

void TCinetiqueMain::ChargeArgument(const QString& argument) {
    if (!argument.endsWith(QLatin1String(".tm2"), Qt::CaseInsensitive)) return;
    if (!PerteDonneesAcceptee()) return;
    LitConfig(argument);
}

bool TCinetiqueMain::LitTraceActif() {
    return ouvreReglages()->value(cleTraceActif, true).toBool();
}

void TCinetiqueMain::EcritTraceActif(bool actif) {
    ouvreReglages()->setValue(cleTraceActif, actif ? QStringLiteral("1") : QStringLiteral("0"));
}

void TCinetiqueMain::ConnecteConfig() {
    connect(ChargeConfigItem, &QAction::triggered, this, &TCinetiqueMain::ChargeconfigItemClick);
    connect(EnregistreConfigItem, &QAction::triggered, this, &TCinetiqueMain::SauveconfigItemClick);
}
