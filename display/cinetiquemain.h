#pragma once

#include "acquisition/acquisition.h"
#include "display/graphe.h"
#include "settings/reglagesbalayage.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QTableWidget;
class QToolBar;
class QToolButton;
class QWidget;

// Offer the recently used instruments in the device selection dialog; read at start and
// written at close with the other settings.
extern bool listeAppRecente;

// The main window: it builds the controls, shows what the acquisition engine reports (channel
// values, samples, state, time base) and hands the user's commands to it. Its methods live in
// display/ (controls, plot, commands) and app/fermeture.cpp (settings and close).
class TCinetiqueMain : public QMainWindow {
    Q_OBJECT
    // The engine comes first: the plot draws its store.
    std::unique_ptr<TAcquisition> acq_;

public:
    // The tool bars' images and their side: drawn ahead on another thread at start-up.
    static constexpr int CoteImagesBarres = 24;
    [[nodiscard]] static QStringList ImagesBarres();

    explicit TCinetiqueMain(QWidget* parent = nullptr);
    ~TCinetiqueMain() override;

    [[nodiscard]] TAcquisition& acq() { return *acq_; }
    [[nodiscard]] const TAcquisition& acq() const { return *acq_; }

    // Commands
    void EnregistreBtnClick();
    void ToolButton3Click();
    void UndoBtnClick();
    void StopBtnClick();
    void ResetBtnClick();
    // A character typed in the keyboard box: false when it is to be discarded; Enter (CR)
    // validates the entry.
    bool ClavierEditKeyPress(QChar Key);
    void ValideClavierBtnClick();
    void DureeSBUpClick();
    void DureeSBDownClick();
    void DeltatSEChange();
    void DureeEditExit();
    void RedessineOscillo();
    // Moves the cursor crosses to the current values.
    void PlaceCurseurs();

    // Data files
    // Enables the file commands each time the file menu drops down.
    void ActiveMenuFichier();
    void SaveItemClick();
    void FilePageItemClick();
    void CopyBtnClick();
    // Shows the page information; a changed symbol forbids adding a page to the last file.
    void PageItemClick();
    // The page information, created at its first use.
    class TPageDlg* PageDlg();

    // Set-up files
    void ChargeconfigItemClick();
    void SauveconfigItemClick();
    // Loads an argument of the command line or of a second start when it names a tm2 file; it
    // waits until no dialog is open.
    void ChargeArgument(const QString& argument);
    // "--acquiert": loads the set-up, waits for the channels' first readings (10 s at most), as
    // a user does, then presses "Acquérir".
    void ChargeEtAcquiert(const QString& argument);
    // A second start handed this argument over; a tm2 file it names is loaded.
    void ArgumentRecu(const QString& argument);
    // The user's close was accepted: nothing handed over afterwards opens the window again.
    [[nodiscard]] bool fermee() const { return fermee_; }

    // Set-up dialogs
    // "Ajouter appareil ": the device selection dialog, then a new set-up when it changed one.
    void AddAppItemClick();
    // "Mode acquisition": the acquisition mode dialog.
    void AcquisitionItemClick();
    // A click on the keyboard panel: the mode dialog, where the typed quantity is chosen.
    void ClavierGBClick();
    // "Dosage": the burette's settings.
    void BuretteBtnClick();
    // A click on channel v's panel: that channel's instrument.
    void GroupBox1Click(int v);
    // The channel panels, axes and grid titles after a channel's instrument changed.
    void ActualiseVoies();
    // "Gestion &appareils": the device file management.
    void ConfigurationItemClick();
    // "Kalvento": the page information, then the transfer.
    void KalventoSaveBtnClick();
    class TBalayageDlg* BalayageDlg();
    // The device selection dialog, created at its first use.
    class TChoixAppDlg* ChoixAppDlg();

    // Plot and window
    void OscilloPaint();
    void OscilloMouseDown(int X, int Y);
    void OscilloMouseMove(int X, int Y);
    void OscilloMouseUp(int X, int Y);
    void OscilloClick();
    void XUpDownChangingEx(bool haut);
    void YUpDownChangingEx(bool haut);
    void PleinEcranBtnClick();
    void DispositionVoies();
    void FormResize();

    // The plot of the engine's samples.
    Tgraphe graphe;

