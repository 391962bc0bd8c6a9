// Data files, clipboard text and page information, written from a store filled by hand.
#include "app/cp1252.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "exchange/donnees.h"
#include "exchange/pagedlg.h"
#include "instruments/appareil.h"
#include "settings/reglages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <unistd.h>

namespace {
std::unique_ptr<Tappareil> appareil(const QString& symbole, const QString& unite,
                                    const QString& nom, int precision) {
    auto a = std::make_unique<Tappareil>();
    a->SymboleGrandeur = symbole;
    a->UniteGrandeur = unite;
    a->nomGrandeur = nom;
    a->Precision = precision;
    return a;
}

QByteArray lit(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> lignes(const QByteArray& octets, const QByteArray& fin) {
    QList<QByteArray> l = octets.split(fin.back());
    if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
    if (fin.size() == 2)
        for (QByteArray& x : l) {
            if (!x.endsWith('\r')) x += "<sans CR>";
            x.chop(1);
        }
    return l;
}

QByteArray octets(const QString& texte) {
    QByteArray b;
    for (const QChar c : texte)
        b += char(c.unicode() < 256 ? c.unicode() : '?');
    return b;
}

// "." of the expected numbers becomes the user's separator.
QByteArray local(QByteArray texte) {
    return texte.replace('.', separateurDecimal().toLatin1());
}

QByteArray programme() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toUtf8();
}
} // namespace

class TstDonnees : public QObject {
    Q_OBJECT

    QTemporaryDir reglages_;
    QTemporaryDir dossier_;
    DialoguesScriptes* reponses_ = nullptr;
    std::unique_ptr<Tappareil> pH_ = appareil(QStringLiteral("pH"), QString(), "pH", 4);
    std::unique_ptr<Tappareil> T_ =
        appareil(QStringLiteral("T"), QStringLiteral("°C"), QStringLiteral("Température"), 5);

    // pH and T against t, three samples, the second pH missing.
    void remplit(TCinetiqueMain& f) {
        f.graphe.NbreVoies = 2;
        f.acq().AppareilAcq[0] = pH_.get();
        f.acq().AppareilAcq[1] = T_.get();
        f.graphe.mondeX.Nom = QStringLiteral("t");
        f.graphe.mondeX.Unite = QStringLiteral("s");
        f.graphe.mondeX.Signif = QStringLiteral("temps");
        const double x[] = {0, 0.5, 1};
        const double ph[] = {7.01, NaN, 0.5};
        const double t[] = {21.5, 22, 22.25};
        for (int i = 0; i < 3; ++i) {
            f.graphe.mondeX.valeur[i] = x[i];
            f.graphe.mondeY[0].valeur[i] = ph[i];
            f.graphe.mondeY[1].valeur[i] = t[i];
        }
        f.graphe.NbrePoints = 3;
        f.acq().dataSaved = false;
    }

    QString sauve(TCinetiqueMain& f, const QString& nom) {
        const QString chemin = dossier_.filePath(nom);
        reponses_->fichiers << chemin;
        f.SaveItemClick();
        return chemin;
    }

