#pragma once

#include <QString>
#include <QtGlobal>

// Durations in seconds stepped through rounded values: by 10 or 15 s below 3 min, then by
// minutes, 5 min, 10 min, and by quarters of an hour from one hour on.
void ArrondiDuree(qint32& D);
void DureeSuivante(qint32& D);
void DureePrecedente(qint32& D);

// h:mm:ss; hours keep counting past a day (2048 intervals of 60 s make 34 h).
QString FormatDuree(qint32 secondes);
// h:mm or h:mm:ss typed in the duration box; false when the text is not a duration.
bool LitDuree(const QString& texte, qint32& secondes);
