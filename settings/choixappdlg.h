#pragma once

#include "acquisition/echantillons.h"
#include "serial/voiesserie.h"
#include "settings/listechoix.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <array>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class Tappareil;

// The main window's channel set-up the dialog starts from and writes back on OK.
struct TVoiesAcquisition {
    std::array<Tappareil*, TEchantillons::MaxVoies>& AppareilAcq;
    int& NbreVoies;
    const QStringList& OldAppareilAcq;
    // Shared with the other dialogs that fill port groups: filled again at every showing.
    TNumeroCom& NumeroCom;
    const bool& listeAppRecente;
};

// Chooses the instruments of the channels (descriptions of the device list, not copies) and the
// port of each. Every showing starts again from the main window's channels.
class TChoixAppDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChoixAppDlg(TVoiesAcquisition voies, QWidget* parent = nullptr);
    ~TChoixAppDlg() override;

    void FormActivate();
    void MajPages();
    void GrandeurComboChange();
    void ListeAppareilComboClick();
    void AddBtnClick();
    void ListeOldClick();
    void DelBtnClick(int a);
    // A port chosen by the user on page t.
    void ComsClick(int t, int item);
    void OKBtnClick();
    void CancelBtnClick();
    // Also Escape and the window's close box.
    void reject() override;

    // Chosen count: ListeLoc.size().
    std::array<Tappareil*, TEchantillons::MaxVoies> AppareilCourant{};
    std::array<QGroupBox*, TEchantillons::MaxVoies> Coms{};
    std::array<QLabel*, TEchantillons::MaxVoies> Noms{};
    QStringList ListeLoc;
    bool MajEnCours = false;
    bool ModifSerie = false;
    bool modification = false;

    QGroupBox* GrandeurCombo = nullptr;
    QButtonGroup* GrandeurGroupe = nullptr;
    TListeChoix* ListeAppareilCombo = nullptr;
    QPushButton* AddBtn = nullptr;
    QGroupBox* oldGB = nullptr;
    TListeChoix* ListeOld = nullptr;
    QTabWidget* PageControl1 = nullptr;
    std::array<QWidget*, TEchantillons::MaxVoies> TabSheets{};
    std::array<QPushButton*, TEchantillons::MaxVoies> DelBtns{};
    QLabel* NoAppLabel = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    [[nodiscard]] int nbreChoisis() const { return int(ListeLoc.size()); }
    // Steps shared by every way of adding: port of the new page, texts to send, append.
    void AjouteAppareil(Tappareil* D);
    // Selects in Coms[page] the item of port com; false when no item has that port.
    bool SelectionnePort(int page, int com);
    void RemplitGrandeur(const QString& grandeur);
    void RelieComs(int page);
    // What a showing may change in the descriptions, put back when the dialog is cancelled.
    struct Sauvegarde {
        Tappareil* appareil;
        quint16 ComNumber;
        bool InitialisationAfaire;
        bool DeblocageAfaire;
    };
    void Sauve(Tappareil* appareil);
    QList<Sauvegarde> sauvegardes_;

    TVoiesAcquisition voies_;
};
