#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>

class QSerialPort;

// Raised by a port that cannot be opened, written or read.
class EAPDException : public std::runtime_error {
public:
    explicit EAPDException(const QString& message)
        : std::runtime_error(message.toStdString()), texte_(message) {}
    [[nodiscard]] const QString& texte() const { return texte_; }

private:
    QString texte_;
};

enum TParity : quint8 { pNone, pOdd, pEven, pMark, pSpace };
enum THWFlowOptions : quint8 { hwfUseDTR, hwfUseRTS, hwfRequireDSR, hwfRequireCTS };
enum TSWFlowOptions : quint8 { swfNone, swfReceive, swfTransmit, swfBoth };
enum TTraceLogState : quint8 {
    tlOff,
    tlOn,
    tlDump,
    tlAppend,
    tlClear,
    tlPause,
    tlAppendAndContinue
};

// A set of THWFlowOptions.
class THWFlowOptionSet {
public:
    constexpr THWFlowOptionSet() = default;
    constexpr THWFlowOptionSet(std::initializer_list<THWFlowOptions> options) {
        for (auto o : options)
            bits_ |= quint8(1u << o);
    }
    [[nodiscard]] constexpr bool contains(THWFlowOptions o) const { return bits_ & (1u << o); }
    [[nodiscard]] constexpr bool isEmpty() const { return bits_ == 0; }
    constexpr bool operator==(const THWFlowOptionSet&) const = default;

private:
    quint8 bits_ = 0;
};

class TApdComPort;
// Data-available handler: CP is the port that has bytes waiting (nullptr for the replayed
// printout of the port binding), Count how many can be taken with GetChar.
using TTriggerAvailEvent = std::function<void(TApdComPort* CP, quint16 Count)>;

// One serial port: its line settings, opening and closing, sending, received bytes handed
// over one at a time, the data-available event, and an optional trace and log of the traffic.
// Everything runs on the thread that owns the object (the user-interface thread): the device is
// watched by that thread's event loop, so the handler always runs there, is never re-entered for
// one port, and the Count bytes it is told of stay there for GetChar until it returns (a flush
// or a close made meanwhile, from a nested event, spares them).
class TApdComPort : public QObject {
    Q_OBJECT
public:
    static constexpr int tailleTampon = 4096;
    // Bytes that may wait to be sent: beyond, the line does not take what it is given.
    static constexpr int tailleFileEmission = 64 * 1024;
    // Text the log keeps at most, whatever its number of lines.
    static constexpr qsizetype octetsMaxLog = 64 * 1024;

    explicit TApdComPort(quint16 comNumber = 1, QObject* parent = nullptr);
    ~TApdComPort() override;

    [[nodiscard]] quint16 ComNumber() const { return ComNumber_; }
    void setComNumber(quint16 n) { ComNumber_ = n; }

    [[nodiscard]] qint32 Baud() const { return Baud_; }
    void setBaud(qint32 baud);
    [[nodiscard]] TParity Parity() const { return Parity_; }
    void setParity(TParity parite);
    [[nodiscard]] quint16 DataBits() const { return DataBits_; }
    void setDataBits(quint16 bits);
    [[nodiscard]] quint16 StopBits() const { return StopBits_; }
    void setStopBits(quint16 bits);
    [[nodiscard]] THWFlowOptionSet HWFlowOptions() const { return HWFlowOptions_; }
    void setHWFlowOptions(THWFlowOptionSet options);
    [[nodiscard]] TSWFlowOptions SWFlowOptions() const { return SWFlowOptions_; }
    void setSWFlowOptions(TSWFlowOptions options);

    [[nodiscard]] bool Open() const;
    // Raises EAPDException when the device cannot be opened or set; the port then stays closed.
    void setOpen(bool ouvrir);
    [[nodiscard]] bool AutoOpen() const { return AutoOpen_; }
    void setAutoOpen(bool a) { AutoOpen_ = a; }
    [[nodiscard]] qint32 Tag() const { return Tag_; }
    void setTag(qint32 t) { Tag_ = t; }

    // The device path the port opened, or would open now.
    [[nodiscard]] QString cheminDevice() const;

    // Queues every byte for sending; they leave as the line takes them, while events are
    // handled. Never waits: raises EAPDException when the queue would grow past
    // tailleFileEmission (a line held by flow control, a far end that does not read).
    void PutString(const QByteArray& S);
    [[nodiscard]] bool CharReady();
    // The oldest waiting byte; EAPDException when none is waiting.
    quint8 GetChar();
    void FlushInBuffer();
    // Waits (without dispatching events) until the queued bytes have left, at most delaiMs.
    bool attendEmission(int delaiMs);
    [[nodiscard]] int octetsEnAttente() const { return int(recus_.size() - lus_); }

    // The device went away (adapter unplugged): the port closed itself and opens again, with
    // its settings, once the device path exists again.
    [[nodiscard]] bool perdu() const { return perdu_; }

