#pragma once

// Gestures made inside a modal dialog's own loop, and on radio groups, as a user makes them.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace banc {

// Runs `geste` on the modal dialog of type T that the next action opens, inside that dialog's
// own loop; the dialog is cancelled if it is still open afterwards, so that a failing step
// cannot hang the test.
template <typename T> void dansModal(std::function<void(T&)> geste) {
    QTimer::singleShot(0, [geste] {
        QPointer<T> d = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY2(d, T::staticMetaObject.className());
        geste(*d);
        if (d && d->isVisible()) d->reject();
    });
}

// Clicks the radio button whose caption is `texte` in a group box.
inline void choisit(QGroupBox* RG, const QString& texte) {
    for (QAbstractButton* b : RG->findChildren<QAbstractButton*>())
        if (b->text() == texte) {
            b->click();
            return;
        }
    QFAIL(qPrintable(texte));
}

inline QString texteChoisi(const QGroupBox* RG) {
    for (const QAbstractButton* b : RG->findChildren<QAbstractButton*>())
        if (b->isChecked()) return b->text();
    return {};
}

} // namespace banc
