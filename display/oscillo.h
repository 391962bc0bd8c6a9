#pragma once

#include <QImage>
#include <QWidget>

class QToolButton;
class TCinetiqueMain;

// The plot area. Its pixels live in a backing image that the plot also draws on between
// paints (a new sample, the cursor crosses, a marker), and a paint only shows the part that
// changed; the image is drawn again from the store when the program asks (a new set-up, a
// zoom, new options) or when the widget's size or look changes.
class TOscillo : public QWidget {
    Q_OBJECT

public:
    TOscillo(TCinetiqueMain* fenetre, QWidget* parent);

    QImage image;
    // Gives the image the widget's size in device pixels; the old pixels are dropped.
    void prepareImage();
    // Shows the changed part of the image (all of it when `zone` is empty) at the next paint.
    void montreImage(const QRect& zone);
    // Draws everything again from the store, at once.
    void redessine();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void changeEvent(QEvent* event) override;

    TCinetiqueMain* fenetre_;
    // The image no longer matches the store or the look: the next paint draws it again.
    bool perimee_ = true;
};

// Two arrow buttons of a zoom: `changingEx(true)` for up (right on a horizontal one).
class TUpDown : public QWidget {
    Q_OBJECT

public:
    TUpDown(Qt::Orientation orientation, QWidget* parent);
    QToolButton* haut = nullptr;
    QToolButton* bas = nullptr;

Q_SIGNALS:
    void changingEx(bool versLeHaut);
};

// Geometry of the multimeter view, in pixels.
struct TDispositionMultimetre {
    int hauteurPanneau = 0;
    int policeValeur = 0;
    int policeTitre = 0;
    int hautValeur = 0;
    int gaucheIndicateur = 0;
};
[[nodiscard]] TDispositionMultimetre DispositionMultimetre(int hauteurZone, int largeurFenetre,
                                                           int nbreVoies);
