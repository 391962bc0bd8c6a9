#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// How the simulated burette behaves.
struct ReglagesBurette {
    // A Titronic Universal (identifies itself with "universal" and takes the address command),
    // or a Titronic Basic.
    bool universelle = true;
    // Capacity of the exchange unit, mL (two digits in the "RA" answer).
    int capacite = 20;
    // Seconds a refill ("BF") lasts; "RS" answers "BUSY" meanwhile.
    double dureeReset = 2;
    // After this many additions the burette answers nothing any more (-1: never).
    int panneApres = -1;
};

// A Schott Titronic as its serial protocol shows it: command lines "<address><command>" ended
// by CR LF, each answered by one line ended by CR LF. It knows RH (identification), 99AA01
// (address of the Universal), RA (capacity), GDM<rate>,<x> (delivery rate, mL/min), MO
// (acknowledged), BF (stops the piston and refills the unit), RS (status: "BUSY" while it
// refills or delivers, then "READY"), BN (the volume count back to 0), DA<volume> (delivers that
// volume at the rate) and VO (volume delivered, "V=" and the number). Time is given by the
// caller in seconds.
class BuretteSimulee {
public:
    explicit BuretteSimulee(const ReglagesBurette& reglages);

    // Takes bytes sent by the program; returns the answers of the complete commands among them.
    QByteArray recoit(const QByteArray& octets, double t);
    // Volume delivered since the last reset, mL.
    [[nodiscard]] double volume(double t) const;
    [[nodiscard]] bool muette() const { return muette_; }
    [[nodiscard]] int ajouts() const { return ajouts_; }

    // Unknown commands and events are told here (nothing when empty).
    std::function<void(const QString&)> journal;

private:
    QByteArray traite(const QByteArray& ligne, double t);
    void avance(double t);
    void note(const QString& texte) const;

    ReglagesBurette reglages_;
    QByteArray entree_;
    // mL per minute.
    double vitesse_ = 10;
    // A delivery: from volume depart_ at time t0_ towards cible_.
    double depart_ = 0;
    double cible_ = 0;
    double t0_ = 0;
    bool enRemplissage_ = false;
    double finRemplissage_ = 0;
    int ajouts_ = 0;
    bool muette_ = false;
};
