#include "app/enregistreur.h"

#include "acquisition/acquisition.h"
#include "acquisition/duree.h"
#include "app/horloge.h"
#include "app/signaux.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "serial/tableports.h"
#include "settings/fichierini.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>

namespace {
enum Sortie { fini = 0, ligneCommande = 2, miseEnPlace = 3, fichier = 4, port = 5, vide = 6 };

// The ports a set-up file names, checked before anything is bound: without a window nobody
// would notice an instrument moved to another port.
QString PortsAbsents(const QString& nom) {
    const TFichierIni ini(TAcquisition::NomFichierConfig(nom));
    const QString section = QStringLiteral("Acquisition");
    const int voies = std::clamp(ini.ReadInteger(section, QStringLiteral("Nvoies"), 1), 0,
                                 int(TAcquisition::MaxVoies));
    QStringList absents;
    for (int i = 0; i < voies; ++i) {
        const int com = ini.ReadInteger(section, QStringLiteral("COM%1").arg(i), 1);
        if (!PortExiste(com)) absents << QStringLiteral("COM%1 (%2)").arg(com).arg(cheminPort(com));
    }
    absents.removeDuplicates();
    return absents.join(QStringLiteral(", "));
}

// A file that can be written there, tried before the run rather than after it.
bool Inscriptible(const QString& chemin) {
    QSaveFile essai(chemin);
    const bool ouvert = essai.open(QIODevice::WriteOnly);
    essai.cancelWriting();
    return ouvert;
}

QString LigneProgres(const TAcquisition& a, int i) {
    const TEchantillons& g = a.graphe;
    QString ligne = QStringLiteral("%1  %2=%3 %4")
                        .arg(i + 1, 4)
                        .arg(g.mondeX.Nom, FormatCourt(g.mondeX.valeur[i]), g.mondeX.Unite);
    for (int v = 0; v < g.NbreVoies; ++v)
        if (const Tappareil* A = a.AppareilAcq[v])
            ligne += QStringLiteral("  ") + A->NomValeurUnite(g.mondeY[v].valeur[i]);
    if (a.ModeAcq == maTemps || a.ModeAcq == maAppareilMaitre)
        ligne += QStringLiteral("  (") +
                 FormatDuree(qint32(EcartSecondes(heureDuJour(), a.InstantDebut))) +
                 QLatin1Char(')');
    return ligne;
}
} // namespace

QString TexteAideLigneCommande() {
    return QStringLiteral(
        "Utilisation :\n"
        "  telmira [FICHIER.tm2]\n"
        "      ouvre la fenêtre ; une configuration donnée est chargée (à la copie déjà\n"
        "      ouverte, s'il y en a une).\n"
        "  telmira --acquiert CONFIG.tm2\n"
        "      ouvre la fenêtre, charge la configuration et lance l'acquisition dès que les\n"
        "      appareils ont répondu (10 s au plus) ; une copie déjà ouverte reçoit\n"
        "      seulement le fichier.\n"
        "  telmira --enregistre CONFIG.tm2 --sortie FICHIER.kw3|.txt|.csv\n"
        "      enregistre sans fenêtre jusqu'à la fin de la durée, du nombre de points ou\n"
        "      du dosage (Ctrl+C arrête et garde ce qui est enregistré), puis écrit FICHIER.\n"
        "      Codes de sortie : 0 terminé, 2 ligne de commande, 3 configuration\n"
        "      inutilisable, 4 fichier non inscriptible, 5 port absent, 6 rien enregistré.\n"
        "  telmira --macro \"MACRO\"\n"
        "      envoie une macro (CONFIG|LOAD(chemin), GETDATA...) à la copie ouverte.\n"
        "  telmira --aide\n"
        "      affiche cette aide.\n");
}

