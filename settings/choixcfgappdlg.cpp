#include "settings/choixcfgappdlg.h"

#include "app/dialogues.h"
#include "instruments/listeappareil.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QShowEvent>

TChoixCfgAppDlg::TChoixCfgAppDlg(TModuleAppareils& module, QWidget* parent)
    : QDialog(parent), module_(module) {
    setObjectName(QStringLiteral("ChoixCfgAppDlg"));
    setWindowTitle(QStringLiteral("Ajout d'un appareil à sortie Telmira à partir d'un fichier"));
    auto* pile = new QVBoxLayout(this);
    const auto liste = [&](const QString& titre, const char* nom) {
        auto* groupe = new QGroupBox(titre, this);
        auto* dans = new QVBoxLayout(groupe);
        auto* combo = new QComboBox(groupe);
        combo->setObjectName(QLatin1String(nom));
        combo->setMinimumContentsLength(30);
        dans->addWidget(combo);
        pile->addWidget(groupe);
        return combo;
    };
    GrandeurCombo = liste(QStringLiteral("Type de grandeur à mesurer"), "GrandeurCombo");
    ListeAppareilCombo = liste(QStringLiteral("Appareil"), "ListeAppareilCombo");
    auto* boutons = new QHBoxLayout;
    OpenBtn = new QPushButton(QStringLiteral("Ouvrir un fichier"), this);
    OpenBtn->setObjectName(QStringLiteral("OpenBtn"));
    AddBtn = new QPushButton(QStringLiteral("Ajouter"), this);
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    CancelBtn = new QPushButton(QStringLiteral("&Fermer"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    for (QPushButton* b : {OpenBtn, AddBtn, CancelBtn}) {
        b->setAutoDefault(false);
        boutons->addWidget(b);
    }
    pile->addLayout(boutons);
    connect(OpenBtn, &QPushButton::clicked, this, &TChoixCfgAppDlg::OpenBtnClick);
    connect(AddBtn, &QPushButton::clicked, this, &TChoixCfgAppDlg::AddBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(GrandeurCombo, &QComboBox::activated, this, &TChoixCfgAppDlg::GrandeurComboChange);
    connect(ListeAppareilCombo, &QComboBox::currentIndexChanged, this,
            &TChoixCfgAppDlg::MajBoutons);
}

void TChoixCfgAppDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) MajBoutons();
    QDialog::showEvent(event);
}

void TChoixCfgAppDlg::MajBoutons() {
    GrandeurCombo->setEnabled(GrandeurCombo->count() > 0);
    ListeAppareilCombo->setEnabled(ListeAppareilCombo->count() > 0);
    AddBtn->setEnabled(ListeAppareilCombo->currentIndex() >= 0);
}

void TChoixCfgAppDlg::OpenBtnClick() {
    const QString nom = dialogues().choisitFichier(
        false, QStringLiteral("Ouvrir un fichier"),
        QStringLiteral("Fichier appareils (*.ini)|*.ini|Fichier appareils (*.txt)|*.txt"),
        QStringLiteral("ini"), QString());
    if (nom.isEmpty()) return;
    module_.ChargeAppareilsImport(nom);
    RemplitListes();
}

void TChoixCfgAppDlg::RemplitAppareils(const QString& grandeur) {
    ListeAppareilCombo->clear();
    for (const auto& A : module_.listeAppareilImport)
        if (A->nomGrandeur == grandeur) ListeAppareilCombo->addItem(A->NomAppareil);
    ListeAppareilCombo->setCurrentIndex(ListeAppareilCombo->count() - 1);
}

void TChoixCfgAppDlg::RemplitListes() {
    GrandeurCombo->clear();
    GrandeurCombo->addItems(module_.listeGrandeurImport);
    ListeAppareilCombo->clear();
    if (const Tappareil* R = module_.listeAppareilImport.First()) {
        GrandeurCombo->setCurrentIndex(GrandeurCombo->findText(R->nomGrandeur));
        RemplitAppareils(R->nomGrandeur);
    }
    MajBoutons();
}

void TChoixCfgAppDlg::GrandeurComboChange() {
    RemplitAppareils(GrandeurCombo->currentText());
    MajBoutons();
}

void TChoixCfgAppDlg::AddBtnClick() {
    const QString nom = ListeAppareilCombo->currentText();
    for (const auto& A : module_.listeAppareilImport) {
        if (A->NomAppareil != nom) continue;
        auto copie = std::make_unique<Tappareil>();
        copie->Assign(*A);
        // Two descriptions of one name would share one section of the device file.
        copie->NomAppareil = module_.NomLibre(*copie);
        if (copie->NomAppareil != nom)
            dialogues().message(QStringLiteral("Un appareil porte déjà ce nom : celui-ci est "
                                               "ajouté sous le nom ") +
                                copie->NomAppareil);
        module_.listeAppareil.Add(std::move(copie));
        module_.AjouteGrandeur(A->nomGrandeur);
        ++nbreAjoutes;
        return;
    }
}
