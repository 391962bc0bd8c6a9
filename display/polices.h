#pragma once

#include <QString>

// Fonts the windows ask for by their Windows names get metric-compatible free substitutes
// when the system lacks them. Called before the first window is built.
void InstallePolices();
// The family to draw a Windows font name with: the name itself when the system has it, else
// its installed substitute.
[[nodiscard]] QString FamilleInstallee(const QString& famille);
