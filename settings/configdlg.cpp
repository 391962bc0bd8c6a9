#include "settings/configdlg.h"

#include "app/cp1252.h"
#include "app/dialogues.h"
#include "app/ecran.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "instruments/notation.h"
#include "serial/envoimemo.h"
#include "serial/lignesrecues.h"
#include "serial/setrs232rg.h"
#include "serial/testdlg.h"
#include "serial/voiesserie.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

namespace {
const QStringList grandeurs = {QStringLiteral("pH"),
                               QStringLiteral("Tension"),
                               QStringLiteral("Masse"),
                               QStringLiteral("Absorbance"),
                               QStringLiteral("Longueur d'onde"),
                               QStringLiteral("Température"),
                               QStringLiteral("Conductivité"),
                               QStringLiteral("Volume"),
                               QStringLiteral("Autre")};
constexpr int indexAutre = 8;
constexpr int indexVitesseDefaut = 6; // 19200

QGroupBox* groupeRadio(const QString& titre, const QStringList& items, int colonnes,
                       const char* nom, QWidget* parent) {
    auto* RG = new QGroupBox(titre, parent);
    RG->setObjectName(QLatin1String(nom));
    auto* grille = new QGridLayout(RG);
    auto* groupe = new QButtonGroup(RG);
    groupe->setObjectName(QStringLiteral("boutons"));
    const int lignes = int((items.size() + colonnes - 1) / colonnes);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], RG);
        groupe->addButton(b, i);
        grille->addWidget(b, i % lignes, i / lignes);
    }
    return RG;
}

QButtonGroup* boutonsDe(const QGroupBox* RG) {
    return RG->findChild<QButtonGroup*>(QStringLiteral("boutons"), Qt::FindDirectChildrenOnly);
}

int indexRG(const QGroupBox* RG) {
    return boutonsDe(RG)->checkedId();
}

// An index outside the items leaves the group without a choice.
void choisitRG(QGroupBox* RG, int index) {
    QButtonGroup* groupe = boutonsDe(RG);
    if (QAbstractButton* b = groupe->button(index)) {
        b->setChecked(true);
        return;
    }
    groupe->setExclusive(false);
    for (QAbstractButton* b : groupe->buttons())
        b->setChecked(false);
    groupe->setExclusive(true);
}

// A control under its caption, in a frame of its own so that both hide together.
template <typename T>
T* sousTitre(QGridLayout* grille, int ligne, int colonne, const QString& titre, const char* nom,
             QWidget* parent, QLabel** etiquette = nullptr) {
    auto* cadre = new QWidget(parent);
    auto* pile = new QVBoxLayout(cadre);
    pile->setContentsMargins(0, 0, 0, 0);
    pile->setSpacing(2);
    auto* texte = new QLabel(titre, cadre);
    auto* controle = new T(cadre);
    controle->setObjectName(QLatin1String(nom));
    texte->setBuddy(controle);
    pile->addWidget(texte);
    pile->addWidget(controle);
    grille->addWidget(cadre, ligne, colonne);
    if (etiquette) *etiquette = texte;
    return controle;
}

QSpinBox* spin(QGridLayout* grille, int ligne, int colonne, const QString& titre, int mini,
               int maxi, const char* nom, QWidget* parent) {
    auto* s = sousTitre<QSpinBox>(grille, ligne, colonne, titre, nom, parent);
    s->setRange(mini, maxi);
    return s;
}

} // namespace

