#include "instruments/unite.h"

#include <vector>

namespace {
struct Entree {
    const char16_t* nom;
    int puissance;
    std::array<int, 7> dim;
    TuniteSansDim sansDim = tuVide;
};

const std::vector<Entree>& unitesBase() {
    static const std::vector<Entree> table = {
        {u"m", 0, {1, 0, 0, 0, 0, 0, 0}},        {u"A", 0, {0, 0, 0, 1, 0, 0, 0}},
        {u"g", -3, {0, 1, 0, 0, 0, 0, 0}},       {u"K", 0, {0, 0, 0, 0, 1, 0, 0}},
        {u"mol", 0, {0, 0, 0, 0, 0, 1, 0}},      {u"cd", 0, {0, 0, 0, 0, 0, 0, 1}},
        {u"H", 0, {2, 1, -2, -2, 0, 0, 0}},      {u"mol/L", 3, {-3, 0, 0, 0, 0, 1, 0}},
        {u"F", 0, {-2, -1, 4, 2, 0, 0, 0}},      {u"N", 0, {1, 1, -2, 0, 0, 0, 0}},
        {u"Ω", 0, {2, 1, -3, -2, 0, 0, 0}},      {u"S", 0, {-2, -1, 3, 2, 0, 0, 0}},
        {u"T", 0, {0, 1, -2, -1, 0, 0, 0}},      {u"V", 0, {2, 1, -3, -1, 0, 0, 0}},
        {u"Hz", 0, {0, 0, -1, 0, 0, 0, 0}},      {u"s", 0, {0, 0, 1, 0, 0, 0, 0}},
        {u"Pa", 0, {-1, 1, -2, 0, 0, 0, 0}},     {u"J", 0, {2, 1, -2, 0, 0, 0, 0}},
        {u"W", 0, {2, 1, -3, 0, 0, 0, 0}},       {u"C", 0, {0, 0, 1, 1, 0, 0, 0}},
        {u"Wb", 0, {2, 1, -2, -1, 0, 0, 0}},     {u"lm", 0, {0, 0, 0, 0, 0, 0, 1}},
        {u"N/m", 0, {0, 1, -2, 0, 0, 0, 0}},     {u"J/K", 0, {2, 1, -2, 0, -1, 0, 0}},
        {u"J/kg.K", 0, {2, 0, -2, 0, -1, 0, 0}}, {u"V/m", 0, {1, 1, -3, -1, 0, 0, 0}},
        {u"S/m", 0, {-3, -1, 3, 2, 0, 0, 0}},    {u"W/m.K)", 0, {1, 1, -3, 0, -1, 0, 0}},
        {u"C.m", 0, {1, 0, 1, 1, 0, 0, 0}},      {u"Ωm", 0, {3, 1, -3, -2, 0, 0, 0}},
        {u"N.m", 0, {2, 1, -2, 0, 0, 0, 0}},     {u"A/m", 0, {-1, 0, 0, 1, 0, 0, 0}},
        {u"1", 0, {0, 0, 0, 0, 0, 0, 0}}};
    return table;
}

const std::vector<Entree>& unitesAutres() {
    static const std::vector<Entree> table = {{u"L", -3, {3, 0, 0, 0, 0, 0, 0}},
                                              {u"°C", 0, {0, 0, 0, 0, 1, 0, 0}},
                                              {u"bar", 5, {-1, 1, -2, 0, 0, 0, 0}},
                                              {u"dB", 0, {0, 0, 0, 0, 0, 0, 0}, tuDecibel},
                                              {u"tr", 0, {0, 0, 0, 0, 0, 0, 0}, tuTour}};
    return table;
}

const Entree* cherche(const QString& nom) {
    for (const auto* table : {&unitesBase(), &unitesAutres()})
        for (const Entree& e : *table)
            if (nom == QString::fromUtf16(e.nom)) return &e;
    return nullptr;
}

Tunite depuisEntree(const Entree& e) {
    Tunite u;
    u.FnomUnite = QString::fromUtf16(e.nom);
    u.Puissance = qint8(e.puissance);
    for (int k = 0; k < 7; ++k)
        u.Dimension[k] = qint8(e.dim[k]);
    u.sansDim = e.sansDim;
    return u;
}

int puissancePrefixe(QChar c) {
    switch (c.unicode()) {
    case 'a':
        return -18;
    case 'f':
        return -15;
    case 'p':
        return -12;
    case 'n':
        return -9;
    case 0xB5:
        return -6; // µ
    case 0x3BC:
        return -6; // Greek mu, which keyboards also give
    case 'm':
        return -3;
    case 'c':
        return -2;
    case 'd':
        return -1;
    case 'h':
        return 2;
    case 'k':
        return 3;
    case 'M':
        return 6;
    case 'G':
        return 9;
    case 'T':
        return 12;
    case 'P':
        return 15;
    case 'E':
        return 18;
    default:
        return 0;
    }
}

bool estLettre(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == 0xB5 || u == 0xA9;
}

bool estLettreAscii(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

const char16_t exposants[10] = {0x2070, 0x00B9, 0x00B2, 0x00B3, 0x2074,
                                0x2075, 0x2076, 0x2077, 0x2078, 0x2079};

// Digit value of an exponent digit, plain or superscript; -1 otherwise.
int chiffreExposant(QChar c) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
    for (int d = 0; d < 10; ++d)
        if (c.unicode() == exposants[d]) return d;
    return -1;
}

qint8 borne(int v) {
    if (v < -128 || v > 127) throw EUniteError();
    return qint8(v);
}
} // namespace

