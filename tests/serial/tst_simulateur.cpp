// The instrument simulator, run as the separate program it is, read through the program's own
// port class and decoding: what it plays is what the acquisition reads.
#include "app/dialogues.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "serial/apdcomport.h"
#include "settings/fichierini.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct Joue {
    quint16 com = 0;
    QString chemin;
    QString lien;
    QString nom;
};

// One run of the simulator: started, its terminals read from its first lines, stopped at the end.
class Simulateur {
public:
    explicit Simulateur(const QStringList& arguments) {
        processus.setProgram(QStringLiteral(TELMIRA_SIMULATEUR));
        processus.setArguments(arguments);
        chrono.start();
        processus.start();
    }
    ~Simulateur() {
        if (processus.state() == QProcess::NotRunning) return;
        processus.terminate();
        if (!processus.waitForFinished(3000)) processus.kill();
        processus.waitForFinished(1000);
    }
    // Waits for the line that closes the list of terminals.
    bool pret() {
        QDeadlineTimer fin(5000);
        while (!sortie.contains("PRET\n") && !fin.hasExpired() &&
               processus.state() != QProcess::NotRunning) {
            processus.waitForReadyRead(50);
            sortie += processus.readAllStandardOutput();
        }
        sortie += processus.readAllStandardOutput();
        for (const QByteArray& ligne : sortie.split('\n')) {
            const QString l = QString::fromLocal8Bit(ligne);
            if (!l.startsWith(QLatin1String("APPAREIL "))) continue;
            const QStringList champs = l.split(u' ');
            if (champs.size() < 6) return false;
            Joue j;
            j.com = champs[2].mid(3).toUShort();
            j.chemin = champs[3];
            j.lien = champs[4] == QLatin1String("-") ? QString() : champs[4];
            j.nom = champs.mid(5).join(u' ');
            joues.push_back(j);
        }
        return sortie.contains("PRET\n");
    }
    QString erreurs() {
        stderr_ += processus.readAllStandardError();
        return QString::fromLocal8Bit(stderr_);
    }

    QProcess processus;
    QElapsedTimer chrono;
    QByteArray sortie;
    QByteArray stderr_;
    std::vector<Joue> joues;
};

bool complet(const Tappareil& a) {
    return a.FormatFixe ? a.ChaineLue.size() >= a.NbreCarac
                        : a.ChaineLue.count('\r') >= a.NbreLignes;
}

// As the acquisition does: the request (for a polled instrument), then the bytes of each
// data-available event appended until the answer is complete, then the decoding.
bool litMesure(TApdComPort& port, Tappareil& a, int delaiMs = 3000) {
    a.ChaineLue.clear();
    a.ValeurCourante = NaN;
    bool lu = false;
    port.setOnTriggerAvail([&](TApdComPort* cp, quint16 n) {
        for (quint16 i = 0; i < n; ++i)
            a.ChaineLue += char(cp->GetChar());
        if (lu || !complet(a)) return;
        a.SetValeurCourante();
        lu = !a.EnvoiDirect || std::isfinite(a.ValeurCourante);
    });
    if (!a.EnvoiDirect) {
        port.FlushInBuffer();
        port.PutString(a.Demande);
    }
    QDeadlineTimer fin(delaiMs);
    while (!lu && !fin.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    port.setOnTriggerAvail({});
    return lu;
}

// The instruments of the shared run, with the options that follow their --appareil.
struct Role {
    const char* nom;
    bool fichier; // read from the test's device file (where STAB is set)
    QStringList options;
};
const std::vector<Role>& roles() {
    static const std::vector<Role> r{
        {"CONSORT C3010 (pH)", false, {"-s", "constante:7.01"}},
        {"CONSORT C3010 (pH)", false, {"-s", "rampe:2,0.5"}},
        {"WTW Cond Level 2", false, {"-s", "constante:0.00146", "--periode", "40"}},
        {"CECIL 1000 (A)", false, {"-s", "constante:-0.123"}},
        {"Heito MPC350 (T)", false, {"-s", "constante:23.4"}},
        {"CONSORT C3010 (mS)", false, {"-s", "constante:0.00146"}},
        {"Scout Pro OHAUS", false, {"-s", "constante:1234.5", "--periode", "40"}},
        {"Hanna HI 9017 (pH)", true, {"-s", "constante:7.01", "--stable"}},
        {"Hanna HI 9017 (pH)", true, {"-s", "constante:6.5", "--instable"}},
        {"CECIL 1000 (A)", true, {"-s", "constante:1.5", "--stable"}},
        {"Schott pH/LF 12 (pH)", false, {"-s", "constante:4.2", "--periode", "40"}},
        {"CONSORT C3010 (pH)", false, {"-s", "constante:15"}},
    };
    return r;
}
} // namespace

