#include "display/actionsmacro.h"

#include "display/cinetiquemain.h"

#include <QFileInfo>

// A set-up from outside replaces the samples: unsaved ones are asked about first, as for a
// second start (a file that is not there is ignored without a question).
bool TActionsFenetre::LitConfig(const QString& NomFichier) {
    TAcquisition& a = fenetre_.acq();
    if (!QFileInfo(TAcquisition::NomFichierConfig(NomFichier)).isFile()) return false;
    return a.PerteDonneesAcceptee() && a.LitConfig(NomFichier);
}

bool TActionsFenetre::SauveConfig(const QString& NomFichier) {
    return fenetre_.acq().SauveConfig(NomFichier);
}

void TActionsFenetre::SetPagePermise(bool Permise) {
    fenetre_.acq().PagePermise = Permise;
}

void TActionsFenetre::PrendFocus() {
    fenetre_.setWindowState(fenetre_.windowState() & ~Qt::WindowMinimized);
    fenetre_.show();
    fenetre_.raise();
    fenetre_.activateWindow();
}

// The set-up starts again, and the samples of the run it prepares go to the analysis program
// when it ends; unsaved samples are asked about first.
void TActionsFenetre::DemarreAppelKalvento() {
    TAcquisition& a = fenetre_.acq();
    if (!a.PerteDonneesAcceptee()) return;
    a.InitAttente();
    a.AppelKalvento = true;
}
