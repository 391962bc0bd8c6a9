// The burette settings dialog: how thresholds are shown and read back, what OK stores and saves,
// and what happens even when it is cancelled.
#include "app/dialogues.h"
#include "burette/buretters232.h"
#include "burette/buretters232dlg.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"
#include "tests/commun/banc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

class TestBuretteDlg : public QObject {
    Q_OBJECT
    QTemporaryDir dossier;
    Tappareil pH;

    TburetteRS232& burette() { return *moduleAppareils().burette; }

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier);
        QLocale::setDefault(QLocale(QLocale::French));
        installeDialogues(std::make_unique<DialoguesScriptes>());
        installeModuleAppareils(
            std::make_unique<TModuleAppareils>(dossier.filePath(QStringLiteral("app.INI"))));
        QVERIFY(moduleAppareils().ChargeAppareils());
        pH.ValMini = 0;
        pH.ValMaxi = 14;
        pH.UniteGrandeur = QStringLiteral("mV");
    }

    void affichage_data() {
        QTest::addColumn<double>("seuil");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("prefixe");
        QTest::newRow("milli") << 0.00005 << "0,05"
                               << "m";
        QTest::newRow("micro") << 0.00000005 << "0,05"
                               << "μ";
        QTest::newRow("sans") << 0.01 << "0,01"
                              << "";
    }
    void affichage() {
        QFETCH(double, seuil);
        burette().ecartStable = seuil;
        TBuretteRS232Dlg d(burette(), nullptr);
        d.FormActivate();
        QTEST(d.StableEdit->text(), "texte");
        QTEST(d.prefixeStableCB->currentText(), "prefixe");
        QCOMPARE(d.UniteLabel2->text(), QString());
    }

    // OK stores what was typed and writes the device file, which did not exist yet: it then
    // lists the descriptions as well as the burette.
    void confirmation() {
        TBuretteRS232Dlg d(burette(), &pH);
        d.show();
        QCOMPARE(d.UniteLabel1->text(), QStringLiteral("mV"));
        d.SensibleEdit->setText(QStringLiteral("20"));
        d.prefixeSensibleCB->setCurrentIndex(1);
        d.VminiSE->setValue(40);
        d.vmaxiSE->setValue(480);
        d.TmaxiSE->setValue(20);
        d.modeIncrementCB->setChecked(true);
        d.DeltaVedit->setText(QStringLiteral("0,3"));
        d.NomEdit->setText(QStringLiteral("Vb"));
        d.OKBtn->click();
        TburetteRS232& b = burette();
        QCOMPARE(b.ecartSensible, 0.02);
        QCOMPARE(b.VolumeMin, 0.04);
        QCOMPARE(b.VolumeMax, 0.48);
        QCOMPARE(b.DeltatMax, 20);
        QVERIFY(b.modeIncrement);
        QCOMPARE(b.incrementVolume, 0.3);
        QCOMPARE(b.SymboleGrandeur, QStringLiteral("Vb"));
        const TFichierIni fichier(moduleAppareils().nomFichierAppareil);
        QCOMPARE(fichier.ReadSection("Index").size(), 97);
        QCOMPARE(fichier.ReadString("BuretteTelmira", "dVMax", ""), QStringLiteral("0,48"));
    }

    // Opening lowers the thresholds to a hundredth of channel 0's range, even when cancelled;
    // the increment box hides its edit without losing the text; help asks for its topics.
    void abandon() {
        TburetteRS232& b = burette();
        b.ecartSensible = 0.5;
        b.modeIncrement = true;
        b.incrementVolume = 0.25;
        TBuretteRS232Dlg d(burette(), &pH);
        QSignalSpy aide(&d, &TBuretteRS232Dlg::aideDemandee);
        d.show();
        d.modeIncrementCB->setChecked(false);
        QVERIFY(!d.DeltaVedit->isVisible());
        QCOMPARE(d.DeltaVedit->text(), QStringLiteral("0,25"));
        d.HelpBtn->click();
        QTest::keyClick(&d, Qt::Key_F1);
        d.CancelBtn->click();
        QCOMPARE(b.ecartSensible, 0.14);
        QVERIFY(b.modeIncrement);
        QCOMPARE(aide.size(), 2);
        QCOMPARE(aide.at(0).at(0).toInt(), 13);
        QCOMPARE(aide.at(1).at(0).toInt(), 12);
    }
};

QTEST_MAIN(TestBuretteDlg)
#include "tst_buretteDlg.moc"
