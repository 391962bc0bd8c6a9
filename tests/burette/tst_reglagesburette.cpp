// The burette's section of the device file: its reading rules, and that it survives the first
// saves of the device list and of the burette's own settings.
#include "app/dialogues.h"
#include "burette/buretters232.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"
#include "tests/commun/banc.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

class TestReglagesBurette : public QObject {
    Q_OBJECT
    QTemporaryDir dossier;
    DialoguesScriptes* boites = nullptr;
    int numero = 0;

    QString nouveauChemin() { return dossier.filePath(QStringLiteral("app%1.INI").arg(++numero)); }

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier);
        auto scriptes = std::make_unique<DialoguesScriptes>();
        boites = scriptes.get();
        installeDialogues(std::move(scriptes));
    }

    void lecture_data() {
        QTest::addColumn<QByteArray>("cles");
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::addColumn<int>("dtMax");
        QTest::addColumn<QString>("symbole");
        QTest::newRow("vide") << QByteArray() << 0.01 << 1.0 << 5 << "v";
        QTest::newRow("bornes croisées")
            << QByteArray("dVMin=0,5\r\ndVMax=0,05\r\n") << 0.1 << 0.2 << 5 << "v";
        QTest::newRow("dtMax 2") << QByteArray("dtMax=2\r\nSymbole=Vb\r\n") << 0.01 << 1.0 << 5
                                 << "Vb";
        QTest::newRow("dtMax 90") << QByteArray("dtMax=90\r\ndVMin=0.04\r\ndVMax=NAN\r\n") << 0.04
                                  << 1.0 << 60 << "v";
    }
    void lecture() {
        QFETCH(QByteArray, cles);
        const TFichierIni ini = TFichierIni::depuisOctets(
            "[BuretteTelmira]\r\nMini=3\r\nFixe=1\r\nContinu=0\r\nDemande=01VO|CR|\r\n"
            "NombreLigne=3\r\nFiltreDepasse=1\r\n" +
            cles);
        TburetteRS232 b;
        b.LitIni(QStringLiteral("BuretteTelmira"), ini);
        QTEST(b.VolumeMin, "mini");
        QTEST(b.VolumeMax, "maxi");
        QTEST(int(b.DeltatMax), "dtMax");
        QTEST(b.SymboleGrandeur, "symbole");
        QCOMPARE(b.NomAppareil, QStringLiteral("BuretteTelmira"));
        QCOMPARE(b.ValMini, 0.0);
        QCOMPARE(b.ValMaxi, 20.0);
        QVERIFY(!b.FormatFixe && b.EnvoiDirect && !b.FiltrageDepassement);
        QCOMPARE(b.NbreLignes, quint8(1));
        QCOMPARE(b.Demande, QByteArray("01V="));
    }

    // The first save of the device list keeps the catalogue's burette: the next start reads its
    // line settings (4800 bit/s, 7 bits), not the defaults of a missing section; and a device
    // file written without the section still gives them.
    void premiereSauvegarde() {
        const QString chemin = nouveauChemin();
        {
            TModuleAppareils module(chemin);
            QVERIFY(module.ChargeAppareils());
            QVERIFY(module.SauveAppareils());
        }
        TFichierIni fichier(chemin);
        QCOMPARE(fichier.ReadInteger("BuretteTelmira", "Baud", 0), 4800);
        const auto relit = [&] {
            TModuleAppareils module(chemin);
            if (!module.ChargeAppareils()) return false;
            const TburetteRS232& b = *module.burette;
            return b.Baud == 4800 && b.DataBits == 7 && b.StopBits == 1 && b.VolumeMin == 0.05 &&
                   b.VolumeMax == 0.5 && b.DeltatMax == 10 && b.ecartSensible == 0.1;
        };
        QVERIFY(relit());
        fichier.EraseSection("BuretteTelmira");
        QVERIFY(fichier.UpdateFile());
        QVERIFY(relit());
    }

    // Saving the burette's settings before any device file exists writes the device list too,
    // so the next start finds its descriptions and the settings saved.
    void sauveBurette_data() {
        QTest::addColumn<bool>("virgule");
        QTest::newRow("virgule") << true;
        QTest::newRow("point") << false;
    }
    void sauveBurette() {
        QFETCH(bool, virgule);
        QLocale::setDefault(virgule ? QLocale(QLocale::French) : QLocale::c());
        const QString chemin = nouveauChemin();
        {
            TModuleAppareils module(chemin);
            QVERIFY(module.ChargeAppareils());
            TburetteRS232& b = *module.burette;
            b.VolumeMin = 0.04;
            b.ecartStable = 0.002;
            b.ComNumber = 3;
            QVERIFY(module.SauveBurette(b));
        }
        boites->vus.clear();
        TModuleAppareils module(chemin);
        QVERIFY(module.ChargeAppareils());
        QVERIFY(boites->vus.isEmpty());
        QCOMPARE(module.listeAppareil.Count(), 97);
        QCOMPARE(module.burette->VolumeMin, 0.04);
        QCOMPARE(module.burette->ecartStable, 0.002);
        QCOMPARE(module.burette->ComNumber, quint16(3));
        QCOMPARE(module.burette->Baud, 4800);

        TModuleAppareils ailleurs(dossier.filePath(QStringLiteral("absent/app.INI")));
        QVERIFY(ailleurs.ChargeAppareils());
        QVERIFY(!ailleurs.SauveBurette(*ailleurs.burette));
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_GUILESS_MAIN(TestReglagesBurette)
#include "tst_reglagesburette.moc"
