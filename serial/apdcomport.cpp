#include "serial/apdcomport.h"

#include "app/cp1252.h"
#include "app/horloge.h"
#include "serial/dossiertraces.h"
#include "serial/tableports.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QSerialPort>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif

namespace {
QSerialPort::Parity versParite(TParity p) {
    switch (p) {
    case pOdd:
        return QSerialPort::OddParity;
    case pEven:
        return QSerialPort::EvenParity;
    case pMark:
        return QSerialPort::MarkParity;
    case pSpace:
        return QSerialPort::SpaceParity;
    case pNone:
        break;
    }
    return QSerialPort::NoParity;
}

// QSerialPort cannot combine both kinds of flow control; the handshake lines win because an
// instrument that asks for them stops sending without them.
QSerialPort::FlowControl versFlux(THWFlowOptionSet hw, TSWFlowOptions sw) {
    if (hw.contains(hwfUseRTS) || hw.contains(hwfRequireCTS)) return QSerialPort::HardwareControl;
    if (sw != swfNone) return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

QString horodatage(double jour) {
    const double fraction = jour - std::floor(jour);
    // Rounded: a day fraction seldom holds a whole millisecond exactly.
    return QTime::fromMSecsSinceStartOfDay(int(std::llround(fraction * 86400000.0) % 86400000))
        .toString(QStringLiteral("HH:mm:ss.zzz"));
}

bool pseudoTerminal(int fd) {
#ifdef Q_OS_LINUX
    // The majors of the UNIX 98 pseudo-terminal slaves.
    struct stat etat {};
    if (fd < 0 || ::fstat(fd, &etat) != 0 || !S_ISCHR(etat.st_mode)) return false;
    const auto majeur = major(etat.st_rdev);
    return majeur >= 136 && majeur <= 143;
#else
    Q_UNUSED(fd);
    return false;
#endif
}

// A device that went away fails every request; one whose output queue is only full does not.
bool peripheriquePresent(int fd) {
#ifdef Q_OS_UNIX
    termios t{};
    return fd >= 0 && ::tcgetattr(fd, &t) == 0;
#else
    Q_UNUSED(fd);
    return false;
#endif
}

bool ecritFichier(const QString& nom, const QByteArray& contenu) {
    QDir().mkpath(QFileInfo(nom).absolutePath());
    QSaveFile f(nom);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(contenu);
    return f.commit();
}
} // namespace

TApdComPort::TApdComPort(quint16 comNumber, QObject* parent)
    : QObject(parent), ComNumber_(comNumber), Tag_(comNumber) {}

TApdComPort::~TApdComPort() {
    if (port_) {
        attendEmission(1000);
        port_->close();
    }
}

bool TApdComPort::Open() const {
    return port_ && port_->isOpen();
}

QString TApdComPort::cheminDevice() const {
    return Open() ? cheminOuvert_ : cheminPort(ComNumber_);
}

void TApdComPort::verifieReglage(bool reussi, const QString& quoi) {
    if (reussi) return;
    const QString erreur = port_->errorString();
    port_->clearError();
    throw EAPDException(
        QStringLiteral("COM%1 : réglage %2 refusé (%3)").arg(ComNumber_).arg(quoi, erreur));
}

void TApdComPort::appliqueReglages() {
    if (!Open()) return;
    // A pseudo-terminal always carries 8-bit bytes without parity (the driver forces it): an
    // instrument played there at 7E1 is still reached.
    const bool pty = pseudoTerminal(int(port_->handle()));
    const auto tolere = [this, pty](bool reussi) {
        if (!reussi && pty) port_->clearError();
        return reussi || pty;
    };
    verifieReglage(port_->setBaudRate(Baud_), QStringLiteral("vitesse"));
    verifieReglage(tolere(port_->setDataBits(QSerialPort::DataBits(qBound<int>(5, DataBits_, 8)))),
                   QStringLiteral("bits de données"));
    verifieReglage(tolere(port_->setParity(versParite(Parity_))), QStringLiteral("parité"));
    verifieReglage(port_->setStopBits(StopBits_ >= 2 ? QSerialPort::TwoStop : QSerialPort::OneStop),
                   QStringLiteral("bits de stop"));
    verifieReglage(port_->setFlowControl(versFlux(HWFlowOptions_, SWFlowOptions_)),
                   QStringLiteral("contrôle de flux"));
}

void TApdComPort::setBaud(qint32 baud) {
    Baud_ = baud;
    appliqueReglages();
}
void TApdComPort::setParity(TParity parite) {
    Parity_ = parite;
    appliqueReglages();
}
void TApdComPort::setDataBits(quint16 bits) {
    DataBits_ = bits;
    appliqueReglages();
}
void TApdComPort::setStopBits(quint16 bits) {
    StopBits_ = bits;
    appliqueReglages();
}
void TApdComPort::setHWFlowOptions(THWFlowOptionSet options) {
    HWFlowOptions_ = options;
    appliqueReglages();
}
void TApdComPort::setSWFlowOptions(TSWFlowOptions options) {
    SWFlowOptions_ = options;
    appliqueReglages();
}

void TApdComPort::setOpen(bool ouvrir) {
    // A close asked for ends the wait for a lost device; an open made by hand ends it too.
    perdu_ = false;
    if (surveillance_) surveillance_->stop();
    if (ouvrir == Open()) return;
    if (!ouvrir) {
        attendEmission(1000);
        log(QStringLiteral("Fermeture de %1").arg(cheminOuvert_));
        // Deleted later: the close may come from a slot of the port itself.
        port_->disconnect(this);
        port_->close();
        port_.release()->deleteLater();
        // A handler running under a nested event still takes the bytes it was told of.
        recus_ = recus_.mid(lus_, promis_);
        lus_ = 0;
        return;
    }
    const QString chemin = cheminPort(ComNumber_);
    if (chemin.isEmpty())
        throw EAPDException(QStringLiteral("COM%1 : port inconnu").arg(ComNumber_));
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(chemin);
    port->setReadBufferSize(tailleTampon);
    if (!port->open(QIODevice::ReadWrite))
        throw EAPDException(
            QStringLiteral("COM%1 (%2) : %3").arg(ComNumber_).arg(chemin, port->errorString()));
    port_ = std::move(port);
    cheminOuvert_ = chemin;
    try {
        appliqueReglages();
    } catch (const EAPDException&) {
        port_->close();
        port_.reset();
        throw;
    }
    // Pseudo-terminals and some adapters have no modem lines: raising them may fail harmlessly.
    port_->setDataTerminalReady(true);
    if (versFlux(HWFlowOptions_, SWFlowOptions_) != QSerialPort::HardwareControl)
        port_->setRequestToSend(true);
    port_->clearError();
    recus_ = recus_.mid(lus_, promis_);
    lus_ = 0;
    connect(port_.get(), &QSerialPort::readyRead, this, &TApdComPort::arrivee);
    connect(port_.get(), &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::NoError || !port_) return;
        log(QStringLiteral("Erreur : %1").arg(port_->errorString()));
        // A device that went away (adapter unplugged, far end of a pseudo-terminal closed) fails
        // every read: the port closes. A full output queue (a line held by flow control) is a
        // resource error too while we write: the port stays open, the bytes wait in the buffer.
        const bool present = peripheriquePresent(int(port_->handle()));
        bool garde = true;
        if (e == QSerialPort::ResourceError)
            garde = enEmission_ && present;
        else if (e == QSerialPort::ReadError)
            garde = present;
        if (garde)
            port_->clearError();
        else
            QMetaObject::invokeMethod(
                this,
                [this, qui = port_.get()] {
                    if (port_.get() == qui) fermePerte();
                },
                Qt::QueuedConnection);
    });
    demarreEnregistrements();
    log(QStringLiteral("Ouverture de %1 : %2 bauds, %3 bits, parité %4, %5 stop")
            .arg(chemin)
            .arg(Baud_)
            .arg(DataBits_)
            .arg(int(Parity_))
            .arg(StopBits_));
    // Bytes the device already holds are announced like any other.
    if (port_->bytesAvailable() > 0) arrivee();
}

