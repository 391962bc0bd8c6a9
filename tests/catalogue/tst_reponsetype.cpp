// Every catalogue instrument, given an answer in the layout its description expects, decodes
// the value that was put in it.
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "instruments/reponsetype.h"

#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
double arrondi3(double x) {
    return QString::number(x, 'g', 3).toDouble();
}

TModuleAppareils& catalogue() {
    static QTemporaryDir dossier;
    static TModuleAppareils module(dossier.filePath("absent.INI"));
    if (module.listeAppareil.isEmpty()) (void)module.ChargeAppareils();
    return module;
}
} // namespace

class TestReponseType : public QObject {
    Q_OBJECT

    QTemporaryDir reglages;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, reglages.path());
        installeDialogues(std::make_unique<DialoguesScriptes>());
        QCOMPARE(catalogue().listeAppareil.Count(), 97);
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void dispositions_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("clé après le nombre, préfixe")
            << "WTW Cond Level 2" << 0.00146 << QByteArray(" 1.46 mS/cm\r\n\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("enregistrement fixe")
            << "CECIL 1000 (A)" << -0.123 << QByteArray("A=-0.123\r");
        QTest::newRow("séparateur 127") << "Scout Pro OHAUS" << 1234.5
                                        << QByteArray("1\x7f"
                                                      "234.5 g\r\n");
        QTest::newRow("rang 2") << "BAUSCH Spectronic 501/601" << 0.5 << QByteArray("1 0.5\r\n");
        QTest::newRow("texte de vérification")
            << "Mettler SevenMulti (mS)" << 0.0125 << QByteArray("12.5mS/cm\r\n\r\n\r\n");
        QTest::newRow("clé avant le nombre") << "Heito" << 7.01 << QByteArray("pH 7.01\r\n");
    }
    void dispositions() {
        QFETCH(QString, nom);
        QFETCH(double, valeur);
        QFETCH(QByteArray, attendu);
        const Tappareil* a = catalogue().ChercheAppareil(nom);
        QVERIFY(a);
        QCOMPARE(ReponseType(*a, valeur), attendu);
    }

    void toutLeCatalogue_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<bool>("virgule");
        for (const auto& a : catalogue().listeAppareil) {
            QList<double> valeurs{arrondi3(a->ValMini + 0.37 * (a->ValMaxi - a->ValMini))};
            if (a->ValMini < 0) valeurs << arrondi3(a->ValMini / 2);
            // Small values make the answer carry a decimal prefix.
            if (a->LireCoeffUnite || a->LireNomUnite) valeurs << arrondi3(a->ValMaxi * 0.0037);
            for (const double v : std::as_const(valeurs))
                for (const bool virgule : {true, false})
                    QTest::addRow("%s = %g %s", qPrintable(a->NomAppareil), v, virgule ? "," : ".")
                        << a->NomAppareil << v << virgule;
        }
    }
    void toutLeCatalogue() {
        QFETCH(QString, nom);
        QFETCH(double, valeur);
        QFETCH(bool, virgule);
        QLocale::setDefault(virgule ? QLocale(QLocale::French) : QLocale::c());
        Tappareil* a = catalogue().ChercheAppareil(nom);
        QVERIFY(a);
        const QString unite = a->UniteGrandeur;
        const QByteArray reponse = ReponseType(*a, valeur);
        // The acquisition decodes once the answer is complete: so many bytes, or so many lines.
        if (a->FormatFixe)
            QVERIFY(reponse.size() >= a->NbreCarac);
        else
            QVERIFY(reponse.count('\r') >= a->NbreLignes);
        a->ChaineLue = reponse;
        a->ValeurCourante = NaN;
        a->SetValeurCourante();
        const QByteArray lisible = reponse.toPercentEncoding(" .=/-+");
        QVERIFY2(std::fabs(a->ValeurCourante - valeur) <= 1E-9 * std::max(1.0, std::fabs(valeur)),
                 qPrintable(QStringLiteral("%1 lu dans %2").arg(a->ValeurCourante).arg(lisible)));
        QVERIFY(!a->depassement);
        QVERIFY2(a->ChaineLue.isEmpty(), lisible.constData());
        QCOMPARE(a->UniteGrandeur, unite);
    }
};

QTEST_GUILESS_MAIN(TestReponseType)
#include "tst_reponsetype.moc"
