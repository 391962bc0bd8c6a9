#include "serial/empruntvoie.h"

void TEmpruntVoie::emprunte(TApdComPort* port, TTriggerAvailEvent gestionnaire,
                            TTriggerAvailEvent retour) {
    if (port_ && port_ != port) rend();
    if (!port) return;
    if (!port_) {
        port_ = port;
        retour_ = std::move(retour);
    }
    port->setOnTriggerAvail(std::move(gestionnaire));
}

void TEmpruntVoie::emprunte(TApdComPort* port, TTriggerAvailEvent gestionnaire) {
    TTriggerAvailEvent actuel = port ? port->OnTriggerAvail() : TTriggerAvailEvent();
    emprunte(port, std::move(gestionnaire), std::move(actuel));
}

void TEmpruntVoie::rend() {
    if (port_) port_->setOnTriggerAvail(std::exchange(retour_, {}));
    port_.clear();
    retour_ = {};
}
