#include "app/signaux.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int paire[2] = {-1, -1};

void surSignal(int) {
    const char c = 1;
    // Only async-signal-safe work here: the event loop does the rest.
    [[maybe_unused]] const ssize_t n = ::write(paire[0], &c, 1);
}
} // namespace

TSignauxArret::TSignauxArret(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, paire) != 0) return;
    notificateur_ = std::make_unique<QSocketNotifier>(paire[1], QSocketNotifier::Read);
    connect(notificateur_.get(), &QSocketNotifier::activated, this, [this] {
        char c = 0;
        [[maybe_unused]] const ssize_t n = ::read(paire[1], &c, 1);
        Q_EMIT arretDemande();
    });
    struct sigaction action {};
    action.sa_handler = surSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &action, nullptr);
}

TSignauxArret::~TSignauxArret() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &action, nullptr);
    notificateur_.reset();
    for (int& fd : paire) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}
