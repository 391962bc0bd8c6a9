#include "acquisition/acquisition.h"

#include "acquisition/duree.h"

#include <algorithm>
#include <cmath>

namespace {
int nombreEchantillons(qint32 duree, quint16 deltat) {
    return duree / std::max<int>(deltat, 1);
}

constexpr int deltatMax = 60;
} // namespace

void TAcquisition::MajBaseDeTemps() {
    if (ModeAcq == maTemps) {
        // During a run the view may have been zoomed: the axis keeps at least the duration.
        if (EtatAcq != eaEnCours || graphe.mondeX.maxi < DureeMesure)
            graphe.mondeX.maxi = DureeMesure;
        Timer.setInterval((EtatAcq == eaEnCours ? DeltatMesure : DeltatMin) * 1000);
    }
    Q_EMIT baseDeTempsChange();
    Q_EMIT redessine();
}

void TAcquisition::AjusteBaseDeTemps() {
    DeltatMesure = quint16(std::clamp<int>(DeltatMesure, std::max<int>(DeltatMin, 1), deltatMax));
    ArrondiDuree(DureeMesure);
    while (nombreEchantillons(DureeMesure, DeltatMesure) > 2048) {
        if (DeltatMesure < deltatMax)
            ++DeltatMesure;
        else
            DureeMesure = DeltatMesure * 2048;
    }
    while (nombreEchantillons(DureeMesure, DeltatMesure) < 8) {
        if (DeltatMesure > std::max<int>(DeltatMin, 1))
            --DeltatMesure;
        else
            DureeMesure = DeltatMesure * 8;
    }
    if (EtatAcq == eaEnCours) PlanifieDepuisDernier();
    MajBaseDeTemps();
}

// The samples to come are planned from the last one taken, at the current δt, so that a change
// during a run leaves no hole; δt is raised when the rest of the run would not fit the store.
void TAcquisition::PlanifieDepuisDernier() {
    const int n = graphe.NbrePoints;
    if (n > 0) {
        origineN_ = n - 1;
        origineT_ = graphe.mondeX.valeur[n - 1];
    } else {
        origineN_ = 0;
        origineT_ = 0;
    }
    const int place = indiceVecteurMax - origineN_;
    const auto reste = [&] { return (DureeMesure - origineT_) / std::max<int>(DeltatMesure, 1); };
    while (place > 0 && reste() > place && DeltatMesure < deltatMax)
        ++DeltatMesure;
    if (place > 0 && reste() > place) DureeMesure = qint32(origineT_) + DeltatMesure * place;
    for (int i = n; i <= indiceVecteurMax; ++i)
        graphe.mondeX.valeur[i] = InstantPrevu(i);
}

void TAcquisition::AugmenteDuree() {
    if (EtatAcq != eaEnCours) {
        DureeSuivante(DureeMesure);
        AjusteBaseDeTemps();
        return;
    }
    // During an acquisition the duration doubles; past 2048 intervals δt doubles too and the
    // samples already taken keep one in two, so the recording goes on at the new interval.
    DureeMesure *= 2;
    int depuis = -1;
    if (nombreEchantillons(DureeMesure, DeltatMesure) > 2048) {
        DeltatMesure = quint16(std::min(2 * DeltatMesure, deltatMax));
        if (DeltatMesure == deltatMax && nombreEchantillons(DureeMesure, DeltatMesure) > 2048)
            DureeMesure = DeltatMesure * 2048;
        if (graphe.NbrePoints > 1024) {
            graphe.NbrePoints /= 2;
            const int n = graphe.NbrePoints;
            for (int i = 1; i < n; ++i) {
                graphe.mondeX.valeur[i] = graphe.mondeX.valeur[2 * i];
                for (int v = 0; v < graphe.NbreVoies; ++v)
                    graphe.mondeY[v].valeur[i] = graphe.mondeY[v].valeur[2 * i];
            }
            depuis = 1;
            // The backup table is written again from its header.
            NbrePointsSauves = 0;
        }
    }
    PlanifieDepuisDernier();
    if (depuis >= 0) Q_EMIT echantillonsRemplaces(depuis);
    MajBaseDeTemps();
}

void TAcquisition::DiminueDuree() {
    DureePrecedente(DureeMesure);
    AjusteBaseDeTemps();
}

void TAcquisition::ChangeDeltat(int valeur) {
    DeltatMesure = quint16(std::clamp(valeur, std::max<int>(DeltatMin, 1), deltatMax));
    if (nombreEchantillons(DureeMesure, DeltatMesure) < 8) {
        DeltatMesure = quint16(std::max<int>(DureeMesure / 8, std::max<int>(DeltatMin, 1)));
    } else if (nombreEchantillons(DureeMesure, DeltatMesure) > 2048) {
        // The smallest δt whose count fits: D div δt ≤ 2048 exactly when δt > D / 2049.
        DeltatMesure = quint16(std::min(DureeMesure / 2049 + 1, deltatMax));
        if (nombreEchantillons(DureeMesure, DeltatMesure) > 2048) DureeMesure = DeltatMesure * 2048;
    }
    // A duration too short for 8 intervals of the shortest δt is lengthened.
    if (nombreEchantillons(DureeMesure, DeltatMesure) < 8) DureeMesure = DeltatMesure * 8;
    if (EtatAcq == eaEnCours) PlanifieDepuisDernier();
    MajBaseDeTemps();
}

void TAcquisition::ChangeDuree(qint32 secondes) {
    if (secondes == DureeMesure) return;
    DureeMesure = std::clamp<qint32>(secondes, 1, deltatMax * 2048);
    // A typed duration follows the same rules as the buttons: 8 to 2048 intervals, δt ≥ 1 s.
    AjusteBaseDeTemps();
}

void TAcquisition::AppliqueBaseDeTemps(quint16 deltat, qint32 duree) {
    if (deltat == DeltatMesure && duree == DureeMesure) return;
    DeltatMesure = quint16(std::clamp<int>(deltat, std::max<int>(DeltatMin, 1), deltatMax));
    DureeMesure = std::clamp<qint32>(duree, DeltatMesure * 8, DeltatMesure * 2048);
    if (EtatAcq == eaEnCours) PlanifieDepuisDernier();
    MajBaseDeTemps();
}

void TAcquisition::ZoomAbscisse() {
    const Tmonde& X = graphe.mondeX;
    if (ModeAcq != maTemps || X.Nom != QLatin1String("t")) return;
    // Zooming during a run only changes the view.
    if (EtatAcq == eaEnCours) return;
    const auto D = qint32(std::clamp(std::nearbyint(X.maxi), 1.0, double(deltatMax) * 2048));
    DureeMesure = D;
    AjusteBaseDeTemps();
}
