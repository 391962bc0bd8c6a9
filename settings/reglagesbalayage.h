#pragma once

#include "acquisition/modes.h"

#include <QString>
#include <QtGlobal>

// The acquisition settings the mode dialog edits, copied from the engine before it is shown
// and back after it closes (OK or not: the time base and the beep change at once, as the
// dialog's controls move).
struct TReglagesBalayage {
    TModeAcq ModeAcq = maTemps;
    // Time base, seconds.
    quint16 DeltatMesure = 1;
    // Shortest usable δt from the channels' delays; the dialog only reads it.
    quint16 DeltatMin = 1;
    qint32 DureeMesure = 120;
    // Master-instrument mode: abscissa kind and the sound after each sample.
    TabscisseMaitre AbscisseMaitre = amTemps;
    qint32 CodeBeep = 0;
    // Keyboard mode: the abscissa quantity typed by the user.
    QString NomClavier;
    QString UniteClavier;
    double MiniClavier = 0;
    double MaxiClavier = 5;
    // Serial port number of the burette.
    int ComBurette = 1;
    // Trace and log files of the serial traffic ("FichierTrace"/"Actif").
    bool TraceActive = true;
};

// The time base keeps δt within max(DeltatMin, 1)..60 s and the number of samples
// N = DureeMesure div DeltatMesure within 8..2048 (the store's capacity).
inline constexpr int nbrePointsMini = 8;
inline constexpr int nbrePointsMaxi = 2048;
inline constexpr int deltatMaxi = 60;

[[nodiscard]] int NbrePointsMax(const TReglagesBalayage& r);

// δt typed or spun to `deltat`: kept at DeltatMin or above; with too many samples, the smallest
// δt that gives at most 2048; with fewer than 8, the duration div 8 (the duration is lengthened
// to 8 δt when that δt would be below DeltatMin).
void MajTemps(TReglagesBalayage& r, int deltat);

// After the duration changed (stepped or typed): rounded (ArrondiDuree), then δt grows while N
// exceeds 2048 (up to 60 s, where the duration is cut to 2048 δt) and shrinks while N is below
// 8 (down to DeltatMin, where the duration is raised to 8 δt).
void AjusteDuree(TReglagesBalayage& r);
// The duration buttons: one step up or down through the rounded durations, then AjusteDuree.
void DureeSuivanteBalayage(TReglagesBalayage& r);
void DureePrecedenteBalayage(TReglagesBalayage& r);

// The trace option under the user's settings, section "FichierTrace", value "Actif"
// (default on; stored as "1" or "0").
[[nodiscard]] bool LitTraceActive();
void EcritTraceActive(bool actif);
