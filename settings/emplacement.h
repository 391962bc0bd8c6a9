#pragma once

#include <QByteArray>
#include <QString>

// Where the program keeps the files it writes "beside itself" (the device file, the backup
// table), and how it writes them.

// The program's folder when it is a real folder of this user, writable by them and by nobody
// else; otherwise (an installed program, a shared lab installation writable by the group or
// everyone) the user's data folder, created when needed. `dossierProgramme` defaults to the
// executable's folder.
[[nodiscard]] QString dossierFichiersProgramme(const QString& dossierProgramme = QString());
// The executable's name with `extension` (".INI", ".txt") in dossierFichiersProgramme().
[[nodiscard]] QString cheminFichierProgramme(const QString& extension);
// The same name beside the executable, where earlier versions always kept it.
[[nodiscard]] QString cheminACoteDuProgramme(const QString& extension);

// Writes `octets` to `chemin` through a temporary file of the same folder renamed over it, so
// that the old file stays whole until the new one is. Never follows a symbolic link: false,
// without writing anything, when `chemin` is one; false as well on any failure.
[[nodiscard]] bool ecritSansLien(const QString& chemin, const QByteArray& octets);
// Reads a whole file that is not a symbolic link; false when it is one or cannot be read.
[[nodiscard]] bool litSansLien(const QString& chemin, QByteArray& octets);
// A plain file (no link) that belongs to this user: nobody else put it there.
[[nodiscard]] bool fichierAMoi(const QString& chemin);
// A plain file (no link) that only its owner or the system may change: the user's own, or one
// installed for everybody in a folder that neither the group nor others may write.
[[nodiscard]] bool fichierDeConfiance(const QString& chemin);
// True when `chemin` is a symbolic link (dangling or not).
[[nodiscard]] bool estLien(const QString& chemin);
