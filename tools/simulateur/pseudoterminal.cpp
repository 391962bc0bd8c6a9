#include "pseudoterminal.h"

#include "journal.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
// What may wait for a program that does not read; beyond that the oldest bytes are dropped.
constexpr qsizetype sortieMaxi = 65536;

QString erreurSysteme() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

PseudoTerminal::PseudoTerminal(QObject* parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal() {
    lecture_.reset();
    ecriture_.reset();
    if (!lien_.isEmpty()) {
        // Only our own link: someone may have put another one there meanwhile.
        if (QFile::symLinkTarget(lien_) == chemin_) QFile::remove(lien_);
    }
    if (maitre_ >= 0) ::close(maitre_);
    if (esclave_ >= 0) ::close(esclave_);
}

bool PseudoTerminal::ouvre(QString& erreur) {
    char nom[256] = {};
    if (::openpty(&maitre_, &esclave_, nom, nullptr, nullptr) != 0) {
        erreur = QStringLiteral("pseudo-terminal impossible à ouvrir : ") + erreurSysteme();
        return false;
    }
    chemin_ = QString::fromLocal8Bit(nom);
    ::fcntl(maitre_, F_SETFD, FD_CLOEXEC);
    ::fcntl(esclave_, F_SETFD, FD_CLOEXEC);
    termios t{};
    if (::tcgetattr(esclave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(esclave_, TCSANOW, &t);
    }
    ::fcntl(maitre_, F_SETFL, ::fcntl(maitre_, F_GETFL) | O_NONBLOCK);
    lecture_ = std::make_unique<QSocketNotifier>(maitre_, QSocketNotifier::Read);
    connect(lecture_.get(), &QSocketNotifier::activated, this, [this] { lit(); });
    ecriture_ = std::make_unique<QSocketNotifier>(maitre_, QSocketNotifier::Write);
    ecriture_->setEnabled(false);
    connect(ecriture_.get(), &QSocketNotifier::activated, this, [this] { vide(); });
    return true;
}

bool PseudoTerminal::creeLien(const QString& lien, QString& erreur) {
    const QFileInfo info(lien);
    if (info.isSymLink()) {
        if (!QFile::remove(lien)) {
            erreur = QStringLiteral("le lien « %1 » existe et ne peut être remplacé").arg(lien);
            return false;
        }
    } else if (info.exists()) {
        erreur = QStringLiteral("« %1 » existe déjà et n'est pas un lien : choisir un autre "
                                "chemin")
                     .arg(lien);
        return false;
    }
    if (::symlink(chemin_.toLocal8Bit().constData(), lien.toLocal8Bit().constData()) != 0) {
        erreur = QStringLiteral("lien « %1 » impossible : %2").arg(lien, erreurSysteme());
        return false;
    }
    lien_ = lien;
    return true;
}

void PseudoTerminal::lit() {
    char tampon[4096];
    for (;;) {
        const ssize_t n = ::read(maitre_, tampon, sizeof tampon);
        if (n > 0) {
            Q_EMIT recu(QByteArray(tampon, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        // With the slave held open this should not happen; stop watching rather than spin.
        signale(QStringLiteral("%1 : lecture impossible (%2)")
                    .arg(chemin_, n == 0 ? QStringLiteral("fin") : erreurSysteme()));
        lecture_->setEnabled(false);
        return;
    }
}

void PseudoTerminal::ecrit(const QByteArray& octets) {
    sortie_ += octets;
    if (sortie_.size() > sortieMaxi) sortie_.remove(0, sortie_.size() - sortieMaxi);
    vide();
}

void PseudoTerminal::vide() {
    while (!sortie_.isEmpty()) {
        const ssize_t n = ::write(maitre_, sortie_.constData(), size_t(sortie_.size()));
        if (n > 0) {
            sortie_.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            signale(QStringLiteral("%1 : écriture impossible (%2)").arg(chemin_, erreurSysteme()));
            sortie_.clear();
        }
        break;
    }
    ecriture_->setEnabled(!sortie_.isEmpty());
}

int PseudoTerminal::nonLus() const {
    int n = 0;
    if (::ioctl(esclave_, FIONREAD, &n) != 0) return 0;
    return n + int(sortie_.size());
}

void PseudoTerminal::videNonLus() {
    sortie_.clear();
    ecriture_->setEnabled(false);
    ::tcflush(esclave_, TCIFLUSH);
}
