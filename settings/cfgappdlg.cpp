#include "settings/cfgappdlg.h"

#include "app/dialogues.h"
#include "app/ecran.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "serial/setrs232rg.h"
#include "serial/terminalform.h"
#include "serial/voiesserie.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

namespace {
constexpr int colonnesPorts = 2;

// SetRS232RG lays the ports out on its own columns; this group shows them on two.
void disposeColonnes(QGroupBox* RG) {
    auto* grille = qobject_cast<QGridLayout*>(RG->layout());
    const auto* groupe =
        RG->findChild<QButtonGroup*>(QStringLiteral("telmiraRS232RG"), Qt::FindDirectChildrenOnly);
    if (!grille || !groupe) return;
    const QList<QAbstractButton*> boutons = groupe->buttons();
    for (QAbstractButton* b : boutons)
        grille->removeWidget(b);
    for (QAbstractButton* b : boutons) {
        const int k = groupe->id(b);
        grille->addWidget(b, k / colonnesPorts, k % colonnesPorts);
    }
    grille->setAlignment(Qt::AlignTop);
}
} // namespace

TCfgAppDlg::TCfgAppDlg(TVoiesSerie& voies, std::function<bool()> traceActive,
                       std::function<void(int)> aide, QWidget* parent)
    : QDialog(parent), voies_(voies), traceActive_(std::move(traceActive)), aide_(std::move(aide)) {
    setObjectName(QStringLiteral("CfgAppDlg"));
    setWindowTitle(QStringLiteral("Configuration un appareil à sortie Telmira"));
    auto* pile = new QVBoxLayout(this);
    auto* haut = new QHBoxLayout;

    auto* grandeur = new QGroupBox(QStringLiteral("Grandeur  physique"), this);
    auto* champs = new QFormLayout(grandeur);
    const auto edit = [&](const QString& titre, const char* nom) {
        auto* e = new QLineEdit(grandeur);
        e->setObjectName(QLatin1String(nom));
        champs->addRow(titre, e);
        return e;
    };
    GrandeurEdit = edit(QStringLiteral("Grandeur"), "GrandeurEdit");
    GrandeurEdit->setReadOnly(true);
    EditNom = edit(QStringLiteral("Symbole"), "EditNom");
    EditNom->setMaxLength(8);
    EditUnite = edit(QStringLiteral("Unité"), "EditUnite");
    EditMin = edit(QStringLiteral("Mini"), "EditMin");
    EditMax = edit(QStringLiteral("Maxi"), "EditMax");
    DepassementCB = new QCheckBox(QStringLiteral("Eliminer hors mini..maxi"), grandeur);
    DepassementCB->setObjectName(QStringLiteral("DepassementCB"));
    DepassementCB->setToolTip(QStringLiteral("Suppression des valeurs en dehors de mini..maxi"));
    champs->addRow(DepassementCB);
    haut->addWidget(grandeur, 1);

    Comports = new QGroupBox(QStringLiteral("Voie série:"), this);
    Comports->setObjectName(QStringLiteral("Comports"));
    new QGridLayout(Comports);
    haut->addWidget(Comports);
    pile->addLayout(haut);

    MemoAide = new QPlainTextEdit(this);
    MemoAide->setObjectName(QStringLiteral("MemoAide"));
    MemoAide->setReadOnly(true);
    MemoAide->setLineWrapMode(QPlainTextEdit::NoWrap);
    pile->addWidget(MemoAide, 1);

    auto* boutons = new QHBoxLayout;
    const auto bouton = [&](const QString& texte, const char* nom) {
        return Bouton(texte, nom, this, boutons);
    };
    PiloteBtn = bouton(QStringLiteral("&Pilotage"), "PiloteBtn");
    InitBtn = bouton(QStringLiteral("&Initialiser"), "InitBtn");
    FinBtn = bouton(QStringLiteral("&Libérer"), "FinBtn");
    boutons->addStretch(1);
    OKBtn = bouton(QStringLiteral("OK"), "OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = bouton(QStringLiteral("Annuler"), "CancelBtn");
    HelpBtn = bouton(QStringLiteral("Aide"), "HelpBtn");
    HelpBtn->setVisible(bool(aide_));
    pile->addLayout(boutons);

    connect(OKBtn, &QPushButton::clicked, this, &TCfgAppDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TCfgAppDlg::HelpBtnClick);
    connect(PiloteBtn, &QPushButton::clicked, this, &TCfgAppDlg::PiloteBtnClick);
    connect(InitBtn, &QPushButton::clicked, this, &TCfgAppDlg::InitBtnClick);
    connect(FinBtn, &QPushButton::clicked, this, &TCfgAppDlg::FinBtnClick);
    AdapteEcran(this);
    resize(620, 440);
}

void TCfgAppDlg::prepare(Tappareil* appareil, indiceVoie voie, bool verification) {
    Appareil = appareil;
    voieApp = voie;
    verif = verification;
    comAvant_ = appareil ? appareil->ComNumber : 0;
    portChange_ = false;
}

void TCfgAppDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

void TCfgAppDlg::FormActivate() {
    if (!Appareil) return;
    const Tappareil& D = *Appareil;
    SetRS232RG(Comports, D.ComNumber, voies_.NumeroCom);
    disposeColonnes(Comports);
    DepassementCB->setChecked(D.FiltrageDepassement);
    GrandeurEdit->setText(D.nomGrandeur);
    setWindowTitle(D.NomAppareil);
    EditNom->setMaxLength(std::max<int>(8, int(D.SymboleGrandeur.size())));
    EditNom->setText(D.SymboleGrandeur);
    EditUnite->setText(D.UniteGrandeur);
    EditMin->setText(FormatGeneral(D.ValMini, D.Precision, 2, separateurDecimal()));
    EditMax->setText(FormatGeneral(D.ValMaxi, D.Precision, 2, separateurDecimal()));
    QStringList aides;
    for (const QString& ligne : D.AidePilotage)
        aides << ligne;
    MemoAide->setPlainText(aides.join(QLatin1Char('\n')));
    QTextCursor debut = MemoAide->textCursor();
    debut.movePosition(QTextCursor::Start);
    MemoAide->setTextCursor(debut);
    InitBtn->setVisible(!D.ChaineInit.isEmpty());
    FinBtn->setVisible(!D.ChaineFin.isEmpty());
    EditNom->setFocus();
}

void TCfgAppDlg::OKBtnClick() {
    if (!Appareil) return;
    Tappareil& D = *Appareil;
    D.SymboleGrandeur = EditNom->text();
    D.UniteGrandeur = EditUnite->text();
    D.ValMini = LitNombre(EditMin->text());
    D.ValMaxi = LitNombre(EditMax->text());
    D.FiltrageDepassement = DepassementCB->isChecked();
    const int item = indexRS232RG(Comports);
    if (item >= 0 && item + 1 < int(voies_.NumeroCom.size())) {
        const auto choisi = quint16(voies_.NumeroCom[item + 1]);
        if (choisi != D.ComNumber &&
            (!verif || dialogues().confirme(QStringLiteral("Pertes des données courantes ?"))))
            D.ComNumber = choisi;
    }
    portChange_ = D.ComNumber != comAvant_;
    accept();
}

bool TCfgAppDlg::Lie() {
    if (!Appareil) return false;
    // The printout has no port: there is nothing to bind, and the acquisition's replay of it
    // must not be stopped or restarted from here.
    if (TVoiesSerie::estWTW3310(Appareil->NomAppareil)) return true;
    const bool simulation = voies_.simulationWTW;
    const bool rejeu = voies_.TimerWTW1.isActive();
    voies_.simulationWTW = false;
    const bool lie = voies_.setVoieSerieApp(*Appareil, traceActive_ && traceActive_());
    voies_.simulationWTW = simulation;
    if (rejeu && !voies_.TimerWTW1.isActive()) voies_.TimerWTW1.start();
    return lie;
}

void TCfgAppDlg::Envoie(const QByteArray& texte) {
    TApdComPort* port = Appareil ? Appareil->VoieSerie : nullptr;
    if (!port || !port->Open()) return;
    try {
        port->PutString(texte);
    } catch (const EAPDException& e) {
        dialogues().erreur(e.texte());
    }
}

void TCfgAppDlg::PiloteBtnClick() {
    if (!Lie()) return;
    TTerminalForm terminal(*Appareil, voies_, this);
    terminal.voieApp = voieApp;
    terminal.exec();
}

void TCfgAppDlg::InitBtnClick() {
    if (!Lie()) return;
    Envoie(Appareil->ChaineInit);
    Appareil->InitialisationAfaire = false;
}

void TCfgAppDlg::FinBtnClick() {
    if (!Lie()) return;
    Envoie(Appareil->ChaineFin);
}

void TCfgAppDlg::HelpBtnClick() {
    if (aide_) aide_(14);
}

void TCfgAppDlg::done(int r) {
    if (r != QDialog::Accepted) portChange_ = false;
    // The dialog is kept between showings: it must not hold on to a description.
    Appareil = nullptr;
    QDialog::done(r);
}
