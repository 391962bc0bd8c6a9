#include "exchange/typefichier.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
// Writes only when the content differs, so that an unchanged association costs nothing.
bool ecritSiChange(const QString& chemin, const QByteArray& contenu) {
    QFile ancien(chemin);
    if (ancien.open(QIODevice::ReadOnly) && ancien.readAll() == contenu) return false;
    ancien.close();
    if (!QDir().mkpath(QFileInfo(chemin).absolutePath())) return false;
    QSaveFile f(chemin);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(contenu);
    return f.commit();
}

QString echappeXml(QString texte) {
    texte.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    texte.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    texte.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return texte;
}

void lance(const QString& outil, const QString& dossier) {
    const QString programme = QStandardPaths::findExecutable(outil);
    if (!programme.isEmpty()) QProcess::startDetached(programme, {dossier});
}
} // namespace

QString LigneExec(const QString& exe) {
    // Inside double quotes `"`, `` ` ``, `$` and `\` take a backslash; then the entry's own
    // escaping doubles every backslash, and a literal % is written %%.
    QString cite;
    for (const QChar c : exe) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') cite += QLatin1Char('\\');
        cite += c;
    }
    cite.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    cite.replace(QLatin1Char('%'), QLatin1String("%%"));
    return QLatin1Char('"') + cite + QStringLiteral("\" %f");
}

bool EnregistreTypeFichier(const QString& dossierDonnees, bool majBases) {
    const QString exe = QCoreApplication::applicationFilePath();
    // A path that breaks a line cannot be written in an entry.
    if (exe.isEmpty() || exe.contains(QLatin1Char('\n')) || exe.contains(QLatin1Char('\r')))
        return false;
    const QString racine =
        dossierDonnees.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            : dossierDonnees;
    if (racine.isEmpty()) return false;
    const QString base = QFileInfo(exe).fileName().section(QLatin1Char('.'), 0, 0);
    // An installed program has its entry and type in the system's folders: a user's copy would
    // hide them, and stay behind when the package goes.
    const QString systeme = QFileInfo(exe).absolutePath() +
                            QStringLiteral("/../share/applications/") + base +
                            QStringLiteral(".desktop");
    if (QFileInfo::exists(systeme)) return false;
    const QString commentaire = QStringLiteral("Fichier config. ") + base;

    // The same type the package installs, named after this executable.
    Q_INIT_RESOURCE(bureau);
    QFile modele(QStringLiteral(":/bureau/telmira.xml"));
    if (!modele.open(QIODevice::ReadOnly)) return false;
    const QString mime =
        QString::fromUtf8(modele.readAll())
            .replace(QStringLiteral("Fichier config. telmira"), echappeXml(commentaire));
    const QString entree = QStringLiteral("[Desktop Entry]\n"
                                          "Type=Application\n"
                                          "Name=Acquisition Telmira\n"
                                          "Comment=%1\n"
                                          "Exec=%2\n"
                                          "MimeType=%3;\n"
                                          "Terminal=false\n"
                                          "Categories=Education;Science;\n")
                               .arg(QStringLiteral("Acquisition par appareils à sortie Telmira"),
                                    LigneExec(exe), TypeMimeConfig);

    const QString dossierMime = QDir(racine).filePath(QStringLiteral("mime"));
    const QString dossierApplications = QDir(racine).filePath(QStringLiteral("applications"));
    const bool mimeChange = ecritSiChange(
        QDir(dossierMime).filePath(QStringLiteral("packages/") + base + QStringLiteral(".xml")),
        mime.toUtf8());
    const bool entreeChange = ecritSiChange(
        QDir(dossierApplications).filePath(base + QStringLiteral(".desktop")), entree.toUtf8());
    if (majBases && mimeChange) lance(QStringLiteral("update-mime-database"), dossierMime);
    if (majBases && entreeChange)
        lance(QStringLiteral("update-desktop-database"), dossierApplications);
    return mimeChange || entreeChange;
}
