#pragma once

#include "acquisition/modes.h"
#include "display/graphe.h"
#include "serial/voiesserie.h"

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
class QStatusBar;
class QTableWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;
class Tappareil;

// Offer the recently used instruments in the device selection dialog; read at start and
// written at close with the other settings.
extern bool listeAppRecente;

enum TEtatAcquisition { eaEnCours, eaTerminee, eaAttente, eaNone, eaIncrement, eaClavier };

// The main window, which is also the acquisition engine. Its methods live in several files:
// display/fenetre.cpp (controls and layout), acquisition/etat.cpp (acquisition state),
// acquisition/tempsbase.cpp (time base), acquisition/cycle.cpp (request/answer cycle),
// app/fermeture.cpp (settings and close).
class TCinetiqueMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TCinetiqueMain(QWidget* parent = nullptr);
    ~TCinetiqueMain() override;

    void SetEtatAcq(TEtatAcquisition Etat);
    void SuspendAcq();
    void RepriseAcq();
    void MajBaseDeTemps();
    void AjusteBaseDeTemps();
    void DureeSBUpClick();
    void DureeSBDownClick();
    void DeltatSEChange();
    void DureeEditExit();
    // Shows sample i in its grid row (i + 2).
    void AfficheLigneGrille(int i);
    void RedessineOscillo();

    // Data-available handler of every port (CP absent for the built-in printout replay).
    void TriggerAvail(TApdComPort* CP, quint16 Count);

    // Request/answer cycle and recording
    // Binds every channel to its port, prepares the abscissa and the grid, and enters the
    // resting state of the mode.
    void InitAttente();
    void TimerTimer();
    void TraiteReponse();
    void TraiteReponseMaitre();
    void ConfirmeDepassement(indiceVoie v);
    // Moves the cursor marks to the current values; posted by the answer processing.
    void PlaceCurseurs();
    void EnregistrePoint();
    void EnregistreClavier();
    // A character typed in the keyboard box: false when it is to be discarded; Enter (CR)
    // validates the entry.
    bool ClavierEditKeyPress(QChar Key);
    void ValideClavierBtnClick();
    void EnregistreBtnClick();
    void ToolButton3Click();
    void UndoBtnClick();
    void StopBtnClick();
    void ResetBtnClick();
    void EcritSecours();
    // Answers longer than this keep only their tail, so that a flooding instrument cannot
    // make the received text grow without bound.
    static constexpr int tailleMaxChaineLue = 4096;
    // Sends the samples to the analysis program when an acquisition it asked for ends.
    std::function<void()> EnvoieDonneesKalvento;

    // A second start handed this argument over; a tm2 file it names is loaded.
    void ArgumentRecu(const QString& argument);

    // Acquisition state, in the order the engine keeps it.
    bool AppelKalvento = false;
    bool sauveTimer = false;
    bool envoiDirectGlb = false;
    TEtatAcquisition sauveEtat = eaEnCours;
    TEtatAcquisition EtatAcq = eaNone;
    double InstantDebut = 0;
    quint8 VoieCourante = 0;
    QString NomFichierData;
    bool fichierData = false;
    bool FormatKW3 = false;
    bool formatCSV = false;
    bool Reponse = false;
    double valeurClavier = 0;
    bool dataSaved = true;
    qint32 NbrePointsSauves = 0;
    QString NomFichierSauvegarde;
    double dateReception = 0;
    std::array<QLabel*, Tgraphe::MaxVoies> labels{};
    std::array<QGroupBox*, Tgraphe::MaxVoies> groupBoxs{};
    std::array<QToolButton*, Tgraphe::MaxVoies> speedButtons{};
    qint32 indexFichierTrace = 0;
    bool PagePermise = false;
    std::array<Tappareil*, Tgraphe::MaxVoies> AppareilAcq{}; // borrowed from the device list
    QStringList OldAppareilAcq;                              // kept sorted, no duplicates
    quint16 DeltatMesure = 1;
    quint16 DeltatMin = 1;
    qint32 DureeMesure = 120;
    TModeAcq ModeAcq = maTemps;
    qint32 CodeBeep = 0;

    Tgraphe graphe;
    // The 50 port objects and the binding of instruments to them.
    std::unique_ptr<TVoiesSerie> voiesSerie;
    QString argumentTransmis;

    // Controls the engine drives.
    QTimer* Timer = nullptr;
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

    // Mode shown by the mode button.
    void AfficheModeAcq();

    // Plot and window
    // Builds the plot area (its zoom buttons over it); the window keeps it in Oscillo.
    QWidget* CreeOscillo(QWidget* parent);
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
    class TUpDown* XUpDown = nullptr;
    class TUpDown* YUpDown = nullptr;

    // Data files
    void ConnecteDonnees();
    // Enables the file commands each time the file menu drops down.
    void ActiveMenuFichier();
    void SaveItemClick();
    void FilePageItemClick();
    void CopyBtnClick();
    // Shows the page information; a changed symbol forbids adding a page to the last file.
    void PageItemClick();
    // The page information, created at its first use.
    class TPageDlg* PageDlg();
    // The samples as the clipboard and the analysis program receive them.
    QString TexteDonnees();
    // The writers append to `texte`, in the format of FormatKW3 and formatCSV.
    void EcritEnteteKW3(QString& texte);
    void EcritPageKW3(QString& texte);
    void EcritEnteteTexte(QString& texte);
    void EcritPageTexte(QString& texte);
    void FinLigne(QString& texte) const;
    QAction* PageItem = nullptr;
    class TPageDlg* PageDlg_ = nullptr; // child of the window

    // Set-up files
    // Loads a set-up file and starts it; false when nothing was loaded (no such file, or a
    // failure that leaves the state eaNone).
    bool LitConfig(const QString& NomFichier);
    // Writes the current set-up; false, after "Erreur écriture <path>", on failure.
    bool SauveConfig(const QString& NomFichier);
    // The name with its extension replaced by ".tm2".
    static QString NomFichierConfig(const QString& NomFichier);
    void ChargeconfigItemClick();
    void SauveconfigItemClick();
    // Loads an argument of the command line or of a second start when it names a tm2 file.
    void ChargeArgument(const QString& argument);
    // True when recording nothing unsaved, or when the user accepts to lose it.
    bool PerteDonneesAcceptee();
    // The trace option of the acquisition mode dialog ("FichierTrace"/"Actif", default on).
    static bool LitTraceActif();
    static void EcritTraceActif(bool actif);
    void ConnecteConfig();

    // Set-up dialogs
    // "Ajouter appareil ": the device selection dialog, then a new set-up when it changed one.
    void AddAppItemClick();
    // The device selection dialog, created at its first use.
    class TChoixAppDlg* ChoixAppDlg();
    class TChoixAppDlg* ChoixAppDlg_ = nullptr; // child of the window

