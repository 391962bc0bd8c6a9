#include "display/cinetiquemain.h"

#include "app/utilitaires.h"
#include "settings/choixappdlg.h"

TChoixAppDlg* TCinetiqueMain::ChoixAppDlg() {
    if (!ChoixAppDlg_)
        ChoixAppDlg_ =
            new TChoixAppDlg(TVoiesAcquisition{AppareilAcq, graphe.NbreVoies, OldAppareilAcq,
                                               voiesSerie->NumeroCom, listeAppRecente},
                             this);
    return ChoixAppDlg_;
}

void TCinetiqueMain::AddAppItemClick() {
    if (graphe.NbrePoints > 0 && !dataSaved &&
        !Confirme(QStringLiteral("Perte des données courantes ?")))
        return;
    SuspendAcq();
    TChoixAppDlg* dlg = ChoixAppDlg();
    const bool accepte = dlg->exec() == QDialog::Accepted;
    if (accepte && dlg->modification)
        InitAttente();
    else {
        RepriseAcq();
        // An answer dropped while the dialog was open is no missing answer.
        Reponse = true;
    }
}
