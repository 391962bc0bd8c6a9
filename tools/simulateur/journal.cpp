#include "journal.h"

#include "instruments/notation.h"

#include <QElapsedTimer>
#include <cstdio>

void signale(const QString& texte) {
    const QByteArray ligne = (QStringLiteral("simulateur: ") + texte + u'\n').toLocal8Bit();
    std::fwrite(ligne.constData(), 1, size_t(ligne.size()), stderr);
    std::fflush(stderr);
}

QString texteLisible(const QByteArray& octets, qsizetype limite) {
    QString t;
    for (qsizetype i = 0; i < octets.size() && i < limite; ++i) {
        const auto c = static_cast<unsigned char>(octets.at(i));
        if (c < 32)
            t += u'<' + QLatin1String(nomControle[c]) + u'>';
        else if (c == 127)
            t += QStringLiteral("<DEL>");
        else if (c > 127 || c == '<')
            t += QStringLiteral("<x%1>").arg(c, 2, 16, QLatin1Char('0'));
        else
            t += QLatin1Char(char(c));
    }
    if (octets.size() > limite) t += QStringLiteral("… (%1 octets)").arg(octets.size());
    return t;
}

double secondesEcoulees() {
    static const QElapsedTimer chrono = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return double(chrono.nsecsElapsed()) / 1E9;
}
