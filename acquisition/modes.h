#pragma once

// How samples are taken, and where an acquisition stands.
enum TModeAcq { maTemps, maIncrement, maAppareilMaitre, maClavier, maBuretteTelmira };

enum TEtatAcquisition { eaEnCours, eaTerminee, eaAttente, eaNone, eaIncrement, eaClavier };

// What the abscissa of the samples is when an instrument sends on its own.
enum TabscisseMaitre { amTemps, amIndex, amVoie0 };
