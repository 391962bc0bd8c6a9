// The burette driver against the simulated Titronic on a pseudo-terminal: identification and
// preparation, volume read-back, additions and their rounding, and a burette that goes silent.
#include "bancburette.h"
#include "burette/dosage.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>

using Reponses = QMap<QByteArray, QByteArray>;
Q_DECLARE_METATYPE(Reponses)

namespace {
// A script answering the commands of the map (answers as given, CR LF added unless empty).
BancBurette::Script repondPar(const Reponses& reponses) {
    return [reponses](const QByteArray& ligne) -> std::optional<QByteArray> {
        if (!reponses.contains(ligne)) return std::nullopt;
        const QByteArray r = reponses.value(ligne);
        return r.isEmpty() ? r : r + "\r\n";
    };
}
} // namespace

class TestBurette : public QObject {
    Q_OBJECT
    QTemporaryDir dossier;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(dossier); }

    void initialisation_data() {
        QTest::addColumn<bool>("universelle");
        QTest::addColumn<Reponses>("reponses");
        QTest::addColumn<bool>("reussie");
        QTest::addColumn<QString>("erreur");
        QTest::addColumn<double>("capacite");
        QTest::addColumn<QList<QByteArray>>("envoye");
        const QList<QByteArray> basic{"01RH", "01RA", "01GDM10,0", "01MO2"};
        const QList<QByteArray> universal{"01RH", "99AA01", "01RA", "01GDM10,0", "01MO2"};
        QTest::newRow("universal") << true << Reponses{} << true << "" << 20.0 << universal;
        QTest::newRow("basic") << false << Reponses{} << true << "" << 20.0 << basic;
        QTest::newRow("capacité 50")
            << false << Reponses{{"01RA", "01RA:50"}} << true << "" << 50.0 << basic;
        QTest::newRow("capacité illisible")
            << false << Reponses{{"01RA", "01RA:5A"}} << true << "" << 20.0 << basic;
        QTest::newRow("sans deux-points")
            << false << Reponses{{"01RA", "01RA 50"}} << true << "" << 33.0 << basic;
        QTest::newRow("aucune burette")
            << false << Reponses{{"01RH", "01 pompe P1"}} << false
            << "Burette Schott Titronic non trouvée" << 33.0 << QList<QByteArray>{"01RH"};
        QTest::newRow("muette") << false << Reponses{{"01RH", ""}} << false
                                << "Burette Schott Titronic non trouvée" << 33.0
                                << QList<QByteArray>{"01RH", "01RH"};
    }
    void initialisation() {
        QFETCH(bool, universelle);
        QFETCH(Reponses, reponses);
        QFETCH(bool, reussie);
        ReglagesBurette r;
        r.universelle = universelle;
        BancBurette banc(r);
        banc.script = repondPar(reponses);
        banc.burette.ValMaxi = 33;
        QCOMPARE(banc.burette.initBurette(), reussie);
        QTEST(banc.burette.erreurInit, "erreur");
        QTEST(banc.burette.ValMaxi, "capacite");
        QTEST(banc.lignes(), "envoye");
        QVERIFY(!banc.burette.busy);
    }

    // A first identification that is empty or "ERROR" is asked again once.
    void identificationRedemandee_data() {
        QTest::addColumn<QByteArray>("premiere");
        QTest::newRow("vide") << QByteArray();
        QTest::newRow("erreur") << QByteArray("01ERROR\r\n");
    }
    void identificationRedemandee() {
        QFETCH(QByteArray, premiere);
        BancBurette banc;
        int demandes = 0;
        banc.script = [&](const QByteArray& ligne) -> std::optional<QByteArray> {
            if (ligne == "01RH" && ++demandes == 1) return premiere;
            return std::nullopt;
        };
        QVERIFY(banc.burette.initBurette());
        QCOMPARE(demandes, 2);
        QVERIFY(banc.burette.identification.contains("universal"));
        QVERIFY(!banc.burette.enPanne());
    }

    // An exchange asked for from an event handled while another waits sends nothing.
    void echangeImbrique() {
        BancBurette banc;
        banc.script = [&](const QByteArray& ligne) -> std::optional<QByteArray> {
            if (ligne != "01VO") return std::nullopt;
            QTimer::singleShot(150, &banc.terminal,
                               [&] { banc.terminal.ecrit("01V=  1.500\r\n"); });
            return QByteArray();
        };
        QByteArray imbrique = "?";
        double volumeImbrique = -1;
        bool verseImbrique = true;
        int points = 0;
        const double volumes[1] = {0};
        const TMagasinDosage magasin{{}, volumes, [] { return 1; }, [&] { ++points; }, [] {}};
        TResultatDosage etape = rdPoint;
        QTimer::singleShot(30, [&] {
            imbrique = banc.burette.lit("RH", 4);
            volumeImbrique = banc.burette.volume();
            verseImbrique = banc.burette.verse(0.1);
            etape = EtapeDosage(banc.burette, magasin);
        });
        banc.burette.volumeVerse = 0.7;
        QCOMPARE(banc.burette.volume(), 1.5);
        QCOMPARE(imbrique, QByteArray());
        QCOMPARE(volumeImbrique, 0.7);
        QVERIFY(!verseImbrique);
        QCOMPARE(int(etape), int(rdAttente));
        QCOMPARE(points, 0);
        QCOMPARE(banc.lignes(), QList<QByteArray>{"01VO"});
    }

    void volume_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<double>("volume");
        QTest::newRow("blancs") << QByteArray("01V=  12.345") << 12.345;
        QTest::newRow("sans chiffre") << QByteArray("01V= ml") << 0.7;
        QTest::newRow("sans V=") << QByteArray("01READY") << 0.7;
        QTest::newRow("dernier octet seul") << QByteArray("01V=5") << 0.7;
        QTest::newRow("pas un nombre") << QByteArray("01V=1.2.3 ml") << qQNaN();
    }
    void volume() {
        QFETCH(QByteArray, reponse);
        QFETCH(double, volume);
        BancBurette banc;
        banc.script = repondPar({{"01VO", reponse}});
        banc.burette.volumeVerse = 0.7;
        const double lu = banc.burette.volume();
        QVERIFY2(std::isnan(volume) ? std::isnan(lu) : lu == volume,
                 qPrintable(QString::number(lu)));
    }

    // The addition is clamped, then rounded down to a whole number of VolumeMin with the quotient
    // in extended precision.
    void verse_data() {
        QTest::addColumn<double>("demande");
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::addColumn<QByteArray>("envoye");
        QTest::newRow("arrondi inférieur") << 0.237 << 0.05 << 0.5 << QByteArray("01DA0.20");
        QTest::newRow("NaN") << qQNaN() << 0.05 << 0.5 << QByteArray("01DA0.05");
        QTest::newRow("maxi 0,5 pas 0,04") << 2.0 << 0.04 << 0.5 << QByteArray("01DA0.48");
        QTest::newRow("maxi 0,5 pas 0,05") << 2.0 << 0.05 << 0.5 << QByteArray("01DA0.45");
        QTest::newRow("0,5 pas 0,1") << 0.5 << 0.1 << 1.0 << QByteArray("01DA0.40");
        QTest::newRow("1 pas 0,01") << 1.0 << 0.01 << 1.0 << QByteArray("01DA0.99");
        QTest::newRow("0,2 pas 0,01") << 0.2 << 0.01 << 1.0 << QByteArray("01DA0.20");
    }
    void verse() {
        QFETCH(double, mini);
        QFETCH(double, maxi);
        QFETCH(double, demande);
        BancBurette banc;
        QVERIFY(banc.prepare());
        TburetteRS232& b = banc.burette;
        b.VolumeMin = mini;
        b.VolumeMax = maxi;
        b.ValeurCourante = 1;
        QSignalSpy progression(&b, &TburetteRS232::progressionVerse);
        QVERIFY(b.verse(demande));
        QTEST(banc.lignes().last(), "envoye");
        const double v = banc.lignes().last().mid(4).toDouble();
        QCOMPARE(b.deltatVerse, 60 * v / 3000);
        QCOMPARE(b.volumeVerse, 1 + v);
        QVERIFY(!progression.isEmpty());
        QCOMPARE(progression.last().at(0).toDouble(), 1 + v);
        QCOMPARE(b.volume(), v);
    }

    // A burette that stops answering ends the titration with a clear text, and is asked for no
    // further addition; a lost port says so.
    void panne() {
        ReglagesBurette r;
        r.panneApres = 1;
        BancBurette banc(r);
        QVERIFY(banc.prepare());
        TburetteRS232& b = banc.burette;
        QVERIFY(b.verse(0.1));
        QVERIFY(!b.enPanne());
        QVERIFY(!b.verse(0.1));
        // Silent long enough (a few exchanges, more than a second): out of order.
        QVERIFY(banc::attend([&] { return (void)b.volume(), b.enPanne(); }, 5000));
        QCOMPARE(b.erreurBurette, QStringLiteral("La burette ne répond plus"));
        const auto ajouts = [&] {
            const QList<QByteArray> l = banc.lignes();
            return std::count_if(l.begin(), l.end(),
                                 [](const QByteArray& x) { return x.startsWith("01DA"); });
        };
        QCOMPARE(ajouts(), 2);
        QVERIFY(!b.verse(0.1));
        QCOMPARE(ajouts(), 2);
        // initBurette starts afresh, and reports the silence.
        QVERIFY(!b.initBurette());

        BancBurette perdu;
        QVERIFY(perdu.prepare());
        perdu.port.setOpen(false);
        QVERIFY(!perdu.burette.verse(0.1));
        QCOMPARE(perdu.burette.erreurBurette, QStringLiteral("Problème voie série Burette"));
    }

    // Reset: BF, RS until READY, BN; the burette's count and ValeurCourante back to 0.
    void reset() {
        ReglagesBurette r;
        r.dureeReset = 0.3;
        BancBurette banc(r);
        QVERIFY(banc.prepare());
        TburetteRS232& b = banc.burette;
        QVERIFY(b.verse(0.3));
        b.ValeurCourante = 0.3;
        QVERIFY(b.reset());
        QCOMPARE(b.ValeurCourante, 0.0);
        QCOMPARE(b.volume(), 0.0);
        QList<QByteArray> l = banc.lignes();
        l = l.mid(l.indexOf("01BF"));
        QVERIFY(l.count("01RS") >= 2);
        QCOMPARE(l.first(), QByteArray("01BF"));
        QCOMPARE(l.at(l.size() - 2), QByteArray("01BN"));
    }
};

QTEST_GUILESS_MAIN(TestBurette)
#include "tst_burette.moc"