TConfigDlg::TConfigDlg(TVoiesSerie& voies, std::function<void(int)> aide, QWidget* parent)
    : QDialog(parent), voies_(voies), aide_(std::move(aide)) {
    setObjectName(QStringLiteral("ConfigDlg"));
    setWindowTitle(QStringLiteral("Configuration d'appareil Telmira"));
    auto* rangee = new QHBoxLayout(this);
    Notebook = new QTabWidget(this);
    Notebook->setObjectName(QStringLiteral("Notebook"));
    rangee->addWidget(Notebook, 1);
    CreeGrandeur();
    CreeVoieSerie();
    CreeFormat();
    CreeAidePilotage();
    CreePilotage();

    auto* panneau = new QVBoxLayout;
    OKBtn = Bouton(QStringLiteral("&OK"), "OKBtn", this);
    OKBtn->setDefault(true);
    CancelBtn = Bouton(QStringLiteral("Abandon"), "CancelBtn", this);
    HelpBtn = Bouton(QStringLiteral("Aide"), "HelpBtn", this);
    TestBtn = Bouton(QStringLiteral("&Test"), "TestBtn", this);
    ClearBtn = Bouton(QStringLiteral("&RàZ"), "ClearBtn", this);
    for (QPushButton* b : {OKBtn, CancelBtn, HelpBtn, TestBtn})
        panneau->addWidget(b);
    panneau->addStretch(1);
    panneau->addWidget(ClearBtn);
    rangee->addLayout(panneau);
    HelpBtn->setVisible(bool(aide_));
    ClearBtn->hide();

    connect(OKBtn, &QPushButton::clicked, this, &TConfigDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TConfigDlg::HelpBtnClick);
    connect(TestBtn, &QPushButton::clicked, this, &TConfigDlg::TestBtnClick);
    connect(ClearBtn, &QPushButton::clicked, this, &TConfigDlg::ClearBtnClick);
    connect(Notebook, &QTabWidget::currentChanged, this, [this](int page) {
        if (!majEnCours_) NotebookChange(page);
    });
    AdapteEcran(this);
}

TConfigDlg::~TConfigDlg() {
    FormClose();
}

void TConfigDlg::CreeGrandeur() {
    auto* page = new QWidget;
    auto* grille = new QGridLayout(page);
    nomGrandeurCombo = sousTitre<QComboBox>(grille, 0, 0, QStringLiteral("Type de grandeur"),
                                            "nomGrandeurCombo", page);
    nomGrandeurCombo->setEditable(true);
    nomGrandeurCombo->addItems(grandeurs);
    nomGrandeurCombo->setInsertPolicy(QComboBox::NoInsert);
    EditSymbole =
        sousTitre<QLineEdit>(grille, 0, 1, QStringLiteral("Symbole"), "EditSymbole", page);
    EditSymbole->setMaxLength(8);
    EditUnite = sousTitre<QLineEdit>(grille, 0, 2, QStringLiteral("Unité"), "EditUnite", page);
    auto* nom = new QGridLayout;
    EditNomAppareil =
        sousTitre<QLineEdit>(nom, 0, 0, QStringLiteral("Nom appareil"), "EditNomAppareil", page);
    grille->addLayout(nom, 1, 0, 1, 3);

    auto* valeurs = new QGroupBox(QStringLiteral("Valeurs"), page);
    auto* grilleValeurs = new QGridLayout(valeurs);
    EditMin =
        sousTitre<QLineEdit>(grilleValeurs, 0, 0, QStringLiteral("Minimum"), "EditMin", valeurs);
    EditMax =
        sousTitre<QLineEdit>(grilleValeurs, 1, 0, QStringLiteral("Maximum"), "EditMax", valeurs);
    grille->addWidget(valeurs, 2, 0);
    auto* affichage = new QGroupBox(QStringLiteral("Affichage"), page);
    auto* grilleAffichage = new QGridLayout(affichage);
    PrecisionSE = spin(grilleAffichage, 0, 0, QStringLiteral("Nombre de chiffres"), 2, 7,
                       "PrecisionSE", affichage);
    grilleAffichage->setRowStretch(1, 1);
    grille->addWidget(affichage, 2, 1);
    auto* derive = new QGroupBox(QStringLiteral("Controle de dérive"), page);
    auto* grilleDerive = new QGridLayout(derive);
    DeriveEdit = sousTitre<QLineEdit>(grilleDerive, 0, 0, QStringLiteral("Ecart maxi"),
                                      "DeriveEdit", derive);
    DeriveEdit->setMaxLength(8);
    grilleDerive->setRowStretch(1, 1);
    grille->addWidget(derive, 2, 2);
    grille->setRowStretch(3, 1);
    Notebook->addTab(page, QStringLiteral("Grandeur"));

    connect(PrecisionSE, &QSpinBox::valueChanged, this, [this] {
        if (!majEnCours_) PrecisionSEChange();
    });
}