void TApdComPort::PutString(const QByteArray& S) {
    if (!Open() && AutoOpen_) setOpen(true);
    if (!Open())
        throw EAPDException(QStringLiteral("COM%1 : écriture sur un port fermé").arg(ComNumber_));
    if (port_->bytesToWrite() + S.size() > tailleFileEmission) {
        log(QStringLiteral("File d'émission pleine"));
        throw EAPDException(
            QStringLiteral("COM%1 : émission bloquée, file d'émission pleine").arg(ComNumber_));
    }
    log(QStringLiteral("Émission de %1 octets").arg(S.size()));
    const Emission emission(enEmission_);
    if (port_->write(S) != S.size())
        throw EAPDException(QStringLiteral("COM%1 : écriture refusée (%2)")
                                .arg(ComNumber_)
                                .arg(port_->errorString()));
    trace(true, S);
    // What the driver takes at once goes now; the rest as the line takes it.
    port_->flush();
}

void TApdComPort::fermePerte() {
    // What waited to be sent is lost with the device: the close does not wait for it.
    if (port_) port_->clear(QSerialPort::AllDirections);
    setOpen(false);
    perdu_ = true;
    log(QStringLiteral("Périphérique perdu : attente de son retour"));
    if (!surveillance_) {
        surveillance_ = std::make_unique<QTimer>();
        surveillance_->setInterval(1000);
        connect(surveillance_.get(), &QTimer::timeout, this, &TApdComPort::essaieReouverture);
    }
    surveillance_->start();
}

