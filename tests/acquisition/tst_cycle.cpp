// The request/answer cycle against instruments played on pseudo-terminals.
#include "../commun/bancacquisition.h"

#include "app/utilitaires.h"

#include <QSignalSpy>
#include <atomic>
#include <thread>

Q_DECLARE_METATYPE(TabscisseMaitre)

namespace {
QByteArray nombre(double x) {
    return QByteArray::number(x, 'f', 2);
}
// The value the program reads from that text.
double lu(double x) {
    return nombre(x).toDouble();
}
} // namespace

class TstCycle : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() { reglagesPrives(reglages_); }

    // A meter that reports pH and temperature in one answer: one request per cycle fills both.
    void uneDemandePourDeuxVoies() {
        InstrumentSimule phmetre(1, [](int k, const QByteArray&) {
            return QByteArray("\x02") + nombre(7 + k / 100.0) + ' ' + nombre(20 + k) +
                   QByteArray("\0\r\n", 3);
        });
        auto ph = appareilSurDemande(1, "M\r");
        auto temp = appareilSurDemande(1, "M\r", QStringLiteral("T"), 2);
        temp->ValMaxi = 100;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({ph.get(), temp.get()}, maTemps);
        QCOMPARE(f.EtatAcq, eaAttente);
        QVERIFY(ph->VoieSerieOK && temp->VoieSerieOK);
        QCOMPARE(temp->Attente, quint16(0));

        QSignalSpy valeurs(&f, &TAcquisition::valeurVoie);
        QVERIFY(banc.tick(1000, [&] { return temp->ValeurCourante == 21; }));
        QCOMPARE(ph->ValeurCourante, 7.01);
        QCOMPARE(phmetre.demandes, 1);
        QCOMPARE(f.VoieCourante, quint8(0));
        QCOMPARE(valeurs.size(), 2);
        QCOMPARE(valeurs[0][0].toInt(), 0);
        QCOMPARE(valeurs[1][0].toInt(), 1);

        f.Acquerir();
        QCOMPARE(f.EtatAcq, eaEnCours);
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int s = 1; s <= 3; ++s)
            QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == s + 1; }));
        QCOMPARE(phmetre.demandes, 5);
        QCOMPARE(f.graphe.mondeX.valeur[3], 3.0);
        QCOMPARE(f.graphe.mondeY[0].valeur[3], 7.05);
        QCOMPARE(f.graphe.mondeY[1].valeur[3], 25.0);
        QCOMPARE(f.TexteValeur(1, 3), QStringLiteral("25"));
        QVERIFY(!f.dataSaved);
    }

    // Two instruments on one line with their own requests: the second is asked once the first
    // has answered, after the first one's delay.
    void deuxDemandesSurUnPort() {
        InstrumentSimule ligne(1, [](int, const QByteArray& d) {
            return d == "A\r" ? QByteArray("7.00\r") : QByteArray("3.00\r");
        });
        auto a = appareilSurDemande(1, "A\r");
        auto b = appareilSurDemande(1, "B\r", QStringLiteral("pX"));
        a->Delai = 400;
        b->Delai = 700;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get(), b.get()}, maTemps);
        QCOMPARE(b->Attente, quint16(400));
        QCOMPARE(f.DeltatMin, quint16(2));
        QVERIFY(f.DeltatMesure >= 2);

        banc.faitAvancerHorloge(true);
        QVERIFY(banc.tick(0, [&] { return b->ValeurCourante == 3.0; }));
        banc.faitAvancerHorloge(false);
        QCOMPARE(ligne.vues, (std::vector<QByteArray>{"A\r", "B\r"}));
        QCOMPARE(a->ValeurCourante, 7.0);
        // 400 ms are 7 ticks of 55 ms.
        QVERIFY2(ligne.instants[1] - ligne.instants[0] >= 7 * 55,
                 qPrintable(QString::number(ligne.instants[1] - ligne.instants[0])));
    }

    void deuxPorts() {
        InstrumentSimule un(1, [](int k, const QByteArray&) { return nombre(k) + "\r"; });
        InstrumentSimule deux(2, [](int k, const QByteArray&) { return nombre(10 + k) + "\r"; });
        auto a = appareilSurDemande(1, "A\r");
        auto b = appareilSurDemande(2, "A\r", QStringLiteral("pX"));
        b->ValMaxi = 100;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get(), b.get()}, maTemps);
        QCOMPARE(a->VoieSerie->ComNumber(), quint16(1));
        QCOMPARE(b->VoieSerie->ComNumber(), quint16(2));
        for (int k = 1; k <= 3; ++k) {
            QVERIFY(banc.tick(1000, [&] { return b->ValeurCourante == 10 + k; }));
            QCOMPARE(a->ValeurCourante, double(k));
        }
        QCOMPARE(un.demandes, 3);
        QCOMPARE(deux.demandes, 3);
        QCOMPARE(f.TexteProbleme(), QString());
    }

    // The sampling timer itself starts the cycles.
    void minuterieBranchee() {
        InstrumentSimule un(1, [](int, const QByteArray&) { return QByteArray("5.5\r"); });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        f.AppareilAcq[0] = a.get();
        f.graphe.NbreVoies = 1;
        f.InitAttente();
        QVERIFY(f.Timer.isActive());
        QCOMPARE(f.Timer.interval(), 1000);
        QVERIFY(banc.attend([&] { return a->ValeurCourante == 5.5; }));
    }

    // A meter sending a line every second, δt 10 s: a sample every 10 s only, and only fresh
    // records are taken.
    void continuDeltat10() {
        InstrumentSimule meter(1, [](int, const QByteArray&) { return QByteArray(); });
        auto a = appareilContinu(1);
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        f.DureeMesure = 120;
        f.DeltatMesure = 10;
        banc.prepare({a.get()}, maTemps);
        // Three lines in one burst, the last ended by CR alone: only the latest counts.
        meter.terminal.ecrit("pH 6.01\r\npH 6.02\r\npH 6.03\r\npH 6.04\r");
        QVERIFY(banc.attend([&] { return a->ValeurCourante == 6.04; }));
        f.Acquerir();
        QCOMPARE(f.EtatAcq, eaEnCours);
        QCOMPARE(f.graphe.NbrePoints, 0);
        for (int s = 1; s <= 35; ++s) {
            banc.horloge_->avance(1000);
            meter.terminal.ecrit("\npH " + nombre(7 + s / 100.0) + "\r");
            QVERIFY(banc.attend([&] { return a->ValeurCourante == lu(7 + s / 100.0); }));
            if (s % 5 == 0) f.TimerTimer();
        }
        QCOMPARE(f.graphe.NbrePoints, 4);
        const std::vector<double> t(f.graphe.mondeX.valeur.begin(),
                                    f.graphe.mondeX.valeur.begin() + 4);
        QCOMPARE(t, (std::vector<double>{1, 10, 20, 30}));
        QCOMPARE(f.graphe.mondeY[0].valeur[1], 7.10);
        QCOMPARE(f.TexteProbleme(), QString());

        // Silent instrument: no answer reported, no stale sample.
        for (int s = 0; s < 12; ++s) {
            banc.horloge_->avance(1000);
            f.TimerTimer();
        }
        QCOMPARE(f.TexteProbleme(), QStringLiteral("Pas de réponse : Essai pH"));
        QCOMPARE(f.graphe.NbrePoints, 4);
    }

    void appareilMaitre_data() {
        QTest::addColumn<TabscisseMaitre>("abscisse");
        QTest::newRow("temps") << amTemps;
        QTest::newRow("index") << amIndex;
        QTest::newRow("voie0") << amVoie0;
    }
    // The master sends records; each one asks the polled instrument on the other port and
    // gives a sample.
    void appareilMaitre() {
        QFETCH(TabscisseMaitre, abscisse);
        InstrumentSimule maitre(1, [](int, const QByteArray&) { return QByteArray(); });
        InstrumentSimule autre(2, [](int k, const QByteArray&) { return nombre(20 + k) + "\r"; });
        auto m = appareilContinu(1);
        m->ValMini = 2;
        m->ValMaxi = 12;
        auto b = appareilSurDemande(2, "T\r", QStringLiteral("T"));
        b->ValMaxi = 100;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        f.graphe.AbscisseMaitre = abscisse;
        banc.prepare({m.get(), b.get()}, maAppareilMaitre);
        QCOMPARE(f.EtatAcq, eaAttente);
        QVERIFY(!f.Timer.isActive());
        QCOMPARE(f.graphe.voieMaitre, indiceVoie(0));
        if (abscisse == amVoie0) {
            QCOMPARE(f.graphe.mondeX.mini, 2.0);
            QCOMPARE(f.graphe.mondeX.maxi, 12.0);
            QCOMPARE(f.graphe.mondeX.Nom, QStringLiteral("pH"));
        }
        maitre.terminal.ecrit("pH 3.00\r\n");
        QVERIFY(banc.attend([&] { return b->ValeurCourante == 21; }));
        QCOMPARE(m->ValeurCourante, 3.0);
        f.Acquerir();
        QCOMPARE(f.EtatAcq, eaEnCours);
        QCOMPARE(f.graphe.NbrePoints, 1);
        for (int k = 1; k <= 4; ++k) {
            banc.horloge_->avance(50000);
            maitre.terminal.ecrit("pH " + nombre(3 + k) + "\r\n");
            QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == k + 1; }));
            QVERIFY(banc.attend([&] { return b->ValeurCourante == 21 + k; }));
        }
        QCOMPARE(autre.demandes, 5);
        const Tmonde& X = f.graphe.mondeX;
        const std::vector<double> x(X.valeur.begin(), X.valeur.begin() + 5);
        if (abscisse == amTemps) {
            QCOMPARE(x, (std::vector<double>{0, 50, 100, 150, 200}));
            // 150 passed the axis' end (the duration, 120): it grew to 1.5 times that.
            QCOMPARE(X.maxi, 225.0);
        } else if (abscisse == amIndex) {
            QCOMPARE(x, (std::vector<double>{1, 2, 3, 4, 5}));
        } else {
            QCOMPARE(x, (std::vector<double>{3, 4, 5, 6, 7}));
        }
        // The other channel holds the answer to the previous record.
        QCOMPARE(f.graphe.mondeY[1].valeur[4], 24.0);
        QCOMPARE(f.graphe.mondeY[0].valeur[4], 7.0);
    }

    void depassement_data() {
        QTest::addColumn<QByteArray>("reponse");
        QTest::addColumn<QList<bool>>("reponses");
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::addColumn<bool>("nan");
        QTest::newRow("15 oui") << QByteArray("15\r") << QList<bool>{true} << 0.0 << 16.4 << false;
        QTest::newRow("-2 oui") << QByteArray("-2\r") << QList<bool>{true} << -3.4 << 14.0 << false;
        QTest::newRow("15 non") << QByteArray("15\r") << QList<bool>{false, false} << 0.0 << 14.0
                                << true;
    }
    void depassement() {
        QFETCH(QByteArray, reponse);
        QFETCH(QList<bool>, reponses);
        InstrumentSimule un(1, [&](int, const QByteArray&) { return reponse; });
        auto a = appareilSurDemande(1, "A\r");
        a->FiltrageDepassement = false;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        banc.dialogues_->reponses = reponses;
        QVERIFY(banc.tick(1000, [&] { return un.demandes == 1 && f.Reponse; }));
        QVERIFY(banc.dialogues_->vus.first().endsWith(QStringLiteral(" valeur correcte ?")));
        QTEST(a->ValMini, "mini");
        QTEST(a->ValMaxi, "maxi");
        QCOMPARE(f.graphe.mondeY[0].mini, a->ValMini);
        QCOMPARE(f.graphe.mondeY[0].maxi, a->ValMaxi);
        QTEST(estNaN(a->ValeurCourante), "nan");
        if (!estNaN(a->ValeurCourante)) return;
        QCOMPARE(banc.dialogues_->vus.size(), 2);
        QCOMPARE(banc.dialogues_->vus[1], QStringLiteral("Ne plus poser la question ?"));
        // "Non": asked again; then "Oui" to the second question filters silently. The question
        // comes after the cycle: the sample it took keeps the reading.
        f.Acquerir();
        banc.dialogues_->reponses = {false, true};
        QVERIFY(banc.attend([&] { return banc.dialogues_->vus.size() == 4; }));
        QVERIFY(a->FiltrageDepassement);
        QCOMPARE(f.graphe.NbrePoints, 1);
        QCOMPARE(f.graphe.mondeY[0].valeur[0], 15.0);
        QVERIFY(banc.tick(1000, [&] { return un.demandes == 3 && f.Reponse; }));
        QCOMPARE(banc.dialogues_->vus.size(), 4);
        QVERIFY(estNaN(a->ValeurCourante));
        QCOMPARE(f.graphe.NbrePoints, 1);
    }

    // Cable out, then back: the program goes on, keeps its samples and resumes.
    void pasDeReponsePuisReprise() {
        InstrumentSimule un(1, [](int k, const QByteArray&) { return nombre(k / 10.0) + "\r"; });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        f.Acquerir();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 2; }));
        un.muet = true;
        for (int s = 0; s < 3; ++s) {
            QVERIFY(banc.tick(1000, [&] { return un.demandes == 3 + s; }));
            banc::laisse(30);
        }
        QCOMPARE(f.TexteProbleme(), QStringLiteral("Pas de réponse : Essai pH"));
        QCOMPARE(f.graphe.NbrePoints, 2);
        QCOMPARE(f.EtatAcq, eaEnCours);
        un.muet = false;
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 3; }));
        QCOMPARE(f.graphe.mondeX.valeur[2], 5.0);
        QCOMPARE(f.graphe.mondeY[0].valeur[2], 0.6);
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 4; }));
        QCOMPARE(f.TexteProbleme(), QString());
    }

    // The device disappears under the program: nothing crashes, the window keeps ticking.
    void portQuiDisparait() {
        auto un = std::make_unique<InstrumentSimule>(
            1, [](int, const QByteArray&) { return QByteArray("7\r"); });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        f.Acquerir();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        un->terminal.ecrit("7.5"); // half an answer, then the line goes
        banc::laisse(30);
        un.reset();
        for (int s = 0; s < 3; ++s) {
            banc.horloge_->avance(1000);
            f.TimerTimer();
            banc::laisse(30);
        }
        QCOMPARE(f.TexteProbleme(), QStringLiteral("Pas de réponse : Essai pH"));
        QCOMPARE(f.graphe.NbrePoints, 1);
        f.Stop();
        QCOMPARE(f.EtatAcq, eaAttente);
    }

    void flot_data() {
        QTest::addColumn<bool>("continu");
        QTest::newRow("en continu") << true;
        QTest::newRow("sur demande") << false;
    }
    // Garbage at full speed without line ends: the received text stays bounded, the window
    // keeps handling its events, and a good record afterwards is read.
    void flot() {
        QFETCH(bool, continu);
        InstrumentSimule un(1, [](int, const QByteArray&) { return QByteArray(); });
        auto a = continu ? appareilContinu(1) : appareilSurDemande(1, "A\r");
        a->Baud = 115200;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        if (!continu) f.TimerTimer();
        bool vivant = false;
        QTimer::singleShot(20, [&] { vivant = true; });
        // The instrument writes from its own thread, as fast as the line takes it.
        std::atomic<bool> fini = false;
        std::thread flot([&] {
            QByteArray bloc(8192, 'x');
            for (int i = 0; i < bloc.size(); i += 7)
                bloc[i] = char('0' + i % 10);
            for (int i = 0; i < 128; ++i) // 1 MiB
                un.terminal.ecrit(bloc);
            fini = true;
        });
        qsizetype plusLong = 0;
        while (!fini) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            plusLong = std::max(plusLong, a->ChaineLue.size());
        }
        flot.join();
        banc::laisse(100);
        QVERIFY(vivant);
        QVERIFY(plusLong <= TAcquisition::tailleMaxChaineLue);
        QVERIFY(a->ChaineLue.size() <= TAcquisition::tailleMaxChaineLue);
        un.terminal.ecrit("\rpH 4.56\r");
        if (!continu) {
            banc::laisse(50);
            un.muet = false;
            un.terminal.setRepondeur([&](const QByteArray&) { return QByteArray("4.56\r"); });
            banc.horloge_->avance(1000);
            f.TimerTimer();
        }
        QVERIFY(banc.attend([&] { return a->ValeurCourante == 4.56; }));
    }

    // The built-in printout of the WTW 3310 stands for a port: no device is opened.
    void impressionWTW() {
        auto a = appareilContinu(7);
        a->NomAppareil = QStringLiteral("pH-mètre WTW 3310");
        a->FiltrageDepassement = true;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        QVERIFY(a->VoieSerieOK);
        QVERIFY(!a->VoieSerie);
        QVERIFY(f.voiesSerie->simulationWTW);
        QVERIFY(f.voiesSerie->TimerWTW1.isActive());
        f.voiesSerie->TimerWTW1Timer();
        QVERIFY(banc.attend([&] { return a->ValeurCourante == 7.37; }));
        QVERIFY(f.Reponse);
    }

    // Stability shown after each cycle.
    void stabilite() {
        InstrumentSimule un(1, [](int, const QByteArray&) { return QByteArray("7.00\r"); });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        QSignalSpy stabilite(&f, &TAcquisition::stabiliteVoie);
        for (int k = 1; k <= 6; ++k) {
            QVERIFY(banc.tick(1000, [&] { return un.demandes == k && f.Reponse; }));
            banc::laisse(10);
            QCOMPARE(f.stable(0), k >= 6);
        }
        // Told once, when it changed.
        QCOMPARE(stabilite.size(), 1);
        QCOMPARE(stabilite[0], (QVariantList{0, true}));
    }
};

QTEST_GUILESS_MAIN(TstCycle)
#include "tst_cycle.moc"
