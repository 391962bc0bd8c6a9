#include "acquisition/duree.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

namespace {
int nombreEchantillons(qint32 duree, quint16 deltat) {
    return duree / std::max<int>(deltat, 1);
}
} // namespace

void TCinetiqueMain::MajBaseDeTemps() {
    DureeEdit->setText(FormatDuree(DureeMesure));
    NombreLabel->setText(QStringLiteral("N=") +
                         QString::number(nombreEchantillons(DureeMesure, DeltatMesure)));
    {
        const QSignalBlocker bloque(DeltatSE);
        DeltatSE->setValue(DeltatMesure);
    }
    if (ModeAcq == maTemps) {
        graphe.mondeX.maxi = DureeMesure;
        Timer->setInterval((EtatAcq == eaEnCours ? DeltatMesure : DeltatMin) * 1000);
    }
    RedessineOscillo();
}

void TCinetiqueMain::AjusteBaseDeTemps() {
    DeltatMesure = std::max<quint16>(DeltatMesure, std::max<quint16>(DeltatMin, 1));
    ArrondiDuree(DureeMesure);
    while (nombreEchantillons(DureeMesure, DeltatMesure) > 2048) {
        if (DeltatMesure < 60)
            ++DeltatMesure;
        else
            DureeMesure = DeltatMesure * 2048;
    }
    while (nombreEchantillons(DureeMesure, DeltatMesure) < 8) {
        if (DeltatMesure > DeltatMin)
            --DeltatMesure;
        else
            DureeMesure = DeltatMesure * 8;
    }
    MajBaseDeTemps();
}

void TCinetiqueMain::DureeSBUpClick() {
    if (EtatAcq != eaEnCours) {
        DureeSuivante(DureeMesure);
        AjusteBaseDeTemps();
        return;
    }
    // During an acquisition the duration doubles; past 2048 intervals δt doubles too and the
    // samples already taken keep one in two, so the recording goes on at the new interval.
    DureeMesure *= 2;
    if (nombreEchantillons(DureeMesure, DeltatMesure) > 2048) {
        DeltatMesure = quint16(std::min(2 * DeltatMesure, 65535));
        if (graphe.NbrePoints > 1024) {
            graphe.NbrePoints /= 2;
            const int n = graphe.NbrePoints;
            for (int i = 1; i < n; ++i) {
                graphe.mondeX.valeur[i] = graphe.mondeX.valeur[2 * i];
                for (int v = 0; v < graphe.NbreVoies; ++v)
                    graphe.mondeY[v].valeur[i] = graphe.mondeY[v].valeur[2 * i];
            }
            for (int i = 0; i < n; ++i)
                AfficheLigneGrille(i);
            for (int ligne = n + 2; ligne < Grid->rowCount(); ++ligne)
                for (int c = 0; c < Grid->columnCount(); ++c)
                    delete Grid->takeItem(ligne, c);
        }
    }
    MajBaseDeTemps();
}

void TCinetiqueMain::DureeSBDownClick() {
    DureePrecedente(DureeMesure);
    AjusteBaseDeTemps();
}

void TCinetiqueMain::DeltatSEChange() {
    DeltatMesure = quint16(std::clamp(DeltatSE->value(), std::max<int>(DeltatMin, 1), 60));
    if (nombreEchantillons(DureeMesure, DeltatMesure) < 8)
        DeltatMesure = quint16(std::max<int>(DureeMesure / 8, std::max<int>(DeltatMin, 1)));
    else if (nombreEchantillons(DureeMesure, DeltatMesure) > 2048)
        DeltatMesure = quint16((DureeMesure + 2047) / 2048);
    // A duration too short for 8 intervals of the shortest δt is lengthened.
    if (nombreEchantillons(DureeMesure, DeltatMesure) < 8) DureeMesure = DeltatMesure * 8;
    MajBaseDeTemps();
}

void TCinetiqueMain::DureeEditExit() {
    qint32 lue = 0;
    if (!LitDuree(DureeEdit->text(), lue)) {
        const QString texte = DureeEdit->text();
        MajBaseDeTemps(); // the duration is unchanged
        dialogues().erreur(QStringLiteral("« ") + texte +
                           QStringLiteral(" » n'est pas une durée correcte (h:mm:ss)"));
        return;
    }
    if (lue == DureeMesure) return;
    DureeMesure = lue;
    // A typed duration follows the same rules as the buttons: 8 to 2048 intervals, δt ≥ 1 s.
    AjusteBaseDeTemps();
}

void TCinetiqueMain::AfficheLigneGrille(int i) {
    PlaceCellule(i + 2, 0, FormatGeneral(graphe.mondeX.valeur[i], 7, 2, separateurDecimal()));
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        const double x = graphe.mondeY[v].valeur[i];
        PlaceCellule(i + 2, v + 1, AppareilAcq[v] ? AppareilAcq[v]->FormatApp(x) : FormatNombre(x));
    }
}
