#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class TModuleAppareils;

// "Ajout d'un appareil à sortie Telmira à partir d'un fichier": descriptions of another device
// file copied into the device list, one "Ajouter" at a time. "&Fermer" closes with OK, the close
// box with cancel; what was added stays added either way (nbreAjoutes tells how many).
class TChoixCfgAppDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChoixCfgAppDlg(TModuleAppareils& module, QWidget* parent = nullptr);

    void MajBoutons();
    void OpenBtnClick();
    void RemplitListes();
    void GrandeurComboChange();
    void AddBtnClick();

    int nbreAjoutes = 0;

    QComboBox* GrandeurCombo = nullptr;
    QComboBox* ListeAppareilCombo = nullptr;
    QPushButton* AddBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* OpenBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RemplitAppareils(const QString& grandeur);

    TModuleAppareils& module_;
};
