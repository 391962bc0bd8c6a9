#pragma once

#include <QString>
#include <functional>
#include <span>

class TburetteRS232;
class TVoiesSerie;

// The titration's decisions, apart from any window: the acquisition engine calls them at the
// end of each polling cycle while a titration runs, and when one starts.

// What the end of a polling cycle does.
enum TDecisionDosage {
    ddSuivi, // nothing is due: the display follows the burette (ValeurCourante := volume())
    ddEtape  // a titration step is due (EtapeDosage)
};
// A step is due when every channel has settled and DeltatMin has passed since the last
// addition, or in any case once DeltatMax has passed.
[[nodiscard]] TDecisionDosage DecisionDosage(const TburetteRS232& burette, bool toutStable);

// Lowers ecartSensible and ecartStable to a hundredth of channel 0's range (mini..maxi of its
// axis) when they are larger; done when the burette mode is set up and when the burette's
// settings dialog opens.
void AbaisseSeuils(TburetteRS232& burette, double mini, double maxi);

// The volume read is a new sample when the burette has delivered at least half a smallest
// addition since the last recorded sample (NaN never is).
[[nodiscard]] bool NouveauPointDosage(double volumeLu, double dernierVolume, double VolumeMin);
// The next addition before verse brings it within its limits: incrementVolume in the constant
// mode, otherwise deltaY over the store (x: channel 0, V: volumes, n samples).
[[nodiscard]] double AjoutSuivant(const TburetteRS232& burette, std::span<const double> x,
                                  std::span<const double> V, int n);
// The titration ends once the volume delivered passes 95 % of the burette's capacity ValMaxi.
[[nodiscard]] bool DosageTermine(const TburetteRS232& burette, double volumeDelivre);
// "V=12.35 mL": the burette's current value, for the duration panel.
[[nodiscard]] QString TexteVolumeBurette(const TburetteRS232& burette);

// The sample store and the engine's actions a titration step needs. x and V view the store's
// columns (mondeY[0].valeur and mondeX.valeur) and stay valid while it lives.
struct TMagasinDosage {
    std::span<const double> x;
    std::span<const double> V;
    std::function<int()> NbrePoints;
    // Records one sample whose abscissa is the burette's ValeurCourante.
    std::function<void()> EnregistrePoint;
    // Starts the stability test of every channel afresh.
    std::function<void()> ResetStabilites;
};

// The three calls below return rdAttente at once, doing nothing, when called while the burette
// is busy (from an event handled during one of its exchanges or deliveries).
enum TResultatDosage {
    rdAttente, // nothing recorded, nothing added: the next cycle tries again
    rdPoint,   // a sample was recorded and the next addition delivered
    rdTermine, // a sample was recorded and the burette passed 95 % of its capacity: the end
    rdPanne    // the burette stopped answering (its erreurBurette tells why): the end
};

// Start of a titration: the burette is reset, the first sample recorded at volume 0 and the
// first addition (VolumeMin) delivered.
[[nodiscard]] TResultatDosage DebutDosage(TburetteRS232& burette, const TMagasinDosage& magasin);
// One titration step: read the volume; when it is a new sample, record it, then (unless the
// titration has ended) deliver the next addition, restart the stability tests and read the
// volume again.
[[nodiscard]] TResultatDosage EtapeDosage(TburetteRS232& burette, const TMagasinDosage& magasin);

// A cycle without a step: the display follows the burette (ValeurCourante := volume()); rdPanne
// when the burette has stopped answering, rdAttente otherwise.
[[nodiscard]] TResultatDosage SuiviDosage(TburetteRS232& burette);

// The port side of the burette mode's preparation: binds the burette to its port when it is not
// open (detaching the port's data-available handler, the driver reads it itself) and identifies
// it when that was not done yet. False with the French text to show in `erreur`.
[[nodiscard]] bool LieBurette(TburetteRS232& burette, TVoiesSerie& voies, bool traceActive,
                              QString& erreur);
