#include "display/graphe.h"

#include "display/tracedirect.h"

#include "acquisition/duree.h"
#include "app/utilitaires.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <array>
#include <cmath>
#include <vector>

namespace {
const QColor gris(128, 128, 128);
const QColor bleu(0, 0, 255);

// Beyond this a pixel is taken as an overflow: the arithmetic of the squares stays in range.
constexpr double pixelMax = 1 << 30;
// A graduation loop never runs longer than this, whatever the rounding of its steps.
constexpr int passesMax = 1000;

// Calls f(t) for each graduation of m, from the first one up to the maximum; f may snap t
// (a value next to zero becomes 0) and the next graduations follow from there.
template <class F> void pourChaqueGraduation(const Tmonde& m, F&& f) {
    if (!m.graduationPossible()) return;
    double t = m.pointDebut;
    int passes = 0;
    do {
        f(t);
        t += m.deltaAxe;
    } while (t < m.maxi && ++passes < passesMax);
}

// Pixel of a value on an axis: -1 for NaN; false when the mapping fails.
bool pixel(const Tmonde& m, double valeur, int& p) {
    if (estNaN(valeur)) {
        p = -1;
        return true;
    }
    const double r = std::nearbyint(m.a * valeur + m.b);
    if (!std::isfinite(r) || std::fabs(r) > pixelMax) {
        p = -1;
        return false;
    }
    p = int(r);
    return true;
}

int pixelAxe(const Tmonde& m, double valeur) {
    int p = -1;
    pixel(m, valeur, p);
    return p;
}

// The prefix shift a unit's first letter gives, as the axis title reads it.
int decalagePrefixe(const QString& unite) {
    if (unite.size() < 2) return 0;
    const QChar c = unite.front();
    return c == QLatin1Char('m')   ? -1
           : c == QLatin1Char('M') ? 2
           : c == QChar(0xB5)      ? -2
           : c == QLatin1Char('k') ? 1
                                   : 0;
}

// Labels are divided by the axis' power of ten only when the title says so: a unitless
// axis or a prefix outside the table would otherwise show values a thousand times off.
bool labelsDivises(const Tmonde& m) {
    if (m.exposant == 1) return true;
    if (m.Unite.isEmpty()) return false;
    const int k = int(std::lround(std::log10(m.exposant) / 3)) + decalagePrefixe(m.Unite);
    return k >= -3 && k <= 2;
}

QString etiquetteNombre(const Tmonde& m, double t, bool divise) {
    if (divise) return m.FormatAxe(t / m.exposant);
    // Undivided labels need the digits of the integer part.
    const double A = std::max(std::fabs(m.mini), std::fabs(m.maxi));
    const int entiers = A >= 1 ? int(std::floor(std::log10(A))) + 1 : 0;
    return FormatGeneral(t, std::clamp(entiers, int(m.NbreChiffres), 15), 1, separateurDecimal());
}

// h:mm:ss of t seconds; hours go on counting past a day (time bases reach 34 h).
QString etiquetteHeure(double t) {
    const double s = std::nearbyint(t);
    if (!(std::fabs(s) < 1e9)) return QString();
    const auto secondes = qint32(s);
    return secondes < 0 ? QLatin1Char('-') + FormatDuree(-secondes) : FormatDuree(secondes);
}

constexpr std::array<QRgb, Tgraphe::MaxVoies> couleurs{
    qRgb(0, 0, 255), qRgb(255, 0, 0),   qRgb(0, 128, 0),   qRgb(0, 0, 128), qRgb(255, 0, 255),
    qRgb(0, 255, 0), qRgb(0, 128, 128), qRgb(128, 0, 128), qRgb(0, 0, 0)};
} // namespace

QString Tgraphe::Etiquette(const Tmonde& m, double t) {
    return m.axeDateTime ? etiquetteHeure(t) : etiquetteNombre(m, t, labelsDivises(m));
}

QString Tgraphe::TitreAxe(const Tmonde& m) {
    if (m.axeDateTime) return m.Nom;
    return m.NomAxe(labelsDivises(m) ? m.exposant : 1);
}

QColor CouleurVoie(int v) {
    return v >= 0 && v < Tgraphe::MaxVoies ? QColor(couleurs[std::size_t(v)]) : QColor(Qt::black);
}

