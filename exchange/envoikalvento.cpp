#include "exchange/envoikalvento.h"

#include "exchange/pagedlg.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>

std::unique_ptr<TFormDDE> CreeFormDDE(std::function<QString()> TexteDonnees,
                                      const QString& dossierCanaux) {
    auto formDDE = std::make_unique<TFormDDE>(
        std::move(TexteDonnees),
        [](const QString& texte) {
            if (QClipboard* presse = QGuiApplication::clipboard()) presse->setText(texte);
        },
        dossierCanaux);
    formDDE->Sablier = [](bool occupe) {
        if (occupe)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    };
    return formDDE;
}

bool KalventoSaveBtnClick(TPageDlg& PageDlg, TFormDDE& FormDDE, bool& PagePermise) {
    PageDlg.PrepareAffichage(true);
    const bool accepte = PageDlg.exec() == QDialog::Accepted;
    PageDlg.PrepareAffichage(false);
    if (!accepte) return false;
    const bool nouvellePage = PageDlg.NewPageCB->currentIndex() == 1;
    const bool envoye = FormDDE.EnvoiePage(nouvellePage, PagePermise);
    PageDlg.NewPageCB->setCurrentIndex(1);
    return envoye;
}
