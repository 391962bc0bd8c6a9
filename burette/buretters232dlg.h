#pragma once

#include <QDialog>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class Tappareil;
class TburetteRS232;

// "Configuration de la burette Titronic": the titration settings of the burette (smallest and
// largest addition, sensitivity, shortest and longest wait, stability threshold, constant
// additions, symbol of the volume). OK stores them in the burette and writes its section into
// the device file. Created for one showing by its opener.
class TBuretteRS232Dlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int aideBouton = 13;
    static constexpr int aideDialogue = 12;

    // `appareil`: the instrument of channel 0, whose unit labels the thresholds and whose range
    // bounds them; nullptr when no channel is in use.
    TBuretteRS232Dlg(TburetteRS232& burette, const Tappareil* appareil, QWidget* parent = nullptr);

    // The range of channel 0's axis when it differs from its instrument's (set before showing).
    void setEtendueVoie0(double mini, double maxi) { etendue_ = std::pair{mini, maxi}; }

    // Fills the controls from the burette (at every showing); lowers its thresholds to a
    // hundredth of channel 0's range at once, whether the dialog is then confirmed or not.
    void FormActivate();
    void modeIncrementCBClick();
    // Stores the values in the burette and saves its section; a file that cannot be written is
    // reported once the values are stored.
    void OKBtnClick();

    QLineEdit* NomEdit = nullptr;
    QGroupBox* SensibleGB = nullptr;
    QSpinBox* VminiSE = nullptr;
    QSpinBox* vmaxiSE = nullptr;
    QLineEdit* SensibleEdit = nullptr;
    QComboBox* prefixeSensibleCB = nullptr;
    QLabel* UniteLabel1 = nullptr;
    QGroupBox* StableGB = nullptr;
    QSpinBox* TmaxiSE = nullptr;
    QSpinBox* TMiniSE = nullptr;
    QLineEdit* StableEdit = nullptr;
    QComboBox* prefixeStableCB = nullptr;
    QLabel* UniteLabel2 = nullptr;
    QCheckBox* modeIncrementCB = nullptr;
    QLabel* DeltaVlabel = nullptr;
    QLineEdit* DeltaVedit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

Q_SIGNALS:
    // The help viewer should open this topic of the help file.
    void aideDemandee(int sujet);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void lieDurees();

    TburetteRS232& burette_;
    const Tappareil* appareil_;
    std::optional<std::pair<double, double>> etendue_;
    bool remplissage_ = false;
};

// A threshold as the dialog shows it: below 1E-7 in millionths with "μ" (prefix item 2), below
// 1E-4 in thousandths with "m" (item 1), otherwise as it is (item 0).
[[nodiscard]] std::pair<double, int> SeuilAvecPrefixe(double valeur);
// The value typed with prefix item i: times 10^(-3i); NaN when the text is no number.
[[nodiscard]] double SeuilSaisi(const QString& texte, int prefixe);
