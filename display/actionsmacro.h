#pragma once

#include "exchange/macro.h"

class TCinetiqueMain;

// What the command channel's macros do to this program: set-up files through the engine, the
// window brought forward, an acquisition started for the analysis program.
class TActionsFenetre : public TActionsMacro {
public:
    explicit TActionsFenetre(TCinetiqueMain& fenetre) : fenetre_(fenetre) {}

    bool LitConfig(const QString& NomFichier) override;
    bool SauveConfig(const QString& NomFichier) override;
    void SetPagePermise(bool Permise) override;
    void PrendFocus() override;
    void DemarreAppelKalvento() override;

private:
    TCinetiqueMain& fenetre_;
};
