#include "instruments/reponsetype.h"

#include "app/cp1252.h"
#include "instruments/appareil.h"

#include <cmath>

namespace {
struct Prefixe {
    char octet = 0; // 0: none
    double facteur = 1;
};

// The prefixes the decoding reads, by power of a thousand, for small values and very large ones
// (instruments write thousands with their digit separator). "M" reads as milli there, so the
// mega range is written in kilo.
Prefixe choisitPrefixe(double v) {
    if (v == 0 || !std::isfinite(v)) return {};
    const int groupe = int(std::floor(std::log10(std::fabs(v)) / 3));
    switch (groupe) {
    case -4:
        return {'p', 1E-12};
    case -3:
        return {'n', 1E-9};
    case -2:
        return {'u', 1E-6};
    case -1:
        return {'m', 1E-3};
    case 2:
        return {'k', 1E3};
    case 3:
        return {'G', 1E9};
    default:
        return {};
    }
}

bool estOctetPrefixe(char c) {
    return QByteArrayLiteral("pnumMkG\x7f\x81\xb5\xe6").contains(c);
}

// The number with `decimales` decimals at most, trailing zeros dropped but one kept, and the
// digit separator between groups of three in the integer part.
QByteArray ecritNombre(double m, int decimales, quint8 separateur) {
    QByteArray t = QByteArray::number(m, 'f', std::max(decimales, 0));
    if (decimales > 0) {
        while (t.endsWith('0') && !t.endsWith(".0"))
            t.chop(1);
    }
    const bool groupe = separateur != 0 && separateur != '.' && separateur != ',' &&
                        !(separateur >= '0' && separateur <= '9');
    if (groupe) {
        const qsizetype debut = (t.startsWith('-') || t.startsWith('+')) ? 1 : 0;
        qsizetype point = t.indexOf('.');
        if (point < 0) point = t.size();
        for (qsizetype i = point - 3; i > debut; i -= 3)
            t.insert(i, char(separateur));
    }
    return t;
}

int chiffresEntiers(double m) {
    const double a = std::fabs(m);
    return a < 1 ? 1 : int(std::floor(std::log10(a))) + 1;
}

// The filler numbers that stand before the wanted one.
QByteArray bourrage(int rang) {
    QByteArray t;
    for (int i = 1; i < rang; ++i)
        t += QByteArray::number(i) + ' ';
    return t;
}

QByteArray lignesVides(int n) {
    QByteArray t;
    for (int i = 0; i < n; ++i)
        t += "\r\n";
    return t;
}

QByteArray completeA(QByteArray t, qsizetype taille) {
    if (t.size() < taille) t += QByteArray(taille - t.size(), ' ');
    return t;
}
} // namespace

QByteArray ReponseType(const Tappareil& a, double valeur) {
    const bool prefixeLu = a.LireCoeffUnite || a.LireNomUnite;
    const bool verifie = !a.TexteVerif.isEmpty() && a.NumeroVerif > 0;
    Prefixe prefixe = prefixeLu ? choisitPrefixe(valeur) : Prefixe{};
    // The verification text stands at a set place after the number: a prefix must fit before it.
    if (verifie && a.NumeroVerif < 2) prefixe = {};
    const double mantisse = valeur / prefixe.facteur;
    const QByteArray unite = versCp1252(a.UniteGrandeur);
    const QByteArray prefixeTexte = prefixe.octet ? QByteArray(1, prefixe.octet) : QByteArray();

    QByteArray suite;
    if (verifie) {
        suite =
            QByteArray(a.NumeroVerif - 1 - prefixeTexte.size(), ' ') + prefixeTexte + a.TexteVerif;
    } else {
        // Without a prefix, a unit that starts like one would be read as one.
        const bool uniteLisible =
            prefixe.octet || !prefixeLu || unite.isEmpty() || !estOctetPrefixe(unite.at(0));
        const QByteArray u = prefixeTexte + (uniteLisible ? unite : QByteArray());
        if (!u.isEmpty()) suite = ' ' + u;
        if (!a.TexteVerif.isEmpty()) suite += ' ' + a.TexteVerif;
    }

    const int decimalesVoulues = std::max(1, 6 - chiffresEntiers(mantisse));
    // The longest number text that fits in `largeur` bytes (or the shortest one).
    const auto nombreDans = [&](qsizetype largeur) {
        for (int d = decimalesVoulues; d > 0; --d) {
            const QByteArray t = ecritNombre(mantisse, d, a.SeparateurChiffre);
            if (t.size() <= largeur) return t;
        }
        return ecritNombre(mantisse, 0, a.SeparateurChiffre);
    };
    const QByteArray nombre = ecritNombre(mantisse, decimalesVoulues, a.SeparateurChiffre);
    const int lignesEnPlus = std::max(0, int(a.NbreLignes) - 1);
    const qsizetype record = std::max<qsizetype>(a.NbreCarac, 1);

    if (a.EnvoiDirect && !a.Demande.isEmpty() && a.DebutNombre <= 0) {
        // The key text follows the number: the number and its prefix fill the bytes before it.
        const qsizetype fenetre = -qsizetype(a.DebutNombre);
        QByteArray avant = prefixe.octet ? ' ' + prefixeTexte : QByteArrayLiteral(" ");
        QByteArray n = nombreDans(fenetre - avant.size());
        if (n.size() + avant.size() > fenetre) avant = prefixeTexte;
        n = nombreDans(fenetre - avant.size());
        QByteArray champ = (n + avant).rightJustified(fenetre, ' ');
        const QByteArray texte = champ + a.Demande;
        if (a.FormatFixe) return completeA(texte, record - 2) + "\r\n";
        return texte + "\r\n" + lignesVides(lignesEnPlus);
    }

    if (a.EnvoiDirect && !a.Demande.isEmpty()) {
        // The key text comes first; the search for the number starts DebutNombre bytes into it.
        const qsizetype ecart = std::max<qsizetype>(1, a.DebutNombre - 1 - a.Demande.size());
        const int rang = a.FormatFixe ? 1 : std::max(1, int(a.NumeroOrdre));
        const QByteArray texte =
            a.Demande + QByteArray(ecart, ' ') + bourrage(rang) + nombre + suite;
        if (a.FormatFixe) return completeA(texte, record - 2) + "\r\n";
        return texte + "\r\n" + lignesVides(lignesEnPlus);
    }

    if (a.FormatFixe) {
        const bool continu = a.EnvoiDirect;
        if (!continu && a.DebutNombre < 0) {
            // Counted from the end: the number opens the last |DebutNombre| bytes.
            const qsizetype fin = -qsizetype(a.DebutNombre);
            const QByteArray n = nombreDans(fin);
            const QByteArray queue = (n + suite + '\r').left(std::max(fin, n.size()));
            const QByteArray corps = completeA(queue, fin);
            return QByteArray(std::max<qsizetype>(0, record - corps.size()), ' ') + corps;
        }
        const qsizetype debut = std::max(1, int(a.DebutNombre));
        QByteArray entete = versCp1252(a.SymboleGrandeur) + '=';
        entete = completeA(entete.left(debut - 1), debut - 1);
        const QByteArray fin = continu ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
        const qsizetype largeur = record - entete.size() - suite.size() - fin.size();
        const QByteArray n = nombreDans(largeur);
        // Right-justified: the blanks before the number are skipped by the search.
        return entete + n.rightJustified(largeur, ' ') + suite + fin;
    }

    // Lines: the wanted number after the ones that precede it.
    return bourrage(std::max(1, int(a.NumeroOrdre))) + nombre + suite + "\r\n" +
           lignesVides(lignesEnPlus);
}
