#include "instruments/decodage.h"

#include "app/cp1252.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "instruments/stabilite.h"
#include "instruments/unite.h"

#include <QLocale>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

// Every access to a byte goes through these helpers, so that no position given by a
// description or an answer can reach outside the text.
namespace {

constexpr char CR = 13;
constexpr char LF = 10;
constexpr char DEL = 127;

// S[i], 1-based; 0 outside the text.
unsigned char octet(const QByteArray& S, qsizetype i) {
    return i >= 1 && i <= S.size() ? static_cast<unsigned char>(S.at(i - 1)) : 0;
}

// Copy of `nombre` bytes from position `debut`: a start below 1 counts as 1 (the count is kept),
// the copy stops at the end of the text.
QByteArray copie(const QByteArray& S, qsizetype debut, qsizetype nombre) {
    if (debut < 1) debut = 1;
    if (debut > S.size() || nombre <= 0) return {};
    return S.mid(debut - 1, std::min(nombre, S.size() - debut + 1));
}

QByteArray finDepuis(const QByteArray& S, qsizetype debut) {
    return copie(S, debut, S.size());
}

// 1-based position of the first occurrence; 0 when absent or when the key is empty.
qsizetype pos(const QByteArray& cle, const QByteArray& S) {
    return cle.isEmpty() ? 0 : S.indexOf(cle) + 1;
}

bool chiffre(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool debutNombre(unsigned char c) {
    return chiffre(c) || c == '+' || c == '-';
}
bool partieEntiere(unsigned char c, quint8 sep) {
    return chiffre(c) || c == DEL || c == sep;
}
bool partieFraction(unsigned char c, quint8 sep) {
    return partieEntiere(c, sep) || c == '+' || c == '-' || c == 'E' || c == 'e';
}
bool caractereUnite(unsigned char c) {
    return c == '-' || c == '.' || c == '/' || c == '1' || c == '2' || c == '3' ||
           (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 169 || c == 176;
}

} // namespace

qsizetype NombreCR(const QByteArray& S) {
    return S.count(CR);
}

qsizetype PosOccurrence(const QByteArray& Sous, const QByteArray& S, qsizetype N) {
    if (Sous.isEmpty() || N < 1) return 0;
    qsizetype depuis = 0;
    for (qsizetype n = 1;; ++n) {
        const qsizetype i = S.indexOf(Sous, depuis);
        if (i < 0) return 0;
        depuis = i + Sous.size();
        if (n == N) return depuis;
    }
}

void ChercheNombre(const QByteArray& S, quint8 Sep, qsizetype& Debut, qsizetype& Fin) {
    const qsizetype L = S.size();
    // A start before the text (negative offsets larger than the answer) scans from its start.
    if (Debut < 1) Debut = 1;
    while (Debut < L && !debutNombre(octet(S, Debut)))
        ++Debut;
    Fin = Debut + 1;
    while (Fin <= L && partieEntiere(octet(S, Fin), Sep))
        ++Fin;
    if (Fin <= L && (octet(S, Fin) == ',' || octet(S, Fin) == '.')) ++Fin;
    while (Fin <= L && partieFraction(octet(S, Fin), Sep))
        ++Fin;
}

void SauteHorodatage(const QByteArray& S, qsizetype& Fin) {
    const qsizetype L = S.size();
    qsizetype i = Fin + 1;
    if (i < 1) i = 1;
    while (i < L && !chiffre(octet(S, i)))
        ++i;
    if (i >= L) return;
    // The next byte after i, stepping over it when it exists; 0 when missing.
    const auto suivant = [&]() -> unsigned char {
        if (i + 1 > L) return 0;
        ++i;
        return octet(S, i);
    };
    int compte = 0;
    while (i < L && (chiffre(octet(S, i)) || octet(S, i) == ':' || octet(S, i) == '/')) {
        if (octet(S, i) == ':') {
            const unsigned char a = suivant();
            const unsigned char b = suivant();
            if (chiffre(a) && chiffre(b)) ++compte;
        }
        if (octet(S, i) == '/') {
            const unsigned char a = suivant();
            const unsigned char b = suivant();
            const unsigned char c = octet(S, i + 1);
            if (a == '2' && (b == '0' || b == '1') && chiffre(c)) i += 2; // four-digit year
            if (chiffre(a) && chiffre(b)) ++compte;
        }
        ++i;
    }
    if (compte == 2) Fin = i - 1;
}

void Tappareil::AjouteValeurRouleau(double V) {
    if (nbreRouleau < 0) nbreRouleau = 0;
    if (nbreRouleau > tailleRouleau) nbreRouleau = tailleRouleau;
    valeurRouleau[static_cast<std::size_t>(nbreRouleau)] = V;
    ++nbreRouleau;
    if (nbreRouleau > tailleRouleau) {
        for (int i = 0; i < tailleRouleau; ++i)
            valeurRouleau[i] = valeurRouleau[i + 1];
        nbreRouleau = tailleRouleau;
    }
}

void Tappareil::SetValeurCourante() {
    oldValeurCourante = ValeurCourante;
    reponseStab = depuisCp1252(ChaineLue.left(4));
    texteNombre.clear();
    texteSuite.clear();
    try {
        if (EnvoiDirect) {
            ExtraitContinu();
            if (!TexteVerif.isEmpty() && NumeroVerif > 0 &&
                pos(TexteVerif, texteSuite) != NumeroVerif && ChaineLue.size() > 2) {
                // The record was cut or shifted: retry from the line after the number found.
                const qsizetype L = ChaineLue.size();
                qsizetype p = std::max<qsizetype>(1, pos(texteNombre, ChaineLue));
                while (p < L && octet(ChaineLue, p) != CR && octet(ChaineLue, p) != LF)
                    ++p;
                if (p < L) {
                    ++p;
                    if (octet(ChaineLue, p) == CR || octet(ChaineLue, p) == LF) ++p;
                }
                ChaineLue = finDepuis(ChaineLue, p);
                ExtraitContinu();
            }
            if (!texteNombre.isEmpty() && ConvertitNombre()) {
                if (FormatFixe) {
                    ChaineLue.clear();
                } else {
                    ChaineLue.remove(0, ChaineLue.lastIndexOf(CR) + 1);
                    if (ChaineLue.startsWith(LF)) ChaineLue.remove(0, 1);
                }
            }
        } else if (FormatFixe) {
            ExtraitFixe();
        } else {
            ExtraitLigne();
        }
    } catch (...) {
        ValeurCourante = NaN;
    }
}

void Tappareil::ExtraitLigne() {
    const QByteArray S = ChaineLue;
    qsizetype Fin = 0;
    SauteHorodatage(S, Fin);
    qsizetype Debut = Fin + 1;
    // A rank of 0 cannot come from a device file; it is read as the first number.
    const int rang = std::max<int>(1, NumeroOrdre);
    for (int n = 0; n < rang; ++n) {
        Debut = Fin + 1;
        ChercheNombre(S, SeparateurChiffre, Debut, Fin);
    }
    texteSuite = finDepuis(S, Fin);
    texteNombre = S.size() < Debut ? QByteArray() : copie(S, Debut, Fin - Debut);
    (void)ConvertitNombre();
    ChaineLue.clear();
}

void Tappareil::ExtraitFixe() {
    qsizetype Debut =
        DebutNombre >= 0 ? qsizetype(DebutNombre) : ChaineLue.size() + qsizetype(DebutNombre) + 1;
    qsizetype Fin = 0;
    ChercheNombre(ChaineLue, SeparateurChiffre, Debut, Fin);
    texteSuite = finDepuis(ChaineLue, Fin);
    texteNombre = copie(ChaineLue, Debut, Fin - Debut);
    (void)ConvertitNombre();
    ChaineLue.clear();
}

void Tappareil::ExtraitContinu() {
    qsizetype Debut = 1;
    if (Demande.isEmpty()) {
        texteNombre = ChaineLue;
        Debut = FormatFixe ? qsizetype(DebutNombre) : 1;
    } else if (DebutNombre > 0) {
        ChercheSuivant(Demande);
        if (texteNombre.isEmpty() && !DemandeBis.isEmpty()) ChercheSuivant(DemandeBis);
        Debut = DebutNombre;
    } else {
        // The dialog offers the second key in this mode too: it is tried when the first is absent.
        CherchePrecedent(Demande);
        if (texteNombre.isEmpty() && !DemandeBis.isEmpty()) CherchePrecedent(DemandeBis);
        Debut = 1;
    }
    if (texteNombre.size() < Debut) return;
    qsizetype Fin = 0;
    if (FormatFixe || NumeroOrdre <= 1) {
        ChercheNombre(texteNombre, SeparateurChiffre, Debut, Fin);
    } else {
        SauteHorodatage(texteNombre, Fin);
        for (int n = 0; n < NumeroOrdre; ++n) {
            Debut = Fin + 1;
            ChercheNombre(texteNombre, SeparateurChiffre, Debut, Fin);
        }
    }
    texteSuite = finDepuis(texteNombre, Fin);
    texteNombre = copie(texteNombre, Debut, Fin - Debut);
}

void Tappareil::ChercheSuivant(const QByteArray& K) {
    if (!FormatFixe) {
        while (NombreCR(ChaineLue) > NbreLignes)
            ChaineLue.remove(0, ChaineLue.indexOf(CR) + 1);
        if (ChaineLue.startsWith(LF)) ChaineLue.remove(0, 1);
    }
    qsizetype p = pos(K, ChaineLue);
    if (p == 0) {
        texteNombre.clear();
        return;
    }
    if (FormatFixe) {
        const qsizetype seconde = PosOccurrence(K, ChaineLue, 2);
        if (seconde > 0) {
            const qsizetype d = ChaineLue.size() - seconde - K.size() + 1 - qsizetype(DebutNombre);
            if (d > 4) {
                ChaineLue.remove(0, p - 1 + K.size());
                p = pos(K, ChaineLue);
            }
        }
    }
    if (p > 1) {
        const QByteArray B = ChaineLue.left(p - 1);
        ChaineLue.remove(0, p - 1);
        if (FormatFixe) {
            const qsizetype m = qsizetype(NbreCarac) - ChaineLue.size();
            if (m > 0) ChaineLue += copie(B, std::max<qsizetype>(1, B.size() - m + 1), m);
        }
        p = 1;
    }
    texteNombre = copie(ChaineLue, p, ChaineLue.size() - p);
}

void Tappareil::CherchePrecedent(const QByteArray& K) {
    qsizetype p = pos(K, ChaineLue);
    if (p == 0) {
        texteNombre.clear();
        return;
    }
    while (PosOccurrence(K, ChaineLue, 2) > 0) {
        ChaineLue.remove(0, p - 1 + K.size());
        p = pos(K, ChaineLue);
    }
    const qsizetype decalage = DebutNombre;
    texteNombre = copie(ChaineLue, p + decalage, std::abs(decalage));
}

bool Tappareil::verificationEchoue() const {
    return !TexteVerif.isEmpty() && NumeroVerif > 0 && pos(TexteVerif, texteSuite) != NumeroVerif;
}

bool Tappareil::ConvertitNombre() {
    depassement = false;
    if (texteNombre.isEmpty() || verificationEchoue()) return false;
    bool converti = false;
    try {
        texteNombre.replace(char(SeparateurChiffre), QByteArray());
        texteNombre.replace(DEL, QByteArray());
        if (texteNombre.isEmpty()) throw std::invalid_argument("nombre vide");
        if (SymboleGrandeur == QLatin1String("pH") && texteNombre.size() > 2 &&
            !texteNombre.contains('.') && !texteNombre.contains(',')) {
            // pH meters that print 701 for 7.01; two leading digits from 10 to 13 are 10.xx.
            bool entier = false;
            const int v = texteNombre.left(2).toInt(&entier);
            if (!entier) throw std::invalid_argument("pH");
            const QByteArray sep = QString(separateurDecimal()).toLatin1();
            texteNombre.insert(v >= 10 && v <= 13 ? 2 : 1, sep);
        }
        if (texteNombre.endsWith('.')) texteNombre += '0';
        const double lu = LitNombre(QString::fromLatin1(texteNombre));
        if (estNaN(lu)) {
            // Not a number: the previous value stays, and it is not scaled a second time.
            ValeurCourante = oldValeurCourante;
        } else {
            ValeurCourante = lu;
            if (LireCoeffUnite || LireNomUnite) ValeurCourante *= LitPrefixeUnite();
        }
        AjouteValeurRouleau(ValeurCourante);
        converti = true;
    } catch (...) {
        ValeurCourante = oldValeurCourante;
    }
    if (estNaN(ValeurCourante) || ValeurCourante < ValMini || ValeurCourante > ValMaxi) {
        if (FiltrageDepassement)
            ValeurCourante = NaN;
        else
            depassement = true;
    }
    return converti;
}

double Tappareil::LitPrefixeUnite() {
    qsizetype i = 1;
    const qsizetype L = texteSuite.size();
    while (i <= L && (octet(texteSuite, i) == ' ' || octet(texteSuite, i) == '\t'))
        ++i;
    if (i > L) return 1;
    double f = 1;
    switch (octet(texteSuite, i)) {
    case 'p':
        f = 1e-12;
        break;
    case 'n':
        f = 1e-9;
        break;
    case 'u':
    case 127:
    case 129:
    case 181:
    case 230:
        f = 1e-6;
        break;
    case 'm':
    case 'M':
        f = 1e-3;
        break;
    case 'k':
        f = 1e3;
        break;
    case 'G':
        f = 1e9;
        break;
    default:
        break;
    }
    if (f != 1) ++i;
    if (LireNomUnite && i <= L) {
        const qsizetype debut = i;
        while (i <= L && caractereUnite(octet(texteSuite, i)))
            ++i;
        QString texte = depuisCp1252(copie(texteSuite, debut, i - debut));
        if (!texte.isEmpty()) {
            if (texte.at(0) == QLatin1Char('U')) texte[0] = QChar(0x03A9);
            Unite->LitTexteUnite(texte);
            if (Unite->Correct) UniteGrandeur = Unite->FnomUnite;
        }
    }
    return f;
}
