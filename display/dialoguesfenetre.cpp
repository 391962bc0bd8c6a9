#include "display/cinetiquemain.h"

#include "app/aide.h"
#include "app/apropos.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "burette/buretters232dlg.h"
#include "exchange/envoikalvento.h"
#include "exchange/pagedlg.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "settings/balayagedlg.h"
#include "settings/cfgappdlg.h"
#include "settings/choixconfigdlg.h"
#include "settings/testburette.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

// Clicks on a channel panel (its frame, caption or value) and on the keyboard panel.
bool TCinetiqueMain::eventFilter(QObject* objet, QEvent* e) {
    // The multimeter view follows the panel area's own size, whatever moved it.
    if (objet == PanelVoies && e->type() == QEvent::Resize && PleinEcranBtn->isChecked())
        DispositionVoies();
    if (e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        for (int v = 0; v < Tgraphe::MaxVoies; ++v)
            if (objet == groupBoxs[v] || objet == labels[v]) {
                GroupBox1Click(v);
                return true;
            }
        if (objet == ClavierGB) {
            ClavierGBClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(objet, e);
}

void TCinetiqueMain::ConnecteDialogues() {
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        groupBoxs[v]->installEventFilter(this);
        labels[v]->installEventFilter(this);
    }
    ClavierGB->installEventFilter(this);
    PanelVoies->installEventFilter(this);
    connect(ModeBtn, &QToolButton::clicked, this, &TCinetiqueMain::AcquisitionItemClick);
    connect(BuretteBtn, &QToolButton::clicked, this, &TCinetiqueMain::BuretteBtnClick);
    connect(GestionAppareilsItem, &QAction::triggered, this,
            &TCinetiqueMain::ConfigurationItemClick);
    connect(AideBtn, &QToolButton::clicked, this, [this] { AfficheAide(this, sujets::sommaire); });
    installeToucheAide(this, sujets::general);
    connect(AProposBtn, &QToolButton::clicked, this, [this] {
        TAProposDlg boite(this);
        boite.exec();
    });
    connect(KalventoSaveBtn, &QToolButton::clicked, this, &TCinetiqueMain::KalventoSaveBtnClick);
}

// The acquisition settings the mode dialog edits, from the engine; the keyboard quantity is
// the abscissa's only in the keyboard mode (otherwise the dialog keeps what was chosen last).
void TCinetiqueMain::LitReglagesBalayage() {
    const TAcquisition& a = *acq_;
    TReglagesBalayage& r = reglagesBalayage_;
    r.ModeAcq = a.ModeAcq;
    r.DeltatMesure = a.DeltatMesure;
    r.DeltatMin = a.DeltatMin;
    r.DureeMesure = a.DureeMesure;
    r.AbscisseMaitre = graphe.AbscisseMaitre;
    r.CodeBeep = a.CodeBeep;
    r.ComBurette = a.burette().ComNumber;
    if (a.ModeAcq == maClavier) {
        r.NomClavier = graphe.mondeX.Nom;
        r.UniteClavier = graphe.mondeX.Unite;
        r.MiniClavier = graphe.mondeX.mini;
        r.MaxiClavier = graphe.mondeX.maxi;
    }
}

void TCinetiqueMain::EcritReglagesBalayage() {
    TAcquisition& a = *acq_;
    const TReglagesBalayage& r = reglagesBalayage_;
    a.ModeAcq = r.ModeAcq;
    graphe.AbscisseMaitre = r.AbscisseMaitre;
    a.CodeBeep = r.CodeBeep;
    a.burette().ComNumber = quint16(r.ComBurette);
    if (r.ModeAcq == maClavier) {
        graphe.mondeX.Nom = r.NomClavier;
        graphe.mondeX.Unite = r.UniteClavier;
        graphe.mondeX.mini = r.MiniClavier;
        graphe.mondeX.maxi = r.MaxiClavier;
    }
}

TBalayageDlg* TCinetiqueMain::BalayageDlg() {
    if (!BalayageDlg_) {
        TCrochetsBalayage crochets;
        crochets.testeBurette = [this](int com, bool trace) {
            TburetteRS232& b = acq_->burette();
            return TesteBurette(*acq_->voiesSerie, b, com, trace, [&b] {
                return b.initBurette() ? QString::fromLatin1(b.identification) : b.erreurInit;
            });
        };
        crochets.configureDosage = [this](QWidget* parent) { ReglagesBurette(parent); };
        BalayageDlg_ = new TBalayageDlg(reglagesBalayage_, acq_->voiesSerie->NumeroCom,
                                        std::move(crochets), this);
    }
    return BalayageDlg_;
}

// The mode dialog, and the keyboard panel which opens it too: the readings stop while it is
// open; OK with a change sets the acquisition up again, anything else resumes it.
bool TCinetiqueMain::MontreBalayage() {
    acq_->SuspendAcq();
    LitReglagesBalayage();
    const TReglagesBalayage avant = reglagesBalayage_;
    TBalayageDlg* dlg = BalayageDlg();
    const bool accepte = dlg->exec() == QDialog::Accepted;
    EcritReglagesBalayage();
    const TReglagesBalayage& r = reglagesBalayage_;
    if (accepte) acq_->burette().prefixe = QByteArrayLiteral("01");
    // Another abscissa for the master instrument, or another typed quantity, is another set-up
    // too: without it the samples would take one abscissa under the other's name.
    const bool abscisseChangee =
        (r.ModeAcq == maAppareilMaitre && r.AbscisseMaitre != avant.AbscisseMaitre) ||
        (r.ModeAcq == maClavier &&
         (r.NomClavier != avant.NomClavier || r.UniteClavier != avant.UniteClavier ||
          r.MiniClavier != avant.MiniClavier || r.MaxiClavier != avant.MaxiClavier));
    if (accepte && (dlg->modification || abscisseChangee)) {
        acq_->DeltatMesure = r.DeltatMesure;
        acq_->DureeMesure = r.DureeMesure;
        AfficheModeAcq();
        acq_->InitAttente();
    } else {
        acq_->RepriseAcq();
        // δt and the duration follow the dialog's controls, even after Cancel.
        acq_->AppliqueBaseDeTemps(r.DeltatMesure, r.DureeMesure);
    }
    return accepte;
}

void TCinetiqueMain::AcquisitionItemClick() {
    if (graphe.NbrePoints > 0 && !acq_->dataSaved &&
        !Confirme(QStringLiteral("Suppression des données")))
        return;
    MontreBalayage();
    acq_->voiesSerie->TraceVoiesOuvertes(TAcquisition::LitTraceActif(), true);
}

// The keyboard panel sets the acquisition up again after any OK: unsaved samples are asked
// about first, as the mode command does.
void TCinetiqueMain::ClavierGBClick() {
    if (graphe.NbrePoints > 0 && !acq_->dataSaved &&
        !Confirme(QStringLiteral("Suppression des données")))
        return;
    TBalayageDlg* dlg = BalayageDlg();
    const bool avant = dlg->modification;
    dlg->modification = true;
    if (!MontreBalayage()) dlg->modification = avant;
    acq_->voiesSerie->TraceVoiesOuvertes(TAcquisition::LitTraceActif(), true);
}

bool TCinetiqueMain::ReglagesBurette(QWidget* parent) {
    const Tappareil* voie0 = graphe.NbreVoies > 0 ? acq_->AppareilAcq[0] : nullptr;
    TBuretteRS232Dlg dlg(acq_->burette(), voie0, parent ? parent : this);
    if (voie0) dlg.setEtendueVoie0(graphe.mondeY[0].mini, graphe.mondeY[0].maxi);
    connect(&dlg, &TBuretteRS232Dlg::aideDemandee, &dlg,
            [&dlg](int sujet) { AfficheAide(&dlg, sujetAide(sujet)); });
    return dlg.exec() == QDialog::Accepted;
}

void TCinetiqueMain::BuretteBtnClick() {
    ValideSaisies();
    ReglagesBurette(this);
}

void TCinetiqueMain::GroupBox1Click(int v) {
    if (v >= graphe.NbreVoies || !acq_->AppareilAcq[v]) return;
    if (!CfgAppDlg_)
        CfgAppDlg_ = new TCfgAppDlg(
            *acq_->voiesSerie, [] { return TAcquisition::LitTraceActif(); },
            [this](int sujet) { AfficheAide(CfgAppDlg_, sujetAide(sujet)); }, this);
    acq_->SuspendAcq();
    Tappareil* A = acq_->AppareilAcq[v];
    const quint16 port = A->ComNumber;
    CfgAppDlg_->prepare(A, indiceVoie(v), graphe.NbrePoints > 0 && !acq_->dataSaved);
    const bool accepte = CfgAppDlg_->exec() == QDialog::Accepted;
    if (accepte && (CfgAppDlg_->portChange() || A->ComNumber != port)) {
        acq_->InitAttente();
        return;
    }
    ActualiseVoies();
    acq_->RepriseAcq();
}

void TCinetiqueMain::ActualiseVoies() {
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        const Tappareil* A = acq_->AppareilAcq[v];
        if (!A) continue;
        groupBoxs[v]->setTitle(A->NomAppareil);
        graphe.mondeY[v].SetMinMax(A->ValMini, A->ValMaxi);
    }
    PrepareGrille();
    RedessineOscillo();
}

