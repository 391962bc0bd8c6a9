#include "serial/tableports.h"

#include "settings/reglages.h"

#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString cheminParDefaut(int n) {
    if (n < 1 || n > 50) return {};
#ifdef Q_OS_UNIX
    if (n <= 4) return QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
    if (n <= 8) return QStringLiteral("/dev/ttyACM%1").arg(n - 5);
    if (n <= 12) return QStringLiteral("/dev/ttyS%1").arg(n - 9);
    return QStringLiteral("/dev/ttyUSB%1").arg(n - 9);
#else
    return QStringLiteral("COM%1").arg(n);
#endif
}

QString cheminPort(int n) {
    if (n < 1 || n > 50) return {};
    const QString cle = QStringLiteral("COM%1").arg(n);
    const QString environnement = qEnvironmentVariable(("TELMIRA_" + cle).toLatin1().constData());
    if (!environnement.isEmpty()) return environnement;
    const auto reglages = ouvreReglages();
    const QString choisi = reglages->value(QStringLiteral("Ports/") + cle).toString();
    return choisi.isEmpty() ? cheminParDefaut(n) : choisi;
}

bool PortExiste(int n) {
    const QString chemin = cheminPort(n);
    if (chemin.isEmpty()) return false;
#ifdef Q_OS_UNIX
    // A raw open, without the exclusive lock and line settings of a serial port object, so that
    // a port the program already holds is neither refused nor changed.
    const QByteArray nom = chemin.toLocal8Bit();
    struct stat etat {};
    if (::stat(nom.constData(), &etat) != 0 || !S_ISCHR(etat.st_mode)) return false;
    const int fd = ::open(nom.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // "Access denied" is what QSerialPort reports as PermissionError: no right on the device
    // (EACCES, EPERM) or a device another program opened exclusively (EBUSY). A device held
    // only through a lock file opens here, so it counts as existing too; the port object's own
    // open then meets the lock and is refused.
    if (fd < 0) return errno == EACCES || errno == EPERM || errno == EBUSY;
    const bool terminal = ::isatty(fd);
    ::close(fd);
    return terminal;
#else
    QSerialPort essai;
    essai.setPortName(chemin);
    essai.setReadBufferSize(16);
    if (essai.open(QIODevice::ReadWrite)) {
        essai.close();
        return true;
    }
    return essai.error() == QSerialPort::PermissionError;
#endif
}
