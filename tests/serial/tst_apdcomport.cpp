// The serial port object over real pseudo-terminals: line settings, opening, the data-available
// event, the trace and log files, the existence test, and the tick timers.
#include "app/cp1252.h"
#include "app/horloge.h"
#include "serial/apdcomport.h"
#include "serial/dossiertraces.h"
#include "serial/tableports.h"
#include "tests/commun/terminalsimule.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
void pointeCom(int n, const QString& chemin) {
    qputenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1().constData(), chemin.toLocal8Bit());
}

// The line as the device holds it, read from a descriptor of our own on the slave. A
// pseudo-terminal keeps speed, stop bits and flow control; its driver forces 8 bits without
// parity, so those two are seen only on the port object.
struct Ligne {
    speed_t vitesse = 0;
    int stop = 0;
    bool rtscts = false;
    bool xonxoff = false;
    bool operator==(const Ligne&) const = default;
};

Ligne ligneDe(const QString& chemin) {
    Ligne l;
    const int fd = ::open(chemin.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return l;
    termios t{};
    ::tcgetattr(fd, &t);
    ::close(fd);
    l.vitesse = ::cfgetospeed(&t);
    l.stop = (t.c_cflag & CSTOPB) ? 2 : 1;
    l.rtscts = t.c_cflag & CRTSCTS;
    l.xonxoff = (t.c_iflag & IXON) && (t.c_iflag & IXOFF);
    return l;
}

struct Reglage {
    qint32 baud;
    TParity parite;
    quint16 bits;
    quint16 stop;
    bool rtscts;
    bool xonxoff;
    Ligne attendu;
};

void regle(TApdComPort& p, const Reglage& r) {
    p.setBaud(r.baud);
    p.setParity(r.parite);
    p.setDataBits(r.bits);
    p.setStopBits(r.stop);
    p.setHWFlowOptions(r.rtscts ? THWFlowOptionSet{hwfUseRTS, hwfRequireCTS} : THWFlowOptionSet{});
    p.setSWFlowOptions(r.xonxoff ? swfBoth : swfNone);
}

QByteArray motif(int n, int graine = 0) {
    QByteArray m(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        m[i] = char((i * 7 + graine) % 251);
    return m;
}

QByteArray litFichier(const QString& nom) {
    QFile f(nom);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What one handler saw.
struct Releve {
    QByteArray octets;
    int appels = 0;
    int countMax = 0;
    int profondeur = 0;
    int profondeurMax = 0;
    bool horsFil = false;
    bool mauvaisPort = false;
};

TTriggerAvailEvent lecteur(TApdComPort& port, Releve& r) {
    return [&port, &r](TApdComPort* CP, quint16 Count) {
        ++r.appels;
        r.countMax = qMax<int>(r.countMax, Count);
        if (CP != &port) r.mauvaisPort = true;
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) r.horsFil = true;
        // Count bytes are taken without asking CharReady: they must be there.
        for (int i = 0; i < Count; ++i)
            r.octets += char(CP->GetChar());
    };
}
} // namespace

Q_DECLARE_METATYPE(Reglage)

class TstApdComPort : public QObject {
    Q_OBJECT

    QTemporaryDir dossier_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dossier_.path());
        QDir::setCurrent(dossier_.path());
    }
    void init() {
        for (int n = 1; n <= 50; ++n)
            pointeCom(n, QStringLiteral("/nonexistent/telmira-com%1").arg(n));
    }
    void cleanup() { installeHorloge(nullptr); }

    void reglagesAppliques_data() {
        QTest::addColumn<Reglage>("avant");
        QTest::addColumn<Reglage>("apres");
        QTest::newRow("7E2 RTS/CTS puis 8N1")
            << Reglage{1200, pEven, 7, 2, true, false, {B1200, 2, true, false}}
            << Reglage{9600, pNone, 8, 1, false, false, {B9600, 1, false, false}};
        QTest::newRow("8O1 XON/XOFF puis 8M1")
            << Reglage{19200, pOdd, 8, 1, false, true, {B19200, 1, false, true}}
            << Reglage{4800, pMark, 8, 1, false, false, {B4800, 1, false, false}};
        QTest::newRow("6S1 puis 5N2 RTS/CTS")
            << Reglage{2400, pSpace, 6, 1, false, false, {B2400, 1, false, false}}
            << Reglage{38400, pNone, 5, 2, true, false, {B38400, 2, true, false}};
    }
    // Settings stored while closed are those of the opening; set while open, they reach the
    // device at once. Opening a pseudo-terminal, which has no modem lines, succeeds although
    // DTR and RTS cannot be raised there.
    void reglagesAppliques() {
        QFETCH(Reglage, avant);
        QFETCH(Reglage, apres);
        TerminalSimule t;
        QVERIFY(t.valide());
        pointeCom(4, t.slave());
        TApdComPort p(4);
        regle(p, avant);
        QVERIFY(!p.Open());
        p.setOpen(true);
        QVERIFY(p.Open());
        QCOMPARE(p.cheminDevice(), t.slave());
        QCOMPARE(ligneDe(t.slave()), avant.attendu);
        regle(p, apres);
        QCOMPARE(ligneDe(t.slave()), apres.attendu);
        QCOMPARE(p.Baud(), apres.baud);
        QCOMPARE(p.Parity(), apres.parite);
        QCOMPARE(p.DataBits(), apres.bits);
    }

    void etatsEtErreurs() {
        TerminalSimule t;
        pointeCom(2, t.slave());
        TApdComPort p(2);
        p.setOpen(false);
        QVERIFY(!p.Open());
        QVERIFY_THROWS_EXCEPTION(EAPDException, p.PutString("X"));
        QVERIFY_THROWS_EXCEPTION(EAPDException, p.GetChar());
        QVERIFY(!p.CharReady());
        p.setOpen(true);
        p.setOpen(true);
        QVERIFY(p.Open());
        p.PutString("ABC");
        QVERIFY(t.attendRecu(3));
        QCOMPARE(t.recu(), QByteArray("ABC"));
        QVERIFY_THROWS_EXCEPTION(EAPDException, p.GetChar());
        p.setOpen(false);
        QVERIFY(!p.Open());
        QVERIFY_THROWS_EXCEPTION(EAPDException, p.PutString("X"));

        // A device that goes away closes the port.
        {
            auto disparu = std::make_unique<TerminalSimule>();
            pointeCom(7, disparu->slave());
            TApdComPort q(7);
            q.setOpen(true);
            disparu.reset();
            QTRY_VERIFY(!q.Open());
            QVERIFY_THROWS_EXCEPTION(EAPDException, q.PutString("X"));
        }

        // A missing device raises and leaves the port closed.
        TApdComPort absent(9);
        QVERIFY_THROWS_EXCEPTION(EAPDException, absent.setOpen(true));
        QVERIFY(!absent.Open());
    }

    // Bursts larger than the receive buffer: every call tells how many bytes can be taken,
    // the bytes come in order, on the user-interface thread.
    void evenementsEnRafales() {
        TerminalSimule t;
        pointeCom(1, t.slave());
        TApdComPort p(1);
        Releve r;
        p.setOnTriggerAvail(lecteur(p, r));
        p.setOpen(true);
        QByteArray envoye;
        for (const int taille : {1, 3, 700, 6000, 1, 4096, 250}) {
            const QByteArray rafale = motif(taille, int(envoye.size()));
            envoye += rafale;
            QVERIFY(t.ecrit(rafale));
            if (taille > 100) QTRY_COMPARE(r.octets.size(), envoye.size());
        }
        QTRY_COMPARE(r.octets.size(), envoye.size());
        QCOMPARE(r.octets, envoye);
        QVERIFY(!r.horsFil);
        QVERIFY(!r.mauvaisPort);
        QVERIFY(!p.CharReady());
        QVERIFY(r.countMax <= TApdComPort::tailleTampon);
    }

    // Long texts go whole, in order; a line that takes nothing makes PutString give up after
    // a while instead of freezing the program or piling bytes up.
    void emission() {
        TerminalSimule t;
        pointeCom(6, t.slave());
        TApdComPort p(6);
        p.setBaud(115200);
        p.setOpen(true);
        const QByteArray long_ = motif(10000, 3);
        p.PutString(long_);
        QVERIFY(t.attendRecu(long_.size()));
        QCOMPARE(t.prend(), long_);

        QElapsedTimer chrono;
        chrono.start();
        QVERIFY_THROWS_EXCEPTION(EAPDException, p.PutString(QByteArray(1 << 20, 'x')));
        QVERIFY2(chrono.elapsed() < 5000, qPrintable(QString::number(chrono.elapsed())));
        QVERIFY(p.Open());
    }

    void plusieursPorts() {
        std::vector<std::unique_ptr<TerminalSimule>> terminaux;
        std::vector<std::unique_ptr<TApdComPort>> ports;
        std::vector<Releve> releves(3);
        for (int i = 0; i < 3; ++i) {
            terminaux.push_back(std::make_unique<TerminalSimule>());
            pointeCom(i + 5, terminaux.back()->slave());
            ports.push_back(std::make_unique<TApdComPort>(quint16(i + 5)));
            ports.back()->setOnTriggerAvail(lecteur(*ports.back(), releves[i]));
            ports.back()->setOpen(true);
        }
        std::vector<QByteArray> envoyes(3);
        for (int tour = 0; tour < 20; ++tour)
            for (int i = 0; i < 3; ++i) {
                const QByteArray rafale = motif(17 + 31 * i + tour, tour * 3 + i);
                envoyes[i] += rafale;
                QVERIFY(terminaux[i]->ecrit(rafale));
            }
        for (int i = 0; i < 3; ++i) {
            QTRY_COMPARE(releves[i].octets.size(), envoyes[i].size());
            QCOMPARE(releves[i].octets, envoyes[i]);
            QVERIFY(!releves[i].mauvaisPort);
        }
    }

    // Replaced from within the handler, from outside while bytes flow, and taken away: nothing
    // is lost or doubled, and bytes that came while nobody listened go to the next handler.
    void gestionnaireRemplace() {
        TerminalSimule t;
        pointeCom(3, t.slave());
        TApdComPort p(3);
        QByteArray tout;
        QList<char> auteurs;
        std::function<TTriggerAvailEvent(char)> fabrique = [&](char qui) -> TTriggerAvailEvent {
            return [&, qui](TApdComPort* CP, quint16 Count) {
                for (int i = 0; i < Count; ++i)
                    tout += char(CP->GetChar());
                auteurs << qui;
                if (qui == 'A' && tout.size() >= 300) CP->setOnTriggerAvail(fabrique('B'));
            };
        };
        p.setOnTriggerAvail(fabrique('A'));
        p.setOpen(true);
        QByteArray envoye;
        for (int i = 0; i < 10; ++i) {
            envoye += motif(100, i);
            QVERIFY(t.ecrit(motif(100, i)));
            QTRY_COMPARE(tout.size(), envoye.size());
            if (i == 5) p.setOnTriggerAvail(fabrique('C'));
        }
        QCOMPARE(tout, envoye);
        QVERIFY(auteurs.contains('A') && auteurs.contains('B') && auteurs.contains('C'));
        QCOMPARE(auteurs.indexOf('B') > auteurs.lastIndexOf('A'), true);

        p.setOnTriggerAvail(nullptr);
        QVERIFY(t.ecrit("attente"));
        QTRY_VERIFY(p.CharReady());
        QTest::qWait(50);
        QCOMPARE(tout, envoye);
        p.setOnTriggerAvail(fabrique('D'));
        QTRY_COMPARE(tout, envoye + "attente");
    }

    // A handler that lets events run (as the request pause does) is not entered again for its
    // port, though other ports' events and the bytes that keep coming are handled meanwhile;
    // a flush or a close made from such an event spares the bytes it was told of.
    void pasDeReentree() {
        TerminalSimule t1;
        TerminalSimule t2;
        pointeCom(1, t1.slave());
        pointeCom(2, t2.slave());
        TApdComPort p1(1);
        TApdComPort p2(2);
        Releve r1;
        Releve r2;
        bool p2PendantP1 = false;
        bool videPendant = false;
        p1.setOnTriggerAvail([&](TApdComPort* CP, quint16 Count) {
            ++r1.appels;
            r1.profondeurMax = qMax(r1.profondeurMax, ++r1.profondeur);
            const int avantAttente = r2.appels;
            if (videPendant) QTimer::singleShot(0, &p1, [&] { p1.FlushInBuffer(); });
            WaitTicks(1, true);
            if (r2.appels > avantAttente) p2PendantP1 = true;
            for (int i = 0; i < Count; ++i)
                r1.octets += char(CP->GetChar());
            --r1.profondeur;
        });
        p2.setOnTriggerAvail(lecteur(p2, r2));
        p1.setOpen(true);
        p2.setOpen(true);

        QByteArray envoye;
        int tour = 0;
        QTimer rafales;
        rafales.setInterval(7);
        connect(&rafales, &QTimer::timeout, this, [&] {
            const QByteArray m = motif(13, tour++);
            envoye += m;
            t1.ecrit(m);
            t2.ecrit("x");
        });
        rafales.start();
        QTRY_VERIFY(tour >= 60);
        rafales.stop();
        QTRY_COMPARE(r1.octets.size(), envoye.size());
        QCOMPARE(r1.octets, envoye);
        QCOMPARE(r1.profondeurMax, 1);
        QVERIFY(r1.appels > 1);
        QVERIFY(p2PendantP1);
        QTRY_COMPARE(r2.octets.size(), qsizetype(tour));

        // The flush from the nested event keeps the announced bytes for the running handler.
        videPendant = true;
        const QByteArray avant = r1.octets;
        QVERIFY(t1.ecrit("0123456789"));
        QTRY_COMPARE(r1.octets, avant + "0123456789");
        videPendant = false;

        // Closed under the handler: the announced bytes can still be taken.
        int pris = 0;
        p1.setOnTriggerAvail([&](TApdComPort* CP, quint16 Count) {
            QTimer::singleShot(0, &p1, [&] { p1.setOpen(false); });
            WaitTicks(1, true);
            for (int i = 0; i < Count; ++i, ++pris)
                CP->GetChar();
        });
        QVERIFY(t1.ecrit("fin"));
        QTRY_VERIFY(!p1.Open());
        QTRY_COMPARE(pris, 3);
    }

    // The trace of a port set on before its opening, its dump, and the log in time order.
    void traceEtJournal() {
        auto h = std::make_unique<HorlogeManuelle>(46000.0 + 10.0 / 24.0, 0);
        HorlogeManuelle* horlogeTest = h.get();
        installeHorloge(std::move(h));
        TerminalSimule t;
        pointeCom(8, t.slave());
        TApdComPort p(8);
        p.setTraceName(QStringLiteral("essai.trc"));
        p.setLogName(QStringLiteral("essai.log"));
        QFile::remove(p.cheminTrace());
        QFile::remove(p.cheminLog());
        p.setTracing(tlOn);
        p.setLogging(tlOn);
        QCOMPARE(p.Tracing(), tlOn);
        QByteArray recu;
        p.setOnTriggerAvail([&](TApdComPort* CP, quint16 Count) {
            for (int i = 0; i < Count; ++i)
                recu += char(CP->GetChar());
        });
        p.setOpen(true);
        horlogeTest->avance(1500);
        p.PutString(QByteArray("AB\x01\r\n"));
        QVERIFY(t.attendRecu(5));
        horlogeTest->avance(250);
        QVERIFY(t.ecrit(QByteArray("pH 7.00[\r\n\xB0")));
        QTRY_COMPARE(recu.size(), 11);
        horlogeTest->avance(60000);
        p.PutString(QByteArray(70, 'z'));
        QVERIFY(t.attendRecu(75));

        p.setTracing(tlDump);
        p.setLogging(tlDump);
        QCOMPARE(p.Tracing(), tlOff);
        QCOMPARE(p.Logging(), tlOff);
        // Bare names go to the user's trace folder, not to the current folder.
        QCOMPARE(p.cheminTrace(), dossierTraces() + QStringLiteral("/essai.trc"));
        QVERIFY(!QFile::exists(QStringLiteral("essai.trc")));
        QCOMPARE(litFichier(p.cheminTrace()), QByteArray("Transmit: AB[01][0D][0A]\r\n"
                                                         "Receive: pH 7.00[5B][0D][0A][B0]\r\n"
                                                         "Transmit: ") +
                                                  QByteArray(64, 'z') + "\r\n          zzzzzz\r\n");

        const QList<QByteArray> lignes = litFichier(p.cheminLog()).split('\n');
        QVERIFY(lignes.size() >= 5);
        QVERIFY(lignes.first().startsWith("10:00:00.000 Ouverture"));
        QByteArray precedent;
        for (const QByteArray& l : lignes) {
            if (l.isEmpty()) continue;
            QVERIFY2(l.endsWith('\r') && l.size() > 13 && l[12] == ' ', l.constData());
            QVERIFY(l.left(12) >= precedent);
            precedent = l.left(12);
        }
        QVERIFY(litFichier(p.cheminLog()).contains("10:00:01.500 "));
        QVERIFY(litFichier(p.cheminLog()).contains("10:01:01.750 "));

        // Recording stopped with the dump: a new dump writes nothing.
        QFile::remove(p.cheminTrace());
        p.PutString("plus");
        p.setTracing(tlDump);
        QVERIFY(!QFile::exists(p.cheminTrace()));

        // Full trace and log keep the latest traffic.
        p.setTracing(tlOn);
        p.setLogging(tlOn);
        p.setTraceSize(10);
        p.setLogSize(2);
        p.PutString("0123456789ABCDEFGHIJ");
        p.PutString("KL");
        QCOMPARE(p.texteTrace(), QByteArray("Transmit: CDEFGHIJKL\r\n"));
        QCOMPARE(p.texteLog().count("\r\n"), 2);
        QVERIFY(p.texteLog().endsWith(versCp1252(QStringLiteral("Émission de 2 octets")) + "\r\n"));
        // However many lines it may keep, the log's text stays bounded in bytes.
        p.setLogSize(1000000);
        for (int i = 0; i < 5000; ++i)
            p.PutString("x");
        QVERIFY(p.texteLog().size() <= TApdComPort::octetsMaxLog);
        QVERIFY(p.texteLog().size() > TApdComPort::octetsMaxLog - 100);
        p.setOpen(false);

        // On a closed port the dump only stops recording.
        p.setTracing(tlOn);
        p.setTracing(tlDump);
        QVERIFY(!QFile::exists(p.cheminTrace()));
        QCOMPARE(p.Tracing(), tlOff);
    }

    // Present, missing, not a terminal, and held: by another port object of the program (its
    // lock file), by another serial port client, and with TIOCEXCL (which keeps out only
    // processes without CAP_SYS_ADMIN, so the open below is not asserted).
    void portExiste() {
        TerminalSimule t;
        pointeCom(3, t.slave());
        QVERIFY(PortExiste(3));
        QVERIFY(!PortExiste(4));
        pointeCom(4, QStringLiteral("/dev/null"));
        QVERIFY(!PortExiste(4));
        QVERIFY(!PortExiste(0));
        QVERIFY(!PortExiste(51));

        TApdComPort tenant(3);
        tenant.setBaud(1200);
        Releve r;
        tenant.setOnTriggerAvail(lecteur(tenant, r));
        tenant.setOpen(true);
        QVERIFY(PortExiste(3));
        // The holder is not disturbed: its line and its traffic go on.
        QCOMPARE(ligneDe(t.slave()).vitesse, speed_t(B1200));
        QVERIFY(t.ecrit("ok"));
        QTRY_COMPARE(r.octets, QByteArray("ok"));
        TApdComPort second(3);
        QVERIFY_THROWS_EXCEPTION(EAPDException, second.setOpen(true));
        QVERIFY(!second.Open());
        tenant.setOpen(false);

        QSerialPort autre;
        autre.setPortName(t.slave());
        QVERIFY(autre.open(QIODevice::ReadWrite));
        QVERIFY(PortExiste(3));
        QVERIFY_THROWS_EXCEPTION(EAPDException, second.setOpen(true));
        autre.close();
        second.setOpen(true);
        QVERIFY(second.Open());
        second.setOpen(false);

        const int fd = ::open(t.slave().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QCOMPARE(::ioctl(fd, TIOCEXCL), 0);
        QVERIFY(PortExiste(3));
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
    }

    void tickTimer_data() {
        QTest::addColumn<quint32>("depart");
        QTest::addColumn<qint32>("ticks");
        QTest::newRow("origine") << 0u << 2;
        QTest::newRow("milieu de tick") << 12345u << 10;
        QTest::newRow("avant le retour a zero") << 0xFFFFFFFFu - 100 << 10;
        QTest::newRow("dernier tick") << 0xFFFFFFFFu << 3;
        QTest::newRow("long, a cheval") << 0xFFFFFFFFu - 1000000 << 40000;
        QTest::newRow("le plus long") << 0xF0000000u << maxTicks;
    }
    // Ticks timers run their full length wherever the 32-bit clock stands, across its wrap too.
    void tickTimer() {
        QFETCH(quint32, depart);
        QFETCH(qint32, ticks);
        auto h = std::make_unique<HorlogeManuelle>(46000.0, depart);
        HorlogeManuelle* c = h.get();
        installeHorloge(std::move(h));
        EventTimer T;
        StartTickTimer(T, ticks);
        QCOMPARE(T.ExpireTicks - T.StartTicks, ticks);
        QVERIFY(!TickTimerExpired(T));
        c->avance(qint64(ticks) * tickMs);
        QVERIFY(!TickTimerExpired(T));
        c->avance(tickMs);
        QVERIFY(TickTimerExpired(T));
    }

    void tickTimerBorne() {
        auto h = std::make_unique<HorlogeManuelle>(46000.0, 777);
        HorlogeManuelle* c = h.get();
        installeHorloge(std::move(h));
        EventTimer T;
        StartTickTimer(T, 100000000);
        QCOMPARE(T.ExpireTicks - T.StartTicks, maxTicks);
        c->avance(qint64(maxTicks) * tickMs);
        QVERIFY(!TickTimerExpired(T));
        c->avance(tickMs);
        QVERIFY(TickTimerExpired(T));
        StartTickTimer(T, -5);
        QVERIFY(TickTimerExpired(T));
    }

    void waitTicks_data() {
        QTest::addColumn<qint32>("ticks");
        QTest::addColumn<bool>("pompe");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("-5") << -5 << false;
        QTest::newRow("0 pompe") << 0 << true;
        QTest::newRow("-5 pompe") << -5 << true;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("2 pompe") << 2 << true;
    }
    // Timings are checked loosely: the machine may be busy.
    void waitTicks() {
        QFETCH(qint32, ticks);
        QFETCH(bool, pompe);
        bool traite = false;
        QTimer::singleShot(0, this, [&] { traite = true; });
        QElapsedTimer chrono;
        chrono.start();
        WaitTicks(ticks, pompe);
        const qint64 ms = chrono.elapsed();
        if (ticks < 1) {
            QVERIFY2(ms < 50, qPrintable(QString::number(ms)));
            QVERIFY(!traite);
        } else {
            QVERIFY2(ms >= 100 && ms < 1000, qPrintable(QString::number(ms)));
            QCOMPARE(traite, pompe);
        }
        QTRY_VERIFY(traite);
    }

    // With a clock the test holds still, the wait still ends (after its length in real time);
    // a clock moved from an event the wait dispatches ends it at once.
    void waitTicksHorlogeManuelle() {
        auto h = std::make_unique<HorlogeManuelle>();
        HorlogeManuelle* c = h.get();
        installeHorloge(std::move(h));
        QElapsedTimer chrono;
        chrono.start();
        WaitTicks(3, true);
        QVERIFY(chrono.elapsed() >= 150 && chrono.elapsed() < 2000);
        WaitTicks(2, false);
        QVERIFY(chrono.elapsed() >= 250);

        chrono.restart();
        QTimer::singleShot(20, this, [c] { c->avance(60000); });
        WaitTicks(200, true);
        QVERIFY2(chrono.elapsed() < 5000, qPrintable(QString::number(chrono.elapsed())));
    }

    // A quit request during a pumped wait ends the wait and the application's loop.
    void waitTicksQuitte() {
        qint64 duree = -1;
        QElapsedTimer chrono;
        QTimer::singleShot(0, this, [&] {
            chrono.start();
            WaitTicks(200, true);
            duree = chrono.elapsed();
        });
        QTimer::singleShot(100, this, [] { QCoreApplication::quit(); });
        QElapsedTimer total;
        total.start();
        QCoreApplication::exec();
        QVERIFY(duree >= 0);
        QVERIFY2(duree < 5000, qPrintable(QString::number(duree)));
        QVERIFY(total.elapsed() < 5000);
    }
};

QTEST_MAIN(TstApdComPort)
#include "tst_apdcomport.moc"