void TConfigDlg::CreeVoieSerie() {
    auto* page = new QWidget;
    auto* grille = new QGridLayout(page);
    Comports = new QGroupBox(QStringLiteral("&Com par défaut"), page);
    Comports->setObjectName(QStringLiteral("Comports"));
    new QGridLayout(Comports);
    grille->addWidget(Comports, 0, 0, 1, 4);
    QStringList bauds;
    for (const qint32 v : vitesses)
        bauds << QString::number(v);
    BaudsRG = groupeRadio(QStringLiteral("&Vitesse"), bauds, 2, "BaudsRG", page);
    grille->addWidget(BaudsRG, 1, 0, 2, 1);
    ParityRG =
        groupeRadio(QStringLiteral("&Parité"),
                    {QStringLiteral("Sans"), QStringLiteral("Impaire"), QStringLiteral("Paire"),
                     QStringLiteral("Marque"), QStringLiteral("Espace")},
                    1, "ParityRG", page);
    grille->addWidget(ParityRG, 1, 1, 2, 1);
    DatabitsRG = groupeRadio(
        QStringLiteral("bits de &Données"),
        {QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("6"), QStringLiteral("5")}, 1,
        "DatabitsRG", page);
    grille->addWidget(DatabitsRG, 1, 2, 2, 1);
    StopbitsRG = groupeRadio(QStringLiteral("bits de &Stop"),
                             {QStringLiteral("1"), QStringLiteral("2")}, 1, "StopbitsRG", page);
    grille->addWidget(StopbitsRG, 1, 3);
    auto* controle = new QGroupBox(QStringLiteral("&Contrôle:"), page);
    auto* pileControle = new QVBoxLayout(controle);
    RTSCTSbox = new QCheckBox(QStringLiteral("RTS/CTS"), controle);
    RTSCTSbox->setObjectName(QStringLiteral("RTSCTSbox"));
    XonXoffBox = new QCheckBox(QStringLiteral("Protocole Xon Xoff"), controle);
    XonXoffBox->setObjectName(QStringLiteral("XonXoffBox"));
    pileControle->addWidget(RTSCTSbox);
    pileControle->addWidget(XonXoffBox);
    grille->addWidget(controle, 2, 3);
    grille->setRowStretch(3, 1);
    Notebook->addTab(page, QStringLiteral("Voie série"));
}

