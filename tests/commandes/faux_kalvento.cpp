// A stand-in for the analysis program, started by the transfer under test: it listens on the
// channel given, appends each request to a file, and ends after the first macro.
#include "fauxkalvento.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc < 3) return 2;
    FauxKalvento kalvento(QString::fromLocal8Bit(argv[1]));
    QFile sortie(QString::fromLocal8Bit(argv[2]));
    if (!kalvento.ecoute() || !sortie.open(QIODevice::Append)) return 1;
    kalvento.recu = [&](const QByteArray& requete) {
        sortie.write(requete + '\n');
        sortie.flush();
        if (!requete.startsWith('\x01'))
            QTimer::singleShot(0, &application, &QCoreApplication::quit);
    };
    QTimer::singleShot(20000, &application, &QCoreApplication::quit);
    return application.exec();
}
