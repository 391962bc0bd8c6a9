#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// The program's button images, drawn in code so that they stay sharp at any resolution.
// Names: "fichier", "ajouter", "aide", "apropos", "acquerir", "repere", "defaire", "stop",
// "raz", "kalvento", "copier", "multimetre", "dosage", "valider", "suite-h" and "suite-v" (the
// tool bars' overflow button), and "mode0".."mode4" for the acquisition modes in their
// declaration order.
QIcon icone(const QString& nom);

// Draws these images at this side ahead, on any thread once the application object exists (a
// painter asks it for a font): the icons icone() makes then take them instead of drawing them
// while a window first shows.
void PrepareIcones(const QStringList& noms, int cote);
