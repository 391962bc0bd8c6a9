#pragma once

#include "serial/empruntvoie.h"
#include "serial/rejeuwtw.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;
class QPushButton;
class Tappareil;

// "Test": sends a description's request, waits its delay, shows the raw answer and the value
// decoded from it. Shown by the device configuration dialog, which binds the description's port
// first; while the window is open the port's bytes come here, and at its close the handler the
// port had before is given back (the port stays open). The built-in "WTW 3310" printout is
// played by a replay of the window's own.
class TTestDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTestDlg(QWidget* parent = nullptr);
    ~TTestDlg() override;

    // Before each showing: the description being edited, and whether it is the built-in printout.
    void prepare(Tappareil* appareil, bool simulation);

    void FormActivate();
    void MesureBtnClick();
    void InitBtnClick();
    void FinBtnClick();
    void TimerTimer();
    void TriggerAvailTest(TApdComPort* CP, quint16 Count);
    // Every way out ends here.
    void done(int r) override;

    // The display lines of the last answer.
    QStringList liste;
    Tappareil* Appareil = nullptr;
    bool simulationWTW = false;

    QPlainTextEdit* MemoTest = nullptr;
    QPushButton* MesureBtn = nullptr;
    QPushButton* InitBtn = nullptr;
    QPushButton* FinBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QTimer Timer;
    TRejeuWTW rejeu;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void log(const QString& ligne);
    void Envoie(const QByteArray& octets);
    void FormClose();

    TEmpruntVoie emprunt_;
};
