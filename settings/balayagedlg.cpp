#include "settings/balayagedlg.h"

#include "acquisition/duree.h"
#include "app/aide.h"
#include "app/dialogues.h"
#include "app/sons.h"
#include "app/utilitaires.h"
#include "serial/dossiertraces.h"
#include "serial/setrs232rg.h"
#include "settings/testburette.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int colonnesPortsBurette = 6;
constexpr int numeroAideBalayage = 4;

const QStringList& itemsModes() {
    static const QStringList items = {
        QStringLiteral("Balayage temporel"), QStringLiteral("Frappe de la barre d'espace"),
        QStringLiteral("à chaque envoi de l'appareil"), QStringLiteral("Entrée clavier"),
        QStringLiteral("Burette Schott Titronic")};
    return items;
}

const QStringList& itemsSons() {
    static const QStringList items = {QStringLiteral("Aucun"),      QStringLiteral("Standard "),
                                      QStringLiteral("Asterisque"), QStringLiteral("Exclamation"),
                                      QStringLiteral("Main"),       QStringLiteral("Question"),
                                      QStringLiteral("Defaut")};
    return items;
}

// Radio buttons of a group laid in columns filled top to bottom, ids in item order.
QButtonGroup* remplitGroupe(QGroupBox* boite, const QStringList& items, int colonnes) {
    auto* grille = new QGridLayout(boite);
    auto* groupe = new QButtonGroup(boite);
    const int lignes = int(items.size() + colonnes - 1) / colonnes;
    for (int k = 0; k < items.size(); ++k) {
        auto* b = new QRadioButton(items[k], boite);
        groupe->addButton(b, k);
        grille->addWidget(b, k % lignes, k / lignes);
    }
    grille->setRowStretch(lignes, 1);
    return groupe;
}

void coche(QButtonGroup* groupe, int id) {
    if (QAbstractButton* b = groupe->button(id)) b->setChecked(true);
}

QString nombreEcran(double x) {
    return FormatGeneral(x, 15, 1, separateurDecimal());
}

// The folder as the user reads it: the home folder shortened to "~".
QString dossierLisible(const QString& dossier) {
    const QString maison = QDir::homePath();
    if (dossier == maison || dossier.startsWith(maison + QLatin1Char('/')))
        return QLatin1Char('~') + dossier.mid(maison.size());
    return QDir::toNativeSeparators(dossier);
}
} // namespace

TBalayageDlg::TBalayageDlg(TReglagesBalayage& reglages, TNumeroCom& NumeroCom,
                           TCrochetsBalayage crochets, QWidget* parent)
    : QDialog(parent), reglages_(reglages), NumeroCom_(NumeroCom), crochets_(std::move(crochets)) {
    setObjectName(QStringLiteral("BalayageDlg"));
    setWindowTitle(QStringLiteral("Mode d'acquisition"));
    auto* pile = new QVBoxLayout(this);

    auto* haut = new QHBoxLayout;
    ModeAcqRG = new QGroupBox(QStringLiteral("Mode d'acquisition"), this);
    ModeAcqRG->setObjectName(QStringLiteral("ModeAcqRG"));
    ModeAcqGroupe = remplitGroupe(ModeAcqRG, itemsModes(), 2);
    connect(ModeAcqGroupe, &QButtonGroup::idClicked, this, &TBalayageDlg::ModeAcqRGClick);
    haut->addWidget(ModeAcqRG);

    // A page per mode, without tabs: the page shown is always the selected mode's.
    Pages = new QStackedWidget(this);
    Pages->setObjectName(QStringLiteral("Pages"));
    Pages->setFrameShape(QFrame::StyledPanel);
    Pages->setMinimumWidth(400);
    Pages->addWidget(CreePageTemps());
    Pages->addWidget(CreePageBarre());
    Pages->addWidget(CreePageMaitre());
    Pages->addWidget(CreePageClavier());
    Pages->addWidget(CreePageBurette());
    haut->addWidget(Pages, 1);
    pile->addLayout(haut, 1);

    TraceCB = new QCheckBox(
        QStringLiteral("Sauvegarde du dialogue ordinateur-appareil dans des fichiers .TRC et .LOG"),
        this);
    TraceCB->setObjectName(QStringLiteral("TraceCB"));
    TraceCB->setChecked(LitTraceActive());
    reglages_.TraceActive = TraceCB->isChecked();
    pile->addWidget(TraceCB);
    const QString dossier = dossierTraces();
    DossierTraceLabel = new QLabel(
        QStringLiteral("Fichiers telmira_&lt;port&gt;&lt;lettre&gt;.trc et .log rangés dans "
                       "<a href=\"%1\">%2</a>")
            .arg(QUrl::fromLocalFile(dossier).toString(QUrl::FullyEncoded),
                 dossierLisible(dossier).toHtmlEscaped()),
        this);
    DossierTraceLabel->setObjectName(QStringLiteral("DossierTraceLabel"));
    DossierTraceLabel->setTextFormat(Qt::RichText);
    DossierTraceLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    DossierTraceLabel->setIndent(20);
    DossierTraceLabel->setToolTip(QDir::toNativeSeparators(dossier));
    connect(DossierTraceLabel, &QLabel::linkActivated, this, [dossier] {
        // Made before the first trace is written, so that it can be opened.
        QDir().mkpath(dossier);
        QDesktopServices::openUrl(QUrl::fromLocalFile(dossier));
    });
    pile->addWidget(DossierTraceLabel);

    auto* boutons = new QHBoxLayout;
    HelpBtn = new QPushButton(QStringLiteral("Aide"), this);
    HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
    HelpBtn->setVisible(aideDisponible());
    boutons->addWidget(HelpBtn);
    boutons->addStretch(1);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Annuler"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    boutons->addWidget(OKBtn);
    boutons->addWidget(CancelBtn);
    pile->addLayout(boutons);
    for (QPushButton* b : {HelpBtn, CancelBtn})
        b->setAutoDefault(false);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TBalayageDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TBalayageDlg::HelpBtnClick);
    installeToucheAide(this, sujetAide(numeroAideBalayage));
}

