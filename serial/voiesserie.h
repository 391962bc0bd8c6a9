#pragma once

#include "serial/apdcomport.h"
#include "serial/rejeuwtw.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <span>

class Tappareil;

// Port number shown as item k - 1 of the port radio group filled last (element 0 unused).
using TNumeroCom = std::array<qint32, 51>;

// The main window's serial side: the table of the 50 port objects, the binding of instruments
// to their ports, the sending of requests, the release at the end and the replay of the
// built-in "WTW 3310" printout. The main window owns one and gives it its data-available
// handler.
class TVoiesSerie : public QObject {
    Q_OBJECT
    TTriggerAvailEvent gestionnaire_;

public:
    static constexpr int nbrePorts = 50;

    // Reads the rotating trace index from the settings ("FichierTrace/Index") and advances it.
    explicit TVoiesSerie(TTriggerAvailEvent gestionnaire, QObject* parent = nullptr);
    ~TVoiesSerie() override;

    // The port object of COM n; nullptr outside 1..50.
    [[nodiscard]] TApdComPort* voieSerieCin(int n) const;
    // The main window's data-available handler, given to every port of the table.
    [[nodiscard]] const TTriggerAvailEvent& gestionnaire() const { return gestionnaire_; }
    // "`" for index 0, "a" for 1 ... "y" for 25.
    [[nodiscard]] QChar lettreTrace() const { return QChar(96 + indexFichierTrace); }

    // Binds an instrument to its port (moved to the first existing port when its own is
    // missing), opens and sets it and sends the initialisation text once; false when the
    // instrument cannot be used. `traceActive` is the stored trace option ("FichierTrace/Actif").
    [[nodiscard]] bool setVoieSerieApp(Tappareil& Appareil, bool traceActive);
    // Sends the instrument's request after its pause Attente (messages are handled meanwhile);
    // an instrument that sends on its own is sent nothing and TraiteReponse runs at once.
    void EnvoieDemande(Tappareil& Appareil, const std::function<void()>& TraiteReponse);
    // At acquisition start, once every channel is bound: open ports get their trace switched on
    // when the option is ticked. With `eteindre` (the option just changed in the mode dialog),
    // an option unticked writes the trace recorded so far and stops it.
    void TraceVoiesOuvertes(bool traceActive, bool eteindre = false);
    // Release at the end: every release text is sent first (several instruments may share a
    // port), then each port's trace is dumped and the port closed once its bytes have left.
    void LibereVoies(std::span<Tappareil* const> appareils);

    // True for an instrument served by the built-in printout (case-sensitive "WTW 3310").
    [[nodiscard]] static bool estWTW3310(const QString& NomAppareil);
    [[nodiscard]] static const std::array<QByteArray, 8>& enregistrementWTW();
    // The next byte of the replay, for the data-available handler called with no port;
    // 0 once the line is exhausted.
    [[nodiscard]] quint8 LitOctetWTW() { return rejeuWTW.LitOctet(); }
    void TimerWTW1Timer() { rejeuWTW.TimerWTW1Timer(); }
    void TimerWTW2Timer() { rejeuWTW.TimerWTW2Timer(); }

    TNumeroCom NumeroCom;
    qint32 indexFichierTrace = 0;
    bool simulationWTW = false;
    // The acquisition's replay of the printout, to the main handler; its state under the
    // names the acquisition uses.
    TRejeuWTW rejeuWTW{gestionnaire_};
    int& ligneWTW = rejeuWTW.ligneWTW;
    int& positionWTW = rejeuWTW.positionWTW;
    QTimer& TimerWTW1 = rejeuWTW.TimerWTW1;
    QTimer& TimerWTW2 = rejeuWTW.TimerWTW2;

private:
    std::array<std::unique_ptr<TApdComPort>, nbrePorts> ports_;
};