void Tunite::Init() {
    FnomUnite.clear();
    Puissance = 0;
    Dimension.fill(0);
    sansDim = tuVide;
    Correct = true;
    symboleGrandeur.clear();
}

void Tunite::setUniteComplet(const QString& nu, qint8 p, qint8 d1, qint8 d2, qint8 d3, qint8 d4,
                             qint8 d5, qint8 d6, qint8 d7) {
    FnomUnite = nu;
    Puissance = p;
    Dimension = {d1, d2, d3, d4, d5, d6, d7};
}

void Tunite::RecopieUnite(const Tunite& U) {
    FnomUnite = U.FnomUnite;
    Puissance = U.Puissance;
    sansDim = U.sansDim;
    Dimension = U.Dimension;
    Correct = U.Correct;
}

void Tunite::setErreurUnite() {
    Correct = false;
    throw EUniteError();
}

void Tunite::LitTexteUnite(const QString& texte) {
    QString t = texte;
    t.remove(QLatin1Char(' '));
    FnomUnite = t;
    Puissance = 0;
    Dimension.fill(0);
    Correct = true;
    sansDim = tuVide;
    if (t.isEmpty()) return;
    // Positions in a unit text are bytes: longer texts are not units.
    if (t.size() > 255) {
        Correct = false;
        return;
    }
    if (const Entree* e = cherche(t)) {
        RecopieUnite(depuisEntree(*e));
        return;
    }
    try {
        const qsizetype n = t.size();
        qsizetype i = 0;
        if (t.startsWith(QLatin1String("1E"))) {
            i = 2;
            qsizetype j = i;
            while (j < n - 1 &&
                   (t[j] == QLatin1Char('+') || t[j] == QLatin1Char('-') || t[j].isDigit()))
                ++j;
            bool ok = false;
            const int p = t.mid(i, j - i).toInt(&ok);
            if (!ok) setErreurUnite();
            Puissance = borne(p);
            i = j;
        }
        bool inverse = false;
        while (i < n) {
            Tunite f;
            if (t[i] == QLatin1Char('/')) {
                inverse = true;
                ++i;
            }
            if (i >= n) setErreurUnite();
            if (i < n - 1 && puissancePrefixe(t[i]) != 0 && estLettre(t[i + 1])) {
                f.Puissance = qint8(puissancePrefixe(t[i]));
                ++i;
            }
            qsizetype fin = i + 1;
            while (fin < n && estLettreAscii(t[fin]))
                ++fin;
            const Entree* e = cherche(t.mid(i, fin - i));
            if (!e) {
                for (qsizetype l = 1; l < fin - i && !e; ++l)
                    if ((e = cherche(t.mid(i, l)))) fin = i + l;
            }
            if (!e) setErreurUnite();
            f.PlusUnite(depuisEntree(*e));
            i = fin;

            int exposant = 1;
            if (i < n) {
                if (t[i] == QLatin1Char('^')) {
                    if (i == n - 1) setErreurUnite();
                    ++i;
                }
                bool negatif = false;
                const QChar s = t[i];
                if (s == QLatin1Char('+') || s == QLatin1Char('-') || s == QLatin1Char('z') ||
                    s == QLatin1Char('{') || s.unicode() == 0x207A || s.unicode() == 0x207B) {
                    if (i == n - 1) setErreurUnite();
                    negatif =
                        s == QLatin1Char('-') || s == QLatin1Char('{') || s.unicode() == 0x207B;
                    FnomUnite[i] = QChar(negatif ? 0x207B : 0x207A);
                    ++i;
                }
                if (i < n && chiffreExposant(t[i]) >= 0) {
                    const int d = chiffreExposant(t[i]);
                    FnomUnite[i] = QChar(exposants[d]);
                    exposant = negatif ? -d : d;
                    ++i;
                }
            }
            if (inverse) exposant = -exposant;
            f.PuissUnite(QLatin1Char('*'), exposant);
            PlusUnite(f);
            if (i < n - 1 &&
                (t[i] == QLatin1Char('*') || t[i] == QLatin1Char('-') || t[i] == QLatin1Char('.')))
                ++i;
        }
    } catch (const EUniteError&) {
        Correct = false;
    }
}

