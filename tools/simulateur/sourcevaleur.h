#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <random>
#include <vector>

// Where the value an instrument plays comes from, as a function of the time in seconds since
// the simulator started. Written on the command line as:
//   constante:V                 always V
//   rampe:DEBUT,PENTE           DEBUT + PENTE × t (PENTE per second)
//   bruit:MOYENNE,ECART         normal draws around MOYENNE with that standard deviation
//   fichier:CHEMIN              a curve of "t valeur" lines, interpolated, last value held
//   becher                      the pH of the simulated titration (made by the simulator itself)
// Numbers take "." for decimals; with ";" between the numbers they may take "," instead.
class SourceValeur {
public:
    // nullptr and a French message in `erreur` when the text is not a source.
    [[nodiscard]] static std::unique_ptr<SourceValeur> depuisTexte(const QString& texte,
                                                                   quint32 graine, QString& erreur);
    [[nodiscard]] static std::unique_ptr<SourceValeur> constante(double v);
    // A value computed by the simulator (the beaker's pH); `texte` names it.
    [[nodiscard]] static std::unique_ptr<SourceValeur> fonction(const QString& texte,
                                                                std::function<double(double)> f);

    // May be NaN or infinite for a curve that holds such values; the caller bounds it.
    [[nodiscard]] double valeur(double t);
    [[nodiscard]] const QString& texte() const { return texte_; }

private:
    enum Genre { sgConstante, sgRampe, sgBruit, sgFichier, sgFonction };
    struct Point {
        double t;
        double v;
    };
    bool litCourbe(const QString& chemin, QString& erreur);

    Genre genre_ = sgConstante;
    double a_ = 0;
    double b_ = 0;
    std::vector<Point> courbe_;
    std::function<double(double)> fonction_;
    std::mt19937 aleas_;
    QString texte_;
};
