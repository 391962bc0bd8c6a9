#pragma once

#include <QIODevice>
#include <QObject>
#include <QString>
#include <deque>
#include <memory>

class QSocketNotifier;

// One end of a local channel: a Unix stream socket on the system's own calls. The single-copy
// channel and the command channels need no more than this, and the network library it replaces
// cost every start its loading. It follows the local socket of the toolkit: the same calls and
// states, data read as a sequential device, "readyRead" when bytes come and "disconnected" when
// the channel closes (bytes already received can still be read then).
class TSocketLocal : public QIODevice {
    Q_OBJECT

public:
    enum LocalSocketState { UnconnectedState, ConnectedState, ClosingState };

    explicit TSocketLocal(QObject* parent = nullptr);
    ~TSocketLocal() override;

    // A local connection is made or refused at once: waitForConnected only reports it.
    void connectToServer(const QString& chemin);
    bool waitForConnected(int ms = 30000) const;
    // Closes once what is buffered is sent (at once when nothing is).
    void disconnectFromServer();
    bool waitForDisconnected(int ms = 30000);
    // Closes at once; what is unsent or unread is dropped.
    void abort();
    [[nodiscard]] LocalSocketState state() const { return etat_; }

    // Bytes beyond this many stay with the system until some are read (0: no bound).
    void setReadBufferSize(qint64 taille);
    // Hands the system what it takes without waiting; true when something was sent.
    bool flush();

    bool waitForBytesWritten(int ms) override;
    [[nodiscard]] qint64 bytesAvailable() const override;
    [[nodiscard]] qint64 bytesToWrite() const override;
    [[nodiscard]] bool canReadLine() const override;
    [[nodiscard]] bool isSequential() const override { return true; }
    void close() override;

Q_SIGNALS:
    void disconnected();

protected:
    qint64 readData(char* donnees, qint64 taille) override;
    qint64 readLineData(char* donnees, qint64 taille) override;
    qint64 writeData(const char* donnees, qint64 taille) override;

private:
    friend class TServeurLocal;
    void adopte(int fd);
    void lisSysteme();
    qint64 envoie();
    void ferme(bool signale = true);
    [[nodiscard]] bool plein() const;
    void suitLecture();
    bool attend(short evenements, int ms);

    int fd_ = -1;
    LocalSocketState etat_ = UnconnectedState;
    QByteArray recus_;
    QByteArray aEnvoyer_;
    qint64 tailleMaxLecture_ = 0;
    std::unique_ptr<QSocketNotifier> lecture_;
    std::unique_ptr<QSocketNotifier> ecriture_;
};

// The listening end. The socket file can be used by this user alone; the connections
// accepted are children of the server, as with the toolkit's local server.
class TServeurLocal : public QObject {
    Q_OBJECT

public:
    explicit TServeurLocal(QObject* parent = nullptr);
    ~TServeurLocal() override;

    bool listen(const QString& chemin);
    [[nodiscard]] bool isListening() const { return fd_ >= 0; }
    TSocketLocal* nextPendingConnection();
    void close();
    // Removes a socket file left by a program that did not close its server.
    static bool removeServer(const QString& chemin);

Q_SIGNALS:
    void newConnection();

private:
    void accepte();

    int fd_ = -1;
    QString chemin_;
    std::unique_ptr<QSocketNotifier> notificateur_;
    std::deque<TSocketLocal*> enAttente_;
};
