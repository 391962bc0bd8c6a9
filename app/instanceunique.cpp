#include "app/instanceunique.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
constexpr int AttenteMs = 800;
const QByteArray Restaure = "RESTAURE";
const QByteArray Argument = "ARGUMENT ";
} // namespace

TInstanceUnique::TInstanceUnique(const QString& dossier, QObject* parent) : QObject(parent) {
    QString d = dossier.isEmpty()
                    ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                    : dossier;
    if (d.isEmpty()) d = QDir::tempPath();
    QDir().mkpath(d);
    nom_ = QDir(d).filePath(QStringLiteral("KALSERIE"));
}

TInstanceUnique::~TInstanceUnique() = default;

bool TInstanceUnique::VerifieInstanceUnique(const QStringList& arguments) {
    // Two copies started together must not both become the first one.
    QLockFile verrou(nom_ + QStringLiteral(".lock"));
    verrou.setStaleLockTime(5000);
    verrou.tryLock(2000);

    QLocalSocket client;
    client.connectToServer(nom_);
    if (client.waitForConnected(AttenteMs)) {
        QByteArray message = Restaure + '\n';
        if (!arguments.isEmpty())
            message += Argument + arguments.first().toUtf8().toBase64() + '\n';
        client.write(message);
        client.waitForBytesWritten(AttenteMs);
        client.disconnectFromServer();
        if (client.state() != QLocalSocket::UnconnectedState) client.waitForDisconnected(AttenteMs);
        return false;
    }

    // Nobody answers: a socket left by a copy that crashed is removed before listening.
    QLocalServer::removeServer(nom_);
    serveur_ = std::make_unique<QLocalServer>();
    serveur_->setSocketOptions(QLocalServer::UserAccessOption);
    if (serveur_->listen(nom_)) {
        connect(serveur_.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* c = serveur_->nextPendingConnection()) {
                connect(c, &QLocalSocket::readyRead, this, [this, c] { lit(c); });
                connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
                lit(c);
            }
        });
    }
    // A channel that cannot be made leaves this copy running as the first one.
    return true;
}

void TInstanceUnique::lit(QLocalSocket* client) {
    while (client->canReadLine()) {
        const QByteArray ligne = client->readLine(4096).trimmed();
        if (ligne == Restaure)
            Q_EMIT restaurationDemandee();
        else if (ligne.startsWith(Argument))
            Q_EMIT argumentRecu(
                QString::fromUtf8(QByteArray::fromBase64(ligne.mid(Argument.size()))));
    }
}
