#pragma once

#include <QString>
#include <array>
#include <span>
#include <stdexcept>

// Raised by ResoutSysteme when a pivot is too small.
class EsystemeLineaireError : public std::runtime_error {
public:
    EsystemeLineaireError();
    [[nodiscard]] QString texte() const;
};

// Four linear equations as an augmented matrix: four rows of four coefficients and the
// right-hand side, in extended precision.
using TSysteme4 = std::array<std::array<long double, 5>, 4>;

// Gaussian elimination with a row exchange: in each column the pivot is the last row below whose
// entry exceeds the diagonal entry in magnitude (each candidate is compared with the diagonal,
// not with the best found so far). Raises EsystemeLineaireError when the pivot is 1E-100 or less
// in magnitude, or not a number. The caller's matrix is not changed.
[[nodiscard]] std::array<double, 4> ResoutSysteme(const TSysteme4& systeme);

// The next addition of titrant, in mL, chosen so that channel 0 moves by about `ecartSensible`:
// a cubic V(x) is fitted by least squares to the last 8 samples (the 7 there are when there are
// 7), and the addition is the smaller of |V'(u)·h| and |4·V''(u)·h²| with h = ecartSensible and
// u = x[n-1] + h. NaN below 7 samples or when the fit fails.
[[nodiscard]] double AjoutCubique(std::span<const double> x, std::span<const double> V, int n,
                                  double ecartSensible);
