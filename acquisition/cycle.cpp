#include "display/cinetiquemain.h"

void TCinetiqueMain::TriggerAvail(TApdComPort* CP, quint16 Count) {
    Q_UNUSED(CP);
    Q_UNUSED(Count);
}
