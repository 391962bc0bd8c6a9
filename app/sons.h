#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// Sounds of the beep codes (the "Bip :" list of the mode dialog, played after each sample of
// the master-instrument mode): 0 none, 1 simple beep, 2 information (asterisk), 3 warning
// (exclamation), 4 error (hand, critical stop), 5 question, 6 default sound.
inline constexpr int nbreCodesBeep = 7;

// How one sound is played: a program started detached with its arguments, or the plain beep.
struct TSon {
    QString programme;
    QStringList arguments;
    bool bip = false;
    [[nodiscard]] bool muet() const { return programme.isEmpty() && !bip; }
};

// What the session offers: the sound players found on the PATH, name ("canberra-gtk-play",
// "pw-play", "paplay") to path, and the sound theme folders to search ($XDG_DATA_HOME/sounds,
// then each $XDG_DATA_DIRS/sounds).
struct TEnvironnementSon {
    QMap<QString, QString> lecteurs;
    QStringList dossiersSons;
};

[[nodiscard]] TEnvironnementSon environnementSon();

// The sound of a code in that environment. The desktop's event sounds come first (the
// freedesktop names: bell, dialog-information, dialog-warning, dialog-error, window-question,
// message), one distinct sound per code; without a player or a sound file, the plain beep.
[[nodiscard]] TSon ChoisitSon(int CodeBeep, const TEnvironnementSon& env);

// Plays the sound of a code without waiting for it; code 0 and codes out of range play nothing.
void JoueSon(int CodeBeep);

// The plain beep. The windowed program installs QApplication::beep; without it a bell character
// goes to a terminal on the standard error output.
void installeBip(std::function<void()> bip);
void Bip();
