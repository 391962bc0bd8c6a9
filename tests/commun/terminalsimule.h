#pragma once

// A pseudo-terminal whose far end the test plays: the program under test opens slave() as its
// serial device, the test reads what was sent and writes the instrument's answers.
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class TerminalSimule : public QObject {
    Q_OBJECT
public:
    // Called with every byte run the program sends; returns what the instrument answers.
    using Repondeur = std::function<QByteArray(const QByteArray& recu)>;

    explicit TerminalSimule(QObject* parent = nullptr) : QObject(parent) {
        char nom[256] = {};
        if (::openpty(&maitre_, &esclave_, nom, nullptr, nullptr) != 0) return;
        chemin_ = QString::fromLocal8Bit(nom);
        termios t{};
        ::tcgetattr(esclave_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(esclave_, TCSANOW, &t);
        ::fcntl(maitre_, F_SETFL, ::fcntl(maitre_, F_GETFL) | O_NONBLOCK);
        notificateur_ = std::make_unique<QSocketNotifier>(maitre_, QSocketNotifier::Read);
        connect(notificateur_.get(), &QSocketNotifier::activated, this, [this] { lit(); });
    }
    ~TerminalSimule() override {
        notificateur_.reset();
        if (maitre_ >= 0) ::close(maitre_);
        if (esclave_ >= 0) ::close(esclave_);
    }

    [[nodiscard]] bool valide() const { return maitre_ >= 0; }
    // The device path the program opens.
    [[nodiscard]] const QString& slave() const { return chemin_; }
    void setRepondeur(Repondeur r) { repondeur_ = std::move(r); }

    // Writes bytes as the instrument; returns false when the terminal refused them.
    bool ecrit(const QByteArray& octets) {
        qsizetype fait = 0;
        while (fait < octets.size()) {
            const ssize_t n = ::write(maitre_, octets.constData() + fait, octets.size() - fait);
            if (n < 0 && errno == EAGAIN) continue;
            if (n <= 0) return false;
            fait += n;
        }
        return true;
    }
    // Everything the program sent so far; taken clears it.
    [[nodiscard]] const QByteArray& recu() const { return recu_; }
    QByteArray prend() { return std::exchange(recu_, {}); }
    // Handles events until at least n bytes were received or the delay ran out.
    bool attendRecu(qsizetype n, int delaiMs = 3000) {
        QDeadlineTimer fin(delaiMs);
        while (recu_.size() < n && !fin.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            10);
        return recu_.size() >= n;
    }

Q_SIGNALS:
    void arrivee(const QByteArray& octets);

private:
    void lit() {
        char tampon[4096];
        for (;;) {
            const ssize_t n = ::read(maitre_, tampon, sizeof tampon);
            if (n <= 0) break;
            const QByteArray octets(tampon, n);
            recu_ += octets;
            Q_EMIT arrivee(octets);
            if (repondeur_) {
                const QByteArray reponse = repondeur_(octets);
                if (!reponse.isEmpty()) ecrit(reponse);
            }
        }
    }

    int maitre_ = -1;
    int esclave_ = -1;
    QString chemin_;
    std::unique_ptr<QSocketNotifier> notificateur_;
    Repondeur repondeur_;
    QByteArray recu_;
};
