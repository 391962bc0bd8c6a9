#include "instruments/appareil.h"

#include "app/utilitaires.h"
#include "instruments/notation.h"
#include "instruments/unite.h"
#include "settings/fichierini.h"

#include <algorithm>
#include <cmath>

Tappareil::Tappareil() : Unite(std::make_unique<Tunite>()) {
    for (int i = 0; i <= tailleRouleau; ++i)
        indiceRouleau[i] = i;
}

Tappareil::~Tappareil() = default;

void Tappareil::Assign(const Tappareil& Unappareil) {
    if (&Unappareil == this) return;
    Precision = Unappareil.Precision;
    LireCoeffUnite = Unappareil.LireCoeffUnite;
    LireNomUnite = Unappareil.LireNomUnite;
    NomAppareil = Unappareil.NomAppareil;
    DebutNombre = Unappareil.DebutNombre;
    NbreCarac = Unappareil.NbreCarac;
    ValMini = Unappareil.ValMini;
    ValMaxi = Unappareil.ValMaxi;
    ComNumber = Unappareil.ComNumber;
    Baud = Unappareil.Baud;
    Parite = Unappareil.Parite;
    DataBits = Unappareil.DataBits;
    StopBits = Unappareil.StopBits;
    Delai = Unappareil.Delai;
    RTSCTS = Unappareil.RTSCTS;
    FormatFixe = Unappareil.FormatFixe;
    XonXoff = Unappareil.XonXoff;
    NumeroOrdre = Unappareil.NumeroOrdre;
    NbreLignes = Unappareil.NbreLignes;
    SeparateurChiffre = Unappareil.SeparateurChiffre;
    nomGrandeur = Unappareil.nomGrandeur;
    SymboleGrandeur = Unappareil.SymboleGrandeur;
    UniteGrandeur = Unappareil.UniteGrandeur;
    Demande = Unappareil.Demande;
    DemandeBis = Unappareil.DemandeBis;
    ChaineInit = Unappareil.ChaineInit;
    ChaineFin = Unappareil.ChaineFin;
    EnvoiDirect = Unappareil.EnvoiDirect;
    AidePilotage = Unappareil.AidePilotage;
    // A copy that lost these would check, filter and judge stability unlike its original.
    TexteVerif = Unappareil.TexteVerif;
    NumeroVerif = Unappareil.NumeroVerif;
    FiltrageDepassement = Unappareil.FiltrageDepassement;
    lectureSTAB = Unappareil.lectureSTAB;
    Derive = Unappareil.Derive;
    InitialisationAfaire = !ChaineInit.isEmpty();
    DeblocageAfaire = !ChaineFin.isEmpty();
}

QString Tappareil::FormatApp(double X) const {
    if (estNaN(X)) return QStringLiteral("???");
    return FormatGeneral(X, Precision, 2, separateurDecimal());
}

QString Tappareil::NomValeurUnite(double Avaleur) const {
    return SymboleGrandeur + QLatin1Char('=') +
           FormatGeneral(Avaleur, Precision, 2, separateurDecimal()) + QLatin1Char(' ') +
           UniteGrandeur;
}

QString Tappareil::NomValeurUniteCourante() const {
    const double V = ValeurCourante;
    if (estNaN(V)) return SymboleGrandeur + QStringLiteral("=?");
    if (!LireCoeffUnite || std::fabs(V) <= 1e-12) return NomValeurUnite(V);
    struct Prefixe {
        const char16_t* texte;
        double facteur;
    };
    static constexpr std::array<Prefixe, 7> prefixes{{{u"n", 1e9},
                                                      {u"µ", 1e6},
                                                      {u"m", 1e3},
                                                      {u"", 1},
                                                      {u"k", 1e-3},
                                                      {u"M", 1e-6},
                                                      {u"G", 1e-9}}};
    // Beyond the table (below about 3.2E-11 or above about 3.2E10) the nearest prefix is used.
    const double g = std::clamp(std::nearbyint(std::log10(std::fabs(V)) / 3), -3.0, 3.0);
    const Prefixe& p = prefixes[static_cast<std::size_t>(g + 3)];
    return SymboleGrandeur + QLatin1Char('=') +
           FormatGeneral(V * p.facteur, Precision, 2, separateurDecimal()) + QLatin1Char(' ') +
           QString::fromUtf16(p.texte) + UniteGrandeur;
}

