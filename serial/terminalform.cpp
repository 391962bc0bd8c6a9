#include "serial/terminalform.h"

#include "app/cp1252.h"
#include "app/ecran.h"
#include "instruments/appareil.h"
#include "instruments/notation.h"
#include "serial/envoimemo.h"
#include "serial/lignesrecues.h"
#include "serial/voiesserie.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QWhatsThis>

TTerminalForm::TTerminalForm(Tappareil& appareil, TVoiesSerie& voies, QWidget* parent)
    : QDialog(parent), appareil_(appareil), voies_(voies) {
    setObjectName(QStringLiteral("TerminalForm"));
    setWindowTitle(QStringLiteral("Dialogue avec appareil Telmira"));
    auto* pile = new QVBoxLayout(this);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setWhatsThis(
        QStringLiteral("Ordres envoyés et réponses de l'appareil, ligne par ligne"));
    pile->addWidget(Memo1, 3);

    auto* ligneOrdre = new QHBoxLayout;
    auto* etiquette = new QLabel(QStringLiteral("Ordre à envoyer"), this);
    OrdreEdit = new QLineEdit(this);
    OrdreEdit->setObjectName(QStringLiteral("OrdreEdit"));
    OrdreEdit->setWhatsThis(QStringLiteral(
        "Texte envoyé tel qu'il est écrit ; les boutons ajoutent au besoin CR ou CR LF"));
    etiquette->setBuddy(OrdreEdit);
    OrdreEdit->installEventFilter(this);
    ligneOrdre->addWidget(etiquette);
    ligneOrdre->addWidget(OrdreEdit, 1);
    pile->addLayout(ligneOrdre);

    auto* envois = new QHBoxLayout;
    EnvoiBtn = Bouton(QStringLiteral("Envoyer"), "EnvoiBtn", this);
    EnvoiCRBtn = Bouton(QStringLiteral("Envoyer + CR"), "EnvoiCRBtn", this);
    EnvoiCRLFBtn = Bouton(QStringLiteral("Envoyer + CR + LF"), "EnvoiCRLFBtn", this);
    ClearBtn = Bouton(QStringLiteral("&RàZ"), "ClearBtn", this);
    for (QPushButton* b : {EnvoiBtn, EnvoiCRBtn, EnvoiCRLFBtn})
        envois->addWidget(b);
    envois->addStretch(1);
    envois->addWidget(ClearBtn);
    pile->addLayout(envois);

    pile->addWidget(new QLabel(QStringLiteral("Aide pilotage"), this));
    MemoAide = new QPlainTextEdit(this);
    MemoAide->setObjectName(QStringLiteral("MemoAide"));
    MemoAide->setReadOnly(true);
    // A help line is one line of the instrument's description: it is not folded.
    MemoAide->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoAide->setWhatsThis(QStringLiteral("Réglage de l'appareil"));
    pile->addWidget(MemoAide, 2);

    auto* bas = new QHBoxLayout;
    AideBtn = Bouton(QStringLiteral("Aide"), "AideBtn", this);
    CloseBtn = Bouton(QStringLiteral("Fermer"), "CloseBtn", this);
    bas->addStretch(1);
    bas->addWidget(AideBtn);
    bas->addWidget(CloseBtn);
    pile->addLayout(bas);

    connect(EnvoiBtn, &QPushButton::clicked, this, &TTerminalForm::EnvoiClick);
    connect(EnvoiCRBtn, &QPushButton::clicked, this, &TTerminalForm::EnvoiCRClick);
    connect(EnvoiCRLFBtn, &QPushButton::clicked, this, &TTerminalForm::EnvoiCRLFClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TTerminalForm::ClearBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TTerminalForm::CloseBtnClick);
    // The host's help for a help button: what the control under the pointer is for.
    connect(AideBtn, &QPushButton::clicked, this, [] { QWhatsThis::enterWhatsThisMode(); });
    resize(640, 540);
}

TTerminalForm::~TTerminalForm() = default;

void TTerminalForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

bool TTerminalForm::eventFilter(QObject* objet, QEvent* event) {
    if (objet == OrdreEdit && event->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(event)->key();
        if (touche == Qt::Key_Return || touche == Qt::Key_Enter) return true;
    }
    return QDialog::eventFilter(objet, event);
}

void TTerminalForm::FormActivate() {
    QStringList aides;
    for (const QString& ligne : appareil_.AidePilotage)
        aides << ligne;
    MemoAide->setPlainText(aides.join(QLatin1Char('\n')));
    QTextCursor debut = MemoAide->textCursor();
    debut.movePosition(QTextCursor::Start);
    MemoAide->setTextCursor(debut);
    tampon.clear();
    if (appareil_.VoieSerie)
        emprunt_.emprunte(
            appareil_.VoieSerie,
            [this](TApdComPort* CP, quint16 Count) { TriggerAvail(CP, Count); },
            voies_.gestionnaire());
}

void TTerminalForm::Envoie(const QByteArray& fin) {
    const QByteArray octets = versCp1252(OrdreEdit->text()) + fin;
    EnvoieEtNote(voieSerieLoc(), octets, octets, Memo1);
}

void TTerminalForm::EnvoiClick() {
    Envoie({});
}

void TTerminalForm::EnvoiCRClick() {
    Envoie(QByteArrayLiteral("\r"));
}

void TTerminalForm::EnvoiCRLFClick() {
    Envoie(QByteArrayLiteral("\r\n"));
}

void TTerminalForm::ClearBtnClick() {
    Memo1->clear();
}

void TTerminalForm::CloseBtnClick() {
    close();
}

void TTerminalForm::TriggerAvail(TApdComPort* CP, quint16 Count) {
    TApdComPort* port = CP ? CP : voieSerieLoc();
    for (int i = 0; i < Count; ++i) {
        if (!port || !port->CharReady()) break;
        if (const auto ligne = ajouteOctetLigne(tampon, port->GetChar(), false))
            Memo1->appendPlainText(QStringLiteral("Réception de : ") + depuisCp1252(*ligne));
    }
}

void TTerminalForm::FormClose() {
    // The port stays open: it is the channel's.
    emprunt_.rend();
}

void TTerminalForm::done(int r) {
    FormClose();
    QDialog::done(r);
}