template <class F> void Tgraphe::dessine(F&& dessin, const QRect& zone) {
    if (peintre_) {
        dessin();
        return;
    }
    if (!Canvas || Canvas->isNull()) return;
    {
        QPainter p(Canvas);
        p.setFont(Police);
        peintre_ = &p;
        dessin();
        peintre_ = nullptr;
    }
    if (surfaceModifiee) surfaceModifiee(zone);
}

void Tgraphe::crayon(const QColor& couleur, Qt::PenStyle style, int largeur) {
    // Thin lines cover both ends; the cursor strokes keep their exact length.
    QPen pen(couleur, largeur, style, largeur > 1 ? Qt::FlatCap : Qt::SquareCap);
    peintre_->setPen(pen);
}

void Tgraphe::ecrit(int x, int y, const QString& texte) {
    const QFontMetrics fm = peintre_->fontMetrics();
    const int w = fm.horizontalAdvance(texte);
    if (ancre_ == ancreCentre) x -= w / 2;
    if (ancre_ == ancreDroite) x -= w;
    const QPen avant = peintre_->pen();
    peintre_->setPen(couleurTexte_);
    peintre_->drawText(x, y + fm.ascent(), texte);
    peintre_->setPen(avant);
}

void Tgraphe::LineG(int x1, int y1, int x2, int y2) {
    dessine([&] { peintre_->drawLine(x1, y1, x2, y2); });
}

void Tgraphe::carre(int xi, int yi) {
    // A missing sample sits at -1, off the plot: its square would show on the edge.
    if (xi == -1 || yi == -1) return;
    const int d = dimPoint;
    peintre_->fillRect(QRect(xi - d, yi - d, 2 * d + 1, 2 * d + 1), peintre_->brush());
}

void Tgraphe::CalculMonde() {
    const Trectangle& L = LimiteCourbe;
    mondeX.a = double(L.Right - L.Left) / (mondeX.maxi - mondeX.mini);
    mondeX.b = L.Left - mondeX.mini * mondeX.a;
    dimPoint = (L.Bottom - L.Top) / 450 + 1;
    for (int i = 0; i < std::min(NbreVoies, MaxVoies); ++i) {
        Tmonde& m = mondeY[i];
        m.a = double(L.Top - L.Bottom) / (m.maxi - m.mini);
        m.b = L.Bottom - m.mini * m.a;
    }
}

void Tgraphe::WindowXY(double x, double y, int v, int& xi, int& yi) const {
    const bool okX = pixel(mondeX, x, xi);
    const bool okY = v >= 0 && v < MaxVoies && pixel(mondeY[v], y, yi);
    if (!okX || !okY) xi = yi = -1;
}

void Tgraphe::MondeXY(int xi, int yi, int v, double& x, double& y) const {
    x = (xi - mondeX.b) / mondeX.a;
    y = v >= 0 && v < MaxVoies ? (yi - mondeY[v].b) / mondeY[v].a : NaN;
    if (!std::isfinite(x) || !std::isfinite(y)) x = y = NaN;
}

void Tgraphe::DrawG() {
    if (!Canvas || Canvas->isNull()) return;
    TTraceDirect direct(*Canvas);
    {
        QPainter p(Canvas);
        p.setFont(Police);
        peintre_ = &p;
        const QFontMetrics fm = p.fontMetrics();
        largCarac = fm.horizontalAdvance(QLatin1Char('A'));
        hautCarac = fm.height();
        marge = largCarac / 2;
        LimiteCourbe = Trectangle::depuis(LimiteFenetre);
        LimiteCourbe.Left += marge + 4 * largCarac;
        LimiteCourbe.Bottom -= marge + hautCarac;
        LimiteCourbe.Top += marge + hautCarac;
        if (NbreVoies > 1) LimiteCourbe.Right -= marge + 4 * largCarac;
        couleurTexte_ = gris;
        p.fillRect(LimiteFenetre, Qt::white);
        CalculMonde();
        if (quadrillage) DrawAxis();
        crayon(Qt::black);
        if (!direct.valide())
            for (int v = 0; v < std::min(NbreVoies, MaxVoies); ++v)
                TraceCourbe(v);
        peintre_ = nullptr;
    }
    // The curves straight into the pixels, between the painter's axes and its crosses.
    if (direct.valide())
        for (int v = 0; v < std::min(NbreVoies, MaxVoies); ++v)
            TraceCourbe(v, direct);
    QPainter p(Canvas);
    p.setFont(Police);
    peintre_ = &p;
    TraceCurseurs();
    for (const Trepere& r : ListeRepere)
        TraceRepere(r);
    peintre_ = nullptr;
}

