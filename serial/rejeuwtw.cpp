#include "serial/rejeuwtw.h"

#include "serial/voiesserie.h"

TRejeuWTW::TRejeuWTW(TTriggerAvailEvent gestionnaire, QObject* parent)
    : QObject(parent), gestionnaire_(std::move(gestionnaire)) {
    TimerWTW1.setInterval(2000);
    TimerWTW2.setInterval(20);
    connect(&TimerWTW1, &QTimer::timeout, this, &TRejeuWTW::TimerWTW1Timer);
    connect(&TimerWTW2, &QTimer::timeout, this, &TRejeuWTW::TimerWTW2Timer);
}

void TRejeuWTW::demarre() {
    ligneWTW = 0;
    positionWTW = 1;
    TimerWTW2.stop();
    TimerWTW1.start();
}

void TRejeuWTW::arrete() {
    TimerWTW1.stop();
    TimerWTW2.stop();
}

quint8 TRejeuWTW::LitOctet() {
    if (ligneWTW < 0 || ligneWTW > 7) return 0;
    const QByteArray& ligne = TVoiesSerie::enregistrementWTW()[ligneWTW];
    if (positionWTW < 1 || positionWTW > ligne.size()) return 0;
    return quint8(ligne[positionWTW++ - 1]);
}

void TRejeuWTW::TimerWTW1Timer() {
    ligneWTW = 0;
    positionWTW = 1;
    TimerWTW2.start();
}

void TRejeuWTW::TimerWTW2Timer() {
    if (ligneWTW < 0 || ligneWTW > 7) {
        TimerWTW2.stop();
        ligneWTW = 0;
        return;
    }
    const int L = int(TVoiesSerie::enregistrementWTW()[ligneWTW].size());
    const int debut = positionWTW;
    const bool finDeLigne = debut + 7 >= L;
    const int count = finDeLigne ? L - debut + 1 : 8;
    if (count > 0 && gestionnaire_) gestionnaire_(nullptr, quint16(count));
    // The position moves by what was due, whether or not the handler took every byte.
    if (finDeLigne) {
        positionWTW = 1;
        if (++ligneWTW > 7) {
            TimerWTW2.stop();
            ligneWTW = 0;
        }
    } else {
        positionWTW = debut + 8;
    }
}
