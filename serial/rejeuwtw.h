#pragma once

#include "serial/apdcomport.h"

#include <QObject>
#include <QTimer>

// The built-in "WTW 3310" printout played to one handler: every 2 s its eight lines arrive in
// chunks of at most 8 bytes, 20 ms apart, never crossing a line end. The handler is called with
// no port and takes each byte with LitOctet. A window that tests such an instrument keeps a
// replay of its own, apart from the acquisition's.
class TRejeuWTW : public QObject {
    Q_OBJECT
public:
    explicit TRejeuWTW(TTriggerAvailEvent gestionnaire, QObject* parent = nullptr);

    // Back to the first line, and the printout every 2 s from now on.
    void demarre();
    void arrete();
    // The next byte of the line being delivered; 0 once it is exhausted.
    [[nodiscard]] quint8 LitOctet();
    void TimerWTW1Timer();
    void TimerWTW2Timer();

    int ligneWTW = 0;
    int positionWTW = 1;
    QTimer TimerWTW1;
    QTimer TimerWTW2;

private:
    TTriggerAvailEvent gestionnaire_;
};