void TConfigDlg::CreeFormat() {
    auto* page = new QWidget;
    auto* grille = new QGridLayout(page);

    auto* gauche = new QVBoxLayout;
    EnvoiDonneesRG = groupeRadio(QStringLiteral("Envoi des données"),
                                 {QStringLiteral("sur demande"), QStringLiteral("en continu")}, 1,
                                 "EnvoiDonneesRG", page);
    FixeRG = groupeRadio(QStringLiteral("Format des données"),
                         {QStringLiteral("variable"), QStringLiteral("fixe")}, 1, "FixeRG", page);
    gauche->addWidget(EnvoiDonneesRG);
    gauche->addWidget(FixeRG);

    auto* delai = new QGroupBox(QStringLiteral("Délai mini entre mesures (ms)"), page);
    auto* ligneDelai = new QHBoxLayout(delai);
    DelaiEdit = new QLineEdit(delai);
    DelaiEdit->setObjectName(QStringLiteral("DelaiEdit"));
    DelaiEdit->setMaximumWidth(80);
    auto* fleches = new QVBoxLayout;
    fleches->setSpacing(0);
    DelaiSpinUp = new QToolButton(delai);
    DelaiSpinUp->setObjectName(QStringLiteral("DelaiSpinUp"));
    DelaiSpinUp->setArrowType(Qt::UpArrow);
    DelaiSpinDown = new QToolButton(delai);
    DelaiSpinDown->setObjectName(QStringLiteral("DelaiSpinDown"));
    DelaiSpinDown->setArrowType(Qt::DownArrow);
    for (QToolButton* f : {DelaiSpinUp, DelaiSpinDown}) {
        f->setFixedSize(22, 13);
        fleches->addWidget(f);
    }
    ligneDelai->addWidget(DelaiEdit);
    ligneDelai->addLayout(fleches);
    ligneDelai->addStretch(1);
    gauche->addWidget(delai);

    auto* separateur = new QGroupBox(QStringLiteral("Séparateur des chiffres"), page);
    auto* grilleSeparateur = new QGridLayout(separateur);
    SeparateurSE = spin(grilleSeparateur, 0, 0, QStringLiteral("Code ASCII"), 0, 255,
                        "SeparateurSE", separateur);
    gauche->addWidget(separateur);
    gauche->addStretch(1);
    grille->addLayout(gauche, 0, 0, 2, 1);

    auto* position = new QGroupBox(QStringLiteral("Position des données"), page);
    auto* grillePosition = new QGridLayout(position);
    NbreCaracSE = spin(grillePosition, 0, 0, QStringLiteral("Nombre de carac."), 0, 4096,
                       "NbreCaracSE", position);
    NbreLignesSE = spin(grillePosition, 1, 0, QStringLiteral("Nombre de lignes"), 0, 255,
                        "NbreLignesSE", position);
    PosDebutSE = spin(grillePosition, 2, 0, QStringLiteral("Numéro premier carac."), -50, 100,
                      "PosDebutSE", position);
    NumeroOrdreSE = spin(grillePosition, 3, 0, QStringLiteral("Numéro d'ordre"), 1, 255,
                         "NumeroOrdreSE", position);
    grillePosition->setRowStretch(4, 1);
    grille->addWidget(position, 0, 1, 2, 1);

    auto* textes = new QGroupBox(QStringLiteral("Textes"), page);
    auto* grilleTextes = new QGridLayout(textes);
    EditDemande = sousTitre<QLineEdit>(grilleTextes, 0, 0, QStringLiteral("Demande"), "EditDemande",
                                       textes, &LabelDemande);
    EditDemandeBis =
        sousTitre<QLineEdit>(grilleTextes, 1, 0, QStringLiteral("Autre texte avant les données"),
                             "EditDemandeBis", textes, &LabelDemandeBis);
    EditInit = sousTitre<QLineEdit>(grilleTextes, 2, 0, QStringLiteral("Chaine d'initialisation"),
                                    "EditInit", textes);
    EditFin = sousTitre<QLineEdit>(grilleTextes, 3, 0, QStringLiteral("Chaine de libération"),
                                   "EditFin", textes);
    auto* verif = new QGridLayout;
    EditVerif = sousTitre<QLineEdit>(verif, 0, 0,
                                     QStringLiteral("Texte après les données (pour vérification)"),
                                     "EditVerif", textes);
    NumVerifSE = spin(verif, 0, 1, QStringLiteral("Position"), 0, 16, "NumVerifSE", textes);
    verif->setColumnStretch(0, 1);
    grilleTextes->addLayout(verif, 4, 0);
    grilleTextes->setRowStretch(5, 1);
    grille->addWidget(textes, 0, 2, 2, 1);
    grille->setColumnStretch(2, 1);

    auto* cases = new QGridLayout;
    LectureCoeffCB = new QCheckBox(QStringLiteral("Lecture du préfixe de l'unité"), page);
    LectureCoeffCB->setObjectName(QStringLiteral("LectureCoeffCB"));
    LectureNomUniteCB = new QCheckBox(QStringLiteral("Lecture de l'unité"), page);
    LectureNomUniteCB->setObjectName(QStringLiteral("LectureNomUniteCB"));
    DepassementCB = new QCheckBox(QStringLiteral("Eliminer hors mini..maxi"), page);
    DepassementCB->setObjectName(QStringLiteral("DepassementCB"));
    DepassementCB->setToolTip(QStringLiteral("Suppression des valeurs en dehors de mini..maxi"));
    lectureStabCB = new QCheckBox(QStringLiteral("Lecture de la stabilité"), page);
    lectureStabCB->setObjectName(QStringLiteral("lectureStabCB"));
    cases->addWidget(LectureCoeffCB, 0, 0);
    cases->addWidget(LectureNomUniteCB, 0, 1);
    cases->addWidget(DepassementCB, 1, 0);
    cases->addWidget(lectureStabCB, 1, 1);
    grille->addLayout(cases, 2, 0, 1, 3);
    Notebook->addTab(page, QStringLiteral("Format des données"));

    connect(boutonsDe(EnvoiDonneesRG), &QButtonGroup::idClicked, this,
            &TConfigDlg::EnvoiDonneesRGClick);
    connect(boutonsDe(FixeRG), &QButtonGroup::idClicked, this, &TConfigDlg::FixeRGClick);
    connect(DelaiSpinUp, &QToolButton::clicked, this, &TConfigDlg::DelaiSpinUpClick);
    connect(DelaiSpinDown, &QToolButton::clicked, this, &TConfigDlg::DelaiSpinDownClick);
    connect(PosDebutSE, &QSpinBox::valueChanged, this, [this] {
        if (!majEnCours_) PosDebutSEChange();
    });
}

void TConfigDlg::CreeAidePilotage() {
    auto* page = new QWidget;
    auto* pile = new QVBoxLayout(page);
    PilotageMemo = new QPlainTextEdit(page);
    PilotageMemo->setObjectName(QStringLiteral("PilotageMemo"));
    PilotageMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    pile->addWidget(PilotageMemo);
    Notebook->addTab(page, QStringLiteral("Aide pilotage"));
}

