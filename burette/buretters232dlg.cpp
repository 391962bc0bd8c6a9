#include "burette/buretters232dlg.h"

#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "burette/dosage.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

std::pair<double, int> SeuilAvecPrefixe(double valeur) {
    if (valeur < 1E-7) return {valeur * 1E6, 2};
    if (valeur < 1E-4) return {valeur * 1000, 1};
    return {valeur, 0};
}

double SeuilSaisi(const QString& texte, int prefixe) {
    return LitNombre(texte) * std::pow(10.0, -3 * prefixe);
}

namespace {
// A text that is no whole number counts as the spin box's minimum.
int valeurSpin(const QSpinBox* spin) {
    return spin->hasAcceptableInput() ? spin->value() : spin->minimum();
}

QComboBox* listePrefixes(QWidget* parent) {
    auto* liste = new QComboBox(parent);
    liste->addItems({QString(), QStringLiteral("m"), QStringLiteral("μ")});
    return liste;
}

QSpinBox* spin(QWidget* parent, int mini, int maxi) {
    auto* s = new QSpinBox(parent);
    s->setRange(mini, maxi);
    s->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return s;
}
} // namespace

TBuretteRS232Dlg::TBuretteRS232Dlg(TburetteRS232& burette, const Tappareil* appareil,
                                   QWidget* parent)
    : QDialog(parent), burette_(burette), appareil_(appareil) {
    setObjectName(QStringLiteral("BuretteRS232Dlg"));
    setWindowTitle(QStringLiteral("Configuration de la burette Titronic"));
    auto* vertical = new QVBoxLayout(this);

    auto* tete = new QGridLayout;
    tete->addWidget(new QLabel(QStringLiteral("Unité de volume : mL"), this), 0, 0, 1, 2);
    tete->addWidget(new QLabel(QStringLiteral("Symbole du volume"), this), 1, 0);
    NomEdit = new QLineEdit(this);
    NomEdit->setMaxLength(8);
    tete->addWidget(NomEdit, 1, 1);
    vertical->addLayout(tete);

    const auto ligneSeuil = [](QGridLayout* grille, int ligne, const QString& legende,
                               QLineEdit*& edit, QComboBox*& prefixe, QLabel*& unite,
                               QWidget* parent) {
        grille->addWidget(new QLabel(legende, parent), ligne, 0, 1, 3);
        auto* rangee = new QHBoxLayout;
        edit = new QLineEdit(parent);
        prefixe = listePrefixes(parent);
        unite = new QLabel(parent);
        rangee->addWidget(edit, 1);
        rangee->addWidget(prefixe);
        rangee->addWidget(unite);
        grille->addLayout(rangee, ligne + 1, 0, 1, 3);
    };
    const auto ligneSpin = [](QGridLayout* grille, int ligne, const QString& legende, QSpinBox* s,
                              const QString& unite, QWidget* parent) {
        grille->addWidget(new QLabel(legende, parent), ligne, 0);
        grille->addWidget(s, ligne, 1);
        grille->addWidget(new QLabel(unite, parent), ligne, 2);
    };

    SensibleGB = new QGroupBox(QStringLiteral("Sensibilité"), this);
    auto* sensible = new QGridLayout(SensibleGB);
    VminiSE = spin(SensibleGB, 10, 100);
    vmaxiSE = spin(SensibleGB, 100, 500);
    ligneSpin(sensible, 0, QStringLiteral("Incrément minimal de volume"), VminiSE,
              QStringLiteral("µL"), SensibleGB);
    ligneSpin(sensible, 1, QStringLiteral("Incrément maximal de volume"), vmaxiSE,
              QStringLiteral("µL"), SensibleGB);
    ligneSeuil(sensible, 2, QStringLiteral("Ecart maxi entre deux ajouts = "), SensibleEdit,
               prefixeSensibleCB, UniteLabel1, SensibleGB);
    vertical->addWidget(SensibleGB);

    StableGB = new QGroupBox(QStringLiteral("Stabilisation"), this);
    auto* stable = new QGridLayout(StableGB);
    TmaxiSE = spin(StableGB, 5, 60);
    TMiniSE = spin(StableGB, 2, 10);
    ligneSpin(stable, 0, QStringLiteral("Durée maximale d'attente de stabilisation"), TmaxiSE,
              QStringLiteral("s"), StableGB);
    ligneSpin(stable, 1, QStringLiteral("Durée minimale d'attente de stabilisation"), TMiniSE,
              QStringLiteral("s"), StableGB);
    ligneSeuil(stable, 2,
               QStringLiteral("(Δx / Δt)max  pour l'enregistrement de la mesure (t en secondes)"),
               StableEdit, prefixeStableCB, UniteLabel2, StableGB);
    vertical->addWidget(StableGB);

    auto* increment = new QHBoxLayout;
    modeIncrementCB = new QCheckBox(QStringLiteral("Incrément de volume constant"), this);
    DeltaVlabel = new QLabel(QStringLiteral("Incrément de volume"), this);
    DeltaVedit = new QLineEdit(this);
    increment->addWidget(modeIncrementCB);
    increment->addWidget(DeltaVlabel);
    increment->addWidget(DeltaVedit);
    increment->addWidget(new QLabel(QStringLiteral("mL"), this));
    vertical->addLayout(increment);

    auto* boutons = new QDialogButtonBox(this);
    OKBtn = boutons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    CancelBtn = boutons->addButton(QStringLiteral("&Abandon"), QDialogButtonBox::RejectRole);
    HelpBtn = boutons->addButton(QStringLiteral("Aide"), QDialogButtonBox::HelpRole);
    OKBtn->setDefault(true);
    vertical->addWidget(boutons);

    connect(modeIncrementCB, &QCheckBox::toggled, this, &TBuretteRS232Dlg::modeIncrementCBClick);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { Q_EMIT aideDemandee(aideBouton); });
    lieDurees();
}

