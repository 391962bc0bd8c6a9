#pragma once

#include <QString>
#include <functional>
#include <optional>

// What the beaker holds and how the electrode answers.
struct ReglagesBecher {
    // Volume (mL) and concentration (mol/L) of the acid titrated.
    double volumeAcide = 20;
    double concentrationAcide = 0.1;
    // pKa of a weak acid; none for a strong acid (HCl).
    std::optional<double> pKa;
    // Concentration of the sodium hydroxide in the burette, mol/L.
    double concentrationSoude = 0.1;
    // The electrode follows the solution's pH with this time constant, seconds.
    double constanteTemps = 3;

    // "hcl" or "acetique" (acetic acid, pKa 4.76); false for any other name.
    bool choisit(const QString& acide);
};

// A beaker of acid titrated by sodium hydroxide delivered by the burette, with a pH electrode
// that settles exponentially towards the solution's pH.
class Becher {
public:
    // `volumeVerse(t)`: the volume of titrant delivered at time t (s).
    Becher(const ReglagesBecher& reglages, std::function<double(double)> volumeVerse);

    // The solution's pH once mixed, for a volume of titrant (charge balance, 25 °C).
    [[nodiscard]] double pHEquilibre(double volumeSoude) const;
    // What the electrode reads at time t (calls in increasing time).
    double pH(double t);

private:
    ReglagesBecher reglages_;
    std::function<double(double)> volumeVerse_;
    bool premier_ = true;
    double tPrecedent_ = 0;
    double lu_ = 7;
};
