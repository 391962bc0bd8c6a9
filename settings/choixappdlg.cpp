#include "settings/choixappdlg.h"

#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "serial/setrs232rg.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>

#include <algorithm>

namespace {
constexpr int colonnesGrandeur = 3;
constexpr int colonnesPorts = 4;

const QString& premierOld() {
    static const QString texte = QStringLiteral("Choisir un appareil en déroulant la liste");
    return texte;
}

QString titrePage(int i) {
    return i == 0 ? QStringLiteral("1er appareil") : QStringLiteral("%1ème appareil").arg(i + 1);
}

// The group SetRS232RG fills, to follow the user's clicks and select items.
QButtonGroup* groupePorts(const QGroupBox* RG) {
    return RG ? RG->findChild<QButtonGroup*>(QStringLiteral("telmiraRS232RG"),
                                             Qt::FindDirectChildrenOnly)
              : nullptr;
}

// The port group of a page shows its ports on four columns.
void disposeColonnes(QGroupBox* RG, QButtonGroup* groupe) {
    auto* grille = qobject_cast<QGridLayout*>(RG->layout());
    if (!grille || !groupe) return;
    const QList<QAbstractButton*> boutons = groupe->buttons();
    for (QAbstractButton* b : boutons)
        grille->removeWidget(b);
    for (QAbstractButton* b : boutons) {
        const int k = groupe->id(b);
        grille->addWidget(b, k / colonnesPorts, k % colonnesPorts);
    }
}
} // namespace

TChoixAppDlg::TChoixAppDlg(TVoiesAcquisition voies, QWidget* parent)
    : QDialog(parent), voies_(voies) {
    setObjectName(QStringLiteral("ChoixAppDlg"));
    setWindowTitle(QStringLiteral("Sélection des appareils à sortie Telmira"));
    auto* pile = new QVBoxLayout(this);

    GrandeurCombo = new QGroupBox(QStringLiteral("Type de grandeur à mesurer"), this);
    GrandeurCombo->setObjectName(QStringLiteral("GrandeurCombo"));
    new QGridLayout(GrandeurCombo);
    GrandeurGroupe = new QButtonGroup(GrandeurCombo);
    connect(GrandeurGroupe, &QButtonGroup::idClicked, this, [this] {
        if (!MajEnCours) GrandeurComboChange();
    });
    pile->addWidget(GrandeurCombo);

    auto* rangee = new QHBoxLayout;
    auto* ajout = new QGroupBox(QStringLiteral("Appareil à ajouter"), this);
    auto* ligneAjout = new QHBoxLayout(ajout);
    ListeAppareilCombo = new TListeChoix(ajout);
    ListeAppareilCombo->setObjectName(QStringLiteral("ListeAppareilCombo"));
    ListeAppareilCombo->setMinimumContentsLength(24);
    AddBtn = new QPushButton(QStringLiteral("Ajouter"), ajout);
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    ligneAjout->addWidget(ListeAppareilCombo, 1);
    ligneAjout->addWidget(AddBtn);
    rangee->addWidget(ajout, 1);
    oldGB = new QGroupBox(QStringLiteral("Appareils récemment utilisés"), this);
    oldGB->setObjectName(QStringLiteral("oldGB"));
    auto* ligneOld = new QHBoxLayout(oldGB);
    ListeOld = new TListeChoix(oldGB);
    ListeOld->setObjectName(QStringLiteral("ListeOld"));
    ListeOld->setMinimumContentsLength(24);
    ligneOld->addWidget(ListeOld);
    rangee->addWidget(oldGB, 1);
    pile->addLayout(rangee);
    // Only an entry chosen adds an instrument; browsing the lists adds nothing.
    connect(ListeAppareilCombo, &TListeChoix::choisi, this, &TChoixAppDlg::ListeAppareilComboClick);
    connect(ListeAppareilCombo, &TListeChoix::valide, this, &TChoixAppDlg::AddBtnClick);
    connect(ListeOld, &TListeChoix::choisi, this, &TChoixAppDlg::ListeOldClick);
    connect(ListeOld, &TListeChoix::valide, this, &TChoixAppDlg::ListeOldClick);
    connect(AddBtn, &QPushButton::clicked, this, &TChoixAppDlg::AddBtnClick);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    for (int i = 0; i < TEchantillons::MaxVoies; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        page->setProperty("Tag", i);
        auto* contenu = new QVBoxLayout(page);
        Noms[i] = new QLabel(page);
        Noms[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        Noms[i]->setProperty("Tag", i);
        contenu->addWidget(Noms[i]);
        Coms[i] = new QGroupBox(QStringLiteral("Voie série"), page);
        Coms[i]->setObjectName(QStringLiteral("VoieSerieRG%1").arg(i + 1));
        Coms[i]->setProperty("Tag", i);
        new QGridLayout(Coms[i]);
        contenu->addWidget(Coms[i]);
        DelBtns[i] = new QPushButton(QStringLiteral("Supprimer"), page);
        DelBtns[i]->setObjectName(QStringLiteral("SupprimerBtn%1").arg(i + 1));
        DelBtns[i]->setToolTip(QStringLiteral("Supprimer"));
        DelBtns[i]->setProperty("Tag", i);
        DelBtns[i]->setAutoDefault(false);
        connect(DelBtns[i], &QPushButton::clicked, this, [this, i] { DelBtnClick(i); });
        auto* ligne = new QHBoxLayout;
        ligne->addStretch(1);
        ligne->addWidget(DelBtns[i]);
        contenu->addLayout(ligne);
        contenu->addStretch(1);
        TabSheets[i] = page;
        PageControl1->addTab(page, titrePage(i));
    }
    pile->addWidget(PageControl1, 1);
    NoAppLabel = new QLabel(QStringLiteral("Pas d'appareil sélectionné !"), this);
    NoAppLabel->setObjectName(QStringLiteral("NoAppLabel"));
    NoAppLabel->setAlignment(Qt::AlignCenter);
    pile->addWidget(NoAppLabel);

    auto* boutons = new QHBoxLayout;
    boutons->addStretch(1);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    boutons->addWidget(OKBtn);
    boutons->addWidget(CancelBtn);
    pile->addLayout(boutons);
    for (QPushButton* b : {OKBtn, CancelBtn})
        b->setAutoDefault(false);
    // Enter adds the instrument shown in the list.
    AddBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TChoixAppDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TChoixAppDlg::CancelBtnClick);
    resize(620, 460);
}

