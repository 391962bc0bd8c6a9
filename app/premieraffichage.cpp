#include "app/premieraffichage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

TPremierAffichage::TPremierAffichage()
    : mesure_(qEnvironmentVariableIsSet("TELMIRA_MESURE_DEMARRAGE")),
      quitte_(qEnvironmentVariable("TELMIRA_MESURE_DEMARRAGE") == QLatin1String("quitte")) {}

void TPremierAffichage::observe(QWidget& fenetre) {
    fenetre.installEventFilter(this);
}

bool TPremierAffichage::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::Paint && !vu_) {
        vu_ = true;
        objet->removeEventFilter(this);
        // Once this paint is done and flushed to the screen.
        QTimer::singleShot(0, this, [this] { apres(); });
    }
    return false;
}

void TPremierAffichage::apres() {
    if (mesure_) {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        std::fprintf(stderr, "telmira-premier-affichage %lld\n",
                     static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
        std::fflush(stderr);
        if (quitte_) {
            QCoreApplication::exit(0);
            return;
        }
    }
    for (const auto& action : actions_)
        action();
    actions_.clear();
}
