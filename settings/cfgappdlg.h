#pragma once

#include "instruments/vecteur.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TVoiesSerie;
class Tappareil;

// "Configuration un appareil à sortie Telmira": the instrument of one channel (symbol, unit,
// range, filtering, port), its help lines, its initialisation and release texts sent by hand and
// a terminal ("&Pilotage"). Created once and shown for one channel at a time (prepare).
class TCfgAppDlg : public QDialog {
    Q_OBJECT
public:
    // `traceActive` is the stored trace option given to the port binding; `aide` shows a help
    // topic (the button is hidden without it).
    TCfgAppDlg(TVoiesSerie& voies, std::function<bool()> traceActive = {},
               std::function<void(int sujet)> aide = {}, QWidget* parent = nullptr);

    // Before each showing: the channel's instrument and whether a change of port must be
    // confirmed (samples not yet saved would be lost).
    void prepare(Tappareil* appareil, indiceVoie voie, bool verification);

    void FormActivate();
    void OKBtnClick();
    void PiloteBtnClick();
    void InitBtnClick();
    void FinBtnClick();
    void HelpBtnClick();
    void done(int r) override;

    // After OK: the port number of the instrument is not the one it had when shown (the main
    // window then sets the channels up again).
    [[nodiscard]] bool portChange() const { return portChange_; }

    Tappareil* Appareil = nullptr;
    indiceVoie voieApp = 0;
    bool verif = false;

    QLineEdit* EditNom = nullptr;
    QLineEdit* EditUnite = nullptr;
    QLineEdit* EditMin = nullptr;
    QLineEdit* EditMax = nullptr;
    QLineEdit* GrandeurEdit = nullptr;
    QCheckBox* DepassementCB = nullptr;
    QGroupBox* Comports = nullptr;
    QPlainTextEdit* MemoAide = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    QPushButton* PiloteBtn = nullptr;
    QPushButton* InitBtn = nullptr;
    QPushButton* FinBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Binds the instrument to its port, leaving the acquisition's printout replay as it was.
    bool Lie();
    void Envoie(const QByteArray& texte);

    TVoiesSerie& voies_;
    std::function<bool()> traceActive_;
    std::function<void(int)> aide_;
    quint16 comAvant_ = 0;
    bool portChange_ = false;
};
