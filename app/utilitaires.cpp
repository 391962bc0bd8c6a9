#include "app/utilitaires.h"

#include "app/cp1252.h"
#include "app/dialogues.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QVarLengthArray>
#include <cstdio>
#include <stdexcept>

QChar separateurDecimal() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QChar('.') : point.at(0);
}

QByteArray TexteEntier(qint32 n) {
    return QByteArray::number(n);
}

double LitNombre(const QString& texte) {
    // Every answer and every file value comes through here: a plain scan, no allocation.
    // Accepted, blanks around: [+-] digits [mark digits] | [+-] mark digits, then an optional
    // exponent [eE][+-]digits. The mark is the locale's separator, or the first occurrence of
    // the other one ("2,5" and "2.5" both read 2.5 in either locale).
    const QChar sep = separateurDecimal();
    const QChar autre = sep == QLatin1Char('.') ? QLatin1Char(',') : QLatin1Char('.');
    const qsizetype premierAutre = texte.indexOf(autre);
    qsizetype i = 0;
    qsizetype fin = texte.size();
    while (i < fin && texte.at(i).isSpace())
        ++i;
    while (fin > i && texte.at(fin - 1).isSpace())
        --fin;
    QVarLengthArray<char, 64> c;
    const auto chiffres = [&] {
        const qsizetype debut = i;
        while (i < fin && texte.at(i).unicode() >= '0' && texte.at(i).unicode() <= '9')
            c.append(char(texte.at(i++).unicode()));
        return i - debut;
    };
    if (i < fin && (texte.at(i) == QLatin1Char('+') || texte.at(i) == QLatin1Char('-')))
        c.append(char(texte.at(i++).unicode()));
    qsizetype n = chiffres();
    if (i < fin && (texte.at(i) == sep || i == premierAutre)) {
        c.append('.');
        ++i;
        n += chiffres();
    }
    if (n == 0) return NaN;
    if (i < fin && (texte.at(i) == QLatin1Char('e') || texte.at(i) == QLatin1Char('E'))) {
        c.append('e');
        ++i;
        if (i < fin && (texte.at(i) == QLatin1Char('+') || texte.at(i) == QLatin1Char('-')))
            c.append(char(texte.at(i++).unicode()));
        if (chiffres() == 0) return NaN;
    }
    if (i != fin) return NaN;
    bool ok = false;
    const double x = QByteArray::fromRawData(c.constData(), c.size()).toDouble(&ok);
    return ok ? x : NaN;
}

double LitNombreDefaut(const QString& texte, double defaut) {
    const double x = LitNombre(texte);
    return estNaN(x) ? defaut : x;
}

namespace {
// Decimal digits of |x| rounded to `chiffres` significant digits, and the decimal exponent.
void decompose(double x, int chiffres, QByteArray& mantisse, int& exposant) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.*e", chiffres - 1, std::fabs(x));
    const QByteArray t(tampon);
    const qsizetype e = t.indexOf('e');
    mantisse = t.left(e);
    mantisse.replace(".", "");
    exposant = t.mid(e + 1).toInt();
    while (mantisse.size() > 1 && mantisse.endsWith('0'))
        mantisse.chop(1);
}
} // namespace

QString FormatGeneral(double x, int chiffres, int exposantMin, QChar separateur) {
    if (estNaN(x)) return QStringLiteral("NAN");
    if (std::isinf(x)) return x > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (x == 0) return QStringLiteral("0");
    chiffres = qBound(1, chiffres, 18);
    QByteArray m;
    int e = 0;
    decompose(x, chiffres, m, e);
    QString r = x < 0 ? QStringLiteral("-") : QString();
    if (e < chiffres && e >= -5) {
        if (e < 0) {
            r += QLatin1Char('0') + QString(separateur) + QString(-e - 1, QLatin1Char('0')) +
                 QString::fromLatin1(m);
        } else if (m.size() <= e + 1) {
            r += QString::fromLatin1(m) + QString(e + 1 - m.size(), QLatin1Char('0'));
        } else {
            r +=
                QString::fromLatin1(m.left(e + 1)) + separateur + QString::fromLatin1(m.mid(e + 1));
        }
    } else {
        r += QLatin1Char(m.at(0));
        if (m.size() > 1) r += separateur + QString::fromLatin1(m.mid(1));
        r += QLatin1Char('E');
        if (e < 0) r += QLatin1Char('-');
        r += QString::number(std::abs(e)).rightJustified(exposantMin, QLatin1Char('0'));
    }
    return r;
}

QString FormatNombre(double x) {
    if (estNaN(x)) return QStringLiteral(" ");
    return FormatGeneral(x, 7, 2, QLatin1Char('.'));
}

