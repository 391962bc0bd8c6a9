#pragma once

#include "acquisition/echantillons.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

class QImage;
class QPainter;

// Mouse drag on an axis.
enum Tcurseur { curSelect, curYmax, curXmax };

// Pixel rectangle with exclusive Right and Bottom, as the plot's rules count them.
struct Trectangle {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    static Trectangle depuis(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
};

// Colours of the channels, shared by the plot and the channel panels.
QColor CouleurVoie(int v);

// The plot of a sample store: the engine's, or one of its own (tests, benchmarks).
class Tgraphe {
    std::unique_ptr<TEchantillons> propre_;

public:
    static constexpr int MaxVoies = TEchantillons::MaxVoies;

    Tgraphe() : Tgraphe(nullptr) {}
    explicit Tgraphe(TEchantillons& stock) : Tgraphe(&stock) {}
    Tgraphe(const Tgraphe&) = delete;
    Tgraphe& operator=(const Tgraphe&) = delete;

    // The store drawn, and its fields under their usual names.
    TEchantillons& stock;
    Tmonde& mondeX;
    Tmonde (&mondeY)[MaxVoies];
    QList<Trepere>& ListeRepere;
    int& NbrePoints;
    int& NbreVoies;
    TabscisseMaitre& AbscisseMaitre;
    indiceVoie& voieMaitre;
    bool& avecLigne;

    qint32 dimPoint = 0;
    // Surface drawn on, set by the window before drawing; not owned. Incremental drawings
    // outside a full redraw open their own painter on it.
    QImage* Canvas = nullptr;
    // The surface's font: the margins are measured from it.
    QFont Police;
    bool quadrillage = true;
    int NbreReg = 0;
    Trectangle LimiteCourbe;
    QRect LimiteFenetre;
    qint32 marge = 0;
    qint32 largCarac = 0;
    qint32 hautCarac = 0;
    Tcurseur curseur = curSelect;
    qint32 xCurseur = 0;
    qint32 yCurseur = 0;
    bool loupeAuto = false;
    // Called after a drawing made between two paints, so that the window shows it; the
    // rectangle holds what changed (empty: anything may have).
    std::function<void(const QRect&)> surfaceModifiee;

    void CalculMonde();
    // Pixels of a value pair; -1 for a NaN value, both -1 when the mapping fails.
    void WindowXY(double x, double y, int v, int& xi, int& yi) const;
    // Values of a pixel pair; both NaN when the mapping fails.
    void MondeXY(int xi, int yi, int v, double& x, double& y) const;
    void DrawG();
    void DrawAxis();
    void TraceCourbe(int v);
    void TraceCourbe(int v, class TTraceDirect& direct);
    void TracePoint(int v, int i);
    void TraceRepere(const Trepere& repere);
    void AjouteRepere(const QString& texte, double valeur);
    void TraceCurseurs();
    [[nodiscard]] bool isAxeX(int x, int y) const;
    [[nodiscard]] bool isAxeY(int x, int y) const;
    void changeEchelleX(int xn, int xo);
    void changeEchelleY(int yn, int yo);
    void LineG(int x1, int y1, int x2, int y2);
    // Graduation label and title of an axis after its setDelta. The labels are divided by
    // the axis' power of ten only when the title shows the prefix.
    [[nodiscard]] static QString Etiquette(const Tmonde& m, double t);
    [[nodiscard]] static QString TitreAxe(const Tmonde& m);

private:
    explicit Tgraphe(TEchantillons* stock)
        : propre_(stock ? nullptr : std::make_unique<TEchantillons>()),
          stock(stock ? *stock : *propre_), mondeX(this->stock.mondeX), mondeY(this->stock.mondeY),
          ListeRepere(this->stock.ListeRepere), NbrePoints(this->stock.NbrePoints),
          NbreVoies(this->stock.NbreVoies), AbscisseMaitre(this->stock.AbscisseMaitre),
          voieMaitre(this->stock.voieMaitre), avecLigne(this->stock.avecLigne) {}

    enum Ancre { ancreGauche, ancreCentre, ancreDroite };

    // Runs a drawing on the open painter, or on a painter of its own opened on Canvas; `zone`
    // bounds what it draws (empty: anywhere).
    template <class F> void dessine(F&& dessin, const QRect& zone = QRect());
    // The channel's vertical scale for a curve (the automatic zoom), and the samples to draw.
    int EchelleCourbe(int v);
    [[nodiscard]] bool courbeTracee(int v) const;
    void ecrit(int x, int y, const QString& texte);
    void crayon(const QColor& couleur, Qt::PenStyle style = Qt::SolidLine, int largeur = 1);
    void carre(int xi, int yi);
    void axeX();
    void axeGauche();
    void axeDroit();
    void ligneZero(int v);

    QPainter* peintre_ = nullptr;
    Ancre ancre_ = ancreGauche;
    QColor couleurTexte_;
};
