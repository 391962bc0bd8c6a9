#pragma once

#include "serial/voiesserie.h"
#include "settings/reglagesbalayage.h"

#include <QDialog>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;

// What the owner lends the mode dialog for the burette.
struct TCrochetsBalayage {
    // Tests the burette on port `com` with the trace option `trace` (TesteBurette with the
    // burette driver's initialisation) and returns the text to show.
    std::function<QString(int com, bool trace)> testeBurette;
    // Shows the burette settings dialog over `parent`, modally.
    std::function<void(QWidget* parent)> configureDosage;
};

// "Mode d'acquisition": the acquisition mode and the settings of each mode (time base,
// master instrument's abscissa and beep, keyboard quantity, burette port), and the option that
// records the serial traffic in trace files. Created once and shown again: every showing starts
// from `reglages`. The time base and the beep are written to `reglages` as they change, so
// Cancel keeps them; the mode, the burette's port, the keyboard quantity and the abscissa kind
// only on OK. The trace option is read from the settings when the dialog is created and
// written back whenever it closes.
class TBalayageDlg : public QDialog {
    Q_OBJECT
public:
    TBalayageDlg(TReglagesBalayage& reglages, TNumeroCom& NumeroCom, TCrochetsBalayage crochets,
                 QWidget* parent = nullptr);

    void FormActivate();
    void ModeAcqRGClick(int mode);
    void MajTemps();
    void AfficheBaseDeTemps();
    void DureeSBUpClick();
    void DureeSBDownClick();
    // Enter in the duration box, or leaving it: false (after a message) when the text is not
    // a duration; the shown duration is then put back.
    bool DureeExit();
    void SoundCBChange(int index);
    void SoundBtnClick();
    void ModificationClick();
    void TestBuretteBtnClick();
    void ConfigBuretteBtnClick();
    void OKBtnClick();
    void HelpBtnClick();
    // Every way of closing (OK, Cancel, Escape, the close box) stores the trace option.
    void done(int resultat) override;

    [[nodiscard]] TModeAcq modeChoisi() const;

    qint32 Dt = 1;
    qint32 NbrePointsMax = 0;
    qint32 oldDeltat = 0;
    qint32 oldDuree = 0;
    // The set-up must be initialised again after OK; once set it stays set, so every later
    // OK re-initialises too.
    bool modification = false;

    QGroupBox* ModeAcqRG = nullptr;
    QButtonGroup* ModeAcqGroupe = nullptr;
    QStackedWidget* Pages = nullptr;
    QLineEdit* Duree = nullptr;
    QToolButton* DureeSBUp = nullptr;
    QToolButton* DureeSBDown = nullptr;
    QLabel* DeltatLabel = nullptr;
    QSpinBox* DeltatSpin = nullptr;
    QLabel* NombreLabel = nullptr;
    QGroupBox* AbscisseMaitreRG = nullptr;
    QButtonGroup* AbscisseMaitreGroupe = nullptr;
    QComboBox* SoundCB = nullptr;
    QPushButton* SoundBtn = nullptr;
    QLineEdit* EditNom = nullptr;
    QLineEdit* EditUnite = nullptr;
    QLineEdit* EditMin = nullptr;
    QLineEdit* EditMax = nullptr;
    QLabel* TestBuretteLabel = nullptr;
    QGroupBox* ComPortsBuretteTelmira = nullptr;
    QPushButton* TestBuretteBtn = nullptr;
    QPushButton* configBuretteBtn = nullptr;
    QCheckBox* TraceCB = nullptr;
    QLabel* DossierTraceLabel = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    QWidget* CreePageTemps();
    QWidget* CreePageBarre();
    QWidget* CreePageMaitre();
    QWidget* CreePageClavier();
    QWidget* CreePageBurette();

    TReglagesBalayage& reglages_;
    TNumeroCom& NumeroCom_;
    TCrochetsBalayage crochets_;
};
