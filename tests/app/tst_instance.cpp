#include "app/instanceunique.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// One copy per user: the hand-over of a second start, in the process and with the program.
class TstInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void passageDeLArgument() {
        QTemporaryDir dossier;
        TInstanceUnique premiere(dossier.path());
        QVERIFY(premiere.VerifieInstanceUnique({}));
        QSignalSpy restaure(&premiere, &TInstanceUnique::restaurationDemandee);
        QSignalSpy argument(&premiere, &TInstanceUnique::argumentRecu);

        TInstanceUnique seconde(dossier.path());
        QVERIFY(!seconde.VerifieInstanceUnique(
            {QStringLiteral("/tmp/dosage pH é.tm2"), QStringLiteral("autre")}));
        QTRY_COMPARE(argument.size(), 1);
        QCOMPARE(argument.first().first().toString(), QStringLiteral("/tmp/dosage pH é.tm2"));
        QCOMPARE(restaure.size(), 1);

        TInstanceUnique troisieme(dossier.path());
        QVERIFY(!troisieme.VerifieInstanceUnique({}));
        QTRY_COMPARE(restaure.size(), 2);
        QCOMPARE(argument.size(), 1); // no argument, nothing handed over

        // Started in another folder: the running copy gets the file's full path; a name that
        // is no file goes as it was typed.
        QTemporaryDir ailleurs;
        QVERIFY(QFile(ailleurs.filePath("essai.tm2")).open(QIODevice::WriteOnly));
        const QString avant = QDir::currentPath();
        QDir::setCurrent(ailleurs.path());
        for (const char* nom : {"essai.tm2", "absent.tm2"}) {
            TInstanceUnique autre(dossier.path());
            QVERIFY(!autre.VerifieInstanceUnique({QString::fromLatin1(nom)}));
        }
        QDir::setCurrent(avant);
        QTRY_COMPARE(argument.size(), 3);
        QCOMPARE(argument.at(1).first().toString(),
                 QFileInfo(ailleurs.filePath("essai.tm2")).absoluteFilePath());
        QCOMPARE(argument.at(2).first().toString(), QStringLiteral("absent.tm2"));

