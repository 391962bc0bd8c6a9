#pragma once

// The acquisition bench around the main window.
#include "display/cinetiquemain.h"

inline TAcquisition& moteurDe(TCinetiqueMain& f) {
    return f.acq();
}

#include "bancacquisition.h"
