#include "instruments/stabilite.h"

#include "instruments/appareil.h"

#include <QLatin1String>
#include <cmath>

void TStatistiqueDeuxVar::Init(std::span<const double> X, std::span<const double> Y, qint32 N) {
    penteY = 0;
    if (N < 2) return;
    const auto n = std::min({static_cast<std::size_t>(N), X.size(), Y.size()});
    double Sx = 0, Sy = 0, Sxx = 0, Syy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        Sx += X[i];
        Sy += Y[i];
        Sxx += X[i] * X[i];
        Syy += Y[i] * Y[i];
    }
    const double N_ = double(n);
    const double SSx = Sxx - Sx * Sx / N_;
    const double SSy = Syy - Sy * Sy / N_;
    if (!(SSy > 0) || !(SSx > 0)) return;
    const double sx = std::sqrt(SSx / (N_ - 1));
    const double sy = std::sqrt(SSy / (N_ - 1));
    const double mx = Sx / N_;
    const double my = Sy / N_;
    double cov = 0;
    for (std::size_t i = 0; i < n; ++i)
        cov += (X[i] - mx) * (Y[i] - my);
    cov /= N_ - 1;
    const double r = cov / sx / sy;
    const double pente = r * sy / sx;
    if (!std::isfinite(pente)) return;
    penteY = pente;
    Y0 = my - penteY * mx;
}

namespace {
std::unique_ptr<TStatistiqueDeuxVar>& statCourante() {
    static std::unique_ptr<TStatistiqueDeuxVar> stat;
    return stat;
}
} // namespace

TStatistiqueDeuxVar& statStabilite() {
    auto& stat = statCourante();
    if (!stat) stat = std::make_unique<TStatistiqueDeuxVar>();
    return *stat;
}

std::unique_ptr<TStatistiqueDeuxVar>
remplaceStatStabilite(std::unique_ptr<TStatistiqueDeuxVar> stat) {
    std::swap(stat, statCourante());
    return stat;
}

bool Tappareil::isStable() const {
    return isStable(statStabilite());
}

bool Tappareil::isStable(TStatistiqueDeuxVar& stat) const {
    if (lectureSTAB) return reponseStab == QLatin1String("SRAB");
    if (std::isnan(ValeurCourante) || nbreRouleau < tailleRouleau) return false;
    // A window that holds a reading with no value cannot be judged steady.
    for (int i = 0; i < tailleRouleau; ++i)
        if (!std::isfinite(valeurRouleau[i])) return false;
    stat.Init(indiceRouleau, valeurRouleau, tailleRouleau);
    // An undecided comparison (threshold NaN) counts as stable.
    return !(Derive <= 6 * std::fabs(stat.penteY));
}