QWidget* TBalayageDlg::CreePageTemps() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageTemps"));
    auto* pile = new QVBoxLayout(page);
    auto* balayage = new QGroupBox(QStringLiteral("Balayage"), page);
    auto* grille = new QGridLayout(balayage);

    grille->addWidget(new QLabel(QStringLiteral("Durée totale :"), balayage), 0, 0);
    Duree = new QLineEdit(balayage);
    Duree->setObjectName(QStringLiteral("Duree"));
    Duree->setFixedWidth(90);
    // The keys of the main window's duration box; ":" stays so that a time can be retyped.
    Duree->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9: %'.imnsµ]*")), Duree));
    Duree->installEventFilter(this);
    connect(Duree, &QLineEdit::editingFinished, this, [this] { DureeExit(); });
    grille->addWidget(Duree, 0, 1);
    auto* fleches = new QVBoxLayout;
    fleches->setSpacing(0);
    DureeSBUp = new QToolButton(balayage);
    DureeSBUp->setObjectName(QStringLiteral("DureeSBUp"));
    DureeSBUp->setArrowType(Qt::UpArrow);
    DureeSBUp->setFixedSize(20, 13);
    DureeSBUp->setAutoRepeat(true);
    DureeSBDown = new QToolButton(balayage);
    DureeSBDown->setObjectName(QStringLiteral("DureeSBDown"));
    DureeSBDown->setArrowType(Qt::DownArrow);
    DureeSBDown->setFixedSize(20, 13);
    DureeSBDown->setAutoRepeat(true);
    fleches->addWidget(DureeSBUp);
    fleches->addWidget(DureeSBDown);
    grille->addLayout(fleches, 0, 2, Qt::AlignLeft);
    connect(DureeSBUp, &QToolButton::clicked, this, &TBalayageDlg::DureeSBUpClick);
    connect(DureeSBDown, &QToolButton::clicked, this, &TBalayageDlg::DureeSBDownClick);

    DeltatLabel = new QLabel(QStringLiteral("δt(s)="), balayage);
    DeltatLabel->setObjectName(QStringLiteral("DeltatLabel"));
    grille->addWidget(DeltatLabel, 1, 0);
    DeltatSpin = new QSpinBox(balayage);
    DeltatSpin->setObjectName(QStringLiteral("DeltatSpin"));
    DeltatSpin->setRange(1, deltatMaxi);
    // δt is applied once typed, not at each digit.
    DeltatSpin->setKeyboardTracking(false);
    DeltatSpin->setFixedWidth(90);
    connect(DeltatSpin, &QSpinBox::valueChanged, this, &TBalayageDlg::MajTemps);
    grille->addWidget(DeltatSpin, 1, 1);
    NombreLabel = new QLabel(balayage);
    NombreLabel->setObjectName(QStringLiteral("NombreLabel"));
    grille->addWidget(NombreLabel, 2, 0, 1, 3);
    grille->setColumnStretch(3, 1);
    pile->addWidget(balayage);
    pile->addStretch(1);
    return page;
}

