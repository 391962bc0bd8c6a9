#pragma once

#include "instruments/appareil.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <span>

class TFichierIni;

// The motorised burette of the Schott Titronic family (Basic, Universal) on a serial line: it is
// identified and prepared, reset before a titration, told to deliver additions of titrant, and
// asked for the volume delivered. It is an instrument description too (quantity "V" in mL, the
// line settings, its section "BuretteTelmira" of the device file) and carries the titration
// settings the dosing law uses. The program has one, owned by the instrument module.
//
// Every exchange runs on the user-interface thread and borrows the port in VoieSerie. While it
// waits (for an answer, or for a delivery to end) the event loop keeps running, so the windows
// repaint and timers and other ports are served; user input is held back until the burette is
// done, so no user command runs in the middle of a delivery. An exchange asked for while
// another runs (from an event handled meanwhile) sends nothing and gets an empty answer.
class TburetteRS232 : public QObject, public Tappareil {
    Q_OBJECT
public:
    explicit TburetteRS232(QObject* parent = nullptr);
    ~TburetteRS232() override;

    void LitIni(const QString& Anom, const TFichierIni& Ini) override;
    void EcritIni(TFichierIni& Ini) const override;

    // Sends prefixe + commande + CR LF and returns the answer line (printable bytes only), or
    // what came before the time-out (ticks of 55 ms). Empty without a port or when an exchange
    // already runs.
    QByteArray lit(const QByteArray& commande, qint32 ticks);
    // True when the answer acknowledges the command (prefixe followed by "Y").
    bool ecrit(const QByteArray& commande, qint32 ticks);

    // Identifies and prepares the burette; false with erreurInit set when it is not usable.
    bool initBurette();
    // Empties and refills the burette before a titration; ValeurCourante := 0. False when the
    // burette stopped answering (erreurBurette tells why).
    bool reset();
    // The volume delivered, read from the burette: volumeVerse when its answer holds none,
    // NaN when the digits are no number.
    double volume();
    // Delivers one addition: v is brought within VolumeMin..VolumeMax (NaN gives VolumeMin) and
    // rounded down to a whole number of VolumeMin. Returns once the delivery time at the assumed
    // rate has passed, having emitted progressionVerse on the way. True when the burette
    // acknowledged the addition; false otherwise, and then enPanne() says whether the titration
    // must end. No addition is asked for once the burette has failed.
    bool verse(double v);
    // The addition verse(v) sends, in mL.
    [[nodiscard]] double volumeArrondi(double v) const;

    // Whole seconds since the last addition ended, compared with DeltatMin / DeltatMax.
    [[nodiscard]] bool delaiMinEcoule() const;
    [[nodiscard]] bool delaiMaxEcoule() const;
    // The next addition from the titration curve (x: channel 0, V: volumes, n samples);
    // NaN below 7 samples or when the fit fails.
    [[nodiscard]] double deltaY(std::span<const double> x, std::span<const double> V, int n) const;

    // The burette stopped answering or its port failed during the titration; erreurBurette holds
    // the French text to show. Cleared by initBurette and reset.
    [[nodiscard]] bool enPanne() const { return !erreurBurette.isEmpty(); }
    // A delivery is under way (verse is waiting for it to end).
    [[nodiscard]] bool enVerse() const { return enVerse_; }

    QByteArray identification;
    QString erreurInit;
    QByteArray prefixe = QByteArrayLiteral("01");
    // An exchange or a command sequence is running.
    bool busy = false;
    double ecartSensible = 0.01;
    double ecartStable = 0.01;
    double VolumeMin = 0;
    double VolumeMax = 0;
    qint32 DeltatMax = 10;
    qint32 DeltatMin = 1;
    // When the last addition ended (date and time as days).
    double tVerse = 0;
    double deltatVerse = 0;
    double volumeVerse = 0;
    bool rapide = false;
    double VolumeArret = 0;
    double predosage = 0;
    // Delivery rate assumed by the driver, mL per minute.
    qint32 vitesseVerse = 0;
    bool modeIncrement = false;
    double incrementVolume = 0;
    QString erreurBurette;

Q_SIGNALS:
    // During a delivery, about ten times a second: the volume delivered so far (estimated at
    // the assumed rate) and the total expected at its end, in mL.
    void progressionVerse(double verse, double cible);

private:
    // Raises the busy flag for a sequence of commands; the exchanges inside it go through.
    class Sequence;
    // One exchange inside a sequence. With `surveille`, a second silent exchange in a row puts
    // the burette out of order.
    QByteArray echange(const QByteArray& commande, qint32 ticks, bool surveille = true);
    bool acquitte(const QByteArray& reponse) const;
    void notePanne(const QString& texte);

    bool enVerse_ = false;
    // Exchanges in a row that got no byte at all.
    int silences_ = 0;
    // Since the last byte the burette sent.
    QElapsedTimer silence_;
    // The last exchange got at least one byte.
    bool dernierRecu_ = false;
};
