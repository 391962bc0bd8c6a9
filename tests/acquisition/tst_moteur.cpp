// The engine without a window, where dialogs, silent channels and lost devices used to stop an
// acquisition.
#include "../commun/bancacquisition.h"

#include "app/utilitaires.h"
#include "instruments/listeappareil.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>

namespace {
QByteArray nombre(double x) {
    return QByteArray::number(x, 'f', 2);
}

// Questions that stay open a while, as a user reading them would, with the sampling going on:
// every 100 ms of real time the clock moves a second and the timer ticks.
class QuestionLente : public DialoguesScriptes {
public:
    QuestionLente(HorlogeManuelle*& horloge, TAcquisition*& moteur)
        : horloge_(horloge), moteur_(moteur) {}
    bool confirme(const QString& texte) override {
        QEventLoop boucle;
        QTimer tic;
        QObject::connect(&tic, &QTimer::timeout, [&] {
            horloge_->avance(1000);
            moteur_->TimerTimer();
        });
        tic.start(100);
        QTimer::singleShot(1500, &boucle, &QEventLoop::quit);
        boucle.exec();
        return DialoguesScriptes::confirme(texte);
    }

private:
    HorlogeManuelle*& horloge_;
    TAcquisition*& moteur_;
};
} // namespace

class TstMoteur : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(reglages_); }

    // One channel of three goes silent: its column holds NaN, the others go on, the problem
    // label names it, the run keeps its clock and ends on time, and the channel's readings
    // come back by themselves.
    void voieMuetteParmiTrois() {
        InstrumentSimule un(1, [](int k, const QByteArray&) { return nombre(k) + "\r"; });
        InstrumentSimule deux(2, [](int k, const QByteArray&) { return nombre(10 + k) + "\r"; });
        InstrumentSimule trois(3, [](int k, const QByteArray&) { return nombre(20 + k) + "\r"; });
        auto a = appareilSurDemande(1, "A\r", QStringLiteral("pA"));
        auto b = appareilSurDemande(2, "B\r", QStringLiteral("pB"));
        auto c = appareilSurDemande(3, "C\r", QStringLiteral("pC"));
        for (auto* x : {a.get(), b.get(), c.get()})
            x->ValMaxi = 100;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        f.DureeMesure = 10;
        banc.prepare({a.get(), b.get(), c.get()}, maTemps);
        f.Acquerir();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        deux.muet = true;
        for (int s = 1; s <= 4; ++s)
            QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == s + 1; }));
        QCOMPARE(f.TexteProbleme(), QStringLiteral("Pas de réponse : Essai pB"));
        QVERIFY(estNaN(f.graphe.mondeY[1].valeur[4]));
        QCOMPARE(f.graphe.mondeY[0].valeur[4], double(un.demandes));
        QCOMPARE(f.graphe.mondeY[2].valeur[4], double(20 + trois.demandes));
        QCOMPARE(f.graphe.mondeX.valeur[4], 4.0);
        deux.muet = false;
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 6; }));
        QCOMPARE(f.graphe.mondeY[1].valeur[5], double(10 + deux.demandes));
        QCOMPARE(f.TexteProbleme(), QString());
        for (int s = 6; s <= 10; ++s)
            QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == s + 1; }));
        QCOMPARE(f.EtatAcq, eaTerminee);
        QCOMPARE(f.graphe.mondeX.valeur[10], 10.0);
    }

    // The adapter is unplugged, then plugged back on the same device path: the port opens again
    // by itself and the readings go on.
    void peripheriqueQuiRevient() {
        QTemporaryDir dossier;
        const QString lien = dossier.filePath(QStringLiteral("ttyUSB0"));
        auto branche = [&](int premier) {
            auto i = std::make_unique<InstrumentSimule>(
                1, [premier](int k, const QByteArray&) { return nombre(premier + k) + "\r"; });
            QFile::remove(lien);
            QFile::link(i->terminal.slave(), lien);
            banc::pointeCom(1, lien);
            return i;
        };
        auto instrument = branche(0);
        auto a = appareilSurDemande(1, "A\r");
        a->ValMaxi = 100;
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        QVERIFY(banc.tick(1000, [&] { return a->ValeurCourante == 1; }));
        TApdComPort* port = a->VoieSerie;
        QVERIFY(port && port->Open());

        instrument.reset();
        QFile::remove(lien);
        QVERIFY(banc.attend([&] { return !port->Open(); }));
        QVERIFY(port->perdu());
        banc.tick(1000, [] { return false; });
        QVERIFY(f.TexteProbleme().startsWith(QStringLiteral("Pas de réponse")));

        instrument = branche(40);
        QVERIFY(banc::attend([&] { return port->Open(); }, 4000));
        QVERIFY(banc.tick(1000, [&] { return a->ValeurCourante == 41; }));
        QCOMPARE(f.TexteProbleme(), QString());
        QCOMPARE(a->VoieSerie, port);
    }

    // "Données non sauvées, quitter ?" answered No: the run goes on as it was.
    void fermetureRefusee() {
        InstrumentSimule un(1, [](int k, const QByteArray&) { return nombre(k / 10.0) + "\r"; });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        f.Acquerir();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        banc.dialogues_->reponses = {false};
        QVERIFY(!f.FermetureAcceptee());
        QCOMPARE(banc.dialogues_->vus,
                 QStringList{QStringLiteral("Données non sauvées, quitter ?")});
        QCOMPARE(f.EtatAcq, eaEnCours);
        QVERIFY(f.Timer.isActive());
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 2; }));
    }

    // A range question left open for seconds: the port is read, cycles go on and samples are
    // recorded meanwhile.
    void questionOuverte() {
        InstrumentSimule un(1, [](int k, const QByteArray&) {
            return k == 2 ? QByteArray("15\r") : nombre(7 + k / 100.0) + "\r";
        });
        auto a = appareilSurDemande(1, "A\r");
        a->FiltrageDepassement = false;
        BancAcquisition<> banc;
        TAcquisition* moteur = &banc.a();
        auto lente = std::make_unique<QuestionLente>(banc.horloge_, moteur);
        lente->reponses = {true};
        QuestionLente* question = lente.get();
        auto ancienne = installeDialogues(std::move(lente));
        TAcquisition& f = banc.a();
        banc.prepare({a.get()}, maTemps);
        f.Acquerir();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        QVERIFY(banc.tick(1000, [&] { return question->vus.size() == 1; }));
        // Asked about 15 with samples still coming: about one per tick of the open question.
        QVERIFY2(f.graphe.NbrePoints >= 8, qPrintable(QString::number(f.graphe.NbrePoints)));
        QCOMPARE(f.graphe.mondeY[0].valeur[1], 15.0);
        QCOMPARE(a->ValMaxi, 16.4);
        installeDialogues(std::move(ancienne));
    }

    // A set-up from outside while a request waits for its pause, then while a dialog is open:
    // nothing of the old cycle crosses into the new set-up, and nothing happens under a dialog.
    void configurationExterieure() {
        QTemporaryDir dossier;
        const QString tm2 = dossier.filePath(QStringLiteral("neuf.tm2"));
        InstrumentSimule ligne(1, [](int, const QByteArray& d) {
            return d == "A\r" ? QByteArray("7.00\r") : QByteArray("3.00\r");
        });
        InstrumentSimule autre(2, [](int, const QByteArray&) { return QByteArray("5.00\r"); });
        auto a = appareilSurDemande(1, "A\r");
        auto b = appareilSurDemande(1, "B\r", QStringLiteral("pX"));
        a->Delai = 400;
        auto module = std::make_unique<TModuleAppareils>(QString());
        auto c = appareilSurDemande(2, "C\r", QStringLiteral("pC"));
        c->NomAppareil = QStringLiteral("Neuf");
        module->listeAppareil.Add(std::move(c));
        auto ancien = installeModuleAppareils(std::move(module));
        {
            QFile f(tm2);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Acquisition]\r\nNvoies=1\r\nNom0=Neuf\r\nCOM0=2\r\nMode=0\r\n");
        }
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        banc.prepare({a.get(), b.get()}, maTemps);
        QCOMPARE(b->Attente, quint16(400));
        banc.horloge_->avance(1000);
        f.TimerTimer();
        QVERIFY(banc.attend([&] { return a->ValeurCourante == 7.0; }));
        // B's request now waits for its pause when the new set-up comes.
        f.DemandeConfig(tm2);
        QCOMPARE(f.AppareilAcq[0]->NomAppareil, QStringLiteral("Neuf"));
        QObject::disconnect(&f.Timer, nullptr, &f, nullptr);
        banc::laisse(600);
        QCOMPARE(ligne.vues, std::vector<QByteArray>{"A\r"});
        QVERIFY(banc.tick(1000, [&] { return f.AppareilAcq[0]->ValeurCourante == 5.0; }));

        f.SuspendAcq();
        f.DemandeConfig(tm2);
        banc::laisse(300);
        QCOMPARE(f.EtatAcq, eaNone);
        f.RepriseAcq();
        QVERIFY(banc.attend([&] { return f.EtatAcq == eaAttente; }));
        installeModuleAppareils(std::move(ancien));
    }

    // δt changed during a run is planned from the last sample: no hole, and the store holds
    // the rest of the run.
    void deltatPendantLaMesure() {
        InstrumentSimule un(1, [](int k, const QByteArray&) { return nombre(k / 100.0) + "\r"; });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<> banc;
        TAcquisition& f = banc.a();
        f.DureeMesure = 120;
        f.DeltatMesure = 1;
        banc.prepare({a.get()}, maTemps);
        f.Acquerir();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int s = 1; s < 100; ++s)
            QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == s + 1; }));
        f.ChangeDeltat(2);
        QCOMPARE(f.DeltatMesure, quint16(2));
        QVERIFY(banc.tick(1000, [&] { return un.demandes == 101; }));
        banc::laisse(20);
        QCOMPARE(f.graphe.NbrePoints, 100);
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 101; }));
        QCOMPARE(f.graphe.mondeX.valeur[100], 101.0);
        QCOMPARE(f.EtatAcq, eaEnCours);
        // δt can never leave 1..60 nor the store's capacity.
        f.ChangeDeltat(500);
        QCOMPARE(f.DeltatMesure, quint16(15));
        QVERIFY(f.DureeMesure / f.DeltatMesure >= 8);
    }
};

QTEST_GUILESS_MAIN(TstMoteur)
#include "tst_moteur.moc"