// Once a second, no more: a device path that exists again is opened with the same settings.
void TApdComPort::essaieReouverture() {
    if (!perdu_ || Open()) {
        surveillance_->stop();
        return;
    }
    const QString chemin = cheminPort(ComNumber_);
    if (chemin.isEmpty() || !QFileInfo::exists(chemin)) return;
    try {
        setOpen(true);
    } catch (const EAPDException&) {
        // Still settling (permissions applied after the device appears): tried again later.
        perdu_ = true;
        surveillance_->start();
        return;
    }
    log(QStringLiteral("Réouverture de %1").arg(chemin));
    Q_EMIT reouvert();
}

bool TApdComPort::attendEmission(int delaiMs) {
    if (!Open()) return true;
    const Emission emission(enEmission_);
    QElapsedTimer chrono;
    chrono.start();
    while (Open() && port_->bytesToWrite() > 0 && chrono.elapsed() < delaiMs)
        port_->waitForBytesWritten(int(qMax<qint64>(1, delaiMs - chrono.elapsed())));
#ifdef Q_OS_UNIX
    // Then what the driver still holds; a pseudo-terminal's other side may never read, so this
    // is bounded too.
    int enFile = 0;
    while (Open() && chrono.elapsed() < delaiMs &&
           ::ioctl(int(port_->handle()), TIOCOUTQ, &enFile) == 0 && enFile > 0)
        QThread::msleep(2);
#endif
    return !Open() || port_->bytesToWrite() == 0;
}

bool TApdComPort::CharReady() {
    if (lus_ >= recus_.size()) tire();
    return lus_ < recus_.size();
}

quint8 TApdComPort::GetChar() {
    if (!CharReady())
        throw EAPDException(QStringLiteral("COM%1 : aucun octet reçu en attente").arg(ComNumber_));
    const auto octet = quint8(recus_[lus_++]);
    if (promis_ > 0) --promis_;
    if (lus_ == recus_.size()) {
        recus_.clear();
        lus_ = 0;
    }
    return octet;
}

void TApdComPort::FlushInBuffer() {
    if (!Open()) return;
    // The bytes told to a handler still running (a flush from an event it let through) are its.
    qsizetype perdus = octetsEnAttente() - promis_;
    recus_ = recus_.mid(lus_, promis_);
    lus_ = 0;
    perdus += port_->readAll().size();
    port_->clear(QSerialPort::Input);
    log(QStringLiteral("Vidage du tampon d'entrée (%1 octets)").arg(perdus));
}

// Moves what the device delivered into the receive buffer, up to its capacity; the rest waits
// in the driver (and holds the instrument back when flow control is on).
qsizetype TApdComPort::tire() {
    if (!Open()) return 0;
    if (lus_ > 0) {
        recus_.remove(0, lus_);
        lus_ = 0;
    }
    const qint64 place = tailleTampon - recus_.size();
    if (place <= 0 || port_->bytesAvailable() <= 0) return 0;
    const QByteArray octets = port_->read(place);
    if (octets.isEmpty()) return 0;
    recus_.append(octets);
    trace(false, octets);
    log(QStringLiteral("Réception de %1 octets").arg(octets.size()));
    return octets.size();
}

// Only new bytes are announced: a handler that leaves bytes waiting hears of them again with
// the next arrival, not in a loop.
void TApdComPort::arrivee() {
    if (tire() > 0) prevoitSignal();
}

