#include "settings/testburette.h"

#include "instruments/appareil.h"
#include "serial/voiesserie.h"

#include <QThread>
#include <algorithm>

QString TesteBurette(TVoiesSerie& voies, Tappareil& burette, int com, bool trace,
                     const std::function<QString()>& initBurette) {
    TApdComPort* port = voies.voieSerieCin(com);
    if (!port) return texteProblemeVoieBurette;
    try {
        burette.ComNumber = quint16(com);
        burette.VoieSerie = port;
        if (!port->Open()) {
            port->setBaud(burette.Baud);
            port->setDataBits(burette.DataBits);
            port->setStopBits(burette.StopBits);
            port->setParity(TParity(std::min<int>(burette.Parite, pSpace)));
            port->setSWFlowOptions(burette.XonXoff ? swfBoth : swfNone);
            port->setHWFlowOptions(burette.RTSCTS ? THWFlowOptionSet{hwfUseRTS, hwfRequireCTS}
                                                  : THWFlowOptionSet{});
            port->setOpen(true);
            port->setTracing(trace ? tlOn : tlOff);
            port->setLogging(trace ? tlOn : tlOff);
            // A line just raised: the burette ignores what comes at once.
            QThread::msleep(100);
        }
        if (!port->Open()) return texteProblemeVoieBurette;
        return initBurette ? initBurette() : QString();
    } catch (const EAPDException&) {
        return texteProblemeVoieBurette;
    }
}
