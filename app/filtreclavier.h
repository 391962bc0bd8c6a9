#pragma once

#include <QObject>
#include <QString>

// Ctrl+letter types a Greek letter in any edit box of the program (Ctrl+Shift+letter the
// capital), so that quantity symbols such as σ, λ or Δ can be typed. Ctrl+C, Ctrl+X and
// Ctrl+V keep their clipboard meaning while text is selected.
class TFiltreClavier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    // Entry k (1..26, the letters A..Z) of the table.
    [[nodiscard]] static QChar lettreGrecque(int k, bool capitale);

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
};