void Tunite::PlusUnite(const Tunite& U0) {
    if (!Correct || !U0.Correct) {
        Correct = false;
        return;
    }
    Puissance = borne(Puissance + U0.Puissance);
    for (int k = 0; k < 7; ++k)
        Dimension[k] = borne(Dimension[k] + U0.Dimension[k]);
    if (U0.sansDim != tuVide) sansDim = sansDim == tuVide ? U0.sansDim : tuVide;
}

void Tunite::MoinsUnite(const Tunite& U0) {
    if (!Correct || !U0.Correct) {
        Correct = false;
        return;
    }
    Puissance = borne(Puissance - U0.Puissance);
    for (int k = 0; k < 7; ++k)
        Dimension[k] = borne(Dimension[k] - U0.Dimension[k]);
    if (U0.sansDim != tuVide) sansDim = tuVide;
}

void Tunite::AdUnite(QChar op, const Tunite& Ug, const Tunite& Ud) {
    if (!Ug.Correct || !Ud.Correct) {
        Correct = false;
        return;
    }
    const int signe = op == QLatin1Char('+') ? 1 : -1;
    Puissance = borne(Ug.Puissance + signe * Ud.Puissance);
    for (int k = 0; k < 7; ++k)
        Dimension[k] = borne(Ug.Dimension[k] + signe * Ud.Dimension[k]);
    sansDim = tuVide;
    if (signe > 0 && (Ug.sansDim == tuVide) != (Ud.sansDim == tuVide))
        sansDim = Ug.sansDim != tuVide ? Ug.sansDim : Ud.sansDim;
    if (signe < 0 && Ud.sansDim == tuVide) sansDim = Ug.sansDim;
    Correct = true;
}

void Tunite::MulUnite(QChar op, const Tunite& U0, int puiss) {
    // Only U0 is an operand: this unit's previous value is replaced.
    if (!U0.Correct) {
        Correct = false;
        return;
    }
    const Tunite source = U0; // U0 may be this unit
    Correct = true;
    if (op == QLatin1Char('*')) {
        Puissance = borne(source.Puissance * puiss);
        for (int k = 0; k < 7; ++k)
            Dimension[k] = borne(source.Dimension[k] * puiss);
    } else {
        if (puiss == 0 || source.Puissance % puiss != 0) setErreurUnite();
        Puissance = qint8(source.Puissance / puiss);
        for (int k = 0; k < 7; ++k) {
            if (source.Dimension[k] % puiss != 0) setErreurUnite();
            Dimension[k] = qint8(source.Dimension[k] / puiss);
        }
    }
    sansDim = puiss == 1 ? source.sansDim : tuVide;
}

void Tunite::PuissUnite(QChar op, int puiss) {
    MulUnite(op, *this, puiss);
}

void Tunite::InverseUnite() {
    if (!Correct) return;
    Puissance = borne(-Puissance);
    for (qint8& d : Dimension)
        d = borne(-d);
    sansDim = tuVide;
}
