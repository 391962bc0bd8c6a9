// The dosing law: the fit of the next addition and its solver, when a step is due, the simulated
// beaker, and whole titrations run by the dosing steps against the simulated burette.
#include "app/horloge.h"
#include "bancburette.h"
#include "becher.h"
#include "burette/ajustement.h"
#include "burette/dosage.h"
#include "serial/apdcomport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <vector>

class TestDosage : public QObject {
    Q_OBJECT
    QTemporaryDir dossier;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(dossier); }

    // Channel 0 rising by 0.3 per sample with a fitted slope dV/dx of 2 mL at u = x + h (h 0.1):
    // the addition is the smaller of B = 0.2 and A = 4·k·h².
    void deltaY_data() {
        QTest::addColumn<double>("courbure");
        QTest::addColumn<double>("ajout");
        QTest::newRow("droite") << 0.0 << 0.0;
        QTest::newRow("courbure 1") << 1.0 << 0.04;
        QTest::newRow("courbure 5") << 5.0 << 0.2;
        QTest::newRow("courbure 100") << 100.0 << 0.2;
    }
    void deltaY() {
        QFETCH(double, courbure);
        QFETCH(double, ajout);
        TburetteRS232 b;
        b.ecartSensible = 0.1;
        std::vector<double> x(12), V(12);
        const double u = 2 + 0.3 * 9 + 0.1;
        for (int j = 0; j < 10; ++j) {
            x[j] = 2 + 0.3 * j;
            V[j] = 1 + (2 - courbure * u) * x[j] + courbure / 2 * x[j] * x[j];
        }
        QVERIFY(std::fabs(b.deltaY(x, V, 10) - ajout) < 1E-9);
        QVERIFY(std::isnan(b.deltaY(x, V, 6)));
        QVERIFY(std::isfinite(b.deltaY(x, V, 7)));
        // A channel reading 0 all along leaves the second pivot at 0: no fit, VolumeMin.
        std::fill(x.begin(), x.end(), 0.0);
        QVERIFY(std::isnan(b.deltaY(x, V, 10)));
    }

    // Each candidate pivot is compared with the diagonal entry: the last row above it wins, even
    // a tiny one, which then fails the 1E-100 test.
    void pivot() {
        const auto systeme = [](long double petit) {
            return TSysteme4{{{1E-120L, 1, 0, 0, 2},
                              {1, 0, 1, 0, 4},
                              {petit, 0, 0, 1, 4 + petit},
                              {0, 0, 1, 1, 7}}};
        };
        const TSysteme4 regulier = systeme(0);
        const std::array<double, 4> c = ResoutSysteme(regulier);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(c[i], double(i + 1));
        QCOMPARE(regulier[0][0], 1E-120L);
        try {
            (void)ResoutSysteme(systeme(1E-110L));
            QFAIL("pivot de 1E-110 accepté");
        } catch (const EsystemeLineaireError& e) {
            QCOMPARE(e.texte(), QStringLiteral("Erreur résolution système linéaire"));
        }
    }

    void decision_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("stable");
        QTest::addColumn<int>("decision");
        QTest::newRow("stable, 2 s entières") << 2999 << true << int(ddSuivi);
        QTest::newRow("stable, 3 s") << 3000 << true << int(ddEtape);
        QTest::newRow("instable, 10 s") << 10999 << false << int(ddSuivi);
        QTest::newRow("instable, 11 s") << 11000 << false << int(ddEtape);
    }
    void decision() {
        QFETCH(int, ms);
        QFETCH(bool, stable);
        auto horlogeManuelle = std::make_unique<HorlogeManuelle>();
        HorlogeManuelle& h = *horlogeManuelle;
        auto ancienne = installeHorloge(std::move(horlogeManuelle));
        TburetteRS232 b;
        b.DeltatMin = 2;
        b.DeltatMax = 10;
        b.tVerse = h.maintenant();
        h.avance(ms);
        const TDecisionDosage d = DecisionDosage(b, stable);
        installeHorloge(std::move(ancienne));
        QTEST(int(d), "decision");
    }

    void constantes() {
        TburetteRS232 b;
        b.VolumeMin = 0.04;
        b.VolumeMax = 0.5;
        b.modeIncrement = true;
        b.incrementVolume = 0.3;
        QCOMPARE(b.volumeArrondi(AjoutSuivant(b, {}, {}, 0)), 0.28);
        QVERIFY(!NouveauPointDosage(1.02, 1.0, 0.05));
        QVERIFY(NouveauPointDosage(1.025, 1.0, 0.05));
        QVERIFY(!NouveauPointDosage(qQNaN(), 1.0, 0.05));
    }

    // 20 mL of acid at 0.1 mol/L against sodium hydroxide at 0.1 mol/L: the jump at 20 mL, the
    // buffer of acetic acid at pH = pKa at half equivalence, and an electrode that lags.
    void becher() {
        ReglagesBecher r;
        QVERIFY(r.choisit(QStringLiteral("hcl")));
        const Becher hcl(r, [](double) { return 0.0; });
        QVERIFY(std::fabs(hcl.pHEquilibre(0) - 1) < 0.01);
        QVERIFY(std::fabs(hcl.pHEquilibre(20) - 7) < 0.01);
        QVERIFY(hcl.pHEquilibre(19.9) < 4 && hcl.pHEquilibre(20.1) > 10);
        QVERIFY(r.choisit(QStringLiteral("acetique")));
        const Becher acetique(r, [](double) { return 0.0; });
        QVERIFY(std::fabs(acetique.pHEquilibre(10) - 4.76) < 0.02);
        QVERIFY(std::fabs(acetique.pHEquilibre(20) - 8.72) < 0.03);
        QVERIFY(acetique.pHEquilibre(19.9) < 7.5 && acetique.pHEquilibre(20.1) > 10);

        r.constanteTemps = 3;
        Becher lent(r, [](double t) { return t > 0 ? 25.0 : 0.0; });
        const double avant = lent.pH(0);
        const double fin = lent.pHEquilibre(25);
        QVERIFY(std::fabs(lent.pH(3) - (fin + (avant - fin) / M_E)) < 1E-9);
    }

    // Whole titrations by the dosing steps, the simulated burette filling the simulated beaker:
    // small additions around the equivalence, large ones away from it, the end at 95 %.
    void titration_data() {
        QTest::addColumn<QString>("acide");
        QTest::newRow("HCl") << "hcl";
        QTest::newRow("acétique") << "acetique";
    }
    void titration() {
        QFETCH(QString, acide);
        ReglagesBurette rb;
        rb.capacite = 25;
        rb.dureeReset = 0;
        BancBurette banc(rb);
        QVERIFY(banc.prepare(6000));
        TburetteRS232& b = banc.burette;
        QCOMPARE(b.ValMaxi, 25.0);
        b.VolumeMin = 0.05;
        b.VolumeMax = 0.5;
        b.ecartSensible = 0.1;
        ReglagesBecher rp;
        QVERIFY(rp.choisit(acide));
        rp.constanteTemps = 0;
        Becher becher(rp, [&](double t) { return banc.simulee.volume(t); });

        auto horlogeManuelle = std::make_unique<HorlogeManuelle>();
        HorlogeManuelle& h = *horlogeManuelle;
        auto ancienne = installeHorloge(std::move(horlogeManuelle));
        std::vector<double> x(2049), V(2049);
        int n = 0;
        int remises = 0;
        const TMagasinDosage magasin{x, V, [&] { return n; },
                                     [&] {
                                         V[n] = b.ValeurCourante;
                                         x[n] = becher.pH(banc.secondes());
                                         ++n;
                                     },
                                     [&] { ++remises; }};
        TResultatDosage r = DebutDosage(b, magasin);
        while (r == rdPoint && n < 400) {
            h.avance(2500);
            if (DecisionDosage(b, true) == ddEtape) r = EtapeDosage(b, magasin);
        }
        installeHorloge(std::move(ancienne));
        QCOMPARE(int(r), int(rdTermine));
        QCOMPARE(V[0], 0.0);
        QVERIFY(V[n - 1] > 0.95 * 25 && V[n - 2] <= 0.95 * 25);
        QCOMPARE(remises, n - 2);
        double pasEquivalence = 1;
        double pasDebut = 0;
        for (int j = 1; j < n; ++j) {
            const double pas = V[j] - V[j - 1];
            if (V[j] > 19.8 && V[j] < 20.2) pasEquivalence = std::min(pasEquivalence, pas);
            if (V[j] > 2 && V[j] < 8) pasDebut = std::max(pasDebut, pas);
        }
        QVERIFY2(pasEquivalence < 0.06, qPrintable(QString::number(pasEquivalence)));
        QVERIFY2(pasDebut > 0.3, qPrintable(QString::number(pasDebut)));
    }

    // The simulator program wires its burette to the beaker a pH meter reads (-s becher).
    void simulateur() {
        QProcess sim;
        sim.start(QStringLiteral(TELMIRA_SIMULATEUR),
                  {"--delai", "0", "--burette", "--modele", "basic", "--capacite", "50", "--becher",
                   "hcl", "--electrode", "0", "--appareil", "CONSORT C3010 (pH)", "-s", "becher"});
        QByteArray sortie;
        QVERIFY(banc::attend([&] {
            sortie += sim.readAllStandardOutput();
            return sortie.contains("PRET\n");
        }));
        const QList<QByteArray> lignes = sortie.split('\n');
        QVERIFY(lignes[0].startsWith("APPAREIL 1 COM1 ") && lignes[0].endsWith(" BuretteTelmira"));
        QVERIFY(lignes[1].endsWith(" CONSORT C3010 (pH)"));
        banc::pointeCom(5, QString::fromLocal8Bit(lignes[0].split(' ')[3]));
        banc::pointeCom(6, QString::fromLocal8Bit(lignes[1].split(' ')[3]));
        TApdComPort portBurette(5), portPH(6);
        portBurette.setOpen(true);
        portPH.setOpen(true);
        TburetteRS232 b;
        b.VoieSerie = &portBurette;
        QVERIFY(b.initBurette());
        QCOMPARE(b.ValMaxi, 50.0);
        QVERIFY(b.identification.contains("basic"));
        const auto pH = [&] {
            QByteArray ligne;
            portPH.FlushInBuffer();
            portPH.PutString("GP\r");
            banc::attend([&] {
                while (portPH.CharReady())
                    ligne += char(portPH.GetChar());
                return ligne.contains('\r');
            });
            return ligne.trimmed().toDouble();
        };
        QCOMPARE(pH(), 1.0);
        b.ecrit("GDM6000,0", 6);
        b.vitesseVerse = 6000;
        b.VolumeMin = 0.05;
        b.VolumeMax = 1;
        for (int i = 0; i < 25; ++i)
            QVERIFY(b.verse(1));
        QVERIFY(pH() > 11);
        sim.terminate();
        sim.waitForFinished(3000);
    }
};

QTEST_GUILESS_MAIN(TestDosage)
#include "tst_dosage.moc"
