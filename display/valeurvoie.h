#pragma once

#include <QFont>
#include <QLabel>
#include <QPixmap>

// The value of a channel in its panel. Its text changes with every reading: it paints itself
// opaque over a copy of what its panel shows beneath it, so that a new value repaints this
// label alone and not the panel's frame and title each time. The copy is taken again when the
// panel's look or the label's place changes.
class TValeurVoie : public QLabel {
public:
    explicit TValeurVoie(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    struct CleFond {
        QRect place;
        QSize tailleParent;
        qint64 palette = 0;
        QString titre;
        QFont police;
        qreal echelle = 1;
        bool operator==(const CleFond&) const = default;
    };
    [[nodiscard]] CleFond cleFond() const;

    QPixmap fond_;
    CleFond cle_;
};
