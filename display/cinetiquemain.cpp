#include "display/cinetiquemain.h"

#include "app/aide.h"
#include "app/ecran.h"
#include "app/sons.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "display/oscillo.h"
#include "display/polices.h"
#include "exchange/envoikalvento.h"
#include "exchange/pagedlg.h"
#include "instruments/appareil.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace {
void couleur(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}
} // namespace

TCinetiqueMain::TCinetiqueMain(QWidget* parent)
    : QMainWindow(parent), acq_(std::make_unique<TAcquisition>()), graphe(acq_->graphe) {
    // Before any control asks for a font by name.
    InstallePolices();
    CreeControles();
    // The "Aide" button shows only when the help topics are there.
    const bool avecAide = aideDisponible();
    for (QAction* a : ToolBar2->actions())
        if (ToolBar2->widgetForAction(a) == AideBtn) a->setVisible(avecAide);
    DeltaLabel->setText(QStringLiteral("δt(s)"));
    for (QGroupBox* cadre : PanelVoies->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        bool ok = false;
        const int tag = cadre->property("Tag").toInt(&ok);
        if (!ok || tag < 0 || tag >= Tgraphe::MaxVoies) continue;
        groupBoxs[tag] = cadre;
        labels[tag] = cadre->findChild<QLabel*>();
        speedButtons[tag] = cadre->findChild<QToolButton*>();
    }
    graphe.LimiteFenetre = Oscillo->rect();
    DispositionVoies();
    ConnecteCommandes();
    ConnecteMoteur();
    ConnecteFichiers();
    ConnecteDialogues();
    FormDDE = CreeFormDDE([this] { return acq_->TexteDonnees(); });
    acq_->EnvoieDonneesKalvento = [this] {
        if (FormDDE && FormDDE->EnvoieDonnees(true, false)) acq_->dataSaved = true;
    };
    LitReglages();
    AdapteEcran(this);
    AfficheModeAcq();
    MajCommandes();
    acq_->MajBaseDeTemps();
}

TCinetiqueMain::~TCinetiqueMain() {
    // Hiding the children while the window dies moves the focus and fires their
    // signals (editingFinished...): none may reach a half-destroyed window.
    for (QObject* enfant : findChildren<QObject*>())
        enfant->disconnect(this);
    acq_->disconnect(this);
}

void TCinetiqueMain::ConnecteMoteur() {
    TAcquisition* a = acq_.get();
    // A set-up from outside waits while a box of the window is open.
    a->DialogueOuvert = [] { return QApplication::activeModalWidget() != nullptr; };
    a->JoueSon = [](int code) { JoueSon(code); };
    connect(a, &TAcquisition::etatChange, this, &TCinetiqueMain::MajCommandes);
    connect(a, &TAcquisition::miseEnPlace, this, &TCinetiqueMain::MiseEnPlace);
    connect(a, &TAcquisition::valeurVoie, this, &TCinetiqueMain::AfficheValeur);
    connect(a, &TAcquisition::stabiliteVoie, this, &TCinetiqueMain::AfficheStabilite);
    connect(a, &TAcquisition::echantillonAjoute, this, &TCinetiqueMain::AfficheEchantillon);
    connect(a, &TAcquisition::echantillonsRemplaces, this, &TCinetiqueMain::AfficheDepuis);
    connect(a, &TAcquisition::problemeChange, LabelPb, &QLabel::setText);
    connect(a, &TAcquisition::dureeChange, PanelDuree, &QLabel::setText);
    // During a titration the status bar tells what the burette waits for, and the duration
    // panel follows each addition as it is delivered.
    connect(a, &TAcquisition::etatDosageChange, StatusClavier, &QLabel::setText);
    connect(&a->burette(), &TburetteRS232::progressionVerse, this,
            [this](double verse, double cible) {
                const TburetteRS232& b = acq_->burette();
                PanelDuree->setText(b.SymboleGrandeur + QLatin1Char('=') + FormatCourt(verse) +
                                    QStringLiteral(" → ") + FormatCourt(cible) + QLatin1Char(' ') +
                                    b.UniteGrandeur);
            });
    connect(a, &TAcquisition::baseDeTempsChange, this, &TCinetiqueMain::AfficheBaseDeTemps);
    connect(a, &TAcquisition::curseursAPlacer, this, &TCinetiqueMain::PlaceCurseurs);
    connect(a, &TAcquisition::redessine, this, &TCinetiqueMain::RedessineOscillo);
    connect(a, &TAcquisition::repereAjoute, this, [this](int i) {
        if (i >= 0 && i < graphe.ListeRepere.size()) graphe.TraceRepere(graphe.ListeRepere[i]);
    });
    connect(a, &TAcquisition::etatEntre, this, [this](TEtatAcquisition etat) {
        if (etat != eaClavier) return;
        ClavierEdit->clear();
        ClavierEdit->setFocus();
    });
    connect(a, &TAcquisition::clavierTraite, this, [this](bool pris) {
        if (pris) ClavierEdit->clear();
        ClavierEdit->setFocus();
    });
}

