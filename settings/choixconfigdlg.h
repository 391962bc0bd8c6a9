#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;
class TConfigDlg;
class TModuleAppareils;
class TVoiesSerie;
class Tappareil;

// What the device file management needs from the program around it.
struct TGestionAppareils {
    TModuleAppareils& module;
    // Lends the ports for the tests of TConfigDlg.
    TVoiesSerie& voies;
    // The option that offers the recently used instruments.
    bool& listeAppRecente;
    // True when a channel reads this description: it is then not removed.
    std::function<bool(const Tappareil*)> appareilUtilise;
    // Shows the burette's settings; true when they were confirmed. The button is hidden
    // without it.
    std::function<bool()> reglagesBurette;
    // Shows a help topic; the configuration dialog's "Aide" is hidden without it.
    std::function<void(int sujet)> aide;
};

// "Configuration d'appareils Telmira": the list of descriptions, with adding (by hand or from
// another device file), changing, removing and saving to the device file. Nothing reaches the
// file before "&Enregistrer" or the Yes of the question asked at closing.
class TChoixConfigDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChoixConfigDlg(TGestionAppareils gestion, QWidget* parent = nullptr);
    ~TChoixConfigDlg() override;

    void FormActivate();
    void MajListe();
    void ListBoxAppareilClick();
    void ModifBtnClick();
    void CreerBtnClick();
    void DelBtnClick();
    // False (after a message) when the file could not be written.
    bool EnregistreBtnClick();
    void AddBtnClick();
    void BuretteTelmiraBtnClick();
    void ListeAppRecentCBClick();
    // Every way out asks about unsaved changes first.
    void done(int r) override;

    [[nodiscard]] TConfigDlg* configDlg() const { return ConfigDlg; }
    // The description of the selected line; nullptr when none.
    [[nodiscard]] Tappareil* selection() const;

    bool modif = false;

    QListWidget* ListBoxAppareil = nullptr;
    QPushButton* EnregistreBtn = nullptr;
    QPushButton* CreerBtn = nullptr;
    QPushButton* DelBtn = nullptr;
    QPushButton* ModifBtn = nullptr;
    QPushButton* ExitBtn = nullptr;
    QPushButton* AddBtn = nullptr;
    QPushButton* BuretteTelmiraBtn = nullptr;
    QCheckBox* ListeAppRecentCB = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Edits a description in TConfigDlg; true when confirmed. Whatever the outcome the
    // description keeps a name the device file can hold, and no other description's.
    bool Edite(Tappareil& appareil, const QString& nomAvant);

    TGestionAppareils gestion_;
    TConfigDlg* ConfigDlg = nullptr;
    bool majEnCours_ = false;
};
