#include "app/utilitaires.h"
#include "settings/fichierini.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TstFichierIni : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void lecture() {
        const QByteArray texte = "; commentaire\r\n"
                                 "orpheline=1\r\n"
                                 "[Appareil A]\r\n"
                                 "Baud=9600\r\n"
                                 "  Mini = -0,3\r\n"
                                 "Unit\xe9=\xb0"
                                 "C\r\n"
                                 "sans egal\r\n"
                                 "Baud=1200\n"
                                 "Vide=\r"
                                 "[appareil a]\r\n"
                                 "Fixe=1\r\n"
                                 "[Index]\r\n"
                                 "0=Appareil A\r\n";
        const TFichierIni ini = TFichierIni::depuisOctets(texte);
        QCOMPARE(ini.ReadSections(), QStringList({"Appareil A", "Index"}));
        // Keys and sections without regard to case; the first of a repeated key wins.
        QCOMPARE(ini.ReadInteger("APPAREIL a", "baud", 0), 9600);
        QCOMPARE(ini.ReadFloat("Appareil A", "Mini", 5), -0.3);
        QCOMPARE(ini.ReadString("Appareil A", "Unité", ""), QStringLiteral("°C"));
        QVERIFY(ini.ValueExists("Appareil A", "Vide"));
        QCOMPARE(ini.ReadString("Appareil A", "Vide", "x"), QString());
        QCOMPARE(ini.ReadBool("Appareil A", "Fixe", false), true);
        QCOMPARE(ini.ReadSection("Appareil A"),
                 QStringList({"Baud", "Mini", "Unité", "Vide", "Fixe"}));
        QCOMPARE(ini.ReadString("Index", "0", ""), QStringLiteral("Appareil A"));
        QCOMPARE(ini.ReadString("Absente", "0", "defaut"), QStringLiteral("defaut"));
    }

    void blancsEtClesRepetees() {
        // Values keep their bytes after "=", blanks at both ends included; keys and sections
        // are read without theirs. A repeated key is kept for whoever reads every entry.
        const TFichierIni ini = TFichierIni::depuisOctets("[ Alpha ]\r\n Demande =D \r\n"
                                                          "Nom= pH\r\n[Index]\r\n0=A\r\n"
                                                          "0=B \r\n1= C\r\n"
                                                          // Tabs and no-break spaces are blanks.
                                                          "\t[Beta]\xa0\r\n\xa0"
                                                          "Cl\xe9\t=v\r\n"
                                                          " \t; note=1\r\n");
        QCOMPARE(ini.ReadSections(), QStringList({"Alpha", "Index", "Beta"}));
        QCOMPARE(ini.ReadSection("Beta"), QStringList({"Clé"}));
        QCOMPARE(ini.ReadString("Beta", "Clé", ""), QStringLiteral("v"));
        QCOMPARE(ini.ReadString(" alpha", "demande", ""), QStringLiteral("D "));
        QCOMPARE(ini.ReadString("Alpha", "Nom", ""), QStringLiteral(" pH"));
        QCOMPARE(ini.ReadString("Index", "0", ""), QStringLiteral("A"));
        QCOMPARE(ini.ReadSection("Index"), QStringList({"0", "1"}));
        const auto entrees = ini.ReadSectionValues("Index");
        QCOMPARE(entrees.size(), 3);
        QCOMPARE(entrees[1], qMakePair(QStringLiteral("0"), QStringLiteral("B ")));
        // Written again, a repeated key keeps one value, which is then the one read.
        TFichierIni copie = ini;
        copie.WriteString("Index", "0", "Z");
        QCOMPARE(copie.ReadSectionValues("Index").size(), 2);
        QCOMPARE(TFichierIni::depuisOctets(copie.enOctets()).ReadString("Index", "0", ""),
                 QStringLiteral("Z"));
        QVERIFY(copie.enOctets().contains("1= C\r\n"));
    }

    void valeursIllisibles_data() {
        QTest::addColumn<QByteArray>("valeur");
        QTest::addColumn<int>("entier");
        QTest::addColumn<bool>("booleen");
        QTest::newRow("texte") << QByteArray("abc") << -1 << true;
        QTest::newRow("vide") << QByteArray("") << -1 << true;
        QTest::newRow("trop grand") << QByteArray("99999999999") << -1 << true;
        QTest::newRow("hexa") << QByteArray("$1F") << 31 << true;
        QTest::newRow("zero") << QByteArray("0") << 0 << false;
        QTest::newRow("non nul") << QByteArray("7") << 7 << true;
    }
    void valeursIllisibles() {
        QFETCH(QByteArray, valeur);
        const TFichierIni ini = TFichierIni::depuisOctets("[S]\r\nK=" + valeur + "\r\n");
        QTEST(int(ini.ReadInteger("S", "K", -1)), "entier");
        QTEST(ini.ReadBool("S", "K", true), "booleen");
    }

    void flottantsDesDeuxLocales() {
        for (const bool virgule : {false, true}) {
            QLocale::setDefault(virgule ? QLocale(QLocale::French) : QLocale::c());
            TFichierIni ini;
            ini.WriteFloat("S", "X", 0.002);
            ini.WriteFloat("S", "Y", -1);
            QCOMPARE(ini.ReadString("S", "X", ""),
                     virgule ? QStringLiteral("0,002") : QStringLiteral("0.002"));
            QCOMPARE(ini.ReadString("S", "Y", ""), QStringLiteral("-1"));
            // Either mark reads back, whatever the locale.
            const TFichierIni autre =
                TFichierIni::depuisOctets("[S]\r\nA=0,5\r\nB=0.5\r\nC=NAN\r\n");
            QCOMPARE(autre.ReadFloat("S", "A", 0), 0.5);
            QCOMPARE(autre.ReadFloat("S", "B", 0), 0.5);
            QCOMPARE(autre.ReadFloat("S", "C", 9), 9.0);
        }
    }

    void ecritureEtEffacement() {
        QTemporaryDir dossier;
        const QString chemin = dossier.filePath("appareils.INI");
        TFichierIni ini(chemin);
        QCOMPARE(ini.ReadSections(), QStringList());
        ini.WriteString("Index", "0", "Heito");
        ini.WriteString("Heito", "Nom", "conductivité");
        ini.WriteString("Heito", "Symbole", "σ"); // not in the code page
        ini.WriteBool("Heito", "Fixe", true);
        ini.WriteString("Autre", "Nom", "pH");
        ini.WriteString("heito", "NOM", "pH");
        ini.EraseSection("AUTRE");
        QVERIFY(ini.UpdateFile());

        QFile f(chemin);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[Index]\r\n0=Heito\r\n\r\n"
                                         "[Heito]\r\nNom=pH\r\nSymbole=?\r\nFixe=1\r\n\r\n"));
        const TFichierIni relu(chemin);
        QCOMPARE(relu.ReadSections(), QStringList({"Index", "Heito"}));
        QCOMPARE(relu.ReadString("Heito", "Nom", ""), QStringLiteral("pH"));

        TFichierIni introuvable(dossier.filePath("absent/x.ini"));
        introuvable.WriteString("S", "K", "V");
        QVERIFY(!introuvable.UpdateFile());
    }

    void contenuAbime() {
        // Junk, NUL bytes, huge lines and lines without "=" read as what can be made of them.
        QByteArray junk;
        for (int i = 0; i < 20000; ++i)
            junk.append(char((i * 7919) % 256));
        junk += "\r\n[S]\r\n" + QByteArray(200000, 'x') + "\r\nK=" + QByteArray(100000, 'y') +
                "\r\n[\r\n]\r\n[]\r\n=sans cle\r\n";
        const TFichierIni ini = TFichierIni::depuisOctets(junk);
        QCOMPARE(ini.ReadString("S", "K", "").size(), 100000);
        QCOMPARE(ini.ReadInteger("S", "absente", 3), 3);
        const TFichierIni vide = TFichierIni::depuisOctets(QByteArray());
        QVERIFY(vide.ReadSections().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstFichierIni)
#include "tst_fichierini.moc"
