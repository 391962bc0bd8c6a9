#pragma once

#include <QString>
#include <QTextStream>

// Sends one macro to the running copy of this program over its command channel, writes the
// answer (or why there is none) to `sortie`, and returns 0 when the answer is "ok", 1 when
// the macro failed, 2 when no copy runs or the macro cannot be sent, 3 when no answer came.
// Needs a QCoreApplication (or QApplication). `dossier` and `service` default to the user's
// runtime folder and this program's service.
int EnvoieMacroCommande(const QString& macro, QTextStream& sortie, const QString& dossier = {},
                        const QString& service = {}, int attenteMs = 120000);
