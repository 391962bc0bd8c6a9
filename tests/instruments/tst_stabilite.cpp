// Stability test: the line fit and the judgement of the last six readings.
#include "instruments/appareil.h"
#include "instruments/stabilite.h"
#include "settings/fichierini.h"

#include <QTest>
#include <cmath>

Q_DECLARE_METATYPE(QList<double>)

class TstStabilite : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void droite_data() {
        QTest::addColumn<QList<double>>("x");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<double>("pente");
        QTest::addColumn<double>("y0");
        QTest::newRow("droite") << QList<double>{0, 1, 2, 3} << QList<double>{1, 3, 5, 7} << 2.0
                                << 1.0;
        QTest::newRow("decroissante")
            << QList<double>{0, 1, 2} << QList<double>{4, 3, 2} << -1.0 << 4.0;
        // Degenerate fits leave the slope 0 and Y0 as it was (-9).
        QTest::newRow("Y constant")
            << QList<double>{0, 1, 2} << QList<double>{5, 5, 5} << 0.0 << -9.0;
        QTest::newRow("X constant")
            << QList<double>{1, 1, 1} << QList<double>{1, 2, 3} << 0.0 << -9.0;
        QTest::newRow("un point") << QList<double>{0} << QList<double>{3} << 0.0 << -9.0;
    }
    void droite() {
        QFETCH(QList<double>, x);
        QFETCH(QList<double>, y);
        QFETCH(double, pente);
        QFETCH(double, y0);
        vecteur X{}, Y{};
        std::copy(x.begin(), x.end(), X.begin());
        std::copy(y.begin(), y.end(), Y.begin());
        TStatistiqueDeuxVar stat;
        stat.penteY = 42;
        stat.Y0 = -9;
        stat.Init(X, Y, qint32(x.size()));
        QVERIFY(std::fabs(stat.penteY - pente) < 1e-12);
        QVERIFY(std::fabs(stat.Y0 - y0) < 1e-12);
    }

    void stable_data() {
        QTest::addColumn<QList<double>>("valeurs");
        QTest::addColumn<double>("derive");
        QTest::addColumn<bool>("stable");
        const QList<double> montee{1, 2, 3, 4, 5, 6};
        QTest::newRow("egales") << QList<double>(6, 7.0) << 1e-20 << true;
        QTest::newRow("egales derive 0") << QList<double>(6, 7.0) << 0.0 << false;
        QTest::newRow("pente 1 derive 6.01") << montee << 6.01 << true;
        QTest::newRow("pente 1 derive 6") << montee << 6.0 << false;
        QTest::newRow("cinq valeurs") << QList<double>(5, 7.0) << 1.0 << false;
        // After 1..7 the window is 2..7: still slope 1.
        QTest::newRow("septieme") << QList<double>{100, 2, 3, 4, 5, 6, 7} << 6.01 << true;
        QTest::newRow("ancienne valeur chassee")
            << QList<double>{-50, 7, 7, 7, 7, 7, 7} << 0.01 << true;
        QTest::newRow("derive NaN") << montee << std::nan("") << true;
        QTest::newRow("valeur manquante dans la fenetre")
            << QList<double>{7, 7, std::nan(""), 7, 7, 7} << 1.0 << false;
        QTest::newRow("valeur courante NaN")
            << QList<double>{7, 7, 7, 7, 7, std::nan("")} << 1.0 << false;
    }
    void stable() {
        QFETCH(QList<double>, valeurs);
        QFETCH(double, derive);
        QFETCH(bool, stable);
        Tappareil a;
        a.Derive = derive;
        for (double v : valeurs) {
            a.AjouteValeurRouleau(v);
            a.ValeurCourante = v;
        }
        TStatistiqueDeuxVar stat;
        QCOMPARE(a.isStable(stat), stable);
        QCOMPARE(a.isStable(), stable); // the program-wide object gives the same answer
        QVERIFY(a.nbreRouleau <= 6);
    }

    void remiseAZero() {
        Tappareil a;
        a.Derive = 1;
        for (int i = 0; i < 8; ++i)
            a.AjouteValeurRouleau(7);
        a.ValeurCourante = 7;
        QVERIFY(a.isStable());
        a.ResetStabilite();
        QCOMPARE(a.valeurRouleau[3], 7.0); // values stay, only the count restarts
        for (int i = 0; i < 5; ++i) {
            a.AjouteValeurRouleau(7);
            QVERIFY(!a.isStable());
        }
        a.AjouteValeurRouleau(7);
        QVERIFY(a.isStable());
    }

    void stabiliteAnnoncee_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<bool>("stable");
        QTest::newRow("SRAB") << QByteArray("SRAB 7.01\r") << true;
        QTest::newRow("STAB") << QByteArray("STAB 7.01\r") << false;
        QTest::newRow("valeur") << QByteArray("7.01\r") << false;
        QTest::newRow("courte") << QByteArray("SRA") << false;
    }
    void stabiliteAnnoncee() {
        QFETCH(QByteArray, reponse);
        QFETCH(bool, stable);
        Tappareil a;
        a.lectureSTAB = true;
        a.ValMaxi = 14;
        a.ChaineLue = reponse;
        a.SetValeurCourante();
        QCOMPARE(a.isStable(), stable);
    }

    // Through the decoding, for a range 0..14 without a "Derive" key: threshold 0.1.
    void seuilParDefaut() {
        Tappareil a;
        a.LitIni(QStringLiteral("pH"), TFichierIni::depuisOctets("[pH]\r\nMini=0\r\nMaxi=14\r\n"));
        QCOMPARE(a.Derive, 0.1);
        auto lit = [&a](double v) {
            a.ChaineLue = QByteArray::number(v, 'f', 4) + '\r';
            a.SetValeurCourante();
        };
        for (int i = 0; i < 6; ++i)
            lit(7 + i * 0.016); // slope 0.016: 6 x 0.016 < 0.1
        QVERIFY(a.isStable());
        for (int i = 0; i < 6; ++i)
            lit(7 + i * 0.017); // 6 x 0.017 > 0.1
        QVERIFY(!a.isStable());
        lit(15); // filtered out of range: NaN
        QVERIFY(std::isnan(a.ValeurCourante));
        QVERIFY(!a.isStable());
        QCOMPARE(a.valeurRouleau[5], 15.0); // the discarded value is still in the window
    }

    void proprietaireRemplacable() {
        auto mien = std::make_unique<TStatistiqueDeuxVar>();
        TStatistiqueDeuxVar* adresse = mien.get();
        auto ancien = remplaceStatStabilite(std::move(mien));
        QCOMPARE(&statStabilite(), adresse);
        Tappareil a;
        a.Derive = 100;
        for (int i = 0; i < 6; ++i)
            a.AjouteValeurRouleau(i * 2);
        a.ValeurCourante = 10;
        QVERIFY(a.isStable());
        QCOMPARE(adresse->penteY, 2.0);
        remplaceStatStabilite(std::move(ancien));
        QVERIFY(&statStabilite() != adresse);
    }
};

QTEST_GUILESS_MAIN(TstStabilite)
#include "tst_stabilite.moc"
