#include "acquisition/monde.h"

#include "app/utilitaires.h"

#include <cmath>

namespace {
using etendu = long double; // 64-bit mantissa on the targets the program runs on

etendu puissance10(int n) {
    return std::pow(etendu(10), etendu(n));
}

// Integer part, plus one when the fraction is positive.
etendu plafond(etendu x) {
    const etendu t = std::trunc(x);
    return x - t > 0 ? t + 1 : t;
}

// log10 that gives exact integers for exact powers of ten.
etendu log10Exact(etendu x) {
    const etendu l = std::log10(x);
    const etendu r = std::round(l);
    return (std::fabs(l - r) < 1e-15L && puissance10(int(r)) == x) ? r : l;
}
} // namespace

void Tmonde::SetMinMax(double x1, double x2) {
    OrdonneMinMax(x1, x2);
    mini = x1;
    maxi = x2;
}

bool Tmonde::graduationPossible() const {
    return std::isfinite(deltaAxe) && deltaAxe > 0 && std::isfinite(exposant) && exposant > 0;
}

void Tmonde::setDelta() {
    const etendu A = std::max(std::fabs(etendu(mini)), std::fabs(etendu(maxi)));
    axeDateTime = Unite == QLatin1String("s") && A > 900;
    const etendu etendue = etendu(maxi) - etendu(mini);
    if (!(etendue > 0) || !std::isfinite(etendue) || !std::isfinite(A)) {
        deltaAxe = 0;
        exposant = 1;
        pointDebut = mini;
        NbreChiffres = 3;
        return;
    }
    const int c = int(std::floor(log10Exact(etendue)));
    const double r = double(etendue * puissance10(-c));
    static constexpr double pas[] = {0.1, 0.2, 0.5, 1, 2, 5};
    double s = 5;
    for (int i = 0; i < 5; ++i) {
        if (etendu(r) / etendu(pas[i]) < 10) {
            s = pas[i];
            break;
        }
    }
    deltaAxe = double(etendu(s) * puissance10(c));
    NbreChiffres = quint8(int(std::ceil(log10Exact(A))) - int(std::floor(log10Exact(deltaAxe))));
    pointDebut = double(plafond(etendu(mini) / etendu(deltaAxe)) * etendu(deltaAxe));
    const int q = int(std::floor(c / 3.0));
    exposant = double(puissance10(3 * q));
    const int d = int(std::ceil(log10Exact(A / etendu(exposant))));
    if (quint8(d) > NbreChiffres) NbreChiffres = quint8(d);
    NbreChiffres = std::clamp<quint8>(NbreChiffres, 3, 4);
}

QString Tmonde::FormatAxe(double x) const {
    return FormatGeneral(x, NbreChiffres, 1, separateurDecimal());
}

QString Tmonde::NomAxe(double puissance) const {
    if (Unite.isEmpty()) return Nom;
    int k = int(std::lround(std::log10(puissance) / 3));
    QString R = Unite;
    const QChar premier = R.front();
    const int decalage = premier == QLatin1Char('m')   ? -1
                         : premier == QLatin1Char('M') ? 2
                         : premier == QChar(0xB5)      ? -2
                         : premier == QLatin1Char('k') ? 1
                                                       : 0;
    if (decalage != 0 && R.size() > 1) {
        R.remove(0, 1);
        k += decalage;
    }
    static const QString prefixes = QStringLiteral("nµm?kM"); // k = -3 .. 2
    if (k == 0) return Nom + QLatin1Char('(') + R + QLatin1Char(')');
    // Outside the table the unit is shown as it is.
    if (k < -3 || k > 2) return Nom + QLatin1Char('(') + Unite + QLatin1Char(')');
    return Nom + QLatin1Char('(') + prefixes.at(k + 3) + R + QLatin1Char(')');
}

qint32 Tmonde::PosWindow(double x) const {
    if (estNaN(x)) return -1;
    const double p = std::nearbyint(a * x + b);
    if (!(p > -1e9)) return -1000000000;
    if (p > 1e9) return 1000000000;
    return qint32(p);
}

void Tmonde::chercheMinmax(int n, double& ymin, double& ymax) const {
    n = std::clamp(n, 1, int(valeur.size()));
    ymin = ymax = valeur[0];
    for (int i = 1; i < n; ++i) {
        if (valeur[i] < ymin || estNaN(ymin))
            ymin = valeur[i];
        else if (valeur[i] > ymax)
            ymax = valeur[i];
    }
    const double m = (maxi - mini) / 50;
    ymin = std::max(ymin - m, mini);
    ymax = std::min(ymax + m, maxi);
}
