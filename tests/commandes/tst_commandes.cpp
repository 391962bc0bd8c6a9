#include "../commun/banc.h"
#include "app/cp1252.h"
#include "app/dialogues.h"
#include "exchange/canallocal.h"
#include "exchange/clientcommande.h"
#include "exchange/serveurcommandes.h"
#include "exchange/typefichier.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Records what the macros ask for. A set-up loads when its name ends in ".tm2"; a name holding
// "illisible" shows the loader's error box, one holding "exception" throws.
class Actions : public TActionsMacro {
public:
    bool LitConfig(const QString& NomFichier) override {
        journal << QStringLiteral("LitConfig(%1)").arg(NomFichier);
        if (NomFichier.contains(QLatin1String("exception"))) throw std::runtime_error("lecture");
        if (NomFichier.contains(QLatin1String("illisible"))) {
            dialogues().erreur(QStringLiteral("Erreur lecture ") + NomFichier);
            return false;
        }
        return NomFichier.endsWith(QLatin1String(".tm2"), Qt::CaseInsensitive);
    }
    bool SauveConfig(const QString& NomFichier) override {
        journal << QStringLiteral("SauveConfig(%1)").arg(NomFichier);
        return true;
    }
    void SetPagePermise(bool Permise) override {
        journal << QStringLiteral("PagePermise(%1)").arg(int(Permise));
    }
    void PrendFocus() override { journal << QStringLiteral("Focus"); }
    void DemarreAppelKalvento() override { journal << QStringLiteral("AppelKalvento"); }
    QStringList journal;
};

const QString service = QStringLiteral("essai");
} // namespace

// The command server against the command-line client, in one process: what each macro does,
// what it answers, and what bad callers cannot do.
class TstCommandes : public QObject {
    Q_OBJECT

    QTemporaryDir dossier;
    Actions actions;
    DialoguesScriptes* boites = nullptr;
    std::unique_ptr<TServeurCommandes> serveur;

