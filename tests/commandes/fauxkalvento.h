#pragma once

// The analysis program as the transfer sees it: it listens on a channel and keeps every
// request it receives, in order (without their NUL).
#include <QByteArrayList>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <functional>

class FauxKalvento : public QObject {
public:
    explicit FauxKalvento(const QString& chemin) {
        QLocalServer::removeServer(chemin);
        serveur_.listen(chemin);
        connect(&serveur_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = serveur_.nextPendingConnection()) {
                connect(s, &QLocalSocket::readyRead, this, [this, s] { lit(s); });
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                lit(s);
            }
        });
    }
    [[nodiscard]] bool ecoute() const { return serveur_.isListening(); }
    // The macros received, without the item headings.
    [[nodiscard]] QByteArrayList macros() const {
        QByteArrayList m;
        for (const QByteArray& r : requetes)
            if (!r.startsWith('\x01')) m << r;
        return m;
    }

    QByteArrayList requetes;
    std::function<void(const QByteArray&)> recu;

private:
    void lit(QLocalSocket* s) {
        QByteArray& t = tampons_[s];
        t += s->readAll();
        for (qsizetype nul = t.indexOf('\0'); nul >= 0; nul = t.indexOf('\0')) {
            const QByteArray r = t.left(nul);
            t.remove(0, nul + 1);
            requetes << r;
            if (recu) recu(r);
        }
    }

    QLocalServer serveur_;
    QHash<QLocalSocket*, QByteArray> tampons_;
};