void Tgraphe::DrawAxis() {
    if (NbreVoies <= 0) return;
    dessine([this] {
        axeX();
        axeGauche();
        if (NbreVoies > 1) axeDroit();
        ancre_ = ancreGauche;
    });
}

void Tgraphe::axeX() {
    const Trectangle& L = LimiteCourbe;
    const Trectangle F = Trectangle::depuis(LimiteFenetre);
    mondeX.setDelta();
    crayon(gris);
    couleurTexte_ = gris;
    const int xz = pixelAxe(mondeX, 0);
    const bool zeroDedans = xz > L.Left && xz < L.Right;
    if (zeroDedans) {
        crayon(gris, Qt::DashLine);
        LineG(xz, L.Bottom, xz, L.Top);
    }
    crayon(gris);
    LineG(F.Left, L.Bottom, F.Right, L.Bottom);
    LineG(F.Right - 3 * marge, L.Bottom + marge, F.Right, L.Bottom);
    LineG(F.Right - 3 * marge, L.Bottom - marge, F.Right, L.Bottom);
    ancre_ = ancreCentre;
    crayon(gris, Qt::DotLine);
    pourChaqueGraduation(mondeX, [&](double& t) {
        const int xi = pixelAxe(mondeX, t);
        if (xi <= L.Left || xi >= L.Right) return;
        LineG(xi, L.Top, xi, L.Bottom);
        if (L.Left + marge < xi && xi < F.Right - 2 * largCarac) {
            if (std::fabs(t) < (mondeX.maxi - mondeX.mini) / 100) t = 0;
            ecrit(xi, L.Bottom + marge, Etiquette(mondeX, t));
        }
    });
    ancre_ = ancreGauche;
    ecrit(F.Left + marge, L.Bottom + marge, TitreAxe(mondeX));
    if (zeroDedans) {
        crayon(gris, Qt::DotLine);
        LineG(xz, L.Bottom, xz, L.Top);
    }
}

void Tgraphe::axeGauche() {
    const Trectangle& L = LimiteCourbe;
    const Trectangle F = Trectangle::depuis(LimiteFenetre);
    Tmonde& m = mondeY[0];
    const QColor c = CouleurVoie(0);
    m.setDelta();
    couleurTexte_ = c;
    ancre_ = ancreDroite;
    crayon(c);
    LineG(L.Left, L.Bottom, L.Left, L.Top);
    LineG(L.Left + marge, L.Top + 3 * marge, L.Left, L.Top);
    LineG(L.Left - marge, L.Top + 3 * marge, L.Left, L.Top);
    crayon(c, Qt::DotLine);
    pourChaqueGraduation(m, [&](double& t) {
        const int yi = pixelAxe(m, t);
        if (yi <= L.Top || yi >= L.Bottom) return;
        LineG(L.Left, yi, L.Right, yi);
        if (L.Top + marge < yi && yi < L.Bottom - marge) {
            if (std::fabs(t) < (m.maxi - m.mini) / 1000) t = 0;
            ecrit(L.Left - marge, yi - marge, Etiquette(m, t));
        }
    });
    ancre_ = ancreGauche;
    ecrit(F.Left + marge, F.Top + marge, TitreAxe(m));
    ligneZero(0);
}

void Tgraphe::axeDroit() {
    const Trectangle& L = LimiteCourbe;
    const Trectangle F = Trectangle::depuis(LimiteFenetre);
    Tmonde& m = mondeY[1];
    const QColor c = CouleurVoie(1);
    m.setDelta();
    couleurTexte_ = c;
    ancre_ = ancreGauche;
    crayon(c);
    LineG(L.Right, L.Bottom, L.Right, L.Top);
    LineG(L.Right + marge, L.Top + 3 * marge, L.Right, L.Top);
    LineG(L.Right - marge, L.Top + 3 * marge, L.Right, L.Top);
    pourChaqueGraduation(m, [&](double& t) {
        const int yi = pixelAxe(m, t);
        if (yi <= L.Top || yi >= L.Bottom) return;
        LineG(L.Right, yi, L.Right - marge, yi);
        if (L.Top + marge < yi && yi < L.Bottom - marge) {
            if (std::fabs(t) < (m.maxi - m.mini) / 1000) t = 0;
            ecrit(L.Right + marge, yi - marge, Etiquette(m, t));
        }
    });
    const QString titre = TitreAxe(m);
    ecrit(L.Right + marge - peintre_->fontMetrics().horizontalAdvance(titre), F.Top + marge, titre);
    ligneZero(1);
}