QByteArray FormatNombreFixe(int precision, int decimales, double x) {
    if (estNaN(x)) return QByteArrayLiteral(" ");
    precision = qBound(1, precision, 18);
    decimales = qBound(0, decimales, 18);
    if (std::isinf(x) || std::fabs(x) >= std::pow(10.0, precision))
        return FormatGeneral(x, precision, 2, QLatin1Char('.')).toLatin1();
    // Rounded to the precision first, then written with the asked decimals.
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.*e", precision - 1, x);
    const double arrondi = std::strtod(tampon, nullptr);
    std::snprintf(tampon, sizeof tampon, "%.*f", decimales, arrondi);
    return QByteArray(tampon);
}

QString FormatCourt(double x) {
    if (estNaN(x)) return QStringLiteral(" ");
    const double a = std::fabs(x);
    const int exposantMin = (a < 1E-10 || a >= 1E10) ? 2 : 1;
    return FormatGeneral(x, 3, exposantMin, separateurDecimal());
}

double SecondesEnHeure(int secondes) {
    if (secondes < 0 || secondes >= 86400)
        throw std::out_of_range("Heure incorrecte : " + std::to_string(secondes) + " s");
    const int h = secondes / 3600;
    const int m = (secondes - 3600 * h) / 60;
    const int s = secondes - 3600 * h - 60 * m;
    return (h * 3600 + m * 60 + s) / 86400.0;
}

double EcartSecondes(double a, double b) {
    // Only the time-of-day part of the difference counts, to the millisecond.
    const double d = a - b;
    const double fraction = std::fabs(d - std::trunc(d));
    const qint64 ms = std::llround(fraction * 86400000.0) % 86400000;
    const qint64 h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60, reste = ms % 1000;
    return 3600.0 * h + 60.0 * m + s + reste / 1000.0;
}

void OrdonneMinMax(double& a, double& b) {
    if (a > b || estNaN(a) || estNaN(b)) std::swap(a, b);
    if (a == b) {
        // Equal bounds become a range of the same sign: [3, 6] for 3, [-6, -3] for -3.
        if (a < 0)
            a = 2 * a;
        else
            b = 2 * a;
    }
}

void PrefixeEnExposant(QString& texte) {
    static const QList<QPair<QChar, QString>> table = {
        {u'y', "E-24"}, {u'z', "E-21"}, {u'a', "E-18"}, {u'f', "E-15"}, {u'p', "E-12"},
        {u'n', "E-9"},  {u'µ', "E-6"},  {u'm', "E-3"},  {u'k', "E+3"},  {u'M', "E+6"},
        {u'G', "E+9"},  {u'T', "E+12"}, {u'P', "E+15"}, {u'E', "E+18"}};
    if (texte.size() < 2) return;
    const QChar dernier = texte.back();
    for (const auto& [lettre, exposant] : table) {
        if (lettre == dernier) {
            texte.chop(1);
            texte += exposant;
            return;
        }
    }
}

QString CodeGrec(const QString& texte) {
    static const QList<QPair<QChar, int>> table = {
        {u'Γ', 152}, {u'Δ', 150}, {u'Θ', 155}, {u'Λ', 153}, {u'Ξ', 158}, {u'Π', 154}, {u'Σ', 156},
        {u'Φ', 151}, {u'Ψ', 159}, {u'Ω', 157}, {u'α', 128}, {u'β', 129}, {u'γ', 134}, {u'δ', 131},
        {u'ε', 132}, {u'ζ', 149}, {u'η', 135}, {u'θ', 140}, {u'κ', 107}, {u'λ', 136}, {u'μ', 181},
        {u'ν', 138}, {u'ξ', 147}, {u'π', 139}, {u'ρ', 141}, {u'σ', 142}, {u'τ', 143}, {u'φ', 133},
        {u'χ', 130}, {u'ψ', 148}, {u'ω', 144}};
    QString r;
    r.reserve(texte.size());
    for (const QChar c : texte) {
        QChar sortie = c;
        for (const auto& [grec, code] : table) {
            if (grec == c) {
                // The character that Windows-1252 writes as that byte.
                sortie = caractereCp1252(static_cast<unsigned char>(code));
                break;
            }
        }
        r += sortie;
    }
    return r;
}

int ValeurChiffre(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0' : 0;
}

QString AvecBarreFinale(const QString& chemin) {
    if (chemin.isEmpty() || chemin.endsWith(QLatin1Char('/'))) return chemin;
    return chemin + QLatin1Char('/');
}

namespace {
QString& cheminDonnees() {
    static QString chemin;
    return chemin;
}
} // namespace

const QString& dossierDonnees() {
    return cheminDonnees();
}

void PrepareDossierDonnees() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString dossier = AvecBarreFinale(documents) + QStringLiteral("Kalvento");
    if (!documents.isEmpty()) QDir().mkpath(dossier);
    cheminDonnees() = AvecBarreFinale(dossier);
}

bool Confirme(const QString& texte) {
    return dialogues().confirme(texte);
}
