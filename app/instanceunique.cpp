#include "app/instanceunique.h"

#include "exchange/canallocal.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
constexpr int AttenteMs = 800;
const QByteArray Restaure = "RESTAURE";
const QByteArray Argument = "ARGUMENT ";
const char* const proprieteRecus = "telmiraRecus";

// A folder fit for the channel: a real folder (no link) of this user that nobody else can
// write, so that no one can put a socket or a lock there before us.
bool dossierPrive(const QString& dossier) {
    if (dossier.isEmpty()) return false;
#ifdef Q_OS_UNIX
    struct stat etat {};
    if (::lstat(QFile::encodeName(dossier).constData(), &etat) != 0) return false;
    return S_ISDIR(etat.st_mode) && etat.st_uid == ::geteuid() && (etat.st_mode & 022) == 0;
#else
    return QFileInfo(dossier).isDir();
#endif
}

#ifdef Q_OS_UNIX
// Held while this copy looks for a running one and sets up its channel. The system drops the
// lock with the process, so a copy that crashed never leaves a stale one, and nothing is
// written to the disk for it.
class TVerrou {
public:
    TVerrou(const QString& chemin, int attenteMs) {
        fd_ = ::open(QFile::encodeName(chemin).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        for (int attendu = 0;; attendu += PasMs) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                tenu_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) return;
            if (attendu >= attenteMs) return;
            QThread::msleep(PasMs);
        }
    }
    ~TVerrou() {
        if (fd_ >= 0) ::close(fd_);
    }
    TVerrou(const TVerrou&) = delete;
    TVerrou& operator=(const TVerrou&) = delete;
    [[nodiscard]] bool tenu() const { return tenu_; }

private:
    static constexpr int PasMs = 5;
    int fd_ = -1;
    bool tenu_ = false;
};
#else
class TVerrou {
public:
    TVerrou(const QString& chemin, int attenteMs) : verrou_(chemin) {
        verrou_.setStaleLockTime(5000);
        tenu_ = verrou_.tryLock(attenteMs);
    }
    [[nodiscard]] bool tenu() const { return tenu_; }

private:
    QLockFile verrou_;
    bool tenu_ = false;
};
#endif

// Without a runtime folder: "telmira-<uid>" in the temporary folder, made for this user alone.
QString dossierTemporaireUtilisateur() {
#ifdef Q_OS_UNIX
    const QString d =
        QDir(QDir::tempPath()).filePath(QStringLiteral("telmira-%1").arg(::geteuid()));
    ::mkdir(QFile::encodeName(d).constData(), 0700);
    return d;
#else
    const QString d = QDir(QDir::tempPath()).filePath(QStringLiteral("telmira"));
    QDir().mkpath(d);
    return d;
#endif
}
} // namespace

QString argumentTransmissible(const QString& argument) {
    const QFileInfo fichier(argument);
    return fichier.isRelative() && fichier.exists() ? fichier.absoluteFilePath() : argument;
}

TInstanceUnique::TInstanceUnique(const QString& dossier, QObject* parent) : QObject(parent) {
    QString d = dossier.isEmpty()
                    ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                    : dossier;
    if (!d.isEmpty()) QDir().mkpath(d);
    if (!dossierPrive(d)) d = dossierTemporaireUtilisateur();
    if (dossierPrive(d)) nom_ = QDir(d).filePath(QStringLiteral("KALSERIE"));
}

TInstanceUnique::~TInstanceUnique() = default;

bool TInstanceUnique::VerifieInstanceUnique(const QStringList& arguments) {
    // No private folder: no channel anyone else could answer on; this copy runs alone.
    if (nom_.isEmpty()) return true;

    // Two copies started together must not both become the first one.
    const TVerrou verrou(nom_ + QStringLiteral(".lock"), 2000);
    const bool verrouille = verrou.tenu();

    TSocketLocal client;
    client.connectToServer(nom_);
    if (client.waitForConnected(AttenteMs)) {
        QByteArray message = Restaure + '\n';
        if (!arguments.isEmpty())
            message +=
                Argument + argumentTransmissible(arguments.first()).toUtf8().toBase64() + '\n';
        client.write(message);
        client.waitForBytesWritten(AttenteMs);
        client.disconnectFromServer();
        if (client.state() != TSocketLocal::UnconnectedState) client.waitForDisconnected(AttenteMs);
        return false;
    }
    // Another copy holds the lock while it sets up its channel: its socket is not ours to
    // remove. This copy runs without one.
    if (!verrouille) return true;

    // Nobody answers: a socket left by a copy that crashed is removed before listening.
    TServeurLocal::removeServer(nom_);
    serveur_ = std::make_unique<TServeurLocal>();
    if (serveur_->listen(nom_)) {
        connect(serveur_.get(), &TServeurLocal::newConnection, this, [this] {
            while (TSocketLocal* c = serveur_->nextPendingConnection())
                accueille(c);
        });
    }
    // A channel that cannot be made leaves this copy running as the first one.
    return true;
}

void TInstanceUnique::accueille(TSocketLocal* client) {
    // A client is told once and goes: one that keeps its connection or sends without end is
    // cut off, so that it cannot hold the running copy's memory or attention.
    client->setReadBufferSize(MaxOctetsClient);
    client->setProperty(proprieteRecus, qint64(0));
    QTimer::singleShot(DelaiClientMs, client, [client] {
        client->abort();
        client->deleteLater();
    });
    connect(client, &TSocketLocal::readyRead, this, [this, client] { lit(client); });
    connect(client, &TSocketLocal::disconnected, client, &QObject::deleteLater);
    lit(client);
}

void TInstanceUnique::lit(TSocketLocal* client) {
    qint64 recus = client->property(proprieteRecus).toLongLong();
    bool restaure = false;
    QStringList argumentsLus;
    while (client->canReadLine() && recus < MaxOctetsClient) {
        const QByteArray brute = client->readLine(MaxOctetsClient);
        recus += brute.size();
        const QByteArray ligne = brute.trimmed();
        if (ligne == Restaure)
            restaure = true;
        else if (ligne.startsWith(Argument))
            argumentsLus << QString::fromUtf8(QByteArray::fromBase64(ligne.mid(Argument.size())));
    }
    client->setProperty(proprieteRecus, recus);
    if (recus >= MaxOctetsClient || client->bytesAvailable() >= MaxOctetsClient) {
        client->abort();
        client->deleteLater();
    }
    // The window may open a box on these: the client is not touched afterwards.
    if (restaure) Q_EMIT restaurationDemandee();
    for (const QString& argument : std::as_const(argumentsLus))
        Q_EMIT argumentRecu(argument);
}
