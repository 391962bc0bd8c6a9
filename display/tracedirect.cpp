#include "display/tracedirect.h"

#include <algorithm>
#include <cstdlib>

TTraceDirect::TTraceDirect(QImage& image) {
    const QImage::Format f = image.format();
    if (image.isNull() || image.devicePixelRatio() != 1 ||
        (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
         f != QImage::Format_ARGB32_Premultiplied))
        return;
    pixels_ = image.bits();
    pas_ = image.bytesPerLine();
    largeur_ = image.width();
    hauteur_ = image.height();
}

void TTraceDirect::carre(int x, int y, int d, QRgb couleur) {
    const int gauche = std::max(0, x - d), droite = std::min(largeur_ - 1, x + d);
    const int haut = std::max(0, y - d), bas = std::min(hauteur_ - 1, y + d);
    if (gauche > droite || haut > bas) return;
    couleur |= 0xFF000000u;
    for (int j = haut; j <= bas; ++j) {
        auto* ligne = reinterpret_cast<QRgb*>(pixels_ + qsizetype(j) * pas_);
        std::fill(ligne + gauche, ligne + droite + 1, couleur);
    }
}

// Bresenham's steps along the longer axis.
void TTraceDirect::ligne(int x1, int y1, int x2, int y2, QRgb couleur) {
    couleur |= 0xFF000000u;
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    const bool dedans = std::min(x1, x2) >= 0 && std::min(y1, y2) >= 0 &&
                        std::max(x1, x2) < largeur_ && std::max(y1, y2) < hauteur_;
    int erreur = dx + dy;
    for (;;) {
        if (dedans)
            reinterpret_cast<QRgb*>(pixels_ + qsizetype(y1) * pas_)[x1] = couleur;
        else
            point(x1, y1, couleur);
        if (x1 == x2 && y1 == y2) return;
        const int e2 = 2 * erreur;
        if (e2 >= dy) {
            erreur += dy;
            x1 += sx;
        }
        if (e2 <= dx) {
            erreur += dx;
            y1 += sy;
        }
    }
}
