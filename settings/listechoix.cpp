#include "settings/listechoix.h"

#include <QKeyEvent>

TListeChoix::TListeChoix(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!parcours_) Q_EMIT choisi(index);
    });
}

void TListeChoix::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        Q_EMIT valide();
        return;
    }
    parcours_ = true;
    QComboBox::keyPressEvent(event);
    parcours_ = false;
}

void TListeChoix::wheelEvent(QWheelEvent* event) {
    parcours_ = true;
    QComboBox::wheelEvent(event);
    parcours_ = false;
}
