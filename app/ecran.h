#pragma once

#include <QString>

class QWidget;

// Icons sized for the screen's resolution.
void AdapteEcran(QWidget* fenetre);
// Opens a file or a web address with the desktop's default program.
void OuvreDocument(QWidget* proprietaire, const QString& document);
