#include "settings/reglagesbalayage.h"

#include "acquisition/duree.h"
#include "settings/reglages.h"

#include <algorithm>

namespace {
const QString cleTraceActive = QStringLiteral("FichierTrace/Actif");

int deltatPlancher(const TReglagesBalayage& r) {
    return std::clamp<int>(r.DeltatMin, 1, deltatMaxi);
}

// The longest duration the store can hold at 60 s (34 h 8 min); longer ones are cut to it.
constexpr qint32 dureeMaxi = deltatMaxi * nbrePointsMaxi;
} // namespace

int NbrePointsMax(const TReglagesBalayage& r) {
    return r.DureeMesure / std::max<int>(r.DeltatMesure, 1);
}

void MajTemps(TReglagesBalayage& r, int deltat) {
    const int plancher = deltatPlancher(r);
    r.DureeMesure = std::clamp(r.DureeMesure, 1, dureeMaxi);
    int Dt = std::clamp(deltat, plancher, deltatMaxi);
    const int N = r.DureeMesure / Dt;
    if (N > nbrePointsMaxi)
        Dt = r.DureeMesure / (nbrePointsMaxi + 1) + 1;
    else if (N < nbrePointsMini)
        Dt = std::max(r.DureeMesure / nbrePointsMini, plancher);
    r.DeltatMesure = quint16(Dt);
    if (r.DureeMesure / Dt < nbrePointsMini) r.DureeMesure = Dt * nbrePointsMini;
}

void AjusteDuree(TReglagesBalayage& r) {
    const int plancher = deltatPlancher(r);
    r.DeltatMesure = quint16(std::clamp<int>(r.DeltatMesure, plancher, deltatMaxi));
    r.DureeMesure = std::clamp(r.DureeMesure, 1, dureeMaxi);
    ArrondiDuree(r.DureeMesure);
    while (NbrePointsMax(r) > nbrePointsMaxi) {
        if (r.DeltatMesure < deltatMaxi) {
            ++r.DeltatMesure;
        } else {
            r.DureeMesure = r.DeltatMesure * nbrePointsMaxi;
            break;
        }
    }
    while (NbrePointsMax(r) < nbrePointsMini) {
        if (r.DeltatMesure > plancher) {
            --r.DeltatMesure;
        } else {
            r.DureeMesure = r.DeltatMesure * nbrePointsMini;
            break;
        }
    }
}

void DureeSuivanteBalayage(TReglagesBalayage& r) {
    DureeSuivante(r.DureeMesure);
    AjusteDuree(r);
}

void DureePrecedenteBalayage(TReglagesBalayage& r) {
    DureePrecedente(r.DureeMesure);
    AjusteDuree(r);
}

bool LitTraceActive() {
    return ouvreReglages()->value(cleTraceActive, true).toBool();
}

void EcritTraceActive(bool actif) {
    ouvreReglages()->setValue(cleTraceActive, actif ? QStringLiteral("1") : QStringLiteral("0"));
}