TChoixAppDlg::~TChoixAppDlg() = default;

void TChoixAppDlg::showEvent(QShowEvent* event) {
    // A window restored by the system is not a new showing: the choices stay.
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

void TChoixAppDlg::RelieComs(int page) {
    QButtonGroup* groupe = groupePorts(Coms[page]);
    disposeColonnes(Coms[page], groupe);
    if (!groupe) return;
    connect(groupe, &QButtonGroup::idToggled, this, [this, page](int id, bool coche) {
        if (coche) ComsClick(page, id);
    });
}

bool TChoixAppDlg::SelectionnePort(int page, int com) {
    QButtonGroup* groupe = groupePorts(Coms[page]);
    if (!groupe) return false;
    const QList<QAbstractButton*> boutons = groupe->buttons();
    for (QAbstractButton* b : boutons) {
        const int item = groupe->id(b);
        if (item + 1 < int(voies_.NumeroCom.size()) && voies_.NumeroCom[item + 1] == com) {
            b->setChecked(true);
            return true;
        }
    }
    return false;
}

void TChoixAppDlg::Sauve(Tappareil* appareil) {
    for (const Sauvegarde& s : std::as_const(sauvegardes_))
        if (s.appareil == appareil) return;
    sauvegardes_.append(
        {appareil, appareil->ComNumber, appareil->InitialisationAfaire, appareil->DeblocageAfaire});
}

void TChoixAppDlg::MajPages() {
    MajEnCours = true;
    const int n = nbreChoisis();
    AddBtn->setEnabled(ListeAppareilCombo->count() >= 1 && n < TEchantillons::MaxVoies);
    PageControl1->setVisible(n > 0);
    NoAppLabel->setVisible(n == 0);
    for (int i = 0; i < TEchantillons::MaxVoies; ++i) {
        const Tappareil* A = i < n ? AppareilCourant[i] : nullptr;
        PageControl1->setTabVisible(i, A != nullptr);
        if (!A) continue;
        if (!SelectionnePort(i, A->ComNumber) && indexRS232RG(Coms[i]) < 0)
            if (QButtonGroup* groupe = groupePorts(Coms[i]))
                if (QAbstractButton* b = groupe->button(0)) b->setChecked(true);
        Noms[i]->setText(A->NomAppareil);
        // A name without a blank has no short form: the page shows it whole.
        const QString court = A->nomCourt();
        PageControl1->setTabText(i, court.isEmpty() ? A->NomAppareil : court);
    }
    if (n > 0) PageControl1->setCurrentIndex(n - 1);
    MajEnCours = false;
}

void TChoixAppDlg::RemplitGrandeur(const QString& grandeur) {
    ListeAppareilCombo->clear();
    // The quantity list folds letter case: so does the choice of its instruments, or an
    // instrument spelled differently could never be picked.
    for (const auto& A : moduleAppareils().listeAppareil)
        if (A->nomGrandeur.compare(grandeur, Qt::CaseInsensitive) == 0)
            ListeAppareilCombo->addItem(A->NomAppareil);
    ListeAppareilCombo->setCurrentIndex(ListeAppareilCombo->count() - 1);
}

void TChoixAppDlg::FormActivate() {
    MajEnCours = true;
    sauvegardes_.clear();
    for (int i = 0; i < TEchantillons::MaxVoies; ++i) {
        SetRS232RG(Coms[i], 0, voies_.NumeroCom);
        RelieComs(i);
    }

    const TModuleAppareils& module = moduleAppareils();
    for (QAbstractButton* b : GrandeurGroupe->buttons())
        delete b;
    auto* grille = static_cast<QGridLayout*>(GrandeurCombo->layout());
    for (int k = 0; k < module.listeGrandeur.size(); ++k) {
        auto* b = new QRadioButton(module.listeGrandeur[k], GrandeurCombo);
        GrandeurGroupe->addButton(b, k);
        grille->addWidget(b, k / colonnesGrandeur, k % colonnesGrandeur);
    }
    ListeAppareilCombo->clear();
    ListeOld->clear();

    const int nbre = std::clamp(voies_.NbreVoies, 0, int(TEchantillons::MaxVoies));
    const Tappareil* reference = nbre > 0 ? voies_.AppareilAcq[0] : module.listeAppareil.First();
    NoAppLabel->setVisible(nbre == 0);
    if (reference) {
        for (QAbstractButton* b : GrandeurGroupe->buttons())
            if (b->text().compare(reference->nomGrandeur, Qt::CaseInsensitive) == 0) {
                b->setChecked(true);
                break;
            }
        RemplitGrandeur(reference->nomGrandeur);
    }

    ListeOld->addItem(premierOld());
    ListeOld->addItems(voies_.OldAppareilAcq);
    ListeOld->setCurrentIndex(0);
    oldGB->setVisible(voies_.listeAppRecente && !voies_.OldAppareilAcq.isEmpty());

    ListeLoc.clear();
    AppareilCourant.fill(nullptr);
    for (int i = 0; i < nbre; ++i) {
        Tappareil* A = voies_.AppareilAcq[i];
        if (!A) continue;
        AppareilCourant[ListeLoc.size()] = A;
        ListeLoc << A->NomAppareil;
    }

    MajPages();
    modification = false;
    ModifSerie = false;
    MajEnCours = false;
}

void TChoixAppDlg::GrandeurComboChange() {
    if (QAbstractButton* b = GrandeurGroupe->checkedButton()) RemplitGrandeur(b->text());
    MajPages();
}

void TChoixAppDlg::ListeAppareilComboClick() {
    if (ListeAppareilCombo->currentIndex() > 0) AddBtnClick();
}

void TChoixAppDlg::AddBtnClick() {
    if (nbreChoisis() >= TEchantillons::MaxVoies) return;
    Tappareil* D = moduleAppareils().ChercheAppareil(ListeAppareilCombo->currentText());
    if (!D) return;
    const auto choisis = std::span(AppareilCourant).first(std::size_t(nbreChoisis()));
    if (std::find(choisis.begin(), choisis.end(), D) != choisis.end() &&
        !Confirme(QStringLiteral("Deux appareils identiques ?")))
        return;
    AjouteAppareil(D);
}

void TChoixAppDlg::AjouteAppareil(Tappareil* D) {
    const int page = nbreChoisis();
    Sauve(D);
    MajEnCours = true;
    if (!SelectionnePort(page, D->ComNumber)) {
        // No port of that number here: the first one the machine has (none at all: unchanged,
        // the binding will report the instrument unusable).
        if (QButtonGroup* groupe = groupePorts(Coms[page]))
            if (QAbstractButton* b = groupe->button(0)) {
                b->setChecked(true);
                D->ComNumber = quint16(voies_.NumeroCom[1]);
            }
    }
    D->InitialisationAfaire = !D->ChaineInit.isEmpty();
    D->DeblocageAfaire = !D->ChaineFin.isEmpty();
    AppareilCourant[page] = D;
    ListeLoc << D->NomAppareil;
    MajEnCours = false;
    MajPages();
}

void TChoixAppDlg::ListeOldClick() {
    if (nbreChoisis() >= TEchantillons::MaxVoies || ListeOld->currentIndex() <= 0) return;
    const QString nom = ListeOld->currentText();
    if (ListeLoc.contains(nom)) return;
    if (Tappareil* D = moduleAppareils().ChercheAppareil(nom)) AjouteAppareil(D);
}

void TChoixAppDlg::DelBtnClick(int a) {
    const int n = nbreChoisis();
    if (a < 0 || a >= n) return;
    std::copy(AppareilCourant.begin() + a + 1, AppareilCourant.begin() + n,
              AppareilCourant.begin() + a);
    AppareilCourant[n - 1] = nullptr;
    ListeLoc.removeAt(a);
    MajPages();
}

void TChoixAppDlg::ComsClick(int t, int item) {
    if (MajEnCours || t < 0 || t >= nbreChoisis() || !AppareilCourant[t]) return;
    if (item < 0 || item + 1 >= int(voies_.NumeroCom.size())) return;
    Sauve(AppareilCourant[t]);
    AppareilCourant[t]->ComNumber = quint16(voies_.NumeroCom[item + 1]);
    ModifSerie = true;
}

void TChoixAppDlg::OKBtnClick() {
    if (nbreChoisis() == 0 && ListeAppareilCombo->currentIndex() >= 0) AddBtnClick();
    const int n = nbreChoisis();
    modification = n != voies_.NbreVoies || ModifSerie;
    voies_.NbreVoies = n;
    for (int i = 0; i < TEchantillons::MaxVoies; ++i) {
        Tappareil* choisi = i < n ? AppareilCourant[i] : nullptr;
        if (i < n && voies_.AppareilAcq[i] != choisi) modification = true;
        voies_.AppareilAcq[i] = choisi;
    }
    sauvegardes_.clear();
    accept();
}

void TChoixAppDlg::CancelBtnClick() {
    reject();
}

void TChoixAppDlg::reject() {
    // Cancel leaves everything as it was, the ports and texts of the descriptions included:
    // a channel in use keeps the port it is bound to.
    for (const Sauvegarde& s : std::as_const(sauvegardes_)) {
        s.appareil->ComNumber = s.ComNumber;
        s.appareil->InitialisationAfaire = s.InitialisationAfaire;
        s.appareil->DeblocageAfaire = s.DeblocageAfaire;
    }
    sauvegardes_.clear();
    modification = false;
    QDialog::reject();
}
