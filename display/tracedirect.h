#pragma once

#include <QImage>

// The plot's squares and one-pixel lines written straight into the image's pixels: a full
// redraw of nine channels of 2048 samples goes through tens of thousands of them, and the
// painter's general path costs several times more for each. Only for opaque colours on a
// 32-bit image at one device pixel per pixel; otherwise `valide()` is false and the caller
// draws with a painter.
class TTraceDirect {
public:
    explicit TTraceDirect(QImage& image);
    [[nodiscard]] bool valide() const { return pixels_ != nullptr; }
    // The square of side 2d+1 centred on (x, y), cut to the image.
    void carre(int x, int y, int d, QRgb couleur);
    // Both ends included; the parts outside the image are left out.
    void ligne(int x1, int y1, int x2, int y2, QRgb couleur);

private:
    void point(int x, int y, QRgb couleur) {
        if (x >= 0 && y >= 0 && x < largeur_ && y < hauteur_)
            reinterpret_cast<QRgb*>(pixels_ + qsizetype(y) * pas_)[x] = couleur;
    }

    uchar* pixels_ = nullptr;
    qsizetype pas_ = 0;
    int largeur_ = 0;
    int hauteur_ = 0;
};
