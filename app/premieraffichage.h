#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

// The first paint of the main window: what can wait until the user sees the window runs
// after it (the window icon's theme lookup). For the start-up benchmark, with
// TELMIRA_MESURE_DEMARRAGE set, it also prints "telmira-premier-affichage <ns>" on stderr,
// the system's monotonic clock in nanoseconds (the launcher reads the same clock before exec);
// with the value "quitte" the program then ends.
class TPremierAffichage : public QObject {
public:
    TPremierAffichage();
    void observe(QWidget& fenetre);
    void ensuite(std::function<void()> action) { actions_.push_back(std::move(action)); }

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    void apres();

    bool vu_ = false;
    bool mesure_ = false;
    bool quitte_ = false;
    std::vector<std::function<void()>> actions_;
};