    [[nodiscard]] const TTriggerAvailEvent& OnTriggerAvail() const { return OnTriggerAvail_; }
    void setOnTriggerAvail(TTriggerAvailEvent gestionnaire);

    [[nodiscard]] TTraceLogState Tracing() const { return Tracing_; }
    void setTracing(TTraceLogState etat);
    [[nodiscard]] TTraceLogState Logging() const { return Logging_; }
    void setLogging(TTraceLogState etat);
    [[nodiscard]] const QString& TraceName() const { return TraceName_; }
    void setTraceName(const QString& nom) { TraceName_ = nom; }
    [[nodiscard]] const QString& LogName() const { return LogName_; }
    void setLogName(const QString& nom) { LogName_ = nom; }
    // Where the dump writes: a bare name goes to the trace folder (serial/dossiertraces.h),
    // never to the folder the program was started from.
    [[nodiscard]] QString cheminTrace() const;
    [[nodiscard]] QString cheminLog() const;
    [[nodiscard]] quint32 TraceSize() const { return TraceSize_; }
    void setTraceSize(quint32 taille);
    [[nodiscard]] quint32 LogSize() const { return LogSize_; }
    void setLogSize(quint32 taille);

    // The text the dump writes; public for the tests.
    [[nodiscard]] QByteArray texteTrace() const;
    [[nodiscard]] QByteArray texteLog() const;

Q_SIGNALS:
    // The device came back and the port is open again.
    void reouvert();

private:
    void appliqueReglages();
    void fermePerte();
    void essaieReouverture();
    void verifieReglage(bool reussi, const QString& quoi);
    void arrivee();
    qsizetype tire();
    void prevoitSignal();
    void signale();
    void trace(bool emission, const QByteArray& octets);
    void log(const QString& texte);
    void limiteLog();
    void demarreEnregistrements();

    quint16 ComNumber_;
    qint32 Baud_ = 19200;
    TParity Parity_ = pNone;
    quint16 DataBits_ = 8;
    quint16 StopBits_ = 1;
    THWFlowOptionSet HWFlowOptions_;
    TSWFlowOptions SWFlowOptions_ = swfNone;
    bool AutoOpen_ = false;
    qint32 Tag_;
    TTriggerAvailEvent OnTriggerAvail_;
    TTraceLogState Tracing_ = tlOff;
    TTraceLogState Logging_ = tlOff;
    QString TraceName_;
    QString LogName_;
    quint32 TraceSize_ = 32000;
    quint32 LogSize_ = 64000;

    std::unique_ptr<QSerialPort> port_;
    bool perdu_ = false;
    std::unique_ptr<class QTimer> surveillance_;
    QString cheminOuvert_;
    // Received bytes: recus_[lus_..] are waiting.
    QByteArray recus_;
    qsizetype lus_ = 0;
    bool dansGestionnaire_ = false;
    // Set while we write: a full output queue is then no reason to close.
    bool enEmission_ = false;
    struct Emission {
        bool& drapeau;
        bool avant;
        explicit Emission(bool& d) : drapeau(d), avant(d) { drapeau = true; }
        ~Emission() { drapeau = avant; }
        Emission(const Emission&) = delete;
        Emission& operator=(const Emission&) = delete;
    };
    bool signalPrevu_ = false;
    // An announcement asked for while the handler ran; it is made once the handler returns.
    bool reannonce_ = false;
    // Bytes announced to the running handler and not yet taken.
    qsizetype promis_ = 0;

    struct Passage {
        bool emission;
        QByteArray octets;
    };
    bool traceActive_ = false;
    bool logActive_ = false;
    std::deque<Passage> trace_;
    quint32 tailleTrace_ = 0;
    // The log's lines, their time of day formatted only when written out; bounded by LogSize
    // lines and by octetsMaxLog bytes of text.
    struct LigneLog {
        double jour;
        QString texte;
    };
    std::deque<LigneLog> log_;
    qsizetype tailleLog_ = 0;
};

// Ticks of 55 ms counted from the program's millisecond clock.
struct EventTimer {
    qint32 StartTicks = 0;
    qint32 ExpireTicks = 0;
};

inline constexpr qint32 tickMs = 55;
// The largest tick count whose milliseconds fit a signed 32-bit integer.
inline constexpr qint32 maxTicks = 39045157;

[[nodiscard]] qint32 tickCourant();
void StartTickTimer(EventTimer& T, qint32 Ticks);
[[nodiscard]] bool TickTimerExpired(const EventTimer& T);
// Waits Ticks ticks of the program's clock. With PumpMessages the wait runs inside the event
// loop (events are handled, a quit request ends it at once and the application still quits);
// without, it only sleeps. Real time bounds the wait too, so that a clock a test holds still
// cannot keep it for ever: it ends after Ticks + 1 ticks of real time at the latest.
void WaitTicks(qint32 Ticks, bool PumpMessages);
