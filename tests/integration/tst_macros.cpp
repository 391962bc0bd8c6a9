// The command channel end to end: the real program running against the instrument simulator,
// driven by `telmira --macro` processes, with a user at its keyboard (Qt's VNC platform lets the
// test type into it: Enter closes a message box, the space bar is "Acquérir"); then the samples
// of a "GETDATA" run handed to a stand-in of the analysis program, inside this process where the
// clipboard they travel on can be read.
#include "../commandes/fauxkalvento.h"
#include "../commun/bancfenetre.h"

#include "display/actionsmacro.h"
#include "exchange/canalcommande.h"
#include "exchange/clientcommande.h"
#include "exchange/serveurcommandes.h"
#include "instruments/listeappareil.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>
#include <QtEndian>

namespace {
const QString programme = QStringLiteral(TELMIRA_PROGRAMME);

// The demonstration set-up cut to its pH meter (polled with "GP" on COM1), 8 samples a second
// apart.
QByteArray configurationCourte() {
    QFile demo(QStringLiteral(TELMIRA_DEMO));
    if (!demo.open(QIODevice::ReadOnly)) return {};
    return demo.readAll()
        .replace("Deltat=2", "Deltat=1")
        .replace("Duree=300", "Duree=8")
        .replace("Nvoies=3", "Nvoies=1");
}

bool ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size();
}

// A keyboard on the program's VNC screen: the handshake of the protocol's version 3.3 without
// security, then key presses.
class ClavierVnc {
public:
    bool connecte(quint16 port) {
        socket_.abort();
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!socket_.waitForConnected(3000) || !lit(12).startsWith("RFB ")) return false;
        socket_.write("RFB 003.003\n");
        if (lit(4) != QByteArray("\0\0\0\x01", 4)) return false; // no security
        socket_.write(QByteArray(1, '\x01'));                    // shared screen
        const QByteArray init = lit(24);
        return init.size() == 24 && lit(qFromBigEndian<quint32>(init.constData() + 20)).size() >= 0;
    }
    void touche(quint32 keysym) {
        for (const char bas : {'\x01', '\x00'}) {
            QByteArray m(8, '\0');
            m[0] = 4;
            m[1] = bas;
            qToBigEndian(keysym, m.data() + 4);
            socket_.write(m);
        }
        socket_.flush();
    }
    static constexpr quint32 Entree = 0xff0d;
    static constexpr quint32 Espace = 0x20;

private:
    QByteArray lit(qint64 n) {
        QByteArray octets;
        while (octets.size() < n) {
            if (!socket_.bytesAvailable() && !socket_.waitForReadyRead(3000)) return {};
            octets += socket_.read(n - octets.size());
        }
        return octets;
    }
    QTcpSocket socket_;
};

quint16 portLibre() {
    QTcpServer essai;
    essai.listen(QHostAddress::LocalHost);
    return essai.serverPort();
}

struct Reponse {
    int code = -1;
    QString texte;
};
} // namespace