        // Only this user can reach the channel.
        const QFileInfo canal(premiere.nomCanal());
        QVERIFY(canal.exists());
        QCOMPARE(canal.permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                 QFile::Permissions());
    }

    void socketAbandonne() {
        QTemporaryDir dossier;
        const QByteArray chemin = QFile::encodeName(dossier.filePath(QStringLiteral("KALSERIE")));
        // What a crashed copy leaves: a bound socket file nobody listens on.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un adresse{};
        adresse.sun_family = AF_UNIX;
        qstrncpy(adresse.sun_path, chemin.constData(), sizeof adresse.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse), 0);
        ::close(fd);
        QVERIFY(QFileInfo::exists(QString::fromLocal8Bit(chemin)));

        TInstanceUnique apres(dossier.path());
        QVERIFY(apres.VerifieInstanceUnique({}));
        TInstanceUnique seconde(dossier.path());
        QVERIFY(!seconde.VerifieInstanceUnique({}));
    }

    // A client that never ends its line, or says nothing, is cut off; the channel still serves.
    void clientBorne() {
        QTemporaryDir dossier;
        TInstanceUnique premiere(dossier.path());
        QVERIFY(premiere.VerifieInstanceUnique({}));
        QSignalSpy argument(&premiere, &TInstanceUnique::argumentRecu);
        for (const QByteArray& envoi : {QByteArray(), "ARGUMENT " + QByteArray(1 << 20, 'A')}) {
            QLocalSocket client;
            client.connectToServer(premiere.nomCanal());
            QVERIFY(client.waitForConnected(1000));
            client.write(envoi);
            QSignalSpy coupe(&client, &QLocalSocket::disconnected);
            QVERIFY(coupe.wait(3 * TInstanceUnique::DelaiClientMs));
        }
        QCOMPARE(argument.size(), 0);
        TInstanceUnique seconde(dossier.path());
        QVERIFY(!seconde.VerifieInstanceUnique({QStringLiteral("/tmp/x.tm2")}));
        QTRY_COMPARE(argument.size(), 1);
    }

    // Without a runtime folder the channel goes to a folder of this user alone, never to a
    // name of the shared temporary folder that someone else may have taken first.
    void sansDossierRuntime() {
        QTemporaryDir temporaire;
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temporaire.path()));
        qunsetenv("XDG_RUNTIME_DIR");
        // What makes the runtime folder unusable: its fallback name taken by a file.
        QVERIFY(QFile(temporaire.filePath(QStringLiteral("runtime-") +
                                          QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name)))
                    .open(QIODevice::WriteOnly));
        // Someone listens on the fixed name of the shared folder.
        QLocalServer piege;
        QVERIFY(piege.listen(temporaire.filePath(QStringLiteral("KALSERIE"))));

        TInstanceUnique premiere;
        QVERIFY(premiere.VerifieInstanceUnique({QStringLiteral("/tmp/secret.tm2")}));
        QVERIFY(!piege.hasPendingConnections());
        const QFileInfo dossier(QFileInfo(premiere.nomCanal()).path());
        QCOMPARE(dossier.fileName(), QStringLiteral("telmira-%1").arg(::geteuid()));
        QCOMPARE(dossier.permissions() & (QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
        TInstanceUnique seconde;
        QVERIFY(!seconde.VerifieInstanceUnique({}));

        // That folder writable by others is not used: the copy runs alone.
        ::chmod(QFile::encodeName(dossier.filePath()).constData(), 0777);
        TInstanceUnique troisieme;
        QVERIFY(troisieme.nomCanal().isEmpty());
        QVERIFY(troisieme.VerifieInstanceUnique({}));

        if (tmpdir.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", tmpdir);
        if (!runtime.isEmpty()) qputenv("XDG_RUNTIME_DIR", runtime);
    }

    void programmeLanceDeuxFois() {
        QTemporaryDir maison;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", maison.path());
        env.insert("XDG_RUNTIME_DIR", maison.filePath("run"));
        env.insert("XDG_CONFIG_HOME", maison.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QDir(maison.path()).mkpath("run");
        QFile::setPermissions(maison.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess premiere;
        premiere.setProcessEnvironment(env);
        premiere.start(QStringLiteral(TELMIRA_PROGRAMME), {});
        QVERIFY(premiere.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(maison.filePath("run/KALSERIE")), 10000);
        // The data folder is made before anything else.
        QVERIFY(QFileInfo(maison.filePath("Documents/Kalvento")).isDir());

        QProcess seconde;
        seconde.setProcessEnvironment(env);
        QElapsedTimer chrono;
        chrono.start();
        seconde.start(QStringLiteral(TELMIRA_PROGRAMME), {QStringLiteral("/tmp/essai.tm2")});
        QVERIFY(seconde.waitForFinished(2000));
        QVERIFY(chrono.elapsed() < 2000);
        QCOMPARE(seconde.exitStatus(), QProcess::NormalExit);
        QCOMPARE(seconde.exitCode(), 0);
        QCOMPARE(premiere.state(), QProcess::Running);

        // A close request with no sample asks nothing, writes the settings and ends cleanly.
        premiere.terminate();
        QVERIFY(premiere.waitForFinished(5000));
        QCOMPARE(premiere.exitStatus(), QProcess::NormalExit);
        QCOMPARE(premiere.exitCode(), 0);
        const QSettings ecrits(maison.filePath("config/Telmira/Telmira.conf"),
                               QSettings::IniFormat);
        QCOMPARE(ecrits.value("AppareilRecent/Nombre").toString(), QStringLiteral("0"));
        QCOMPARE(ecrits.value("AppareilRecent/Liste").toString(), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TstInstance)
#include "tst_instance.moc"
