#include "acquisition/duree.h"
#include "app/dialogues.h"
#include "display/cinetiquemain.h"

#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
qint32 hms(int h, int m, int s) {
    return h * 3600 + m * 60 + s;
}
} // namespace

// The duration and interval controls keep a time base of 8 to 2048 intervals.
class TstTempsBase : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, reglages_.path());
        installeDialogues(std::make_unique<DialoguesScriptes>());
    }

    void arrondi_data() {
        QTest::addColumn<int>("avant");
        QTest::addColumn<int>("apres");
        QTest::newRow("0:02:35") << hms(0, 2, 35) << hms(0, 2, 40);
        QTest::newRow("0:07:20") << hms(0, 7, 20) << hms(0, 7, 0);
        QTest::newRow("0:13:00") << hms(0, 13, 0) << hms(0, 15, 0);
        QTest::newRow("0:33:00") << hms(0, 33, 0) << hms(0, 40, 0);
        QTest::newRow("1:20:00") << hms(1, 20, 0) << hms(1, 30, 0);
        QTest::newRow("0:00:45") << hms(0, 0, 45) << hms(0, 0, 50);
        QTest::newRow("1:50:00") << hms(1, 50, 0) << hms(2, 0, 0);
    }
    void arrondi() {
        QFETCH(int, avant);
        qint32 d = avant;
        ArrondiDuree(d);
        QTEST(int(d), "apres");
    }

    void boutonHaut() {
        TCinetiqueMain f;
        const QStringList attendu = {
            "0:02:20", "0:02:40", "0:03:00", "0:03:20", "0:03:40", "0:04:00", "0:05:00", "0:06:00",
            "0:07:00", "0:08:00", "0:09:00", "0:10:00", "0:15:00", "0:20:00", "0:25:00", "0:30:00",
            "0:40:00", "0:50:00", "1:00:00", "1:15:00", "1:30:00", "1:45:00"};
        QStringList vu;
        QList<int> deltats;
        for (int i = 0; i < attendu.size(); ++i) {
            f.DureeSBUpClick();
            vu << f.DureeEdit->text();
            deltats << f.acq().DeltatMesure;
            QVERIFY(f.acq().DureeMesure / f.acq().DeltatMesure <= 2048 &&
                    f.acq().DureeMesure / f.acq().DeltatMesure >= 8);
        }
        QCOMPARE(vu, attendu);
        QCOMPARE(deltats[15], 1); // 0:30:00
        QCOMPARE(deltats[16], 2); // 0:40:00
        QCOMPARE(deltats[19], 3); // 1:15:00
        QCOMPARE(deltats[21], 4); // 1:45:00
        QCOMPARE(f.NombreLabel->text(), QStringLiteral("N=1575"));
        QCOMPARE(f.DeltatSE->value(), 4);
        QCOMPARE(f.graphe.mondeX.maxi, double(hms(1, 45, 0)));
    }

    void boutonBas() {
        TCinetiqueMain f;
        QStringList vu;
        for (int i = 0; i < 13; ++i) {
            f.DureeSBDownClick();
            vu << f.DureeEdit->text();
        }
        QCOMPARE(vu, QStringList({"0:01:50", "0:01:40", "0:01:30", "0:01:20", "0:01:10", "0:01:00",
                                  "0:00:50", "0:00:40", "0:00:30", "0:00:20", "0:00:10", "0:00:10",
                                  "0:00:10"}));
        f.acq().DureeMesure = hms(1, 0, 0);
        f.DureeSBDownClick();
        QCOMPARE(f.DureeEdit->text(), QStringLiteral("0:50:00"));
        QCOMPARE(f.acq().DeltatMesure, quint16(2));

        f.acq().DeltatMin = 2;
        f.acq().DeltatMesure = 2;
        f.acq().DureeMesure = 10;
        f.DureeSBDownClick();
        QCOMPARE(f.acq().DureeMesure, 16);
        QCOMPARE(f.NombreLabel->text(), QStringLiteral("N=8"));
    }

    void intervalleTape() {
        TCinetiqueMain f;
        f.acq().DureeMesure = hms(4, 0, 0);
        f.DeltatSE->setValue(8);
        f.DeltatSE->setValue(1);
        QCOMPARE(f.acq().DeltatMesure, quint16(8));
        QCOMPARE(f.NombreLabel->text(), QStringLiteral("N=1800"));
        QCOMPARE(f.DeltatSE->value(), 8);

        // Too short for 8 intervals: δt never reaches 0.
        f.acq().DureeMesure = 5;
        f.DeltatSE->setValue(3);
        QVERIFY(f.acq().DeltatMesure >= 1);
        QVERIFY(f.acq().DureeMesure / f.acq().DeltatMesure >= 8);
    }

    void dureeTapee() {
        auto* reponses = new DialoguesScriptes;
        installeDialogues(std::unique_ptr<Dialogues>(reponses));
        TCinetiqueMain f;
        f.DureeEdit->setText(QStringLiteral("0:13:00"));
        f.DureeEditExit();
        QCOMPARE(f.acq().DureeMesure, hms(0, 15, 0));
        f.DureeEdit->setText(QStringLiteral("40:00:00"));
        f.DureeEditExit();
        QCOMPARE(f.acq().DeltatMesure, quint16(60));
        QCOMPARE(f.acq().DureeMesure, 2048 * 60);
        QCOMPARE(f.DureeEdit->text(), QStringLiteral("34:08:00"));
        f.DureeEdit->setText(QStringLiteral("2 mn"));
        f.DureeEditExit();
        QCOMPARE(f.acq().DureeMesure, 2048 * 60);
        QCOMPARE(reponses->vus.size(), 1);
        QVERIFY(reponses->vus.first().contains(QStringLiteral("2 mn")));
        QCOMPARE(f.DureeEdit->text(), QStringLiteral("34:08:00"));
        f.DureeEdit->setText(QStringLiteral("0:00:03"));
        f.DureeEditExit();
        QVERIFY(f.acq().DureeMesure / f.acq().DeltatMesure >= 8);
        QVERIFY(f.acq().DeltatMesure >= 1);
    }

    void doublementPendantLAcquisition() {
        TCinetiqueMain f;
        f.graphe.NbreVoies = 1;
        f.acq().DureeMesure = 2000;
        f.acq().DeltatMesure = 1;
        f.acq().SetEtatAcq(eaEnCours);
        f.graphe.NbrePoints = 1500;
        for (int i = 0; i < 1500; ++i) {
            f.graphe.mondeX.valeur[i] = i;
            f.graphe.mondeY[0].valeur[i] = 10.0 * i;
        }
        f.DureeSBUpClick();
        QCOMPARE(f.acq().DureeMesure, 4000);
        QCOMPARE(f.acq().DeltatMesure, quint16(2));
        QCOMPARE(f.graphe.NbrePoints, 750);
        QCOMPARE(f.graphe.mondeX.valeur[749], 1498.0);
        QCOMPARE(f.graphe.mondeY[0].valeur[1], 20.0);
        QCOMPARE(f.Grid->item(751, 0)->text(), QStringLiteral("1498"));
        QVERIFY(!f.Grid->item(752, 0));
        QCOMPARE(f.acq().Timer.interval(), 2000);
    }

    void texteDesDurees() {
        QCOMPARE(FormatDuree(0), QStringLiteral("0:00:00"));
        QCOMPARE(FormatDuree(hms(34, 8, 0)), QStringLiteral("34:08:00"));
        qint32 s = 0;
        QVERIFY(LitDuree(QStringLiteral(" 1:02:05 "), s));
        QCOMPARE(s, 3725);
        QVERIFY(LitDuree(QStringLiteral("0:30"), s));
        QCOMPARE(s, 1800);
        QVERIFY(!LitDuree(QStringLiteral("1:75:00"), s));
        QVERIFY(!LitDuree(QString(), s));
    }
};

QTEST_MAIN(TstTempsBase)
#include "tst_tempsbase.moc"
