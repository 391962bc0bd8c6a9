// The instrument simulator: plays instruments of the catalogue (or of a device file) on
// pseudo-terminals, for tests, demonstrations and classes without the instruments.
#include "app/dialogues.h"
#include "becher.h"
#include "burettesimulee.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "instrumentsimule.h"
#include "journal.h"
#include "options.h"
#include "pseudoterminal.h"
#include "settings/fichierini.h"
#include "sourcevaleur.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <map>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The core's loading code may show a box: here it is a line on stderr.
class DialoguesConsole : public Dialogues {
public:
    void message(const QString& texte) override { signale(texte); }
    void erreur(const QString& texte) override { signale(texte); }
    bool confirme(const QString& texte) override {
        signale(texte);
        return false;
    }
    bool saisie(const QString&, const QString&, QString&) override { return false; }
    QString choisitFichier(bool, const QString&, const QString&, const QString&,
                           const QString&) override {
        return {};
    }
};

int tubeSignal[2] = {-1, -1};

void recoitSignal(int) {
    const char c = 1;
    // Nothing more can be done in a handler if the pipe is full: one byte is enough.
    [[maybe_unused]] const auto n = ::write(tubeSignal[1], &c, 1);
}

void ecritSortie(const QString& ligne) {
    const QByteArray octets = (ligne + u'\n').toLocal8Bit();
    std::fwrite(octets.constData(), 1, size_t(octets.size()), stdout);
    std::fflush(stdout);
}

// The descriptions of one source: the built-in catalogue, or a device file.
bool chargeDescriptions(const QString& fichier, TlisteAppareil& liste, QString& erreur) {
    if (fichier.isEmpty()) {
        TModuleAppareils module{QString()};
        if (!module.ChargeAppareils()) {
            erreur = QStringLiteral("catalogue intégré illisible");
            return false;
        }
        liste = std::move(module.listeAppareil);
        return true;
    }
    if (!QFileInfo(fichier).isFile()) {
        erreur = QStringLiteral("fichier d'appareils « %1 » introuvable").arg(fichier);
        return false;
    }
    TModuleAppareils module{QString()};
    module.ChargeAppareilsImport(fichier);
    liste = std::move(module.listeAppareilImport);
    if (liste.isEmpty()) {
        // A hand-written file may hold its sections without an "Index".
        const TFichierIni ini(fichier);
        for (const QString& section : ini.ReadSections()) {
            if (section.compare(QLatin1String("Index"), Qt::CaseInsensitive) == 0 ||
                section.compare(QLatin1String("BuretteTelmira"), Qt::CaseInsensitive) == 0)
                continue;
            auto a = std::make_unique<Tappareil>();
            a->LitIni(section, ini);
            NormaliseGrandeur(*a);
            liste.Add(std::move(a));
        }
    }
    if (liste.isEmpty()) {
        erreur = QStringLiteral("aucune description d'appareil dans « %1 »").arg(fichier);
        return false;
    }
    return true;
}

