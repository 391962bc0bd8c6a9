// Files the program writes beside itself: where they go, and that a symbolic link planted in
// their place is never followed.
#include "../commun/banc.h"
#include "instruments/listeappareil.h"
#include "settings/emplacement.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray lit(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstEmplacement : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() { banc::reglagesPrives(reglages_); }

    void dossier_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("autreProprietaire");
        QTest::addColumn<bool>("aCote");
        QTest::newRow("à moi") << 0755 << false << true;
        QTest::newRow("groupe") << 0775 << false << false;
        QTest::newRow("tous") << 0777 << false << false;
        QTest::newRow("tous, collant") << 01777 << false << false;
        QTest::newRow("lecture seule") << 0555 << false << (geteuid() == 0);
        QTest::newRow("autre propriétaire") << 0755 << true << false;
    }
    void dossier() {
        QFETCH(int, mode);
        QFETCH(bool, autreProprietaire);
        QFETCH(bool, aCote);
        QTemporaryDir programme;
        if (autreProprietaire &&
            (geteuid() != 0 || ::chown(QFile::encodeName(programme.path()), 65534, 65534) != 0))
            QSKIP("changer de propriétaire demande d'être root");
        QCOMPARE(::chmod(QFile::encodeName(programme.path()), mode_t(mode)), 0);
        const QString choisi = dossierFichiersProgramme(programme.path());
        ::chmod(QFile::encodeName(programme.path()), 0700);
        if (aCote)
            QCOMPARE(choisi, programme.path());
        else {
            QCOMPARE(choisi, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
            QVERIFY(QFileInfo(choisi).isDir());
        }
    }

    // A link in the file's place: nothing is written through it, nothing read from it; a plain
    // file is replaced whole and keeps its permissions.
    void lienRefuse() {
        QTemporaryDir dossier;
        const QString cible = dossier.filePath("cible");
        const QString chemin = dossier.filePath("telmira.INI");
        QVERIFY(ecritSansLien(cible, "précieux"));
        QVERIFY(QFile::link(cible, chemin));
        QByteArray octets = "x";
        QVERIFY(!litSansLien(chemin, octets));
        QVERIFY(octets.isEmpty());
        QVERIFY(!ecritSansLien(chemin, "écrasé"));
        QCOMPARE(lit(cible), QByteArray("précieux"));

        // The device list: the catalogue is offered, and saving refuses the link.
        TModuleAppareils module(chemin);
        QVERIFY(module.ChargeAppareils());
        QCOMPARE(module.listeAppareil.Count(), 97);
        QVERIFY(!module.SauveAppareils());
        QCOMPARE(lit(cible), QByteArray("précieux"));
        QVERIFY(QFileInfo(chemin).isSymLink());

        // A dangling link is no better.
        QVERIFY(QFile::remove(cible));
        QVERIFY(!ecritSansLien(chemin, "écrasé"));
        QVERIFY(!QFileInfo::exists(cible));

        // A plain file: replaced, its permissions kept, no temporary file left.
        QVERIFY(QFile::remove(chemin));
        QVERIFY(ecritSansLien(chemin, "un"));
        QCOMPARE(::chmod(QFile::encodeName(chemin), 0600), 0);
        QVERIFY(module.SauveAppareils());
        QVERIFY(litSansLien(chemin, octets));
        QVERIFY(octets.startsWith("[Index]\r\n0=BAUSCH Spectronic 501/601\r\n"));
        QCOMPARE(QFileInfo(chemin).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(QDir(dossier.path()).entryList(QDir::Files), QStringList{"telmira.INI"});
    }

    // The list kept beside the program (by an earlier version, or installed for a whole lab) is
    // taken up while the user's own file does not exist, when nobody else could have put it
    // there.
    void ancienFichierRepris() {
        QTemporaryDir dossier;
        const QString ancien = dossier.filePath("ancien.INI");
        QVERIFY(ecritSansLien(ancien, "[Index]\r\n0=Mien\r\n[Mien]\r\nNom=pH\r\n"));
        TModuleAppareils module(dossier.filePath("nouveau.INI"), ancien);
        QVERIFY(module.ChargeAppareils());
        QCOMPARE(module.listeAppareil.Count(), 1);
        QVERIFY(module.SauveAppareils());
        QVERIFY(QFileInfo::exists(dossier.filePath("nouveau.INI")));

        // Someone else's file, or a link, is not read.
        QVERIFY(QFile::remove(dossier.filePath("nouveau.INI")));
        QVERIFY(QFile::rename(ancien, dossier.filePath("cible")));
        QVERIFY(QFile::link(dossier.filePath("cible"), ancien));
        QVERIFY(module.ChargeAppareils());
        QCOMPARE(module.listeAppareil.Count(), 97);
        // Someone else's file in a folder everybody may write is not read either.
        if (geteuid() == 0) {
            QVERIFY(QFile::remove(ancien));
            QVERIFY(QFile::rename(dossier.filePath("cible"), ancien));
            QCOMPARE(::chown(QFile::encodeName(ancien), 65534, 65534), 0);
            QCOMPARE(::chmod(QFile::encodeName(dossier.path()), 0777), 0);
            QVERIFY(module.ChargeAppareils());
            QCOMPARE(module.listeAppareil.Count(), 97);
            QCOMPARE(::chmod(QFile::encodeName(dossier.path()), 0700), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TstEmplacement)
#include "tst_emplacement.moc"