class TstMacros : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    QProcess simulateur_;
    QProcess telmira_;
    QByteArray traceSimulateur_;
    ClavierVnc clavier_;

    [[nodiscard]] QString chemin(const QString& nom) const { return dossier_.filePath(nom); }
    [[nodiscard]] QString canaux() const { return chemin(QStringLiteral("run")); }

    [[nodiscard]] QProcessEnvironment environnement() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (int n = 1; n <= 50; ++n)
            env.insert(QStringLiteral("TELMIRA_COM%1").arg(n), QStringLiteral("/nonexistent"));
        env.insert(QStringLiteral("TELMIRA_COM1"), chemin(QStringLiteral("com1")));
        env.insert(QStringLiteral("HOME"), dossier_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), chemin(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), chemin(QStringLiteral("donnees")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), chemin(QStringLiteral("etat")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), canaux());
        return env;
    }

    // Requests the simulator has received so far.
    int demandesVues() {
        traceSimulateur_ += simulateur_.readAllStandardError();
        return int(traceSimulateur_.count("reçu « GP<CR> »"));
    }

    // `telmira --macro <macro>`; while it waits, the user presses `touche` (0: none) now and
    // then, as one does to close a box.
    Reponse macro(const QString& texte, quint32 touche = 0) {
        QProcess client;
        client.setProcessEnvironment(environnement());
        client.start(programme, {QStringLiteral("--macro"), texte});
        client.waitForStarted();
        while (!client.waitForFinished(300))
            if (touche) clavier_.touche(touche);
        // A box the macro shows comes after the answer: it is closed before the next macro.
        for (int i = 0; touche && i < 3; ++i) {
            banc::laisse(300);
            clavier_.touche(touche);
        }
        return {client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1,
                QString::fromUtf8(client.readAllStandardOutput()).trimmed()};
    }

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier_);
        banc::aucunPort();
        QVERIFY(QDir().mkpath(canaux()));
        QFile::setPermissions(canaux(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(ecrit(chemin(QStringLiteral("court.tm2")), configurationCourte()));
        QVERIFY(QDir(dossier_.path()).mkdir(QStringLiteral("dossier (1)")));
        QVERIFY(ecrit(chemin(QStringLiteral("dossier (1)/court.tm2")), configurationCourte()));

        simulateur_.start(QStringLiteral(TELMIRA_SIMULATEUR),
                          {"--trace", "--appareil", "CONSORT C3010 (pH)", "--lien", chemin("com1"),
                           "-s", "constante:7.01"});
        QVERIFY(simulateur_.waitForStarted());
        QVERIFY(banc::simulateurPret(simulateur_));
    }
    void cleanupTestCase() {
        for (QProcess* p : {&telmira_, &simulateur_}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(5000)) p->kill();
            p->waitForFinished(2000);
        }
    }

    // The program started with its window on a VNC screen the test types into.
    void demarrage() {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QStringLiteral("/platforms/libqvnc.so")))
            QSKIP("Qt's VNC platform plug-in is missing: no keyboard can reach the program");
        const quint16 port = portLibre();
        QProcessEnvironment env = environnement();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   QStringLiteral("vnc:size=1280x1024:port=%1").arg(port));
        telmira_.setProcessEnvironment(env);
        telmira_.setWorkingDirectory(dossier_.path());
        telmira_.start(programme, {});
        QVERIFY(telmira_.waitForStarted());
        QVERIFY(
            banc::attend([&] { return QFile::exists(canaux() + "/telmira.ServeurDDE"); }, 15000));
        QVERIFY(banc::attend([&] { return clavier_.connecte(port); }, 5000));
        QCOMPARE(demandesVues(), 0);
    }

    void macros_data() {
        QTest::addColumn<QString>("macro");
        QTest::addColumn<bool>("entree");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("reponse");
        const QString d = dossier_.path();
        QTest::newRow("chargement en minuscules")
            << "config|load(" + d + "/court.tm2)" << false << 0 << "ok";
        QTest::newRow("FOCUS") << "FOCUS" << false << 0 << "ok";
        QTest::newRow("FOCUS()") << "FOCUS()" << false << 0 << "ok";
        QTest::newRow("sauvegarde") << "CONFIG|SAVE(" + d + "/copie.txt)" << false << 0 << "ok";
        QTest::newRow("sauvegarde relative") << "file|save(essai)" << false << 0 << "ok";
        QTest::newRow("sauvegarde sans nom")
            << "CONFIG|SAVE()" << false << 1
            << "Nom de fichier de configuration manquant : CONFIG|SAVE()";
        QTest::newRow("coupée à la parenthèse")
            << "FILE|LOAD(" + d + "/dossier (1)/court.tm2)" << false << 1
            << "Configuration non chargée : " + d + "/dossier (1";
        QTest::newRow("deux lignes") << "FOCUS\r\nFOCUS" << true << 1 << "Un message à la fois SVP";
        QTest::newRow("inconnue") << "BONJOUR(x)" << true << 1
                                  << "Telmira/Quelvane Fonction inconnue : BONJOUR(x)";
    }
    // Each macro answered as the table says at once; a box the program shows afterwards is
    // closed with Enter.
    void macros() {
        if (telmira_.state() != QProcess::Running) QSKIP("the program did not start");
        QFETCH(QString, macro);
        QFETCH(bool, entree);
        const Reponse r = this->macro(macro, entree ? ClavierVnc::Entree : 0);
        QTEST(r.texte, "reponse");
        QTEST(r.code, "code");
    }

    // What the macros did: the set-up loaded polls the simulator; the saved set-ups name its
    // instrument, the relative one in the program's current folder.
    void effets() {
        if (telmira_.state() != QProcess::Running) QSKIP("the program did not start");
        QVERIFY(banc::attend([&] { return demandesVues() >= 2; }, 5000));
        for (const char* nom : {"copie.tm2", "essai.tm2"}) {
            QFile f(chemin(QString::fromLatin1(nom)));
            QVERIFY2(f.open(QIODevice::ReadOnly), nom);
            QVERIFY(f.readAll().contains("Nom0=CONSORT C3010 (pH)"));
        }
        QVERIFY(!QFile::exists(chemin(QStringLiteral("copie.txt"))));
    }

    // "GETDATA", then the user's space bar starts the run: at its end the analysis program is
    // told to load the samples.
    void getData() {
        if (telmira_.state() != QProcess::Running) QSKIP("the program did not start");
        FauxKalvento kalvento(
            canal::CheminCanal(QStringLiteral("KALVENTO"), canal::TopicDDE, canaux()));
        QVERIFY(kalvento.ecoute());
        const Reponse r = macro(QStringLiteral("GETDATA"));
        QCOMPARE(r.texte, QStringLiteral("ok"));
        QCOMPARE(r.code, 0);
        // Pressed until the run starts; once it runs "Acquérir" is off and the key does nothing.
        QVERIFY(banc::attend(
            [&] {
                clavier_.touche(ClavierVnc::Espace);
                return !kalvento.macros().isEmpty();
            },
            30000));
        QCOMPARE(kalvento.macros(), QByteArrayList{"CLIP|LOAD"});
    }

    // The same road inside this process, where the clipboard can be read: the real window and
    // its macro actions behind a command server, the client's own function, the pH meter on a
    // pseudo-terminal and the analysis program's stand-in; the samples it is told to load are
    // the run's.
    void getDataDansLaFenetre() {
        QTemporaryDir canaux;
        qputenv("XDG_RUNTIME_DIR", canaux.path().toLocal8Bit());
        double valeur = 7;
        InstrumentSimule ph(1, [&](int, const QByteArray& d) {
            return d == "GP\r" ? QByteArray::number(valeur += 0.01, 'f', 2) + "\r\n" : QByteArray();
        });
        FauxKalvento kalvento(
            canal::CheminCanal(QStringLiteral("KALVENTO"), canal::TopicDDE, canaux.path()));
        // As at the program's start: the device list the set-up names its instrument from.
        QVERIFY(moduleAppareils().ChargeAppareils());
        QString recu;
        kalvento.recu = [&](const QByteArray&) { recu = QGuiApplication::clipboard()->text(); };

        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QObject::disconnect(&f.acq().Timer, nullptr, &f.acq(), nullptr);
        TActionsFenetre actions(f);
        TServeurCommandes serveur(actions, canaux.path(), QStringLiteral("telmira"));
        QVERIFY(serveur.Demarre());
        const auto envoie = [&](const QString& texte) {
            QString sortie;
            QTextStream flux(&sortie);
            const int code =
                EnvoieMacroCommande(texte, flux, canaux.path(), QStringLiteral("telmira"), 5000);
            return Reponse{code, sortie.trimmed()};
        };
        const Reponse chargement =
            envoie("CONFIG|LOAD(" + chemin(QStringLiteral("court.tm2")) + ")");
        QCOMPARE(chargement.texte, QStringLiteral("ok"));
        QCOMPARE(f.graphe.NbreVoies, 1);

        // Samples not saved yet: a set-up or a run asked from outside would wipe them; the user
        // is asked, and No keeps them.
        f.EnregistreBtn->click();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        QStringList& vus = banc.dialogues_->vus;
        const QString perte = QStringLiteral("Perte des données courantes ?");
        const Reponse refus = envoie("CONFIG|LOAD(" + chemin(QStringLiteral("court.tm2")) + ")");
        QCOMPARE(refus.code, 1);
        QCOMPARE(vus, QStringList{perte});
        QCOMPARE(envoie(QStringLiteral("GETDATA")).code, 0);
        QTRY_COMPARE(vus, QStringList({perte, perte}));
        QVERIFY(!f.acq().AppelKalvento);
        QCOMPARE(f.graphe.NbrePoints, 1);
        QCOMPARE(f.acq().EtatAcq, eaEnCours);

        vus.clear();
        banc.dialogues_->reponses = {true};
        QCOMPARE(envoie(QStringLiteral("GETDATA")).code, 0);
        QTRY_VERIFY(f.acq().AppelKalvento);
        QCOMPARE(vus, QStringList{perte});
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QCOMPARE(f.graphe.NbrePoints, 0);
        QVERIFY(f.acq().PagePermise);

        valeur = 7.1;
        f.EnregistreBtn->click();
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int k = 1; f.acq().EtatAcq == eaEnCours && k <= 10; ++k)
            QVERIFY(banc.tick(1000, [&] { return f.graphe.NbrePoints == k + 1; }));
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QTRY_COMPARE(kalvento.macros(), QByteArrayList{"CLIP|LOAD"});
        QVERIFY(f.acq().dataSaved);
        const QStringList lignes = recu.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY2(lignes.size() >= 9, qPrintable(recu));
        QCOMPARE(lignes.last(), QStringLiteral("8\t7.19"));
        QCOMPARE(lignes.value(lignes.size() - 9), QStringLiteral("0\t7.11"));
        QCOMPARE(vus, QStringList{perte});
    }
};

QTEST_MAIN(TstMacros)
#include "tst_macros.moc"