class TestSimulateur : public QObject {
    Q_OBJECT

    QTemporaryDir dossier;
    TModuleAppareils catalogue{QString()};
    TModuleAppareils fichier{QString()};
    QString cheminFichier;
    std::unique_ptr<Simulateur> commun;
    std::vector<std::unique_ptr<Tappareil>> lecteurs;
    std::vector<std::unique_ptr<TApdComPort>> ports;

    // Role i's port, opened with its description's line settings on the terminal it got.
    TApdComPort& port(int i) {
        auto& p = ports[size_t(i)];
        if (!p) {
            const int n = 30 + i;
            qputenv(QByteArray("TELMIRA_COM") + QByteArray::number(n),
                    commun->joues[size_t(i)].chemin.toLocal8Bit());
            p = std::make_unique<TApdComPort>(quint16(n));
            const Tappareil& a = *lecteurs[size_t(i)];
            p->setBaud(a.Baud);
            p->setStopBits(a.StopBits);
            // A pseudo-terminal always carries 8 bits without parity and refuses to be told
            // otherwise: the 7-bit instruments are read with 8 bits, which changes no byte.
            p->setDataBits(8);
            p->setParity(pNone);
            p->setOpen(true);
        }
        return *p;
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dossier.path());
        installeDialogues(std::make_unique<DialoguesScriptes>());
        QVERIFY(catalogue.ChargeAppareils());

        // A device file whose instruments report their stability themselves.
        cheminFichier = dossier.filePath(QStringLiteral("stab.INI"));
        TFichierIni ini;
        ini.setChemin(cheminFichier);
        int index = 0;
        for (const char* nom : {"Hanna HI 9017 (pH)", "CECIL 1000 (A)"}) {
            Tappareil* a = catalogue.ChercheAppareil(QLatin1String(nom));
            QVERIFY(a);
            a->lectureSTAB = true;
            a->EcritIni(ini);
            a->lectureSTAB = false;
            ini.WriteString(QStringLiteral("Index"), QString::number(index++), a->NomAppareil);
        }
        QVERIFY(ini.UpdateFile());
        fichier.ChargeAppareilsImport(cheminFichier);
        QCOMPARE(fichier.listeAppareilImport.Count(), 2);

