#include "settings/choixconfigdlg.h"

#include "app/dialogues.h"
#include "app/ecran.h"
#include "instruments/listeappareil.h"
#include "settings/choixcfgappdlg.h"
#include "settings/configdlg.h"
#include "settings/fichierini.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <exception>

namespace {
// The description as the device file would hold it: equal texts, equal descriptions.
QByteArray empreinte(const Tappareil& appareil) {
    TFichierIni ini;
    appareil.EcritIni(ini);
    return ini.enOctets();
}

class CurseurOccupe {
public:
    CurseurOccupe() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CurseurOccupe() { QApplication::restoreOverrideCursor(); }
    CurseurOccupe(const CurseurOccupe&) = delete;
    CurseurOccupe& operator=(const CurseurOccupe&) = delete;
};
} // namespace

TChoixConfigDlg::TChoixConfigDlg(TGestionAppareils gestion, QWidget* parent)
    : QDialog(parent), gestion_(std::move(gestion)) {
    setObjectName(QStringLiteral("ChoixConfigDlg"));
    setWindowTitle(QStringLiteral("Configuration d'appareils Telmira"));
    auto* rangee = new QHBoxLayout(this);
    ListBoxAppareil = new QListWidget(this);
    ListBoxAppareil->setObjectName(QStringLiteral("ListBoxAppareil"));
    rangee->addWidget(ListBoxAppareil, 1);

    auto* boutons = new QVBoxLayout;
    const auto bouton = [&](const QString& texte, const char* nom) {
        return Bouton(texte, nom, this, boutons);
    };
    ModifBtn = bouton(QStringLiteral("&Voir / Modifier"), "ModifBtn");
    CreerBtn = bouton(QStringLiteral("Ajouter (manuel)"), "CreerBtn");
    AddBtn = bouton(QStringLiteral("Ajouter (fichier)"), "AddBtn");
    AddBtn->setToolTip(
        QStringLiteral("Ajouter la config. d'un appareil se trouvant dans un fichier"));
    DelBtn = bouton(QStringLiteral("&Supprimer"), "DelBtn");
    EnregistreBtn = bouton(QStringLiteral("&Enregistrer"), "EnregistreBtn");
    BuretteTelmiraBtn = bouton(QStringLiteral("Burette Telmira"), "BuretteTelmiraBtn");
    BuretteTelmiraBtn->setVisible(bool(gestion_.reglagesBurette));
    boutons->addStretch(1);
    ListeAppRecentCB = new QCheckBox(QStringLiteral("Liste app. récents"), this);
    ListeAppRecentCB->setObjectName(QStringLiteral("ListeAppRecentCB"));
    ListeAppRecentCB->setToolTip(
        QStringLiteral("Afficher la liste des appareils récemment utilisés"));
    boutons->addWidget(ListeAppRecentCB);
    ExitBtn = bouton(QStringLiteral("&Fermer"), "ExitBtn");
    rangee->addLayout(boutons);

    connect(ModifBtn, &QPushButton::clicked, this, &TChoixConfigDlg::ModifBtnClick);
    connect(CreerBtn, &QPushButton::clicked, this, &TChoixConfigDlg::CreerBtnClick);
    connect(AddBtn, &QPushButton::clicked, this, &TChoixConfigDlg::AddBtnClick);
    connect(DelBtn, &QPushButton::clicked, this, &TChoixConfigDlg::DelBtnClick);
    connect(EnregistreBtn, &QPushButton::clicked, this, &TChoixConfigDlg::EnregistreBtnClick);
    connect(BuretteTelmiraBtn, &QPushButton::clicked, this,
            &TChoixConfigDlg::BuretteTelmiraBtnClick);
    connect(ListeAppRecentCB, &QCheckBox::clicked, this, &TChoixConfigDlg::ListeAppRecentCBClick);
    connect(ExitBtn, &QPushButton::clicked, this, &QDialog::close);
    connect(ListBoxAppareil, &QListWidget::currentRowChanged, this, [this] {
        if (!majEnCours_) ListBoxAppareilClick();
    });
    connect(ListBoxAppareil, &QListWidget::itemClicked, this,
            &TChoixConfigDlg::ListBoxAppareilClick);
    connect(ListBoxAppareil, &QListWidget::itemDoubleClicked, this,
            &TChoixConfigDlg::ModifBtnClick);

    ConfigDlg = new TConfigDlg(gestion_.voies, gestion_.aide, this);
    resize(520, 420);
}

TChoixConfigDlg::~TChoixConfigDlg() = default;

void TChoixConfigDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

void TChoixConfigDlg::FormActivate() {
    modif = false;
    ListeAppRecentCB->setChecked(gestion_.listeAppRecente);
    MajListe();
}