// The handler is called from a queued call, never from within QSerialPort's readyRead: that
// signal is not emitted again while a slot of it runs, so a handler that waits there would not
// see its answer arrive.
void TApdComPort::prevoitSignal() {
    if (dansGestionnaire_) {
        reannonce_ = true;
        return;
    }
    if (signalPrevu_) return;
    signalPrevu_ = true;
    QMetaObject::invokeMethod(this, &TApdComPort::signale, Qt::QueuedConnection);
}

void TApdComPort::signale() {
    signalPrevu_ = false;
    if (dansGestionnaire_ || !OnTriggerAvail_ || !Open()) return;
    tire();
    const int attente = octetsEnAttente();
    if (attente <= 0) return;
    // A copy: the handler may replace itself while it runs.
    const TTriggerAvailEvent gestionnaire = OnTriggerAvail_;
    const auto count = quint16(qMin(attente, 65535));
    log(QStringLiteral("Données disponibles : %1 octets").arg(count));
    QPointer<TApdComPort> garde(this);
    dansGestionnaire_ = true;
    reannonce_ = false;
    promis_ = count;
    struct Fin {
        QPointer<TApdComPort>& p;
        ~Fin() {
            if (!p) return;
            p->dansGestionnaire_ = false;
            p->promis_ = 0;
            // Bytes the full buffer held back come in now that the handler made room.
            const bool nouveaux = p->tire() > 0;
            if ((nouveaux || p->reannonce_) && p->octetsEnAttente() > 0) p->prevoitSignal();
            p->reannonce_ = false;
        }
    } fin{garde};
    gestionnaire(this, count);
}

void TApdComPort::setOnTriggerAvail(TTriggerAvailEvent gestionnaire) {
    OnTriggerAvail_ = std::move(gestionnaire);
    // Bytes that came while nobody listened are announced to the new handler.
    if (OnTriggerAvail_ && Open()) {
        tire();
        if (octetsEnAttente() > 0) prevoitSignal();
    }
}

void TApdComPort::demarreEnregistrements() {
    if (Tracing_ == tlOn && !traceActive_) {
        traceActive_ = true;
        trace_.clear();
        tailleTrace_ = 0;
    }
    if (Logging_ == tlOn && !logActive_) {
        logActive_ = true;
        log_.clear();
        tailleLog_ = 0;
    }
}

void TApdComPort::setTracing(TTraceLogState etat) {
    switch (etat) {
    case tlOn:
        Tracing_ = tlOn;
        if (Open()) demarreEnregistrements();
        break;
    case tlDump:
        if (Open() && traceActive_ && !TraceName_.isEmpty())
            ecritFichier(cheminTrace(), texteTrace());
        [[fallthrough]];
    default:
        Tracing_ = tlOff;
        traceActive_ = false;
        trace_.clear();
        tailleTrace_ = 0;
    }
}

void TApdComPort::setLogging(TTraceLogState etat) {
    switch (etat) {
    case tlOn:
        Logging_ = tlOn;
        if (Open()) demarreEnregistrements();
        break;
    case tlDump:
        if (Open() && logActive_ && !LogName_.isEmpty()) ecritFichier(cheminLog(), texteLog());
        [[fallthrough]];
    default:
        Logging_ = tlOff;
        logActive_ = false;
        log_.clear();
        tailleLog_ = 0;
    }
}

QString TApdComPort::cheminTrace() const {
    return cheminDansDossierTraces(TraceName_);
}

QString TApdComPort::cheminLog() const {
    return cheminDansDossierTraces(LogName_);
}

void TApdComPort::setTraceSize(quint32 taille) {
    TraceSize_ = taille;
    trace(false, {});
}

void TApdComPort::setLogSize(quint32 taille) {
    LogSize_ = taille;
    limiteLog();
}

// A line as written out: its time, a blank, its text, CR LF.
static qsizetype tailleLigneLog(const QString& texte) {
    return 12 + 1 + texte.size() + 2;
}

void TApdComPort::limiteLog() {
    while (!log_.empty() && (log_.size() > LogSize_ || tailleLog_ > octetsMaxLog)) {
        tailleLog_ -= tailleLigneLog(log_.front().texte);
        log_.pop_front();
    }
}

