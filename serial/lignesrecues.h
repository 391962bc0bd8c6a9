#pragma once

#include <QByteArray>
#include <optional>
#include <utility>

// Bytes received by a terminal gathered into log lines: bytes from 32 up are kept; LF, CR, XON
// and XOFF end the line, and TAB too when `tabFinit`; other control bytes are dropped. Returns
// the line `octet` completes, if it completes a non-empty one.
[[nodiscard]] inline std::optional<QByteArray> ajouteOctetLigne(QByteArray& tampon, quint8 octet,
                                                                bool tabFinit) {
    if (octet >= 32) {
        tampon.append(char(octet));
        return std::nullopt;
    }
    const bool fin =
        octet == 10 || octet == 13 || octet == 17 || octet == 19 || (tabFinit && octet == 9);
    if (!fin || tampon.isEmpty()) return std::nullopt;
    return std::exchange(tampon, {});
}