void TChoixConfigDlg::MajListe() {
    majEnCours_ = true;
    TModuleAppareils& module = gestion_.module;
    DelBtn->setVisible(module.listeAppareil.Count() > 1);
    DelBtn->setEnabled(false);
    ModifBtn->setVisible(true);
    AddBtn->setVisible(true);
    ModifBtn->setEnabled(true);
    ListBoxAppareil->clear();
    for (const auto& A : module.listeAppareil) {
        ListBoxAppareil->addItem(A->NomAppareil + QLatin1Char(' ') + A->nomGrandeur);
        // A quantity met for the first time is offered by the device selection at once.
        module.AjouteGrandeur(A->nomGrandeur);
    }
    ListBoxAppareil->setCurrentRow(0);
    majEnCours_ = false;
}

Tappareil* TChoixConfigDlg::selection() const {
    return gestion_.module.listeAppareil.Get(ListBoxAppareil->currentRow());
}

void TChoixConfigDlg::ListBoxAppareilClick() {
    const bool choisi = selection() != nullptr;
    ModifBtn->setEnabled(choisi);
    DelBtn->setEnabled(choisi);
    DelBtn->setVisible(gestion_.module.listeAppareil.Count() > 1);
}

bool TChoixConfigDlg::Edite(Tappareil& appareil, const QString& nomAvant) {
    ConfigDlg->AppareilCourant = &appareil;
    const bool confirme = ConfigDlg->exec() == QDialog::Accepted;
    ConfigDlg->AppareilCourant = nullptr;
    // A test commits the controls, even when the dialog is then abandoned.
    if (!refusNomAppareil(appareil.NomAppareil).isEmpty()) appareil.NomAppareil = nomAvant;
    const QString libre = gestion_.module.NomLibre(appareil);
    if (libre != appareil.NomAppareil) {
        dialogues().message(QStringLiteral("Un appareil porte déjà ce nom : celui-ci est "
                                           "enregistré sous le nom ") +
                            libre);
        appareil.NomAppareil = libre;
    }
    return confirme;
}

void TChoixConfigDlg::ModifBtnClick() {
    Tappareil* A = selection();
    if (!A) return;
    const int ligne = ListBoxAppareil->currentRow();
    const QByteArray avant = empreinte(*A);
    const bool confirme = Edite(*A, A->NomAppareil);
    if (confirme || empreinte(*A) != avant) modif = true;
    MajListe();
    ListBoxAppareil->setCurrentRow(ligne);
}

void TChoixConfigDlg::CreerBtnClick() {
    auto nouveau = std::make_unique<Tappareil>();
    if (const Tappareil* modele = selection()) nouveau->Assign(*modele);
    if (!Edite(*nouveau, nouveau->NomAppareil)) return;
    TModuleAppareils& module = gestion_.module;
    module.listeAppareil.Add(std::move(nouveau));
    modif = true;
    MajListe();
    ListBoxAppareil->setCurrentRow(module.listeAppareil.Count() - 1);
}

void TChoixConfigDlg::DelBtnClick() {
    Tappareil* A = selection();
    TModuleAppareils& module = gestion_.module;
    if (!A || module.listeAppareil.Count() <= 1) return;
    // A channel refers to the description itself: it cannot go while the channel reads it.
    if (gestion_.appareilUtilise && gestion_.appareilUtilise(A)) {
        dialogues().message(A->NomAppareil +
                            QStringLiteral(" est utilisé par une voie d'acquisition : "
                                           "retirez-le des voies avant de le supprimer"));
        return;
    }
    if (!dialogues().confirme(QStringLiteral("Suppression de ") + A->NomAppareil)) return;
    module.listeAppareil.Remove(A);
    modif = true;
    MajListe();
}

bool TChoixConfigDlg::EnregistreBtnClick() {
    bool ecrit = false;
    {
        const CurseurOccupe occupe;
        try {
            ecrit = gestion_.module.SauveAppareils();
        } catch (const std::exception&) {
            ecrit = false;
        }
    }
    if (!ecrit) {
        dialogues().erreur(QStringLiteral("Erreur d'écriture de ") +
                           gestion_.module.nomFichierAppareil);
        return false;
    }
    modif = false;
    return true;
}

void TChoixConfigDlg::AddBtnClick() {
    TChoixCfgAppDlg dlg(gestion_.module, this);
    const bool confirme = dlg.exec() == QDialog::Accepted;
    if (confirme || dlg.nbreAjoutes > 0) {
        modif = true;
        MajListe();
    }
}

void TChoixConfigDlg::BuretteTelmiraBtnClick() {
    // A cancelled burette dialog changes nothing, and forgets no earlier change.
    if (gestion_.reglagesBurette && gestion_.reglagesBurette()) modif = true;
}

void TChoixConfigDlg::ListeAppRecentCBClick() {
    gestion_.listeAppRecente = ListeAppRecentCB->isChecked();
}

void TChoixConfigDlg::done(int r) {
    // Yes saves; a save that fails keeps the dialog open, so that nothing is lost unasked.
    if (modif && dialogues().confirme(QStringLiteral("Sauvegarde des modifications")) &&
        !EnregistreBtnClick())
        return;
    QDialog::done(r);
}
