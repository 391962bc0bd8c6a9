// The help pages shipped with the program, the help window and the about box.
#include "app/aide.h"
#include "app/apropos.h"
#include "settings/balayagedlg.h"
#include "tests/commun/banc.h"
#include "tests/commun/terminalsimule.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <memory>
#include <vector>

class TstAide : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;

    static TAideFenetre* fenetreAide(QWidget* w) {
        return w->findChild<TAideFenetre*>(QString(), Qt::FindDirectChildrenOnly);
    }

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier_);
        banc::aucunPort();
        qputenv("TELMIRA_AIDE", TELMIRA_AIDE_SOURCE);
    }

    // Every topic the dialogs ask for has its page, and every link between the pages leads to
    // a page (and a section) that exists.
    void pagesEtLiens() {
        QCOMPARE(dossierAide(), QDir::cleanPath(QStringLiteral(TELMIRA_AIDE_SOURCE)));
        const QList<std::pair<int, QString>> numeros = {{4, "modes"},     {9, "appareil"},
                                                        {12, "burette"},  {13, "burette"},
                                                        {14, "appareil"}, {0, "index"}};
        for (const auto& [numero, page] : numeros)
            QCOMPARE(sujetAide(numero), page);
        const QDir d(dossierAide());
        for (const QString& sujet :
             {sujets::sommaire, sujets::general, sujets::modes, sujets::burette, sujets::appareil})
            QVERIFY2(d.exists(sujet + QStringLiteral(".html")), qPrintable(sujet));

        static const QRegularExpression lien(QStringLiteral("href=\"([^\"#:]*)(?:#([^\"]*))?\""));
        for (const QString& nom : d.entryList({QStringLiteral("*.html")})) {
            QFile f(d.filePath(nom));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString texte = QString::fromUtf8(f.readAll());
            QVERIFY2(texte.contains(QStringLiteral("<meta charset=\"utf-8\">")), qPrintable(nom));
            for (const auto& m : lien.globalMatch(texte)) {
                const QString cible = m.captured(1).isEmpty() ? nom : m.captured(1);
                QVERIFY2(d.exists(cible), qPrintable(nom + QStringLiteral(" → ") + cible));
                if (m.captured(2).isEmpty()) continue;
                QFile c(d.filePath(cible));
                QVERIFY(c.open(QIODevice::ReadOnly));
                QVERIFY2(c.readAll().contains("name=\"" + m.captured(2).toUtf8() + "\""),
                         qPrintable(nom + QStringLiteral(" → ") + m.captured(0)));
            }
        }
    }

    // "Aide" and F1 show the dialog's own page, in a window the modal dialog does not block.
    void aideDuDialogue() {
        TReglagesBalayage reglages;
        TNumeroCom numeros{};
        TBalayageDlg d(reglages, numeros, {});
        d.show();
        QVERIFY(d.HelpBtn->isVisible());
        d.HelpBtn->click();
        TAideFenetre* aide = fenetreAide(&d);
        QVERIFY(aide && aide->isVisible());
        QCOMPARE(aide->navigateur()->source().fileName(), QStringLiteral("modes.html"));
        QCOMPARE(aide->navigateur()->documentTitle(),
                 QStringLiteral("Mode d'acquisition - Aide Telmira"));

        aide->navigateur()->setSource(QUrl(QStringLiteral("burette.html")));
        QVERIFY(aide->navigateur()->toPlainText().contains(
            QStringLiteral("Configuration de la burette Titronic")));
        // F1 goes to the active window.
        QApplication::setActiveWindow(&d);
        QTest::keyClick(&d, Qt::Key_F1);
        QCOMPARE(fenetreAide(&d), aide);
        QCOMPARE(aide->navigateur()->source().fileName(), QStringLiteral("modes.html"));
        d.reject();
    }

    void sansAide() {
        qunsetenv("TELMIRA_AIDE");
        QVERIFY(!aideDisponible());
        TReglagesBalayage reglages;
        TNumeroCom numeros{};
        TBalayageDlg d(reglages, numeros, {});
        d.show();
        QVERIFY(!d.HelpBtn->isVisible());
        AfficheAide(&d, sujets::modes);
        QVERIFY(!fenetreAide(&d));
        d.reject();
        qputenv("TELMIRA_AIDE", TELMIRA_AIDE_SOURCE);
    }

    // Screenshots of the mode dialog's pages and of a help page, into $TELMIRA_CAPTURES.
    void captures() {
        const QString sortie = qEnvironmentVariable("TELMIRA_CAPTURES");
        if (sortie.isEmpty()) QSKIP("TELMIRA_CAPTURES not set");
        QDir().mkpath(sortie);
        // The folders shown are the user's, not the test's.
        QStandardPaths::setTestModeEnabled(false);
        std::vector<std::unique_ptr<TerminalSimule>> ports;
        for (int n : {1, 2, 5}) {
            ports.push_back(std::make_unique<TerminalSimule>());
            banc::pointeCom(n, ports.back()->slave());
        }
        TReglagesBalayage reglages;
        reglages.NomClavier = QStringLiteral("V");
        reglages.UniteClavier = QStringLiteral("mL");
        reglages.MaxiClavier = 25;
        reglages.ComBurette = 2;
        reglages.CodeBeep = 3;
        TNumeroCom numeros{};
        TCrochetsBalayage crochets{[](int, bool) { return QString(); }, [](QWidget*) {}};
        TBalayageDlg d(reglages, numeros, crochets);
        d.show();
        const QStringList noms = {"temps", "barre", "maitre", "clavier", "burette"};
        for (int mode = maTemps; mode <= maBuretteTelmira; ++mode) {
            d.ModeAcqGroupe->button(mode)->click();
            QVERIFY(d.grab().save(sortie + QStringLiteral("/mode-%1.png").arg(noms[mode])));
        }
        d.HelpBtn->click();
        TAideFenetre* aide = fenetreAide(&d);
        QVERIFY(aide);
        QVERIFY(aide->grab().save(sortie + QStringLiteral("/aide-modes.png")));
        d.reject();
        TAProposDlg a;
        a.show();
        QVERIFY(a.grab().save(sortie + QStringLiteral("/apropos.png")));
        banc::aucunPort();
        QStandardPaths::setTestModeEnabled(true);
    }

    void aPropos() {
        TAProposDlg a;
        QCOMPARE(TAProposDlg::version(), QStringLiteral(TELMIRA_VERSION_PROJET));
        QVERIFY(a.findChild<QLabel*>(QStringLiteral("VersionLabel"))
                    ->text()
                    .contains(QStringLiteral(TELMIRA_VERSION_PROJET)));
        auto* liens = a.findChild<QLabel*>(QStringLiteral("LiensLabel"));
        QVERIFY(liens->text().contains(QStringLiteral("index.html")));
    }
};

QTEST_MAIN(TstAide)
#include "tst_aide.moc"
