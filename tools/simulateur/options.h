#pragma once

#include "becher.h"
#include "burettesimulee.h"
#include "instrumentsimule.h"

#include <QString>
#include <QStringList>
#include <vector>

// One --appareil and the options that follow it.
struct OptionsAppareil {
    QString nom;
    // Device file the description is read from; empty: the built-in catalogue.
    QString fichier;
    QString lien;
    // Value source (see SourceValeur); empty: the middle of the description's range.
    QString source;
    ReglagesJeu jeu;
    // The Titronic burette (--burette) instead of a description.
    bool burette = false;
    ReglagesBurette reglagesBurette;
};

struct OptionsSimulateur {
    std::vector<OptionsAppareil> appareils;
    bool aide = false;
    bool liste = false;
    // The device file --liste reads (the last --fichier given); empty: the catalogue.
    QString fichierListe;
    bool stdinFin = false;
    bool graineDonnee = false;
    quint32 graine = 0;
    // The acid of the simulated titration (--becher); empty: no beaker.
    QString becher;
    ReglagesBecher reglagesBecher;
};

// Options given before the first --appareil apply to every instrument; those after an
// --appareil to that one only. False with a French message on a mistake.
[[nodiscard]] bool litOptions(const QStringList& arguments, OptionsSimulateur& options,
                              QString& erreur);
[[nodiscard]] QString texteAide();