// The shortest wait stays at least two seconds below the longest.
void TBuretteRS232Dlg::lieDurees() {
    connect(TMiniSE, &QSpinBox::valueChanged, this, [this](int v) {
        if (!remplissage_) TmaxiSE->setMinimum(std::min(v + 2, TmaxiSE->maximum()));
    });
    connect(TmaxiSE, &QSpinBox::valueChanged, this, [this](int v) {
        if (!remplissage_) TMiniSE->setMaximum(std::max(v - 2, TMiniSE->minimum()));
    });
}

void TBuretteRS232Dlg::showEvent(QShowEvent* event) {
    FormActivate();
    QDialog::showEvent(event);
}

void TBuretteRS232Dlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        Q_EMIT aideDemandee(aideDialogue);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TBuretteRS232Dlg::FormActivate() {
    TburetteRS232& b = burette_;
    remplissage_ = true;
    TmaxiSE->setRange(5, 60);
    TmaxiSE->setValue(b.DeltatMax);
    TmaxiSE->setMinimum(b.DeltatMin + 2);
    TMiniSE->setRange(2, 10);
    TMiniSE->setValue(b.DeltatMin);
    TMiniSE->setMaximum(b.DeltatMax - 2);
    remplissage_ = false;

    vmaxiSE->setValue(int(std::lround(b.VolumeMax * 1000)));
    VminiSE->setValue(int(std::lround(b.VolumeMin * 1000)));
    NomEdit->setText(b.SymboleGrandeur);

    if (appareil_ || etendue_) {
        const auto [mini, maxi] =
            etendue_ ? *etendue_ : std::pair{appareil_->ValMini, appareil_->ValMaxi};
        AbaisseSeuils(b, mini, maxi);
    }
    const auto montre = [](double valeur, QLineEdit* edit, QComboBox* prefixe) {
        const auto [affiche, item] = SeuilAvecPrefixe(valeur);
        edit->setText(FormatGeneral(affiche, 15, 2, separateurDecimal()));
        prefixe->setCurrentIndex(item);
    };
    montre(b.ecartSensible, SensibleEdit, prefixeSensibleCB);
    montre(b.ecartStable, StableEdit, prefixeStableCB);

    const QString unite = appareil_ ? appareil_->UniteGrandeur : QString();
    UniteLabel1->setText(unite);
    UniteLabel2->setText(unite);

    modeIncrementCB->setChecked(b.modeIncrement);
    modeIncrementCBClick();
    DeltaVedit->setText(FormatGeneral(b.incrementVolume, 15, 2, separateurDecimal()));
}

void TBuretteRS232Dlg::modeIncrementCBClick() {
    DeltaVlabel->setVisible(modeIncrementCB->isChecked());
    DeltaVedit->setVisible(modeIncrementCB->isChecked());
}

void TBuretteRS232Dlg::OKBtnClick() {
    TburetteRS232& b = burette_;
    b.modeIncrement = modeIncrementCB->isChecked();
    b.incrementVolume = LitNombre(DeltaVedit->text());
    b.SymboleGrandeur = NomEdit->text();
    b.UniteGrandeur = QStringLiteral("mL");
    b.DeltatMax = valeurSpin(TmaxiSE);
    b.DeltatMin = valeurSpin(TMiniSE);
    b.VolumeMax = valeurSpin(vmaxiSE) / 1000.0;
    b.VolumeMin = valeurSpin(VminiSE) / 1000.0;
    b.ecartSensible = SeuilSaisi(SensibleEdit->text(), prefixeSensibleCB->currentIndex());
    b.ecartStable = SeuilSaisi(StableEdit->text(), prefixeStableCB->currentIndex());

    const TModuleAppareils& module = moduleAppareils();
    if (!module.SauveBurette(b))
        dialogues().erreur(QStringLiteral("Erreur écriture ") + module.nomFichierAppareil);
}
