#include "display/oscillo.h"

#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "display/polices.h"
#include "instruments/appareil.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <cmath>
#include <functional>

namespace {
// Calls back on every resize of the object it watches.
class TSuiviTaille : public QObject {
public:
    TSuiviTaille(std::function<void()> action, QObject* parent)
        : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::Resize) action_();
        return QObject::eventFilter(objet, e);
    }

private:
    std::function<void()> action_;
};

void couleurTexte(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

QFont policePixels(const QString& famille, int pixels) {
    QFont f(FamilleInstallee(famille));
    f.setPixelSize(std::max(1, pixels));
    return f;
}
} // namespace

TDispositionMultimetre DispositionMultimetre(int hauteurZone, int largeurFenetre, int nbreVoies) {
    TDispositionMultimetre d;
    if (nbreVoies < 1) return d;
    d.hauteurPanneau = std::max(0, hauteurZone) / nbreVoies;
    const int F = std::min(d.hauteurPanneau / 2, std::max(0, largeurFenetre) / 8);
    d.policeValeur = F;
    d.policeTitre = F / 2;
    d.hautValeur = d.hauteurPanneau / 3;
    d.gaucheIndicateur = largeurFenetre * 2 / 3;
    return d;
}

TOscillo::TOscillo(TCinetiqueMain* fenetre, QWidget* parent) : QWidget(parent), fenetre_(fenetre) {
    setObjectName(QStringLiteral("Oscillo"));
    // The image covers every pixel: no background to fill first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(200, 150);
    QFont police(FamilleInstallee(QStringLiteral("Arial")));
    police.setPixelSize(12);
    setFont(police);
}

void TOscillo::prepareImage() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    if (image.size() == pixels && image.devicePixelRatio() == ratio) return;
    image = QImage(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
}

void TOscillo::montreImage(const QRect& zone) {
    if (!isVisible()) return;
    if (zone.isEmpty())
        update();
    else
        update(zone);
}

void TOscillo::redessine() {
    perimee_ = true;
    repaint();
}

void TOscillo::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange)
        perimee_ = true;
}

void TOscillo::paintEvent(QPaintEvent* event) {
    const qreal ratio = devicePixelRatioF();
    const bool aJour = image.size() == QSize(qRound(width() * ratio), qRound(height() * ratio)) &&
                       image.devicePixelRatio() == ratio;
    if (perimee_ || !aJour) {
        perimee_ = false;
        fenetre_->OscilloPaint();
    }
    QPainter p(this);
    p.drawImage(event->rect(), image,
                QRectF(event->rect().topLeft() * ratio, QSizeF(event->rect().size()) * ratio));
}

void TOscillo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fenetre_->FormResize();
}

void TOscillo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    fenetre_->OscilloMouseDown(p.x(), p.y());
}

void TOscillo::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    fenetre_->OscilloMouseMove(p.x(), p.y());
}

void TOscillo::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    fenetre_->OscilloMouseUp(p.x(), p.y());
    fenetre_->OscilloClick();
}

TUpDown::TUpDown(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
    const bool horizontal = orientation == Qt::Horizontal;
    QBoxLayout* boite = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                   : static_cast<QBoxLayout*>(new QVBoxLayout(this));
    boite->setContentsMargins(0, 0, 0, 0);
    boite->setSpacing(0);
    haut = new QToolButton(this);
    bas = new QToolButton(this);
    haut->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
    bas->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
    for (QToolButton* b : {haut, bas}) {
        b->setFixedSize(horizontal ? QSize(16, 20) : QSize(20, 16));
        b->setAutoRepeat(true);
    }
    if (horizontal) {
        boite->addWidget(bas);
        boite->addWidget(haut);
    } else {
        boite->addWidget(haut);
        boite->addWidget(bas);
    }
    connect(haut, &QToolButton::clicked, this, [this] { Q_EMIT changingEx(true); });
    connect(bas, &QToolButton::clicked, this, [this] { Q_EMIT changingEx(false); });
    adjustSize();
}

QWidget* TCinetiqueMain::CreeOscillo(QWidget* parent) {
    auto* oscillo = new TOscillo(this, parent);
    graphe.Canvas = &oscillo->image;
    graphe.Police = oscillo->font();
    graphe.surfaceModifiee = [oscillo](const QRect& zone) { oscillo->montreImage(zone); };
    XUpDown = new TUpDown(Qt::Horizontal, oscillo);
    XUpDown->setObjectName(QStringLiteral("XUpDown"));
    YUpDown = new TUpDown(Qt::Vertical, oscillo);
    YUpDown->setObjectName(QStringLiteral("YUpDown"));
    connect(XUpDown, &TUpDown::changingEx, this, &TCinetiqueMain::XUpDownChangingEx);
    connect(YUpDown, &TUpDown::changingEx, this, &TCinetiqueMain::YUpDownChangingEx);
    connect(PleinEcranBtn, &QToolButton::clicked, this, &TCinetiqueMain::PleinEcranBtnClick);
    // The window's size sets the multimeter layout; the plot follows its own widget.
    installEventFilter(new TSuiviTaille([this] { FormResize(); }, this));
    return oscillo;
}

