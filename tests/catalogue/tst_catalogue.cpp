// The built-in catalogue: its bytes, its content as the program reads it.
#include "app/cp1252.h"
#include "app/dialogues.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"

#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {
const QString chapeau = QString(QChar(0x02C6));

QStringList ordreAttendu() {
    const QString n = QStringLiteral(
        "BAUSCH Spectronic 501/601;Bain Polystat (Bioblock);CECIL 1000 (A);CECIL 1000 (^);"
        "CONSORT C3010 (mS);CONSORT C3010 (pH);CONSORT C3010 auto (mS);CONSORT C3010 auto (pH);"
        "CONSORT C831 (mS);CONSORT C831 (mV);CONSORT C831 (pH);CONSORT K320;CRISON 2002 (T);"
        "CRISON 2002 (pH);Codeur IVO;DeltaOhm HD3405 (T);DeltaOhm HD3405 (mV);"
        "DeltaOhm HD3405 (pH);Gensis 10;Hanna HI 9017 (mV);Hanna HI 9017 (pH);"
        "Hanna HI 9032 (T);Hanna HI 9032 (mS);Hanna pH 30x (T);Hanna pH 30x (ion);"
        "Hanna pH 30x (mV);Hanna pH 30x (pH);Heito;Heito C320 (T);Heito C320 (mS);"
        "Heito MPC350 (T);Heito MPC350 (mS);Heito MPC350 (mV);Heito MPC350 (pH);Heito P310 (T);"
        "Heito P310 (mV);Heito P310 (pH);INFORLAB 4020 (mS);INFORLAB 4605;"
        "INFORLAB 5020/5030 (mV);INFORLAB 5020/5030 (pH);Jenway 4520;Jenway IC 6300 (A);"
        "Jenway IC 6300 (^);Jenway IC 6400 (A);METROHM 691 (mV);METROHM 691 (pH);"
        "MILTON Spectronic 301 (A);Meterman 38XR;Mettler SevenMulti (ions);"
        "Mettler SevenMulti (mS);Mettler SevenMulti (mV);Mettler SevenMulti (pH);"
        "Mettler Toledo S20 (mV);Mettler Toledo S20 (pH);Mettler Toledo S30 (mS);Ohaus Pioneer;"
        "Orion Star (%O2);Orion Star (C);Orion Star (O2);Orion Star (T);Orion Star (V);"
        "Orion Star (pH);Orphy GTS2 (pH);PERKIN LAMBDA 3 (A);PERKIN LAMBDA 3 (^);"
        "PERKIN Lambda 2/11 (A);Precisa 80 A/125 A;RADIOMETER CDM210;RADIOMETER PHM210 (mV);"
        "RADIOMETER PHM210 (pH);Radiometer CDM400;SAFAS S320 (A);SECOMAM S500 (A);Sartorius;"
        "Sartorius TE;Schott pH/LF 12 (G);Schott pH/LF 12 (pH);Scout Pro OHAUS;"
        "TACUSSEL LPH 230T/330T (mV);TACUSSEL LPH 230T/330T (pH);TACUSSEL PHN 130T (mV);"
        "TACUSSEL PHN 130T (pH);Titronic Basic;Titronic Universal;ULTROSPEC II (A);WTW 197;"
        "WTW 730;WTW 730 (O2 dissous);WTW Cond Level 2;WTW Oxi 597 (O2 dissous);"
        "WTW P4 (O2 dissous);WTW P4 (T G);WTW P4 (T pH);WTW P4 (mS);WTW P4 (pH);BuretteTelmira;"
        "Jenway IC 7300 (A);Index");
    QStringList noms = n.split(QLatin1Char(';'));
    for (QString& nom : noms)
        nom.replace(QLatin1Char('^'), chapeau);
    return noms;
}