void TConfigDlg::CreePilotage() {
    auto* page = new QWidget;
    auto* pile = new QVBoxLayout(page);
    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    pile->addWidget(Memo1, 1);
    auto* ligne = new QHBoxLayout;
    auto* etiquette = new QLabel(QStringLiteral("Ordre à envoyer"), page);
    OrdreEdit = new QLineEdit(page);
    OrdreEdit->setObjectName(QStringLiteral("OrdreEdit"));
    OrdreEdit->installEventFilter(this);
    etiquette->setBuddy(OrdreEdit);
    ligne->addWidget(etiquette);
    ligne->addWidget(OrdreEdit, 1);
    pile->addLayout(ligne);
    auto* envois = new QHBoxLayout;
    EnvoiBtn = Bouton(QStringLiteral("Envoyer"), "EnvoiBtn", page);
    EnvoiCRBtn = Bouton(QStringLiteral("Envoyer + CR"), "EnvoiCRBtn", page);
    EnvoiCRLFBtn = Bouton(QStringLiteral("Envoyer + CR + LF"), "EnvoiCRLFBtn", page);
    for (QPushButton* b : {EnvoiBtn, EnvoiCRBtn, EnvoiCRLFBtn})
        envois->addWidget(b);
    envois->addStretch(1);
    pile->addLayout(envois);
    Notebook->addTab(page, QStringLiteral("Pilotage"));
    connect(EnvoiBtn, &QPushButton::clicked, this, &TConfigDlg::EnvoiClick);
    connect(EnvoiCRBtn, &QPushButton::clicked, this, &TConfigDlg::EnvoiCRClick);
    connect(EnvoiCRLFBtn, &QPushButton::clicked, this, &TConfigDlg::EnvoiCRLFClick);
}

bool TConfigDlg::eventFilter(QObject* objet, QEvent* event) {
    if (objet == OrdreEdit && event->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent*>(event)->key();
        if (touche == Qt::Key_Return || touche == Qt::Key_Enter) return true;
    }
    return QDialog::eventFilter(objet, event);
}

void TConfigDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        voieSerieAffecte = false;
        simulationWTW = false;
        majEnCours_ = true;
        // The first showing opens on the data format; later ones where the user left.
        if (!dejaMontre_) Notebook->setCurrentIndex(pFormat);
        dejaMontre_ = true;
        ClearBtn->hide();
        majEnCours_ = false;
        FormActivate();
        if (Notebook->currentIndex() == pPilotage) NotebookChange(pPilotage);
    }
    QDialog::showEvent(event);
}