void TCinetiqueMain::OscilloPaint() {
    auto* oscillo = static_cast<TOscillo*>(Oscillo);
    oscillo->prepareImage();
    graphe.Canvas = &oscillo->image;
    graphe.LimiteFenetre = Oscillo->rect();
    for (int v = 0; v < std::min(graphe.NbreVoies, int(Tgraphe::MaxVoies)); ++v) {
        if (const Tappareil* app = acq_->AppareilAcq[std::size_t(v)]) {
            graphe.mondeY[v].Nom = app->SymboleGrandeur;
            graphe.mondeY[v].Unite = app->UniteGrandeur;
        }
    }
    graphe.DrawG();
    YUpDown->move(graphe.LimiteCourbe.Left + 8, 12);
    XUpDown->move(Oscillo->width() - XUpDown->width() - 2,
                  Oscillo->height() - XUpDown->height() - 20);
}

void TCinetiqueMain::OscilloMouseDown(int X, int Y) {
    if (graphe.NbreVoies < 1) return;
    if (graphe.isAxeX(X, Y)) {
        graphe.xCurseur = X;
        graphe.curseur = curXmax;
        Oscillo->setCursor(Qt::SizeHorCursor);
    } else if (graphe.isAxeY(X, Y)) {
        graphe.yCurseur = Y;
        graphe.curseur = curYmax;
        Oscillo->setCursor(Qt::SizeVerCursor);
    }
}

void TCinetiqueMain::OscilloMouseMove(int X, int Y) {
    if (graphe.NbreVoies < 1) return;
    switch (graphe.curseur) {
    case curSelect: {
        double x = NaN, y = NaN;
        graphe.MondeXY(X, Y, 0, x, y);
        const Tmonde& mx = graphe.mondeX;
        const Tappareil* app = acq_->AppareilAcq[0];
        const QString ordonnee = app && !estNaN(y)
                                     ? app->NomValeurUnite(y)
                                     : graphe.mondeY[0].Nom + QLatin1Char('=') + FormatCourt(y) +
                                           QLatin1Char(' ') + graphe.mondeY[0].Unite;
        StatusSouris->setText(QStringLiteral("Souris : ") + mx.Nom + QLatin1Char('=') +
                              FormatCourt(x) + QLatin1Char(' ') + mx.Unite + QStringLiteral("  ") +
                              ordonnee + QLatin1Char(' '));
        Oscillo->setCursor(graphe.isAxeX(X, Y)   ? Qt::SizeHorCursor
                           : graphe.isAxeY(X, Y) ? Qt::SizeVerCursor
                                                 : Qt::ArrowCursor);
        break;
    }
    case curYmax:
        if (std::abs(Y - graphe.yCurseur) > 8) {
            graphe.changeEchelleY(Y, graphe.yCurseur);
            graphe.yCurseur = Y;
            RedessineOscillo();
        }
        break;
    case curXmax:
        if (std::abs(X - graphe.xCurseur) > 8) {
            graphe.changeEchelleX(X, graphe.xCurseur);
            graphe.xCurseur = X;
            RedessineOscillo();
        }
        break;
    }
}

void TCinetiqueMain::OscilloMouseUp(int X, int Y) {
    if (graphe.curseur == curSelect) return;
    if (graphe.curseur == curYmax) graphe.changeEchelleY(Y, graphe.yCurseur);
    if (graphe.curseur == curXmax) graphe.changeEchelleX(X, graphe.xCurseur);
    Oscillo->setCursor(Qt::ArrowCursor);
    graphe.curseur = curSelect;
    RedessineOscillo();
}

void TCinetiqueMain::OscilloClick() {
    RedessineOscillo();
}

namespace {
// Doubles or halves both ends; false when that would leave a usable range.
bool zoome(Tmonde& m, bool haut) {
    const double f = haut ? 2 : 0.5;
    const double mini = m.mini * f, maxi = m.maxi * f;
    if (!std::isfinite(mini) || !std::isfinite(maxi) || !(maxi > mini)) return false;
    m.mini = mini;
    m.maxi = maxi;
    return true;
}
} // namespace

