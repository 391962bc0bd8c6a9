#pragma once

#include <QByteArray>
#include <QtGlobal>

// Scans used by the answer decoding. Positions are 1-based, as in the device descriptions;
// none of them reads outside the text, whatever the positions they are given.

// Number of CR bytes in S.
[[nodiscard]] qsizetype NombreCR(const QByteArray& S);
// Position of the last byte of the N-th non-overlapping occurrence of Sous in S; 0 when absent.
[[nodiscard]] qsizetype PosOccurrence(const QByteArray& Sous, const QByteArray& S, qsizetype N);
// Finds a number from Debut on; on return the number is S[Debut .. Fin - 1].
void ChercheNombre(const QByteArray& S, quint8 Sep, qsizetype& Debut, qsizetype& Fin);
// Moves Fin to the end of a leading time or date stamp (hh:mm:ss, dd/mm/yyyy), or leaves it.
void SauteHorodatage(const QByteArray& S, qsizetype& Fin);