void TConfigDlg::FormActivate() {
    if (!AppareilCourant) return;
    Tappareil& A = *AppareilCourant;
    majEnCours_ = true;
    if (A.nomGrandeur.compare(QStringLiteral("CONDUCTANCE"), Qt::CaseInsensitive) == 0)
        A.nomGrandeur = QStringLiteral("conductivité");
    int item = -1;
    for (int i = 0; i < indexAutre; ++i)
        if (grandeurs[i].compare(A.nomGrandeur, Qt::CaseInsensitive) == 0) item = i;
    if (item >= 0 || A.nomGrandeur.trimmed().isEmpty() ||
        A.nomGrandeur.compare(grandeurs[indexAutre], Qt::CaseInsensitive) == 0) {
        nomGrandeurCombo->setCurrentIndex(item >= 0 ? item : indexAutre);
    } else {
        // A quantity of its own (oxygène dissous, concentration...) is shown as it is, so that
        // confirming the dialog does not turn it into "autre".
        nomGrandeurCombo->setCurrentIndex(-1);
        nomGrandeurCombo->setEditText(A.nomGrandeur);
    }
    // The 8 characters bound what is typed; a longer stored text is shown whole, not cut.
    EditSymbole->setMaxLength(std::max<int>(8, int(A.SymboleGrandeur.size())));
    EditSymbole->setText(A.SymboleGrandeur);
    EditUnite->setText(A.UniteGrandeur);
    EditNomAppareil->setText(A.NomAppareil);
    EditMin->setText(A.FormatApp(A.ValMini));
    EditMax->setText(A.FormatApp(A.ValMaxi));
    PrecisionSE->setValue(A.Precision);
    const QString derive =
        !estNaN(A.Derive) && A.Derive > 1e-25 ? A.FormatApp(A.Derive) : QString();
    DeriveEdit->setMaxLength(std::max<int>(8, int(derive.size())));
    DeriveEdit->setText(derive);

    SetRS232RG(Comports, A.ComNumber, voies_.NumeroCom);
    const auto vitesse = std::find(vitesses.begin(), vitesses.end(), A.Baud);
    choisitRG(BaudsRG,
              vitesse != vitesses.end() ? int(vitesse - vitesses.begin()) : indexVitesseDefaut);
    choisitRG(ParityRG, A.Parite);
    choisitRG(DatabitsRG, 8 - A.DataBits);
    choisitRG(StopbitsRG, A.StopBits - 1);
    RTSCTSbox->setChecked(A.RTSCTS);
    XonXoffBox->setChecked(A.XonXoff);

    choisitRG(EnvoiDonneesRG, A.EnvoiDirect ? 1 : 0);
    choisitRG(FixeRG, A.FormatFixe ? 1 : 0);
    DelaiEdit->setText(QString::number(A.Delai));
    SeparateurSE->setValue(A.SeparateurChiffre);
    NbreCaracSE->setValue(A.NbreCarac);
    NbreLignesSE->setValue(A.NbreLignes);
    PosDebutSE->setValue(A.DebutNombre);
    NumeroOrdreSE->setValue(A.NumeroOrdre);
    EditDemande->setText(CodeEnTexte(A.Demande));
    EditDemandeBis->setText(CodeEnTexte(A.DemandeBis));
    EditInit->setText(CodeEnTexte(A.ChaineInit));
    EditFin->setText(CodeEnTexte(A.ChaineFin));
    EditVerif->setText(CodeEnTexte(A.TexteVerif));
    NumVerifSE->setValue(A.NumeroVerif);
    LectureCoeffCB->setChecked(A.LireCoeffUnite);
    LectureNomUniteCB->setChecked(A.LireNomUnite);
    DepassementCB->setChecked(A.FiltrageDepassement);
    lectureStabCB->setChecked(A.lectureSTAB);

    // Help lines keep their positions; only the empty ones after the last are left out.
    int derniere = Tappareil::nbreAides;
    while (derniere > 0 && A.AidePilotage[derniere - 1].isEmpty())
        --derniere;
    QStringList aides;
    for (int i = 0; i < derniere; ++i)
        aides << A.AidePilotage[i];
    PilotageMemo->setPlainText(aides.join(QLatin1Char('\n')));
    majEnCours_ = false;
    MajFormat();
}

void TConfigDlg::MajFormat() {
    if (!AppareilCourant) return;
    const bool continu = AppareilCourant->EnvoiDirect;
    const bool fixe = AppareilCourant->FormatFixe;
    if (!continu) {
        LabelDemande->setText(QStringLiteral("Ordre pour obtenir les données"));
    } else if (PosDebutSE->value() < 1) {
        LabelDemande->setText(QStringLiteral("Texte après les données"));
        LabelDemandeBis->setText(QStringLiteral("Autre texte après les données"));
    } else {
        LabelDemande->setText(QStringLiteral("Texte avant les données"));
        LabelDemandeBis->setText(QStringLiteral("Autre texte avant les données"));
    }
    visibleAvec(NbreCaracSE)->setVisible(fixe);
    visibleAvec(PosDebutSE)->setVisible(fixe || (continu && !EditDemande->text().isEmpty()));
    visibleAvec(NbreLignesSE)->setVisible(!fixe);
    visibleAvec(NumeroOrdreSE)->setVisible(!fixe);
    visibleAvec(EditDemandeBis)->setVisible(continu);
}

QWidget* TConfigDlg::visibleAvec(QWidget* controle) const {
    return controle->parentWidget();
}

void TConfigDlg::FixeRGClick() {
    if (!AppareilCourant) return;
    AppareilCourant->FormatFixe = indexRG(FixeRG) == 1;
    MajFormat();
}

void TConfigDlg::EnvoiDonneesRGClick() {
    if (!AppareilCourant) return;
    AppareilCourant->EnvoiDirect = indexRG(EnvoiDonneesRG) == 1;
    MajFormat();
}

void TConfigDlg::PosDebutSEChange() {
    MajFormat();
}

