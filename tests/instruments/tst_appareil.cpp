// Device description: reading and writing a section, the texts shown for a value, Assign.
#include "instruments/appareil.h"
#include "settings/fichierini.h"

#include <QLocale>
#include <QTest>
#include <cmath>

namespace {
TFichierIni iniDe(const QByteArray& texte) {
    return TFichierIni::depuisOctets(texte);
}

QLocale localeNommee(const QString& nom) {
    return nom == QLatin1String("fr") ? QLocale(QLocale::French) : QLocale::c();
}
} // namespace

class TstAppareil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void sectionVide_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("point") << "c";
        QTest::newRow("virgule") << "fr";
    }
    void sectionVide() {
        QFETCH(QString, locale);
        QLocale::setDefault(localeNommee(locale));
        Tappareil a;
        a.LitIni(QStringLiteral("Rien"), iniDe("[Rien]\r\n"));
        QCOMPARE(a.NomAppareil, QStringLiteral("Rien"));
        QCOMPARE(a.Precision, 6);
        QCOMPARE(a.ValMini, 0.0);
        QCOMPARE(a.ValMaxi, 1.0);
        QCOMPARE(a.Derive, 1.0 / 140);
        QCOMPARE(a.NbreCarac, 1);
        QCOMPARE(a.DebutNombre, 0);
        QVERIFY(a.FiltrageDepassement);
        QCOMPARE(a.SymboleGrandeur, QStringLiteral("V"));
        QCOMPARE(a.UniteGrandeur, QStringLiteral("V"));
        QCOMPARE(a.nomGrandeur, QStringLiteral("Tension"));
        QCOMPARE(a.Baud, 9600);
        QCOMPARE(a.NumeroOrdre, quint8(1));
        QVERIFY(a.Demande.isEmpty());
    }

    // One key (or a few) of a section and what the description reads from it.
    void litIni_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("cles");
        QTest::addColumn<QString>("champ");
        QTest::addColumn<QString>("attendu");
        auto ligne = [](const char* nom, const char* loc, const char* cles, const char* champ,
                        const QString& attendu) {
            QTest::newRow(nom) << QString::fromLatin1(loc) << QByteArray(cles)
                               << QString::fromLatin1(champ) << attendu;
        };
        ligne("numero 0", "c", "Numero=0", "NumeroOrdre", "1");
        ligne("numero 256", "c", "Numero=256", "NumeroOrdre", "1");
        ligne("numero 258", "c", "Numero=258", "NumeroOrdre", "2");
        ligne("fixe sur demande debut -3", "c", "Fixe=1\r\nContinu=0\r\nDebut=-3", "DebutNombre",
              "1");
        ligne("fixe continu debut -3", "c", "Fixe=1\r\nContinu=1\r\nDebut=-3", "DebutNombre", "-3");
        ligne("fixe garde NombreCarac", "c", "Fixe=1\r\nNombreCarac=9\r\nNombreLigne=4\r\nNumero=3",
              "fixe", "9 1 1");
        ligne("variable", "c", "NombreCarac=9\r\nNombreLigne=4\r\nNumero=3", "fixe", "1 4 3");
        ligne("derive NAN", "c", "Mini=0\r\nMaxi=14\r\nDerive=NAN", "Derive", "0.1");
        ligne("derive 0", "c", "Maxi=14\r\nDerive=0", "Derive", "0.1");
        ligne("derive -1", "c", "Maxi=14\r\nDerive=-1", "Derive", "0.1");
        ligne("derive 0,5 locale virgule", "fr", "Derive=0,5", "Derive", "0.5");
        ligne("derive 0.5 locale virgule", "fr", "Derive=0.5", "Derive", "0.5");
        // Device files travel between machines: either mark reads under either locale.
        ligne("mini virgule locale point", "c", "Mini=-0,3\r\nMaxi=0,002", "plage", "-0.3 0.002");
        ligne("mini point locale virgule", "fr", "Mini=-0.3\r\nMaxi=0.002", "plage", "-0.3 0.002");
        ligne("mini illisible", "c", "Mini=abc\r\nMaxi=", "plage", "0 1");
        ligne("prefixe mS/cm", "c", "LireCoeffUnite=1\r\nUnit\xe9=mS/cm", "UniteGrandeur", "S/cm");
        ligne("prefixe mol/L", "c", "LireCoeffUnite=1\r\nUnit\xe9=mol/L", "UniteGrandeur", "ol/L");
        ligne("prefixe m seul", "c", "LireCoeffUnite=1\r\nUnit\xe9=m", "UniteGrandeur", "m");
        ligne("sans prefixe lu", "c", "Unit\xe9=mS/cm", "UniteGrandeur", "mS/cm");
        ligne("com sur 16 bits", "c", "Com=65537", "ComNumber", "1");
        ligne("parite inconnue", "c", "Parity=9", "Parite", "0");
        ligne("parite paire", "c", "Parity=2", "Parite", "2");
        ligne("separateur", "c", "S\xe9parateur=127", "SeparateurChiffre", "127");
        ligne("cles sans casse", "c", "demande=SND|cr||LF|\r\nCONTINU=1", "Demande", "SND\r\n");
        ligne("booleen non nul", "c", "Continu=5\r\nSTAB=1", "booleens", "1 1");
        ligne("aides 1 2 4", "c", "1=un\r\n2=deux\r\n4=quatre", "aides", "un|deux||quatre");
    }
    void litIni() {
        QFETCH(QString, locale);
        QFETCH(QByteArray, cles);
        QFETCH(QString, champ);
        QFETCH(QString, attendu);
        QLocale::setDefault(localeNommee(locale));
        Tappareil a;
        a.LitIni(QStringLiteral("App"), iniDe("[App]\r\n" + cles + "\r\n"));
        const auto n = [](double x) { return QString::number(x, 'g', 15); };
        QString lu;
        if (champ == QLatin1String("NumeroOrdre"))
            lu = QString::number(a.NumeroOrdre);
        else if (champ == QLatin1String("DebutNombre"))
            lu = QString::number(a.DebutNombre);
        else if (champ == QLatin1String("fixe"))
            lu = QStringLiteral("%1 %2 %3").arg(a.NbreCarac).arg(a.NbreLignes).arg(a.NumeroOrdre);
        else if (champ == QLatin1String("Derive"))
            lu = n(a.Derive);
        else if (champ == QLatin1String("plage"))
            lu = n(a.ValMini) + QLatin1Char(' ') + n(a.ValMaxi);
        else if (champ == QLatin1String("UniteGrandeur"))
            lu = a.UniteGrandeur;
        else if (champ == QLatin1String("ComNumber"))
            lu = QString::number(a.ComNumber);
        else if (champ == QLatin1String("Parite"))
            lu = QString::number(a.Parite);
        else if (champ == QLatin1String("SeparateurChiffre"))
            lu = QString::number(a.SeparateurChiffre);
        else if (champ == QLatin1String("Demande"))
            lu = QString::fromLatin1(a.Demande);
        else if (champ == QLatin1String("booleens"))
            lu = QStringLiteral("%1 %2").arg(int(a.EnvoiDirect)).arg(int(a.lectureSTAB));
        else if (champ == QLatin1String("aides"))
            lu = QStringList(a.AidePilotage.begin(), a.AidePilotage.begin() + 4).join('|');
        QCOMPARE(lu, attendu);
    }

    void allerRetour_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("virgule");
        QTest::newRow("point") << "c" << QByteArray("Mini=-0.3\r\n");
        QTest::newRow("virgule") << "fr" << QByteArray("Mini=-0,3\r\n");
    }
    void allerRetour() {
        QFETCH(QString, locale);
        QFETCH(QByteArray, virgule);
        QLocale::setDefault(localeNommee(locale));
        Tappareil a;
        // The section name must survive Windows-1252.
        a.NomAppareil = QStringLiteral("Conductimètre (mS)");
        a.LireCoeffUnite = true;
        a.LireNomUnite = true;
        a.nomGrandeur = QStringLiteral("conductivité");
        a.UniteGrandeur = QStringLiteral("S/cm");
        a.SymboleGrandeur = QStringLiteral("s");
        a.Precision = 4;
        a.ValMini = -0.3;
        a.ValMaxi = 0.002;
        a.ComNumber = 12;
        a.Baud = 2400;
        a.Parite = 2;
        a.DataBits = 7;
        a.StopBits = 2;
        a.RTSCTS = true;
        a.XonXoff = true;
        a.EnvoiDirect = true;
        a.DebutNombre = -7;
        a.NbreLignes = 6;
        a.NumeroOrdre = 3;
        a.Delai = 2400;
        a.SeparateurChiffre = 127;
        a.FiltrageDepassement = false;
        a.lectureSTAB = true;
        a.Demande = "S/cm";
        a.DemandeBis = QByteArray("\x10pH?\r", 5);
        a.ChaineInit = "99AA01\r\n";
        a.ChaineFin = QByteArray("\x02"
                                 "0001\x03",
                                 6);
        a.TexteVerif = "pH";
        a.NumeroVerif = 2;
        a.Derive = 0.0123456789012345;
        a.AidePilotage[0] = QStringLiteral("Régler le débit à 2400");
        a.AidePilotage[1] = QStringLiteral("deux");
        a.AidePilotage[3] = QStringLiteral("quatre");

        TFichierIni ini;
        a.EcritIni(ini);
        const QByteArray octets = ini.enOctets();
        QVERIFY2(octets.contains(virgule), octets.constData());
        QVERIFY(octets.contains("Demande=S/cm\r\n"));
        QVERIFY(octets.contains("Deblocage=|STX|0001|ETX|\r\n"));
        QVERIFY(!octets.contains("3="));
        QCOMPARE(ini.ReadSection(a.NomAppareil).first(), QStringLiteral("LireCoeffUnite"));

        // Read back from the bytes, as from a file, under the other locale too.
        for (const QString& lecture : {QStringLiteral("c"), QStringLiteral("fr")}) {
            QLocale::setDefault(localeNommee(lecture));
            Tappareil b;
            b.LitIni(a.NomAppareil, TFichierIni::depuisOctets(octets));
            QCOMPARE(b.NomAppareil, a.NomAppareil);
            QCOMPARE(b.nomGrandeur, a.nomGrandeur);
            QCOMPARE(b.UniteGrandeur, a.UniteGrandeur);
            QCOMPARE(b.SymboleGrandeur, a.SymboleGrandeur);
            QCOMPARE(b.Precision, a.Precision);
            QCOMPARE(b.ValMini, a.ValMini);
            QCOMPARE(b.ValMaxi, a.ValMaxi);
            QCOMPARE(b.Derive, a.Derive);
            QCOMPARE(b.ComNumber, a.ComNumber);
            QCOMPARE(b.Baud, a.Baud);
            QCOMPARE(b.Parite, a.Parite);
            QCOMPARE(b.DataBits, a.DataBits);
            QCOMPARE(b.StopBits, a.StopBits);
            QCOMPARE(b.RTSCTS, a.RTSCTS);
            QCOMPARE(b.XonXoff, a.XonXoff);
            QCOMPARE(b.EnvoiDirect, a.EnvoiDirect);
            QCOMPARE(b.DebutNombre, a.DebutNombre);
            QCOMPARE(b.NbreLignes, a.NbreLignes);
            QCOMPARE(b.NumeroOrdre, a.NumeroOrdre);
            QCOMPARE(b.Delai, a.Delai);
            QCOMPARE(b.SeparateurChiffre, a.SeparateurChiffre);
            QCOMPARE(b.FiltrageDepassement, a.FiltrageDepassement);
            QCOMPARE(b.lectureSTAB, a.lectureSTAB);
            QCOMPARE(b.LireCoeffUnite, a.LireCoeffUnite);
            QCOMPARE(b.LireNomUnite, a.LireNomUnite);
            QCOMPARE(b.Demande, a.Demande);
            QCOMPARE(b.DemandeBis, a.DemandeBis);
            QCOMPARE(b.ChaineInit, a.ChaineInit);
            QCOMPARE(b.ChaineFin, a.ChaineFin);
            QCOMPARE(b.TexteVerif, a.TexteVerif);
            QCOMPARE(b.NumeroVerif, a.NumeroVerif);
            QCOMPARE(b.AidePilotage, a.AidePilotage);
            QCOMPARE(b.NbreCarac, 1); // variable layout
            QVERIFY(!b.InitialisationAfaire);
        }
    }

    // Symbols, units and quantity names the code page lacks come back as they were; what it
    // holds (the catalogue's ˆ and €, µ, a "?" typed on purpose) is written as before.
    void symboleAllerRetour_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QByteArray>("ecrit");
        QTest::newRow("σ") << "σ" << QByteArray("|sigma|");
        QTest::newRow("θ") << "θ" << QByteArray("|theta|");
        QTest::newRow("Δθ") << "Δθ" << QByteArray("|Delta||theta|");
        QTest::newRow("ohm") << "kΩ" << QByteArray("k|Omega|");
        QTest::newRow("signe ohm") << "\u2126" << QByteArray("|U+2126|");
        QTest::newRow("hors plan") << "x😀" << QByteArray("x|U+1F600|");
        QTest::newRow("ˆ") << "ˆ" << QByteArray("\x88");
        QTest::newRow("€ µ ?") << "€µ?" << QByteArray("\x80\xb5?");
        QTest::newRow("barres") << "a|b|CR|" << QByteArray("a|b|CR|");
    }
    void symboleAllerRetour() {
        QFETCH(QString, texte);
        QFETCH(QByteArray, ecrit);
        Tappareil a;
        a.NomAppareil = QStringLiteral("Essai");
        a.SymboleGrandeur = texte;
        a.UniteGrandeur = texte;
        a.nomGrandeur = texte;
        TFichierIni ini;
        a.EcritIni(ini);
        const QByteArray octets = ini.enOctets();
        QVERIFY2(octets.contains("\r\nSymbole=" + ecrit + "\r\n"), octets.constData());
        QVERIFY(octets.contains("\r\nUnit\xe9=" + ecrit + "\r\n"));
        Tappareil b;
        b.LitIni(a.NomAppareil, TFichierIni::depuisOctets(octets));
        QCOMPARE(b.SymboleGrandeur, texte);
        QCOMPARE(b.UniteGrandeur, texte);
        QCOMPARE(b.nomGrandeur, texte);
    }

    void deriveNaNEcriteMoinsUn() {
        Tappareil a;
        a.NomAppareil = QStringLiteral("X");
        a.Derive = std::nan("");
        TFichierIni ini;
        a.EcritIni(ini);
        QCOMPARE(ini.ReadString(QStringLiteral("X"), QStringLiteral("Derive"), {}),
                 QStringLiteral("-1"));
    }

    void texteCourant_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("coeff");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<QString>("unite");
        QTest::addColumn<QString>("attendu");
        const double nan = std::nan("");
        QTest::newRow("NaN") << "c" << true << nan << "S/cm" << QStringLiteral("σ=?");
        QTest::newRow("zero") << "c" << true << 0.0 << "S/cm" << QStringLiteral("σ=0 S/cm");
        QTest::newRow("milli") << "c" << true << 0.00146 << "S/cm"
                               << QStringLiteral("σ=1.46 mS/cm");
        QTest::newRow("milli virgule")
            << "fr" << true << 0.00146 << "S/cm" << QStringLiteral("σ=1,46 mS/cm");
        QTest::newRow("micro") << "c" << true << 2.5e-6 << "S/cm" << QStringLiteral("σ=2.5 µS/cm");
        QTest::newRow("unite") << "c" << true << 12.0 << "S/cm" << QStringLiteral("σ=12 S/cm");
        QTest::newRow("kilo") << "c" << true << -1500.0 << "S/cm" << QStringLiteral("σ=-1.5 kS/cm");
        QTest::newRow("sous le nano")
            << "c" << true << 2e-11 << "S/cm" << QStringLiteral("σ=0.02 nS/cm");
        QTest::newRow("au-dela du giga")
            << "c" << true << 5e10 << "S/cm" << QStringLiteral("σ=50 GS/cm");
        QTest::newRow("sans coefficient")
            << "c" << false << 0.00146 << "S/cm" << QStringLiteral("σ=0.00146 S/cm");
        QTest::newRow("unite vide") << "c" << false << 7.0 << "" << QStringLiteral("σ=7 ");
    }
    void texteCourant() {
        QFETCH(QString, locale);
        QFETCH(bool, coeff);
        QFETCH(double, valeur);
        QFETCH(QString, unite);
        QFETCH(QString, attendu);
        QLocale::setDefault(localeNommee(locale));
        Tappareil a;
        a.SymboleGrandeur = QStringLiteral("σ");
        a.UniteGrandeur = unite;
        a.LireCoeffUnite = coeff;
        a.ValeurCourante = valeur;
        QCOMPARE(a.NomValeurUniteCourante(), attendu);
    }

    void formatApp_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("precision");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("NaN") << "c" << 5 << std::nan("") << "???";
        QTest::newRow("petit") << "c" << 5 << 1.5e-5 << "0.000015";
        QTest::newRow("trop petit") << "c" << 5 << 1.5e-6 << "1.5E-06";
        QTest::newRow("fixe") << "c" << 5 << 7.0123456 << "7.0123";
        QTest::newRow("virgule") << "fr" << 3 << 7.0123456 << "7,01";
        QTest::newRow("zeros ote") << "c" << 6 << 2.5 << "2.5";
        QTest::newRow("grand") << "c" << 3 << 12345.0 << "1.23E04";
    }
    void formatApp() {
        QFETCH(QString, locale);
        QFETCH(int, precision);
        QFETCH(double, valeur);
        QFETCH(QString, attendu);
        QLocale::setDefault(localeNommee(locale));
        Tappareil a;
        a.Precision = precision;
        QCOMPARE(a.FormatApp(valeur), attendu);
    }

    void nomCourt() {
        Tappareil a;
        a.NomAppareil = QStringLiteral("Heito C320 (T)");
        QCOMPARE(a.nomCourt(), QStringLiteral("Heito"));
        a.NomAppareil = QStringLiteral("Sartorius");
        QCOMPARE(a.nomCourt(), QString());
    }

    void assign() {
        Tappareil source;
        source.NomAppareil = QStringLiteral("Titronic Universal");
        source.Demande = "01VO\r\n";
        source.ChaineInit = "99AA01\r\n";
        source.TexteVerif = "pH";
        source.NumeroVerif = 2;
        source.Derive = 0.5;
        source.FiltrageDepassement = true;
        source.lectureSTAB = true;
        source.ValeurCourante = 4.2;
        source.AidePilotage[15] = QStringLiteral("seize");
        source.NumeroOrdre = 2;
        Tappareil cible;
        cible.TexteVerif = "mV";
        cible.DeblocageAfaire = true;
        cible.Assign(source);
        QCOMPARE(cible.NomAppareil, source.NomAppareil);
        QCOMPARE(cible.Demande, source.Demande);
        QCOMPARE(cible.NumeroOrdre, quint8(2));
        QCOMPARE(cible.AidePilotage[15], QStringLiteral("seize"));
        QVERIFY(cible.InitialisationAfaire);
        QVERIFY(!cible.DeblocageAfaire);
        // The whole description is copied: a copy checks, filters and judges stability alike.
        QCOMPARE(cible.TexteVerif, QByteArray("pH"));
        QCOMPARE(cible.NumeroVerif, 2);
        QCOMPARE(cible.Derive, 0.5);
        QVERIFY(cible.FiltrageDepassement);
        QVERIFY(cible.lectureSTAB);
        // The run-time state is not.
        QCOMPARE(cible.ValeurCourante, 0.0);
        QVERIFY(cible.Unite != source.Unite);
    }
};

QTEST_GUILESS_MAIN(TstAppareil)
#include "tst_appareil.moc"
