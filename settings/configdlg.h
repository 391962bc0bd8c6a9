#pragma once

#include "serial/empruntvoie.h"

#include <QByteArray>
#include <QDialog>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TTestDlg;
class TVoiesSerie;
class Tappareil;

// "Configuration d'appareil Telmira": one device description field by field, a test of the
// instrument and a small terminal on the "Pilotage" tab. The dialog writes into the description
// it is given (AppareilCourant, set before each showing); OK commits every control, and so do
// "&Test" and entering "Pilotage", which bind the description's port for the dialog. The port
// table lends the port; whatever way the dialog closes, a port it bound is closed and the main
// window's handler given back.
class TConfigDlg : public QDialog {
    Q_OBJECT
public:
    // `aide` shows a help topic; the "Aide" button is hidden without it.
    explicit TConfigDlg(TVoiesSerie& voies, std::function<void(int sujet)> aide = {},
                        QWidget* parent = nullptr);
    ~TConfigDlg() override;

    void FormActivate();
    void MajFormat();
    // Commits the controls, binds the port and points its handler here; false when the port
    // cannot be opened (or a control holds a value that cannot be stored).
    bool AffecteVoieSerie();
    void OKBtnClick();
    void FixeRGClick();
    void EnvoiDonneesRGClick();
    void PosDebutSEChange();
    void PrecisionSEChange();
    void DelaiSpinUpClick();
    void DelaiSpinDownClick();
    void TestBtnClick();
    void HelpBtnClick();
    void NotebookChange(int page);
    void EnvoiClick();
    void EnvoiCRClick();
    void EnvoiCRLFClick();
    void ClearBtnClick();
    void TriggerAvail(TApdComPort* CP, quint16 Count);
    // Every way out (OK, Abandon, Escape, the close box) ends here.
    void done(int r) override;

    // The test window, created at its first use.
    [[nodiscard]] TTestDlg* testDlg() const { return TestDlg_; }

    Tappareil* AppareilCourant = nullptr;
    bool voieSerieAffecte = false;
    // The description is the built-in "WTW 3310" printout: no port is bound for it.
    bool simulationWTW = false;
    QByteArray tampon;

    enum Page { pGrandeur, pVoieSerie, pFormat, pAide, pPilotage };
    QTabWidget* Notebook = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    QPushButton* TestBtn = nullptr;
    QPushButton* ClearBtn = nullptr;

    QComboBox* nomGrandeurCombo = nullptr;
    QLineEdit* EditSymbole = nullptr;
    QLineEdit* EditUnite = nullptr;
    QLineEdit* EditNomAppareil = nullptr;
    QLineEdit* EditMin = nullptr;
    QLineEdit* EditMax = nullptr;
    QSpinBox* PrecisionSE = nullptr;
    QLineEdit* DeriveEdit = nullptr;

    QGroupBox* Comports = nullptr;
    QGroupBox* BaudsRG = nullptr;
    QGroupBox* ParityRG = nullptr;
    QGroupBox* DatabitsRG = nullptr;
    QGroupBox* StopbitsRG = nullptr;
    QCheckBox* RTSCTSbox = nullptr;
    QCheckBox* XonXoffBox = nullptr;

    QGroupBox* EnvoiDonneesRG = nullptr;
    QGroupBox* FixeRG = nullptr;
    QLineEdit* DelaiEdit = nullptr;
    QToolButton* DelaiSpinUp = nullptr;
    QToolButton* DelaiSpinDown = nullptr;
    QSpinBox* SeparateurSE = nullptr;
    QSpinBox* NbreCaracSE = nullptr;
    QSpinBox* NbreLignesSE = nullptr;
    QSpinBox* PosDebutSE = nullptr;
    QSpinBox* NumeroOrdreSE = nullptr;
    QLabel* LabelDemande = nullptr;
    QLabel* LabelDemandeBis = nullptr;
    QLineEdit* EditDemande = nullptr;
    QLineEdit* EditDemandeBis = nullptr;
    QLineEdit* EditInit = nullptr;
    QLineEdit* EditFin = nullptr;
    QLineEdit* EditVerif = nullptr;
    QSpinBox* NumVerifSE = nullptr;
    QCheckBox* LectureCoeffCB = nullptr;
    QCheckBox* LectureNomUniteCB = nullptr;
    QCheckBox* DepassementCB = nullptr;
    QCheckBox* lectureStabCB = nullptr;

    QPlainTextEdit* PilotageMemo = nullptr;

    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* OrdreEdit = nullptr;
    QPushButton* EnvoiBtn = nullptr;
    QPushButton* EnvoiCRBtn = nullptr;
    QPushButton* EnvoiCRLFBtn = nullptr;

    // Baud rates of BaudsRG, in item order.
    static constexpr std::array<qint32, 10> vitesses{300,  600,   1200,  2400,  4800,
                                                     9600, 19200, 38400, 57600, 115200};

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    void CreeGrandeur();
    void CreeVoieSerie();
    void CreeFormat();
    void CreeAidePilotage();
    void CreePilotage();
    // Writes the controls into the description, in the order OK sets them; false (after a
    // message) at a delay that is no integer, the fields after it then left as they were.
    bool EcritControles();
    void Envoie(const QByteArray& fin);
    void FormClose();
    [[nodiscard]] QWidget* visibleAvec(QWidget* controle) const;

    TVoiesSerie& voies_;
    std::function<void(int)> aide_;
    TEmpruntVoie emprunt_;
    TTestDlg* TestDlg_ = nullptr;
    bool dejaMontre_ = false;
    // The last commit stopped at a value that cannot be stored.
    bool saisieRefusee_ = false;
    bool majEnCours_ = false;
};