const QStringList clesEcritIni = {
    "LireCoeffUnite", "LireNomUnite", "Nom",           "Unité",   "Precision",
    "Mini",           "Maxi",         "Com",           "Baud",    "DataBits",
    "Parity",         "StopBits",     "RTS",           "XonXoff", "Debut",
    "NombreCarac",    "Delai",        "Fixe",          "Numero",  "NombreLigne",
    "Séparateur",     "Continu",      "FiltreDepasse", "Demande", "DemandeBis",
    "Initialisation", "Deblocage",    "Symbole",       "Derive",  "TexteVerif",
    "NumVerif"};
} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir dossier;
    std::unique_ptr<TModuleAppareils> chargeCatalogue() {
        auto module = std::make_unique<TModuleAppareils>(dossier.filePath("absent/TELMIRA.INI"));
        if (!module->ChargeAppareils()) return nullptr;
        return module;
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dossier.path());
        installeDialogues(std::make_unique<DialoguesScriptes>());
    }

    void octetsDuFichier() {
        const QByteArray octets = catalogueEmbarque();
        QVERIFY(!octets.isEmpty());
        QVERIFY(!octets.startsWith("\xEF\xBB\xBF"));
        // Every line ends with CR LF: no CR or LF stands alone.
        for (qsizetype i = 0; i < octets.size(); ++i) {
            if (octets[i] == '\r')
                QVERIFY2(i + 1 < octets.size() && octets[i + 1] == '\n', "CR seul");
            if (octets[i] == '\n') QVERIFY2(i > 0 && octets[i - 1] == '\r', "LF seul");
        }
        QVERIFY(octets.endsWith("\r\n"));
        QVERIFY(octets.contains("[CECIL 1000 (\x88)]\r\n"));
        QVERIFY(octets.contains("[Jenway IC 6300 (\x88)]\r\n"));
        QVERIFY(octets.contains("[PERKIN LAMBDA 3 (\x88)]\r\n"));
        QVERIFY(octets.contains("Mini=-0,3\r\n"));
        const TFichierIni ini = TFichierIni::depuisOctets(octets);
        QCOMPARE(ini.ReadSections(), ordreAttendu());
        QCOMPARE(versCp1252(ini.ReadString("CECIL 1000 (" + chapeau + ")", "Symbole", "")),
                 QByteArray("\x88"));
        QCOMPARE(versCp1252(ini.ReadString("Codeur IVO", "Symbole", "")), QByteArray("\x80"));
    }

    void indexEtCles() {
        const TFichierIni ini = TFichierIni::depuisOctets(catalogueEmbarque());
        const QStringList index = ini.ReadSection("Index");
        QCOMPARE(index.size(), 97);
        QList<QByteArray> noms;
        for (int i = 0; i < index.size(); ++i) {
            QCOMPARE(index[i], QString::number(i));
            noms << versCp1252(ini.ReadString("Index", index[i], ""));
        }
        QVERIFY(std::is_sorted(noms.begin(), noms.end()));
        QVERIFY(!noms.contains("BuretteTelmira"));
        int nan = 0;
        for (const QByteArray& nom : std::as_const(noms)) {
            const QString section = depuisCp1252(nom);
            const QStringList cles = ini.ReadSection(section);
            QCOMPARE(cles.mid(0, clesEcritIni.size()), clesEcritIni);
            // Then the help lines, numbered from 1 without a gap; a few lines at least.
            const QStringList aide = cles.mid(clesEcritIni.size());
            QVERIFY2(aide.size() >= 4 && aide.size() <= 16, qPrintable(section));
            for (int i = 0; i < aide.size(); ++i) {
                QCOMPARE(aide[i], QString::number(i + 1));
                QVERIFY(ini.ReadString(section, aide[i], "").size() > 10);
            }
            const QString derive = ini.ReadString(section, "Derive", "");
            if (derive == "NAN") {
                ++nan;
                QCOMPARE(section, QStringLiteral("Jenway IC 7300 (A)"));
            } else {
                QCOMPARE(derive, QStringLiteral("-1"));
            }
        }
        QCOMPARE(nan, 1);
        for (const char* cle : {"Mode", "VitesseInit", "TempsCarac", "TitroLine", "dVMax", "dVMin",
                                "dtMax", "sensibilite", "stabilite", "Demande", "Baud"})
            QVERIFY2(ini.ValueExists("BuretteTelmira", cle), cle);
    }

    void listeTriee() {
        auto module = chargeCatalogue();
        QVERIFY(module);
        QCOMPARE(module->listeAppareil.Count(), 97);
        QVERIFY(!QFile::exists(module->nomFichierAppareil));
        for (int i = 1; i < 97; ++i)
            QVERIFY(module->listeAppareil[i - 1]->NomAppareil <
                    module->listeAppareil[i]->NomAppareil);
        QCOMPARE(module->listeAppareil.First()->NomAppareil,
                 QStringLiteral("BAUSCH Spectronic 501/601"));
        QCOMPARE(module->listeAppareil[1]->NomAppareil, QStringLiteral("Bain Polystat (Bioblock)"));
        QCOMPARE(module->listeAppareil.Last()->NomAppareil, QStringLiteral("WTW P4 (pH)"));
        QVERIFY(!module->ChercheAppareil("BuretteTelmira"));
        QVERIFY(module->listeGrandeur.contains("pH"));
        QVERIFY(module->listeGrandeur.contains("conductivité"));
        QVERIFY(module->listeGrandeur.contains("absorbance"));
        QVERIFY(!module->listeGrandeur.contains("Absorbance"));
        // σ restored from the "?" and "G" the ANSI file holds; the wavelength keeps its ˆ.
        QCOMPARE(module->ChercheAppareil("CONSORT K320")->SymboleGrandeur, QStringLiteral("σ"));
        QCOMPARE(module->ChercheAppareil("Schott pH/LF 12 (G)")->SymboleGrandeur,
                 QStringLiteral("σ"));
        QCOMPARE(module->ChercheAppareil("WTW Cond Level 2")->SymboleGrandeur, QStringLiteral("s"));
        QCOMPARE(module->ChercheAppareil("CECIL 1000 (" + chapeau + ")")->SymboleGrandeur, chapeau);
        QCOMPARE(module->ChercheAppareil("Codeur IVO")->SymboleGrandeur, QString(QChar(0x20AC)));
        QCOMPARE(module->ChercheAppareil("Jenway IC 7300 (A)")->nomGrandeur,
                 QStringLiteral("absorbance"));
        QVERIFY(module->ChercheAppareil("Heito"));
        QVERIFY(!module->ChercheAppareil("heito"));
        QVERIFY(!module->ChercheAppareil("Heito "));
    }

    void comptes_data() {
        QTest::addColumn<bool>("virgule");
        QTest::newRow("virgule") << true;
        QTest::newRow("point") << false;
    }
    void comptes() {
        QFETCH(bool, virgule);
        QLocale::setDefault(virgule ? QLocale(QLocale::French) : QLocale::c());
        auto module = chargeCatalogue();
        QVERIFY(module);
        int continus = 0, fixes = 0, coeff = 0, nomUnite = 0, separateur = 0;
        qint32 baudMin = 1 << 30, baudMax = 0;
        int delaiMin = 1 << 30, delaiMax = 0;
        double mini = 0, maxi = 0;
        for (const auto& a : module->listeAppareil) {
            continus += a->EnvoiDirect;
            fixes += a->FormatFixe;
            coeff += a->LireCoeffUnite;
            nomUnite += a->LireNomUnite;
            separateur += a->SeparateurChiffre == 127;
            baudMin = std::min(baudMin, a->Baud);
            baudMax = std::max(baudMax, a->Baud);
            delaiMin = std::min<int>(delaiMin, a->Delai);
            delaiMax = std::max<int>(delaiMax, a->Delai);
            mini = std::min(mini, a->ValMini);
            maxi = std::max(maxi, a->ValMaxi);
            QVERIFY2(a->ValMini < a->ValMaxi, qPrintable(a->NomAppareil));
            // A fixed record must be long enough to hold the number where it is looked for.
            if (a->FormatFixe && a->DebutNombre > 0) QVERIFY(a->DebutNombre < a->NbreCarac);
            QCOMPARE(a->Derive, (a->ValMaxi - a->ValMini) / 140);
        }
        QCOMPARE(continus, 29);
        QCOMPARE(fixes, 38);
        QCOMPARE(coeff, 21);
        QCOMPARE(nomUnite, 4);
        QCOMPARE(separateur, 9);
        QCOMPARE(baudMin, 600);
        QCOMPARE(baudMax, 38400);
        QCOMPARE(delaiMin, 100);
        QCOMPARE(delaiMax, 5000);
        QCOMPARE(mini, -2000.0);
        QCOMPARE(module->ChercheAppareil("CECIL 1000 (A)")->ValMini, -0.3);
        QCOMPARE(module->ChercheAppareil("WTW P4 (mS)")->ValMaxi, 0.1);
        QCOMPARE(maxi, 200000.0);
        QLocale::setDefault(QLocale::c());
    }

    void entreesConnues_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("serie"); // baud, data bits, parity, stop bits, RTS, XON
        QTest::addColumn<QString>(
            "lecture"); // continu, fixe, Debut, NombreCarac, Numero, NombreLigne, Delai
        QTest::addColumn<QByteArray>("demande");
        QTest::addColumn<QString>("grandeur"); // nom, symbole, unité, mini, maxi
        QTest::addColumn<QString>("autres"); // LireCoeffUnite, LireNomUnite, Séparateur, NumVerif,
                                             // TexteVerif, Initialisation
        QTest::newRow("bausch") << "BAUSCH Spectronic 501/601"
                                << "1200 8 0 2 0 0"
                                << "0 0 * * 2 1 900" << QByteArray("SND\r\n") << "absorbance A  0 3"
                                << "0 0 0 0  ";
        QTest::newRow("cecil") << "CECIL 1000 (A)"
                               << "9600 7 2 2 1 0"
                               << "0 1 3 9 1 1 500" << QByteArray("?RPTA\r")
                               << "absorbance A  -0.3 3"
                               << "0 0 0 0  ";
        QTest::newRow("hanna") << "Hanna HI 9017 (pH)"
                               << "1200 8 0 1 0 0"
                               << "0 0 * * 1 1 500" << QByteArray("\x10Ph?\r") << "pH pH  0 14"
                               << "0 0 0 0  ";
        QTest::newRow("orion") << "Orion Star (pH)"
                               << "9600 8 0 1 0 1"
                               << "0 0 * * 9 15 5000" << QByteArray("GetMeas\r") << "pH pH  0 14"
                               << "0 0 0 0 pH ";
        QTest::newRow("consort") << "CONSORT C3010 auto (mS)"
                                 << "2400 8 0 2 0 1"
                                 << "1 0 -7 * 1 1 250" << QByteArray("S/cm")
                                 << "conductivité s S/cm 0 3"
                                 << "1 0 0 0  ";
        QTest::newRow("schott") << "Schott pH/LF 12 (pH)"
                                << "4800 8 0 1 0 0"
                                << "1 1 3 132 1 1 2000" << QByteArray("pH") << "pH pH  0 14"
                                << "1 0 0 0  ";
        QTest::newRow("sevenmulti")
            << "Mettler SevenMulti (mS)"
            << "9600 8 0 1 0 1"
            << "1 0 * * 1 3 4000" << QByteArray() << "conductivité s S/cm 0 200"
            << "1 0 0 2 S/cm ";
        QTest::newRow("ohaus") << "Ohaus Pioneer"
                               << "9600 8 0 1 1 0"
                               << "1 0 * * 1 1 500" << QByteArray() << "masse m g -20 100"
                               << "1 0 127 0  ";
        QTest::newRow("wtwp4") << "WTW P4 (mS)"
                               << "4800 8 0 1 0 0"
                               << "1 0 -7 * 1 5 2400" << QByteArray("S/cm")
                               << "conductivité σ S/cm 0 0.1"
                               << "1 1 127 0  ";
        QTest::newRow("ivo") << "Codeur IVO"
                             << "9600 8 0 1 0 0"
                             << "0 1 6 12 1 1 1000"
                             << QByteArray("\x02"
                                           "0001\x03")
                             << "autre € ° 0 3"
                             << "0 0 0 0  ";
        QTest::newRow("jenway") << "Jenway IC 7300 (A)"
                                << "9600 8 0 1 1 0"
                                << "0 1 1 10 1 1 400" << QByteArray("A\r") << "absorbance A  0 1"
                                << "0 0 0 0  R\r";
        QTest::newRow("titronic") << "Titronic Universal"
                                  << "4800 7 0 1 0 0"
                                  << "0 0 * * 2 1 1000" << QByteArray("01VO\r\n")
                                  << "volume V mL 0 20"
                                  << "0 0 0 0  99AA01\r\n";
    }
    void entreesConnues() {
        QFETCH(QString, nom);
        QFETCH(QString, serie);
        QFETCH(QString, lecture);
        QFETCH(QByteArray, demande);
        QFETCH(QString, grandeur);
        QFETCH(QString, autres);
        static std::unique_ptr<TModuleAppareils> module = chargeCatalogue();
        QVERIFY(module);
        const Tappareil* a = module->ChercheAppareil(nom);
        QVERIFY(a);
        const QStringList s = serie.split(' ');
        QCOMPARE(
            QList<qint32>({a->Baud, a->DataBits, a->Parite, a->StopBits, a->RTSCTS, a->XonXoff}),
            QList<qint32>({s[0].toInt(), s[1].toInt(), s[2].toInt(), s[3].toInt(), s[4].toInt(),
                           s[5].toInt()}));
        const QStringList l = lecture.split(' ');
        QCOMPARE(a->EnvoiDirect, l[0] == "1");
        QCOMPARE(a->FormatFixe, l[1] == "1");
        if (l[2] != "*") QCOMPARE(a->DebutNombre, l[2].toInt());
        if (l[3] != "*") QCOMPARE(a->NbreCarac, l[3].toInt());
        QCOMPARE(int(a->NumeroOrdre), l[4].toInt());
        QCOMPARE(int(a->NbreLignes), l[5].toInt());
        QCOMPARE(int(a->Delai), l[6].toInt());
        QCOMPARE(a->Demande, demande);
        const QStringList g = grandeur.split(' ');
        QCOMPARE(a->nomGrandeur, g[0]);
        QCOMPARE(a->SymboleGrandeur, g[1]);
        QCOMPARE(a->UniteGrandeur, g[2]);
        QCOMPARE(a->ValMini, g[3].toDouble());
        QCOMPARE(a->ValMaxi, g[4].toDouble());
        const QStringList o = autres.split(' ');
        QCOMPARE(a->LireCoeffUnite, o[0] == "1");
        QCOMPARE(a->LireNomUnite, o[1] == "1");
        QCOMPARE(int(a->SeparateurChiffre), o[2].toInt());
        QCOMPARE(a->NumeroVerif, o[3].toInt());
        QCOMPARE(a->TexteVerif, o[4].toLatin1());
        QCOMPARE(a->ChaineInit, o[5].toLatin1());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