void Tgraphe::ligneZero(int v) {
    const Trectangle& L = LimiteCourbe;
    const int yz = pixelAxe(mondeY[v], 0);
    if (yz > L.Top && yz < L.Bottom) {
        crayon(CouleurVoie(v));
        LineG(L.Left, yz, L.Right, yz);
    }
}

int Tgraphe::EchelleCourbe(int v) {
    Tmonde& m = mondeY[v];
    double bas = m.mini, haut = m.maxi;
    if (loupeAuto && NbrePoints > 16) m.chercheMinmax(NbrePoints, bas, haut);
    const Trectangle& L = LimiteCourbe;
    m.a = double(L.Top - L.Bottom) / (haut - bas);
    m.b = L.Bottom - bas * m.a;
    return std::clamp(NbrePoints, 0, int(m.valeur.size()));
}

bool Tgraphe::courbeTracee(int v) const {
    return v >= 0 && v < MaxVoies && !(v == voieMaitre && AbscisseMaitre == amVoie0);
}

void Tgraphe::TraceCourbe(int v) {
    if (!courbeTracee(v)) return;
    const int n = EchelleCourbe(v);
    const Tmonde& m = mondeY[v];
    dessine([&] {
        const QColor c = CouleurVoie(v);
        peintre_->setBrush(c);
        crayon(c);
        QPolygon ligne;
        if (avecLigne) ligne.reserve(n);
        for (int i = 0; i < n; ++i) {
            int xi = -1, yi = -1;
            WindowXY(mondeX.valeur[std::size_t(i)], m.valeur[std::size_t(i)], v, xi, yi);
            carre(xi, yi);
            if (avecLigne) ligne.append(QPoint(xi, yi));
        }
        if (ligne.size() > 1) peintre_->drawPolyline(ligne);
    });
}

// The same squares and line as TraceCourbe, in the same order, written into the pixels.
void Tgraphe::TraceCourbe(int v, TTraceDirect& direct) {
    if (!courbeTracee(v)) return;
    const int n = EchelleCourbe(v);
    const Tmonde& m = mondeY[v];
    const QRgb c = CouleurVoie(v).rgb();
    std::vector<QPoint> points(std::size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        int xi = -1, yi = -1;
        WindowXY(mondeX.valeur[std::size_t(i)], m.valeur[std::size_t(i)], v, xi, yi);
        points[std::size_t(i)] = QPoint(xi, yi);
        if (xi != -1 && yi != -1) direct.carre(xi, yi, dimPoint, c);
    }
    if (avecLigne)
        for (std::size_t i = 1; i < points.size(); ++i)
            direct.ligne(points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y(), c);
}

void Tgraphe::TracePoint(int v, int i) {
    if (v < 0 || v >= MaxVoies || i < 0 || i >= int(mondeX.valeur.size())) return;
    const auto k = std::size_t(i);
    int xi = -1, yi = -1;
    WindowXY(mondeX.valeur[k], mondeY[v].valeur[k], v, xi, yi);
    int xp = -1, yp = -1;
    const bool joint = avecLigne && i > 0;
    if (joint) WindowXY(mondeX.valeur[k - 1], mondeY[v].valeur[k - 1], v, xp, yp);
    // The square and the segment, with a pixel to spare for the pen.
    QRect zone = QRect(QPoint(xi, yi), QPoint(xi, yi))
                     .adjusted(-dimPoint - 1, -dimPoint - 1, dimPoint + 1, dimPoint + 1);
    if (joint) zone |= QRect(QPoint(xi, yi), QPoint(xp, yp)).normalized().adjusted(-1, -1, 1, 1);
    if (!peintre_ && Canvas) {
        // As the full redraw draws it, so that a later redraw changes no pixel of it.
        TTraceDirect direct(*Canvas);
        if (direct.valide()) {
            const QRgb c = CouleurVoie(v).rgb();
            if (xi != -1 && yi != -1) direct.carre(xi, yi, dimPoint, c);
            if (joint) direct.ligne(xp, yp, xi, yi, c);
            if (surfaceModifiee) surfaceModifiee(zone);
            return;
        }
    }
    dessine(
        [&] {
            const QColor c = CouleurVoie(v);
            peintre_->setBrush(c);
            crayon(c);
            carre(xi, yi);
            if (joint) peintre_->drawLine(xi, yi, xp, yp);
        },
        zone);
}

