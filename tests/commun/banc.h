#pragma once

// Fixtures every test program shares: private settings and folders, COM numbers pointed at
// pseudo-terminals (or at nothing), and event waits without fixed sleeps.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace banc {

// Settings and standard folders of the test program go to `dossier` (call once, first).
inline void reglagesPrives(const QTemporaryDir& dossier) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dossier.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dossier.path());
}

// COMn opens `chemin` (a pseudo-terminal's slave) for this test program.
inline void pointeCom(int n, const QString& chemin) {
    qputenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1().constData(), chemin.toLocal8Bit());
}
inline void oublieCom(int n) {
    qunsetenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1().constData());
}
// No COM port exists, whatever the machine has: each one points at a missing device.
inline void aucunPort() {
    for (int n = 1; n <= 50; ++n)
        pointeCom(n, QStringLiteral("/nonexistent/telmira"));
}

// Handles events until `condition` holds, at most `ms` milliseconds.
inline bool attend(const std::function<bool()>& condition, int ms = 3000) {
    QDeadlineTimer fin(ms);
    while (!condition() && !fin.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return condition();
}
// Handles events for a while without waiting for anything (bytes that must not come).
inline void laisse(int ms = 50) {
    QDeadlineTimer fin(ms);
    while (!fin.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// The simulator started as `simulateur` has said "PRET": all its instruments are listening.
inline bool simulateurPret(QProcess& simulateur, int ms = 15000) {
    return attend(
        [&] {
            simulateur.waitForReadyRead(10);
            return simulateur.peek(1 << 16).contains("PRET");
        },
        ms);
}

} // namespace banc
