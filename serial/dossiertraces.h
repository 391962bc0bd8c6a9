#pragma once

#include <QString>

// Folder of the serial trace and log files (telmira_<port><letter>.trc and .log): the user's
// state folder, $XDG_STATE_HOME/telmira (~/.local/state/telmira by default); on systems without
// one, the program's data folder. Under QStandardPaths' test mode, ~/.qttest/state/telmira.
// The folder is not created here: the files' writer makes it when it first writes.
[[nodiscard]] QString dossierTraces();

// A trace or log name as the port table gives it (a bare file name) placed in dossierTraces();
// an absolute name is kept.
[[nodiscard]] QString cheminDansDossierTraces(const QString& nom);
