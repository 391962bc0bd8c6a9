#include "instruments/notation.h"

#include <QTest>

class TstNotation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versOctets_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QByteArray>("octets");
        QTest::newRow("vide") << "" << QByteArray();
        QTest::newRow("cr lf") << "|CR||LF|" << QByteArray("\r\n");
        QTest::newRow("minuscules") << "|cr|" << QByteArray("\r");
        QTest::newRow("dc1") << "|dc1|" << QByteArray("\x11");
        QTest::newRow("xon") << "|XON|" << QByteArray("\x11");
        // DC3 is shorter than the XOFF it stands for: the next character must not be lost.
        QTest::newRow("dc3 puis texte") << "|DC3|AB"
                                        << QByteArray("\x13"
                                                      "AB");
        QTest::newRow("barre seule") << "A||B" << QByteArray("A|B");
        QTest::newRow("barre finale") << "A|" << QByteArray("A|");
        QTest::newRow("nom inconnu") << "|ABC|" << QByteArray(" ");
        QTest::newRow("nom ouvert") << "ABC|CR" << QByteArray("ABC\r");
        QTest::newRow("requete") << "|DLE|Ph?|CR|" << QByteArray("\x10Ph?\r");
        QTest::newRow("stx etx") << "|STX|0001|ETX|"
                                 << QByteArray("\x02"
                                               "0001\x03");
        QTest::newRow("latin") << "°µ" << QByteArray("\xb0\xb5");
        QTest::newRow("nul") << "|NUL|" << QByteArray(1, '\0');
    }
    void versOctets() {
        QFETCH(QString, texte);
        QFETCH(QByteArray, octets);
        QCOMPARE(TexteEnCode(texte), octets);
    }

    void allerRetour() {
        QByteArray tous;
        for (int i = 0; i < 256; ++i)
            if (i != '|') tous.append(char(i));
        QCOMPARE(TexteEnCode(CodeEnTexte(tous.left(200))), tous.left(200));
        QCOMPARE(CodeEnTexte("\r\n"), QStringLiteral("|CR||LF|"));
        QCOMPARE(CodeEnTexte("\x11"), QStringLiteral("|XON|"));
        QCOMPARE(CodeEnTexte("\x80\x7f"), QStringLiteral("€\x7f"));
        // A bar followed by letters does not survive.
        QCOMPARE(TexteEnCode(CodeEnTexte("A|B")), QByteArray("A "));
    }

    void longueurMaxi() {
        QCOMPARE(TexteEnCode(QString(300, QLatin1Char('x'))).size(), 250);
        QString controles;
        for (int i = 0; i < 300; ++i)
            controles += QStringLiteral("|CR|");
        QCOMPARE(TexteEnCode(controles), QByteArray(250, '\r'));
    }

    void lignes() {
        QStringList l{QStringLiteral("ancienne")};
        ReponseEnLignes("7.01\r\n", l);
        QCOMPARE(l, QStringList({"7.01|CR|", "|LF|"}));
        ReponseEnLignes("12\xf8"
                        "C 3\x7fS\xe6m",
                        l);
        QCOMPARE(l, QStringList{QStringLiteral("12°C 3µSµm")});
        ReponseEnLignes(QByteArray(), l);
        QVERIFY(l.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstNotation)
#include "tst_notation.moc"
