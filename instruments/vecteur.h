#pragma once

#include <QtGlobal>
#include <array>

// Channel index, 0..8.
using indiceVoie = quint8;
// Sample index, 0..2048.
using indiceVecteur = quint16;

inline constexpr indiceVoie nbreVoiesMax = 9;
inline constexpr indiceVecteur indiceVecteurMax = 2048;

// Every sample column and the stability buffers; nothing is written past index 2048.
using vecteur = std::array<double, indiceVecteurMax + 1>;