void TConfigDlg::PrecisionSEChange() {
    if (!AppareilCourant) return;
    // The stored range is shown again with the stored precision (the new one applies at OK);
    // a value the user typed is kept, not silently put back.
    if (!EditMin->isModified())
        EditMin->setText(AppareilCourant->FormatApp(AppareilCourant->ValMini));
    if (!EditMax->isModified())
        EditMax->setText(AppareilCourant->FormatApp(AppareilCourant->ValMaxi));
}

void TConfigDlg::DelaiSpinUpClick() {
    bool ok = false;
    const int v = DelaiEdit->text().trimmed().toInt(&ok);
    if (!ok) return;
    const int h = (v / 100) * 100;
    DelaiEdit->setText(QString::number(h < 5000 ? h + 100 : h));
}

void TConfigDlg::DelaiSpinDownClick() {
    bool ok = false;
    const int v = DelaiEdit->text().trimmed().toInt(&ok);
    if (!ok) return;
    const int h = (v / 100) * 100;
    DelaiEdit->setText(QString::number(h > 100 ? h - 100 : h));
}

bool TConfigDlg::EcritControles() {
    saisieRefusee_ = false;
    if (!AppareilCourant) return false;
    Tappareil& A = *AppareilCourant;
    A.FormatFixe = indexRG(FixeRG) == 1;
    A.EnvoiDirect = indexRG(EnvoiDonneesRG) == 1;
    bool ok = false;
    const uint delai = DelaiEdit->text().trimmed().toUInt(&ok);
    if (!ok || delai > 65535) {
        dialogues().erreur(
            QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(DelaiEdit->text()));
        saisieRefusee_ = true;
        majEnCours_ = true;
        Notebook->setCurrentIndex(pFormat);
        majEnCours_ = false;
        DelaiEdit->setFocus();
        return false;
    }
    A.Delai = quint16(delai);
    // A name's surrounding blanks would not survive the device file.
    A.NomAppareil = EditNomAppareil->text().trimmed();
    A.nomGrandeur = nomGrandeurCombo->currentText().toLower();
    if (A.nomGrandeur == QStringLiteral("ph")) A.nomGrandeur = QStringLiteral("pH");
    A.UniteGrandeur = EditUnite->text();
    A.LireCoeffUnite = LectureCoeffCB->isChecked();
    A.LireNomUnite = LectureNomUniteCB->isChecked();
    A.FiltrageDepassement = DepassementCB->isChecked();
    A.lectureSTAB = lectureStabCB->isChecked();
    A.Derive = LitNombre(DeriveEdit->text());
    A.SetCoeffUnite();
    A.SymboleGrandeur = EditSymbole->text();
    A.ValMini = LitNombre(EditMin->text());
    A.ValMaxi = LitNombre(EditMax->text());
    A.Precision = PrecisionSE->value();
    A.SeparateurChiffre = quint8(SeparateurSE->value());
    A.NbreCarac = NbreCaracSE->value();
    A.NumeroVerif = NumVerifSE->value();
    A.DebutNombre = PosDebutSE->value();
    A.Demande = TexteEnCode(EditDemande->text());
    A.DemandeBis = TexteEnCode(EditDemandeBis->text());
    A.ChaineInit = TexteEnCode(EditInit->text());
    A.ChaineFin = TexteEnCode(EditFin->text());
    A.TexteVerif = TexteEnCode(EditVerif->text());
    A.NbreLignes = quint8(NbreLignesSE->value());
    A.NumeroOrdre = quint8(NumeroOrdreSE->value());
    const int port = indexRS232RG(Comports);
    if (port >= 0 && port + 1 < int(voies_.NumeroCom.size()))
        A.ComNumber = quint16(voies_.NumeroCom[port + 1]);
    if (const int v = indexRG(BaudsRG); v >= 0) A.Baud = vitesses[std::size_t(v)];
    if (const int p = indexRG(ParityRG); p >= 0) A.Parite = quint8(p);
    if (const int d = indexRG(DatabitsRG); d >= 0) A.DataBits = quint16(8 - d);
    if (const int s = indexRG(StopbitsRG); s >= 0) A.StopBits = quint16(s + 1);
    A.RTSCTS = RTSCTSbox->isChecked();
    A.XonXoff = XonXoffBox->isChecked();
    const QStringList aides = PilotageMemo->toPlainText().split(QLatin1Char('\n'));
    for (int i = 0; i < Tappareil::nbreAides; ++i)
        A.AidePilotage[i] = i < aides.size() ? aides[i] : QString();
    return true;
}

