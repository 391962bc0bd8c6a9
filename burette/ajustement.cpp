#include "burette/ajustement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const char* const messageSysteme = "Erreur résolution système linéaire";
constexpr long double pivotMini = 1E-100L;
constexpr int tailleFenetre = 8;
} // namespace

EsystemeLineaireError::EsystemeLineaireError() : std::runtime_error(messageSysteme) {}

QString EsystemeLineaireError::texte() const {
    return QString::fromUtf8(what());
}

std::array<double, 4> ResoutSysteme(const TSysteme4& systeme) {
    TSysteme4 a = systeme;
    for (int k = 0; k < 4; ++k) {
        int p = k;
        for (int i = k + 1; i < 4; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[k][k])) p = i;
        if (!(std::fabs(a[p][k]) > pivotMini)) throw EsystemeLineaireError();
        if (p != k)
            for (int j = k; j < 5; ++j)
                std::swap(a[k][j], a[p][j]);
        for (int i = k + 1; i < 4; ++i) {
            const double f = static_cast<double>(a[i][k] / a[k][k]);
            for (int j = k + 1; j < 5; ++j)
                a[i][j] -= a[k][j] * f;
            a[i][k] = 0;
        }
    }
    std::array<double, 4> c{};
    for (int i = 3; i >= 0; --i) {
        double r = static_cast<double>(a[i][4]);
        for (int j = i + 1; j < 4; ++j)
            r = static_cast<double>(r - a[i][j] * c[j]);
        c[i] = static_cast<double>(r / a[i][i]);
    }
    return c;
}

double AjoutCubique(std::span<const double> x, std::span<const double> V, int n,
                    double ecartSensible) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    if (n <= 6 || std::size_t(n) > x.size() || std::size_t(n) > V.size()) return NaN;
    // Power sums S0..S6 and moments T0..T3, in extended precision, in sample order.
    std::array<long double, 7> S{};
    std::array<long double, 4> T{};
    for (int j = std::max(0, n - tailleFenetre); j < n; ++j) {
        long double puissance = 1;
        for (int m = 0; m < 7; ++m) {
            S[m] += puissance;
            if (m < 4) T[m] += static_cast<long double>(V[j]) * puissance;
            puissance *= x[j];
        }
    }
    TSysteme4 normales{};
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 4; ++k)
            normales[i][k] = S[i + k];
        normales[i][4] = T[i];
    }
    try {
        const std::array<double, 4> c = ResoutSysteme(normales);
        const double h = ecartSensible;
        const double u = x[n - 1] + h;
        const double pente = c[1] + 2 * c[2] * u + 3 * c[3] * u * u;
        const double courbure = 2 * c[2] + 6 * c[3] * u;
        const double B = std::fabs(pente * h);
        const double A = std::fabs(4 * courbure * h * h);
        // An overflow counts as a failed fit, like a singular one.
        const double ajout = B < A ? B : A;
        return std::isfinite(B) && std::isfinite(ajout) ? ajout : NaN;
    } catch (const EsystemeLineaireError&) {
        return NaN;
    }
}
