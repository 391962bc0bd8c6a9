#include "instruments/unite.h"

#include <QTest>

using Dim = std::array<qint8, 7>;
Q_DECLARE_METATYPE(Dim)

namespace {
constexpr Dim S = {-2, -1, 3, 2, 0, 0, 0};
constexpr Dim V = {2, 1, -3, -1, 0, 0, 0};
} // namespace

class TstUnite : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lecture_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<bool>("correct");
        QTest::addColumn<int>("puissance");
        QTest::addColumn<Dim>("dimension");
        QTest::addColumn<QString>("nom");
        QTest::newRow("mV") << "mV" << true << -3 << V << "mV";
        QTest::newRow("µS") << "µS" << true << -6 << S << "µS";
        QTest::newRow("kg") << "kg" << true << 0 << Dim{0, 1, 0, 0, 0, 0, 0} << "kg";
        QTest::newRow("mS/cm") << "mS/cm" << true << -1 << Dim{-3, -1, 3, 2, 0, 0, 0} << "mS/cm";
        QTest::newRow("W/m.K") << "W/m.K" << true << 0 << Dim{1, 1, -3, 0, -1, 0, 0} << "W/m.K";
        QTest::newRow("mol/L entier")
            << "mol/L" << true << 3 << Dim{-3, 0, 0, 0, 0, 1, 0} << "mol/L";
        QTest::newRow("mmol/L") << "mmol/L" << true << 0 << Dim{-3, 0, 0, 0, 0, 1, 0} << "mmol/L";
        QTest::newRow("cm2") << "cm2" << true << -4 << Dim{2, 0, 0, 0, 0, 0, 0} << "cm²";
        QTest::newRow("s-1") << "s-1" << true << 0 << Dim{0, 0, -1, 0, 0, 0, 0} << "s⁻¹";
        QTest::newRow("m^3") << "m^3" << true << 0 << Dim{3, 0, 0, 0, 0, 0, 0} << "m^³";
        QTest::newRow("relu") << "s⁻¹" << true << 0 << Dim{0, 0, -1, 0, 0, 0, 0} << "s⁻¹";
        QTest::newRow("blancs") << " m V " << true << -3 << V << "mV";
        QTest::newRow("°C") << "°C" << true << 0 << Dim{0, 0, 0, 0, 1, 0, 0} << "°C";
        QTest::newRow("puissance") << "1E-3m" << true << -3 << Dim{1, 0, 0, 0, 0, 0, 0} << "1E-3m";
        QTest::newRow("ms produit") << "N.m" << true << 0 << Dim{2, 1, -2, 0, 0, 0, 0} << "N.m";
        QTest::newRow("lettres suivantes")
            << "Vs" << true << 0 << Dim{2, 1, -2, -1, 0, 0, 0} << "Vs";
        QTest::newRow("vide") << "" << true << 0 << Dim{} << "";
        QTest::newRow("ppm") << "ppm" << false << 0 << Dim{} << "";
        QTest::newRow("xyz") << "xyz" << false << 0 << Dim{} << "";
        QTest::newRow("point final") << "m." << false << 0 << Dim{} << "";
        QTest::newRow("chapeau final") << "m^" << false << 0 << Dim{} << "";
        QTest::newRow("barre finale") << "m/" << false << 0 << Dim{} << "";
        QTest::newRow("trop long") << QString(300, QLatin1Char('m')) << false << 0 << Dim{} << "";
    }
    void lecture() {
        QFETCH(QString, texte);
        QFETCH(bool, correct);
        Tunite u;
        u.LitTexteUnite(texte);
        QCOMPARE(u.Correct, correct);
        if (!correct) return;
        QTEST(int(u.Puissance), "puissance");
        QTEST(u.Dimension, "dimension");
        QTEST(u.FnomUnite, "nom");
    }

    void sansDimension() {
        Tunite db, tr, m;
        db.LitTexteUnite("dB");
        tr.LitTexteUnite("tr");
        m.LitTexteUnite("m");
        QCOMPARE(db.sansDim, tuDecibel);
        Tunite p;
        p.AdUnite(QLatin1Char('+'), m, db);
        QCOMPARE(p.sansDim, tuDecibel);
        p.AdUnite(QLatin1Char('+'), tr, db);
        QCOMPARE(p.sansDim, tuVide);
        p.AdUnite(QLatin1Char('-'), tr, m);
        QCOMPARE(p.sansDim, tuTour);
        m.PlusUnite(tr);
        QCOMPARE(m.sansDim, tuTour);
        m.PlusUnite(db);
        QCOMPARE(m.sansDim, tuVide);
    }

    void algebre() {
        Tunite m2, m3, r;
        m2.LitTexteUnite("m2");
        m3.LitTexteUnite("m3");
        r.MulUnite(QLatin1Char('/'), m2, 2);
        QCOMPARE(r.Dimension, (Dim{1, 0, 0, 0, 0, 0, 0}));
        QVERIFY_THROWS_EXCEPTION(EUniteError, r.MulUnite(QLatin1Char('/'), m3, 2));
        QVERIFY(!r.Correct);
        Tunite v;
        v.LitTexteUnite("mV");
        v.PuissUnite(QLatin1Char('*'), 2);
        QCOMPARE(int(v.Puissance), -6);
        v.InverseUnite();
        QCOMPARE(int(v.Puissance), 6);
        QCOMPARE(int(v.Dimension[0]), -4);

        Tunite faux, s;
        faux.LitTexteUnite("xyz");
        s.LitTexteUnite("S");
        const Tunite avant = s;
        s.PlusUnite(faux);
        QVERIFY(!s.Correct);
        QCOMPARE(s.Dimension, avant.Dimension);
        Tunite q;
        q.AdUnite(QLatin1Char('-'), avant, v);
        QVERIFY(q.Correct);
        QCOMPARE(int(q.Puissance), -6);
    }
};

QTEST_GUILESS_MAIN(TstUnite)
#include "tst_unite.moc"