void TConfigDlg::OKBtnClick() {
    if (!AppareilCourant) return;
    const QString refus = refusNomAppareil(EditNomAppareil->text());
    if (!refus.isEmpty()) {
        dialogues().erreur(refus);
        Notebook->setCurrentIndex(pGrandeur);
        EditNomAppareil->setFocus();
        return;
    }
    if (EcritControles()) accept();
}

bool TConfigDlg::AffecteVoieSerie() {
    voieSerieAffecte = false;
    // A port bound for an earlier test is closed first: the settings may have changed.
    if (TApdComPort* ancien = emprunt_.port()) ancien->setOpen(false);
    emprunt_.rend();
    if (!AppareilCourant || !EcritControles()) return false;
    Tappareil& A = *AppareilCourant;
    simulationWTW = TVoiesSerie::estWTW3310(A.NomAppareil);
    if (simulationWTW) return true;
    TApdComPort* port = voies_.voieSerieCin(A.ComNumber);
    if (!port) return false;
    A.VoieSerie = port;
    try {
        port->setOpen(false);
        port->setBaud(A.Baud);
        port->setDataBits(A.DataBits);
        port->setStopBits(A.StopBits);
        port->setParity(TParity(qMin<int>(A.Parite, pSpace)));
        port->setSWFlowOptions(A.XonXoff ? swfBoth : swfNone);
        port->setHWFlowOptions(A.RTSCTS ? THWFlowOptionSet{hwfUseRTS, hwfRequireCTS}
                                        : THWFlowOptionSet{});
        emprunt_.emprunte(
            port, [this](TApdComPort* CP, quint16 Count) { TriggerAvail(CP, Count); },
            voies_.gestionnaire());
        port->setOpen(true);
    } catch (const EAPDException&) {
        // A failed test leaves no handler pointing here.
        emprunt_.rend();
        return false;
    }
    voieSerieAffecte = true;
    return true;
}

void TConfigDlg::TestBtnClick() {
    bool lie = AffecteVoieSerie();
    // A value the dialog refused is not worth a second try.
    if (!lie && !saisieRefusee_) lie = AffecteVoieSerie();
    if (!lie) return;
    if (!TestDlg_) TestDlg_ = new TTestDlg(this);
    TestDlg_->prepare(AppareilCourant, simulationWTW);
    TestDlg_->exec();
    if (TApdComPort* port = emprunt_.port())
        emprunt_.emprunte(port,
                          [this](TApdComPort* CP, quint16 Count) { TriggerAvail(CP, Count); });
    // The dialog becomes active again: its controls show what the test left.
    FormActivate();
}

void TConfigDlg::HelpBtnClick() {
    if (aide_) aide_(9);
}

void TConfigDlg::NotebookChange(int page) {
    ClearBtn->hide();
    if (page != pPilotage) return;
    if (AffecteVoieSerie()) {
        ClearBtn->show();
    } else {
        majEnCours_ = true;
        Notebook->setCurrentIndex(saisieRefusee_ ? pFormat : pGrandeur);
        majEnCours_ = false;
    }
}

void TConfigDlg::Envoie(const QByteArray& fin) {
    const QByteArray ordre = versCp1252(OrdreEdit->text());
    EnvoieEtNote(emprunt_.port(), ordre + fin, ordre, Memo1);
}

void TConfigDlg::EnvoiClick() {
    Envoie({});
}

void TConfigDlg::EnvoiCRClick() {
    Envoie(QByteArrayLiteral("\r"));
}

void TConfigDlg::EnvoiCRLFClick() {
    Envoie(QByteArrayLiteral("\r\n"));
}

void TConfigDlg::ClearBtnClick() {
    Memo1->clear();
}

void TConfigDlg::TriggerAvail(TApdComPort* CP, quint16 Count) {
    TApdComPort* port = CP ? CP : emprunt_.port();
    for (int i = 0; i < Count; ++i) {
        if (!port || !port->CharReady()) break;
        if (const auto ligne = ajouteOctetLigne(tampon, port->GetChar(), true))
            Memo1->appendPlainText(QStringLiteral("Réception de : ") + depuisCp1252(*ligne));
    }
}

void TConfigDlg::FormClose() {
    if (voieSerieAffecte)
        if (TApdComPort* port = emprunt_.port()) port->setOpen(false);
    voieSerieAffecte = false;
    emprunt_.rend();
}

void TConfigDlg::done(int r) {
    FormClose();
    QDialog::done(r);
}
