#pragma once

#include <QString>
#include <future>

// Fonts the windows ask for by their Windows names get metric-compatible free substitutes
// when the system lacks them. Called before the first window is built.
void InstallePolices();
// The family to draw a Windows font name with: the name itself when the system has it, else
// its installed substitute.
[[nodiscard]] QString FamilleInstallee(const QString& famille);

// Installs the substitutes and lays a line out in each font the main window first shows, on
// another thread: the font list and each font's fallbacks, once found, serve every thread, and
// finding them is a good part of the window's first drawing. The window is built once this is
// done (the substitutes must be in place).
[[nodiscard]] std::future<void> PrechauffePolices();
