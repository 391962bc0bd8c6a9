#include "../commun/banc.h"
#include "app/dialogues.h"
#include "exchange/canalcommande.h"
#include "exchange/envoikalvento.h"
#include "fauxkalvento.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The transfer of the samples to Kalvento, against a stand-in listening on Kalvento's channel.
class TstTransfert : public QObject {
    Q_OBJECT

    QTemporaryDir dossier;
    DialoguesScriptes* boites = nullptr;
    // What the window would put on the clipboard: CR LF lines, tabs, a blank for a missing
    // value, characters outside ASCII.
    const QString texte =
        QStringLiteral("/usr/bin/telmira\r\nessai é\r\nt\tpH\tT\r\ns\t\t°C\r\n"
                       "temps\tpH\ttempérature\r\n0\t4.01\t \r\n1\t4.5\t20.5\r\n");

    QString canal(const char* service) const {
        return canal::CheminCanal(QString::fromLatin1(service), canal::TopicDDE, dossier.path());
    }
    std::unique_ptr<TFormDDE> transfert() {
        auto t = CreeFormDDE([this] { return texte; }, dossier.path());
        t->CheminApplication.clear();
        return t;
    }
    // A program that records each start, then plays Kalvento on the upper-case channel.
    QString script() const {
        const QString chemin = dossier.filePath(QStringLiteral("kalvento"));
        QFile f(chemin);
        if (!f.open(QIODevice::WriteOnly)) return {};
        f.write(QStringLiteral("#!/bin/sh\necho lance >> '%1'\nexec '%2' '%3' '%4'\n")
                    .arg(dossier.filePath(QStringLiteral("lancements")),
                         QStringLiteral(FAUX_KALVENTO), canal("KALVENTO"),
                         dossier.filePath(QStringLiteral("recu")))
                    .toLocal8Bit());
        f.setPermissions(f.permissions() | QFile::ExeOwner);
        return chemin;
    }
    static QByteArray lit(const QString& chemin) {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier);
        auto d = std::make_unique<DialoguesScriptes>();
        boites = d.get();
        installeDialogues(std::move(d));
    }
    void init() { boites->vus.clear(); }

    void pagesSuccessives() {
        FauxKalvento kalvento(canal("KALVENTO"));
        QVERIFY(kalvento.ecoute());
        QStringList pressePapiers;
        kalvento.recu = [&](const QByteArray&) {
            pressePapiers << QGuiApplication::clipboard()->text();
        };
        auto t = transfert();
        // Running already: nothing is started.
        t->CheminApplication = script();

        bool PagePermise = false;
        QVERIFY(t->EnvoiePage(true, PagePermise)); // first after start-up: a new data set
        QVERIFY(PagePermise);
        QTRY_COMPARE(kalvento.macros().size(), 1);
        QVERIFY(t->EnvoiePage(true, PagePermise));
        QTRY_COMPARE(kalvento.macros().size(), 2);
        QVERIFY(t->EnvoiePage(false, PagePermise));
        QVERIFY(t->Execute(eFocus));
        QTRY_COMPARE(kalvento.macros(),
                     (QByteArrayList{"CLIP|LOAD", "CLIP|ADD", "CLIP|LOAD", "FOCUS"}));
        // Each conversation links to the item first.
        QCOMPARE(kalvento.requetes.count("\x01ServeurItem"), 4);
        QCOMPARE(kalvento.requetes.first(), QByteArray("\x01ServeurItem"));
        for (const QString& p : pressePapiers)
            QCOMPARE(p, texte);
        QVERIFY(!QFile::exists(dossier.filePath(QStringLiteral("lancements"))));
        QVERIFY(boites->vus.isEmpty());
    }

    void nomsDuService_data() {
        QTest::addColumn<bool>("majuscules");
        QTest::addColumn<bool>("minuscules");
        QTest::newRow("les deux") << true << true;
        QTest::newRow("Kalvento seulement") << false << true;
        QTest::newRow("aucun") << false << false;
    }
    void nomsDuService() {
        QFETCH(bool, majuscules);
        QFETCH(bool, minuscules);
        std::unique_ptr<FauxKalvento> haut, bas;
        if (majuscules) haut = std::make_unique<FauxKalvento>(canal("KALVENTO"));
        if (minuscules) bas = std::make_unique<FauxKalvento>(canal("Kalvento"));
        auto t = transfert();
        bool PagePermise = false;
        QCOMPARE(t->EnvoiePage(true, PagePermise), majuscules || minuscules);
        if (haut) QTRY_COMPARE(haut->macros(), QByteArrayList{"CLIP|LOAD"});
        if (bas)
            QTRY_COMPARE(bas->macros(),
                         majuscules ? QByteArrayList{} : QByteArrayList{"CLIP|LOAD"});
        // Not reached: said so, and the samples wait on the clipboard to be pasted.
        QCOMPARE(boites->vus, majuscules || minuscules
                                  ? QStringList{}
                                  : QStringList{QStringLiteral("Impossible de lancer Kalvento")});
        QCOMPARE(PagePermise, majuscules || minuscules);
        QCOMPARE(QGuiApplication::clipboard()->text(), texte);
    }

    void lanceKalvento() {
        auto t = transfert();
        t->CheminApplication = script();
        const QString lancements = dossier.filePath(QStringLiteral("lancements"));
        const QString recu = dossier.filePath(QStringLiteral("recu"));
        for (int fois = 1; fois <= 2; ++fois) {
            QVERIFY(t->EnvoieDonnees(true, false));
            QCOMPARE(lit(lancements).count("lance"), fois);
            QTRY_COMPARE(lit(recu).count("CLIP|LOAD\n"), fois);
            // Kalvento closes; the next transfer starts it again.
            QTRY_VERIFY(!QFile::exists(canal("KALVENTO")));
        }
        QVERIFY(boites->vus.isEmpty());
    }

    void trouveKalvento_data() {
        QTest::addColumn<QString>("reglageApplication");
        QTest::addColumn<QString>("reglageOrganisation");
        QTest::addColumn<bool>("surPath");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("réglage de l'application") << "a/"
                                                  << "b/" << true << "a";
        QTest::newRow("réglage de l'organisation, sans barre finale") << ""
                                                                      << "b" << true << "b";
        QTest::newRow("dossier absent") << "absent/"
                                        << "" << true << "path";
        QTest::newRow("nulle part") << ""
                                    << "" << false << "";
    }
    void trouveKalvento() {
        QFETCH(QString, reglageApplication);
        QFETCH(QString, reglageOrganisation);
        QFETCH(bool, surPath);
        QFETCH(QString, attendu);
        QTemporaryDir ici;
        for (const char* d : {"a", "b", "path"}) {
            QDir(ici.path()).mkpath(QString::fromLatin1(d));
            QFile f(ici.filePath(QStringLiteral("%1/kalvento").arg(QLatin1String(d))));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.setPermissions(f.permissions() | QFile::ExeOwner);
        }
        const auto dans = [&](const QString& r) { return r.isEmpty() ? r : ici.filePath(r); };
        QSettings(QStringLiteral("Kalvento"), QStringLiteral("Kalvento"))
            .setValue(QStringLiteral("Path"), dans(reglageApplication));
        QSettings(QStringLiteral("Kalvento"))
            .setValue(QStringLiteral("Path"), dans(reglageOrganisation));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH",
                surPath ? ici.filePath(QStringLiteral("path")).toLocal8Bit() : "/nonexistent");
        const QString trouve = TFormDDE::TrouveKalvento();
        qputenv("PATH", path);
        QCOMPARE(trouve, attendu.isEmpty() ? QString() : ici.filePath(attendu + "/kalvento"));
    }
};

QTEST_MAIN(TstTransfert)
#include "tst_transfert.moc"
