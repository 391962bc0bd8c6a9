#include "display/cinetiquemain.h"

#include "acquisition/duree.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "exchange/pagedlg.h"
#include "settings/choixappdlg.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

namespace {
const QString filtreConfig = QStringLiteral("Configuration Telmira (*.tm2)|*.tm2");

bool caractereClavier(QChar c) {
    static const QString acceptes = QStringLiteral("%'+,-.0123456789Ee");
    return c == QChar(8) || c == QChar(12) || acceptes.contains(c);
}
} // namespace

void TCinetiqueMain::ConnecteCommandes() {
    // A duration typed and not validated counts before the command a button gives.
    const auto commande = [this](QToolButton* bouton, void (TCinetiqueMain::*action)()) {
        connect(bouton, &QToolButton::clicked, this, [this, action] {
            ValideSaisies();
            (this->*action)();
        });
    };
    commande(EnregistreBtn, &TCinetiqueMain::EnregistreBtnClick);
    commande(RepereBtn, &TCinetiqueMain::ToolButton3Click);
    commande(UndoBtn, &TCinetiqueMain::UndoBtnClick);
    commande(StopBtn, &TCinetiqueMain::StopBtnClick);
    commande(ResetBtn, &TCinetiqueMain::ResetBtnClick);
    commande(ValideClavierBtn, &TCinetiqueMain::ValideClavierBtnClick);
    commande(AjouterBtn, &TCinetiqueMain::AddAppItemClick);
    commande(DureeSBUp, &TCinetiqueMain::DureeSBUpClick);
    commande(DureeSBDown, &TCinetiqueMain::DureeSBDownClick);
    connect(DureeEdit, &QLineEdit::editingFinished, this, &TCinetiqueMain::DureeEditExit);
    // Widths the user chose stay, whatever the set-ups that follow.
    connect(Separateur, &QSplitter::splitterMoved, this, [this] { separateurRestaure_ = true; });
    // The interval counts once typed, not at every keystroke.
    DeltatSE->setKeyboardTracking(false);
    connect(DeltatSE, &QSpinBox::valueChanged, this, &TCinetiqueMain::DeltatSEChange);
    connect(ClavierEdit, &QLineEdit::returnPressed, this, &TCinetiqueMain::ValideClavierBtnClick);
    // Typed or pasted, only the characters of a number reach the box.
    ClavierEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[%'+,\\-.0-9Ee]*")), ClavierEdit));
    // The space bar acts as "Acquérir" unless an edit box or the grid has the focus.
    auto* espace = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(espace, &QShortcut::activated, this, [this] {
        QWidget* f = QApplication::focusWidget();
        if (qobject_cast<QLineEdit*>(f) || qobject_cast<QAbstractSpinBox*>(f) ||
            qobject_cast<QAbstractItemView*>(f))
            return;
        if (EnregistreBtn->isEnabled()) EnregistreBtnClick();
    });
}

void TCinetiqueMain::ValideSaisies() {
    if (DureeEdit->isModified()) DureeEditExit();
}

void TCinetiqueMain::EnregistreBtnClick() {
    acq_->Acquerir();
    DefileGrille(2);
}

void TCinetiqueMain::ToolButton3Click() {
    acq_->Repere();
}

void TCinetiqueMain::UndoBtnClick() {
    acq_->Defaire();
}

void TCinetiqueMain::StopBtnClick() {
    acq_->Stop();
}

void TCinetiqueMain::ResetBtnClick() {
    acq_->RaZ();
}

bool TCinetiqueMain::ClavierEditKeyPress(QChar Key) {
    if (Key == QChar(13)) {
        ValideClavierBtnClick();
        return false;
    }
    return caractereClavier(Key);
}

void TCinetiqueMain::ValideClavierBtnClick() {
    // A refused entry stays in the box for the user to mend.
    if (!acq_->ValideClavier(ClavierEdit->text())) ClavierEdit->setFocus();
}

void TCinetiqueMain::DureeSBUpClick() {
    acq_->AugmenteDuree();
}

void TCinetiqueMain::DureeSBDownClick() {
    acq_->DiminueDuree();
}

void TCinetiqueMain::DeltatSEChange() {
    acq_->ChangeDeltat(DeltatSE->value());
}

void TCinetiqueMain::DureeEditExit() {
    DureeEdit->setModified(false);
    qint32 lue = 0;
    if (!LitDuree(DureeEdit->text(), lue)) {
        const QString texte = DureeEdit->text();
        AfficheBaseDeTemps(); // the duration is unchanged
        dialogues().erreur(QStringLiteral("« ") + texte +
                           QStringLiteral(" » n'est pas une durée correcte (h:mm:ss)"));
        return;
    }
    acq_->ChangeDuree(lue);
    AfficheBaseDeTemps();
}

void TCinetiqueMain::AfficheBaseDeTemps() {
    const TAcquisition& a = *acq_;
    if (!DureeEdit->hasFocus() || !DureeEdit->isModified()) {
        DureeEdit->setText(FormatDuree(a.DureeMesure));
        DureeEdit->setModified(false);
    }
    NombreLabel->setText(QStringLiteral("N=") +
                         QString::number(a.DureeMesure / std::max<int>(a.DeltatMesure, 1)));
    const QSignalBlocker bloque(DeltatSE);
    DeltatSE->setMinimum(a.DeltatMin);
    DeltatSE->setValue(a.DeltatMesure);
}

// Whatever has been recorded can be saved, in every mode and state, so that a short
// acquisition is never lost; a page is added only to a file written with the same channels.
void TCinetiqueMain::ActiveMenuFichier() {
    EnregistreNouveauFichierItem->setEnabled(graphe.NbrePoints > 0);
    EnregistreNouvellePageItem->setEnabled(acq_->pagePossible());
}

void TCinetiqueMain::ConnecteFichiers() {
    connect(EnregistreNouveauFichierItem, &QAction::triggered, this,
            &TCinetiqueMain::SaveItemClick);
    connect(EnregistreNouvellePageItem, &QAction::triggered, this,
            &TCinetiqueMain::FilePageItemClick);
    connect(CopyBtn, &QToolButton::clicked, this, &TCinetiqueMain::CopyBtnClick);
    connect(MenuFichier, &QMenu::aboutToShow, this, [this] {
        ValideSaisies();
        ActiveMenuFichier();
    });
    connect(PageItem, &QAction::triggered, this, &TCinetiqueMain::PageItemClick);
    connect(ChargeConfigItem, &QAction::triggered, this, &TCinetiqueMain::ChargeconfigItemClick);
    connect(EnregistreConfigItem, &QAction::triggered, this, &TCinetiqueMain::SauveconfigItemClick);
}

TPageDlg* TCinetiqueMain::PageDlg() {
    if (!PageDlg_) PageDlg_ = new TPageDlg(acq_->InfosPage, this);
    return PageDlg_;
}

void TCinetiqueMain::PageItemClick() {
    TPageDlg* dlg = PageDlg();
    dlg->PrepareAffichage(false);
    if (dlg->exec() == QDialog::Accepted && dlg->ModifConst) acq_->PagePermise = false;
}

void TCinetiqueMain::SaveItemClick() {
    const QString chemin = dialogues().choisitFichier(
        true, QStringLiteral("Sauvegarde données"),
        QStringLiteral(
            "Kalvento (*.kw3)|*.kw3|Tableur ASCII (*.txt)|*.txt|Tableur CSV (*.csv)|*.csv"),
        QStringLiteral("KW3"), acq_->NomFichierData);
    if (!chemin.isEmpty()) acq_->EnregistreFichier(chemin);
}

void TCinetiqueMain::FilePageItemClick() {
    acq_->AjoutePage();
}

void TCinetiqueMain::CopyBtnClick() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (QClipboard* presse = QGuiApplication::clipboard()) presse->setText(acq_->TexteDonnees());
    QGuiApplication::restoreOverrideCursor();
    // The constants may have been renamed for the transfer.
    if (PageDlg_) PageDlg_->Recharge();
    acq_->dataSaved = true;
}