bool TCinetiqueMain::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) ShowHint(static_cast<QStatusTipEvent*>(e)->tip());
    return QMainWindow::event(e);
}

void TCinetiqueMain::ArgumentRecu(const QString& argument) {
    if (fermee_) return;
    // As a second start always did: the argument waits on the clipboard; the running copy
    // also keeps it for the set-up loader.
    if (QClipboard* presse = QGuiApplication::clipboard()) presse->setText(argument);
    argumentTransmis = argument;
    Q_EMIT argumentTransmisChange(argument);
    ChargeArgument(argument);
}

void TCinetiqueMain::MajCommandes() {
    const TCommandes c = acq_->commandes();
    EnregistreBtn->setEnabled(c.Acquerir);
    RepereBtn->setEnabled(c.Repere);
    UndoBtn->setEnabled(c.Defaire);
    StopBtn->setEnabled(c.Stop);
    ResetBtn->setEnabled(c.RaZ);
    EnregistreNouveauFichierItem->setEnabled(c.Fichier);
    KalventoSaveBtn->setEnabled(c.Fichier);
    CopyBtn->setEnabled(c.Fichier);
    PleinEcranBtn->setEnabled(c.Multimetre);
    PanelTemps->setVisible(c.PanelTemps);
    const bool multimetre = PleinEcranBtn->isChecked();
    ClavierGB->setVisible(c.Clavier && !multimetre);
    for (QAction* a : ToolBar1->actions())
        if (ToolBar1->widgetForAction(a) == BuretteBtn) a->setVisible(c.Dosage);
    if (acq_->EtatAcq == eaClavier) {
        const Tmonde& X = graphe.mondeX;
        ClavierGB->setTitle(QStringLiteral("Clavier=") + X.Nom + QLatin1Char('/') + X.Unite);
    }
}

void TCinetiqueMain::MiseEnPlace() {
    const int nbre = graphe.NbreVoies;
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        QGroupBox* cadre = groupBoxs[v];
        if (!cadre) continue;
        const Tappareil* A = v < nbre ? acq_->AppareilAcq[v] : nullptr;
        cadre->setVisible(A != nullptr);
        if (!A) continue;
        speedButtons[v]->show();
        speedButtons[v]->setCheckable(true);
        speedButtons[v]->setChecked(false);
        speedButtons[v]->setToolTip(QStringLiteral("Données non stables"));
        couleur(labels[v], CouleurVoie(v));
        couleur(cadre, CouleurVoie(v));
        cadre->setTitle(A->NomAppareil);
        labels[v]->clear();
        valeursEnAttente_[std::size_t(v)] = false;
        stabilitesEnAttente_[std::size_t(v)] = -1;
    }
    StatusClavier->setText(acq_->ModeAcq == maClavier
                               ? QStringLiteral("Pour enregistrer la valeur entrée au clavier, "
                                                "valider par la touche entrée")
                               : QString());
    AfficheModeAcq();
    {
        const QSignalBlocker bloque(DeltatSE);
        DeltatSE->setMinimum(acq_->DeltatMin);
    }
    Grid->setRowCount(16);
    VideLignesGrille(2);
    PrepareGrille();
    if (PleinEcranBtn->isChecked()) DispositionVoies();
    MajCommandes();
    RedessineOscillo();
}

void TCinetiqueMain::AfficheValeur(int v) {
    if (v < 0 || v >= Tgraphe::MaxVoies) return;
    valeursEnAttente_[std::size_t(v)] = true;
    PrevoitAffichage();
}

void TCinetiqueMain::PrevoitAffichage() {
    if (!cadenceAffichage_) {
        cadenceAffichage_ = new QTimer(this);
        cadenceAffichage_->setSingleShot(true);
        cadenceAffichage_->setInterval(cadenceAffichageMs);
        // Nothing shown at the end of a pause: the timer rests until the next change.
        connect(cadenceAffichage_, &QTimer::timeout, this, [this] {
            if (AfficheEnAttente()) cadenceAffichage_->start();
        });
    }
    if (cadenceAffichage_->isActive()) return;
    AfficheEnAttente();
    cadenceAffichage_->start();
}

