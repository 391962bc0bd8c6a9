// Serial link figures: the processor time a pumped WaitTicks takes, and the time from the
// instrument's last byte to the data-available handler, over a real pseudo-terminal whose far
// end is played by another thread.
#include "serial/apdcomport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {
using Horloge = std::chrono::steady_clock;

double secondesProcesseur() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    const auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(r.ru_utime) + s(r.ru_stime);
}

void mesureAttente(bool pompe) {
    // A timer keeps the loop busy as the sampling timer would.
    int tics = 0;
    QTimer t;
    t.setInterval(100);
    QObject::connect(&t, &QTimer::timeout, [&] { ++tics; });
    t.start();
    const double cpu0 = secondesProcesseur();
    QElapsedTimer mur;
    mur.start();
    WaitTicks(91, pompe); // 5 s
    const double murS = double(mur.nsecsElapsed()) / 1e9;
    const double cpu = secondesProcesseur() - cpu0;
    std::printf("WaitTicks(91, %s) : %.2f s, processeur %.3f s = %.2f %% (%d événements)\n",
                pompe ? "pompe" : "sans pompe", murS, cpu, 100.0 * cpu / murS, tics);
}

// The instrument: answers every request with one line, written at once.
struct Instrument {
    int maitre = -1;
    std::atomic<qint64> ecritNs{0};
    std::atomic<bool> fin{false};
    std::thread fil;

    void demarre() {
        fil = std::thread([this] {
            const char reponse[] = "pH  7.02 T=21.4\r\n";
            char tampon[256];
            while (!fin) {
                const ssize_t n = ::read(maitre, tampon, sizeof tampon);
                if (n <= 0) break;
                for (ssize_t i = 0; i < n; ++i)
                    if (tampon[i] == '?') {
                        ecritNs = Horloge::now().time_since_epoch().count();
                        if (::write(maitre, reponse, sizeof reponse - 1) < 0) return;
                    }
            }
        });
    }
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    mesureAttente(true);
    mesureAttente(false);

    int maitre = -1;
    int esclave = -1;
    char nom[256] = {};
    if (::openpty(&maitre, &esclave, nom, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios t{};
    ::tcgetattr(esclave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(esclave, TCSANOW, &t);
    qputenv("TELMIRA_COM1", nom);

    Instrument instrument;
    instrument.maitre = maitre;
    TApdComPort port(1);
    port.setBaud(9600);
    constexpr int reponses = 1000;
    std::vector<double> delais;
    delais.reserve(reponses);
    QByteArray ligne;
    port.setOnTriggerAvail([&](TApdComPort* CP, quint16 Count) {
        const qint64 maintenant = Horloge::now().time_since_epoch().count();
        for (int i = 0; i < Count; ++i)
            ligne += char(CP->GetChar());
        if (!ligne.endsWith('\n')) return;
        ligne.clear();
        delais.push_back(double(maintenant - instrument.ecritNs) / 1000.0);
        if (int(delais.size()) == reponses)
            QCoreApplication::quit();
        else
            CP->PutString("?");
    });
    try {
        port.setOpen(true);
    } catch (const EAPDException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    instrument.demarre();
    QTimer::singleShot(0, [&] { port.PutString("?"); });
    QElapsedTimer mur;
    mur.start();
    app.exec();
    const double murS = double(mur.nsecsElapsed()) / 1e9;
    port.setOpen(false);
    instrument.fin = true;
    ::close(esclave);
    ::close(maitre);
    instrument.fil.join();

    std::vector<double> tri = delais;
    std::sort(tri.begin(), tri.end());
    const auto rang = [&](double q) { return tri[std::size_t(q * double(tri.size() - 1))]; };
    std::printf("Dernier octet -> gestionnaire, %zu réponses en %.2f s : médiane %.0f µs, "
                "99 %% %.0f µs, pire %.0f µs\n",
                tri.size(), murS, rang(0.5), rang(0.99), tri.back());
    return 0;
}
