#pragma once

#include <QString>
#include <functional>

class TVoiesSerie;
class Tappareil;

// Messages of the burette test, shown under the burette's port list.
inline const QString texteBuretteNonTestee = QStringLiteral("Port Com de la burette non testé");
inline const QString texteAucuneVoieBurette = QStringLiteral("Pas de voie série sélectionnée");
inline const QString texteProblemeVoieBurette = QStringLiteral("Problème voie série Burette");

// The burette test of the mode dialog, on the port table: the burette takes port `com` and
// that port's object at once; a closed port is set from the burette's line settings, opened,
// given its trace (`trace`) and left 100 ms to settle; then `initBurette` identifies the
// burette and returns the text to show (its identification, or why it failed). A port that
// cannot be opened, or fails meanwhile, gives "Problème voie série Burette".
[[nodiscard]] QString TesteBurette(TVoiesSerie& voies, Tappareil& burette, int com, bool trace,
                                   const std::function<QString()>& initBurette);
