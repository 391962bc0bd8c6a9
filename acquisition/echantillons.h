#pragma once

#include "acquisition/modes.h"
#include "acquisition/monde.h"

#include <QList>
#include <QString>

// A marker at an abscissa; its text goes out with the data.
struct Trepere {
    double Valeur = 0;
    QString Text;
};

// The samples of an acquisition: the abscissa and one column per channel, each held by the
// axis it is drawn along, with the markers. The engine owns it; the plot draws it.
struct TEchantillons {
    static constexpr int MaxVoies = 9;

    Tmonde mondeX;
    Tmonde mondeY[MaxVoies];
    QList<Trepere> ListeRepere;
    int NbrePoints = 0; // samples recorded
    int NbreVoies = 0;  // channels in use, 0..9
    TabscisseMaitre AbscisseMaitre = amTemps;
    indiceVoie voieMaitre = 0;
    // Samples joined by lines on the plot.
    bool avecLigne = false;
};