void Tgraphe::TraceRepere(const Trepere& repere) {
    dessine([&] {
        crayon(bleu, Qt::DashLine);
        const int xi = pixelAxe(mondeX, repere.Valeur);
        LineG(xi, LimiteCourbe.Top, xi, LimiteCourbe.Bottom);
        crayon(bleu);
    });
}

void Tgraphe::AjouteRepere(const QString& texte, double valeur) {
    ListeRepere.append(Trepere{valeur, texte});
    TraceRepere(ListeRepere.constLast());
}

void Tgraphe::TraceCurseurs() {
    if (mondeX.PosCurseur < 0) return;
    const int X = mondeX.PosCurseur;
    QRect zone;
    for (int i = 0; i < std::min(NbreVoies, MaxVoies); ++i)
        if (mondeY[i].PosCurseur >= 0) zone |= QRect(X - 10, mondeY[i].PosCurseur - 10, 21, 21);
    if (zone.isEmpty()) return;
    dessine(
        [this, X] {
            // Not-xor: drawing the same crosses twice gives the picture back.
            peintre_->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
            for (int i = 0; i < std::min(NbreVoies, MaxVoies); ++i) {
                if (i == voieMaitre && AbscisseMaitre == amVoie0) continue;
                const int Y = mondeY[i].PosCurseur;
                if (Y < 0) continue;
                crayon(CouleurVoie(i), Qt::SolidLine, 3);
                // One path for both strokes, so that their crossing is inverted once.
                QPainterPath croix;
                croix.moveTo(X, Y - 8);
                croix.lineTo(X, Y + 8);
                croix.moveTo(X - 8, Y);
                croix.lineTo(X + 8, Y);
                peintre_->drawPath(croix);
            }
            crayon(Qt::black);
            peintre_->setCompositionMode(QPainter::CompositionMode_SourceOver);
        },
        zone);
}

bool Tgraphe::isAxeX(int x, int y) const {
    return y >= LimiteCourbe.Bottom && x > LimiteCourbe.Left && x < LimiteCourbe.Right;
}

bool Tgraphe::isAxeY(int x, int y) const {
    return x <= LimiteCourbe.Left && y > LimiteCourbe.Top && y < LimiteCourbe.Bottom;
}

namespace {
// Rescaling shared by both axes: `debut` is the edge the drag distances are counted from,
// `fin` the opposite edge.
void reechelle(Tmonde& m, double rapport, int debut, int fin) {
    const double a = m.a * rapport;
    if (!std::isfinite(a) || a == 0) return;
    double mini = m.mini, maxi = m.maxi;
    if (maxi > 0 && mini >= 0)
        maxi = mini + (fin - debut) / a;
    else if (mini < 0 && maxi <= 0)
        mini = maxi - (fin - debut) / a;
    else if (mini * maxi < 0) {
        maxi = (fin - m.b) / a;
        mini = (debut - m.b) / a;
    }
    if (!std::isfinite(mini) || !std::isfinite(maxi) || !(maxi > mini)) return;
    m.a = a;
    m.mini = mini;
    m.maxi = maxi;
}
} // namespace

void Tgraphe::changeEchelleX(int xn, int xo) {
    const int L = LimiteCourbe.Left;
    if (xn - L < 16 || xo - L <= 0) return;
    reechelle(mondeX, double(xn - L) / (xo - L), L, LimiteCourbe.Right);
}

void Tgraphe::changeEchelleY(int yn, int yo) {
    const int B = LimiteCourbe.Bottom;
    if (B - yn < 16 || B - yo <= 0) return;
    reechelle(mondeY[0], double(B - yn) / (B - yo), B, LimiteCourbe.Top);
}