int Enregistre(const QStringList& arguments, QTextStream& journal) {
    QString config, sortie;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--enregistre") && i + 1 < arguments.size())
            config = arguments[++i];
        else if (a == QLatin1String("--sortie") && i + 1 < arguments.size())
            sortie = arguments[++i];
        else {
            journal << QStringLiteral("Option inconnue ou incomplète : ") << a << '\n'
                    << TexteAideLigneCommande();
            return ligneCommande;
        }
    }
    if (config.isEmpty() || sortie.isEmpty()) {
        journal << QStringLiteral("Il faut --enregistre CONFIG.tm2 et --sortie FICHIER.\n")
                << TexteAideLigneCommande();
        return ligneCommande;
    }
    const QString extension = QFileInfo(sortie).suffix().toLower();
    if (extension != QLatin1String("kw3") && extension != QLatin1String("txt") &&
        extension != QLatin1String("csv")) {
        journal << QStringLiteral("Le fichier de sortie doit finir par .kw3, .txt ou .csv : ")
                << sortie << '\n';
        return ligneCommande;
    }
    if (!Inscriptible(sortie)) {
        journal << QStringLiteral("Impossible d'écrire ") << sortie << '\n';
        return fichier;
    }
    const QString nomConfig = TAcquisition::NomFichierConfig(config);
    if (!QFileInfo(nomConfig).isFile()) {
        journal << QStringLiteral("Fichier de configuration introuvable : ") << nomConfig << '\n';
        return miseEnPlace;
    }
    journal.flush();
    if (!moduleAppareils().ChargeAppareils()) return miseEnPlace;
    if (const QString absents = PortsAbsents(nomConfig); !absents.isEmpty()) {
        journal << QStringLiteral("Port absent : ") << absents << '\n';
        return port;
    }

    TAcquisition acq;
    const int modeDemande = TFichierIni(nomConfig).ReadInteger(QStringLiteral("Acquisition"),
                                                               QStringLiteral("Mode"), 0);
    if (!acq.LitConfig(nomConfig) || acq.graphe.NbreVoies == 0) {
        journal << QStringLiteral("Configuration inutilisable : ") << nomConfig << '\n';
        return miseEnPlace;
    }
    // A titration whose burette cannot be used is not silently turned into a time base.
    if (modeDemande == maBuretteTelmira && acq.ModeAcq != maBuretteTelmira) {
        journal << QStringLiteral("Burette absente ou muette sur COM%1 (%2)")
                       .arg(acq.burette().ComNumber)
                       .arg(cheminPort(acq.burette().ComNumber))
                << '\n';
        return port;
    }
    for (int v = 0; v < acq.graphe.NbreVoies; ++v)
        if (!acq.AppareilAcq[v] || !acq.AppareilAcq[v]->VoieSerieOK) {
            journal << QStringLiteral("Port absent ou refusé : COM%1 (%2)")
                           .arg(acq.AppareilAcq[v] ? acq.AppareilAcq[v]->ComNumber : 0)
                           .arg(acq.AppareilAcq[v] ? acq.AppareilAcq[v]->NomAppareil : QString())
                    << '\n';
            return port;
        }
    if (acq.ModeAcq == maIncrement || acq.ModeAcq == maClavier) {
        journal << QStringLiteral("Ce mode demande quelqu'un au clavier : l'enregistrement sans "
                                  "fenêtre prend la base de temps, l'appareil maître ou le "
                                  "dosage.\n");
        return miseEnPlace;
    }

    journal << QStringLiteral("Enregistrement de %1 voie(s) vers %2")
                   .arg(acq.graphe.NbreVoies)
                   .arg(sortie);
    if (acq.ModeAcq == maTemps)
        journal << QStringLiteral(", durée %1, δt %2 s")
                       .arg(FormatDuree(acq.DureeMesure))
                       .arg(acq.DeltatMesure);
    journal << '\n';
    journal.flush();
    QObject::connect(&acq, &TAcquisition::echantillonAjoute, &acq, [&](int i) {
        journal << LigneProgres(acq, i) << '\n';
        journal.flush();
    });
    QObject::connect(&acq, &TAcquisition::problemeChange, &acq, [&](const QString& texte) {
        journal << (texte.isEmpty() ? QStringLiteral("Toutes les voies répondent") : texte) << '\n';
        journal.flush();
    });
    QObject::connect(&acq, &TAcquisition::acquisitionTerminee, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    TSignauxArret signaux;
    QObject::connect(&signaux, &TSignauxArret::arretDemande, &acq, [&] {
        journal << QStringLiteral("Arrêt demandé : ce qui est enregistré est gardé.\n");
        journal.flush();
        if (acq.EtatAcq == eaEnCours)
            acq.Termine();
        else
            QCoreApplication::quit();
    });
    // A titration or a master instrument records a first sample at once: it waits for the
    // channels' first readings, as a user does before pressing "Acquérir" (10 s at most).
    if (acq.ModeAcq != maTemps) {
        QTimer attente;
        attente.setSingleShot(true);
        attente.start(10000);
        while (!acq.VoiesLues() && attente.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    acq.Acquerir();
    if (acq.EtatAcq == eaEnCours) QCoreApplication::exec();
    acq.LibereVoies();

    const int n = acq.graphe.NbrePoints;
    if (n == 0) {
        journal << QStringLiteral("Aucun échantillon enregistré.\n");
        return vide;
    }
    if (!acq.EnregistreFichier(sortie)) return fichier;
    journal << QStringLiteral("%1 échantillons écrits dans %2\n").arg(n).arg(sortie);
    return fini;
}