    // Widgets of the channel panels, by channel.
    std::array<QLabel*, Tgraphe::MaxVoies> labels{};
    std::array<QGroupBox*, Tgraphe::MaxVoies> groupBoxs{};
    std::array<QToolButton*, Tgraphe::MaxVoies> speedButtons{};
    QStringList OldAppareilAcq; // kept sorted, no duplicates
    QString argumentTransmis;

    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolButton* FichierBtn = nullptr;
    QToolButton* AjouterBtn = nullptr;
    QToolButton* ModeBtn = nullptr;
    QToolButton* AideBtn = nullptr;
    QToolButton* AProposBtn = nullptr;
    QToolButton* EnregistreBtn = nullptr;
    QToolButton* RepereBtn = nullptr;
    QToolButton* UndoBtn = nullptr;
    QToolButton* StopBtn = nullptr;
    QToolButton* ResetBtn = nullptr;
    QToolButton* KalventoSaveBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QToolButton* PleinEcranBtn = nullptr;
    QToolButton* BuretteBtn = nullptr;
    QMenu* MenuFichier = nullptr;
    QAction* EnregistreNouveauFichierItem = nullptr;
    QAction* EnregistreNouvellePageItem = nullptr;
    QAction* PageItem = nullptr;
    QAction* EnregistreConfigItem = nullptr;
    QAction* ChargeConfigItem = nullptr;
    QAction* GestionAppareilsItem = nullptr;
    QAction* QuitterItem = nullptr;
    QWidget* PanelTemps = nullptr;
    QLineEdit* DureeEdit = nullptr;
    QToolButton* DureeSBUp = nullptr;
    QToolButton* DureeSBDown = nullptr;
    QLabel* DeltaLabel = nullptr;
    QSpinBox* DeltatSE = nullptr;
    QLabel* NombreLabel = nullptr;
    class QSplitter* Separateur = nullptr;
    QWidget* PanelGrid = nullptr;
    QTableWidget* Grid = nullptr;
    QWidget* PanelVoies = nullptr;
    QGroupBox* ClavierGB = nullptr;
    QLineEdit* ClavierEdit = nullptr;
    QToolButton* ValideClavierBtn = nullptr;
    QLabel* PanelDuree = nullptr;
    QLabel* LabelPb = nullptr;
    QWidget* Oscillo = nullptr;
    QLabel* StatusSouris = nullptr;
    QLabel* StatusClavier = nullptr;
    class TUpDown* XUpDown = nullptr;
    class TUpDown* YUpDown = nullptr;
    class TPageDlg* PageDlg_ = nullptr;         // child of the window
    class TChoixAppDlg* ChoixAppDlg_ = nullptr; // child of the window
    class TBalayageDlg* BalayageDlg_ = nullptr; // child of the window
    class TCfgAppDlg* CfgAppDlg_ = nullptr;     // child of the window
    // The transfer to the analysis program.
    std::unique_ptr<class TFormDDE> FormDDE;
    // Registers the tm2 file type when the program closes (set by the program, not by tests).
    std::function<void()> EnregistreTypeFichierALaFermeture;

Q_SIGNALS:
    void argumentTransmisChange(const QString& argument);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void CreeControles();
    void CreeBarres();
    void CreePanelTemps();
    void CreeGrille();
    void CreePanelVoies();
    QWidget* CreeOscillo(QWidget* parent);
    void ConnecteCommandes();
    void ConnecteMoteur();
    void ConnecteFichiers();
    void ConnecteDialogues();
    void LitReglagesBalayage();
    void EcritReglagesBalayage();
    bool MontreBalayage();
    // The burette settings dialog over `parent`; true when confirmed.
    bool ReglagesBurette(QWidget* parent);
    void LitReglages();
    bool FormClose();
    void EcritReglages();
    void ShowHint(const QString& hint);

    // What the engine reports
    // Button enabling and the visibility of the mode's panels, from the engine's state.
    void MajCommandes();
    void AfficheModeAcq();
    void MiseEnPlace();
    void AfficheValeur(int v);
    // Readings may come faster than anybody reads them: values, stabilities and cursor crosses are
    // shown at once, then at most every cadenceAffichageMs (ten times a second, more than
    // anybody reads) while they keep changing, all in one paint.
    void PrevoitAffichage();
    // Shows what waits; false when nothing did.
    bool AfficheEnAttente();
    void AfficheStabilite(int v, bool stable);
    void MontreStabilite(int v, bool stable);
    void AfficheEchantillon(int i);
    void AfficheDepuis(int i);
    void AfficheBaseDeTemps();
    void PrepareGrille();
    void PlaceCellule(int ligne, int colonne, const QString& texte);
    void VideLignesGrille(int premiere);
    void DefileGrille(int ligne);
    // A duration typed and not yet validated counts before any command.
    void ValideSaisies();

    TReglagesBalayage reglagesBalayage_;
    static constexpr int cadenceAffichageMs = 100;
    class QTimer* cadenceAffichage_ = nullptr;
    std::array<bool, Tgraphe::MaxVoies> valeursEnAttente_{};
    // The stability to show (0 or 1), -1 when nothing waits.
    std::array<signed char, Tgraphe::MaxVoies> stabilitesEnAttente_ = [] {
        std::array<signed char, Tgraphe::MaxVoies> a{};
        a.fill(-1);
        return a;
    }();
    bool curseursEnAttente_ = false;
    bool fermee_ = false;
    // The user's own share of the width, read from the settings, is kept by every set-up.
    bool separateurRestaure_ = false;
};
