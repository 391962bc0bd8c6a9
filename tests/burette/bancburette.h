#pragma once

// A burette driver talking over a real pseudo-terminal to the simulated Titronic, whose answers a
// test may replace line by line; private settings and COM pointing come from the shared fixtures.
#include "burette/buretters232.h"
#include "burettesimulee.h"
#include "serial/apdcomport.h"
#include "tests/commun/banc.h"
#include "tests/commun/terminalsimule.h"

#include <QElapsedTimer>
#include <functional>
#include <optional>

class BancBurette {
public:
    // Returns the bytes to answer to one command line (without its CR LF), or nothing to let
    // the simulated burette answer.
    using Script = std::function<std::optional<QByteArray>(const QByteArray& ligne)>;

    static constexpr int com = 7;

    explicit BancBurette(const ReglagesBurette& reglages = {}) : simulee(reglages), port(com) {
        chrono.start();
        banc::pointeCom(com, terminal.slave());
        terminal.setRepondeur([this](const QByteArray& recu) { return repond(recu); });
        port.setBaud(4800);
        port.setDataBits(7);
        port.setOpen(true);
        burette.VoieSerie = &port;
    }

    [[nodiscard]] double secondes() const { return double(chrono.nsecsElapsed()) / 1E9; }
    // The command lines the burette received, in order.
    [[nodiscard]] QList<QByteArray> lignes() const {
        QList<QByteArray> l = terminal.recu().split('\n');
        l.removeLast();
        for (QByteArray& x : l)
            x = x.trimmed();
        return l;
    }
    // Initialised with its rate set high, so that deliveries take milliseconds.
    bool prepare(int vitesse = 3000) {
        if (!burette.initBurette()) return false;
        burette.ecrit("GDM" + QByteArray::number(vitesse) + ",0", 6);
        burette.vitesseVerse = vitesse;
        return true;
    }

    TerminalSimule terminal;
    BuretteSimulee simulee;
    TApdComPort port;
    TburetteRS232 burette;
    Script script;

private:
    QByteArray repond(const QByteArray& recu) {
        entree_ += recu;
        QByteArray sortie;
        for (qsizetype fin = entree_.indexOf('\n'); fin >= 0; fin = entree_.indexOf('\n')) {
            const QByteArray ligne = entree_.left(fin + 1);
            entree_.remove(0, fin + 1);
            const std::optional<QByteArray> impose =
                script ? script(ligne.trimmed()) : std::nullopt;
            sortie += impose ? *impose : simulee.recoit(ligne, secondes());
        }
        return sortie;
    }

    QElapsedTimer chrono;
    QByteArray entree_;
};