int distance(const QString& a, const QString& b) {
    std::vector<int> ligne(size_t(b.size()) + 1);
    for (size_t j = 0; j < ligne.size(); ++j)
        ligne[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonale = ligne[0];
        ligne[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int dessus = ligne[size_t(j)];
            ligne[size_t(j)] = std::min(
                {dessus + 1, ligne[size_t(j - 1)] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonale = dessus;
        }
    }
    return ligne.back();
}

QStringList nomsProches(const QString& nom, const TlisteAppareil& liste) {
    const QString cherche = nom.toLower().simplified();
    std::vector<std::pair<int, QString>> candidats;
    for (const auto& a : liste) {
        const QString n = a->NomAppareil.toLower();
        int score = distance(cherche, n);
        if (!cherche.isEmpty() && (n.contains(cherche) || cherche.contains(n))) score = 0;
        if (score <= std::max<qsizetype>(3, cherche.size() / 3))
            candidats.emplace_back(score, a->NomAppareil);
    }
    std::stable_sort(candidats.begin(), candidats.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    QStringList noms;
    for (const auto& [score, n] : candidats) {
        if (noms.size() == 8) break;
        noms << n;
    }
    return noms;
}

// A copy that carries what Assign leaves out of a description.
std::unique_ptr<Tappareil> copie(const Tappareil& modele) {
    auto a = std::make_unique<Tappareil>();
    a->Assign(modele);
    a->lectureSTAB = modele.lectureSTAB;
    a->TexteVerif = modele.TexteVerif;
    a->NumeroVerif = modele.NumeroVerif;
    a->FiltrageDepassement = modele.FiltrageDepassement;
    a->Derive = modele.Derive;
    return a;
}
} // namespace

int main(int argc, char** argv) {
    (void)secondesEcoulees();
    QCoreApplication application(argc, argv);
    installeDialogues(std::make_unique<DialoguesConsole>());
    // A parent that stops reading our output must not kill us before the links are removed.
    std::signal(SIGPIPE, SIG_IGN);

    OptionsSimulateur options;
    QString erreur;
    if (!litOptions(QCoreApplication::arguments(), options, erreur)) {
        signale(erreur);
        return 1;
    }
    if (options.aide) {
        std::fputs(texteAide().toLocal8Bit().constData(), stdout);
        return 0;
    }

    std::map<QString, TlisteAppareil> sources;
    auto descriptions = [&](const QString& fichier) -> const TlisteAppareil* {
        auto it = sources.find(fichier);
        if (it != sources.end()) return &it->second;
        TlisteAppareil liste;
        if (!chargeDescriptions(fichier, liste, erreur)) return nullptr;
        return &sources.emplace(fichier, std::move(liste)).first->second;
    };

    if (options.liste) {
        const TlisteAppareil* liste = descriptions(options.fichierListe);
        if (!liste) {
            signale(erreur);
            return 1;
        }
        for (const auto& a : *liste)
            ecritSortie(a->NomAppareil);
        return 0;
    }

    const quint32 graine = options.graineDonnee ? options.graine : std::random_device{}();
    // The burette and the beaker its titrant goes into, whose pH a pH meter plays (-s becher).
    std::unique_ptr<BuretteSimulee> burette;
    for (const OptionsAppareil& o : options.appareils)
        if (o.burette) burette = std::make_unique<BuretteSimulee>(o.reglagesBurette);
    std::unique_ptr<Becher> becher;
    if (burette && !options.becher.isEmpty())
        becher = std::make_unique<Becher>(options.reglagesBecher,
                                          [b = burette.get()](double t) { return b->volume(t); });
    struct Prepare {
        const OptionsAppareil* options;
        std::unique_ptr<Tappareil> appareil;
        std::unique_ptr<SourceValeur> source;
    };
    std::vector<Prepare> prepares;
    for (const OptionsAppareil& o : options.appareils) {
        if (o.burette) {
            prepares.push_back({&o, nullptr, nullptr});
            continue;
        }
        const TlisteAppareil* liste = descriptions(o.fichier);
        if (!liste) {
            signale(erreur);
            return 1;
        }
        const auto trouve = std::find_if(liste->begin(), liste->end(),
                                         [&](const auto& a) { return a->NomAppareil == o.nom; });
        if (trouve == liste->end()) {
            const QString ou = o.fichier.isEmpty() ? QStringLiteral("du catalogue intégré")
                                                   : QStringLiteral("de « %1 »").arg(o.fichier);
            const QStringList proches = nomsProches(o.nom, *liste);
            signale(QStringLiteral("appareil « %1 » absent %2").arg(o.nom, ou) +
                    (proches.isEmpty()
                         ? QStringLiteral(" (--liste affiche les noms disponibles)")
                         : QStringLiteral(" ; noms proches : « ") +
                               proches.join(QStringLiteral(" », « ")) + QStringLiteral(" »")));
            return 1;
        }
        auto appareil = copie(**trouve);
        std::unique_ptr<SourceValeur> source;
        if (o.source.isEmpty()) {
            source = SourceValeur::constante((appareil->ValMini + appareil->ValMaxi) / 2);
        } else if (o.source.trimmed().toLower() == QLatin1String("becher") && becher) {
            source = SourceValeur::fonction(QStringLiteral("becher"),
                                            [b = becher.get()](double t) { return b->pH(t); });
        } else {
            source = SourceValeur::depuisTexte(o.source, graine + quint32(prepares.size()), erreur);
            if (!source) {
                signale(QStringLiteral("appareil « %1 » : ").arg(o.nom) + erreur);
                return 1;
            }
        }
        prepares.push_back({&o, std::move(appareil), std::move(source)});
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, tubeSignal) != 0) {
        signale(QStringLiteral("signaux impossibles à surveiller"));
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = recoitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &action, nullptr);
    QSocketNotifier signaux(tubeSignal[0], QSocketNotifier::Read);
    QObject::connect(&signaux, &QSocketNotifier::activated, &application, [] {
        char c = 0;
        while (::read(tubeSignal[0], &c, 1) > 0) {
        }
        QCoreApplication::quit();
    });

    // Terminals are destroyed after the instruments that use them (reverse order).
    std::vector<std::unique_ptr<PseudoTerminal>> terminaux;
    std::vector<std::unique_ptr<InstrumentSimule>> instruments;
    std::vector<std::unique_ptr<PseudoTerminal>> burettes;
    QStringList lignes;
    for (Prepare& p : prepares) {
        auto terminal = std::make_unique<PseudoTerminal>();
        if (!terminal->ouvre(erreur) ||
            (!p.options->lien.isEmpty() && !terminal->creeLien(p.options->lien, erreur))) {
            signale(QStringLiteral("appareil « %1 » : ").arg(p.options->nom) + erreur);
            return 2;
        }
        const int numero = int(lignes.size()) + 1;
        if (p.options->burette) {
            lignes << QStringLiteral("APPAREIL %1 COM1 %2 %3 BuretteTelmira")
                          .arg(numero)
                          .arg(terminal->chemin(),
                               terminal->lien().isEmpty() ? QStringLiteral("-") : terminal->lien());
            const bool trace = p.options->jeu.trace;
            burette->journal = [trace](const QString& texte) {
                if (trace || texte.contains(QLatin1String("inconnue")))
                    signale(QStringLiteral("burette : ") + texte);
            };
            const int delai = std::max(0, p.options->jeu.delaiReponseMs);
            QObject::connect(
                terminal.get(), &PseudoTerminal::recu, terminal.get(),
                [t = terminal.get(), b = burette.get(), delai, trace](const QByteArray& octets) {
                    if (trace)
                        signale(QStringLiteral("burette : reçu « %1 »").arg(texteLisible(octets)));
                    const QByteArray reponse = b->recoit(octets, secondesEcoulees());
                    if (reponse.isEmpty()) return;
                    QTimer::singleShot(delai, t, [t, reponse] { t->ecrit(reponse); });
                });
            burettes.push_back(std::move(terminal));
            continue;
        }
        lignes << QStringLiteral("APPAREIL %1 COM%2 %3 %4 %5")
                      .arg(numero)
                      .arg(p.appareil->ComNumber)
                      .arg(terminal->chemin(),
                           terminal->lien().isEmpty() ? QStringLiteral("-") : terminal->lien(),
                           p.appareil->NomAppareil);
        instruments.push_back(std::make_unique<InstrumentSimule>(
            numero, std::move(p.appareil), std::move(p.source), p.options->jeu, *terminal));
        terminaux.push_back(std::move(terminal));
    }
    for (auto& i : instruments)
        i->demarre();
    for (const QString& l : std::as_const(lignes))
        ecritSortie(l);
    ecritSortie(QStringLiteral("PRET"));

    std::unique_ptr<QSocketNotifier> entree;
    if (options.stdinFin) {
        entree = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(entree.get(), &QSocketNotifier::activated, &application, [&entree] {
            char tampon[512];
            const ssize_t n = ::read(STDIN_FILENO, tampon, sizeof tampon);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                entree->setEnabled(false);
                QCoreApplication::quit();
            }
        });
    }

    const int code = QCoreApplication::exec();
    instruments.clear();
    terminaux.clear();
    return code;
}
