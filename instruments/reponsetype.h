#pragma once

#include <QByteArray>

class Tappareil;

// An answer laid out as the description expects it (lines or fixed record, rank of the number,
// key text, unit prefix, digit separator, verification text), carrying `valeur` in the
// description's unit. Used by the instrument simulator and to check the catalogue against the
// decoding. `valeur` must be a finite number.
[[nodiscard]] QByteArray ReponseType(const Tappareil& appareil, double valeur);
