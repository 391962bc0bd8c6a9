#pragma once

#include <QString>

class TAcquisition;

// The samples in the formats that leave the program. Each writer appends to `texte`.
// The analysis program's file (kw3) keeps the user's decimal separator; the tables (txt, csv)
// always use "." and end their lines with CR LF (txt) or LF (csv).
void EcritEnteteKW3(QString& texte, const TAcquisition& acq);
void EcritPageKW3(QString& texte, const TAcquisition& acq);
void EcritEnteteTexte(QString& texte, const TAcquisition& acq, bool csv);
void EcritPageTexte(QString& texte, const TAcquisition& acq, bool csv);
// The samples as the clipboard and the analysis program receive them. The names of the
// constants are made distinct from the variables' (and kept so in the page information).
QString TexteDonnees(TAcquisition& acq);
