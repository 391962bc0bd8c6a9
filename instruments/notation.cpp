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

namespace {
// The Greek letters from alpha (U+03B1) and Alpha (U+0391), in alphabet order; the final
// sigma has no capital and goes by its code.
constexpr std::array<const char*, 25> nomsGrecs = {
    "alpha", "beta",   "gamma",   "delta", "epsilon", "zeta",    "eta",  "theta", "iota",
    "kappa", "lambda", "mu",      "nu",    "xi",      "omicron", "pi",   "rho",   nullptr,
    "sigma", "tau",    "upsilon", "phi",   "chi",     "psi",     "omega"};

QString nomCaractere(char32_t c) {
    if (c >= 0x03B1 && c <= 0x03C9 && nomsGrecs[c - 0x03B1])
        return QString::fromLatin1(nomsGrecs[c - 0x03B1]);
    if (c >= 0x0391 && c <= 0x03A9 && nomsGrecs[c - 0x0391]) {
        QString nom = QString::fromLatin1(nomsGrecs[c - 0x0391]);
        nom[0] = nom[0].toUpper();
        return nom;
    }
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

// The character a name between bars stands for; 0 when the name is none of ours.
char32_t caractereNomme(QStringView nom) {
    if (nom.size() > 2 && nom.startsWith(QLatin1String("U+"))) {
        bool ok = false;
        const uint code = nom.mid(2).toUInt(&ok, 16);
        return ok && code >= 0x80 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)
                   ? char32_t(code)
                   : 0;
    }
    for (std::size_t i = 0; i < nomsGrecs.size(); ++i) {
        if (!nomsGrecs[i]) continue;
        const QLatin1String grec(nomsGrecs[i]);
        if (nom == grec) return char32_t(0x03B1 + i);
        if (nom.size() == grec.size() && nom.front() == QChar(grec.front()).toUpper() &&
            nom.mid(1) == grec.sliced(1))
            return char32_t(0x0391 + i);
    }
    return 0;
}
} // namespace

QString TexteVersFichier(const QString& texte) {
    QString r;
    for (const char32_t c : texte.toUcs4()) {
        const QString un = QString::fromUcs4(&c, 1);
        if (c == U'?' || versCp1252(un) != "?")
            r += un;
        else
            r += QLatin1Char('|') + nomCaractere(c) + QLatin1Char('|');
    }
    return r;
}

QString TexteDepuisFichier(const QString& texte) {
    QString r;
    qsizetype i = 0;
    while (i < texte.size()) {
        const qsizetype fin =
            texte.at(i) == QLatin1Char('|') ? texte.indexOf(QLatin1Char('|'), i + 1) : -1;
        const char32_t c = fin > i ? caractereNomme(QStringView(texte).mid(i + 1, fin - i - 1)) : 0;
        if (c) {
            r += QString::fromUcs4(&c, 1);
            i = fin + 1;
        } else {
            r += texte.at(i++);
        }
    }
    return r;
}
