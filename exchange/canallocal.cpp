#include "exchange/canallocal.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
constexpr int FileAttenteServeur = 50;
constexpr int RepriseAcceptationMs = 100;

// The address of a socket file named in the system's encoding; false when the name cannot be
// one (empty or too long).
bool adresse(const QByteArray& nom, sockaddr_un& a) {
    a = {};
    a.sun_family = AF_UNIX;
    if (nom.isEmpty() || nom.size() >= qsizetype(sizeof a.sun_path)) return false;
    std::memcpy(a.sun_path, nom.constData(), std::size_t(nom.size()));
    return true;
}

// A negative delay waits without end, as with the toolkit's sockets.
QDeadlineTimer echeance(int ms) {
    return ms < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(ms);
}

int restant(const QDeadlineTimer& fin) {
    return fin.isForever() ? -1 : int(std::max<qint64>(0, fin.remainingTime()));
}
} // namespace

TSocketLocal::TSocketLocal(QObject* parent) : QIODevice(parent) {}

TSocketLocal::~TSocketLocal() {
    // Nobody is told: the receivers would reach a half-destroyed object.
    ferme(false);
}

void TSocketLocal::connectToServer(const QString& chemin) {
    ferme();
    recus_.clear();
    sockaddr_un a{};
    if (!adresse(QFile::encodeName(chemin), a)) {
        setErrorString(QStringLiteral("Nom de canal impossible : ") + chemin);
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    int r = 0;
    do
        r = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return;
    }
    adopte(fd);
}

bool TSocketLocal::waitForConnected(int) const {
    return etat_ == ConnectedState;
}