void TCinetiqueMain::ChargeconfigItemClick() {
    if (!acq_->PerteDonneesAcceptee()) return;
    // The readings pause while the box is open; a cancelled box gives them back.
    acq_->SuspendAcq();
    const QString nom = dialogues().choisitFichier(false, QStringLiteral("Lecture configuration"),
                                                   filtreConfig, QStringLiteral("tm2"), QString());
    if (nom.isEmpty() || !QFileInfo(TAcquisition::NomFichierConfig(nom)).isFile())
        acq_->RepriseAcq();
    else
        acq_->LitConfig(nom);
}

void TCinetiqueMain::SauveconfigItemClick() {
    const QString nom = dialogues().choisitFichier(true, QStringLiteral("Sauvegarde données"),
                                                   filtreConfig, QStringLiteral("TM2"), QString());
    if (!nom.isEmpty()) acq_->SauveConfig(nom);
}

void TCinetiqueMain::ChargeArgument(const QString& argument) {
    if (!argument.endsWith(QLatin1String(".tm2"), Qt::CaseInsensitive)) return;
    acq_->DemandeConfig(argument);
}

void TCinetiqueMain::ChargeEtAcquiert(const QString& argument) {
    ChargeArgument(argument);
    auto* attente = new QTimer(this);
    QDeadlineTimer borne(10000);
    connect(attente, &QTimer::timeout, this, [this, attente, borne] {
        if (!acq_->VoiesLues() && !borne.hasExpired()) return;
        attente->deleteLater();
        if (acq_->commandes().Acquerir) EnregistreBtnClick();
    });
    attente->start(50);
}

TChoixAppDlg* TCinetiqueMain::ChoixAppDlg() {
    if (!ChoixAppDlg_)
        ChoixAppDlg_ =
            new TChoixAppDlg(TVoiesAcquisition{acq_->AppareilAcq, graphe.NbreVoies, OldAppareilAcq,
                                               acq_->voiesSerie->NumeroCom, listeAppRecente},
                             this);
    return ChoixAppDlg_;
}

void TCinetiqueMain::AddAppItemClick() {
    if (graphe.NbrePoints > 0 && !acq_->dataSaved &&
        !Confirme(QStringLiteral("Perte des données courantes ?")))
        return;
    acq_->SuspendAcq();
    TChoixAppDlg* dlg = ChoixAppDlg();
    const bool accepte = dlg->exec() == QDialog::Accepted;
    if (accepte && dlg->modification)
        acq_->InitAttente();
    else
        acq_->RepriseAcq();
}
