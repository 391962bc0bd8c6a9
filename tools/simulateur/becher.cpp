#include "becher.h"

#include <cmath>

namespace {
constexpr double Ke = 1E-14;
} // namespace

bool ReglagesBecher::choisit(const QString& acide) {
    const QString nom = acide.trimmed().toLower();
    if (nom == QLatin1String("hcl")) {
        pKa.reset();
        return true;
    }
    if (nom == QLatin1String("acetique") || nom == QLatin1String("acétique")) {
        pKa = 4.76;
        return true;
    }
    return false;
}

Becher::Becher(const ReglagesBecher& reglages, std::function<double(double)> volumeVerse)
    : reglages_(reglages), volumeVerse_(std::move(volumeVerse)) {}

double Becher::pHEquilibre(double volumeSoude) const {
    const double Vb = std::max(0.0, volumeSoude);
    const double total = reglages_.volumeAcide + Vb;
    const double acide = reglages_.concentrationAcide * reglages_.volumeAcide / total;
    const double sodium = reglages_.concentrationSoude * Vb / total;
    const double Ka = reglages_.pKa ? std::pow(10.0, -*reglages_.pKa) : 0;
    // [H+] + [Na+] = [A-] + [OH-]; the excess of charge grows with [H+]: halve the pH range.
    const auto exces = [&](double h) {
        const double base = reglages_.pKa ? acide * Ka / (Ka + h) : acide;
        return h + sodium - Ke / h - base;
    };
    double bas = -2;
    double haut = 16;
    for (int i = 0; i < 100; ++i) {
        const double milieu = (bas + haut) / 2;
        (exces(std::pow(10.0, -milieu)) > 0 ? bas : haut) = milieu;
    }
    return (bas + haut) / 2;
}

double Becher::pH(double t) {
    const double equilibre = pHEquilibre(volumeVerse_(t));
    if (premier_ || reglages_.constanteTemps <= 0) {
        lu_ = equilibre;
    } else {
        const double dt = std::max(0.0, t - tPrecedent_);
        lu_ = equilibre + (lu_ - equilibre) * std::exp(-dt / reglages_.constanteTemps);
    }
    premier_ = false;
    tPrecedent_ = t;
    return lu_;
}
