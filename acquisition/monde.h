#pragma once

#include "instruments/vecteur.h"

#include <QString>

// One axis of the plot with the column of samples drawn along it: the axes are the sample store.
class Tmonde {
public:
    double mini = 0;
    double maxi = 1;
    double a = 1; // pixel = a * value + b, set by the plot
    double b = 0;
    qint32 PosCurseur = -1;
    vecteur valeur{};
    vecteur valeurVar{};
    QString Nom;
    QString Unite;
    QString Signif;
    double deltaAxe = 0;
    double exposant = 0;
    double pointDebut = 0;
    quint8 NbreChiffres = 0;
    bool axeDateTime = false;

    // Either order; equal ends become a range (OrdonneMinMax).
    void SetMinMax(double x1, double x2);
    // Graduation from the range and unit. An empty or unreadable range gets deltaAxe 0:
    // such an axis shows no graduation.
    void setDelta();
    [[nodiscard]] bool graduationPossible() const;
    [[nodiscard]] QString FormatAxe(double x) const;
    [[nodiscard]] QString NomAxe(double puissance) const;
    // -1 for NaN; far values are clamped so that they stay off the plot.
    [[nodiscard]] qint32 PosWindow(double x) const;
    void chercheMinmax(int n, double& ymin, double& ymax) const;
};
