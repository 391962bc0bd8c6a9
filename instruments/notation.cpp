#include "instruments/notation.h"

#include "app/cp1252.h"

const std::array<const char*, 32> nomControle = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",   "TAB", "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "XON", "DC2", "XOFF", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",   "US"};

QString CodeEnTexte(const QByteArray& Code) {
    QString texte;
    for (const char c : Code) {
        const auto octet = static_cast<unsigned char>(c);
        if (octet < 32)
            texte += QLatin1Char('|') + QLatin1String(nomControle[octet]) + QLatin1Char('|');
        else
            texte += caractereCp1252(octet);
    }
    return texte;
}

QByteArray TexteEnCode(const QString& Texte) {
    constexpr qsizetype Maxi = 250;
    QByteArray r;
    qsizetype i = 0;
    while (i < Texte.size() && r.size() < Maxi) {
        if (Texte.at(i) != QLatin1Char('|')) {
            // Characters of the code page give their byte (the euro sign 0x80), so that texts
            // read from a device file come back as the bytes they were written from.
            const QByteArray octet = versCp1252(Texte.mid(i, 1));
            r.append(octet == "?" && Texte.at(i) != QLatin1Char('?')
                         ? char(Texte.at(i).unicode() & 0xFF)
                         : octet.at(0));
            ++i;
            continue;
        }
        qsizetype fin = Texte.indexOf(QLatin1Char('|'), i + 1);
        if (fin < 0) fin = Texte.size();
        QString nom = Texte.mid(i + 1, fin - i - 1);
        // Advance by the name as written: "DC3" is read as the longer "XOFF".
        const qsizetype longueur = nom.size();
        if (nom.isEmpty()) {
            r.append('|');
        } else {
            for (QChar& c : nom)
                if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
            if (nom == QLatin1String("DC1")) nom = QStringLiteral("XON");
            if (nom == QLatin1String("DC3")) nom = QStringLiteral("XOFF");
            char octet = ' ';
            for (int code = 0; code < 32; ++code) {
                if (nom == QLatin1String(nomControle[code])) {
                    octet = char(code);
                    break;
                }
            }
            r.append(octet);
        }
        i += longueur + 2;
    }
    return r;
}

void ReponseEnLignes(const QByteArray& Reponse, QStringList& Lignes) {
    Lignes.clear();
    QString ligne;
    for (const char c : Reponse) {
        const auto octet = static_cast<unsigned char>(c);
        if (octet < 32) {
            ligne += QLatin1Char('|') + QLatin1String(nomControle[octet]) + QLatin1Char('|');
            if (octet == 13) {
                Lignes << ligne;
                ligne.clear();
            }
        } else if (octet == 127 || octet == 129 || octet == 230) {
            ligne += QChar(0xB5);
        } else if (octet == 248) {
            ligne += QChar(0xB0);
        } else {
            ligne += caractereCp1252(octet);
        }
    }
    if (!ligne.isEmpty()) Lignes << ligne;
}
