// The mode dialog's time-base rules on the settings alone.
#include "settings/reglagesbalayage.h"
#include "tests/commun/banc.h"

#include <QTest>

namespace {
qint32 hms(int h, int m, int s) {
    return h * 3600 + m * 60 + s;
}
QString texte(const TReglagesBalayage& r) {
    return QStringLiteral("%1:%2:%3 dt=%4 N=%5")
        .arg(r.DureeMesure / 3600)
        .arg(r.DureeMesure / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(r.DureeMesure % 60, 2, 10, QLatin1Char('0'))
        .arg(r.DeltatMesure)
        .arg(NbrePointsMax(r));
}
} // namespace

class TstReglagesBalayage : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(dossier_); }

    // δt typed: the number of samples stays within 8..2048 and δt at DeltatMin or above.
    void deltatSaisi_data() {
        QTest::addColumn<int>("duree");
        QTest::addColumn<int>("deltatMin");
        QTest::addColumn<int>("saisi");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("1 h, δt 1") << hms(1, 0, 0) << 1 << 1 << "1:00:00 dt=2 N=1800";
        QTest::newRow("4 h, δt 1: 8, not 7") << hms(4, 0, 0) << 1 << 1 << "4:00:00 dt=8 N=1800";
        QTest::newRow("10 s, δt 2") << 10 << 1 << 2 << "0:00:10 dt=1 N=10";
        QTest::newRow("below DeltatMin") << 120 << 3 << 1 << "0:02:00 dt=3 N=40";
        QTest::newRow("above 60") << 120 << 1 << 90 << "0:02:00 dt=15 N=8";
        QTest::newRow("short, DeltatMin 2") << 10 << 2 << 1 << "0:00:16 dt=2 N=8";
        QTest::newRow("2048 × 7 + 1 s") << 14337 << 1 << 1 << "3:58:57 dt=7 N=2048";
    }
    void deltatSaisi() {
        QFETCH(int, duree);
        QFETCH(int, deltatMin);
        QFETCH(int, saisi);
        TReglagesBalayage r;
        r.DureeMesure = duree;
        r.DeltatMin = quint16(deltatMin);
        MajTemps(r, saisi);
        QTEST(texte(r), "attendu");
    }

    // The duration buttons, pressed again and again.
    void boutonsDuree_data() {
        QTest::addColumn<bool>("haut");
        QTest::addColumn<int>("duree");
        QTest::addColumn<int>("deltat");
        QTest::addColumn<int>("deltatMin");
        QTest::addColumn<QStringList>("suite");
        QTest::newRow("up from 0:02:00")
            << true << hms(0, 2, 0) << 1 << 1
            << QStringList{"0:02:20 dt=1", "0:02:40 dt=1", "0:03:00 dt=1", "0:03:20 dt=1",
                           "0:03:40 dt=1", "0:04:00 dt=1", "0:05:00 dt=1", "0:06:00 dt=1",
                           "0:07:00 dt=1", "0:08:00 dt=1", "0:09:00 dt=1", "0:10:00 dt=1",
                           "0:15:00 dt=1", "0:20:00 dt=1", "0:25:00 dt=1", "0:30:00 dt=1",
                           "0:40:00 dt=2", "0:50:00 dt=2", "1:00:00 dt=2", "1:15:00 dt=3",
                           "1:30:00 dt=3", "1:45:00 dt=4"};
        QTest::newRow("down from 0:02:00")
            << false << hms(0, 2, 0) << 1 << 1
            << QStringList{"0:01:50 dt=1", "0:01:40 dt=1", "0:01:30 dt=1", "0:01:20 dt=1",
                           "0:01:10 dt=1", "0:01:00 dt=1", "0:00:50 dt=1", "0:00:40 dt=1",
                           "0:00:30 dt=1", "0:00:20 dt=1", "0:00:10 dt=1", "0:00:10 dt=1"};
        QTest::newRow("down at 1:00:00")
            << false << hms(1, 0, 0) << 1 << 1 << QStringList{"0:50:00 dt=2"};
        QTest::newRow("down at 0:00:10, DeltatMin 2")
            << false << 10 << 2 << 2 << QStringList{"0:00:16 dt=2"};
        QTest::newRow("up at δt 60 stops at 2048 samples")
            << true << hms(34, 0, 0) << 60 << 1
            << QStringList{"34:08:00 dt=60", "34:08:00 dt=60", "34:08:00 dt=60"};
    }
    void boutonsDuree() {
        QFETCH(bool, haut);
        QFETCH(int, duree);
        QFETCH(int, deltat);
        QFETCH(int, deltatMin);
        QFETCH(QStringList, suite);
        TReglagesBalayage r;
        r.DureeMesure = duree;
        r.DeltatMesure = quint16(deltat);
        r.DeltatMin = quint16(deltatMin);
        QStringList vu;
        for (qsizetype i = 0; i < suite.size(); ++i) {
            haut ? DureeSuivanteBalayage(r) : DureePrecedenteBalayage(r);
            QVERIFY2(NbrePointsMax(r) >= nbrePointsMini && NbrePointsMax(r) <= nbrePointsMaxi,
                     qPrintable(texte(r)));
            vu << texte(r).section(QLatin1Char(' '), 0, 1);
        }
        QCOMPARE(vu, suite);
    }

    // A duration typed far beyond what the store holds is cut to 2048 samples of 60 s.
    void dureeHorsLimites() {
        TReglagesBalayage r;
        r.DureeMesure = hms(100, 0, 0);
        AjusteDuree(r);
        QCOMPARE(texte(r), QStringLiteral("34:08:00 dt=60 N=2048"));
        r.DureeMesure = 0;
        AjusteDuree(r);
        QCOMPARE(texte(r), QStringLiteral("0:00:10 dt=1 N=10"));
    }
};

QTEST_GUILESS_MAIN(TstReglagesBalayage)
#include "tst_reglagesbalayage.moc"