bool TCinetiqueMain::AfficheEnAttente() {
    bool montre = false;
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        const auto k = std::size_t(v);
        if (stabilitesEnAttente_[k] >= 0) {
            MontreStabilite(v, std::exchange(stabilitesEnAttente_[k], -1));
            montre = true;
        }
        if (!std::exchange(valeursEnAttente_[k], false)) continue;
        montre = true;
        const Tappareil* A = v < graphe.NbreVoies ? acq_->AppareilAcq[v] : nullptr;
        if (A && labels[v]) labels[v]->setText(A->NomValeurUniteCourante());
    }
    if (std::exchange(curseursEnAttente_, false)) {
        montre = true;
        graphe.TraceCurseurs();
        graphe.mondeX.PosCurseur = graphe.mondeX.PosWindow(acq_->AbscisseCurseur());
        for (int v = 0; v < graphe.NbreVoies; ++v)
            if (const Tappareil* A = acq_->AppareilAcq[v])
                graphe.mondeY[v].PosCurseur = graphe.mondeY[v].PosWindow(A->ValeurCourante);
        graphe.TraceCurseurs();
    }
    return montre;
}

void TCinetiqueMain::AfficheStabilite(int v, bool stable) {
    if (v < 0 || v >= Tgraphe::MaxVoies) return;
    stabilitesEnAttente_[std::size_t(v)] = stable ? 1 : 0;
    PrevoitAffichage();
}

void TCinetiqueMain::MontreStabilite(int v, bool stable) {
    QToolButton* b = speedButtons[v];
    if (!b || b->isHidden()) return;
    b->setCheckable(true);
    b->setChecked(stable);
    const QString bulle =
        stable ? QStringLiteral("Données stables") : QStringLiteral("Données non stables");
    if (b->toolTip() != bulle) b->setToolTip(bulle);
}

void TCinetiqueMain::AfficheEchantillon(int i) {
    PlaceCellule(i + 2, 0, acq_->TexteAbscisse(i));
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        PlaceCellule(i + 2, v + 1, acq_->TexteValeur(v, i));
        graphe.TracePoint(v, i);
    }
    const int n = graphe.NbrePoints;
    if (Grid->rowCount() < n + 3) {
        Grid->setRowCount(n + 16);
        if (acq_->ModeAcq != maClavier) DefileGrille(n <= 16 ? 2 : n - 2);
    }
    MajCommandes();
}

void TCinetiqueMain::AfficheDepuis(int i) {
    const int n = graphe.NbrePoints;
    for (int k = i; k < n; ++k) {
        PlaceCellule(k + 2, 0, acq_->TexteAbscisse(k));
        for (int v = 0; v < graphe.NbreVoies; ++v)
            PlaceCellule(k + 2, v + 1, acq_->TexteValeur(v, k));
    }
    VideLignesGrille(n + 2);
    if (n == 0) {
        Grid->setRowCount(16);
        DefileGrille(2);
    }
    MajCommandes();
    RedessineOscillo();
}

void TCinetiqueMain::PrepareGrille() {
    const int nbre = graphe.NbreVoies;
    Grid->setColumnCount(nbre + 1);
    PlaceCellule(0, 0, graphe.mondeX.Nom);
    PlaceCellule(1, 0, graphe.mondeX.Unite);
    for (int v = 0; v < nbre; ++v) {
        const Tappareil* A = acq_->AppareilAcq[v];
        if (!A) continue;
        PlaceCellule(0, v + 1, A->SymboleGrandeur);
        PlaceCellule(1, v + 1, A->UniteGrandeur);
    }
    // Never wider than its columns; narrower when the user gives the plot more room, or when
    // nine channels would take half the screen.
    const int largeur = Grid->columnCount() * Grid->horizontalHeader()->defaultSectionSize() + 16;
    PanelGrid->setMaximumWidth(largeur);
    QList<int> tailles = Separateur->sizes();
    const int total = tailles.value(0) + tailles.value(1);
    if (!separateurRestaure_ && Separateur->isVisible() && total > 0) {
        tailles[0] = std::min(largeur, std::max(120, total / 4));
        tailles[1] = std::max(0, total - tailles[0]);
        Separateur->setSizes(tailles);
    }
    DefileGrille(2);
}

void TCinetiqueMain::PlaceCellule(int ligne, int colonne, const QString& texte) {
    if (colonne >= Grid->columnCount()) return;
    if (ligne >= Grid->rowCount()) Grid->setRowCount(ligne + 16);
    QTableWidgetItem* cellule = Grid->item(ligne, colonne);
    if (!cellule) {
        cellule = new QTableWidgetItem;
        Grid->setItem(ligne, colonne, cellule);
    }
    cellule->setText(texte);
}

void TCinetiqueMain::VideLignesGrille(int premiere) {
    for (int ligne = premiere; ligne < Grid->rowCount(); ++ligne)
        for (int c = 0; c < Grid->columnCount(); ++c)
            delete Grid->takeItem(ligne, c);
}

void TCinetiqueMain::DefileGrille(int ligne) {
    ligne = std::clamp(ligne, 0, std::max(Grid->rowCount() - 1, 0));
    if (Grid->rowCount() > 0)
        Grid->scrollTo(Grid->model()->index(ligne, 0), QAbstractItemView::PositionAtTop);
}

void TCinetiqueMain::PlaceCurseurs() {
    curseursEnAttente_ = true;
    PrevoitAffichage();
}
