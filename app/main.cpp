#include "app/dialoguesqt.h"
#include "app/enregistreur.h"
#include "app/filtreclavier.h"
#include "app/instanceunique.h"
#include "app/prechargement.h"
#include "app/premieraffichage.h"
#include "app/signaux.h"
#include "app/sons.h"
#include "app/utilitaires.h"
#include "display/actionsmacro.h"
#include "display/cinetiquemain.h"
#include "display/styleprogramme.h"
#include "exchange/clientcommande.h"
#include "exchange/serveurcommandes.h"
#include "exchange/typefichier.h"
#include "instruments/listeappareil.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QTimer>
#include <future>

namespace {
QStringList argumentsDe(int argc, char* argv[]) {
    QStringList liste;
    for (int i = 1; i < argc; ++i)
        liste << QString::fromLocal8Bit(argv[i]);
    return liste;
}

void nommeApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Telmira"));
    QCoreApplication::setApplicationName(QStringLiteral("telmira"));
}
} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments = argumentsDe(argc, argv);
    const QString premier = arguments.value(0);

    // The command-line uses need no window, and never hand over to a running copy.
    if (premier == QLatin1String("--aide") || premier == QLatin1String("-h") ||
        premier == QLatin1String("--help")) {
        QTextStream(stdout) << TexteAideLigneCommande();
        return 0;
    }
    if (premier == QLatin1String("--macro")) {
        QCoreApplication application(argc, argv);
        nommeApplication();
        QTextStream sortie(stdout);
        if (arguments.size() != 2) {
            QTextStream(stderr) << TexteAideLigneCommande();
            return 2;
        }
        return EnvoieMacroCommande(arguments[1], sortie);
    }
    if (premier == QLatin1String("--enregistre") || premier == QLatin1String("--sortie")) {
        QCoreApplication application(argc, argv);
        nommeApplication();
        PrepareDossierDonnees();
        QTextStream journal(stderr);
        return Enregistre(arguments, journal);
    }

    // "--acquiert CONFIG.tm2": the window, that set-up, and the acquisition started.
    const bool acquiert = premier == QLatin1String("--acquiert");
    if (acquiert) {
        if (arguments.size() != 2) {
            QTextStream(stderr) << TexteAideLigneCommande();
            return 2;
        }
        arguments.removeFirst();
    }

    auto polices = PrechargeConfigurationPolices();
    QApplication application(argc, argv);
    nommeApplication();
    TStyleProgramme::Installe();
    auto preparation = PrepareFenetre();
    // The icon's theme lookup waits until the window is on the screen.
    TPremierAffichage premierAffichage;
    premierAffichage.ensuite(
        [] { QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("telmira"))); });
    // The desktop entry and the icon of the installed program.
    QGuiApplication::setDesktopFileName(QStringLiteral("telmira"));
    installeDialogues(creeDialoguesQt());
    installeBip([] { QApplication::beep(); });

    PrepareDossierDonnees();
    // The descriptions are read on another thread while the window is built; the module and
    // its burette object belong to this one.
    TModuleAppareils& module = moduleAppareils();
    auto lecture = std::async(std::launch::async, [&module] { return module.LitAppareils(); });

    TInstanceUnique instance;
    if (!instance.VerifieInstanceUnique(arguments)) return 0;

    TFiltreClavier filtre;
    application.installEventFilter(&filtre);

    if (polices.valid()) polices.wait();
    preparation.wait();
    TCinetiqueMain fenetre;
    // Without any instrument description the program has nothing to offer: it says so and ends.
    if (!lecture.get()) {
        module.SignaleAbsence();
        return 1;
    }
    fenetre.EnregistreTypeFichierALaFermeture = [] { EnregistreTypeFichier(); };
    QObject::connect(&instance, &TInstanceUnique::restaurationDemandee, &fenetre, [&fenetre] {
        if (fenetre.fermee()) return;
        fenetre.setWindowState(fenetre.windowState() & ~Qt::WindowMinimized);
        fenetre.show();
        fenetre.raise();
        fenetre.activateWindow();
    });
    QObject::connect(&instance, &TInstanceUnique::argumentRecu, &fenetre,
                     &TCinetiqueMain::ArgumentRecu);

    // Other programs (the analysis program, scripts) drive this one through its macros; they
    // wait while a dialog is open.
    TActionsFenetre actions(fenetre);
    TServeurCommandes serveur(actions);
    serveur.PeutExecuter = [&fenetre] {
        return !QApplication::activeModalWidget() && !QApplication::activePopupWidget() &&
               !fenetre.acq().occupe();
    };
    serveur.Demarre();

    // A signal asks the window to close; it may still keep the program when samples are unsaved.
    TSignauxArret signaux;
    QObject::connect(&signaux, &TSignauxArret::arretDemande, &fenetre, &QWidget::close);
    premierAffichage.observe(fenetre);
    fenetre.show();
    // A tm2 file named on the command line is loaded once the window is up.
    if (!arguments.isEmpty()) {
        const QString argument = arguments.first();
        QTimer::singleShot(0, &fenetre, [&fenetre, argument, acquiert] {
            if (acquiert)
                fenetre.ChargeEtAcquiert(argument);
            else
                fenetre.ChargeArgument(argument);
        });
    }
    return application.exec();
}
