#include "app/mesuredemarrage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

MesureDemarrage::MesureDemarrage()
    : active_(qEnvironmentVariableIsSet("TELMIRA_MESURE_DEMARRAGE")),
      quitte_(qEnvironmentVariable("TELMIRA_MESURE_DEMARRAGE") == QLatin1String("quitte")) {}

void MesureDemarrage::observe(QWidget& fenetre) {
    if (active_) fenetre.installEventFilter(this);
}

bool MesureDemarrage::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::Paint && active_) {
        active_ = false;
        objet->removeEventFilter(this);
        // Once this paint is done and flushed to the screen.
        QTimer::singleShot(0, this, [this] {
            timespec t{};
            clock_gettime(CLOCK_MONOTONIC, &t);
            std::fprintf(stderr, "telmira-premier-affichage %lld\n",
                         static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
            std::fflush(stderr);
            if (quitte_) QCoreApplication::exit(0);
        });
    }
    return false;
}
