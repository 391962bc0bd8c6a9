#pragma once

// The acquisition mode, in the order of the mode dialog's items and of the set-up files.
enum TModeAcq { maTemps, maIncrement, maAppareilMaitre, maClavier, maBuretteTelmira };

// What the abscissa of the samples is when an instrument sends on its own.
enum TabscisseMaitre { amTemps, amIndex, amVoie0 };
