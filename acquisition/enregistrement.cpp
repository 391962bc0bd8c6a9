#include "acquisition/duree.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {
double arrondiSecondes(double s) {
    // Halves go to even, as the elapsed times always have.
    return std::nearbyint(s);
}

bool caractereClavier(QChar c) {
    static const QString acceptes = QStringLiteral("%'+,-.0123456789Ee");
    return c == QChar(8) || c == QChar(12) || acceptes.contains(c);
}
} // namespace

void TCinetiqueMain::ConnecteCommandes() {
    connect(Timer, &QTimer::timeout, this, &TCinetiqueMain::TimerTimer);
    connect(EnregistreBtn, &QToolButton::clicked, this, &TCinetiqueMain::EnregistreBtnClick);
    connect(RepereBtn, &QToolButton::clicked, this, &TCinetiqueMain::ToolButton3Click);
    connect(UndoBtn, &QToolButton::clicked, this, &TCinetiqueMain::UndoBtnClick);
    connect(StopBtn, &QToolButton::clicked, this, &TCinetiqueMain::StopBtnClick);
    connect(ResetBtn, &QToolButton::clicked, this, &TCinetiqueMain::ResetBtnClick);
    connect(ValideClavierBtn, &QToolButton::clicked, this, &TCinetiqueMain::ValideClavierBtnClick);
    connect(ClavierEdit, &QLineEdit::returnPressed, this, &TCinetiqueMain::ValideEntreeClavier);
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

void TCinetiqueMain::ActiveCommandesSelonPoints() {
    const int n = graphe.NbrePoints;
    UndoBtn->setEnabled(n > 0 && ModeAcq != maBuretteTelmira);
    EnregistreNouveauFichierItem->setEnabled(n > 2);
    KalventoSaveBtn->setEnabled(n > 2);
    CopyBtn->setEnabled(n > 2);
    ResetBtn->setEnabled(
        (EtatAcq == eaTerminee || EtatAcq == eaIncrement || EtatAcq == eaClavier) && n > 0);
}

void TCinetiqueMain::FinAcquisition() {
    SetEtatAcq(eaTerminee);
    if (AppelKalvento && EnvoieDonneesKalvento) EnvoieDonneesKalvento();
    AppelKalvento = false;
}

void TCinetiqueMain::EnregistrePoint() {
    const int n = graphe.NbrePoints;
    const int nbre = graphe.NbreVoies;
    Tmonde& X = graphe.mondeX;
    // Only a time base can reach the last slot; nothing goes past it.
    if (n > indiceVecteurMax) {
        FinAcquisition();
        return;
    }
    const double maintenant = heureDuJour();
    bool pris = true;
    switch (ModeAcq) {
    case maTemps: {
        const double ecoule = EcartSecondes(maintenant, InstantDebut);
        const double t = arrondiSecondes(ecoule);
        X.valeur[n] = t;
        PanelDuree->setText(FormatDuree(qint32(ecoule)));
        const bool fichier = t > DureeMesure / 8.0 || n > 16;
        EnregistreNouveauFichierItem->setEnabled(fichier);
        KalventoSaveBtn->setEnabled(fichier);
        CopyBtn->setEnabled(fichier);
        pris = t >= double(n) * std::max<int>(DeltatMesure, 1);
        break;
    }
    case maIncrement:
        PanelDuree->setText(QString::number(n + 1));
        if (X.maxi < n + 16) {
            X.maxi += 16;
            RedessineOscillo();
        }
        break;
    case maAppareilMaitre: {
        const Tappareil* M =
            graphe.voieMaitre < nbre ? AppareilAcq[graphe.voieMaitre] : AppareilAcq[0];
        if (graphe.AbscisseMaitre == amTemps) {
            const double T = dateReception != 0 ? dateReception : maintenant;
            const double ecoule = EcartSecondes(T, InstantDebut);
            X.valeur[n] = arrondiSecondes(ecoule);
            PanelDuree->setText(FormatDuree(qint32(ecoule)));
            if (X.maxi < X.valeur[n]) {
                X.maxi = 1.5 * X.valeur[n];
                RedessineOscillo();
            }
            pris = n == 0 || X.valeur[n - 1] <= X.valeur[n];
        } else if (graphe.AbscisseMaitre == amIndex) {
            PanelDuree->setText(QString::number(n + 1));
            if (X.maxi < n + 16) {
                X.maxi += 16;
                RedessineOscillo();
            }
        } else if (M) {
            PanelDuree->setText(M->SymboleGrandeur + QLatin1Char('=') +
                                M->FormatApp(M->ValeurCourante) + QLatin1Char(' ') +
                                M->UniteGrandeur);
            X.valeur[n] = M->ValeurCourante;
        }
        break;
    }
    case maClavier:
    case maBuretteTelmira:
        return;
    }
    pris = pris && ValeursToutesLues();

    if (pris) {
        RangeValeursVoies(n);
        PlaceCellule(n + 2, 0, FormatGeneral(X.valeur[n], 7, 2, separateurDecimal()));
        graphe.NbrePoints = n + 1;
        if (Grid->rowCount() < graphe.NbrePoints + 3) {
            Grid->setRowCount(graphe.NbrePoints + 16);
            DefileGrille(graphe.NbrePoints <= 16 ? 2 : graphe.NbrePoints - 2);
        }
    }

    if (ModeAcq == maTemps) {
        const qint32 prevus = DureeMesure / std::max<int>(DeltatMesure, 1);
        if (EcartSecondes(heureDuJour(), InstantDebut) > DureeMesure ||
            (pris && graphe.NbrePoints > prevus) || graphe.NbrePoints > indiceVecteurMax)
            FinAcquisition();
    } else if (graphe.NbrePoints >= indiceVecteurMax) {
        FinAcquisition();
    }
    if (ModeAcq != maTemps) ActiveCommandesSelonPoints();
    if (pris) EcritSecours();
}

bool TCinetiqueMain::ValeursToutesLues() const {
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (!AppareilAcq[v] || estNaN(AppareilAcq[v]->ValeurCourante)) return false;
    return true;
}

void TCinetiqueMain::RangeValeursVoies(int n) {
    // A new acquisition: the backup table starts again from its header.
    if (n == 0) NbrePointsSauves = 0;
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        graphe.mondeY[v].valeur[n] = AppareilAcq[v]->ValeurCourante;
        PlaceCellule(n + 2, v + 1, AppareilAcq[v]->FormatApp(AppareilAcq[v]->ValeurCourante));
        graphe.TracePoint(v, n);
    }
    dataSaved = false;
}

