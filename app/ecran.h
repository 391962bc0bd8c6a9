#pragma once

#include <QString>

class QBoxLayout;
class QPushButton;
class QWidget;

// Icons sized for the screen's resolution.
void AdapteEcran(QWidget* fenetre);
// Opens a file or a web address with the desktop's default program.
void OuvreDocument(QWidget* proprietaire, const QString& document);

// A push button of a dialog, named for the tests, that never takes Enter for itself; added to
// `boite` when one is given.
QPushButton* Bouton(const QString& texte, const char* nom, QWidget* parent,
                    QBoxLayout* boite = nullptr);
