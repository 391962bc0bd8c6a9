// Each acquisition mode chosen in the mode dialog of the real window, then acquired through the
// window's own controls against instruments played on pseudo-terminals.
#include "../commun/bancfenetre.h"
#include "../commun/gestes.h"

#include "app/utilitaires.h"
#include "becher.h"
#include "burette/buretters232.h"
#include "burettesimulee.h"
#include "instruments/listeappareil.h"
#include "settings/balayagedlg.h"
#include "settings/fichierini.h"

#include <QButtonGroup>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>

Q_DECLARE_METATYPE(TModeAcq)
Q_DECLARE_METATYPE(TabscisseMaitre)

using namespace banc;

namespace {
QByteArray nombre(double x) {
    return QByteArray::number(x, 'f', 2);
}

// Opens the mode dialog with the window's "Mode acquisition" button and runs `geste` in it.
void dialogueMode(TCinetiqueMain& f, std::function<void(TBalayageDlg&)> geste) {
    dansModal<TBalayageDlg>(std::move(geste));
    f.ModeBtn->click();
}

std::vector<double> colonne(const Tmonde& m, int n) {
    return {m.valeur.begin(), m.valeur.begin() + n};
}

QString entete(const TCinetiqueMain& f) {
    const QTableWidgetItem* c = f.Grid->item(0, 0);
    return c ? c->text() : QString();
}

// The window on a manual clock, with a pH meter polled on COM1 (7.01, 7.02... at its 1st, 2nd...
// request) and an instrument on COM2 that sends "pH <x>" when the test says so.
struct Montage {
    InstrumentSimule ph{1, [](int k, const QByteArray&) { return nombre(7 + k / 100.0) + "\r"; }};
    InstrumentSimule maitre{2, [](int, const QByteArray&) { return QByteArray(); }};
    std::unique_ptr<Tappareil> a = appareilSurDemande(1, "M\r");
    std::unique_ptr<Tappareil> m = appareilContinu(2);
    BancAcquisition<TCinetiqueMain> banc;
    TCinetiqueMain& f = *banc.fenetre;

    explicit Montage(bool avecMaitre) {
        m->ValMini = 2;
        m->ValMaxi = 12;
        if (avecMaitre)
            banc.prepare({m.get(), a.get()}, maTemps);
        else
            banc.prepare({a.get()}, maTemps);
    }
    // One polling cycle, answered.
    bool lecture() {
        const int k = ph.demandes + 1;
        return banc.tick(1000, [&] { return ph.demandes == k && f.acq().Reponse; });
    }
};
} // namespace