// A full trace keeps the latest traffic: the end of an exchange is what explains a fault.
void TApdComPort::trace(bool emission, const QByteArray& octets) {
    if (!traceActive_) return;
    if (!octets.isEmpty()) {
        if (!trace_.empty() && trace_.back().emission == emission)
            trace_.back().octets.append(octets);
        else
            trace_.push_back({emission, octets});
        tailleTrace_ += quint32(octets.size());
    }
    while (tailleTrace_ > TraceSize_ && !trace_.empty()) {
        auto& premier = trace_.front();
        const auto enTrop = qMin<qsizetype>(tailleTrace_ - TraceSize_, premier.octets.size());
        premier.octets.remove(0, enTrop);
        tailleTrace_ -= quint32(enTrop);
        if (premier.octets.isEmpty()) trace_.pop_front();
    }
}

void TApdComPort::log(const QString& texte) {
    if (!logActive_ || LogSize_ == 0) return;
    log_.push_back({horloge().maintenant(), texte});
    tailleLog_ += tailleLigneLog(texte);
    limiteLog();
}

// One line per run of bytes in one direction, continued every 64 bytes; bytes outside
// 32..126 and "[" itself are written as [hh].
QByteArray TApdComPort::texteTrace() const {
    QByteArray texte;
    for (const Passage& p : trace_) {
        const QByteArray entete = p.emission ? "Transmit: " : "Receive: ";
        const QByteArray suite(entete.size(), ' ');
        for (qsizetype debut = 0; debut < p.octets.size(); debut += 64) {
            texte += debut == 0 ? entete : suite;
            for (const char c : p.octets.mid(debut, 64)) {
                const auto o = quint8(c);
                if (o >= 32 && o < 127 && o != '[')
                    texte += c;
                else
                    texte += '[' + QByteArray::number(o, 16).toUpper().rightJustified(2, '0') + ']';
            }
            texte += "\r\n";
        }
    }
    return texte;
}

QByteArray TApdComPort::texteLog() const {
    QByteArray texte;
    for (const LigneLog& ligne : log_)
        texte += versCp1252(horodatage(ligne.jour) + QLatin1Char(' ') + ligne.texte) + "\r\n";
    return texte;
}

qint32 tickCourant() {
    return qint32(horloge().millisecondes() / quint32(tickMs));
}

void StartTickTimer(EventTimer& T, qint32 Ticks) {
    T.StartTicks = tickCourant();
    T.ExpireTicks = T.StartTicks + qMin(Ticks, maxTicks);
}

namespace {
// Milliseconds since the start tick began, in the clock's own 32-bit arithmetic: exact across
// the wrap, where a tick count would jump (the last tick before the wrap is shorter).
qint64 msEcoulees(const EventTimer& T) {
    return quint32(horloge().millisecondes() - quint32(T.StartTicks) * quint32(tickMs));
}

// The current tick passes the expiry tick once this much time has gone from the start tick.
qint64 msDuree(const EventTimer& T) {
    return (qint64(T.ExpireTicks) - T.StartTicks + 1) * tickMs;
}

// Milliseconds until the timer expires, at most one tick so that a clock moved by a test is
// noticed soon.
int msRestantes(const EventTimer& T) {
    return int(std::clamp<qint64>(msDuree(T) - msEcoulees(T), 1, tickMs));
}
} // namespace

bool TickTimerExpired(const EventTimer& T) {
    return msEcoulees(T) >= msDuree(T);
}

void WaitTicks(qint32 Ticks, bool PumpMessages) {
    if (Ticks < 1) return;
    EventTimer T;
    StartTickTimer(T, Ticks);
    const QDeadlineTimer borne((qint64(qMin(Ticks, maxTicks)) + 1) * tickMs, Qt::PreciseTimer);
    while (!TickTimerExpired(T) && !borne.hasExpired()) {
        const int ms = int(qMin<qint64>(msRestantes(T), qMax<qint64>(1, borne.remainingTime())));
        if (!PumpMessages || !QCoreApplication::instance()) {
            QThread::msleep(ulong(ms));
            continue;
        }
        QEventLoop boucle;
        bool sonne = false;
        QTimer::singleShot(ms, &boucle, [&] {
            sonne = true;
            boucle.quit();
        });
        boucle.exec();
        // The loop ended without the timer: the application is quitting, which ends every
        // running loop, ours and the outer ones.
        if (!sonne) return;
    }
}