void TCinetiqueMain::EnregistreClavier() {
    const int n = graphe.NbrePoints;
    Tmonde& X = graphe.mondeX;
    if (n >= indiceVecteurMax) return;
    graphe.TraceCurseurs();
    X.valeur[n] = valeurClavier;
    X.valeur[n + 1] = valeurClavier;
    X.PosCurseur = X.PosWindow(valeurClavier);
    graphe.TraceCurseurs();

    const bool pris = ValeursToutesLues();
    if (pris) {
        RangeValeursVoies(n);
        PlaceCellule(n + 2, 0, FormatGeneral(X.valeur[n], 5, 2, separateurDecimal()));
        graphe.NbrePoints = n + 1;
        if (Grid->rowCount() < graphe.NbrePoints + 3) Grid->setRowCount(graphe.NbrePoints + 16);
    }
    if (graphe.NbrePoints >= indiceVecteurMax) FinAcquisition();
    ClavierEdit->clear();
    ClavierEdit->setFocus();
    ActiveCommandesSelonPoints();
    if (pris) EcritSecours();
}

bool TCinetiqueMain::ClavierEditKeyPress(QChar Key) {
    if (Key == QChar(13)) {
        ValideEntreeClavier();
        return false;
    }
    return caractereClavier(Key);
}

void TCinetiqueMain::ValideClavierBtnClick() {
    ValideEntreeClavier();
}

void TCinetiqueMain::ValideEntreeClavier() {
    if (EtatAcq != eaClavier || graphe.NbreVoies == 0) return;
    if (graphe.NbrePoints >= indiceVecteurMax) {
        dialogues().message(
            QStringLiteral("Nombre maximum de points (%1) atteint").arg(int(indiceVecteurMax)));
        return;
    }
    const double v = LitNombre(ClavierEdit->text());
    valeurClavier = v;
    Tmonde& X = graphe.mondeX;
    if (estNaN(v)) {
        dialogues().message(QStringLiteral("Nombre mal écrit"));
        ClavierEdit->setFocus();
        return;
    }
    if (v > X.maxi) {
        if (!Confirme(FormatCourt(v) + QStringLiteral(" > maxi=") + FormatCourt(X.maxi) +
                      QStringLiteral("\r\nVous confirmez ?"))) {
            ClavierEdit->setFocus();
            return;
        }
        X.maxi = v + (X.maxi - X.mini) / 10;
        RedessineOscillo();
    }
    if (v < X.mini) {
        if (!Confirme(FormatCourt(v) + QStringLiteral(" < mini=") + FormatCourt(X.mini) +
                      QStringLiteral("\r\nVous confirmez ?"))) {
            ClavierEdit->setFocus();
            return;
        }
        X.mini = v - (X.maxi - X.mini) / 10;
        RedessineOscillo();
    }
    EnregistreClavier();
}

