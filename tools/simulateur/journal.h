#pragma once

#include <QByteArray>
#include <QString>

// Messages of the simulator go to stderr, one line each, flushed at once so that a parent
// process sees them as they happen.
void signale(const QString& texte);

// Bytes shown on one line: printable ASCII as it is, control bytes by name ("<CR>", "<LF>",
// "<DEL>"), the others and "<" itself in hexadecimal ("<x88>", "<x3c>"). At most `limite`
// bytes are shown.
[[nodiscard]] QString texteLisible(const QByteArray& octets, qsizetype limite = 200);

// Seconds since the simulator started: the time of the value sources.
[[nodiscard]] double secondesEcoulees();
