// Whole titrations run by the acquisition engine: the simulated Titronic fills a simulated
// beaker whose pH a polled pH meter reads, both on pseudo-terminals, the engine's clock driven
// by the test.
#include "../commun/bancacquisition.h"

#include "app/utilitaires.h"
#include "becher.h"
#include "burette/buretters232.h"
#include "burettesimulee.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"

#include <QElapsedTimer>
#include <cmath>

class TstTitrage : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(reglages_); }

    void titrage_data() {
        QTest::addColumn<QString>("acide");
        QTest::newRow("HCl") << "hcl";
        QTest::newRow("acétique") << "acetique";
    }
    // Small additions at the jump, large ones away from it, the steepest point at the
    // equivalence (20 mL), and the end past 95 % of the 25 mL unit.
    void titrage() {
        QFETCH(QString, acide);
        QElapsedTimer chrono;
        chrono.start();
        const auto secondes = [&] { return double(chrono.nsecsElapsed()) / 1E9; };
        ReglagesBurette rb;
        rb.capacite = 25;
        rb.dureeReset = 0;
        BuretteSimulee simulee(rb);
        TerminalSimule ligneBurette;
        ligneBurette.setRepondeur(
            [&](const QByteArray& recu) { return simulee.recoit(recu, secondes()); });
        banc::pointeCom(7, ligneBurette.slave());
        ReglagesBecher rp;
        QVERIFY(rp.choisit(acide));
        rp.constanteTemps = 0;
        Becher becher(rp, [&](double t) { return simulee.volume(t); });
        InstrumentSimule phmetre(2, [&](int, const QByteArray&) {
            return QByteArray::number(becher.pH(secondes()), 'f', 3) + "\r";
        });

        auto module = std::make_unique<TModuleAppareils>(QString());
        TburetteRS232& b = *module->burette;
        b.LitIni(QStringLiteral("BuretteTelmira"), TFichierIni::depuisOctets(catalogueEmbarque()));
        b.ComNumber = 7;
        auto ancien = installeModuleAppareils(std::move(module));
        auto ph = appareilSurDemande(2, "M\r");
        ph->Precision = 4;

        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({ph.get()}, maBuretteTelmira);
        QCOMPARE(f.ModeAcq, maBuretteTelmira);
        QCOMPARE(f.EtatAcq, eaAttente);
        QVERIFY(b.identification.contains("universal"));
        // Deliveries of milliseconds rather than seconds.
        QVERIFY(b.ecrit("GDM6000,0", 6));
        b.vitesseVerse = 6000;
        b.VolumeMin = 0.05;
        b.VolumeMax = 0.5;
        b.ecartSensible = 0.1;

        // The reading shows before the titration starts, as it does for the user.
        QVERIFY(banc.tick(500, [&] { return !estNaN(ph->ValeurCourante); }));
        f.Acquerir();
        QCOMPARE(f.EtatAcq, eaEnCours);
        QCOMPARE(f.graphe.NbrePoints, 1);
        int cycles = 0;
        while (f.EtatAcq == eaEnCours && cycles < 3000) {
            const int demandes = phmetre.demandes;
            QVERIFY(banc.tick(500, [&] {
                return phmetre.demandes > demandes && f.VoieCourante == 0 && f.Reponse;
            }));
            banc::laisse(2);
            ++cycles;
        }
        QCOMPARE(f.EtatAcq, eaTerminee);
        const TEchantillons& g = f.graphe;
        const int n = g.NbrePoints;
        const auto V = [&](int i) { return g.mondeX.valeur[i]; };
        const auto pH = [&](int i) { return g.mondeY[0].valeur[i]; };
        QCOMPARE(V(0), 0.0);
        QVERIFY(V(n - 1) > 0.95 * 25 && V(n - 2) <= 0.95 * 25);

        // The densest samples at the jump, the steepest point within 0.1 mL of 20 mL.
        double pasMin = 1, ouMin = 0, pasMax = 0, ouMax = 0, pente = 0, ouPente = 0;
        QVERIFY(!estNaN(pH(0)));
        for (int i = 1; i < n; ++i) {
            const double pas = V(i) - V(i - 1);
            if (pas < pasMin) pasMin = pas, ouMin = V(i);
            if (pas > pasMax) pasMax = pas, ouMax = V(i);
            if (pas > 0 && (pH(i) - pH(i - 1)) / pas > pente)
                pente = (pH(i) - pH(i - 1)) / pas, ouPente = (V(i) + V(i - 1)) / 2;
        }
        qInfo("%s : %d échantillons, ajouts de %.2f mL (à %.2f mL) à %.2f mL (à %.2f mL), "
              "point le plus raide à %.3f mL, %.1f s simulées en %d cycles",
              qPrintable(acide), n, pasMin, ouMin, pasMax, ouMax, ouPente,
              EcartSecondes(heureDuJour(), f.InstantDebut), cycles);
        QVERIFY2(std::abs(ouPente - 20) <= 0.1, qPrintable(QString::number(ouPente)));
        // Densest around the jump: no other millilitre holds as many samples.
        const auto compte = [&](double debut) {
            int k = 0;
            for (int i = 0; i < n; ++i)
                k += V(i) >= debut && V(i) < debut + 1;
            return k;
        };
        const int autourDe20 = compte(19.5);
        for (double debut = 0; debut < 24; debut += 0.25)
            if (debut + 1 <= 19.5 || debut >= 20.5)
                QVERIFY2(compte(debut) < autourDe20, qPrintable(QString::number(debut)));
        QVERIFY(pasMax >= 0.3);
        installeModuleAppareils(std::move(ancien));
    }
};

QTEST_GUILESS_MAIN(TstTitrage)
#include "tst_titrage.moc"
