#pragma once

#include <QString>

// Which device stands for port number COM n (1..50). In order of precedence:
// 1. the environment variable TELMIRA_COM<n> (tests and demonstrations point it at a
//    pseudo-terminal);
// 2. the user's setting "Ports/COM<n>";
// 3. the default table, chosen so that a USB serial adapter works without any set-up
//    (instrument descriptions default to COM1):
//      COM1..COM4   -> /dev/ttyUSB0..3   (USB-serial adapters: FTDI, Prolific, CH340...)
//      COM5..COM8   -> /dev/ttyACM0..3   (USB CDC-ACM devices)
//      COM9..COM12  -> /dev/ttyS0..3     (built-in ports)
//      COM13..COM50 -> /dev/ttyUSB4..41
//    On other systems port n is the system's "COM<n>".
[[nodiscard]] QString cheminParDefaut(int n);
// Empty outside 1..50.
[[nodiscard]] QString cheminPort(int n);

// True when a plain open of the device of COM n succeeds, or fails only because the device is
// held or not permitted; whatever was opened is closed at once. A port object that already holds
// the device is not disturbed.
[[nodiscard]] bool PortExiste(int n);