    static void locales_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("point") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("virgule") << QLocale(QLocale::French, QLocale::France);
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, reglages_.path());
        installeHorloge(std::make_unique<HorlogeManuelle>());
    }
    void init() {
        ouvreReglages()->clear();
        auto d = std::make_unique<DialoguesScriptes>();
        reponses_ = d.get();
        installeDialogues(std::move(d));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void kalvento_data() { locales_data(); }
    // The analysis program's file, line by line, with the user's separator and "???" for NaN.
    void kalvento() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        TCinetiqueMain f;
        remplit(f);
        f.PageDlg()->Memo->setPlainText(QStringLiteral("essai"));
        const QString chemin = sauve(f, QStringLiteral("essai.kw3"));
        QVERIFY(reponses_->vus.contains(QStringLiteral("Sauvegarde données")));
        QVERIFY(f.acq().FormatKW3);
        QVERIFY(f.acq().dataSaved);
        QVERIFY(f.acq().PagePermise);
        QCOMPARE(f.acq().NomFichierData, chemin);

        const QList<QByteArray> l = lignes(lit(chemin), "\r\n");
        const QList<QByteArray> attendu = {"MORVALDE KALVENTO WINDOWS 1.0",
                                           "\xA3"
                                           "3 NOM VAR",
                                           "t",
                                           "pH",
                                           "T",
                                           "\xA3"
                                           "3 UNITE VAR",
                                           "s",
                                           "",
                                           "\xB0"
                                           "C",
                                           "\xA3"
                                           "1 GRANDEURS",
                                           "'essai",
                                           "\xA3"
                                           "1 ACQUISITION",
                                           programme(),
                                           "\xA3"
                                           "1 PAGE COMMENT"};
        QCOMPARE(l.mid(0, attendu.size()), attendu);
        const QByteArray date =
            octets(QStringLiteral("Cinétique") +
                   QLocale().toString(QDate(1899, 12, 30).addDays(46000), QLocale::ShortFormat));
        QVERIFY2(l.value(14).startsWith(date + ' ') && l.value(14).contains("10:00:00"),
                 l.value(14).constData());
        QCOMPARE(l.mid(15), QList<QByteArray>({"&3 VALEUR VAR", local("0 7.01 21.5"),
                                               local("0.5 ??? 22"), local("1 0.5 22.25")}));
    }

    void texte_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("fin");
        // A table saved just before, in the same run.
        QTest::addColumn<QString>("avant");
        const QLocale point(QLocale::English, QLocale::UnitedStates);
        const QLocale virgule(QLocale::French, QLocale::France);
        QTest::newRow("txt") << point << "a.txt" << QByteArray("\r\n") << QString();
        QTest::newRow("txt virgule") << virgule << "a.txt" << QByteArray("\r\n") << QString();
        QTest::newRow("CSV") << point << "b.CSV" << QByteArray("\n") << QString();
        QTest::newRow("Csv virgule") << virgule << "c.Csv" << QByteArray("\n") << QString();
        QTest::newRow("dat") << virgule << "d.dat" << QByteArray("\r\n") << QString();
        QTest::newRow("sans extension") << point << "e" << QByteArray("\r\n") << QString();
        QTest::newRow("txt après csv") << point << "f.txt" << QByteArray("\r\n") << "f.csv";
        QTest::newRow("csv après txt") << point << "g.csv" << QByteArray("\n") << "g.txt";
    }
    // Tables: "." always, a blank for NaN, line ends from the extension of this file alone.
    void texte() {
        QFETCH(QLocale, locale);
        QFETCH(QString, nom);
        QFETCH(QByteArray, fin);
        QFETCH(QString, avant);
        QLocale::setDefault(locale);
        TCinetiqueMain f;
        remplit(f);
        if (!avant.isEmpty()) sauve(f, avant);
        const QByteArray contenu = lit(sauve(f, nom));
        QVERIFY(!f.acq().FormatKW3);
        QCOMPARE(f.acq().formatCSV, fin == "\n");
        QCOMPARE(contenu.count('\r'), fin == "\n" ? 0 : 5);
        QCOMPARE(lignes(contenu, fin),
                 QList<QByteArray>({"t\tpH\tT",
                                    "s\t\t\xB0"
                                    "C",
                                    "0\t7.01\t21.5", "0.5\t \t22", "1\t0.5\t22.25"}));
        QVERIFY(f.acq().dataSaved);
    }

    void constanteEtRepere_data() { locales_data(); }
    // Only the second constant, and one marker, in the three files and the clipboard text.
    void constanteEtRepere() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        TCinetiqueMain f;
        remplit(f);
        TPageDlg* p = f.PageDlg();
        p->EditNom2->setText(QStringLiteral("θ"));
        p->EditUnite2->setText(QStringLiteral("mol/L"));
        p->EditValeur2->setText(QStringLiteral("2.5m"));
        p->OKBtnClick();
        QCOMPARE(p->NbreConst, 1);
        f.graphe.ListeRepere.append({0.5, QStringLiteral("ajout")});

        const QList<QByteArray> kw3 = lignes(lit(sauve(f, QStringLiteral("c.kw3"))), "\r\n");
        const auto suite = [&](const QByteArray& tete) {
            const qsizetype i = kw3.indexOf(tete);
            return i < 0 ? QByteArray("absent") : kw3.value(i + 1);
        };
        QCOMPARE(suite("\xA3"
                       "1 NOM CONST"),
                 QByteArray("\x8C")); // the analysis program's theta
        QCOMPARE(suite("\xA3"
                       "1 UNITE CONST"),
                 QByteArray("mol/L"));
        QVERIFY(kw3.indexOf("\xA3"
                            "1 UNITE CONST") < kw3.indexOf("\xA3"
                                                           "1 GRANDEURS"));
        QCOMPARE(kw3.mid(kw3.size() - 4),
                 QList<QByteArray>(
                     {"&1 VALEUR CONST", "2.5E-3", "&1 REPERE", local("0.5") + "\tajout"}));

        const QList<QByteArray> attendu = {"", "REPERE", "0.5\tajout", "&1 VALEUR CONST", "2.5E-3"};
        const QList<QByteArray> txt = lignes(lit(sauve(f, QStringLiteral("c.txt"))), "\r\n");
        QCOMPARE(txt.mid(5), attendu);
        const QList<QByteArray> csv = lignes(lit(sauve(f, QStringLiteral("c.csv"))), "\n");
        QCOMPARE(csv.mid(5), attendu);

        const QStringList presse = f.acq().TexteDonnees().split(QStringLiteral("\r\n"));
        QCOMPARE(presse.mid(presse.size() - 7),
                 QStringList({"", "θ", "mol/L", "2.5E-3", "&1 REPERE", "0.5\tajout", ""}));
    }

    void pressePapiers_data() { locales_data(); }
    // The clipboard text: program, comment, three heading lines, samples, then the constants
    // renamed away from the variable names.
    void pressePapiers() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        TCinetiqueMain f;
        remplit(f);
        TPageDlg* p = f.PageDlg();
        p->Memo->setPlainText(QStringLiteral("essai\nligne 2"));
        p->EditNom1->setText(QStringLiteral("t"));
        p->EditUnite1->setText(QStringLiteral("s"));
        p->EditValeur1->setText(QStringLiteral("1,5"));
        p->EditNom2->setText(QStringLiteral("pH"));
        p->EditValeur2->setText(QStringLiteral("4.7k"));
        p->OKBtnClick();
        QCOMPARE(p->NbreConst, 2);
        f.CopyBtn->setEnabled(true);
        f.CopyBtn->click();
        QVERIFY(f.acq().dataSaved);
        const QString attendu = QString::fromUtf8(programme()) +
                                "\r\nessai\r\nligne 2\r\nt\tpH\tT\r\ns\t\t°C\r\n"
                                "temps\tpH\tTempérature\r\n0\t7.01\t21.5\r\n0.5\t \t22\r\n"
                                "1\t0.5\t22.25\r\n\r\nt0\tpH0\r\ns\t\r\n1,5\t4.7E+3\r\n";
        QCOMPARE(QGuiApplication::clipboard()->text(), attendu);
        QCOMPARE(p->EditNom1->text(), QStringLiteral("t0"));
        QCOMPARE(p->EditNom2->text(), QStringLiteral("pH0"));
        // Renamed once: the new names no longer clash.
        QCOMPARE(f.acq().TexteDonnees(), attendu);
    }

    // Until the page dialog is used: one empty comment line and no constant.
    void pageInitiale() {
        TCinetiqueMain f;
        remplit(f);
        QString entete;
        EcritEnteteKW3(entete, f.acq());
        QVERIFY(entete.contains(QStringLiteral("\r\n£1 GRANDEURS\r\n'\r\n£1 ACQUISITION\r\n")));
        QVERIFY(!entete.contains(QStringLiteral("CONST")));
        QVERIFY(
            f.acq().TexteDonnees().startsWith(QString::fromUtf8(programme()) + "\r\n\r\nt\tpH"));
        QVERIFY(!f.PageDlg()->isVisible());
    }

    // A file that cannot be written is told, and the samples stay unsaved.
    void ecritureImpossible() {
        TCinetiqueMain f;
        remplit(f);
        QFile bouchon(dossier_.filePath(QStringLiteral("bouchon")));
        QVERIFY(bouchon.open(QIODevice::WriteOnly));
        bouchon.close();
        for (const QString& nom :
             {QStringLiteral("bouchon/x.kw3"), QStringLiteral("bouchon/x.csv")}) {
            f.acq().PagePermise = true;
            reponses_->vus.clear();
            const QString chemin = sauve(f, nom);
            QCOMPARE(reponses_->vus.last(), QStringLiteral("Erreur d'écriture de ") + chemin);
            QVERIFY(!f.acq().dataSaved);
            QVERIFY(!f.acq().PagePermise);
        }
        // Cancelling the box does nothing.
        reponses_->vus.clear();
        f.SaveItemClick();
        QCOMPARE(reponses_->vus, QStringList({QStringLiteral("Sauvegarde données")}));

        if (geteuid() != 0) {
            // An old file in a folder gone read-only stays whole.
            QTemporaryDir d;
            const QString chemin = d.filePath(QStringLiteral("ancien.txt"));
            QFile ancien(chemin);
            QVERIFY(ancien.open(QIODevice::WriteOnly));
            ancien.write("ancien contenu");
            ancien.close();
            QFile::setPermissions(d.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            reponses_->fichiers << chemin;
            f.SaveItemClick();
            QFile::setPermissions(d.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
            QCOMPARE(lit(chemin), QByteArray("ancien contenu"));
            QVERIFY(!f.acq().dataSaved);
        }
    }

    // A new file replaces an old one of that name whole; a page goes after the old content.
    void remplaceEtAjoutePage() {
        TCinetiqueMain f;
        remplit(f);
        const QString chemin = dossier_.filePath(QStringLiteral("page.kw3"));
        QFile ancien(chemin);
        QVERIFY(ancien.open(QIODevice::WriteOnly));
        ancien.write(QByteArray(5000, '#'));
        ancien.close();
        sauve(f, QStringLiteral("page.kw3"));
        const QByteArray premier = lit(chemin);
        QVERIFY(premier.startsWith("MORVALDE"));
        QVERIFY(!premier.contains('#'));

        f.graphe.mondeX.valeur[3] = 2;
        f.graphe.mondeY[0].valeur[3] = 8;
        f.graphe.mondeY[1].valeur[3] = 23;
        f.graphe.NbrePoints = 4;
        f.acq().dataSaved = false;
        f.FilePageItemClick();
        QVERIFY(f.acq().dataSaved);
        const QByteArray second = lit(chemin);
        QVERIFY(second.startsWith(premier));
        const QList<QByteArray> page = lignes(second.mid(premier.size()), "\r\n");
        QCOMPARE(page.value(0), QByteArray("\xA3"
                                           "1 PAGE COMMENT"));
        QCOMPARE(page.mid(2), QList<QByteArray>({"&4 VALEUR VAR", "0 7.01 21.5", "0.5 ??? 22",
                                                 "1 0.5 22.25", "2 8 23"}));

        // A csv page keeps the LF of its file and writes no heading.
        const QString csv = sauve(f, QStringLiteral("page.csv"));
        f.graphe.NbrePoints = 1;
        f.FilePageItemClick();
        QCOMPARE(lit(csv), QByteArray("t\tpH\tT\ns\t\t\xB0"
                                      "C\n0\t7.01\t21.5\n0.5\t \t22\n1\t0.5\t22.25\n2\t8\t23\n"
                                      "0\t7.01\t21.5\n"));

        // The file has gone: told, nothing created, the samples stay unsaved.
        QVERIFY(QFile::remove(csv));
        f.acq().dataSaved = false;
        reponses_->vus.clear();
        f.FilePageItemClick();
        QCOMPARE(reponses_->vus, QStringList({QStringLiteral("Erreur d'écriture de ") + csv}));
        QVERIFY(!QFile::exists(csv));
        QVERIFY(!f.acq().dataSaved);
    }

    // Whatever was recorded can be saved; a page needs a file written by this run.
    void menuFichier() {
        TCinetiqueMain f;
        f.acq().ModeAcq = maClavier;
        Q_EMIT f.MenuFichier->aboutToShow();
        QVERIFY(!f.EnregistreNouveauFichierItem->isEnabled());
        QVERIFY(!f.EnregistreNouvellePageItem->isEnabled());
        remplit(f);
        f.graphe.NbrePoints = 1;
        Q_EMIT f.MenuFichier->aboutToShow();
        QVERIFY(f.EnregistreNouveauFichierItem->isEnabled());
        QVERIFY(!f.EnregistreNouvellePageItem->isEnabled());
        f.acq().PagePermise = true; // as after a transfer: still no file to add to
        Q_EMIT f.MenuFichier->aboutToShow();
        QVERIFY(!f.EnregistreNouvellePageItem->isEnabled());

        const QString chemin = dossier_.filePath(QStringLiteral("menu.txt"));
        reponses_->fichiers << chemin;
        f.EnregistreNouveauFichierItem->trigger();
        QCOMPARE(lit(chemin).count('\n'), 3);
        Q_EMIT f.MenuFichier->aboutToShow();
        QVERIFY(f.EnregistreNouvellePageItem->isEnabled());
        f.EnregistreNouvellePageItem->trigger();
        QCOMPARE(lit(chemin).count('\n'), 4);
        QVERIFY(f.MenuFichier->actions().contains(f.PageItem));

        // Other channels now: their rows would not fit the file's header.
        f.acq().AppareilAcq[1] = pH_.get();
        Q_EMIT f.MenuFichier->aboutToShow();
        QVERIFY(!f.EnregistreNouvellePageItem->isEnabled());
        QVERIFY(!f.acq().AjoutePage());
        QCOMPARE(lit(chemin).count('\n'), 4);
        f.acq().AppareilAcq[1] = T_.get();
        QVERIFY(f.acq().pagePossible());
    }

    // Greek symbols reach the analysis program in its own code, as the constants do.
    void symbolesGrecs() {
        TCinetiqueMain f;
        remplit(f);
        auto sigma =
            appareil(QStringLiteral("σ"), QStringLiteral("S/m"), QStringLiteral("conductivité"), 4);
        f.acq().AppareilAcq[1] = sigma.get();
        const QList<QByteArray> kw3 = lignes(lit(sauve(f, QStringLiteral("grec.kw3"))), "\r\n");
        const qsizetype i = kw3.indexOf("\xA3"
                                        "3 NOM VAR");
        QVERIFY(i >= 0);
        QCOMPARE(kw3.mid(i + 1, 3),
                 QList<QByteArray>({"t", "pH", versCp1252(CodeGrec(QStringLiteral("σ")))}));
        QVERIFY(kw3.value(i + 3) != "?");
    }

    void constantes_data() {
        QTest::addColumn<QString>("nom1");
        QTest::addColumn<QString>("valeur1");
        QTest::addColumn<QString>("nom2");
        QTest::addColumn<QString>("valeur2");
        QTest::addColumn<QString>("apres1");
        QTest::addColumn<QString>("apres2");
        QTest::addColumn<int>("nbre");
        QTest::addColumn<bool>("const1");
        QTest::addColumn<bool>("const2");
        QTest::newRow("milli") << "C"
                               << "2.5m"
                               << ""
                               << ""
                               << "2.5E-3"
                               << "" << 1 << true << false;
        QTest::newRow("kilo, virgule") << "R"
                                       << "4,7k"
                                       << "L"
                                       << "5k"
                                       << "4,7E+3"
                                       << "5E+3" << 2 << true << true;
        QTest::newRow("m seul") << "C"
                                << "m"
                                << ""
                                << ""
                                << "m"
                                << "" << 0 << false << false;
        QTest::newRow("sans valeur, sans symbole") << "C"
                                                   << ""
                                                   << ""
                                                   << "3"
                                                   << ""
                                                   << "3" << 0 << false << false;
        QTest::newRow("second seul") << ""
                                     << "x"
                                     << "V"
                                     << "12"
                                     << "x"
                                     << "12" << 1 << false << true;
    }
    void constantes() {
        QFETCH(QString, nom1);
        QFETCH(QString, valeur1);
        QFETCH(QString, nom2);
        QFETCH(QString, valeur2);
        TInfosPage infos;
        TPageDlg p(infos);
        QCOMPARE(p.LignesCommentaire(), QStringList({QString()}));
        QCOMPARE(p.NbreConst, 0);
        p.EditNom1->setText(nom1);
        p.EditValeur1->setText(valeur1);
        p.EditNom2->setText(nom2);
        p.EditValeur2->setText(valeur2);
        p.OKBtnClick();
        QTEST(p.EditValeur1->text(), "apres1");
        QTEST(p.EditValeur2->text(), "apres2");
        QTEST(int(p.NbreConst), "nbre");
        QTEST(p.Const1, "const1");
        QTEST(p.Const2, "const2");
    }

    // Through the menu: a changed symbol forbids a further page, cancel keeps texts and counts.
    void dialoguePage() {
        TCinetiqueMain f;
        f.acq().PagePermise = true;
        TPageDlg* p = f.PageDlg();
        QCOMPARE(f.PageDlg(), p);
        p->PrepareAffichage(true);
        QCOMPARE(p->OKBtn->text(), QStringLiteral("Enregistrer"));
        QCOMPARE(p->windowTitle(),
                 QStringLiteral("Enregistre les données courantes dans Kalvento"));
        const auto joue = [&](std::function<void()> geste) {
            QTimer::singleShot(0, p, [=] { geste(); });
            f.PageItem->trigger();
        };
        joue([p] {
            p->EditNom1->setText(QStringLiteral("C"));
            p->EditValeur1->setText(QStringLiteral("0.1"));
            p->OKBtn->click();
        });
        QCOMPARE(p->windowTitle(), QStringLiteral("Renseignements sur la page courante"));
        QCOMPARE(p->OKBtn->text(), QStringLiteral("OK"));
        QVERIFY(p->ModifConst);
        QVERIFY(!f.acq().PagePermise);
        QCOMPARE(p->NbreConst, 1);

        f.acq().PagePermise = true;
        joue([p] { p->OKBtn->click(); });
        QVERIFY(!p->ModifConst);
        QVERIFY(f.acq().PagePermise);

        joue([p] {
            p->EditNom2->setText(QStringLiteral("V"));
            p->EditValeur2->setText(QStringLiteral("2"));
            p->CancelBtn->click();
        });
        QVERIFY(f.acq().PagePermise);
        QCOMPARE(p->EditNom2->text(), QStringLiteral("V"));
        QCOMPARE(p->NbreConst, 1);
        QVERIFY(!p->Const2);
    }
};

QTEST_MAIN(TstDonnees)
#include "tst_donnees.moc"