QWidget* TBalayageDlg::CreePageBarre() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageBarre"));
    auto* pile = new QVBoxLayout(page);
    auto* texte =
        new QLabel(QStringLiteral("Vous pouvez aussi cliquer sur le bouton \"Enregistre\""), page);
    texte->setWordWrap(true);
    pile->addWidget(texte);
    pile->addStretch(1);
    return page;
}

QWidget* TBalayageDlg::CreePageMaitre() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageMaitre"));
    auto* pile = new QVBoxLayout(page);
    auto* note = new QLabel(QStringLiteral("Attention, l'appareil doit envoyer de lui-même des "
                                           "données,\nsoit en continu, soit par frappe d'une "
                                           "touche de celui-ci"),
                            page);
    note->setWordWrap(true);
    note->setFrameShape(QFrame::StyledPanel);
    note->setMargin(4);
    pile->addWidget(note);
    AbscisseMaitreRG = new QGroupBox(QStringLiteral("Abscisse"), page);
    AbscisseMaitreRG->setObjectName(QStringLiteral("AbscisseMaitreRG"));
    AbscisseMaitreGroupe = remplitGroupe(
        AbscisseMaitreRG,
        {QStringLiteral("Temps"), QStringLiteral("Index"), QStringLiteral("Appareil")}, 1);
    pile->addWidget(AbscisseMaitreRG);
    auto* ligne = new QHBoxLayout;
    ligne->addWidget(new QLabel(QStringLiteral("Bip :"), page));
    SoundCB = new QComboBox(page);
    SoundCB->setObjectName(QStringLiteral("SoundCB"));
    SoundCB->addItems(itemsSons());
    connect(SoundCB, &QComboBox::currentIndexChanged, this, &TBalayageDlg::SoundCBChange);
    ligne->addWidget(SoundCB);
    SoundBtn = new QPushButton(QStringLiteral("Écouter"), page);
    SoundBtn->setObjectName(QStringLiteral("SoundBtn"));
    SoundBtn->setAutoDefault(false);
    SoundBtn->setToolTip(QStringLiteral("Joue le son choisi"));
    connect(SoundBtn, &QPushButton::clicked, this, &TBalayageDlg::SoundBtnClick);
    ligne->addWidget(SoundBtn);
    ligne->addStretch(1);
    pile->addLayout(ligne);
    pile->addStretch(1);
    return page;
}

QWidget* TBalayageDlg::CreePageClavier() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageClavier"));
    auto* pile = new QVBoxLayout(page);
    auto* grandeur = new QGroupBox(QStringLiteral("Grandeur  physique"), page);
    auto* formulaire = new QFormLayout(grandeur);
    auto champ = [grandeur, formulaire](const QString& nom, const QString& legende) {
        auto* edit = new QLineEdit(grandeur);
        edit->setObjectName(nom);
        auto* etiquette = new QLabel(legende, grandeur);
        etiquette->setBuddy(edit);
        formulaire->addRow(etiquette, edit);
        return edit;
    };
    EditNom = champ(QStringLiteral("EditNom"), QStringLiteral("&Nom"));
    EditUnite = champ(QStringLiteral("EditUnite"), QStringLiteral("&Unité"));
    EditMin = champ(QStringLiteral("EditMin"), QStringLiteral("Mini"));
    EditMax = champ(QStringLiteral("EditMax"), QStringLiteral("Maxi"));
    pile->addWidget(grandeur);
    pile->addStretch(1);
    return page;
}

