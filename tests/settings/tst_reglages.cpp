// The recent instruments kept in the settings: damaged values give the defaults and the list
// stays bounded whatever the settings hold.
#include "../commun/banc.h"
#include "settings/reglages.h"

#include <QTest>

class TstReglages : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(dossier_); }
    void init() { ouvreReglages()->clear(); }

    void lecture_data() {
        QTest::addColumn<QString>("liste");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<bool>("listeLue");
        QTest::addColumn<int>("nomsLus");
        QTest::newRow("rien") << QString() << QString() << true << 0;
        QTest::newRow("oui") << "oui"
                             << "3" << true << 3;
        QTest::newRow("0") << "0"
                           << "3" << false << 3;
        QTest::newRow("false") << "false"
                               << "3" << false << 3;
        QTest::newRow("Nombre énorme") << "1"
                                       << "2000000000" << true << TAppareilsRecents::Maxi;
        QTest::newRow("Nombre au-delà de 32 bits")
            << "1"
            << "99999999999" << true << TAppareilsRecents::Maxi;
        QTest::newRow("Nombre négatif") << "1"
                                        << "-5" << true << 0;
        QTest::newRow("Nombre illisible") << "1"
                                          << "trois" << true << 0;
    }
    void lecture() {
        QFETCH(QString, liste);
        QFETCH(QString, nombre);
        QFETCH(bool, listeLue);
        QFETCH(int, nomsLus);
        {
            const auto r = ouvreReglages();
            if (!liste.isNull()) r->setValue("AppareilRecent/Liste", liste);
            if (!nombre.isNull()) r->setValue("AppareilRecent/Nombre", nombre);
            for (int i = 0; i < 40; ++i)
                r->setValue(QStringLiteral("AppareilRecent/N%1").arg(i),
                            QStringLiteral("Appareil %1").arg(i, 2, 10, QLatin1Char('0')));
        }
        const TAppareilsRecents lu = LitAppareilsRecents(*ouvreReglages());
        QCOMPARE(lu.listeAppRecente, listeLue);
        QCOMPARE(lu.noms.size(), nomsLus);
    }

    // Closing: eight names and two new channels keep nine; a full list stays full, never more;
    // a name is kept once whatever its case, and what is written reads back.
    void fermeture() {
        QStringList huit;
        for (int i = 0; i < 8; ++i)
            huit << QStringLiteral("B%1").arg(i);
        QStringList neuf = MajAppareilsRecents(huit, {"Z", "A"});
        QCOMPARE(neuf.size(), 9);
        QCOMPARE(neuf.first(), QStringLiteral("A"));
        QVERIFY(!neuf.contains("B0"));
        QCOMPARE(MajAppareilsRecents(neuf, {"b1", "Z"}), neuf.mid(1));

        QStringList plein;
        for (int i = 0; i < 40; ++i)
            plein << QStringLiteral("C%1").arg(i, 2, 10, QLatin1Char('0'));
        const QStringList borne = MajAppareilsRecents(plein, {"X1", "X2", "X3"});
        QCOMPARE(borne.size(), TAppareilsRecents::Maxi);
        QCOMPARE(borne.last(), QStringLiteral("X3"));

        {
            const auto r = ouvreReglages();
            EcritAppareilsRecents(*r, {false, plein});
        }
        {
            const auto r = ouvreReglages();
            QCOMPARE(r->value("AppareilRecent/Nombre").toString(),
                     QString::number(TAppareilsRecents::Maxi));
            EcritAppareilsRecents(*r, {true, neuf});
            QCOMPARE(r->value("AppareilRecent/Liste").toString(), QStringLiteral("1"));
            QVERIFY(!r->contains("AppareilRecent/N9"));
        }
        const TAppareilsRecents relu = LitAppareilsRecents(*ouvreReglages());
        QCOMPARE(relu.noms, neuf);
        QVERIFY(relu.listeAppRecente);
    }
};

QTEST_GUILESS_MAIN(TstReglages)
#include "tst_reglages.moc"
