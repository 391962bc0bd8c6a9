#pragma once

#include <QString>

// The set-up files (*.tm2) open with this program from the desktop: a shared-mime-info type
// "application/x-telmira-config" and a desktop entry whose command is this executable followed
// by the file, which a running copy receives through the single-instance channel.
inline const QString TypeMimeConfig = QStringLiteral("application/x-telmira-config");

// Writes both entries in the user's folders (`dossierDonnees`/mime/packages and
// `dossierDonnees`/applications, the user's data folder when empty) and, when either changed and
// `majBases` holds, refreshes the desktop's caches with update-mime-database and
// update-desktop-database when they exist, without waiting for them. Failures are ignored:
// the program works without the association. True when an entry was written anew.
bool EnregistreTypeFichier(const QString& dossierDonnees = {}, bool majBases = true);

// The Exec line of the desktop entry for the executable `exe`: quoted as desktop entries
// require, followed by %f.
QString LigneExec(const QString& exe);
