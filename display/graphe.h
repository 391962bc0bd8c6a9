#pragma once

#include "display/monde.h"

#include <QRect>

// The plot and the sample store; one per main window. The drawing itself comes with the plot.
class Tgraphe {
public:
    static constexpr int MaxVoies = 9;

    int NbreVoies = 0;  // channels in use, 0..9
    int NbrePoints = 0; // samples recorded
    bool avecLigne = false;
    Tmonde mondeX;
    Tmonde mondeY[MaxVoies];
    QRect LimiteFenetre;
};