// The set-up starts again afterwards, whatever was done: unsaved samples are asked about first.
void TCinetiqueMain::ConfigurationItemClick() {
    if (graphe.NbrePoints > 0 && !acq_->dataSaved &&
        !Confirme(QStringLiteral("Perte des données courantes ?")))
        return;
    acq_->SuspendAcq();
    const auto utilise = [this](const Tappareil* a) {
        const auto fin = acq_->AppareilAcq.begin() + graphe.NbreVoies;
        return std::find(acq_->AppareilAcq.begin(), fin, a) != fin;
    };
    TChoixConfigDlg dlg(
        TGestionAppareils{moduleAppareils(), *acq_->voiesSerie, listeAppRecente, utilise,
                          [this] { return ReglagesBurette(nullptr); },
                          [this](int sujet) { AfficheAide(this, sujetAide(sujet)); }},
        this);
    dlg.exec();
    // Descriptions may have changed or gone: the set-up starts again from the device list.
    acq_->InitAttente();
}

void TCinetiqueMain::KalventoSaveBtnClick() {
    ValideSaisies();
    if (!FormDDE) return;
    if (::KalventoSaveBtnClick(*PageDlg(), *FormDDE, acq_->PagePermise)) acq_->dataSaved = true;
    PageDlg()->Recharge();
}
