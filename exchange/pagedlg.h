#pragma once

#include "exchange/infospage.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Edits the information that goes with a page of samples (a comment and up to two experimental
// constants), kept by the engine for the whole run: what is typed reaches it at once, the
// constants count once validated.
class TPageDlg : public QDialog {
    Q_OBJECT

public:
    explicit TPageDlg(TInfosPage& infos, QWidget* parent = nullptr);
    // Shows the information again as the engine holds it (the names of the constants may have
    // been changed by a transfer).
    void Recharge();

    // Shows the choice "Données vers Kalvento" and its captions for a transfer, or the plain
    // page information otherwise.
    void PrepareAffichage(bool transfert);
    // The comment as a list of lines; one empty line when nothing was typed.
    [[nodiscard]] QStringList LignesCommentaire() const;
    // Validates the constants from the texts of the boxes.
    void OKBtnClick();

    QPlainTextEdit* Memo = nullptr;
    QLineEdit* EditNom1 = nullptr;
    QLineEdit* EditUnite1 = nullptr;
    QLineEdit* EditValeur1 = nullptr;
    QLineEdit* EditNom2 = nullptr;
    QLineEdit* EditUnite2 = nullptr;
    QLineEdit* EditValeur2 = nullptr;
    QComboBox* NewPageCB = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    QString oldNom1;
    QString oldNom2;
    qint32 NbreConst = 0;
    bool Const1 = false;
    bool Const2 = false;
    bool ModifConst = false;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Transmet();

    TInfosPage& infos_;
};
