#pragma once

#include <QRect>
#include <QString>

// One axis of the plot. The sample columns, graduation and pixel mapping come with the store.
struct Tmonde {
    QString Nom;
    QString Unite;
    double mini = 0;
    double maxi = 1;
};

// The plot and the sample store; one per main window.
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
