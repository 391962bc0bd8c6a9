// Arbitrary bytes loaded by the acquisition engine as a set-up file, over a small private device
// list and with no serial port at all (the size of the input chooses the decimal separator and
// whether an earlier set-up is there). Whatever the file holds, the set-up that starts is one the
// engine can run: at most nine channels, each reading a description of the list on a port
// 1..50, a time base of 8 to 2048 intervals of 1 to 60 s, the resting state of its mode. A load
// that fails says so and leaves the engine stopped with channels it can start again. What is
// loaded, saved and loaded again is the same set-up.
#include "../commun/banc.h"

#include "acquisition/acquisition.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <array>
#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
// The timers of the engine need an application; it lives as long as the process.
struct Application {
    Application() {
        static int argc = 1;
        static char nom[] = "fuzz_tm2";
        static char* argv[] = {nom, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
};

// Every save syncs its file to disk: a folder in memory, when the system has one, keeps the
// fuzzer fast.
QString modeleDossier() {
    const QFileInfo memoire(QStringLiteral("/dev/shm"));
    const QString parent =
        memoire.isDir() && memoire.isWritable() ? memoire.filePath() : QDir::tempPath();
    return parent + QStringLiteral("/fuzz_tm2-XXXXXX");
}

// Private settings and folders, no serial port, no trace file, a still clock, silent boxes.
struct Contexte {
    Application application;
    QTemporaryDir reglages{modeleDossier()};
    QTemporaryDir dossier{modeleDossier()};
    DialoguesScriptes* boites = nullptr;

    Contexte() {
        banc::reglagesPrives(reglages);
        banc::aucunPort();
        TAcquisition::EcritTraceActif(false);
        installeHorloge(std::make_unique<HorlogeManuelle>());
        auto d = std::make_unique<DialoguesScriptes>();
        boites = d.get();
        (void)installeDialogues(std::move(d));
    }
};

Contexte& contexte() {
    static Contexte c;
    return c;
}

// The line of the broken rule goes to the fuzzer's log.
void enfreinte(int ligne) {
    std::fprintf(stderr, "fuzz_tm2: règle de la ligne %d enfreinte\n", ligne);
    std::abort();
}
#define verifie(condition) ((condition) ? void() : enfreinte(__LINE__))

void ajoute(TFichierIni& ini, const QString& nom, const QString& grandeur, const QString& symbole,
            const QString& unite, quint16 delai, bool continu) {
    Tappareil a;
    a.NomAppareil = nom;
    a.nomGrandeur = grandeur;
    a.SymboleGrandeur = symbole;
    a.UniteGrandeur = unite;
    a.Delai = delai;
    a.EnvoiDirect = continu;
    a.Demande = continu ? QByteArray("S/cm") : QByteArray("GP\r");
    a.ValMaxi = 14;
    a.ComNumber = quint16(ini.ReadSection(QStringLiteral("Index")).size() + 1);
    a.EcritIni(ini);
    ini.WriteString(QStringLiteral("Index"), QString::number(a.ComNumber - 1), nom);
}

// A polled pH meter, a conductimeter that sends on its own, a slow thermometer and the built-in
// printout, each on its own port, read as the program reads its device file.
TModuleAppareils& nouvelleListe() {
    static const TFichierIni fichier = [] {
        TFichierIni ini;
        ajoute(ini, QStringLiteral("CONSORT C3010 (pH)"), QStringLiteral("pH"),
               QStringLiteral("pH"), QString(), 500, false);
        ajoute(ini, QStringLiteral("CONSORT C3010 auto (mS)"), QStringLiteral("conductivité"),
               QStringLiteral("σ"), QStringLiteral("S/cm"), 250, true);
        ajoute(ini, QStringLiteral("Hanna HI 9032 (T)"), QStringLiteral("température"),
               QStringLiteral("T"), QStringLiteral("°C"), 1500, false);
        ajoute(ini, QStringLiteral("WTW 3310 (pH)"), QStringLiteral("pH"), QStringLiteral("pH"),
               QString(), 2000, true);
        // Without it, the burette would be read from the built-in catalogue at every input.
        ini.WriteInteger(QStringLiteral("BuretteTelmira"), QStringLiteral("Baud"), 9600);
        return TFichierIni::depuisOctets(ini.enOctets());
    }();
    auto m = std::make_unique<TModuleAppareils>(QString());
    verifie(m->ChargeAppareils(fichier) && m->listeAppareil.Count() == 4);
    TModuleAppareils& liste = *m;
    installeModuleAppareils(std::move(m));
    return liste;
}

// Every channel in use reads a description of the list, on a port that exists by its number.
void verifieVoies(const TAcquisition& a, const TModuleAppareils& liste) {
    const int nbre = a.graphe.NbreVoies;
    verifie(nbre >= 0 && nbre <= TAcquisition::MaxVoies);
    for (int v = 0; v < nbre; ++v) {
        const Tappareil* A = a.AppareilAcq[v];
        verifie(A && liste.listeAppareil.IndexOf(A) >= 0);
        verifie(A->ComNumber >= 1 && A->ComNumber <= 50);
    }
}

// A set-up started by InitAttente: runnable channels and the resting state of the mode.
void verifieMiseEnPlace(const TAcquisition& a, const TModuleAppareils& liste) {
    verifieVoies(a, liste);
    const int nbre = a.graphe.NbreVoies;
    verifie(a.ModeAcq >= maTemps && a.ModeAcq <= maBuretteTelmira);
    verifie(a.graphe.AbscisseMaitre >= amTemps && a.graphe.AbscisseMaitre <= amVoie0);
    verifie(a.graphe.NbrePoints == 0 && a.graphe.ListeRepere.isEmpty() && a.NbrePointsSauves == 0);
    const TEtatAcquisition attendu = nbre == 0                  ? eaNone
                                     : a.ModeAcq == maIncrement ? eaIncrement
                                     : a.ModeAcq == maClavier   ? eaClavier
                                                                : eaAttente;
    verifie(a.EtatAcq == attendu);
    verifie(a.Timer.isActive() == (nbre > 0 && a.ModeAcq != maAppareilMaitre));
    verifie(a.commandes().Acquerir == (nbre > 0) && !a.commandes().Stop);
    verifie(a.DeltatMin >= 1 && a.DeltatMin <= 60 && a.DeltatMesure >= 1);
    if (a.ModeAcq == maTemps) {
        const int dt = a.DeltatMesure;
        const int n = a.DureeMesure / dt;
        verifie(dt >= a.DeltatMin && dt <= 60 && n >= 8 && n <= 2048);
        verifie(a.graphe.mondeX.maxi == a.DureeMesure);
        verifie(a.graphe.mondeX.valeur[1] == dt && a.graphe.mondeX.valeur[n] == double(n) * dt);
    }
}

// The five byte strings of a description written in the control-character notation.
std::array<QByteArray*, 5> textes(Tappareil& a) {
    return {&a.Demande, &a.DemandeBis, &a.ChaineInit, &a.ChaineFin, &a.TexteVerif};
}

// A "|" byte in such a text has no notation of its own: the text does not come back from a file
// as it was (nor as the same text twice). Those texts of the loaded set-up are left out.
using Masque = std::array<std::bitset<5>, TAcquisition::MaxVoies>;
Masque textesSansRetour(const TAcquisition& a) {
    Masque m;
    for (int v = 0; v < a.graphe.NbreVoies; ++v) {
        const auto t = textes(*a.AppareilAcq[v]);
        for (std::size_t k = 0; k < t.size(); ++k)
            m[std::size_t(v)][k] = t[k]->contains('|');
    }
    return m;
}

// What a set-up is made of, numbers written as the file writes them.
QByteArray photo(const TAcquisition& a, const TModuleAppareils& liste, const Masque& masque) {
    TFichierIni p;
    const QString moteur = QStringLiteral("Moteur");
    const auto entier = [&](const QString& cle, qint64 valeur) {
        p.WriteString(moteur, cle, QString::number(valeur));
    };
    entier(QStringLiteral("Deltat"), a.DeltatMesure);
    entier(QStringLiteral("Duree"), a.DureeMesure);
    entier(QStringLiteral("DeltatMin"), a.DeltatMin);
    entier(QStringLiteral("Mode"), a.ModeAcq);
    entier(QStringLiteral("Beep"), a.CodeBeep);
    entier(QStringLiteral("Abscisse"), a.graphe.AbscisseMaitre);
    entier(QStringLiteral("Etat"), a.EtatAcq);
    entier(QStringLiteral("Nvoies"), a.graphe.NbreVoies);
    // The keyboard's abscissa is the file's; the other modes make theirs.
    if (a.ModeAcq == maClavier) {
        const Tmonde& X = a.graphe.mondeX;
        p.WriteString(moteur, QStringLiteral("X.Nom"), X.Nom);
        p.WriteString(moteur, QStringLiteral("X.Unite"), X.Unite);
        p.WriteFloat(moteur, QStringLiteral("X.Mini"), X.mini);
        p.WriteFloat(moteur, QStringLiteral("X.Maxi"), X.maxi);
    }
    for (int v = 0; v < a.graphe.NbreVoies; ++v) {
        Tappareil copie;
        copie.Assign(*a.AppareilAcq[v]);
        const auto t = textes(copie);
        for (std::size_t k = 0; k < t.size(); ++k)
            if (masque[std::size_t(v)][k]) t[k]->clear();
        copie.NomAppareil = QStringLiteral("Voie %1").arg(v);
        copie.EcritIni(p);
        p.WriteString(copie.NomAppareil, QStringLiteral("Appareil"), a.AppareilAcq[v]->NomAppareil);
        p.WriteString(copie.NomAppareil, QStringLiteral("Liste"),
                      QString::number(liste.listeAppareil.IndexOf(a.AppareilAcq[v])));
    }
    return p.enOctets();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    static Contexte& ctx = contexte();
    ctx.boites->vus.clear();
    // Numbers are written with the user's separator and read with either.
    QLocale::setDefault(taille % 2 ? QLocale(QLocale::French) : QLocale::c());
    const QString entree = ctx.dossier.filePath(QStringLiteral("entree.tm2"));
    {
        QFile f(entree);
        verifie(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        verifie(f.write(reinterpret_cast<const char*>(donnees), qint64(taille)) == qint64(taille));
    }

    TModuleAppareils& liste = nouvelleListe();
    TAcquisition a;
    // Half of the files are loaded over an earlier set-up of two channels, half at start.
    if (taille / 2 % 2 == 0) {
        a.AppareilAcq[0] = liste.listeAppareil[0];
        a.AppareilAcq[1] = liste.listeAppareil[2];
        a.graphe.NbreVoies = 2;
    }
    a.InitAttente();

    if (!a.LitConfig(entree)) {
        // Told, stopped, and what is left can be started again.
        verifie(!ctx.boites->vus.isEmpty() &&
                ctx.boites->vus.last().startsWith(QStringLiteral("Erreur lecture ")));
        verifie(a.EtatAcq == eaNone && !a.Timer.isActive());
        verifieVoies(a, liste);
        a.InitAttente();
        verifieMiseEnPlace(a, liste);
        return 0;
    }
    // Only the burette may have something to say: without one on the ports, its mode falls
    // back to the time base after telling why.
    for (const QString& vu : std::as_const(ctx.boites->vus))
        verifie(vu == QStringLiteral("Problème voie série Burette") ||
                vu.contains(QStringLiteral("Burette")));
    verifie(ctx.boites->vus.isEmpty() || a.ModeAcq == maTemps);
    ctx.boites->vus.clear();
    verifieMiseEnPlace(a, liste);
    verifie(!a.PagePermise);

    const QString copie = ctx.dossier.filePath(QStringLiteral("copie.tm2"));
    QFile::remove(copie);
    const Masque masque = textesSansRetour(a);
    const QByteArray avant = photo(a, liste, masque);
    verifie(a.SauveConfig(copie));
    verifie(a.LitConfig(copie));
    verifieMiseEnPlace(a, liste);
    const QByteArray apres = photo(a, liste, masque);
    if (apres != avant) {
        // Both set-ups go to the log, to be compared.
        std::fprintf(stderr, "%s\n----\n%s\n", avant.constData(), apres.constData());
        enfreinte(__LINE__);
    }
    return 0;
}
