#pragma once

#include <QString>
#include <memory>
#include <random>
#include <vector>

// Where the value an instrument plays comes from, as a function of the time in seconds since
// the simulator started. Written on the command line as:
//   constante:V                 always V
//   rampe:DEBUT,PENTE           DEBUT + PENTE × t (PENTE per second)
//   bruit:MOYENNE,ECART         normal draws around MOYENNE with that standard deviation
//   fichier:CHEMIN              a curve of "t valeur" lines, interpolated, last value held
// Numbers take "." for decimals; with ";" between the numbers they may take "," instead.
class SourceValeur {
public:
    // nullptr and a French message in `erreur` when the text is not a source.
    [[nodiscard]] static std::unique_ptr<SourceValeur> depuisTexte(const QString& texte,
                                                                   quint32 graine, QString& erreur);
    [[nodiscard]] static std::unique_ptr<SourceValeur> constante(double v);

    // May be NaN or infinite for a curve that holds such values; the caller bounds it.
    [[nodiscard]] double valeur(double t);
    [[nodiscard]] const QString& texte() const { return texte_; }

private:
    enum Genre { sgConstante, sgRampe, sgBruit, sgFichier };
    struct Point {
        double t;
        double v;
    };
    bool litCourbe(const QString& chemin, QString& erreur);

    Genre genre_ = sgConstante;
    double a_ = 0;
    double b_ = 0;
    std::vector<Point> courbe_;
    std::mt19937 aleas_;
    QString texte_;
};
