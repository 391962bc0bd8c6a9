#include "display/valeurvoie.h"

#include <QGroupBox>
#include <QPainter>

TValeurVoie::TValeurVoie(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TValeurVoie::CleFond TValeurVoie::cleFond() const {
    const QWidget* p = parentWidget();
    const auto* cadre = qobject_cast<const QGroupBox*>(p);
    return {
        geometry(), p->size(),          p->palette().cacheKey(), cadre ? cadre->title() : QString(),
        p->font(),  devicePixelRatioF()};
}

void TValeurVoie::paintEvent(QPaintEvent* e) {
    const CleFond cle = cleFond();
    if (fond_.isNull() || !(cle == cle_)) {
        cle_ = cle;
        fond_ = QPixmap(size() * cle.echelle);
        fond_.setDevicePixelRatio(cle.echelle);
        QWidget* p = parentWidget();
        // What the panel paints there, itself only: its background, frame and title.
        fond_.fill(p->palette().color(p->backgroundRole()));
        p->render(&fond_, QPoint(), QRegion(geometry()),
                  p->autoFillBackground() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    }
    {
        QPainter peintre(this);
        peintre.drawPixmap(0, 0, fond_);
    }
    QLabel::paintEvent(e);
}