void TCinetiqueMain::EnregistreBtnClick() {
    if (graphe.NbreVoies == 0 || EtatAcq == eaNone) return;
    const bool depart =
        (ModeAcq == maTemps &&
         (EtatAcq == eaAttente || (EtatAcq == eaTerminee && graphe.NbrePoints == 0))) ||
        (ModeAcq == maIncrement && (EtatAcq == eaAttente || EtatAcq == eaIncrement)) ||
        (ModeAcq == maAppareilMaitre && EtatAcq == eaAttente) || ModeAcq == maClavier;
    if (!depart) return;
    const Tappareil* A0 = AppareilAcq[0];
    InstantDebut = A0 && A0->EnvoiDirect && dateReception != 0 ? dateReception : heureDuJour();
    switch (ModeAcq) {
    case maTemps: {
        const qint32 n = DureeMesure / std::max<int>(DeltatMesure, 1);
        if (DeltatMesure < std::max<quint16>(DeltatMin, 1) || n < 8 || n > indiceVecteurMax)
            AjusteBaseDeTemps();
        // The interval may have changed since the set-up: the planned instants follow it.
        for (int i = 0; i <= indiceVecteurMax; ++i)
            graphe.mondeX.valeur[i] = double(i) * DeltatMesure;
        envoiDirectGlb = false;
        for (int v = 0; v < graphe.NbreVoies; ++v)
            envoiDirectGlb = envoiDirectGlb || (AppareilAcq[v] && AppareilAcq[v]->EnvoiDirect);
        graphe.NbrePoints = 0;
        SetEtatAcq(eaEnCours);
        DefileGrille(2);
        voiesSerie->ligneWTW = 0;
        voiesSerie->positionWTW = 1;
        TimerTimer();
        break;
    }
    case maIncrement:
        if (EtatAcq == eaAttente)
            SetEtatAcq(eaIncrement);
        else
            EnregistrePoint();
        break;
    case maAppareilMaitre:
        EnregistrePoint();
        SetEtatAcq(eaEnCours);
        break;
    case maClavier:
        SetEtatAcq(eaClavier);
        break;
    case maBuretteTelmira:
        break;
    }
}

void TCinetiqueMain::ToolButton3Click() {
    const double m = EcartSecondes(heureDuJour(), InstantDebut);
    QString texte;
    if (!dialogues().saisie(QStringLiteral("Création d'un repère"), QStringLiteral("Signification"),
                            texte))
        texte.clear();
    graphe.AjouteRepere(texte, m);
}

void TCinetiqueMain::UndoBtnClick() {
    if (graphe.NbrePoints <= 0) return;
    for (int c = 0; c < Grid->columnCount(); ++c)
        delete Grid->takeItem(graphe.NbrePoints + 1, c);
    --graphe.NbrePoints;
    // The backup table must not keep the sample taken back.
    if (NbrePointsSauves > graphe.NbrePoints) NbrePointsSauves = 0;
    PanelDuree->setText(QString::number(graphe.NbrePoints));
    ActiveCommandesSelonPoints();
    RedessineOscillo();
}

void TCinetiqueMain::StopBtnClick() {
    if (EtatAcq != eaEnCours) return;
    if (graphe.NbrePoints < 3)
        ResetBtnClick();
    else
        SetEtatAcq(eaTerminee);
}

void TCinetiqueMain::ResetBtnClick() {
    if (graphe.NbrePoints >= 3 && !Confirme(QStringLiteral("Suppression de toutes les données")))
        return;
    graphe.NbrePoints = 0;
    NbrePointsSauves = 0;
    RedessineOscillo();
    graphe.ListeRepere.clear();
    Grid->setRowCount(16);
    VideLignesGrille(2);
    if (ModeAcq == maIncrement)
        SetEtatAcq(eaIncrement);
    else if (ModeAcq == maClavier)
        SetEtatAcq(eaClavier);
    else
        SetEtatAcq(eaAttente);
    PanelDuree->clear();
}
