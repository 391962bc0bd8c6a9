#pragma once

#include <QByteArray>
#include <QString>
#include <cmath>
#include <limits>

// Absence of a value everywhere in the program.
inline constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
inline bool estNaN(double x) {
    return std::isnan(x);
}

// The user's decimal separator, from the default locale (tests set it with QLocale::setDefault).
QChar separateurDecimal();

QByteArray TexteEntier(qint32 n);
// Reads a number typed or received with "," or "." as decimal mark; NaN when it is not one.
double LitNombre(const QString& texte);
double LitNombreDefaut(const QString& texte, double defaut);
// File and transfer format: general, 7 significant digits, "." always.
QString FormatNombre(double x);
QByteArray FormatNombreFixe(int precision, int decimales, double x);
// Screen format: general, 3 significant digits, the user's separator.
QString FormatCourt(double x);
// General format with `chiffres` significant digits and at least `exposantMin` exponent digits,
// in fixed notation unless the exponent calls for scientific notation, trailing zeros dropped,
// with the given decimal mark.
QString FormatGeneral(double x, int chiffres, int exposantMin, QChar separateur);

// Times of day are fractions of a day.
double SecondesEnHeure(int secondes); // throws std::out_of_range from 24 h on
double EcartSecondes(double a, double b);
void OrdonneMinMax(double& a, double& b);
void PrefixeEnExposant(QString& texte);
QString CodeGrec(const QString& texte);
int ValeurChiffre(QChar c);
QString AvecBarreFinale(const QString& chemin);

// Folder of the analysis program's files, under the user's documents; made at start.
const QString& dossierDonnees();
void PrepareDossierDonnees();

bool Confirme(const QString& texte);
