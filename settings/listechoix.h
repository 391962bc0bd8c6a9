#pragma once

#include <QComboBox>

// A drop-down list whose entry is chosen by a click in its open list or by Enter: the arrow
// keys, typed letters and the mouse wheel only move through the entries. QComboBox reports all
// of these as `activated`, which made every step an addition.
class TListeChoix : public QComboBox {
    Q_OBJECT
public:
    explicit TListeChoix(QWidget* parent = nullptr);

Q_SIGNALS:
    // An entry clicked (or taken with Enter) in the open list.
    void choisi(int index);
    // Enter on the closed list: the entry shown is the choice.
    void valide();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool parcours_ = false;
};
