#pragma once

#include <QStringList>

class QTextStream;

// The recorder without a window: `telmira --enregistre CONFIG.tm2 --sortie FICHIER` runs the
// set-up until its duration, its sample count or the end of the titration (or until SIGINT /
// SIGTERM, which end the run and keep what was recorded), shows its progress on `journal`
// and writes the samples in the format of the file's extension (kw3, txt, csv).
// `arguments` are the command line without the program's name. Exit status: 0 done, 2 bad
// command line, 3 unusable set-up, 4 file not writable, 5 port absent, 6 nothing recorded.
int Enregistre(const QStringList& arguments, QTextStream& journal);

// The options of the command line, in French, for --aide.
QString TexteAideLigneCommande();