Q_SIGNALS:
    void argumentTransmisChange(const QString& argument);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* e) override;

private:
    void CreeControles();
    void CreeBarres();
    void CreePanelTemps();
    void CreeGrille();
    void CreePanelVoies();
    void CreeEtatAcquisition();
    void LitReglages();
    bool FormClose();
    void EcritReglages();
    void ShowHint(const QString& hint);

    // Request/answer cycle and recording
    void ConnecteCommandes();
    void LiePanneauxVoies();
    void PrepareGrille();
    void Interroge(int v);
    void DecodeVoie(int v);
    void AfficheStabilite();
    void PosteCurseurs();
    void FinAcquisition();
    void ActiveCommandesSelonPoints();
    void PlaceCellule(int ligne, int colonne, const QString& texte);
    // True when every channel in use holds a value: a sample is taken only then.
    [[nodiscard]] bool ValeursToutesLues() const;
    // Stores the channels' current values as sample n, on the plot and in the grid.
    void RangeValeursVoies(int n);
    void VideLignesGrille(int premiere);
    void DefileGrille(int ligne);
    void ValideEntreeClavier();
    // Requests waiting for their pause, and questions open: no new cycle starts meanwhile.
    int envoisEnAttente_ = 0;
    int questionsOuvertes_ = 0;
    bool curseursPrevus_ = false;
    // The backup failure is told once until a write succeeds again.
    bool erreurSecoursSignalee_ = false;
    // The rows already in the backup table, formatted once.
    QByteArray lignesSecours_;
};