QWidget* TBalayageDlg::CreePageBurette() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PageBurette"));
    auto* pile = new QVBoxLayout(page);
    TestBuretteLabel = new QLabel(texteBuretteNonTestee, page);
    TestBuretteLabel->setObjectName(QStringLiteral("TestBuretteLabel"));
    TestBuretteLabel->setWordWrap(true);
    TestBuretteLabel->setTextFormat(Qt::PlainText);
    pile->addWidget(TestBuretteLabel);
    ComPortsBuretteTelmira = new QGroupBox(QStringLiteral("Voie série burette Titronic"), page);
    ComPortsBuretteTelmira->setObjectName(QStringLiteral("ComPortsBuretteTelmira"));
    new QGridLayout(ComPortsBuretteTelmira);
    pile->addWidget(ComPortsBuretteTelmira);
    auto* ligne = new QHBoxLayout;
    TestBuretteBtn = new QPushButton(QStringLiteral("Test"), page);
    TestBuretteBtn->setObjectName(QStringLiteral("TestBuretteBtn"));
    TestBuretteBtn->setAutoDefault(false);
    TestBuretteBtn->setEnabled(bool(crochets_.testeBurette));
    configBuretteBtn = new QPushButton(QStringLiteral("Configuration du dosage"), page);
    configBuretteBtn->setObjectName(QStringLiteral("configBuretteBtn"));
    configBuretteBtn->setToolTip(
        QStringLiteral("Réglage des paramètres du dosage (sensibilité ...) "));
    configBuretteBtn->setAutoDefault(false);
    configBuretteBtn->setEnabled(bool(crochets_.configureDosage));
    connect(TestBuretteBtn, &QPushButton::clicked, this, &TBalayageDlg::TestBuretteBtnClick);
    connect(configBuretteBtn, &QPushButton::clicked, this, &TBalayageDlg::ConfigBuretteBtnClick);
    ligne->addWidget(TestBuretteBtn);
    ligne->addWidget(configBuretteBtn);
    ligne->addStretch(1);
    pile->addLayout(ligne);
    pile->addStretch(1);
    return page;
}

void TBalayageDlg::showEvent(QShowEvent* event) {
    // A window restored by the system is not a new showing.
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

bool TBalayageDlg::eventFilter(QObject* objet, QEvent* event) {
    // Enter in the duration box takes the duration; it does not close the dialog.
    if (objet == Duree && event->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(event)->key();
        if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
            DureeExit();
            return true;
        }
    }
    return QDialog::eventFilter(objet, event);
}

TModeAcq TBalayageDlg::modeChoisi() const {
    const int id = ModeAcqGroupe->checkedId();
    return id >= maTemps && id <= maBuretteTelmira ? TModeAcq(id) : reglages_.ModeAcq;
}

void TBalayageDlg::FormActivate() {
    DeltatLabel->setText(QStringLiteral("δt(s)="));
    oldDeltat = reglages_.DeltatMesure;
    oldDuree = reglages_.DureeMesure;
    TestBuretteLabel->setText(texteBuretteNonTestee);
    SetRS232RG(ComPortsBuretteTelmira, reglages_.ComBurette, NumeroCom_, colonnesPortsBurette);
    if (auto* groupe =
            ComPortsBuretteTelmira->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly))
        connect(groupe, &QButtonGroup::idClicked, this, &TBalayageDlg::ModificationClick);
    Dt = reglages_.DeltatMesure;

    EditNom->setText(reglages_.NomClavier);
    EditUnite->setText(reglages_.UniteClavier);
    EditMin->setText(nombreEcran(reglages_.MiniClavier));
    EditMax->setText(nombreEcran(reglages_.MaxiClavier));

    {
        // The box starts from the engine's δt, not from what it showed at the last showing.
        const QSignalBlocker bloque(DeltatSpin);
        DeltatSpin->setMinimum(std::clamp<int>(reglages_.DeltatMin, 1, deltatMaxi));
        DeltatSpin->setValue(reglages_.DeltatMesure);
    }
    coche(ModeAcqGroupe, reglages_.ModeAcq);
    MajTemps();
    Pages->setCurrentIndex(reglages_.ModeAcq);
    {
        const QSignalBlocker bloque(SoundCB);
        SoundCB->setCurrentIndex(std::clamp(reglages_.CodeBeep, 0, nbreCodesBeep - 1));
    }
    coche(AbscisseMaitreGroupe, reglages_.AbscisseMaitre);
}

void TBalayageDlg::ModeAcqRGClick(int mode) {
    Pages->setCurrentIndex(mode);
}

void TBalayageDlg::MajTemps() {
    ::MajTemps(reglages_, DeltatSpin->value());
    Dt = reglages_.DeltatMesure;
    AfficheBaseDeTemps();
}

