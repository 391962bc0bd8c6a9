#include "acquisition/acquisition.h"

#include "app/dialogues.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>

namespace {
const QString secAcquisition = QStringLiteral("Acquisition");
const QString secBalayage = QStringLiteral("Balayage");
const QString secClavier = QStringLiteral("Clavier");
constexpr qint64 tailleMaxConfig = 16 * 1024 * 1024;

// A set-up that cannot be loaded; its text completes "Erreur lecture <path>".
struct EchecLecture {
    QString raison;
};
} // namespace

QString TAcquisition::NomFichierConfig(const QString& NomFichier) {
    const QString extension = QFileInfo(NomFichier).suffix();
    // On a case-sensitive file system "X.TM2" is the file the user named, not "X.tm2".
    if (extension.compare(QLatin1String("tm2"), Qt::CaseInsensitive) == 0) return NomFichier;
    if (extension.isEmpty())
        return NomFichier.endsWith(u'.') ? NomFichier + QStringLiteral("tm2")
                                         : NomFichier + QStringLiteral(".tm2");
    return NomFichier.chopped(extension.size()) + QStringLiteral("tm2");
}

bool TAcquisition::LitConfig(const QString& NomFichier) {
    const QString nom = NomFichierConfig(NomFichier);
    if (!QFileInfo(nom).isFile()) return false;
    Timer.stop();
    // Whatever the old set-up had in flight is dropped before its instruments change; a
    // suspension around the file box ends with it.
    suspensions_ = 0;
    ++generation_;
    ++numeroCycle_;
    cycleEnCours_ = false;
    try {
        QFile fichier(nom);
        // A set-up is a few kilobytes: anything huge is not one, and is not read into memory.
        if (!fichier.open(QIODevice::ReadOnly) || fichier.size() > tailleMaxConfig)
            throw EchecLecture{};
        const TFichierIni Ini = TFichierIni::depuisOctets(fichier.readAll());
        if (fichier.error() != QFileDevice::NoError) throw EchecLecture{};
        fichier.close();

        // Values a hand-edited file may carry are brought back to what the engine can run.
        // δt is at most a minute, as the time-base controls allow.
        DeltatMesure = quint16(
            std::clamp(Ini.ReadInteger(secAcquisition, QStringLiteral("Deltat"), 1), 1, 60));
        DureeMesure = std::max(Ini.ReadInteger(secAcquisition, QStringLiteral("Duree"), 128), 1);
        graphe.NbreVoies = std::clamp(Ini.ReadInteger(secAcquisition, QStringLiteral("Nvoies"), 1),
                                      0, int(MaxVoies));
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
            Tappareil* autreCasse = nullptr;
            if (!nomApp.isEmpty())
                for (const auto& a : moduleAppareils().listeAppareil) {
                    if (a->NomAppareil == nomApp)
                        trouve = a.get();
                    else if (a->NomAppareil.compare(nomApp, Qt::CaseInsensitive) == 0)
                        autreCasse = a.get();
                }
            // The file's sections ignore case: a description named so is the one meant. Another
            // one renamed after it would share its section, and the next save would merge them.
            if (!trouve) trouve = autreCasse;
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
        SetEtatAcq(eaNone);
        Q_EMIT miseEnPlace();
        dialogues().erreur(texte);
    } catch (const std::exception&) {
        SetEtatAcq(eaNone);
        dialogues().erreur(QStringLiteral("Erreur lecture ") + QDir::toNativeSeparators(nom));
    }
    return false;
}

bool TAcquisition::SauveConfig(const QString& NomFichier) {
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
    for (int i = 0; i < graphe.NbreVoies && i < MaxVoies; ++i) {
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

bool TAcquisition::PerteDonneesAcceptee() {
    if (graphe.NbrePoints == 0 || dataSaved) return true;
    return dialogues().confirme(QStringLiteral("Perte des données courantes ?"));
}