QString Tappareil::nomCourt() const {
    const qsizetype blanc = NomAppareil.indexOf(QLatin1Char(' '));
    return blanc < 0 ? QString() : NomAppareil.left(blanc);
}

void Tappareil::SetCoeffUnite() {
    if (LireCoeffUnite && UniteGrandeur.size() > 1 &&
        QStringLiteral("GMkmnµ").contains(UniteGrandeur.at(0)))
        UniteGrandeur.remove(0, 1);
}

namespace {
const QString cleUnite = QStringLiteral("Unité");
const QString cleSeparateur = QStringLiteral("Séparateur");
} // namespace

void Tappareil::LitIni(const QString& Anom, const TFichierIni& Ini) {
    NomAppareil = Anom;
    const QString& s = Anom;
    LireCoeffUnite = Ini.ReadBool(s, QStringLiteral("LireCoeffUnite"), false);
    LireNomUnite = Ini.ReadBool(s, QStringLiteral("LireNomUnite"), false);
    Precision = Ini.ReadInteger(s, QStringLiteral("Precision"), 6);
    ValMini = Ini.ReadFloat(s, QStringLiteral("Mini"), 0);
    ValMaxi = Ini.ReadFloat(s, QStringLiteral("Maxi"), 1);
    ComNumber = static_cast<quint16>(Ini.ReadInteger(s, QStringLiteral("Com"), 1));
    Baud = Ini.ReadInteger(s, QStringLiteral("Baud"), 9600);
    DataBits = static_cast<quint16>(Ini.ReadInteger(s, QStringLiteral("DataBits"), 8));
    // Only the five parities of the port exist; anything else would reach the port unchecked.
    const qint32 parite = Ini.ReadInteger(s, QStringLiteral("Parity"), 0);
    Parite = static_cast<quint8>(parite >= 0 && parite <= 4 ? parite : 0);
    StopBits = static_cast<quint16>(Ini.ReadInteger(s, QStringLiteral("StopBits"), 1));
    RTSCTS = Ini.ReadBool(s, QStringLiteral("RTS"), false);
    XonXoff = Ini.ReadBool(s, QStringLiteral("XonXoff"), false);
    DebutNombre = Ini.ReadInteger(s, QStringLiteral("Debut"), 0);
    NbreCarac = Ini.ReadInteger(s, QStringLiteral("NombreCarac"), 10);
    Delai = static_cast<quint16>(Ini.ReadInteger(s, QStringLiteral("Delai"), 100));
    FormatFixe = Ini.ReadBool(s, QStringLiteral("Fixe"), false);
    NumeroOrdre = static_cast<quint8>(Ini.ReadInteger(s, QStringLiteral("Numero"), 1));
    if (NumeroOrdre == 0) NumeroOrdre = 1;
    NbreLignes = static_cast<quint8>(Ini.ReadInteger(s, QStringLiteral("NombreLigne"), 1));
    SeparateurChiffre = static_cast<quint8>(Ini.ReadInteger(s, cleSeparateur, 0));
    // Greek letters and other characters the code page lacks come back from their names.
    nomGrandeur = TexteDepuisFichier(Ini.ReadString(s, QStringLiteral("Nom"), nomGrandeur));
    UniteGrandeur = TexteDepuisFichier(Ini.ReadString(s, cleUnite, UniteGrandeur));
    SymboleGrandeur =
        TexteDepuisFichier(Ini.ReadString(s, QStringLiteral("Symbole"), SymboleGrandeur));
    EnvoiDirect = Ini.ReadBool(s, QStringLiteral("Continu"), false);
    lectureSTAB = Ini.ReadBool(s, QStringLiteral("STAB"), false);
    FiltrageDepassement = Ini.ReadBool(s, QStringLiteral("FiltreDepasse"), true);
    Derive = Ini.ReadFloat(s, QStringLiteral("Derive"), -1);
    if (estNaN(Derive) || Derive < 1e-25) Derive = (ValMaxi - ValMini) / 140;

    Demande = TexteEnCode(Ini.ReadString(s, QStringLiteral("Demande"), QString()));
    DemandeBis = TexteEnCode(Ini.ReadString(s, QStringLiteral("DemandeBis"), QString()));
    ChaineInit = TexteEnCode(Ini.ReadString(s, QStringLiteral("Initialisation"), QString()));
    ChaineFin = TexteEnCode(Ini.ReadString(s, QStringLiteral("Deblocage"), QString()));
    TexteVerif = TexteEnCode(Ini.ReadString(s, QStringLiteral("TexteVerif"), QString()));
    NumeroVerif = Ini.ReadInteger(s, QStringLiteral("NumVerif"), 0);

    SetCoeffUnite();
    if (FormatFixe) {
        NbreLignes = 1;
        NumeroOrdre = 1;
        if (!EnvoiDirect && DebutNombre < 1) DebutNombre = 1;
    } else {
        NbreCarac = 1;
    }
    for (int i = 0; i < nbreAides; ++i)
        AidePilotage[i] = Ini.ReadString(s, QString::number(i + 1), QString());
}

