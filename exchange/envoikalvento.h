#pragma once

#include "exchange/transfertkalvento.h"

#include <functional>
#include <memory>

class TPageDlg;

// The transfer to Kalvento with the system clipboard and the busy cursor; `TexteDonnees`
// builds the clipboard text. `dossierCanaux`: the user's runtime folder when empty.
std::unique_ptr<TFormDDE> CreeFormDDE(std::function<QString()> TexteDonnees,
                                      const QString& dossierCanaux = {});

// The "Kalvento" button: shows the page dialog with its choice "Données vers Kalvento", then
// sends the samples. True when Kalvento got them (the samples then count as saved); the
// dialog's choice is left at "Nouvelle page" unless it was cancelled.
bool KalventoSaveBtnClick(TPageDlg& PageDlg, TFormDDE& FormDDE, bool& PagePermise);
