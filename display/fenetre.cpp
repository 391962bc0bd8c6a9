#include "display/cinetiquemain.h"

#include "app/utilitaires.h"
#include "display/icones.h"
#include "display/oscillo.h"
#include "display/polices.h"
#include "display/valeurvoie.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>

namespace {
// A hint "court|long": the short part is the tooltip, the long one goes to the caption.
void poseAide(QWidget* w, const QString& aide) {
    const qsizetype barre = aide.indexOf(QLatin1Char('|'));
    w->setToolTip(barre < 0 ? aide : aide.left(barre));
    w->setStatusTip(barre < 0 ? aide : aide.mid(barre + 1));
}

QToolButton* bouton(QToolBar* barre, const QString& texte, const QString& nomIcone,
                    Qt::ToolButtonStyle style) {
    auto* b = new QToolButton(barre);
    b->setText(texte);
    b->setIcon(icone(nomIcone));
    b->setToolButtonStyle(style);
    b->setAutoRaise(true);
    barre->addWidget(b);
    return b;
}
} // namespace

QStringList TCinetiqueMain::ImagesBarres() {
    return {QStringLiteral("fichier"),    QStringLiteral("ajouter"),  QStringLiteral("mode0"),
            QStringLiteral("aide"),       QStringLiteral("apropos"),  QStringLiteral("acquerir"),
            QStringLiteral("repere"),     QStringLiteral("defaire"),  QStringLiteral("stop"),
            QStringLiteral("raz"),        QStringLiteral("kalvento"), QStringLiteral("copier"),
            QStringLiteral("multimetre"), QStringLiteral("dosage")};
}

void TCinetiqueMain::CreeControles() {
    setWindowTitle(QStringLiteral("Acquisition par appareils à sortie Telmira"));
    resize(1000, 680);
    CreeBarres();

    auto* centre = new QWidget(this);
    auto* vertical = new QVBoxLayout(centre);
    vertical->setContentsMargins(0, 0, 0, 0);
    vertical->setSpacing(0);
    CreePanelTemps();
    vertical->addWidget(PanelTemps);
    vertical->addWidget(ToolBar1);

    // The grid, the plot and the channel panels share the width as the user drags it; the plot
    // takes what the others leave.
    Separateur = new QSplitter(Qt::Horizontal, centre);
    Separateur->setObjectName(QStringLiteral("Separateur"));
    Separateur->setChildrenCollapsible(false);
    CreeGrille();
    Separateur->addWidget(PanelGrid);
    Oscillo = CreeOscillo(Separateur);
    Separateur->addWidget(Oscillo);
    CreePanelVoies();
    Separateur->addWidget(PanelVoies);
    Separateur->setStretchFactor(0, 0);
    Separateur->setStretchFactor(1, 1);
    Separateur->setStretchFactor(2, 0);
    vertical->addWidget(Separateur, 1);
    setCentralWidget(centre);

    StatusSouris = new QLabel(this);
    StatusSouris->setMinimumWidth(250);
    StatusClavier = new QLabel(this);
    StatusClavier->setMinimumWidth(50);
    statusBar()->addWidget(StatusSouris);
    statusBar()->addWidget(StatusClavier, 1);
}

