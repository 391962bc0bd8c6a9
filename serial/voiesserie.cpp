#include "serial/voiesserie.h"

#include "app/cp1252.h"
#include "instruments/appareil.h"
#include "serial/tableports.h"
#include "settings/reglages.h"

#include <algorithm>

TVoiesSerie::TVoiesSerie(TTriggerAvailEvent gestionnaire, QObject* parent)
    : QObject(parent), gestionnaire_(std::move(gestionnaire)) {
    NumeroCom.fill(1);
    {
        const auto reglages = ouvreReglages();
        indexFichierTrace = reglages->value(QStringLiteral("FichierTrace/Index"), 0).toInt() + 1;
    }
    if (indexFichierTrace > 25 || indexFichierTrace < 0) indexFichierTrace = 0;
    const QString suffixe = lettreTrace();
    for (int n = 1; n <= nbrePorts; ++n) {
        auto port = std::make_unique<TApdComPort>(quint16(n));
        port->setAutoOpen(false);
        port->setTag(n);
        port->setOnTriggerAvail(gestionnaire_);
        // Bare names: the port writes them in the user's trace folder (dossierTraces()).
        const QString base = QStringLiteral("telmira_%1%2").arg(n).arg(suffixe);
        port->setLogName(base + QStringLiteral(".log"));
        port->setTraceName(base + QStringLiteral(".trc"));
        port->setTraceSize(32000);
        port->setLogSize(64000);
        ports_[n - 1] = std::move(port);
    }
}

TVoiesSerie::~TVoiesSerie() = default;

TApdComPort* TVoiesSerie::voieSerieCin(int n) const {
    return n >= 1 && n <= nbrePorts ? ports_[n - 1].get() : nullptr;
}

bool TVoiesSerie::setVoieSerieApp(Tappareil& Appareil, bool traceActive) {
    if (!(simulationWTW && Appareil.EnvoiDirect))
        TimerWTW1.stop();
    else if (!TimerWTW1.isActive())
        TimerWTW1.start();
    if (simulationWTW) return true;
    if (!PortExiste(Appareil.ComNumber)) {
        for (int n = 1; n <= nbrePorts; ++n)
            if (PortExiste(n)) {
                Appareil.ComNumber = quint16(n);
                break;
            }
        if (!PortExiste(Appareil.ComNumber)) return false;
    }
    TApdComPort* port = voieSerieCin(Appareil.ComNumber);
    if (!port) return false;
    Appareil.VoieSerie = port;
    try {
        port->setOnTriggerAvail(gestionnaire_);
        port->setBaud(Appareil.Baud);
        port->setDataBits(Appareil.DataBits);
        port->setStopBits(Appareil.StopBits);
        port->setParity(TParity(qMin<int>(Appareil.Parite, pSpace)));
        port->setSWFlowOptions(Appareil.XonXoff ? swfBoth : swfNone);
        port->setHWFlowOptions(Appareil.RTSCTS ? THWFlowOptionSet{hwfUseRTS, hwfRequireCTS}
                                               : THWFlowOptionSet{});
        port->setOpen(true);
        port->setTracing(traceActive ? tlOn : tlOff);
        port->setLogging(traceActive ? tlOn : tlOff);
        if (Appareil.InitialisationAfaire) {
            port->PutString(Appareil.ChaineInit);
            Appareil.InitialisationAfaire = false;
        }
    } catch (const EAPDException&) {
        Appareil.VoieSerie = nullptr;
        return false;
    }
    return true;
}

void TVoiesSerie::EnvoieDemande(Tappareil& Appareil, const std::function<void()>& TraiteReponse) {
    if (Appareil.EnvoiDirect) {
        if (TraiteReponse) TraiteReponse();
        return;
    }
    if (!Appareil.VoieSerieOK) return;
    if (Appareil.Attente > 0) WaitTicks(Appareil.Attente / tickMs, true);
    // The wait handles events: the set-up may have been released or the port closed meanwhile.
    TApdComPort* port = Appareil.VoieSerie;
    if (!Appareil.VoieSerieOK || !port || !port->Open()) return;
    port->FlushInBuffer();
    Appareil.ChaineLue.clear();
    try {
        port->PutString(Appareil.Demande);
    } catch (const EAPDException&) {
        // The device went away during the cycle; the channel then reports no answer.
    }
}

void TVoiesSerie::TraceVoiesOuvertes(bool traceActive, bool eteindre) {
    if (!traceActive && !eteindre) return;
    const TTraceLogState etat = traceActive ? tlOn : tlDump;
    for (const auto& port : ports_)
        if (port->Open()) {
            port->setTracing(etat);
            port->setLogging(etat);
        }
}

void TVoiesSerie::LibereVoies(std::span<Tappareil* const> appareils) {
    QList<TApdComPort*> ports;
    for (Tappareil* a : appareils) {
        if (!a || !a->VoieSerie) continue;
        TApdComPort* port = a->VoieSerie;
        if (a->DeblocageAfaire && port->Open()) {
            try {
                port->PutString(a->ChaineFin);
            } catch (const EAPDException&) {
            }
        }
        if (!ports.contains(port)) ports << port;
    }
    for (TApdComPort* port : ports) {
        if (port->Tracing() == tlOn) {
            port->setTracing(tlDump);
            port->setLogging(tlDump);
        }
        // The release text must reach the instrument before the line is dropped.
        const qint64 ms =
            port->Baud() > 0 ? 20000 * qint64(TApdComPort::tailleTampon) / port->Baud() : 1000;
        port->attendEmission(int(std::clamp<qint64>(ms, 200, 10000)));
        port->setOpen(false);
    }
}

bool TVoiesSerie::estWTW3310(const QString& NomAppareil) {
    return NomAppareil.contains(QStringLiteral("WTW 3310"), Qt::CaseSensitive);
}

const std::array<QByteArray, 8>& TVoiesSerie::enregistrementWTW() {
    static const std::array<QByteArray, 8> lignes = [] {
        const char* textes[8] = {"02.01.2011  22:57:15",    "pH 3310",
                                 "No.s\u00e9r 08510607",    "",
                                 "Num\u00e9ro ID: 1",       "pH 7.37 17.6\u00b0C, AR, +++",
                                 "_______________________", ""};
        std::array<QByteArray, 8> l;
        for (int i = 0; i < 8; ++i)
            l[i] = versCp1252(QString::fromUtf8(textes[i])) + "\r\n";
        return l;
    }();
    return lignes;
}