void TSocketLocal::adopte(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    fd_ = fd;
    etat_ = ConnectedState;
    lecture_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(lecture_.get(), &QSocketNotifier::activated, this, &TSocketLocal::lisSysteme);
    ecriture_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    ecriture_->setEnabled(false);
    connect(ecriture_.get(), &QSocketNotifier::activated, this, [this] { envoie(); });
    setOpenMode(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

// Closes the descriptor. The notifiers are only put to sleep: this may run inside their own
// signal, where they must not be deleted.
void TSocketLocal::ferme(bool signale) {
    const bool etaitOuvert = fd_ >= 0;
    if (lecture_) lecture_->setEnabled(false);
    if (ecriture_) ecriture_->setEnabled(false);
    if (etaitOuvert) ::close(fd_);
    fd_ = -1;
    aEnvoyer_.clear();
    etat_ = UnconnectedState;
    if (etaitOuvert && signale) Q_EMIT disconnected();
}

void TSocketLocal::disconnectFromServer() {
    if (fd_ < 0) return;
    etat_ = ClosingState;
    envoie();
}

bool TSocketLocal::waitForDisconnected(int ms) {
    const QDeadlineTimer fin = echeance(ms);
    while (fd_ >= 0) {
        // With its read buffer full, the end of the channel cannot be seen.
        if (plein() && aEnvoyer_.isEmpty()) return false;
        const short evenements = short(POLLIN | (aEnvoyer_.isEmpty() ? 0 : POLLOUT));
        if (!attend(evenements, restant(fin))) return false;
        if (!aEnvoyer_.isEmpty()) envoie();
        if (fd_ >= 0) lisSysteme();
    }
    return true;
}

void TSocketLocal::abort() {
    recus_.clear();
    ferme();
    QIODevice::close();
}

void TSocketLocal::close() {
    abort();
}

void TSocketLocal::setReadBufferSize(qint64 taille) {
    tailleMaxLecture_ = std::max<qint64>(0, taille);
    suitLecture();
}

bool TSocketLocal::plein() const {
    return tailleMaxLecture_ > 0 && recus_.size() >= tailleMaxLecture_;
}

void TSocketLocal::suitLecture() {
    if (lecture_) lecture_->setEnabled(fd_ >= 0 && !plein());
}

void TSocketLocal::lisSysteme() {
    bool recu = false;
    bool fin = false;
    while (fd_ >= 0 && !plein()) {
        char tampon[16384];
        qint64 place = qint64(sizeof tampon);
        if (tailleMaxLecture_ > 0) place = std::min(place, tailleMaxLecture_ - recus_.size());
        const ssize_t n = ::recv(fd_, tampon, std::size_t(place), 0);
        if (n > 0) {
            recus_.append(tampon, n);
            recu = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // Nothing more for now, or the other end has gone (end of file, or reset).
        fin = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    suitLecture();
    if (recu) Q_EMIT readyRead();
    if (fin && fd_ >= 0) ferme();
}

qint64 TSocketLocal::envoie() {
    qint64 total = 0;
    while (fd_ >= 0 && !aEnvoyer_.isEmpty()) {
        const ssize_t n =
            ::send(fd_, aEnvoyer_.constData(), std::size_t(aEnvoyer_.size()), MSG_NOSIGNAL);
        if (n > 0) {
            aEnvoyer_.remove(0, n);
            total += n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        // The other end is gone: nothing more can be sent.
        ferme();
        return total;
    }
    if (ecriture_) ecriture_->setEnabled(fd_ >= 0 && !aEnvoyer_.isEmpty());
    if (total > 0) Q_EMIT bytesWritten(total);
    if (etat_ == ClosingState && aEnvoyer_.isEmpty()) ferme();
    return total;
}

bool TSocketLocal::flush() {
    return envoie() > 0;
}

bool TSocketLocal::attend(short evenements, int ms) {
    pollfd p{fd_, evenements, 0};
    for (;;) {
        const int r = ::poll(&p, 1, ms);
        if (r >= 0) return r > 0;
        if (errno != EINTR) return false;
    }
}

bool TSocketLocal::waitForBytesWritten(int ms) {
    const QDeadlineTimer fin = echeance(ms);
    for (;;) {
        envoie();
        if (aEnvoyer_.isEmpty()) return true;
        if (fd_ < 0 || !attend(POLLOUT, restant(fin))) return false;
    }
}

qint64 TSocketLocal::bytesAvailable() const {
    return recus_.size() + QIODevice::bytesAvailable();
}

qint64 TSocketLocal::bytesToWrite() const {
    return aEnvoyer_.size();
}

bool TSocketLocal::canReadLine() const {
    return recus_.contains('\n') || QIODevice::canReadLine();
}

qint64 TSocketLocal::readData(char* donnees, qint64 taille) {
    const qint64 n = std::min<qint64>(taille, recus_.size());
    if (n == 0) return fd_ < 0 ? -1 : 0;
    std::memcpy(donnees, recus_.constData(), std::size_t(n));
    recus_.remove(0, n);
    suitLecture();
    return n;
}

qint64 TSocketLocal::readLineData(char* donnees, qint64 taille) {
    const qsizetype fin = recus_.indexOf('\n');
    return readData(donnees, fin < 0 ? taille : std::min<qint64>(taille, fin + 1));
}

qint64 TSocketLocal::writeData(const char* donnees, qint64 taille) {
    if (fd_ < 0 || etat_ != ConnectedState) return -1;
    aEnvoyer_.append(donnees, taille);
    envoie();
    return taille;
}

TServeurLocal::TServeurLocal(QObject* parent) : QObject(parent) {}

TServeurLocal::~TServeurLocal() {
    close();
}

bool TServeurLocal::listen(const QString& chemin) {
    close();
    sockaddr_un cible{};
    if (!adresse(QFile::encodeName(chemin), cible)) return false;
    // Made in a folder of this user alone, then moved in place: nobody can connect before
    // the socket has its rights.
    const QFileInfo info(chemin);
    QByteArray modele = QFile::encodeName(info.absolutePath()) + "/.telmira-XXXXXX";
    if (!::mkdtemp(modele.data())) return false;
    const QByteArray provisoire = modele + "/s";
    sockaddr_un a{};
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool pret = fd >= 0 && adresse(provisoire, a) &&
                      ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0 &&
                      ::chmod(a.sun_path, S_IRUSR | S_IWUSR) == 0 &&
                      ::listen(fd, FileAttenteServeur) == 0 &&
                      ::rename(provisoire.constData(), cible.sun_path) == 0;
    ::unlink(provisoire.constData());
    ::rmdir(modele.constData());
    if (!pret) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    fd_ = fd;
    chemin_ = chemin;
    notificateur_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notificateur_.get(), &QSocketNotifier::activated, this, &TServeurLocal::accepte);
    return true;
}

void TServeurLocal::accepte() {
    bool nouvelle = false;
    while (fd_ >= 0) {
        const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (c >= 0) {
            auto* client = new TSocketLocal(this);
            client->adopte(c);
            enAttente_.push_back(client);
            nouvelle = true;
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK && notificateur_) {
            // Out of descriptors: the waiting caller stays queued; looking again at once
            // would only spin.
            notificateur_->setEnabled(false);
            QTimer::singleShot(RepriseAcceptationMs, this, [this] {
                if (notificateur_ && fd_ >= 0) notificateur_->setEnabled(true);
            });
        }
        break;
    }
    if (nouvelle) Q_EMIT newConnection();
}

TSocketLocal* TServeurLocal::nextPendingConnection() {
    if (enAttente_.empty()) return nullptr;
    TSocketLocal* client = enAttente_.front();
    enAttente_.pop_front();
    return client;
}

void TServeurLocal::close() {
    notificateur_.reset();
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    removeServer(chemin_);
}

bool TServeurLocal::removeServer(const QString& chemin) {
    const QByteArray nom = QFile::encodeName(chemin);
    return !nom.isEmpty() && (::unlink(nom.constData()) == 0 || errno == ENOENT);
}
