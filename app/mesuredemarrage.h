#pragma once

#include <QObject>

class QWidget;

// Start-up measurement for the benchmark: with TELMIRA_MESURE_DEMARRAGE set, the first paint
// of the observed window prints "telmira-premier-affichage <ns>" on stderr, the system's
// monotonic clock in nanoseconds (the launcher reads the same clock before exec); with the
// value "quitte" the program then ends. Without the variable nothing is watched.
class MesureDemarrage : public QObject {
public:
    MesureDemarrage();
    void observe(QWidget& fenetre);

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    bool active_ = false;
    bool quitte_ = false;
};
