// Binding instruments to the port table over real pseudo-terminals: the table, the choice of an
// existing port, the initialisation and release texts, the request pause, the port radio group
// and the replay of the built-in printout.
#include "instruments/appareil.h"
#include "serial/setrs232rg.h"
#include "serial/tableports.h"
#include "serial/voiesserie.h"
#include "settings/reglages.h"
#include "tests/commun/terminalsimule.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QSerialPort>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
void pointeCom(int n, const QString& chemin) {
    qputenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1().constData(), chemin.toLocal8Bit());
}

speed_t vitesseDe(const QString& chemin) {
    const int fd = ::open(chemin.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return 0;
    termios t{};
    ::tcgetattr(fd, &t);
    ::close(fd);
    return ::cfgetospeed(&t);
}

QByteArray litFichier(const QString& nom) {
    QFile f(nom);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The main window's side as the table sees it: one handler for every port and the replay.
struct Fenetre {
    struct Appel {
        TApdComPort* CP;
        QByteArray octets;
    };
    QList<Appel> appels;
    std::unique_ptr<TVoiesSerie> voies;

    Fenetre() {
        voies = std::make_unique<TVoiesSerie>([this](TApdComPort* CP, quint16 Count) {
            Appel a{CP, {}};
            for (int i = 0; i < Count; ++i)
                a.octets += char(CP ? CP->GetChar() : voies->LitOctetWTW());
            appels << a;
        });
    }
    [[nodiscard]] QByteArray tout() const {
        QByteArray t;
        for (const Appel& a : appels)
            t += a.octets;
        return t;
    }
};
} // namespace

class TstVoiesSerie : public QObject {
    Q_OBJECT

    QTemporaryDir dossier_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dossier_.path());
        QDir::setCurrent(dossier_.path());
    }
    void init() {
        ouvreReglages()->clear();
        for (int n = 1; n <= 50; ++n)
            pointeCom(n, QStringLiteral("/nonexistent/telmira-com%1").arg(n));
    }

    void tableDesPorts_data() {
        QTest::addColumn<QVariant>("stocke");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("lettre");
        QTest::newRow("3 donne d") << QVariant(3) << 4 << QStringLiteral("d");
        QTest::newRow("absent") << QVariant() << 1 << QStringLiteral("a");
        QTest::newRow("24 donne y") << QVariant(24) << 25 << QStringLiteral("y");
        QTest::newRow("25 repart a 0") << QVariant(25) << 0 << QStringLiteral("`");
        QTest::newRow("illisible") << QVariant(QStringLiteral("x")) << 1 << QStringLiteral("a");
    }
    void tableDesPorts() {
        QFETCH(QVariant, stocke);
        QFETCH(int, index);
        QFETCH(QString, lettre);
        if (stocke.isValid())
            ouvreReglages()->setValue(QStringLiteral("FichierTrace/Index"), stocke);
        Fenetre f;
        QCOMPARE(f.voies->indexFichierTrace, index);
        QCOMPARE(QString(f.voies->lettreTrace()), lettre);
        for (const int n : {1, 17, 50}) {
            const TApdComPort* p = f.voies->voieSerieCin(n);
            QVERIFY(p);
            QCOMPARE(p->ComNumber(), quint16(n));
            QCOMPARE(p->Tag(), n);
            QVERIFY(!p->AutoOpen());
            QVERIFY(!p->Open());
            QVERIFY(p->OnTriggerAvail());
            QCOMPARE(p->Baud(), 19200);
            QCOMPARE(p->TraceName(), QStringLiteral("telmira_%1%2.trc").arg(n).arg(lettre));
            QCOMPARE(p->LogName(), QStringLiteral("telmira_%1%2.log").arg(n).arg(lettre));
            QCOMPARE(p->TraceSize(), 32000u);
            QCOMPARE(p->LogSize(), 64000u);
        }
        QVERIFY(!f.voies->voieSerieCin(0));
        QVERIFY(!f.voies->voieSerieCin(51));
        for (int k = 0; k <= 50; ++k)
            QCOMPARE(f.voies->NumeroCom[k], 1);
    }

    // An instrument on a missing port goes to the first existing one, at its own settings;
    // with no port at all, or a port another program holds, it cannot be used.
    void liaison() {
        TerminalSimule t3;
        TerminalSimule t4;
        Fenetre f;
        Tappareil a;
        a.ComNumber = 7;
        a.Baud = 4800;
        QVERIFY(!f.voies->setVoieSerieApp(a, false));
        QVERIFY(!a.VoieSerie);
        QCOMPARE(a.ComNumber, quint16(7));

        pointeCom(3, t3.slave());
        pointeCom(4, t4.slave());
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        QCOMPARE(a.ComNumber, quint16(3));
        QCOMPARE(a.VoieSerie, f.voies->voieSerieCin(3));
        QVERIFY(a.VoieSerie->Open());
        QCOMPARE(a.VoieSerie->cheminDevice(), t3.slave());
        QCOMPARE(vitesseDe(t3.slave()), speed_t(B4800));
        QVERIFY(!f.voies->TimerWTW1.isActive());

        // What the instrument sends reaches the window's handler.
        QVERIFY(t3.ecrit("pH 7.01\r"));
        QTRY_COMPARE(f.tout(), QByteArray("pH 7.01\r"));
        QCOMPARE(f.appels.first().CP, a.VoieSerie);

        // Bound again after another handler borrowed the port: the window gets it back.
        a.VoieSerie->setOnTriggerAvail(nullptr);
        a.Baud = 9600;
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        QVERIFY(a.VoieSerie->OnTriggerAvail());
        QCOMPARE(vitesseDe(t3.slave()), speed_t(B9600));

        Tappareil b;
        b.ComNumber = 4;
        QSerialPort autre;
        autre.setPortName(t4.slave());
        QVERIFY(autre.open(QIODevice::ReadWrite));
        QVERIFY(PortExiste(4));
        b.VoieSerie = f.voies->voieSerieCin(4);
        QVERIFY(!f.voies->setVoieSerieApp(b, false));
        QVERIFY(!b.VoieSerie);
        QCOMPARE(b.ComNumber, quint16(4));
    }

    // The initialisation text goes once, at the first binding that succeeds; the trace option
    // is applied at the binding and, at acquisition start, to every open port.
    void initialisationEtTrace() {
        TerminalSimule t;
        pointeCom(2, t.slave());
        Fenetre f;
        Tappareil a;
        a.ComNumber = 2;
        a.ChaineInit = "INIT\r";
        a.InitialisationAfaire = true;
        QVERIFY(f.voies->setVoieSerieApp(a, true));
        QVERIFY(!a.InitialisationAfaire);
        QVERIFY(t.attendRecu(5));
        QCOMPARE(t.prend(), QByteArray("INIT\r"));
        QCOMPARE(a.VoieSerie->Tracing(), tlOn);
        QCOMPARE(a.VoieSerie->Logging(), tlOn);
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        QCOMPARE(a.VoieSerie->Tracing(), tlOff);
        QTest::qWait(100);
        QVERIFY(t.recu().isEmpty());

        f.voies->TraceVoiesOuvertes(false);
        QCOMPARE(a.VoieSerie->Tracing(), tlOff);
        f.voies->TraceVoiesOuvertes(true);
        QCOMPARE(a.VoieSerie->Tracing(), tlOn);
        QCOMPARE(f.voies->voieSerieCin(3)->Tracing(), tlOff);
        f.voies->TraceVoiesOuvertes(false);
        QCOMPARE(a.VoieSerie->Tracing(), tlOn);
    }

    void envoieDemande_data() {
        QTest::addColumn<int>("attente");
        QTest::addColumn<bool>("attend");
        QTest::newRow("120 ms, deux ticks") << 120 << true;
        QTest::newRow("50 ms, rien") << 50 << false;
        QTest::newRow("0") << 0 << false;
    }
    // The pause before the request lets events run; stale input is dropped and the request
    // sent unchanged. Timings are checked loosely: the machine may be busy.
    void envoieDemande() {
        QFETCH(int, attente);
        QFETCH(bool, attend);
        TerminalSimule t;
        pointeCom(1, t.slave());
        Fenetre f;
        Tappareil a;
        a.Demande = QByteArray("D\x00\x1B\r", 4);
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        a.VoieSerieOK = true;
        a.Attente = quint16(attente);
        a.ChaineLue = "ancien";
        a.VoieSerie->setOnTriggerAvail(nullptr);
        QVERIFY(t.ecrit("périmé"));
        QTRY_VERIFY(a.VoieSerie->CharReady());

        bool traite = false;
        QTimer::singleShot(0, this, [&] { traite = true; });
        QElapsedTimer chrono;
        chrono.start();
        f.voies->EnvoieDemande(a, {});
        const qint64 ms = chrono.elapsed();
        if (attend) {
            QVERIFY2(ms >= 100 && ms < 1000, qPrintable(QString::number(ms)));
            QVERIFY(traite);
        } else {
            QVERIFY2(ms < 50, qPrintable(QString::number(ms)));
            QVERIFY(!traite);
        }
        QVERIFY(a.ChaineLue.isEmpty());
        QVERIFY(!a.VoieSerie->CharReady());
        QVERIFY(t.attendRecu(4));
        QCOMPARE(t.prend(), a.Demande);
    }

    void envoieDemandeSansEnvoi() {
        TerminalSimule t;
        pointeCom(1, t.slave());
        Fenetre f;
        Tappareil a;
        a.Demande = "?";
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        int traitements = 0;
        a.VoieSerieOK = false;
        f.voies->EnvoieDemande(a, [&] { ++traitements; });
        QCOMPARE(traitements, 0);
        a.VoieSerieOK = true;
        a.EnvoiDirect = true;
        f.voies->EnvoieDemande(a, [&] { ++traitements; });
        QCOMPARE(traitements, 1);
        QTest::qWait(100);
        QVERIFY(t.recu().isEmpty());
    }

    // The printout comes in chunks of at most 8 bytes, never across a line end; no port opens.
    void rejeuWTW() {
        Fenetre f;
        Tappareil a;
        a.NomAppareil = QStringLiteral("pH-mètre WTW 3310");
        a.ComNumber = 5;
        a.EnvoiDirect = true;
        f.voies->simulationWTW = TVoiesSerie::estWTW3310(a.NomAppareil);
        QVERIFY(f.voies->simulationWTW);
        QVERIFY(!TVoiesSerie::estWTW3310(QStringLiteral("pH-mètre wtw 3310")));
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        QVERIFY(f.voies->TimerWTW1.isActive());
        QCOMPARE(f.voies->TimerWTW1.interval(), 2000);
        QCOMPARE(f.voies->TimerWTW2.interval(), 20);
        QVERIFY(!a.VoieSerie);
        for (int n = 1; n <= 50; ++n)
            QVERIFY(!f.voies->voieSerieCin(n)->Open());

        const auto& lignes = TVoiesSerie::enregistrementWTW();
        QCOMPARE(lignes[0], QByteArray("02.01.2011  22:57:15\r\n"));
        QCOMPARE(lignes[2], QByteArray("No.s\xE9r 08510607\r\n"));
        QCOMPARE(lignes[5], QByteArray("pH 7.37 17.6\xB0"
                                       "C, AR, +++\r\n"));
        QCOMPARE(lignes[6], QByteArray(23, '_') + "\r\n");
        QCOMPARE(lignes[3], QByteArray("\r\n"));
        QByteArray imprime;
        for (const QByteArray& l : lignes)
            imprime += l;
        QCOMPARE(imprime.size(), 116);

        for (int cycle = 0; cycle < 2; ++cycle) {
            f.appels.clear();
            f.voies->TimerWTW1Timer();
            QVERIFY(f.voies->TimerWTW2.isActive());
            for (int appel = 0; appel < 40 && f.voies->TimerWTW2.isActive(); ++appel)
                f.voies->TimerWTW2Timer();
            QVERIFY(!f.voies->TimerWTW2.isActive());
            QCOMPARE(f.voies->ligneWTW, 0);
            QCOMPARE(f.tout(), imprime);
            for (const auto& c : f.appels) {
                QVERIFY(!c.CP);
                QVERIFY(!c.octets.isEmpty() && c.octets.size() <= 8);
                QVERIFY(!c.octets.chopped(1).contains('\n'));
            }
        }

        // The same through the timers themselves, the period shortened for the test.
        f.appels.clear();
        f.voies->TimerWTW1.setInterval(1000);
        QTRY_COMPARE_WITH_TIMEOUT(f.tout(), imprime, 3000);

        a.EnvoiDirect = false;
        QVERIFY(f.voies->setVoieSerieApp(a, false));
        QVERIFY(!f.voies->TimerWTW1.isActive());
    }

    void radioGroupe() {
        TerminalSimule t2;
        TerminalSimule t5;
        TerminalSimule t9;
        Fenetre f;
        QGroupBox groupe;
        SetRS232RG(&groupe, 9, f.voies->NumeroCom);
        QVERIFY(groupe.findChildren<QRadioButton*>().isEmpty());
        QCOMPARE(indexRS232RG(&groupe), -1);

        pointeCom(2, t2.slave());
        pointeCom(5, t5.slave());
        pointeCom(9, t9.slave());
        // A port another program holds is offered all the same.
        QSerialPort autre;
        autre.setPortName(t5.slave());
        QVERIFY(autre.open(QIODevice::ReadWrite));
        QCOMPARE(PortsExistants(), QList<int>({2, 5, 9}));
        SetRS232RG(&groupe, 9, f.voies->NumeroCom);
        QStringList textes;
        for (QRadioButton* b : groupe.findChildren<QRadioButton*>())
            textes << b->text();
        QCOMPARE(textes, QStringList({"COM2", "COM5", "COM9"}));
        QCOMPARE(indexRS232RG(&groupe), 2);
        QCOMPARE(f.voies->NumeroCom[1], 2);
        QCOMPARE(f.voies->NumeroCom[2], 5);
        QCOMPARE(f.voies->NumeroCom[3], 9);

        // Filled again, with a default that is not there: the same three, the first chosen.
        SetRS232RG(&groupe, 4, f.voies->NumeroCom);
        QCOMPARE(groupe.findChildren<QRadioButton*>().size(), 3);
        QCOMPARE(indexRS232RG(&groupe), 0);
    }

    // At the end every release text is sent, the trace dumped and the ports closed; the texts
    // reach the instrument although the ports close at once.
    void liberation() {
        TerminalSimule t1;
        TerminalSimule t2;
        pointeCom(1, t1.slave());
        pointeCom(2, t2.slave());
        Fenetre f;
        Tappareil a;
        Tappareil b;
        Tappareil c;
        a.ComNumber = 1;
        b.ComNumber = 1;
        c.ComNumber = 2;
        a.ChaineFin = "FIN1\r";
        b.ChaineFin = QByteArray(3000, 'b') + "\r";
        c.ChaineFin = "jamais";
        a.DeblocageAfaire = b.DeblocageAfaire = true;
        QVERIFY(f.voies->setVoieSerieApp(a, true));
        QVERIFY(f.voies->setVoieSerieApp(b, true));
        QVERIFY(f.voies->setVoieSerieApp(c, false));
        TApdComPort* p1 = f.voies->voieSerieCin(1);
        const QString trace = p1->cheminTrace();
        QFile::remove(trace);
        QFile::remove(f.voies->voieSerieCin(2)->cheminTrace());

        Tappareil* appareils[] = {&a, &b, &c, nullptr};
        f.voies->LibereVoies(appareils);
        QVERIFY(!p1->Open());
        QVERIFY(!f.voies->voieSerieCin(2)->Open());
        const QByteArray attendu = a.ChaineFin + b.ChaineFin;
        QVERIFY(t1.attendRecu(attendu.size()));
        QCOMPARE(t1.recu(), attendu);
        QTest::qWait(50);
        QVERIFY(t2.recu().isEmpty());

        const QByteArray dump = litFichier(trace);
        QVERIFY(dump.startsWith("Transmit: FIN1[0D]bbbb"));
        QVERIFY(dump.endsWith("b[0D]\r\n"));
        QVERIFY(!dump.contains("Receive: "));
        QVERIFY(QFile::exists(p1->cheminLog()));
        QVERIFY(!QFile::exists(f.voies->voieSerieCin(2)->cheminTrace()));
    }
};

QTEST_MAIN(TstVoiesSerie)
#include "tst_voiesserie.moc"
