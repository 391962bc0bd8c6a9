// A new instrument described through the main window's device management, tried against a
// simulated instrument, saved to a private device file, found again after a restart in the
// device selection and acquired from; then moved to another port from its channel panel.
#include "../commun/bancfenetre.h"
#include "../commun/gestes.h"

#include "instruments/listeappareil.h"
#include "serial/testdlg.h"
#include "settings/cfgappdlg.h"
#include "settings/choixappdlg.h"
#include "settings/choixconfigdlg.h"
#include "settings/configdlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

using namespace banc;

namespace {
const QString nom = QStringLiteral("Essai pH-mètre RS");

// A pH meter answering "pH 1 <valeur>" to "M?" followed by CR.
QByteArray reponse(const QByteArray& demande, const char* valeur) {
    return demande == "M?\r" ? QByteArray("pH 1 ") + valeur + "\r\n" : QByteArray();
}

// The program's device list, read from `chemin` as at a start.
std::unique_ptr<TModuleAppareils> demarre(const QString& chemin) {
    auto module = std::make_unique<TModuleAppareils>(chemin);
    if (!module->ChargeAppareils()) return {};
    return module;
}
} // namespace

class TstAppareils : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    std::unique_ptr<TModuleAppareils> ancien_;

private Q_SLOTS:
    void initTestCase() {
        reglagesPrives(dossier_);
        aucunPort();
    }
    void cleanupTestCase() {
        if (ancien_) installeModuleAppareils(std::move(ancien_));
    }

    void nouvelAppareil() {
        InstrumentSimule com3(3, [](int, const QByteArray& d) { return reponse(d, "7.02"); });
        InstrumentSimule com4(4, [](int, const QByteArray& d) { return reponse(d, "8.50"); });
        const QString fichier = dossier_.filePath(QStringLiteral("appareils.ini"));
        auto module = demarre(fichier);
        QVERIFY(module);
        const int catalogue = module->listeAppareil.Count();
        ancien_ = installeModuleAppareils(std::move(module));

        QStringList journal;
        {
            BancAcquisition<TCinetiqueMain> banc;
            TCinetiqueMain& f = *banc.fenetre;
            dansModal<TChoixConfigDlg>([&](TChoixConfigDlg& g) {
                // Nothing selected: a description of its own, not a copy.
                g.ListBoxAppareil->setCurrentRow(-1);
                dansModal<TConfigDlg>([&](TConfigDlg& c) {
                    c.EditNomAppareil->setText(nom);
                    c.nomGrandeurCombo->setEditText(QStringLiteral("pH"));
                    c.EditSymbole->setText(QStringLiteral("pH"));
                    c.EditUnite->clear();
                    c.PrecisionSE->setValue(3);
                    c.EditMin->clear();
                    QTest::keyClicks(c.EditMin, QStringLiteral("0"));
                    c.EditMax->clear();
                    QTest::keyClicks(c.EditMax, QStringLiteral("14"));
                    choisit(c.Comports, QStringLiteral("COM3"));
                    choisit(c.BaudsRG, QStringLiteral("9600"));
                    choisit(c.ParityRG, QStringLiteral("Sans"));
                    choisit(c.DatabitsRG, QStringLiteral("8"));
                    choisit(c.StopbitsRG, QStringLiteral("1"));
                    choisit(c.EnvoiDonneesRG, QStringLiteral("sur demande"));
                    choisit(c.FixeRG, QStringLiteral("variable"));
                    c.DelaiEdit->setText(QStringLiteral("200"));
                    c.NbreLignesSE->setValue(1);
                    c.NumeroOrdreSE->setValue(2);
                    c.EditDemande->setText(QStringLiteral("M?|CR|"));
                    dansModal<TTestDlg>([&](TTestDlg& t) {
                        t.MesureBtn->click();
                        QVERIFY(attend([&] { return t.MesureBtn->isEnabled(); }));
                        journal = t.MemoTest->toPlainText().split(QLatin1Char('\n'));
                        t.close();
                    });
                    c.TestBtn->click();
                    c.OKBtn->click();
                });
                g.CreerBtn->click();
                QCOMPARE(g.ListBoxAppareil->count(), catalogue + 1);
                g.EnregistreBtn->click();
                g.ExitBtn->click();
            });
            f.GestionAppareilsItem->trigger();
            QVERIFY(banc.dialogues_->vus.isEmpty());
        }
        QCOMPARE(journal.value(0), QStringLiteral("Envoi de :"));
        QCOMPARE(journal.value(1), QStringLiteral("M?|CR|"));
        QVERIFY2(journal.contains(QStringLiteral("pH 1 7.02|CR|")), qPrintable(journal.join('/')));
        QCOMPARE(journal.last(), QStringLiteral("Valeur lue : pH=7.02"));

        // A new start reads the device file: the description is offered under its quantity.
        auto relu = demarre(fichier);
        QVERIFY(relu);
        QVERIFY(relu->ChercheAppareil(nom));
        installeModuleAppareils(std::move(relu));
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QObject::disconnect(&f.acq().Timer, nullptr, &f.acq(), nullptr);
        dansModal<TChoixAppDlg>([&](TChoixAppDlg& d) {
            for (QAbstractButton* b : d.GrandeurGroupe->buttons())
                if (b->text() == QLatin1String("pH")) b->click();
            const int i = d.ListeAppareilCombo->findText(nom);
            QVERIFY(i >= 0);
            d.ListeAppareilCombo->setCurrentIndex(i);
            d.AddBtn->click();
            QCOMPARE(texteChoisi(d.Coms[0]), QStringLiteral("COM3"));
            d.OKBtn->click();
        });
        f.AjouterBtn->click();
        QCOMPARE(f.graphe.NbreVoies, 1);
        QCOMPARE(f.groupBoxs[0]->title(), nom);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        f.EnregistreBtn->click();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 2; }));
        QCOMPARE(f.graphe.mondeY[0].valeur[1], 7.02);
        QVERIFY(!f.acq().dataSaved);

        // The device management would set everything up again: asked first; No keeps the run.
        banc.dialogues_->reponses = {false};
        f.GestionAppareilsItem->trigger();
        QCOMPARE(banc.dialogues_->vus,
                 QStringList{QStringLiteral("Perte des données courantes ?")});
        QCOMPARE(f.graphe.NbrePoints, 2);
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
        QVERIFY(f.acq().Timer.isActive());
        banc.dialogues_->vus.clear();

        // From the channel panel, to COM4 with unsaved samples: asked; No keeps the port, the
        // samples and the run.
        const auto versCom4 = [&] {
            dansModal<TCfgAppDlg>([&](TCfgAppDlg& c) {
                QCOMPARE(c.windowTitle(), nom);
                choisit(c.Comports, QStringLiteral("COM4"));
                c.OKBtn->click();
            });
            QTest::mouseClick(f.groupBoxs[0], Qt::LeftButton);
        };
        banc.dialogues_->reponses = {false};
        versCom4();
        QCOMPARE(banc.dialogues_->vus,
                 QStringList{QStringLiteral("Pertes des données courantes ?")});
        Tappareil* A = f.acq().AppareilAcq[0];
        QCOMPARE(int(A->ComNumber), 3);
        QCOMPARE(f.graphe.NbrePoints, 2);
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
        QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == 3; }));

        // Yes: the set-up starts again on COM4, whose instrument answers from then on.
        banc.dialogues_->reponses = {true};
        const int surCom3 = com3.demandes;
        versCom4();
        QCOMPARE(int(A->ComNumber), 4);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QCOMPARE(f.graphe.NbrePoints, 0);
        const int avant = com4.demandes;
        QVERIFY(banc.tick(1000, [&] { return com4.demandes > avant && A->ValeurCourante == 8.5; }));
        QCOMPARE(com3.demandes, surCom3);
    }
};

QTEST_MAIN(TstAppareils)
#include "tst_appareils.moc"
