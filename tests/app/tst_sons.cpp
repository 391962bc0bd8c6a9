// Which sound each beep code plays, in made-up sessions: theme files in a temporary folder and
// players that need not exist (nothing is started).
#include "app/sons.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TstSons : public QObject {
    Q_OBJECT

    // A freedesktop theme holding the given sounds, under a temporary folder.
    static QString theme(const QTemporaryDir& dossier, const QStringList& noms) {
        const QString stereo = dossier.path() + QStringLiteral("/sounds/freedesktop/stereo");
        QDir().mkpath(stereo);
        for (const QString& nom : noms) {
            QFile f(stereo + QLatin1Char('/') + nom + QStringLiteral(".oga"));
            if (!f.open(QIODevice::WriteOnly)) return {};
        }
        return dossier.path() + QStringLiteral("/sounds");
    }

private Q_SLOTS:
    void sonsDistincts_data() {
        QTest::addColumn<QString>("lecteur");
        QTest::addColumn<QStringList>("fichiers");
        const QStringList freedesktop = {"bell",         "dialog-information", "dialog-warning",
                                         "dialog-error", "window-question",    "message",
                                         "complete",     "suspend-error"};
        QTest::newRow("pw-play, freedesktop theme") << "pw-play" << freedesktop;
        QTest::newRow("paplay, freedesktop theme") << "paplay" << freedesktop;
        QTest::newRow("canberra, freedesktop theme") << "canberra-gtk-play" << freedesktop;
        QTest::newRow("canberra, no theme file") << "canberra-gtk-play" << QStringList{};
        QTest::newRow("pw-play, stand-ins")
            << "pw-play" << QStringList{"bell",          "message-new-instant", "window-attention",
                                        "suspend-error", "dialog-question",     "complete"};
    }
    // Codes 1..6 each play a sound of their own; 0 and unknown codes play nothing.
    void sonsDistincts() {
        QFETCH(QString, lecteur);
        QFETCH(QStringList, fichiers);
        QTemporaryDir dossier;
        TEnvironnementSon env;
        env.lecteurs.insert(lecteur, QStringLiteral("/opt/bin/") + lecteur);
        env.dossiersSons << dossier.path() + QStringLiteral("/vide") << theme(dossier, fichiers);
        QSet<QString> sons;
        for (int code = 1; code < nbreCodesBeep; ++code) {
            const TSon son = ChoisitSon(code, env);
            QCOMPARE(son.programme, QStringLiteral("/opt/bin/") + lecteur);
            QVERIFY(!son.bip);
            sons.insert(son.arguments.join(QLatin1Char(' ')));
            if (lecteur != QStringLiteral("canberra-gtk-play"))
                QVERIFY2(QFile::exists(son.arguments.value(0)),
                         qPrintable(son.arguments.join(' ')));
        }
        QCOMPARE(sons.size(), nbreCodesBeep - 1);
        for (int code : {0, -1, nbreCodesBeep})
            QVERIFY(ChoisitSon(code, env).muet());
    }

    // Without a player, or with a file player but no sound file: the plain beep.
    void bipSinonRien() {
        QTemporaryDir dossier;
        TEnvironnementSon env;
        env.dossiersSons << theme(dossier, {"bell"});
        QVERIFY(ChoisitSon(1, env).bip);
        env.lecteurs.insert(QStringLiteral("paplay"), QStringLiteral("/usr/bin/paplay"));
        QVERIFY(!ChoisitSon(1, env).bip);
        QVERIFY(ChoisitSon(3, env).bip);

        int bips = 0;
        installeBip([&bips] { ++bips; });
        Bip();
        QCOMPARE(bips, 1);
        installeBip({});
    }
};

QTEST_GUILESS_MAIN(TstSons)
#include "tst_sons.moc"
