#include "burette/dosage.h"

#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "serial/voiesserie.h"

#include <cmath>
#include <limits>

TDecisionDosage DecisionDosage(const TburetteRS232& burette, bool toutStable) {
    const bool due = (toutStable && burette.delaiMinEcoule()) || burette.delaiMaxEcoule();
    return due ? ddEtape : ddSuivi;
}

void AbaisseSeuils(TburetteRS232& burette, double mini, double maxi) {
    // A range given upside down still bounds the thresholds by its width.
    const double r = std::fabs(maxi - mini) / 100;
    if (burette.ecartSensible > r) burette.ecartSensible = r;
    if (burette.ecartStable > r) burette.ecartStable = r;
}

bool NouveauPointDosage(double volumeLu, double dernierVolume, double VolumeMin) {
    return !estNaN(volumeLu) && volumeLu >= dernierVolume + VolumeMin / 2;
}

double AjoutSuivant(const TburetteRS232& burette, std::span<const double> x,
                    std::span<const double> V, int n) {
    return burette.modeIncrement ? burette.incrementVolume : burette.deltaY(x, V, n);
}

bool DosageTermine(const TburetteRS232& burette, double volumeDelivre) {
    return volumeDelivre > 0.95 * burette.ValMaxi;
}

QString TexteVolumeBurette(const TburetteRS232& burette) {
    return burette.SymboleGrandeur + QLatin1Char('=') + burette.FormatApp(burette.ValeurCourante) +
           QLatin1Char(' ') + burette.UniteGrandeur;
}

// A cycle that ends while the burette works (an instrument that sends on its own is still
// heard during a delivery) takes no step: the burette's answers would not be its own.
TResultatDosage DebutDosage(TburetteRS232& burette, const TMagasinDosage& magasin) {
    if (burette.busy) return rdAttente;
    if (!burette.reset()) return rdPanne;
    magasin.EnregistrePoint();
    burette.verse(burette.VolumeMin);
    return burette.enPanne() ? rdPanne : rdPoint;
}

TResultatDosage EtapeDosage(TburetteRS232& burette, const TMagasinDosage& magasin) {
    if (burette.busy) return rdAttente;
    const double v = burette.volume();
    if (burette.enPanne()) return rdPanne;
    const int n = magasin.NbrePoints();
    const double dernier =
        n > 0 ? magasin.V[std::size_t(n - 1)] : -std::numeric_limits<double>::infinity();
    if (!NouveauPointDosage(v, dernier, burette.VolumeMin)) return rdAttente;
    burette.ValeurCourante = v;
    magasin.EnregistrePoint();
    // Nothing more is added once the burette is nearly empty.
    if (DosageTermine(burette, v)) return rdTermine;
    burette.verse(AjoutSuivant(burette, magasin.x, magasin.V, magasin.NbrePoints()));
    if (burette.enPanne()) return rdPanne;
    magasin.ResetStabilites();
    burette.ValeurCourante = burette.volume();
    return burette.enPanne() ? rdPanne : rdPoint;
}

TResultatDosage SuiviDosage(TburetteRS232& burette) {
    if (burette.busy) return rdAttente;
    burette.ValeurCourante = burette.volume();
    return burette.enPanne() ? rdPanne : rdAttente;
}

bool LieBurette(TburetteRS232& burette, TVoiesSerie& voies, bool traceActive, QString& erreur) {
    erreur.clear();
    const bool ouverte = burette.VoieSerie && burette.VoieSerie->Open();
    if (!ouverte) {
        // The burette is a real device even while a channel plays the built-in printout: the
        // replay's state is left as the channels set it.
        const bool simulation = voies.simulationWTW;
        const bool rejeu = voies.TimerWTW1.isActive();
        voies.simulationWTW = false;
        burette.VoieSerieOK = voies.setVoieSerieApp(burette, traceActive);
        voies.simulationWTW = simulation;
        if (rejeu) voies.TimerWTW1.start();
        if (!burette.VoieSerieOK || !burette.VoieSerie) {
            erreur = QStringLiteral("Problème voie série Burette");
            return false;
        }
    }
    // The driver polls its port itself: the main window's handler must not take its bytes.
    burette.VoieSerie->setOnTriggerAvail({});
    if (ouverte && !burette.identification.isEmpty()) return true;
    if (burette.initBurette()) return true;
    erreur = burette.erreurInit;
    return false;
}
