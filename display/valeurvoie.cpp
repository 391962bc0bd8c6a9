#include "display/valeurvoie.h"

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
