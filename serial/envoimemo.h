#pragma once

#include <QByteArray>

class QPlainTextEdit;
class TApdComPort;

// Sends `octets` on the port a window borrowed and tells it in `journal`: "Envoi de : " and
// `note` in the control-character notation, or why nothing went.
void EnvoieEtNote(TApdComPort* port, const QByteArray& octets, const QByteArray& note,
                  QPlainTextEdit* journal);
