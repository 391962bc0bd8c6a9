#include "acquisition/duree.h"

#include <QRegularExpression>

namespace {
struct Hms {
    qint32 h, m, s;
};

Hms decoupe(qint32 D) {
    const qint32 h = (D / 60) / 60;
    const qint32 m = (D / 60) % 60;
    return {h, m, D - 60 * m - 3600 * h};
}

qint32 multipleSuperieur(qint32 x, qint32 pas) {
    return (x + pas - 1) / pas * pas;
}
} // namespace

void ArrondiDuree(qint32& D) {
    auto [h, m, s] = decoupe(D);
    if (h > 0) {
        s = 0;
        m = multipleSuperieur(m, 15);
    } else if (m > 3) {
        s = 0;
        if (m > 30)
            m = multipleSuperieur(m, 10);
        else if (m > 10)
            m = multipleSuperieur(m, 5);
    } else {
        s = multipleSuperieur(s, 10);
    }
    D = s + 60 * m + 3600 * h;
}

void DureeSuivante(qint32& D) {
    auto [h, m, s] = decoupe(D);
    if (h > 0) {
        s = 0;
        m += 15;
    } else if (m > 3) {
        s = 0;
        m += m > 30 ? 10 : m > 10 ? 5 : 1;
    } else {
        s += m == 0 ? 10 : 15;
    }
    D = s + 60 * m + 3600 * h;
}

void DureePrecedente(qint32& D) {
    auto [h, m, s] = decoupe(D);
    if (h > 0) {
        s = 0;
        m -= 15;
    } else if (m > 3) {
        s = 0;
        m -= m > 30 ? 10 : m > 10 ? 5 : 1;
    } else if (m == 0) {
        s = s > 10 ? s - 10 : 10;
    } else {
        s -= 15;
    }
    D = s + 60 * m + 3600 * h;
}

QString FormatDuree(qint32 secondes) {
    secondes = std::max(secondes, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(secondes / 3600)
        .arg(secondes / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secondes % 60, 2, 10, QLatin1Char('0'));
}

bool LitDuree(const QString& texte, qint32& secondes) {
    static const QRegularExpression forme(
        QStringLiteral("^\\s*(\\d{1,3}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch m = forme.match(texte);
    if (!m.hasMatch()) return false;
    const int h = m.captured(1).toInt(), mn = m.captured(2).toInt();
    const int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (mn > 59 || s > 59) return false;
    secondes = h * 3600 + mn * 60 + s;
    return true;
}
