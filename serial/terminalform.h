#pragma once

#include "instruments/vecteur.h"
#include "serial/empruntvoie.h"

#include <QByteArray>
#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TVoiesSerie;
class Tappareil;

// "Dialogue avec appareil Telmira": orders typed by hand to the instrument of one channel and
// its answers line by line, beside its help lines. The instrument must be bound to its port
// (TVoiesSerie::setVoieSerieApp) before the terminal is shown; while the terminal is open the
// port's bytes come here, and the main window's handler is given back however it closes.
class TTerminalForm : public QDialog {
    Q_OBJECT
public:
    TTerminalForm(Tappareil& appareil, TVoiesSerie& voies, QWidget* parent = nullptr);
    ~TTerminalForm() override;

    void FormActivate();
    void EnvoiClick();
    void EnvoiCRClick();
    void EnvoiCRLFClick();
    void ClearBtnClick();
    void CloseBtnClick();
    void TriggerAvail(TApdComPort* CP, quint16 Count);
    // Every way out (Fermer, Escape, the close box) ends here.
    void done(int r) override;

    // The port listened to: the instrument's, while the terminal is open.
    [[nodiscard]] TApdComPort* voieSerieLoc() const { return emprunt_.port(); }
    QByteArray tampon;
    indiceVoie voieApp = 0;

    QPlainTextEdit* MemoAide = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* OrdreEdit = nullptr;
    QPushButton* EnvoiBtn = nullptr;
    QPushButton* EnvoiCRBtn = nullptr;
    QPushButton* EnvoiCRLFBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QPushButton* AideBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objet, QEvent* event) override;

private:
    void Envoie(const QByteArray& fin);
    void FormClose();

    Tappareil& appareil_;
    TVoiesSerie& voies_;
    TEmpruntVoie emprunt_;
};
