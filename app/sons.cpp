#include "app/sons.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <array>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
// Event names of the freedesktop sound theme, by code; the later names of a row stand in for
// the first when a theme lacks it. No name appears twice, so each code keeps its own sound.
const std::array<QStringList, nbreCodesBeep>& nomsSons() {
    static const std::array<QStringList, nbreCodesBeep> noms = {
        QStringList{},
        QStringList{QStringLiteral("bell"), QStringLiteral("bell-terminal")},
        QStringList{QStringLiteral("dialog-information"), QStringLiteral("message-new-instant")},
        QStringList{QStringLiteral("dialog-warning"), QStringLiteral("window-attention")},
        QStringList{QStringLiteral("dialog-error"), QStringLiteral("suspend-error")},
        QStringList{QStringLiteral("window-question"), QStringLiteral("dialog-question")},
        QStringList{QStringLiteral("message"), QStringLiteral("complete")},
    };
    return noms;
}

// The freedesktop theme is what every desktop theme falls back to.
const QString themeSons = QStringLiteral("freedesktop");

QString fichierSon(const QString& nom, const TEnvironnementSon& env) {
    for (const QString& dossier : env.dossiersSons)
        for (const QString& sousDossier : {QStringLiteral("stereo"), QString()})
            for (const QString& extension :
                 {QStringLiteral(".oga"), QStringLiteral(".ogg"), QStringLiteral(".wav")}) {
                const QString chemin =
                    QDir(dossier + QLatin1Char('/') + themeSons + QLatin1Char('/') + sousDossier)
                        .filePath(nom + extension);
                if (QFileInfo::exists(chemin)) return QDir::cleanPath(chemin);
            }
    return {};
}

std::function<void()>& bipInstalle() {
    static std::function<void()> bip;
    return bip;
}
} // namespace

TEnvironnementSon environnementSon() {
    TEnvironnementSon env;
    for (const QString& nom : {QStringLiteral("canberra-gtk-play"), QStringLiteral("pw-play"),
                               QStringLiteral("paplay")}) {
        const QString chemin = QStandardPaths::findExecutable(nom);
        if (chemin.isEmpty()) continue;
        env.lecteurs.insert(nom, chemin);
    }
    QString maison = qEnvironmentVariable("XDG_DATA_HOME");
    if (maison.isEmpty()) maison = QDir::homePath() + QStringLiteral("/.local/share");
    env.dossiersSons << maison + QStringLiteral("/sounds");
    QString partages = qEnvironmentVariable("XDG_DATA_DIRS");
    if (partages.isEmpty()) partages = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& d : partages.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        env.dossiersSons << d + QStringLiteral("/sounds");
    return env;
}

TSon ChoisitSon(int CodeBeep, const TEnvironnementSon& env) {
    if (CodeBeep <= 0 || CodeBeep >= nbreCodesBeep) return {};
    const QStringList& noms = nomsSons()[CodeBeep];
    QString nom, fichier;
    for (const QString& n : noms) {
        fichier = fichierSon(n, env);
        if (!fichier.isEmpty()) {
            nom = n;
            break;
        }
    }
    // canberra follows the desktop's chosen theme (which inherits the freedesktop one): it is
    // given the event name, the first one when no theme folder showed which exists.
    const QString canberra = env.lecteurs.value(QStringLiteral("canberra-gtk-play"));
    if (!canberra.isEmpty())
        return {canberra,
                {QStringLiteral("-i"), nom.isEmpty() ? noms.first() : nom, QStringLiteral("-d"),
                 QStringLiteral("Telmira")},
                false};
    if (!fichier.isEmpty())
        for (const QString& lecteur : {QStringLiteral("pw-play"), QStringLiteral("paplay")}) {
            const QString chemin = env.lecteurs.value(lecteur);
            if (!chemin.isEmpty()) return {chemin, {fichier}, false};
        }
    return {{}, {}, true};
}

void JoueSon(int CodeBeep) {
    // Looked up once: the PATH and the themes do not change during a run.
    static const TEnvironnementSon env = environnementSon();
    const TSon son = ChoisitSon(CodeBeep, env);
    if (son.bip ||
        (!son.programme.isEmpty() && !QProcess::startDetached(son.programme, son.arguments)))
        Bip();
}

void installeBip(std::function<void()> bip) {
    bipInstalle() = std::move(bip);
}

void Bip() {
    if (bipInstalle()) {
        bipInstalle()();
        return;
    }
#ifdef Q_OS_UNIX
    if (::isatty(STDERR_FILENO)) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
#endif
}
