#include "display/cinetiquemain.h"

#include "instruments/appareil.h"
#include "settings/reglages.h"

#include <QCloseEvent>
#include <QSplitter>
#include <QToolButton>

bool listeAppRecente = true;

void TCinetiqueMain::LitReglages() {
    const TAppareilsRecents recents = LitAppareilsRecents(*ouvreReglages());
    listeAppRecente = recents.listeAppRecente;
    OldAppareilAcq = recents.noms;
    const auto reglages = ouvreReglages();
    restoreGeometry(reglages->value(QStringLiteral("Fenetre/Geometrie")).toByteArray());
    separateurRestaure_ = Separateur->restoreState(
        reglages->value(QStringLiteral("Fenetre/Separateur")).toByteArray());
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
    reglages->setValue(QStringLiteral("Fenetre/Geometrie"), saveGeometry());
    // The widths of the normal view, not of the multimeter view.
    if (!PleinEcranBtn->isChecked())
        reglages->setValue(QStringLiteral("Fenetre/Separateur"), Separateur->saveState());
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
    if (fermee_ || FormClose()) {
        fermee_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}