void TCinetiqueMain::XUpDownChangingEx(bool haut) {
    if (!zoome(graphe.mondeX, haut)) return;
    // In the time base the duration follows the axis (outside a run).
    acq_->ZoomAbscisse();
    RedessineOscillo();
}

void TCinetiqueMain::YUpDownChangingEx(bool haut) {
    if (!zoome(graphe.mondeY[0], haut)) return;
    RedessineOscillo();
}

void TCinetiqueMain::PleinEcranBtnClick() {
    const bool multimetre = PleinEcranBtn->isChecked();
    // The channel panels take the whole window: the grid steps aside with the plot.
    PanelGrid->setVisible(!multimetre);
    Oscillo->setVisible(!multimetre);
    PanelDuree->setVisible(!multimetre);
    ClavierGB->setVisible(acq_->ModeAcq == maClavier && !multimetre);
    DispositionVoies();
    repaint();
}

void TCinetiqueMain::DispositionVoies() {
    if (!PanelVoies) return;
    auto* pile = qobject_cast<QBoxLayout*>(PanelVoies->layout());
    const bool multimetre = PleinEcranBtn->isChecked();
    const int n = std::clamp(graphe.NbreVoies, 0, int(Tgraphe::MaxVoies));
    if (pile) {
        pile->setContentsMargins(multimetre ? QMargins() : QMargins(2, 2, 2, 2));
        pile->setSpacing(multimetre ? 0 : 2);
        // In the multimeter view the panels, not the filler, share the height.
        for (int i = 0; i < pile->count(); ++i)
            if (pile->itemAt(i)->spacerItem()) pile->setStretch(i, multimetre ? 0 : 1);
    }
    if (multimetre) {
        if (n < 1) return; // nothing to share the height between
        PanelVoies->setMinimumWidth(0);
        PanelVoies->setMaximumWidth(QWIDGETSIZE_MAX);
        const int autres = LabelPb->isVisibleTo(PanelVoies) ? LabelPb->sizeHint().height() : 0;
        const TDispositionMultimetre d =
            DispositionMultimetre(PanelVoies->height() - autres, width(), n);
        const int largeur = std::max(0, width() - 16);
        for (int v = 0; v < n; ++v) {
            QGroupBox* cadre = groupBoxs[std::size_t(v)];
            QLabel* valeur = labels[std::size_t(v)];
            QPalette fond = cadre->palette();
            fond.setColor(QPalette::Window, Qt::white);
            fond.setColor(QPalette::WindowText, CouleurVoie(v));
            cadre->setPalette(fond);
            cadre->setAutoFillBackground(true);
            couleurTexte(valeur, CouleurVoie(v));
            cadre->setFont(policePixels(QStringLiteral("Calibri"), d.policeTitre));
            // No minimum: the window may still be made smaller.
            cadre->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
            cadre->setMinimumHeight(0);
            cadre->setMaximumHeight(d.hauteurPanneau);
            if (pile) pile->setStretchFactor(cadre, 1);
            valeur->setFont(policePixels(QStringLiteral("Courier New"), d.policeValeur));
            valeur->setGeometry(8, d.hautValeur, largeur,
                                std::max(0, d.hauteurPanneau - d.hautValeur));
            QToolButton* stable = speedButtons[std::size_t(v)];
            stable->move(d.gaucheIndicateur, stable->y());
        }
        return;
    }
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        QGroupBox* cadre = groupBoxs[std::size_t(v)];
        QLabel* valeur = labels[std::size_t(v)];
        if (!cadre || !valeur) continue;
        QPalette texte = cadre->palette();
        texte.setColor(QPalette::WindowText, CouleurVoie(v));
        cadre->setPalette(texte);
        couleurTexte(valeur, CouleurVoie(v));
        cadre->setFont(policePixels(QStringLiteral("Kalvento"), 12));
        cadre->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        cadre->setFixedHeight(60);
        if (pile) pile->setStretchFactor(cadre, 0);
        valeur->setFont(policePixels(QStringLiteral("Courier New"), 18));
        // Below the indicator: the value may use the whole width of the frame.
        valeur->setGeometry(8, 24, 194, 30);
        QToolButton* stable = speedButtons[std::size_t(v)];
        stable->move(168, stable->y());
    }
    PanelVoies->setFixedWidth(210);
}

void TCinetiqueMain::FormResize() {
    if (!Oscillo || !PanelVoies) return; // the window is still being built
    graphe.LimiteFenetre = Oscillo->rect();
    if (PleinEcranBtn->isChecked()) DispositionVoies();
}