void TCinetiqueMain::CreeBarres() {
    ToolBar2 = new QToolBar(QStringLiteral("Commandes"), this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setMovable(false);
    ToolBar2->setIconSize(QSize(CoteImagesBarres, CoteImagesBarres));
    addToolBar(Qt::TopToolBarArea, ToolBar2);
    const auto cote = Qt::ToolButtonTextBesideIcon;
    FichierBtn = bouton(ToolBar2, QStringLiteral("Fichier"), QStringLiteral("fichier"), cote);
    AjouterBtn =
        bouton(ToolBar2, QStringLiteral("Ajouter appareil "), QStringLiteral("ajouter"), cote);
    ModeBtn = bouton(ToolBar2, QStringLiteral("Mode acquisition"), QStringLiteral("mode0"), cote);
    AideBtn = bouton(ToolBar2, QStringLiteral("Aide"), QStringLiteral("aide"), cote);
    AProposBtn = bouton(ToolBar2, QStringLiteral("A propos ..."), QStringLiteral("apropos"), cote);

    MenuFichier = new QMenu(this);
    EnregistreNouveauFichierItem =
        MenuFichier->addAction(QStringLiteral("Enregistre nouveau fichier"));
    EnregistreNouvellePageItem = MenuFichier->addAction(QStringLiteral("Enregistre nouvelle page"));
    EnregistreNouvellePageItem->setEnabled(false);
    // The comment and the constants must be reachable without a transfer to the analysis
    // program: they go into every file.
    PageItem = MenuFichier->addAction(QStringLiteral("Renseignements sur la page"));
    MenuFichier->addSeparator();
    EnregistreConfigItem = MenuFichier->addAction(QStringLiteral("Enregistre configuration"));
    ChargeConfigItem = MenuFichier->addAction(QStringLiteral("Charge configuration"));
    MenuFichier->addSeparator();
    GestionAppareilsItem = MenuFichier->addAction(QStringLiteral("Gestion &appareils"));
    MenuFichier->addSeparator();
    QuitterItem = MenuFichier->addAction(QStringLiteral("Quitter"));
    connect(QuitterItem, &QAction::triggered, this, &QWidget::close);
    FichierBtn->setMenu(MenuFichier);
    FichierBtn->setPopupMode(QToolButton::InstantPopup);

    ToolBar1 = new QToolBar(QStringLiteral("Acquisition"), this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(CoteImagesBarres, CoteImagesBarres));
    const auto dessous = Qt::ToolButtonTextUnderIcon;
    EnregistreBtn =
        bouton(ToolBar1, QStringLiteral("Acquérir"), QStringLiteral("acquerir"), dessous);
    RepereBtn = bouton(ToolBar1, QStringLiteral("Repère"), QStringLiteral("repere"), dessous);
    UndoBtn = bouton(ToolBar1, QStringLiteral("Défaire"), QStringLiteral("defaire"), dessous);
    StopBtn = bouton(ToolBar1, QStringLiteral("Stop"), QStringLiteral("stop"), dessous);
    ResetBtn = bouton(ToolBar1, QStringLiteral("RàZ"), QStringLiteral("raz"), dessous);
    KalventoSaveBtn =
        bouton(ToolBar1, QStringLiteral("Kalvento"), QStringLiteral("kalvento"), dessous);
    poseAide(KalventoSaveBtn, QStringLiteral("Envoyer les données vers Kalvento"));
    CopyBtn = bouton(ToolBar1, QStringLiteral("Copier"), QStringLiteral("copier"), dessous);
    poseAide(CopyBtn, QStringLiteral("Copier les données dans le presse papiers"));
    PleinEcranBtn =
        bouton(ToolBar1, QStringLiteral("Multimètre"), QStringLiteral("multimetre"), dessous);
    PleinEcranBtn->setCheckable(true);
    BuretteBtn = bouton(ToolBar1, QStringLiteral("Dosage"), QStringLiteral("dosage"), dessous);
    poseAide(BuretteBtn, QStringLiteral("Réglage des paramètres du dosage (sensibilité ...) "));
    // At start only "Acquérir", "Multimètre" and "Dosage" are enabled; "Dosage" shows in the
    // burette mode only.
    for (QToolButton* b : {RepereBtn, UndoBtn, StopBtn, ResetBtn, KalventoSaveBtn, CopyBtn})
        b->setEnabled(false);
    BuretteBtn->setVisible(false);
    // QToolBar::addWidget wraps the button in an action: visibility goes through it.
    for (QAction* a : ToolBar1->actions())
        if (ToolBar1->widgetForAction(a) == BuretteBtn) a->setVisible(false);
}

void TCinetiqueMain::CreePanelTemps() {
    PanelTemps = new QWidget(this);
    PanelTemps->setObjectName(QStringLiteral("PanelTemps"));
    auto* ligne = new QHBoxLayout(PanelTemps);
    ligne->setContentsMargins(6, 2, 6, 2);
    ligne->addWidget(new QLabel(QStringLiteral("Durée "), PanelTemps));
    DureeEdit = new QLineEdit(PanelTemps);
    DureeEdit->setObjectName(QStringLiteral("DureeEdit"));
    DureeEdit->setFixedWidth(80);
    ligne->addWidget(DureeEdit);
    auto* fleches = new QVBoxLayout;
    fleches->setSpacing(0);
    DureeSBUp = new QToolButton(PanelTemps);
    DureeSBUp->setArrowType(Qt::UpArrow);
    DureeSBUp->setFixedSize(18, 12);
    DureeSBDown = new QToolButton(PanelTemps);
    DureeSBDown->setArrowType(Qt::DownArrow);
    DureeSBDown->setFixedSize(18, 12);
    fleches->addWidget(DureeSBUp);
    fleches->addWidget(DureeSBDown);
    ligne->addLayout(fleches);
    // The characters a duration is typed with.
    DureeEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9: %'.imnsµ]*")), DureeEdit));
    ligne->addSpacing(16);
    DeltaLabel = new QLabel(PanelTemps);
    ligne->addWidget(DeltaLabel);
    DeltatSE = new QSpinBox(PanelTemps);
    DeltatSE->setObjectName(QStringLiteral("DeltatSE"));
    DeltatSE->setRange(1, 60);
    ligne->addWidget(DeltatSE);
    ligne->addSpacing(16);
    NombreLabel = new QLabel(PanelTemps);
    NombreLabel->setObjectName(QStringLiteral("NombreLabel"));
    ligne->addWidget(NombreLabel);
    ligne->addStretch(1);
}

void TCinetiqueMain::CreeGrille() {
    PanelGrid = new QWidget(this);
    PanelGrid->setObjectName(QStringLiteral("PanelGrid"));
    auto* cadre = new QVBoxLayout(PanelGrid);
    cadre->setContentsMargins(0, 0, 0, 0);
    // The rows come once the row numbers are hidden: a header that shows nothing is never
    // measured.
    Grid = new QTableWidget(PanelGrid);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setDefaultSectionSize(80);
    Grid->verticalHeader()->setDefaultSectionSize(24);
    Grid->setRowCount(16);
    Grid->setColumnCount(5);
    // Rows 0 and 1 (names and units) must stay in sight while the samples scroll: they are
    // kept as cells for the engine but shown in the column header.
    Grid->setRowHidden(0, true);
    Grid->setRowHidden(1, true);
    Grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(Grid->model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& debut, const QModelIndex& fin) {
                if (debut.row() > 1) return;
                for (int c = debut.column(); c <= fin.column(); ++c) {
                    const auto texte = [this, c](int ligne) {
                        const QTableWidgetItem* cellule = Grid->item(ligne, c);
                        return cellule ? cellule->text() : QString();
                    };
                    Grid->setHorizontalHeaderItem(
                        c, new QTableWidgetItem(texte(0) + QLatin1Char('\n') + texte(1)));
                }
            });
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cadre->addWidget(Grid);
    PanelGrid->setMinimumWidth(120);
    PanelGrid->setMaximumWidth(5 * 80 + 16);
}