void TBalayageDlg::AfficheBaseDeTemps() {
    NbrePointsMax = ::NbrePointsMax(reglages_);
    Duree->setText(FormatDuree(reglages_.DureeMesure));
    NombreLabel->setText(QStringLiteral("N=") + QString::number(NbrePointsMax));
    const QSignalBlocker bloque(DeltatSpin);
    DeltatSpin->setValue(reglages_.DeltatMesure);
}

void TBalayageDlg::DureeSBUpClick() {
    DureeSuivanteBalayage(reglages_);
    AfficheBaseDeTemps();
}

void TBalayageDlg::DureeSBDownClick() {
    DureePrecedenteBalayage(reglages_);
    AfficheBaseDeTemps();
}

bool TBalayageDlg::DureeExit() {
    const QString texte = Duree->text();
    if (texte == FormatDuree(reglages_.DureeMesure)) return true;
    qint32 lue = 0;
    if (!LitDuree(texte, lue)) {
        AfficheBaseDeTemps();
        dialogues().erreur(QStringLiteral("« ") + texte +
                           QStringLiteral(" » n'est pas une durée correcte (h:mm:ss)"));
        return false;
    }
    // A typed duration follows the buttons' rules: 8 to 2048 samples, δt within its limits.
    reglages_.DureeMesure = lue;
    AjusteDuree(reglages_);
    AfficheBaseDeTemps();
    return true;
}

void TBalayageDlg::SoundCBChange(int index) {
    reglages_.CodeBeep = std::max(index, 0);
}

void TBalayageDlg::SoundBtnClick() {
    if (reglages_.CodeBeep > 0) JoueSon(reglages_.CodeBeep);
}

void TBalayageDlg::ModificationClick() {
    modification = true;
}

void TBalayageDlg::TestBuretteBtnClick() {
    const int item = indexRS232RG(ComPortsBuretteTelmira);
    if (item < 0 || item + 1 >= int(NumeroCom_.size())) {
        TestBuretteLabel->setText(texteAucuneVoieBurette);
        return;
    }
    if (!crochets_.testeBurette) return;
    TestBuretteBtn->setEnabled(false);
    const int com = NumeroCom_[item + 1];
    reglages_.ComBurette = com;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The exchange handles events while it waits: the dialog may be gone when it returns.
    const QPointer<TBalayageDlg> garde(this);
    const QString texte = crochets_.testeBurette(com, TraceCB->isChecked());
    QApplication::restoreOverrideCursor();
    if (!garde) return;
    TestBuretteLabel->setText(texte);
    TestBuretteBtn->setEnabled(true);
}

void TBalayageDlg::ConfigBuretteBtnClick() {
    if (crochets_.configureDosage) crochets_.configureDosage(this);
}

void TBalayageDlg::OKBtnClick() {
    // A δt typed but not yet taken, then the duration text: a wrong one keeps the dialog open
    // with the shown duration put back, and nothing is applied.
    DeltatSpin->interpretText();
    if (!DureeExit()) return;

    const TModeAcq mode = modeChoisi();
    modification = modification || mode != reglages_.ModeAcq;
    reglages_.ModeAcq = mode;
    const int item = indexRS232RG(ComPortsBuretteTelmira);
    if (item >= 0 && item + 1 < int(NumeroCom_.size())) reglages_.ComBurette = NumeroCom_[item + 1];
    if (mode == maTemps)
        modification = modification || reglages_.DeltatMesure != oldDeltat ||
                       reglages_.DureeMesure != oldDuree;
    if (mode == maClavier) {
        reglages_.NomClavier = EditNom->text();
        reglages_.UniteClavier = EditUnite->text();
        reglages_.MiniClavier = LitNombreDefaut(EditMin->text(), 0);
        reglages_.MaxiClavier = LitNombreDefaut(EditMax->text(), 5);
        OrdonneMinMax(reglages_.MiniClavier, reglages_.MaxiClavier);
    }
    const int abscisse = AbscisseMaitreGroupe->checkedId();
    reglages_.AbscisseMaitre =
        mode == maAppareilMaitre && abscisse >= amTemps && abscisse <= amVoie0
            ? TabscisseMaitre(abscisse)
            : amTemps;
    accept();
}

void TBalayageDlg::HelpBtnClick() {
    AfficheAide(this, sujetAide(numeroAideBalayage));
}

void TBalayageDlg::done(int resultat) {
    reglages_.TraceActive = TraceCB->isChecked();
    EcritTraceActive(reglages_.TraceActive);
    QDialog::done(resultat);
}
