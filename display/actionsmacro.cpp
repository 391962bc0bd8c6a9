#include "display/actionsmacro.h"

#include "display/cinetiquemain.h"

bool TActionsFenetre::LitConfig(const QString& NomFichier) {
    return fenetre_.acq().LitConfig(NomFichier);
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
// when it ends.
void TActionsFenetre::DemarreAppelKalvento() {
    TAcquisition& a = fenetre_.acq();
    a.InitAttente();
    a.AppelKalvento = true;
}