void TCinetiqueMain::CreePanelVoies() {
    PanelVoies = new QWidget(this);
    PanelVoies->setObjectName(QStringLiteral("PanelVoies"));
    PanelVoies->setFixedWidth(210);
    auto* pile = new QVBoxLayout(PanelVoies);
    pile->setContentsMargins(2, 2, 2, 2);
    pile->setSpacing(2);
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        auto* cadre = new QGroupBox(PanelVoies);
        cadre->setProperty("Tag", v);
        cadre->setFixedHeight(60);
        cadre->setCursor(Qt::PointingHandCursor);
        poseAide(cadre, QStringLiteral("|cliquer pour modifier la grandeur à mesurer"));
        auto* valeur = new TValeurVoie(cadre);
        valeur->setFont(QFont(FamilleInstallee(QStringLiteral("Courier New")), -1));
        valeur->move(8, 24);
        auto* stable = new TIndicateurStable(cadre);
        stable->setCheckable(true);
        stable->setFixedSize(18, 18);
        stable->move(168, 4);
        cadre->hide();
        pile->addWidget(cadre);
    }
    ClavierGB = new QGroupBox(QStringLiteral("Clavier"), PanelVoies);
    ClavierGB->setObjectName(QStringLiteral("ClavierGB"));
    poseAide(ClavierGB, QStringLiteral("|Entrée les données au caliver et valider"));
    auto* ligne = new QHBoxLayout(ClavierGB);
    ClavierEdit = new QLineEdit(ClavierGB);
    ClavierEdit->setObjectName(QStringLiteral("ClavierEdit"));
    poseAide(ClavierEdit,
             QStringLiteral("|Pour enregistrer la valeur, valider par la touche entrée"));
    ValideClavierBtn = new QToolButton(ClavierGB);
    ValideClavierBtn->setIcon(icone(QStringLiteral("valider")));
    poseAide(ValideClavierBtn,
             QStringLiteral(
                 "Validation|Pour enregistrer frapper la touche entrée ou cliquer ce bouton"));
    ligne->addWidget(ClavierEdit);
    ligne->addWidget(ValideClavierBtn);
    ClavierGB->hide();
    pile->addWidget(ClavierGB);
    pile->addStretch(1);

    LabelPb = new QLabel(PanelVoies);
    LabelPb->setObjectName(QStringLiteral("LabelPb"));
    QPalette rouge = LabelPb->palette();
    rouge.setColor(QPalette::WindowText, Qt::red);
    LabelPb->setPalette(rouge);
    pile->addWidget(LabelPb);

    PanelDuree = new QLabel(QStringLiteral("00:00:00"), PanelVoies);
    PanelDuree->setObjectName(QStringLiteral("PanelDuree"));
    PanelDuree->setAlignment(Qt::AlignCenter);
    PanelDuree->setAutoFillBackground(true);
    QPalette titre = PanelDuree->palette();
    titre.setColor(QPalette::Window, titre.color(QPalette::Active, QPalette::Highlight));
    titre.setColor(QPalette::WindowText, Qt::white);
    PanelDuree->setPalette(titre);
    QFont gras = PanelDuree->font();
    gras.setBold(true);
    gras.setPixelSize(24);
    PanelDuree->setFont(gras);
    PanelDuree->setMinimumHeight(40);
    pile->addWidget(PanelDuree);
}

void TCinetiqueMain::AfficheModeAcq() {
    ModeBtn->setIcon(icone(QStringLiteral("mode") + QString::number(int(acq_->ModeAcq))));
}

void TCinetiqueMain::RedessineOscillo() {
    if (Oscillo) static_cast<TOscillo*>(Oscillo)->redessine();
}

void TCinetiqueMain::ShowHint(const QString& hint) {
    // The caption carries the long hint of the control under the mouse, and the window's
    // own caption again when there is none.
    setWindowTitle(hint.isEmpty() ? QStringLiteral("Acquisition par appareils à sortie Telmira")
                                  : hint);
}
