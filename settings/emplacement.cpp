#include "settings/emplacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
std::filesystem::path cheminNatif(const QString& chemin) {
    return std::filesystem::path(QFile::encodeName(chemin).toStdString());
}

// A folder only this user can change: theirs, writable by them, not by the group or others.
bool dossierAMoi(const QString& dossier) {
#ifdef Q_OS_UNIX
    struct stat etat {};
    if (::stat(QFile::encodeName(dossier).constData(), &etat) != 0) return false;
    return S_ISDIR(etat.st_mode) && etat.st_uid == ::geteuid() && (etat.st_mode & 022) == 0 &&
           ::access(QFile::encodeName(dossier).constData(), W_OK | X_OK) == 0;
#else
    return QFileInfo(dossier).isDir() && QFileInfo(dossier).isWritable();
#endif
}
} // namespace

QString dossierFichiersProgramme(const QString& dossierProgramme) {
    const QString programme =
        dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : dossierProgramme;
    // An installed program (its share folder beside it) never writes there, even run as the
    // owner of its folder (root on /usr/bin).
    if (dossierAMoi(programme) &&
        !QFileInfo::exists(programme + QStringLiteral("/../share/telmira")))
        return QDir(programme).absolutePath();
    const QString donnees = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(donnees);
    return donnees;
}

namespace {
QString nomProgramme(const QString& extension) {
    const QFileInfo programme(QCoreApplication::applicationFilePath());
    return (programme.suffix().isEmpty() ? programme.fileName() : programme.completeBaseName()) +
           extension;
}
} // namespace

QString cheminFichierProgramme(const QString& extension) {
    return QDir(dossierFichiersProgramme()).filePath(nomProgramme(extension));
}

QString cheminACoteDuProgramme(const QString& extension) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(nomProgramme(extension));
}

bool fichierAMoi(const QString& chemin) {
#ifdef Q_OS_UNIX
    struct stat etat {};
    return ::lstat(QFile::encodeName(chemin).constData(), &etat) == 0 && S_ISREG(etat.st_mode) &&
           etat.st_uid == ::geteuid();
#else
    return !estLien(chemin) && QFileInfo(chemin).isFile();
#endif
}

bool fichierDeConfiance(const QString& chemin) {
    if (fichierAMoi(chemin)) return true;
#ifdef Q_OS_UNIX
    struct stat fichier = {};
    struct stat dossier = {};
    const QString parent = QFileInfo(chemin).absolutePath();
    return ::lstat(QFile::encodeName(chemin).constData(), &fichier) == 0 &&
           S_ISREG(fichier.st_mode) && (fichier.st_mode & 022) == 0 &&
           ::stat(QFile::encodeName(parent).constData(), &dossier) == 0 &&
           (dossier.st_mode & 022) == 0;
#else
    return !estLien(chemin) && QFileInfo(chemin).isFile();
#endif
}

bool estLien(const QString& chemin) {
    std::error_code erreur;
    return std::filesystem::is_symlink(
        std::filesystem::symlink_status(cheminNatif(chemin), erreur));
}

bool ecritSansLien(const QString& chemin, const QByteArray& octets) {
    if (chemin.isEmpty() || estLien(chemin)) return false;
    const QFileInfo cible(chemin);
    // Created with O_EXCL under a fresh name: nothing planted there can be followed.
    QTemporaryFile temporaire(cible.absolutePath() + QLatin1Char('/') + cible.fileName() +
                              QStringLiteral(".XXXXXX"));
    if (!temporaire.open()) return false;
    if (temporaire.write(octets) != octets.size() || !temporaire.flush()) return false;
#ifdef Q_OS_UNIX
    if (::fsync(temporaire.handle()) != 0) return false;
    // The file keeps the permissions it had; a new one gets the usual rw-r--r--.
    struct stat etat {};
    const mode_t mode =
        ::lstat(QFile::encodeName(chemin).constData(), &etat) == 0 ? (etat.st_mode & 07777) : 0644;
    ::fchmod(temporaire.handle(), mode);
#endif
    temporaire.close();
    // A link put there meanwhile is refused too; the rename itself would replace the link, never
    // write through it.
    if (estLien(chemin)) return false;
    std::error_code erreur;
    std::filesystem::rename(cheminNatif(temporaire.fileName()), cheminNatif(chemin), erreur);
    if (erreur) return false;
    temporaire.setAutoRemove(false);
    return true;
}

bool litSansLien(const QString& chemin, QByteArray& octets) {
    octets.clear();
#ifdef Q_OS_UNIX
    // Not blocking either on a pipe put in the file's place; only a plain file is read.
    const int fd = ::open(QFile::encodeName(chemin).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat etat {};
    if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
        ::close(fd);
        return false;
    }
    QFile fichier;
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
#else
    if (estLien(chemin)) return false;
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly)) return false;
#endif
    octets = fichier.readAll();
    return fichier.error() == QFileDevice::NoError;
}
