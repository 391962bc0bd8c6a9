#include "display/icones.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <cmath>
#include <functional>
#include <mutex>

namespace {
constexpr int Cote = 64;
const QColor Encre(0x25, 0x3a, 0x5e);
const QColor Bleu(0x2f, 0x7d, 0xd1);
const QColor Vert(0x2e, 0x9e, 0x4f);
const QColor Rouge(0xd0, 0x3b, 0x2f);
const QColor Orange(0xe8, 0x8a, 0x1a);

QPen trait(const QColor& c, double largeur = 5) {
    return QPen(c, largeur, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void courbe(QPainter& p, const QColor& c) {
    QPainterPath chemin;
    chemin.moveTo(8, 50);
    chemin.cubicTo(24, 48, 26, 14, 40, 16);
    chemin.cubicTo(50, 18, 52, 30, 58, 28);
    p.setPen(trait(c, 5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(chemin);
}

void axes(QPainter& p) {
    p.setPen(trait(Encre, 4));
    p.drawLine(8, 6, 8, 56);
    p.drawLine(8, 56, 58, 56);
}

void dessine(const QString& nom, QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    if (nom == "fichier") {
        p.setPen(trait(Encre, 4));
        p.setBrush(QColor(0xf4, 0xc8, 0x5a));
        QPolygonF dossier({{6, 16}, {24, 16}, {30, 22}, {58, 22}, {58, 54}, {6, 54}});
        p.drawPolygon(dossier);
    } else if (nom == "ajouter") {
        p.setPen(trait(Encre, 4));
        p.setBrush(QColor(0xe8, 0xee, 0xf6));
        p.drawRoundedRect(QRectF(6, 14, 38, 40), 6, 6);
        p.setPen(trait(Encre, 3));
        p.drawLine(14, 26, 36, 26);
        p.drawLine(14, 36, 30, 36);
        p.setPen(trait(Vert, 7));
        p.drawLine(50, 30, 50, 58);
        p.drawLine(36, 44, 64 - 2, 44);
    } else if (nom.startsWith("mode")) {
        axes(p);
        const int mode = nom.mid(4).toInt();
        if (mode == 0) { // time base: a clock
            p.setPen(trait(Bleu, 4));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(38, 28), 18, 18);
            p.drawLine(QPointF(38, 28), QPointF(38, 16));
            p.drawLine(QPointF(38, 28), QPointF(47, 32));
        } else if (mode == 1) { // on demand: a pointing hand's key
            p.setPen(trait(Bleu, 4));
            p.setBrush(QColor(0xe8, 0xee, 0xf6));
            p.drawRoundedRect(QRectF(18, 30, 38, 16), 4, 4);
            p.drawLine(28, 38, 46, 38);
        } else if (mode == 2) { // master instrument: a meter sending
            p.setPen(trait(Bleu, 4));
            p.setBrush(QColor(0xe8, 0xee, 0xf6));
            p.drawRect(QRectF(16, 12, 24, 30));
            p.setPen(trait(Orange, 4));
            p.drawArc(QRectF(36, 14, 14, 20), -60 * 16, 120 * 16);
            p.drawArc(QRectF(40, 8, 20, 32), -60 * 16, 120 * 16);
        } else if (mode == 3) { // keyboard abscissa
            p.setPen(trait(Bleu, 3));
            p.setBrush(QColor(0xe8, 0xee, 0xf6));
            p.drawRoundedRect(QRectF(14, 18, 44, 26), 4, 4);
            for (int i = 0; i < 4; ++i)
                p.drawRect(QRectF(19 + i * 10, 24, 6, 6));
            p.drawLine(24, 37, 48, 37);
        } else { // burette
            p.setPen(trait(Bleu, 4));
            p.setBrush(QColor(0xd8, 0xe8, 0xfa));
            p.drawRect(QRectF(30, 4, 12, 34));
            p.drawLine(36, 38, 36, 46);
            p.setPen(Qt::NoPen);
            p.setBrush(Bleu);
            p.drawEllipse(QPointF(36, 52), 3, 3);
        }
    } else if (nom == "aide") {
        p.setPen(trait(Bleu, 5));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 32), 26, 26);
        // The question mark is drawn, not typed: a font of its own would cost the start-up.
        QPainterPath crochet;
        crochet.moveTo(22, 25);
        crochet.cubicTo(22, 12, 42, 12, 42, 24);
        crochet.cubicTo(42, 32, 32, 32, 32, 40);
        p.setPen(trait(Bleu, 7));
        p.setBrush(Qt::NoBrush);
        p.drawPath(crochet);
        p.drawPoint(QPointF(32, 50));
    } else if (nom == "apropos") {
        p.setPen(trait(Bleu, 5));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 32), 26, 26);
        p.setPen(trait(Bleu, 7));
        p.drawLine(32, 28, 32, 46);
        p.drawPoint(QPointF(32, 18));
    } else if (nom == "acquerir") {
        axes(p);
        courbe(p, Vert);
        p.setPen(Qt::NoPen);
        p.setBrush(Vert);
        p.drawEllipse(QPointF(40, 16), 6, 6);
    } else if (nom == "repere") {
        axes(p);
        p.setPen(trait(Orange, 4));
        p.setBrush(QColor(0xfb, 0xe3, 0xc0));
        p.drawPolygon(QPolygonF({{30, 8}, {54, 8}, {54, 26}, {30, 26}}));
        p.drawLine(30, 8, 30, 54);
    } else if (nom == "defaire") {
        p.setPen(trait(Encre, 6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(14, 16, 40, 36), 90 * 16, -250 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Encre);
        p.drawPolygon(QPolygonF({{4, 18}, {24, 8}, {24, 30}}));
    } else if (nom == "stop") {
        p.setPen(trait(Rouge.darker(120), 3));
        p.setBrush(Rouge);
        p.drawRoundedRect(QRectF(12, 12, 40, 40), 6, 6);
    } else if (nom == "raz") {
        p.setPen(trait(Encre, 4));
        p.setBrush(QColor(0xe8, 0xee, 0xf6));
        p.drawRect(QRectF(16, 18, 32, 40));
        p.drawLine(10, 14, 54, 14);
        p.drawLine(26, 8, 38, 8);
        p.drawLine(26, 26, 26, 50);
        p.drawLine(38, 26, 38, 50);
    } else if (nom == "kalvento") {
        p.setPen(trait(Encre, 4));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(28, 8, 30, 44));
        courbe(p, Bleu);
        p.setPen(trait(Vert, 6));
        p.drawLine(4, 44, 22, 44);
        p.setPen(Qt::NoPen);
        p.setBrush(Vert);
        p.drawPolygon(QPolygonF({{20, 34}, {32, 44}, {20, 54}}));
    } else if (nom == "copier") {
        p.setPen(trait(Encre, 4));
        p.setBrush(QColor(0xe8, 0xee, 0xf6));
        p.drawRect(QRectF(8, 6, 30, 38));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(24, 20, 30, 38));
    } else if (nom == "multimetre") {
        p.setPen(trait(Encre, 4));
        p.setBrush(QColor(0x30, 0x30, 0x30));
        p.drawRoundedRect(QRectF(6, 12, 52, 40), 6, 6);
        p.setPen(trait(QColor(0x6f, 0xe3, 0x7a), 4));
        p.drawLine(14, 32, 24, 32);
        p.drawLine(30, 22, 30, 42);
        p.drawLine(38, 22, 50, 22);
        p.drawLine(44, 22, 44, 42);
    } else if (nom == "dosage") {
        p.setPen(trait(Encre, 4));
        p.setBrush(QColor(0xd8, 0xe8, 0xfa));
        p.drawPolygon(QPolygonF({{22, 8}, {42, 8}, {42, 22}, {56, 56}, {8, 56}, {22, 22}}));
        p.setPen(trait(Orange, 4));
        p.drawLine(16, 44, 48, 44);
    } else if (nom == "suite-h" || nom == "suite-v") {
        // The tool bar's overflow button: two chevrons pointing on.
        if (nom == "suite-v") {
            p.translate(Cote, 0);
            p.rotate(90);
        }
        p.setPen(trait(Encre, 6));
        p.drawPolyline(QPolygonF({{14, 16}, {30, 32}, {14, 48}}));
        p.drawPolyline(QPolygonF({{34, 16}, {50, 32}, {34, 48}}));
    } else if (nom == "valider") {
        p.setPen(trait(Vert, 8));
        p.drawPolyline(QPolygonF({{10, 34}, {26, 50}, {54, 16}}));
    }
}
} // namespace

