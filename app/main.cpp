#include "app/dialoguesqt.h"
#include "app/filtreclavier.h"
#include "app/instanceunique.h"
#include "app/signaux.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "instruments/listeappareil.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Telmira"));
    QApplication::setApplicationName(QStringLiteral("telmira"));
    installeDialogues(creeDialoguesQt());

    PrepareDossierDonnees();
    // Without any instrument description the program has nothing to offer: the loader has
    // said why, and the program ends.
    if (!moduleAppareils().ChargeAppareils()) return 1;

    TInstanceUnique instance;
    const QStringList arguments = application.arguments().mid(1);
    if (!instance.VerifieInstanceUnique(arguments)) return 0;

    TFiltreClavier filtre;
    application.installEventFilter(&filtre);

    TCinetiqueMain fenetre;
    QObject::connect(&instance, &TInstanceUnique::restaurationDemandee, &fenetre, [&fenetre] {
        fenetre.setWindowState(fenetre.windowState() & ~Qt::WindowMinimized);
        fenetre.show();
        fenetre.raise();
        fenetre.activateWindow();
    });
    QObject::connect(&instance, &TInstanceUnique::argumentRecu, &fenetre,
                     &TCinetiqueMain::ArgumentRecu);
    // A signal asks the window to close; it may still keep the program when samples are unsaved.
    TSignauxArret signaux;
    QObject::connect(&signaux, &TSignauxArret::arretDemande, &fenetre, &QWidget::close);
    fenetre.show();
    // A tm2 file named on the command line is loaded once the window is up.
    if (!arguments.isEmpty()) {
        const QString argument = arguments.first();
        QTimer::singleShot(0, &fenetre, [&fenetre, argument] { fenetre.ChargeArgument(argument); });
    }
    return application.exec();
}