void Tappareil::EcritIni(TFichierIni& Ini) const {
    const QString& s = NomAppareil;
    Ini.WriteBool(s, QStringLiteral("LireCoeffUnite"), LireCoeffUnite);
    Ini.WriteBool(s, QStringLiteral("LireNomUnite"), LireNomUnite);
    Ini.WriteString(s, QStringLiteral("Nom"), TexteVersFichier(nomGrandeur));
    Ini.WriteString(s, cleUnite, TexteVersFichier(UniteGrandeur));
    Ini.WriteInteger(s, QStringLiteral("Precision"), Precision);
    Ini.WriteFloat(s, QStringLiteral("Mini"), ValMini);
    Ini.WriteFloat(s, QStringLiteral("Maxi"), ValMaxi);
    Ini.WriteInteger(s, QStringLiteral("Com"), ComNumber);
    Ini.WriteInteger(s, QStringLiteral("Baud"), Baud);
    Ini.WriteInteger(s, QStringLiteral("DataBits"), DataBits);
    Ini.WriteInteger(s, QStringLiteral("Parity"), Parite);
    Ini.WriteInteger(s, QStringLiteral("StopBits"), StopBits);
    Ini.WriteBool(s, QStringLiteral("RTS"), RTSCTS);
    Ini.WriteBool(s, QStringLiteral("XonXoff"), XonXoff);
    Ini.WriteInteger(s, QStringLiteral("Debut"), DebutNombre);
    Ini.WriteInteger(s, QStringLiteral("NombreCarac"), NbreCarac);
    Ini.WriteInteger(s, QStringLiteral("Delai"), Delai);
    Ini.WriteBool(s, QStringLiteral("Fixe"), FormatFixe);
    Ini.WriteInteger(s, QStringLiteral("Numero"), NumeroOrdre);
    Ini.WriteInteger(s, QStringLiteral("NombreLigne"), NbreLignes);
    Ini.WriteInteger(s, cleSeparateur, SeparateurChiffre);
    Ini.WriteBool(s, QStringLiteral("Continu"), EnvoiDirect);
    Ini.WriteBool(s, QStringLiteral("FiltreDepasse"), FiltrageDepassement);
    Ini.WriteString(s, QStringLiteral("Demande"), CodeEnTexte(Demande));
    Ini.WriteString(s, QStringLiteral("DemandeBis"), CodeEnTexte(DemandeBis));
    Ini.WriteString(s, QStringLiteral("Initialisation"), CodeEnTexte(ChaineInit));
    Ini.WriteString(s, QStringLiteral("Deblocage"), CodeEnTexte(ChaineFin));
    Ini.WriteString(s, QStringLiteral("Symbole"), TexteVersFichier(SymboleGrandeur));
    Ini.WriteBool(s, QStringLiteral("STAB"), lectureSTAB);
    Ini.WriteFloat(s, QStringLiteral("Derive"), estNaN(Derive) ? -1 : Derive);
    Ini.WriteString(s, QStringLiteral("TexteVerif"), CodeEnTexte(TexteVerif));
    Ini.WriteInteger(s, QStringLiteral("NumVerif"), NumeroVerif);
    // An emptied help line loses its key: the section is not cleared before it is written, and
    // the old line would come back at the next reading.
    for (int i = 0; i < nbreAides; ++i) {
        const QString cle = QString::number(i + 1);
        if (AidePilotage[i].isEmpty())
            Ini.DeleteKey(s, cle);
        else
            Ini.WriteString(s, cle, AidePilotage[i]);
    }
}
