#include "display/cinetiquemain.h"

#include "instruments/appareil.h"
#include "settings/reglages.h"

#include <QCloseEvent>

bool listeAppRecente = true;

void TCinetiqueMain::LitReglages() {
    const TAppareilsRecents recents = LitAppareilsRecents(*ouvreReglages());
    listeAppRecente = recents.listeAppRecente;
    OldAppareilAcq = recents.noms;
}

void TCinetiqueMain::EcritReglages() {
    QStringList voies;
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (const Tappareil* app = acq_->AppareilAcq[v]) voies << app->NomAppareil;
    OldAppareilAcq = MajAppareilsRecents(OldAppareilAcq, voies);
    const auto reglages = ouvreReglages();
    EcritAppareilsRecents(*reglages, {listeAppRecente, OldAppareilAcq});
    reglages->setValue(QStringLiteral("FichierTrace/Index"),
                       QString::number(acq_->voiesSerie->indexFichierTrace));
    reglages->sync();
}

bool TCinetiqueMain::FormClose() {
    if (!acq_->FermetureAcceptee()) return false;
    if (EnregistreTypeFichierALaFermeture) EnregistreTypeFichierALaFermeture();
    // Whatever fails while the settings are written or the ports released, the window goes.
    try {
        EcritReglages();
    } catch (const std::exception&) {
    }
    try {
        acq_->LibereVoies();
    } catch (const std::exception&) {
    }
    return true;
}

void TCinetiqueMain::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}
