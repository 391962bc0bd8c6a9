#include "app/cp1252.h"
#include "app/utilitaires.h"

#include <QLocale>
#include <QTest>

// Number and text helpers, under both decimal separators.
class TstUtilitaires : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void litNombre_data() {
        QTest::addColumn<bool>("virgule");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<double>("attendu");
        for (const bool v : {true, false}) {
            const char* l = v ? "," : ".";
            QTest::addRow("%s point", l) << v << "2.5" << 2.5;
            QTest::addRow("%s virgule", l) << v << "2,5" << 2.5;
            QTest::addRow("%s blancs", l) << v << "  -3,25E-2 " << -0.0325;
            QTest::addRow("%s exposant", l) << v << "1e3" << 1000.0;
            QTest::addRow("%s entier", l) << v << "+42" << 42.0;
            QTest::addRow("%s vide", l) << v << "" << NaN;
            QTest::addRow("%s lettres", l) << v << "abc" << NaN;
            QTest::addRow("%s unite collee", l) << v << "7.01pH" << NaN;
            QTest::addRow("%s debordement", l) << v << "1e999" << NaN;
        }
        // Only the first mark is converted: a thousands separator makes the text unreadable.
        QTest::newRow("virgule milliers") << true << "1.234,5" << NaN;
        QTest::newRow("point milliers") << false << "1,234.5" << NaN;
        QTest::newRow("deux points") << true << "1.2.3" << NaN;
    }
    void litNombre() {
        QFETCH(bool, virgule);
        QFETCH(QString, texte);
        QFETCH(double, attendu);
        QLocale::setDefault(virgule ? QLocale(QLocale::French, QLocale::France) : QLocale::c());
        const double lu = LitNombre(texte);
        if (estNaN(attendu))
            QVERIFY2(estNaN(lu), qPrintable(QString::number(lu)));
        else
            QCOMPARE(lu, attendu);
        QCOMPARE(LitNombreDefaut(texte, 7.0), estNaN(attendu) ? 7.0 : attendu);
    }

    void formats_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("court");
        QTest::newRow("2.5") << 2.5 << "2.5"
                             << "2#5";
        QTest::newRow("pi") << 3.14159 << "3.14159"
                            << "3#14";
        QTest::newRow("zero") << 0.0 << "0"
                              << "0";
        QTest::newRow("negatif") << -12.5 << "-12.5"
                                 << "-12#5";
        QTest::newRow("entier") << 120.0 << "120"
                                << "120";
        QTest::newRow("grand") << 12345678.0 << "1.234568E07"
                               << "1#23E7";
        QTest::newRow("petit") << 0.0000015 << "1.5E-06"
                               << "1#5E-6";
        QTest::newRow("limite fixe") << 0.00001 << "0.00001"
                                     << "0#00001";
        QTest::newRow("tres petit") << 1.5e-11 << "1.5E-11"
                                    << "1#5E-11";
        QTest::newRow("tres grand") << 2e12 << "2E12"
                                    << "2E12";
        QTest::newRow("arrondi") << 999.96 << "999.96"
                                 << "1E3";
        QTest::newRow("nan") << NaN << " "
                             << " ";
    }
    void formats() {
        QFETCH(double, x);
        QFETCH(QString, nombre);
        QFETCH(QString, court);
        for (const bool virgule : {false, true}) {
            QLocale::setDefault(virgule ? QLocale(QLocale::French) : QLocale::c());
            QCOMPARE(FormatNombre(x), nombre);
            QString attendu = court;
            attendu.replace(QLatin1Char('#'), virgule ? QLatin1Char(',') : QLatin1Char('.'));
            QCOMPARE(FormatCourt(x), attendu);
        }
    }

    void formatFixe() {
        QLocale::setDefault(QLocale(QLocale::French));
        QCOMPARE(FormatNombreFixe(7, 3, 1.23456), QByteArray("1.235"));
        QCOMPARE(FormatNombreFixe(4, 4, 0.5), QByteArray("0.5000"));
        QCOMPARE(FormatNombreFixe(3, 2, NaN), QByteArray(" "));
        QCOMPARE(TexteEntier(-42), QByteArray("-42"));
        QCOMPARE(TexteEntier(0), QByteArray("0"));
    }

    void temps() {
        QCOMPARE(SecondesEnHeure(3725) * 86400.0, 3725.0);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, SecondesEnHeure(86400));
        const double a = (10 * 3600 + 1.5) / 86400.0, b = (9 * 3600 + 59 * 60) / 86400.0;
        QCOMPARE(EcartSecondes(a, b), 61.5);
        // A date part does not count, only the time of day of the difference.
        QCOMPARE(EcartSecondes(46000.0 + a, 45999.0 + b), 61.5);
        QCOMPARE(EcartSecondes(b, b), 0.0);
    }

    void ordonne_data() {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::newRow("inverses") << 5.0 << 2.0 << 2.0 << 5.0;
        QTest::newRow("egaux") << 3.0 << 3.0 << 3.0 << 6.0;
        QTest::newRow("zeros") << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("egaux negatifs") << -3.0 << -3.0 << -6.0 << -3.0;
        QTest::newRow("ordonnes") << -1.0 << 4.0 << -1.0 << 4.0;
    }
    void ordonne() {
        QFETCH(double, a);
        QFETCH(double, b);
        OrdonneMinMax(a, b);
        QTEST(a, "mini");
        QTEST(b, "maxi");
        QVERIFY(a <= b);
    }

    void texte() {
        QString t = QStringLiteral("10µ");
        PrefixeEnExposant(t);
        QCOMPARE(t, QStringLiteral("10E-6"));
        t = QStringLiteral("4.7k");
        PrefixeEnExposant(t);
        QCOMPARE(t, QStringLiteral("4.7E+3"));
        t = QStringLiteral("m");
        PrefixeEnExposant(t);
        QCOMPARE(t, QStringLiteral("m"));
        t = QStringLiteral("5Y");
        PrefixeEnExposant(t);
        QCOMPARE(t, QStringLiteral("5Y"));

        const QByteArray codes = versCp1252(CodeGrec(QStringLiteral("Δpκσ")));
        QCOMPARE(codes, QByteArray("\x96pk\x8e"));
        QCOMPARE(ValeurChiffre(QLatin1Char('7')), 7);
        QCOMPARE(ValeurChiffre(QLatin1Char('x')), 0);
        QCOMPARE(AvecBarreFinale(QStringLiteral("/home/eleve/Data")),
                 QStringLiteral("/home/eleve/Data/"));
        QCOMPARE(AvecBarreFinale(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(AvecBarreFinale(QString()), QString());
    }

    void codePage() {
        // Every byte survives the trip through text, and "°C" is the byte 0xB0.
        QByteArray tous;
        for (int i = 0; i < 256; ++i)
            tous.append(char(i));
        QCOMPARE(versCp1252(depuisCp1252(tous)), tous);
        QCOMPARE(versCp1252(QStringLiteral("°C €")), QByteArray("\xb0"
                                                                "C \x80"));
        QCOMPARE(versCp1252(QStringLiteral("σ😀")), QByteArray("??"));
    }
};

QTEST_GUILESS_MAIN(TstUtilitaires)
#include "tst_utilitaires.moc"