    int envoie(const QString& macro, QString* reponse = nullptr) {
        QString sortie;
        QTextStream flux(&sortie);
        const int code = EnvoieMacroCommande(macro, flux, dossier.path(), service, 10000);
        flux.flush();
        if (reponse) *reponse = sortie.trimmed();
        return code;
    }
    std::unique_ptr<QLocalSocket> connecte() {
        auto s = std::make_unique<QLocalSocket>();
        s->connectToServer(serveur->nomCanal());
        return s->waitForConnected(2000) ? std::move(s) : nullptr;
    }

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier);
        auto d = std::make_unique<DialoguesScriptes>();
        boites = d.get();
        installeDialogues(std::move(d));
    }
    void init() {
        actions.journal.clear();
        boites->vus.clear();
        serveur = std::make_unique<TServeurCommandes>(actions, dossier.path(), service);
        QVERIFY(serveur->Demarre());
    }
    void cleanup() { serveur.reset(); }

    void macros_data() {
        QTest::addColumn<QString>("macro");
        QTest::addColumn<QStringList>("journal");
        QTest::addColumn<QString>("reponse");
        QTest::addColumn<bool>("boite");
        const QString ok = QStringLiteral("ok");
        const QString unSeul = QStringLiteral("Un message à la fois SVP");
        QTest::newRow("chargement")
            << "CONFIG|LOAD(/tmp/dosage pH é.tm2)" << QStringList{"LitConfig(/tmp/dosage pH é.tm2)"}
            << ok << false;
        QTest::newRow("casse ignorée, argument tel quel")
            << "file|Load(/x/Essai.TM2)" << QStringList{"LitConfig(/x/Essai.TM2)"} << ok << false;
        QTest::newRow("coupé à la première parenthèse fermante")
            << "FILE|LOAD(/d(1)/f.tm2)" << QStringList{"LitConfig(/d(1)"}
            << "Configuration non chargée : /d(1" << false;
        QTest::newRow("fermante avant ouvrante")
            << "CONFIG|LOAD)x(" << QStringList{}
            << "Telmira/Quelvane Fonction inconnue : CONFIG|LOAD)x(" << true;
        QTest::newRow("boîte du chargeur")
            << "CONFIG|LOAD(/tmp/illisible.tm2)" << QStringList{"LitConfig(/tmp/illisible.tm2)"}
            << "Erreur lecture /tmp/illisible.tm2" << true;
        QTest::newRow("exception")
            << "CONFIG|LOAD(exception.tm2)" << QStringList{"LitConfig(exception.tm2)"}
            << "Telmira/Quelvane : erreur syntaxe macro DDE" << true;
        QTest::newRow("sauvegarde")
            << "CONFIG|SAVE(essai)" << QStringList{"SauveConfig(essai)"} << ok << false;
        QTest::newRow("sauvegarde fichier")
            << "File|Save(/tmp/b)" << QStringList{"SauveConfig(/tmp/b)"} << ok << false;
        QTest::newRow("sauvegarde sans nom")
            << "CONFIG|SAVE(/tmp/)" << QStringList{}
            << "Nom de fichier de configuration manquant : CONFIG|SAVE(/tmp/)" << false;
        QTest::newRow("focus") << "FOCUS" << QStringList{"PagePermise(0)", "Focus"} << ok << false;
        QTest::newRow("focus()") << "focus()" << QStringList{"PagePermise(0)", "Focus"} << ok
                                 << false;
        QTest::newRow("saut de ligne final")
            << "FOCUS\r\n"
            << QStringList{"PagePermise(0)", "Focus"} << ok << false;
        QTest::newRow("getdata") << "GETDATA" << QStringList{"PagePermise(1)", "AppelKalvento"}
                                 << ok << false;
        QTest::newRow("deux lignes") << "FOCUS\r\nGETDATA" << QStringList{} << unSeul << true;
        QTest::newRow("vide") << "" << QStringList{} << unSeul << true;
        QTest::newRow("inconnue") << "LOAD(x)" << QStringList{}
                                  << "Telmira/Quelvane Fonction inconnue : LOAD(x)" << true;
    }
    void macros() {
        QFETCH(QString, macro);
        QFETCH(QStringList, journal);
        QFETCH(QString, reponse);
        QFETCH(bool, boite);
        QString recue;
        QCOMPARE(envoie(macro, &recue), reponse == QLatin1String("ok") ? 0 : 1);
        QCOMPARE(recue, reponse);
        // "GETDATA" starts the acquisition only after answering.
        QTRY_COMPARE(actions.journal, journal);
        QCOMPARE(boites->vus.contains(reponse), boite);
    }

    void attendLaFinDuDialogue() {
        bool dialogueOuvert = true;
        serveur->PeutExecuter = [&] { return !dialogueOuvert; };
        auto a = connecte();
        auto b = connecte();
        QVERIFY(a && b);
        a->write(QByteArray("CONFIG|LOAD(/tmp/a.tm2)") + '\0');
        // What follows a waiting request stays with its sender: the server does not buffer it.
        const qsizetype beaucoup = 8 * 1024 * 1024;
        b->write(QByteArray("FOCUS") + '\0' + QByteArray(beaucoup, 'A'));
        banc::laisse(200);
        a->flush();
        b->flush();
        QVERIFY(actions.journal.isEmpty());
        QVERIFY(b->bytesToWrite() > beaucoup / 2);
        dialogueOuvert = false;
        serveur->Reessaie();
        QTRY_COMPARE(actions.journal,
                     (QStringList{"LitConfig(/tmp/a.tm2)", "PagePermise(0)", "Focus"}));
        QTRY_VERIFY(a->canReadLine() && b->canReadLine());
        QCOMPARE(a->readLine(), QByteArray("ok\n"));
        QCOMPARE(b->readLine(), QByteArray("ok\n"));
        QTRY_VERIFY(b->canReadLine());
        QVERIFY(b->readLine().startsWith("Commande trop longue"));
    }

    void demandesMalFormees() {
        // A caller that sends several requests and leaves: each one still runs, in order, the
        // set-up asked by "GETDATA" before the next macro.
        {
            auto s = connecte();
            s->write(QByteArray("GETDATA\0CONFIG|SAVE(x)\0", 24));
            s->flush();
        }
        QTRY_COMPARE(actions.journal,
                     (QStringList{"PagePermise(1)", "AppelKalvento", "SauveConfig(x)"}));

        // Binary junk: one answer per NUL, each on one line.
        auto junk = connecte();
        QByteArray octets(8192, '\0');
        QRandomGenerator alea(1234);
        for (char& o : octets)
            o = char(alea.bounded(256));
        const qsizetype nuls = octets.count('\0');
        junk->write(octets);
        QByteArrayList lignes;
        QVERIFY(banc::attend([&] {
            while (junk->canReadLine())
                lignes << junk->readLine();
            return lignes.size() == nuls;
        }));
        for (const QByteArray& l : lignes)
            QVERIFY(l.size() > 1 && l.indexOf('\n') == l.size() - 1);

        // Megabytes without a NUL: refused once one request's worth has come, connection closed.
        auto gros = connecte();
        gros->write(QByteArray(4 * 1024 * 1024, 'A'));
        QTRY_VERIFY(gros->bytesToWrite() == 0 && gros->canReadLine());
        QCOMPARE(depuisCp1252(gros->readLine()), QStringLiteral("Commande trop longue, refusée\n"));

        // A request that never ends is refused after a silence.
        serveur->delaiInactiviteMs = 200;
        serveur->delaiAbandonMs = 200;
        auto incomplet = connecte();
        incomplet->write("FOCUS");
        QTRY_VERIFY(incomplet->canReadLine());
        QVERIFY(
            depuisCp1252(incomplet->readLine()).startsWith(QStringLiteral("Commande incomplète")));
        QTRY_COMPARE(incomplet->state(), QLocalSocket::UnconnectedState);

        // A flood of connections: those beyond the limit are refused, with an answer.
        junk.reset();
        banc::laisse(50);
        std::vector<std::unique_ptr<QLocalSocket>> foule;
        for (int i = 0; i < 3 * TServeurCommandes::maxConnexions; ++i)
            foule.push_back(connecte());
        int refusees = 0;
        QVERIFY(banc::attend([&] {
            refusees = 0;
            for (auto& s : foule)
                if (s && s->state() == QLocalSocket::UnconnectedState) ++refusees;
            return refusees >= 2 * TServeurCommandes::maxConnexions;
        }));
        QVERIFY(foule.back()->readAll().startsWith("Trop de connexions"));
        foule.clear();
        // Nothing of all this keeps the server from serving.
        QTRY_COMPARE(envoie(QStringLiteral("GETDATA")), 0);
        QCOMPARE(boites->vus.count(QStringLiteral("Telmira/Quelvane : erreur syntaxe macro DDE")),
                 0);
    }

    void canal() {
        // Only this user can reach it, and a second server does not take it over.
        const QFileInfo info(serveur->nomCanal());
        QCOMPARE(info.permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFile::Permissions());
        TServeurCommandes second(actions, dossier.path(), service);
        QVERIFY(!second.Demarre());
        QCOMPARE(envoie(QStringLiteral("FOCUS")), 0);

        // A socket left by a copy that crashed is replaced.
        serveur.reset();
        const QByteArray chemin = QFile::encodeName(info.filePath());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un adresse{};
        adresse.sun_family = AF_UNIX;
        qstrncpy(adresse.sun_path, chemin.constData(), sizeof adresse.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse), 0);
        ::close(fd);
        QVERIFY(second.Demarre());
        QCOMPARE(envoie(QStringLiteral("FOCUS")), 0);

        // No copy running: a clear message, and a code a script can test.
        QString reponse;
        QTextStream flux(&reponse);
        QCOMPARE(EnvoieMacroCommande(QStringLiteral("FOCUS"), flux, dossier.path(),
                                     QStringLiteral("absent")),
                 2);
        flux.flush();
        QVERIFY(reponse.contains(QStringLiteral("Aucune copie de absent n'est lancée")));
    }

    void extremitesDuCanal() {
        // Against the toolkit's own local sockets: a bounded read buffer leaves the rest with
        // the system, what came before the other end left can still be read, and an end that
        // closes sends all it holds first.
        TServeurLocal ecoute;
        QVERIFY(ecoute.listen(dossier.filePath(QStringLiteral("bout"))));
        QSignalSpy arrivee(&ecoute, &TServeurLocal::newConnection);
        QLocalSocket pair;
        pair.connectToServer(dossier.filePath(QStringLiteral("bout")));
        QVERIFY(pair.waitForConnected(2000));
        QTRY_COMPARE(arrivee.count(), 1);
        TSocketLocal* bout = ecoute.nextPendingConnection();
        QVERIFY(bout);
        bout->setReadBufferSize(4);
        pair.write("0123456789\n");
        QTRY_COMPARE(bout->bytesAvailable(), 4);
        QCOMPARE(bout->read(4), QByteArray("0123"));
        QTRY_COMPARE(bout->bytesAvailable(), 4);
        bout->setReadBufferSize(0);
        QSignalSpy parti(bout, &TSocketLocal::disconnected);
        pair.disconnectFromServer();
        QTRY_COMPARE(parti.count(), 1);
        QCOMPARE(bout->state(), TSocketLocal::UnconnectedState);
        QVERIFY(bout->canReadLine());
        QCOMPARE(bout->readAll(), QByteArray("456789\n"));

        QLocalServer autre;
        QVERIFY(autre.listen(dossier.filePath(QStringLiteral("autre"))));
        TSocketLocal client;
        client.connectToServer(autre.fullServerName());
        QVERIFY(client.waitForConnected());
        QTRY_VERIFY(autre.hasPendingConnections());
        QLocalSocket* recoit = autre.nextPendingConnection();
        const QByteArray gros(4 << 20, 'x');
        QCOMPARE(client.write(gros), gros.size());
        client.disconnectFromServer();
        QByteArray recu;
        QTRY_VERIFY_WITH_TIMEOUT((recu += recoit->readAll()).size() == gros.size(), 10000);
        QTRY_COMPARE(client.state(), TSocketLocal::UnconnectedState);
    }

    void typeFichier() {
        const QString racine = dossier.filePath(QStringLiteral("partage"));
        QVERIFY(EnregistreTypeFichier(racine, false));
        QFile entree(racine + QStringLiteral("/applications/tst_commandes.desktop"));
        QVERIFY(entree.open(QIODevice::ReadOnly));
        const QByteArray texte = entree.readAll();
        QVERIFY(texte.contains("\nMimeType=application/x-telmira-config;\n"));
        QVERIFY(texte.contains(
            "\nExec=" + LigneExec(QCoreApplication::applicationFilePath()).toUtf8() + "\n"));
        // Quoted as desktop entries want it: reserved characters escaped twice, % doubled.
        QCOMPARE(LigneExec(QStringLiteral("/a b/$x\"y`z\\w%1/t")),
                 QStringLiteral("\"/a b/\\\\$x\\\\\"y\\\\`z\\\\\\\\w%%1/t\" %f"));
        // Written again only when something changed.
        QVERIFY(!EnregistreTypeFichier(racine, false));

        // The desktop's own tool reads the type.
        const QString outil =
            QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (outil.isEmpty()) QSKIP("update-mime-database absent");
        QProcess maj;
        maj.start(outil, {racine + QStringLiteral("/mime")});
        QVERIFY(maj.waitForFinished());
        QCOMPARE(maj.exitCode(), 0);
        QFile globs(racine + QStringLiteral("/mime/globs2"));
        QVERIFY(globs.open(QIODevice::ReadOnly));
        QVERIFY(globs.readAll().contains(":application/x-telmira-config:*.tm2"));
    }
};

QTEST_GUILESS_MAIN(TstCommandes)
#include "tst_commandes.moc"
