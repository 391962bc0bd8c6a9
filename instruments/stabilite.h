#pragma once

#include "instruments/vecteur.h"

#include <memory>
#include <span>

// Straight-line fit of one series against another.
class TStatistiqueDeuxVar {
public:
    // Fits elements 0..N-1 of Y against X. A constant Y, a constant X or fewer than two
    // points leave the slope 0 (and Y0 as it was).
    void Init(std::span<const double> X, std::span<const double> Y, qint32 N);

    double penteY = 0;
    double Y0 = 0;
};

// The statistics object every stability test uses. The instrument module owns it: it installs
// one at start and frees it at end; a test may install its own. When none is installed, one is
// made on first use.
[[nodiscard]] TStatistiqueDeuxVar& statStabilite();
// Installs `stat` (none frees the current one) and hands back the previous object.
std::unique_ptr<TStatistiqueDeuxVar>
remplaceStatStabilite(std::unique_ptr<TStatistiqueDeuxVar> stat);
