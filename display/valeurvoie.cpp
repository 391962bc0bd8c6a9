#include "display/valeurvoie.h"

#include <QGlyphRun>
#include <QGroupBox>

void TFondPanneau::peint(QWidget& enfant) {
    QWidget* p = enfant.parentWidget();
    if (!p) return;
    const auto* cadre = qobject_cast<const QGroupBox*>(p);
    const Cle cle{enfant.geometry(),
                  p->size(),
                  p->palette().cacheKey(),
                  cadre ? cadre->title() : QString(),
                  p->font(),
                  enfant.devicePixelRatioF()};
    if (fond_.isNull() || !(cle == cle_)) {
        cle_ = cle;
        fond_ = QPixmap(enfant.size() * cle.echelle);
        fond_.setDevicePixelRatio(cle.echelle);
        // What the panel paints there, itself only: its background, frame and title.
        fond_.fill(p->palette().color(p->backgroundRole()));
        p->render(&fond_, QPoint(), QRegion(enfant.geometry()),
                  p->autoFillBackground() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    }
    QPainter peintre(&enfant);
    peintre.drawPixmap(0, 0, fond_);
}

void TValeurVoie::paintEvent(QPaintEvent* e) {
    peintFond();
    if (!dessineGlyphes()) QLabel::paintEvent(e);
}

bool TValeurVoie::dessineGlyphes() {
    const QString t = text();
    if (t.isEmpty()) return true;
    if (textFormat() == Qt::RichText || (textFormat() == Qt::AutoText && Qt::mightBeRichText(t)) ||
        wordWrap() || alignment() != (Qt::AlignLeft | Qt::AlignVCenter) || margin() != 0 ||
        indent() > 0 || frameWidth() != 0 || layoutDirection() != Qt::LeftToRight ||
        t.isRightToLeft())
        return false;
    if (policeLue_ != font() || echellePolice_ != devicePixelRatioF() || !police_.isValid()) {
        policeLue_ = font();
        echellePolice_ = devicePixelRatioF();
        police_ = QRawFont::fromFont(font());
    }
    if (!police_.isValid()) return false;
    for (const QChar c : t)
        if (c.unicode() < 0x20 || c.isSurrogate() || c.isMark() || !police_.supportsCharacter(c))
            return false;
    const QList<quint32> glyphes = police_.glyphIndexesForString(t);
    if (glyphes.size() != t.size() || glyphes.contains(0u)) return false;
    const QList<QPointF> avances = police_.advancesForGlyphIndexes(glyphes);
    const QRectF r = contentsRect();
    const qreal hauteur = police_.ascent() + police_.descent();
    QPointF p(r.left(), r.top() + (r.height() - hauteur) / 2 + police_.ascent());
    QList<QPointF> positions;
    positions.reserve(glyphes.size());
    for (const QPointF& a : avances) {
        positions.append(p);
        p += a;
    }
    QGlyphRun ligne;
    ligne.setRawFont(police_);
    ligne.setGlyphIndexes(glyphes);
    ligne.setPositions(positions);
    QPainter peintre(this);
    const QPalette::ColorGroup groupe = !isEnabled()       ? QPalette::Disabled
                                        : isActiveWindow() ? QPalette::Active
                                                           : QPalette::Inactive;
    peintre.setPen(palette().color(groupe, foregroundRole()));
    peintre.drawGlyphRun(QPointF(), ligne);
    return true;
}
