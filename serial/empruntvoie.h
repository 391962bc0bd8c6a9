#pragma once

#include "serial/apdcomport.h"

#include <QPointer>

// A port's data-available handler lent to a window. While the loan lasts the port's bytes go to
// the window; the loan gives the handler back when it is returned or destroyed, so that no port
// is left calling a window that has closed, whatever way it closed.
class TEmpruntVoie {
public:
    TEmpruntVoie() = default;
    ~TEmpruntVoie() { rend(); }
    TEmpruntVoie(const TEmpruntVoie&) = delete;
    TEmpruntVoie& operator=(const TEmpruntVoie&) = delete;

    // Points the port's handler at `gestionnaire`; rend() will put back `retour`. Borrowing the
    // port already held only changes the handler (the first `retour` stays the one given back);
    // borrowing another port first returns the one held.
    void emprunte(TApdComPort* port, TTriggerAvailEvent gestionnaire, TTriggerAvailEvent retour);
    // As above, giving back the handler the port has now.
    void emprunte(TApdComPort* port, TTriggerAvailEvent gestionnaire);
    // Gives the handler back; nothing when nothing is held or the port is gone.
    void rend();
    // The port held; nullptr when none (or when it was destroyed meanwhile).
    [[nodiscard]] TApdComPort* port() const { return port_.data(); }

private:
    QPointer<TApdComPort> port_;
    TTriggerAvailEvent retour_;
};
