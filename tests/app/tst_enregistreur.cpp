// The recorder without a window, run as a user would: the program against the instrument
// simulator on pseudo-terminals.
#include "../commun/banc.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {
const QString programme = QStringLiteral(TELMIRA_PROGRAMME);

// The demonstration set-up (pH polled on COM1, conductivity sent on COM2 every second,
// temperature polled on COM3), shortened to 20 s.
QByteArray configuration() {
    QFile demo(QStringLiteral(TELMIRA_DEMO));
    if (!demo.open(QIODevice::ReadOnly)) return {};
    QByteArray octets = demo.readAll();
    octets.replace("Duree=300", "Duree=20");
    return octets;
}

struct Execution {
    int code = -1;
    QString journal;
};
} // namespace

class TstEnregistreur : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    QProcess simulateur_;

    [[nodiscard]] QString chemin(const QString& nom) const { return dossier_.filePath(nom); }

    Execution lance(const QStringList& arguments, const QProcessEnvironment& env) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(programme, arguments);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardError())};
    }

    [[nodiscard]] QProcessEnvironment environnement() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (int n = 1; n <= 50; ++n)
            env.insert(QStringLiteral("TELMIRA_COM%1").arg(n), QStringLiteral("/nonexistent"));
        for (int n = 1; n <= 3; ++n)
            env.insert(QStringLiteral("TELMIRA_COM%1").arg(n),
                       chemin(QStringLiteral("com%1").arg(n)));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), chemin(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), chemin(QStringLiteral("donnees")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), chemin(QStringLiteral("etat")));
        env.insert(QStringLiteral("HOME"), dossier_.path());
        return env;
    }

private Q_SLOTS:
    void initTestCase() {
        QFile tm2(chemin(QStringLiteral("essai.tm2")));
        QVERIFY(tm2.open(QIODevice::WriteOnly));
        tm2.write(configuration());
        tm2.close();
        simulateur_.start(QStringLiteral(TELMIRA_SIMULATEUR),
                          {"--appareil", "CONSORT C3010 (pH)",
                           "--lien",     chemin("com1"),
                           "-s",         "rampe:4,0.01",
                           "--appareil", "CONSORT C3010 auto (mS)",
                           "--lien",     chemin("com2"),
                           "-s",         "constante:1.25",
                           "--periode",  "1000",
                           "--appareil", "Hanna HI 9032 (T)",
                           "--lien",     chemin("com3"),
                           "-s",         "constante:21.5"});
        QVERIFY(simulateur_.waitForStarted());
        QVERIFY(banc::simulateurPret(simulateur_));
    }
    void cleanupTestCase() {
        simulateur_.terminate();
        simulateur_.waitForFinished(3000);
    }

    // Three instruments for 20 s: one csv row per sample, the values those played.
    void vingtSecondes() {
        const QString csv = chemin(QStringLiteral("sortie.csv"));
        const Execution e =
            lance({"--enregistre", chemin("essai.tm2"), "--sortie", csv}, environnement());
        QVERIFY2(e.code == 0, qPrintable(e.journal));
        QVERIFY(e.journal.contains(QStringLiteral("échantillons écrits dans")));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lignes = f.readAll().split('\n');
        QCOMPARE(lignes.value(0), QByteArray("t\tpH\ts\tT"));
        QList<QList<QByteArray>> rangs;
        for (const QByteArray& l : lignes.mid(2))
            if (!l.isEmpty()) rangs << l.split('\t');
        // δt 2 s (the three delays add up past one second) over 20 s: sample k at 2k s, or a
        // second later when the conductimeter's next record is what completes the cycle.
        QCOMPARE(rangs.size(), 11);
        double ecart0 = 0;
        for (int i = 0; i < rangs.size(); ++i) {
            const auto& r = rangs[i];
            QCOMPARE(r.size(), 4);
            const double t = r[0].toDouble();
            QVERIFY2(t >= 2.0 * i && t <= 2.0 * i + 1, r[0].constData());
            // The pH ramp climbs 0.01 a second: read at the sample's time, give or take a
            // reading.
            const double ecart = r[1].toDouble() - 0.01 * r[0].toDouble();
            if (i == 0) ecart0 = ecart;
            QVERIFY2(std::abs(ecart - ecart0) <= 0.015, r[1].constData());
            QCOMPARE(r[2].toDouble(), 1.25);
            QCOMPARE(r[3].toDouble(), 21.5);
        }
    }

    void refus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString tm2 = chemin("essai.tm2");
        QTest::newRow("sans sortie") << QStringList{"--enregistre", tm2} << 2
                                     << "Il faut --enregistre CONFIG.tm2 et --sortie FICHIER.";
        QTest::newRow("extension") << QStringList{"--enregistre", tm2, "--sortie", chemin("x.doc")}
                                   << 2 << "Le fichier de sortie doit finir par .kw3, .txt ou .csv";
        QTest::newRow("configuration absente")
            << QStringList{"--enregistre", chemin("absente.tm2"), "--sortie", chemin("x.csv")} << 3
            << "Fichier de configuration introuvable";
        QTest::newRow("fichier impossible")
            << QStringList{"--enregistre", tm2, "--sortie", "/nonexistent/dossier/x.csv"} << 4
            << "Impossible d'écrire /nonexistent/dossier/x.csv";
    }
    void refus() {
        QFETCH(QStringList, arguments);
        const Execution e = lance(arguments, environnement());
        QTEST(e.code, "code");
        QFETCH(QString, message);
        QVERIFY2(e.journal.contains(message), qPrintable(e.journal));
    }

    // A port the set-up names is not there: said at once, nothing is bound elsewhere.
    void portAbsent() {
        QProcessEnvironment env = environnement();
        env.insert(QStringLiteral("TELMIRA_COM3"), QStringLiteral("/nonexistent/ttyUSB2"));
        const Execution e =
            lance({"--enregistre", chemin("essai.tm2"), "--sortie", chemin("y.csv")}, env);
        QCOMPARE(e.code, 5);
        QVERIFY2(e.journal.contains(QStringLiteral("Port absent : COM3 (/nonexistent/ttyUSB2)")),
                 qPrintable(e.journal));
        QVERIFY(!QFile::exists(chemin("y.csv")));
    }
};

QTEST_GUILESS_MAIN(TstEnregistreur)
#include "tst_enregistreur.moc"