namespace {
QImage dessineImage(const QString& nom, int cote) {
    QImage image(cote, cote, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(cote / double(Cote), cote / double(Cote));
    dessine(nom, p);
    return image;
}

// The images drawn ahead, each taken once by the icon that shows it.
struct TImagesPretes {
    std::mutex verrou;
    int cote = 0;
    QHash<QString, QImage> images;
};

TImagesPretes& imagesPretes() {
    static TImagesPretes pretes;
    return pretes;
}

QImage prendImagePrete(const QString& nom, int cote) {
    TImagesPretes& pretes = imagesPretes();
    const std::lock_guard verrou(pretes.verrou);
    return pretes.cote == cote ? pretes.images.take(nom) : QImage();
}

// Draws an image at the size it is asked for, once per size and mode: a window asks for one
// or two of the sizes, and drawing all of them for every button cost a good part of the
// start-up.
class TMoteurIcone : public QIconEngine {
public:
    explicit TMoteurIcone(QString nom) : nom_(std::move(nom)) {}

    void paint(QPainter* peintre, const QRect& rect, QIcon::Mode mode, QIcon::State etat) override {
        const qreal ratio = peintre->device() ? peintre->device()->devicePixelRatioF() : 1.0;
        QPixmap image = pixmap(rect.size() * ratio, mode, etat);
        image.setDevicePixelRatio(ratio);
        peintre->drawPixmap(rect, image);
    }

    QPixmap pixmap(const QSize& taille, QIcon::Mode mode, QIcon::State) override {
        const int cote = std::max(1, std::min(taille.width(), taille.height()));
        const quint64 cle = (quint64(cote) << 8) | quint64(mode);
        if (const auto it = images_.constFind(cle); it != images_.constEnd()) return *it;
        QImage dessin = prendImagePrete(nom_, cote);
        if (dessin.isNull()) dessin = dessineImage(nom_, cote);
        QPixmap image = QPixmap::fromImage(std::move(dessin));
        // Disabled and selected looks as the style makes them from the normal image.
        if (mode != QIcon::Normal && mode != QIcon::Active) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            image = QApplication::style()->generatedIconPixmap(mode, image, &option);
        }
        images_.insert(cle, image);
        return image;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> tailles;
        for (const int t : {16, 20, 24, 32, 48, 64})
            tailles.append(QSize(t, t));
        return tailles;
    }

    [[nodiscard]] QIconEngine* clone() const override { return new TMoteurIcone(nom_); }

private:
    QString nom_;
    QHash<quint64, QPixmap> images_;
};
} // namespace

void PrepareIcones(const QStringList& noms, int cote) {
    QHash<QString, QImage> images;
    for (const QString& nom : noms)
        images.insert(nom, dessineImage(nom, cote));
    TImagesPretes& pretes = imagesPretes();
    const std::lock_guard verrou(pretes.verrou);
    pretes.cote = cote;
    pretes.images = std::move(images);
}

QIcon icone(const QString& nom) {
    return QIcon(new TMoteurIcone(nom));
}