        QStringList arguments{"--delai", "5", "--stdin-fin"};
        for (const Role& r : roles()) {
            arguments << "--appareil" << QLatin1String(r.nom) << r.options;
            if (&r == &roles().front()) arguments << "--lien" << dossier.filePath("com1");
            if (r.fichier) arguments << "--fichier" << cheminFichier;
            const TModuleAppareils& source = r.fichier ? fichier : catalogue;
            const TlisteAppareil& liste =
                r.fichier ? source.listeAppareilImport : source.listeAppareil;
            const auto trouve = std::find_if(liste.begin(), liste.end(), [&](const auto& a) {
                return a->NomAppareil == QLatin1String(r.nom);
            });
            QVERIFY(trouve != liste.end());
            auto lecteur = std::make_unique<Tappareil>();
            lecteur->Assign(**trouve);
            lecteur->lectureSTAB = (*trouve)->lectureSTAB;
            lecteur->FiltrageDepassement = true;
            lecteurs.push_back(std::move(lecteur));
        }
        commun = std::make_unique<Simulateur>(arguments);
        QVERIFY2(commun->pret(), qPrintable(commun->erreurs()));
        QCOMPARE(commun->joues.size(), roles().size());
        ports.resize(roles().size());
    }
    void cleanupTestCase() {
        ports.clear();
        if (!commun) return;
        // Closing its input ends the run cleanly, and its link goes with it.
        commun->processus.closeWriteChannel();
        QVERIFY(commun->processus.waitForFinished(3000));
        QCOMPARE(commun->processus.exitStatus(), QProcess::NormalExit);
        QCOMPARE(commun->processus.exitCode(), 0);
        QVERIFY(!QFileInfo(dossier.filePath("com1")).isSymLink());
    }

    void lignesAnnoncees() {
        const Joue& j = commun->joues[0];
        QCOMPARE(j.nom, QStringLiteral("CONSORT C3010 (pH)"));
        QCOMPARE(j.com, lecteurs[0]->ComNumber);
        QVERIFY(j.chemin.startsWith(QLatin1String("/dev/")));
        QCOMPARE(j.lien, dossier.filePath("com1"));
        QCOMPARE(QFile::symLinkTarget(j.lien), j.chemin);
        QCOMPARE(commun->joues[2].nom, QStringLiteral("WTW Cond Level 2"));
        QVERIFY(commun->joues[2].lien.isEmpty());
    }

    void surDemande() {
        Tappareil& a = *lecteurs[0];
        QVERIFY(litMesure(port(0), a));
        QCOMPARE(a.ValeurCourante, 7.01);
        // The program closes and reopens its port between acquisitions: the simulator still
        // answers, on the link as on the device.
        ports[0].reset();
        qputenv("TELMIRA_COM30", commun->joues[0].lien.toLocal8Bit());
        TApdComPort parLien(30);
        parLien.setOpen(true);
        QVERIFY(litMesure(parLien, a));
        QCOMPARE(a.ValeurCourante, 7.01);
        QVERIFY(litMesure(parLien, a));
        QCOMPARE(a.ValeurCourante, 7.01);
    }

    void rampe() {
        Tappareil& a = *lecteurs[1];
        QVERIFY(litMesure(port(1), a));
        const double v1 = a.ValeurCourante;
        const double t1 = commun->chrono.elapsed() / 1000.0;
        // The ramp starts with the simulator, which started after our clock.
        QVERIFY2(v1 >= 2 - 1E-5 && v1 <= 2 + 0.5 * t1 + 1E-4, qPrintable(QString::number(v1)));
        QElapsedTimer entre;
        entre.start();
        QTest::qWait(300);
        QVERIFY(litMesure(port(1), a));
        const double v2 = a.ValeurCourante;
        const double ecart = (v2 - v1) / 0.5;
        // Between the two answers: at least the wait, at most the time since the first one.
        QVERIFY2(ecart >= 0.29 && ecart <= entre.elapsed() / 1000.0 + 0.2,
                 qPrintable(QStringLiteral("%1 puis %2").arg(v1).arg(v2)));
    }

    void enContinu() {
        Tappareil& a = *lecteurs[2];
        QVERIFY(a.EnvoiDirect);
        QVERIFY(litMesure(port(2), a));
        QCOMPARE(a.ValeurCourante, 0.00146);
        // It goes on sending at its rate without being asked.
        QVERIFY(litMesure(port(2), a, 500));
        QCOMPARE(a.ValeurCourante, 0.00146);
    }

    void dispositions_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<int>("stable"); // -1: the description reads no stability
        QTest::newRow("enregistrement fixe") << 3 << -0.123 << -1;
        QTest::newRow("quatrième nombre") << 4 << 23.4 << -1;
        QTest::newRow("préfixe d'unité") << 5 << 0.00146 << -1;
        QTest::newRow("séparateur 127, en continu") << 6 << 1234.5 << -1;
        QTest::newRow("SRAB stable") << 7 << 7.01 << 1;
        QTest::newRow("SRAB instable") << 8 << 6.5 << 0;
        QTest::newRow("SRAB enregistrement fixe") << 9 << 1.5 << 1;
        QTest::newRow("enregistrement fixe en continu") << 10 << 4.2 << -1;
        // Played within the range: the acquisition does not filter it out.
        QTest::newRow("hors plage ramené à Maxi") << 11 << 14.0 << -1;
    }
    void dispositions() {
        QFETCH(int, role);
        QFETCH(double, valeur);
        QFETCH(int, stable);
        Tappareil& a = *lecteurs[size_t(role)];
        QVERIFY(litMesure(port(role), a));
        QVERIFY2(std::fabs(a.ValeurCourante - valeur) <= 1E-9 * std::max(1.0, std::fabs(valeur)),
                 qPrintable(
                     QStringLiteral("%1 lu dans « %2 »").arg(a.ValeurCourante).arg(a.reponseStab)));
        if (stable >= 0) {
            QVERIFY(a.lectureSTAB);
            QCOMPARE(a.isStable(), stable == 1);
        }
    }

    void demandeInconnue() {
        TApdComPort& p = port(0);
        Tappareil& a = *lecteurs[0];
        p.PutString(QByteArray("XYZ\x01", 4));
        QTRY_VERIFY_WITH_TIMEOUT(
            commun->erreurs().contains(QStringLiteral("demande inconnue « XYZ<SOH> »")), 3000);
        // A flood of noise with pieces of the request in it, written as a plain terminal
        // would (blocking: the simulator reads at its pace), then the request itself.
        ports[0].reset();
        {
            QByteArray bruit;
            for (int i = 0; i < 20000; ++i)
                bruit += char((i * 7919 + 13) % 256);
            bruit += "G";
            const int fd = ::open(commun->joues[0].chemin.toLocal8Bit().constData(),
                                  O_RDWR | O_NOCTTY | O_CLOEXEC);
            QVERIFY(fd >= 0);
            qsizetype fait = 0;
            while (fait < bruit.size()) {
                const ssize_t n =
                    ::write(fd, bruit.constData() + fait, size_t(bruit.size() - fait));
                if (n <= 0) break;
                fait += n;
            }
            ::close(fd);
            QCOMPARE(fait, bruit.size());
        }
        TApdComPort& p2 = port(0);
        QVERIFY(litMesure(p2, a));
        QCOMPARE(a.ValeurCourante, 7.01);
        QCOMPARE(commun->processus.state(), QProcess::Running);
        // A request cut short is reported once nothing more comes.
        p2.PutString("GP");
        QTRY_VERIFY_WITH_TIMEOUT(commun->erreurs().contains(QStringLiteral("inconnue « GP »")),
                                 3000);
    }

    void nomInconnu() {
        Simulateur s({"--appareil", "Consort C3010 (pH)"});
        QVERIFY(s.processus.waitForFinished(5000));
        QCOMPARE(s.processus.exitCode(), 1);
        const QString e = s.erreurs();
        QVERIFY2(e.contains(QStringLiteral("« CONSORT C3010 (pH) »")), qPrintable(e));
        QVERIFY(s.sortie.isEmpty() && s.processus.readAllStandardOutput().isEmpty());

        Simulateur source({"--appareil", "Heito", "-s", "rampe:3"});
        QVERIFY(source.processus.waitForFinished(5000));
        QCOMPARE(source.processus.exitCode(), 1);
        QVERIFY(source.erreurs().contains(QStringLiteral("rampe:DEBUT,PENTE")));
    }

    void finParSignal() {
        const QString lien = dossier.filePath("com9");
        Simulateur s({"-a", "Heito", "-l", lien});
        QVERIFY(s.pret());
        QVERIFY(QFileInfo(lien).isSymLink());
        ::kill(pid_t(s.processus.processId()), SIGINT);
        QVERIFY(s.processus.waitForFinished(3000));
        QCOMPARE(s.processus.exitStatus(), QProcess::NormalExit);
        QCOMPARE(s.processus.exitCode(), 0);
        QVERIFY(!QFileInfo(lien).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestSimulateur)
#include "tst_simulateur.moc"
