#include "app/utilitaires.h"
#include "acquisition/monde.h"

#include <QLocale>
#include <QTest>

class TstMonde : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void graduation_data() {
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::addColumn<QString>("unite");
        QTest::addColumn<double>("pas");
        QTest::addColumn<double>("debut");
        QTest::addColumn<double>("exposant");
        QTest::addColumn<int>("chiffres");
        QTest::addColumn<bool>("heures");
        QTest::newRow("0..14") << 0.0 << 14.0 << "" << 2.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("0..100") << 0.0 << 100.0 << "" << 10.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("0..10") << 0.0 << 10.0 << "" << 1.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("0..20") << 0.0 << 20.0 << "" << 2.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("0..50") << 0.0 << 50.0 << "" << 10.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("-2..2") << -2.0 << 2.0 << "" << 0.5 << -2.0 << 1.0 << 3 << false;
        QTest::newRow("-1..1") << -1.0 << 1.0 << "" << 0.2 << -0.8 << 1.0 << 3 << false;
        QTest::newRow("0..0.002") << 0.0 << 0.002 << "" << 0.0002 << 0.0 << 0.001 << 3 << false;
        QTest::newRow("0..0.5") << 0.0 << 0.5 << "" << 0.1 << 0.0 << 0.001 << 3 << false;
        QTest::newRow("0..1200") << 0.0 << 1200.0 << "" << 200.0 << 0.0 << 1000.0 << 3 << false;
        QTest::newRow("1000..1010") << 1000.0 << 1010.0 << "" << 1.0 << 1000.0 << 1.0 << 4 << false;
        QTest::newRow("0..3600 s") << 0.0 << 3600.0 << "s" << 500.0 << 0.0 << 1000.0 << 3 << true;
        QTest::newRow("0..600 s") << 0.0 << 600.0 << "s" << 100.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("0..900 s") << 0.0 << 900.0 << "s" << 100.0 << 0.0 << 1.0 << 3 << false;
        QTest::newRow("0..901 s") << 0.0 << 901.0 << "s" << 100.0 << 0.0 << 1.0 << 3 << true;
        QTest::newRow("minuscule") << 1e-12 << 2e-12 << "" << 1e-13 << 1e-12 << 1e-15 << 4 << false;
    }
    void graduation() {
        QFETCH(double, mini);
        QFETCH(double, maxi);
        Tmonde m;
        m.SetMinMax(maxi, mini);
        QFETCH(QString, unite);
        m.Unite = unite;
        m.setDelta();
        QVERIFY(m.graduationPossible());
        QFETCH(double, pas);
        QFETCH(double, debut);
        QCOMPARE(m.deltaAxe, pas);
        QVERIFY2(std::fabs(m.pointDebut - debut) <= 1e-12 * std::max(1.0, std::fabs(debut)),
                 qPrintable(QString::number(m.pointDebut, 'g', 17)));
        QTEST(m.exposant, "exposant");
        QTEST(int(m.NbreChiffres), "chiffres");
        QTEST(m.axeDateTime, "heures");
    }

    void etendueNulle() {
        Tmonde m;
        m.mini = m.maxi = 0;
        m.setDelta();
        QVERIFY(!m.graduationPossible());
        QCOMPARE(int(m.NbreChiffres), 3);
        m.mini = NaN;
        m.setDelta();
        QVERIFY(!m.graduationPossible());
        m.SetMinMax(0, 0);
        QCOMPARE(m.mini, 0.0);
        QCOMPARE(m.maxi, 0.0);
        m.SetMinMax(3, 3);
        QCOMPARE(m.maxi, 6.0);
    }

    void titres_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("unite");
        QTest::addColumn<double>("p");
        QTest::addColumn<QString>("titre");
        QTest::newRow("mL") << "V"
                            << "mL" << 1.0 << "V(mL)";
        QTest::newRow("mL 1000") << "V"
                                 << "mL" << 1000.0 << "V(L)";
        QTest::newRow("ks") << "t"
                            << "s" << 1000.0 << "t(ks)";
        QTest::newRow("µS/cm") << "σ"
                               << "µS/cm" << 0.001 << "σ(nS/cm)";
        QTest::newRow("mol/L") << "c"
                               << "mol/L" << 1.0 << "c(mol/L)";
        QTest::newRow("sans unite") << "pH"
                                    << "" << 1000.0 << "pH";
        QTest::newRow("hors table") << "P"
                                    << "MPa" << 1000.0 << "P(MPa)";
        QTest::newRow("metre seul") << "x"
                                    << "m" << 1000.0 << "x(km)";
    }
    void titres() {
        Tmonde m;
        QFETCH(QString, nom);
        QFETCH(QString, unite);
        QFETCH(double, p);
        m.Nom = nom;
        m.Unite = unite;
        QTEST(m.NomAxe(p), "titre");
    }

    void etiquettes() {
        Tmonde m;
        m.NbreChiffres = 3;
        QLocale::setDefault(QLocale(QLocale::French));
        QCOMPARE(m.FormatAxe(0.2), QStringLiteral("0,2"));
        QCOMPARE(m.FormatAxe(1.8), QStringLiteral("1,8"));
        QCOMPARE(m.FormatAxe(2e-6), QStringLiteral("2E-6"));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(m.FormatAxe(1234), QStringLiteral("1.23E3"));
        QCOMPARE(m.FormatAxe(-0.5), QStringLiteral("-0.5"));
    }

    void pixels() {
        Tmonde m;
        m.a = 2;
        m.b = 0.5;
        QCOMPARE(m.PosWindow(0), 0);   // 0.5 rounds to even
        QCOMPARE(m.PosWindow(0.5), 2); // 1.5 rounds to even
        QCOMPARE(m.PosWindow(NaN), -1);
        QVERIFY(m.PosWindow(1e300) > 100000);
        QVERIFY(m.PosWindow(-1e300) < -100000);
    }

    void plageDesDonnees() {
        Tmonde m;
        m.SetMinMax(0, 100);
        m.valeur[0] = 40;
        m.valeur[1] = 10;
        m.valeur[2] = 60;
        m.valeur[3] = 99;
        double bas = 0, haut = 0;
        m.chercheMinmax(4, bas, haut);
        QCOMPARE(bas, 8.0);
        QCOMPARE(haut, 100.0); // clipped to the axis
        m.chercheMinmax(1, bas, haut);
        QCOMPARE(bas, 38.0);
        QCOMPARE(haut, 42.0);
        m.chercheMinmax(100000, bas, haut); // never past the store
        QVERIFY(bas <= haut);
    }
};

QTEST_GUILESS_MAIN(TstMonde)
#include "tst_monde.moc"
