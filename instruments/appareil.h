#pragma once

#include "instruments/vecteur.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <limits>
#include <memory>

class TApdComPort;
class TFichierIni;
class TStatistiqueDeuxVar;
class Tunite;

// One instrument description, and the run-time state of the channel that reads it.
// Copies are made with Assign, which copies the whole description (verification text, filtering,
// stability settings included) but not the run-time state.
class Tappareil {
public:
    // Create
    Tappareil();
    virtual ~Tappareil();
    Tappareil(const Tappareil&) = delete;
    Tappareil& operator=(const Tappareil&) = delete;

    void Assign(const Tappareil& Unappareil);

    // "???" for NaN, else X with Precision significant digits and the user's separator.
    [[nodiscard]] QString FormatApp(double X) const;
    [[nodiscard]] QString NomValeurUnite(double Avaleur) const;
    // The text shown for ValeurCourante, with a decimal prefix when LireCoeffUnite is set.
    [[nodiscard]] QString NomValeurUniteCourante() const;
    // NomAppareil up to its first blank; empty when it holds none.
    [[nodiscard]] QString nomCourt() const;
    // Drops the decimal prefix of UniteGrandeur when the prefix is read from the answers.
    void SetCoeffUnite();

    virtual void LitIni(const QString& Anom, const TFichierIni& Ini);
    virtual void EcritIni(TFichierIni& Ini) const;

    // Decodes ChaineLue into ValeurCourante; never throws.
    void SetValeurCourante();

    // Uses the program-wide statistics object (statStabilite()).
    [[nodiscard]] bool isStable() const;
    [[nodiscard]] bool isStable(TStatistiqueDeuxVar& stat) const;
    void ResetStabilite() { nbreRouleau = 0; }
    // Adds a decoded value to the stability window, dropping the oldest beyond six.
    void AjouteValeurRouleau(double V);

    static constexpr int nbreAides = 16;
    static constexpr int tailleRouleau = 6;

    QString SymboleGrandeur = QStringLiteral("V");
    QString NomAppareil;
    QString UniteGrandeur = QStringLiteral("V");
    // AidePilotage[i - 1] is help line i, key "i" of the section.
    std::array<QString, nbreAides> AidePilotage;
    double ValMini = 0;
    double ValMaxi = 1;
    qint32 Precision = 5;
    QString nomGrandeur = QStringLiteral("Tension");
    bool LireCoeffUnite = false;
    bool LireNomUnite = false;
    quint16 ComNumber = 1;
    qint32 Baud = 9600;
    // 0 none, 1 odd, 2 even, 3 mark, 4 space (the order of TParity).
    quint8 Parite = 0;
    quint16 DataBits = 8;
    quint16 StopBits = 1;
    bool RTSCTS = false;
    bool XonXoff = false;
    // false: answers a request; true: sends on its own.
    bool EnvoiDirect = false;
    QByteArray Demande;
    QByteArray DemandeBis;
    QByteArray ChaineInit;
    QByteArray ChaineFin;
    bool FormatFixe = false;
    bool InitialisationAfaire = false;
    bool DeblocageAfaire = false;
    qint32 DebutNombre = 1;
    qint32 NbreCarac = 4;
    quint16 Delai = 100;
    quint16 Attente = 0;
    quint8 NumeroOrdre = 1;
    quint8 NbreLignes = 1;
    quint8 SeparateurChiffre = 0;
    double ValeurCourante = 0;
    double oldValeurCourante = std::numeric_limits<double>::quiet_NaN();
    QByteArray ChaineLue;
    // The port object the instrument is bound to; borrowed from the port table.
    TApdComPort* VoieSerie = nullptr;
    bool VoieSerieOK = false;
    double Derive = -1;
    // The stability window: tailleRouleau readings and one slot for the next.
    std::array<double, tailleRouleau + 1> valeurRouleau{};
    std::array<double, tailleRouleau + 1> indiceRouleau{};
    qint32 nbreRouleau = 0;
    bool FiltrageDepassement = false;
    bool depassement = false;
    qint32 NumeroVerif = 0;
    QByteArray TexteVerif;
    std::unique_ptr<Tunite> Unite;
    bool lectureSTAB = false;
    QString reponseStab;

private:
    void ExtraitLigne();
    void ExtraitFixe();
    void ExtraitContinu();
    void ChercheSuivant(const QByteArray& K);
    void CherchePrecedent(const QByteArray& K);
    [[nodiscard]] bool ConvertitNombre();
    [[nodiscard]] double LitPrefixeUnite();
    [[nodiscard]] bool verificationEchoue() const;

    // Working texts of one decoding: the number, and what follows it.
    QByteArray texteNombre;
    QByteArray texteSuite;
};
