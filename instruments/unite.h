#pragma once

#include <QString>
#include <array>
#include <stdexcept>

enum TuniteSansDim { tuVide, tuDecibel, tuTour };

class EUniteError : public std::runtime_error {
public:
    EUniteError() : std::runtime_error("Erreur unité") {}
};

// A physical unit: a power of ten times a product of the seven SI base units
// (m, kg, s, A, K, mol, cd), with a reader for unit texts such as "mS/cm" or "J/kg.K".
class Tunite {
public:
    Tunite() { Init(); }

    QString FnomUnite;
    std::array<qint8, 7> Dimension{};
    TuniteSansDim sansDim = tuVide;
    QString symboleGrandeur;
    qint8 Puissance = 0;
    bool Correct = true;

    [[nodiscard]] const QString& nomUnite() const { return FnomUnite; }
    void Init();
    void setUniteComplet(const QString& nu, qint8 p, qint8 d1, qint8 d2, qint8 d3, qint8 d4,
                         qint8 d5, qint8 d6, qint8 d7);
    void RecopieUnite(const Tunite& U);
    // Never throws: a text that is not a unit leaves Correct false.
    void LitTexteUnite(const QString& texte);
    [[noreturn]] void setErreurUnite();

    void PlusUnite(const Tunite& U0);
    void MoinsUnite(const Tunite& U0);
    void AdUnite(QChar op, const Tunite& Ug, const Tunite& Ud);
    // "*": U0 raised to puiss; "/": the puiss-th root of U0 (EUniteError when it has none).
    void MulUnite(QChar op, const Tunite& U0, int puiss);
    void PuissUnite(QChar op, int puiss);
    void InverseUnite();

    // The same power and dimensions.
    [[nodiscard]] bool memeUnite(const Tunite& autre) const {
        return Puissance == autre.Puissance && Dimension == autre.Dimension;
    }
};
