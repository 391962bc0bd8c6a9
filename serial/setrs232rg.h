#pragma once

#include "serial/voiesserie.h"

#include <QList>

class QGroupBox;

// The numbers of the ports that exist, in increasing order.
[[nodiscard]] QList<int> PortsExistants();

// Fills a group box with one radio button "COM<n>" per existing port, selects the one of
// comDefault (else the first) and records in NumeroCom[k] the port of item k - 1. The items
// fill rows of `colonnes` buttons.
void SetRS232RG(QGroupBox* RG, int comDefault, TNumeroCom& NumeroCom, int colonnes = 5);
// The selected item of a group filled by SetRS232RG; -1 when none.
[[nodiscard]] int indexRS232RG(const QGroupBox* RG);
