#pragma once

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRawFont>
#include <QToolButton>

// What a channel panel shows beneath one of its children, kept in a pixmap. It is taken again
// when the panel's look or the child's place changes.
class TFondPanneau {
public:
    // Paints the copy on `enfant`, taking it first when it is out of date.
    void peint(QWidget& enfant);

private:
    struct Cle {
        QRect place;
        QSize tailleParent;
        qint64 palette = 0;
        QString titre;
        QFont police;
        qreal echelle = 1;
        bool operator==(const Cle&) const = default;
    };
    QPixmap fond_;
    Cle cle_;
};

// A child of a channel panel that changes with the readings (the value, the stability
// indicator): it paints itself opaque over the copy of its panel, so that a change repaints
// it alone and not the panel's frame and title each time.
template <class Base> class TSurPanneau : public Base {
public:
    explicit TSurPanneau(QWidget* parent) : Base(parent) {
        this->setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    bool event(QEvent* e) override {
        const bool traite = Base::event(e);
        // Some styles clear the attribute when they polish the widget.
        if (e->type() == QEvent::Polish || e->type() == QEvent::StyleChange)
            this->setAttribute(Qt::WA_OpaquePaintEvent);
        return traite;
    }
    void paintEvent(QPaintEvent* e) override {
        peintFond();
        Base::paintEvent(e);
    }
    void peintFond() { fond_.peint(*this); }

private:
    TFondPanneau fond_;
};

using TIndicateurStable = TSurPanneau<QToolButton>;

// The channel's value. A plain line of text in one font is drawn from the font's glyphs
// directly: the same pixels as the label's own drawing, without laying the text out again at
// every reading. Anything else (rich text, a missing glyph, other alignments) is left to the
// label.
class TValeurVoie : public TSurPanneau<QLabel> {
public:
    using TSurPanneau<QLabel>::TSurPanneau;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    bool dessineGlyphes();

    QRawFont police_;
    QFont policeLue_;
    qreal echellePolice_ = 0;
};