class TstModes : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() {
        reglagesPrives(reglages_);
        aucunPort();
    }

    void modes_data() {
        QTest::addColumn<TModeAcq>("mode");
        QTest::addColumn<TabscisseMaitre>("abscisse");
        QTest::addColumn<QString>("nomX");
        QTest::newRow("balayage temporel") << maTemps << amTemps << "t";
        QTest::newRow("barre d'espace") << maIncrement << amTemps << "num";
        QTest::newRow("maître, temps") << maAppareilMaitre << amTemps << "t";
        QTest::newRow("maître, index") << maAppareilMaitre << amIndex << "num";
        QTest::newRow("maître, voie 0") << maAppareilMaitre << amVoie0 << "pH";
        QTest::newRow("clavier") << maClavier << amTemps << "V";
    }
    // The mode and its settings chosen in the dialog, OK, then samples taken with "Acquérir",
    // the space bar, the master's records or the keyboard box.
    void modes() {
        QFETCH(TModeAcq, mode);
        QFETCH(TabscisseMaitre, abscisse);
        Montage m(mode == maAppareilMaitre);
        TCinetiqueMain& f = m.f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        dialogueMode(f, [&](TBalayageDlg& d) {
            QCOMPARE(d.modeChoisi(), maTemps);
            // Readings stop while the dialog is open.
            QCOMPARE(f.acq().EtatAcq, eaNone);
            QVERIFY(!f.acq().Timer.isActive());
            d.ModeAcqGroupe->button(mode)->click();
            QCOMPARE(d.Pages->currentIndex(), int(mode));
            if (mode == maTemps) {
                d.DeltatSpin->setValue(2);
                d.Duree->setText(QStringLiteral("0:00:20"));
            } else if (mode == maAppareilMaitre) {
                choisit(d.AbscisseMaitreRG, QStringList{"Temps", "Index", "Appareil"}[abscisse]);
            } else if (mode == maClavier) {
                d.EditNom->setText(QStringLiteral("V"));
                d.EditUnite->setText(QStringLiteral("mL"));
                d.EditMin->setText(QStringLiteral("0"));
                d.EditMax->setText(QStringLiteral("25"));
            }
            d.OKBtn->click();
        });
        // The offscreen platform has no window manager to give the activation back.
        f.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &f);
        QCOMPARE(f.acq().ModeAcq, mode);
        QCOMPARE(f.graphe.AbscisseMaitre, abscisse);
        QTEST(f.graphe.mondeX.Nom, "nomX");
        QTEST(entete(f), "nomX");
        QCOMPARE(f.PanelTemps->isVisible(), mode == maTemps);
        QCOMPARE(f.ClavierGB->isVisible(), mode == maClavier);
        QVERIFY(f.EnregistreBtn->isEnabled());
        const Tmonde& X = f.graphe.mondeX;
        const Tmonde& Y = f.graphe.mondeY[mode == maAppareilMaitre ? 1 : 0];

        switch (mode) {
        case maTemps: {
            QCOMPARE(f.DureeEdit->text(), QStringLiteral("0:00:20"));
            QCOMPARE(f.DeltatSE->value(), 2);
            QCOMPARE(f.NombreLabel->text(), QStringLiteral("N=10"));
            f.EnregistreBtn->click();
            QCOMPARE(f.acq().EtatAcq, eaEnCours);
            QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
            for (int k = 1; f.acq().EtatAcq == eaEnCours && k <= 12; ++k)
                QVERIFY(m.banc.tick(2000, [&] { return f.graphe.NbrePoints == k + 1; }));
            QCOMPARE(f.acq().EtatAcq, eaTerminee);
            QCOMPARE(colonne(X, f.graphe.NbrePoints),
                     (std::vector<double>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20}));
            QCOMPARE(Y.valeur[0], 7.01);
            QCOMPARE(Y.valeur[10], 7.11);
            QVERIFY(!f.EnregistreBtn->isEnabled());
            break;
        }
        case maIncrement:
            for (int k = 0; k < 3; ++k) {
                QVERIFY(m.lecture());
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : &f, Qt::Key_Space);
                QCOMPARE(f.graphe.NbrePoints, k + 1);
            }
            QCOMPARE(colonne(X, 3), (std::vector<double>{0, 1, 2}));
            QCOMPARE(colonne(Y, 3), (std::vector<double>{7.01, 7.02, 7.03}));
            QCOMPARE(f.PanelDuree->text(), QStringLiteral("3"));
            break;
        case maAppareilMaitre: {
            QVERIFY(!f.acq().Timer.isActive());
            m.maitre.terminal.ecrit("pH 3.00\r\n");
            QVERIFY(m.banc.attend([&] { return m.a->ValeurCourante == 7.01; }));
            f.EnregistreBtn->click();
            QCOMPARE(f.acq().EtatAcq, eaEnCours);
            QCOMPARE(f.graphe.NbrePoints, 1);
            for (int k = 1; k <= 3; ++k) {
                m.banc.horloge_->avance(5000);
                m.maitre.terminal.ecrit("pH " + nombre(3 + k) + "\r\n");
                QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == k + 1; }));
            }
            const std::vector<std::vector<double>> attendu = {
                {0, 5, 10, 15}, {1, 2, 3, 4}, {3, 4, 5, 6}};
            QCOMPARE(colonne(X, 4), attendu[abscisse]);
            QCOMPARE(colonne(f.graphe.mondeY[0], 4), (std::vector<double>{3, 4, 5, 6}));
            // Each record asked the polled instrument once.
            QCOMPARE(m.ph.demandes, 4);
            f.StopBtn->click();
            QCOMPARE(f.acq().EtatAcq, eaTerminee);
            break;
        }
        case maClavier:
            QCOMPARE(f.ClavierGB->title(), QStringLiteral("Clavier=V/mL"));
            QCOMPARE(X.maxi, 25.0);
            for (const char* saisie : {"2,5", "5.0"}) {
                QVERIFY(m.lecture());
                QTRY_VERIFY(f.ClavierEdit->hasFocus());
                QTest::keyClicks(f.ClavierEdit, QString::fromLatin1(saisie));
                QTest::keyClick(f.ClavierEdit, Qt::Key_Return);
            }
            QCOMPARE(f.graphe.NbrePoints, 2);
            QCOMPARE(colonne(X, 2), (std::vector<double>{2.5, 5}));
            QCOMPARE(colonne(Y, 2), (std::vector<double>{7.01, 7.02}));
            QCOMPARE(f.ClavierEdit->text(), QString());
            break;
        case maBuretteTelmira:
            break;
        }
        QVERIFY(m.banc.dialogues_->vus.isEmpty());
    }

    void annuler_data() {
        QTest::addColumn<bool>("enCours");
        QTest::newRow("au repos") << false;
        QTest::newRow("pendant la mesure") << true;
    }
    // Cancel gives the readings back as they were: state, timer, samples, mode; the next tick
    // goes on recording.
    void annuler() {
        QFETCH(bool, enCours);
        Montage m(false);
        TCinetiqueMain& f = m.f;
        if (enCours) {
            f.EnregistreBtn->click();
            QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
            QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == 2; }));
            m.banc.dialogues_->reponses = {true};
        }
        const TEtatAcquisition etat = f.acq().EtatAcq;
        const int intervalle = f.acq().Timer.interval();
        QVERIFY(f.acq().Timer.isActive());
        dialogueMode(f, [&](TBalayageDlg& d) {
            QCOMPARE(f.acq().EtatAcq, eaNone);
            QVERIFY(!f.acq().Timer.isActive());
            d.ModeAcqGroupe->button(maIncrement)->click();
            d.CancelBtn->click();
        });
        QCOMPARE(m.banc.dialogues_->vus,
                 enCours ? QStringList{QStringLiteral("Suppression des données")} : QStringList());
        QCOMPARE(f.acq().ModeAcq, maTemps);
        QCOMPARE(f.acq().EtatAcq, etat);
        QVERIFY(f.acq().Timer.isActive());
        QCOMPARE(f.acq().Timer.interval(), intervalle);
        QCOMPARE(f.graphe.mondeX.Nom, QStringLiteral("t"));
        QCOMPARE(f.graphe.NbrePoints, enCours ? 2 : 0);
        if (enCours)
            QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == 3; }));
        else
            QVERIFY(m.lecture());
    }

    // A set-up already in the master mode (as a set-up file leaves it): choosing only another
    // abscissa gives samples on that abscissa, named after it.
    void abscisseSeule() {
        Montage m(true);
        TCinetiqueMain& f = m.f;
        m.banc.prepare({m.m.get(), m.a.get()}, maAppareilMaitre);
        QCOMPARE(f.graphe.mondeX.Nom, QStringLiteral("t"));
        dialogueMode(f, [&](TBalayageDlg& d) {
            choisit(d.AbscisseMaitreRG, QStringLiteral("Appareil"));
            d.OKBtn->click();
        });
        QCOMPARE(f.graphe.mondeX.Nom, QStringLiteral("pH"));
        QCOMPARE(entete(f), QStringLiteral("pH"));
        m.maitre.terminal.ecrit("pH 3.00\r\n");
        QVERIFY(m.banc.attend([&] { return m.a->ValeurCourante == 7.01; }));
        f.EnregistreBtn->click();
        QCOMPARE(f.graphe.NbrePoints, 1);
        QCOMPARE(f.graphe.mondeX.valeur[0], 3.0);
    }

    // A set-up in the keyboard mode (as a set-up file leaves it): a click on the keyboard panel
    // asks about the unsaved samples, then opens the mode dialog where the typed quantity is
    // chosen; after OK the axis, the panel and the grid name the new quantity.
    void panneauClavier() {
        Montage m(false);
        TCinetiqueMain& f = m.f;
        f.graphe.mondeX.Nom = QStringLiteral("V");
        f.graphe.mondeX.Unite = QStringLiteral("mL");
        f.graphe.mondeX.SetMinMax(0, 10);
        m.banc.prepare({m.a.get()}, maClavier);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QVERIFY(m.lecture());
        f.ClavierEdit->setText(QStringLiteral("2"));
        f.ValideClavierBtn->click();
        QCOMPARE(f.graphe.NbrePoints, 1);

        m.banc.dialogues_->reponses = {false};
        QTest::mouseClick(f.ClavierGB, Qt::LeftButton);
        QCOMPARE(m.banc.dialogues_->vus, QStringList{QStringLiteral("Suppression des données")});
        QCOMPARE(f.graphe.NbrePoints, 1);
        QCOMPARE(f.acq().EtatAcq, eaClavier);

        m.banc.dialogues_->reponses = {true};
        dansModal<TBalayageDlg>([&](TBalayageDlg& d) {
            QCOMPARE(d.modeChoisi(), maClavier);
            QCOMPARE(d.EditNom->text(), QStringLiteral("V"));
            d.EditNom->setText(QStringLiteral("m"));
            d.EditUnite->setText(QStringLiteral("g"));
            d.EditMax->setText(QStringLiteral("50"));
            d.OKBtn->click();
        });
        QTest::mouseClick(f.ClavierGB, Qt::LeftButton);
        QCOMPARE(f.graphe.mondeX.Nom, QStringLiteral("m"));
        QCOMPARE(f.graphe.mondeX.maxi, 50.0);
        QCOMPARE(entete(f), QStringLiteral("m"));
        QCOMPARE(f.ClavierGB->title(), QStringLiteral("Clavier=m/g"));
        QCOMPARE(f.acq().EtatAcq, eaClavier);
        QCOMPARE(f.graphe.NbrePoints, 0);
        QVERIFY(m.lecture());
        f.ClavierEdit->setText(QStringLiteral("12"));
        f.ValideClavierBtn->click();
        QCOMPARE(f.graphe.NbrePoints, 1);
        QCOMPARE(f.graphe.mondeX.valeur[0], 12.0);
    }

    // A titration chosen in the dialog (the burette tested on its port there), run by
    // "Acquérir" against the simulated Titronic filling a simulated beaker that the polled pH
    // meter reads: it records additions and ends past 95 % of the unit's capacity.
    void titrage() {
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
        pointeCom(7, ligneBurette.slave());
        ReglagesBecher rp;
        QVERIFY(rp.choisit(QStringLiteral("hcl")));
        rp.constanteTemps = 0;
        Becher becher(rp, [&](double t) { return simulee.volume(t); });
        InstrumentSimule phmetre(2, [&](int, const QByteArray&) {
            return QByteArray::number(becher.pH(secondes()), 'f', 3) + "\r";
        });
        auto module = std::make_unique<TModuleAppareils>(QString());
        TburetteRS232& b = *module->burette;
        b.LitIni(QStringLiteral("BuretteTelmira"), TFichierIni::depuisOctets(catalogueEmbarque()));
        b.ComNumber = 1;
        auto ancien = installeModuleAppareils(std::move(module));
        auto ph = appareilSurDemande(2, "M\r");
        {
            BancAcquisition<TCinetiqueMain> banc;
            TCinetiqueMain& f = *banc.fenetre;
            banc.prepare({ph.get()}, maTemps);
            dialogueMode(f, [&](TBalayageDlg& d) {
                d.ModeAcqGroupe->button(maBuretteTelmira)->click();
                choisit(d.ComPortsBuretteTelmira, QStringLiteral("COM7"));
                d.TestBuretteBtn->click();
                QVERIFY2(d.TestBuretteLabel->text().contains("universal"),
                         qPrintable(d.TestBuretteLabel->text()));
                d.OKBtn->click();
            });
            QCOMPARE(f.acq().ModeAcq, maBuretteTelmira);
            QCOMPARE(f.acq().EtatAcq, eaAttente);
            QCOMPARE(int(b.ComNumber), 7);
            QCOMPARE(entete(f), b.SymboleGrandeur);
            // Deliveries of milliseconds rather than seconds.
            QVERIFY(b.ecrit("GDM6000,0", 6));
            b.vitesseVerse = 6000;
            b.VolumeMin = 0.05;
            b.VolumeMax = 0.5;
            b.ecartSensible = 0.1;
            QVERIFY(banc.tick(500, [&] { return !estNaN(ph->ValeurCourante); }));
            f.EnregistreBtn->click();
            QCOMPARE(f.acq().EtatAcq, eaEnCours);
            int cycles = 0;
            while (f.acq().EtatAcq == eaEnCours && cycles < 3000) {
                const int demandes = phmetre.demandes;
                QVERIFY(banc.tick(500, [&] {
                    return phmetre.demandes > demandes && f.acq().VoieCourante == 0 &&
                           f.acq().Reponse;
                }));
                laisse(2);
                ++cycles;
            }
            QCOMPARE(f.acq().EtatAcq, eaTerminee);
            const int n = f.graphe.NbrePoints;
            const Tmonde& V = f.graphe.mondeX;
            QVERIFY(n > 20);
            QCOMPARE(V.valeur[0], 0.0);
            QVERIFY(V.valeur[n - 1] > 0.95 * 25 && V.valeur[n - 2] <= 0.95 * 25);
            QVERIFY(simulee.ajouts() >= n - 1);
            QVERIFY(f.EnregistreNouveauFichierItem->isEnabled());
        }
        installeModuleAppareils(std::move(ancien));
    }
};

QTEST_MAIN(TstModes)
#include "tst_modes.moc"
