#include "app/cp1252.h"

#include <array>

namespace {
// 0x80..0x9F; the five holes of the code page map to the same-valued control characters.
constexpr std::array<char16_t, 32> hauts = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char versOctet(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (std::size_t i = 0; i < hauts.size(); ++i)
        if (hauts[i] == c) return char(0x80 + i);
    return '?';
}
} // namespace

QChar caractereCp1252(unsigned char octet) {
    if (octet >= 0x80 && octet <= 0x9F) return QChar(hauts[octet - 0x80]);
    return QChar(octet);
}

QString depuisCp1252(QByteArrayView octets) {
    QString texte(octets.size(), Qt::Uninitialized);
    QChar* c = texte.data();
    for (const char o : octets)
        *c++ = caractereCp1252(static_cast<unsigned char>(o));
    return texte;
}

QByteArray versCp1252(const QString& texte) {
    QByteArray octets;
    octets.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        // A character outside the basic plane is one "?" for its two halves.
        if (c.isHighSurrogate() && i + 1 < texte.size() && texte.at(i + 1).isLowSurrogate()) ++i;
        octets.append(c.isSurrogate() ? '?' : versOctet(c.unicode()));
    }
    return octets;
}
