#include "serial/dossiertraces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString dossierTraces() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    if (QStandardPaths::isTestModeEnabled())
        return QDir::homePath() + QStringLiteral("/.qttest/state/telmira");
    // XDG rules: a relative XDG_STATE_HOME is invalid and ignored.
    const QString etat = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = !etat.isEmpty() && QDir::isAbsolutePath(etat)
                             ? etat
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/telmira"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/traces");
#endif
}

QString cheminDansDossierTraces(const QString& nom) {
    if (nom.isEmpty() || QFileInfo(nom).isAbsolute()) return nom;
    return QDir(dossierTraces()).filePath(nom);
}
