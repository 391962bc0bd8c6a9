#pragma once

#include <QtGlobal>
#include <memory>

// The one clock of the program: time of day and a millisecond counter.
// Tests install their own to drive time.
class Horloge {
public:
    virtual ~Horloge() = default;
    // Date and time as days (integer part) and fraction of a day.
    [[nodiscard]] virtual double maintenant() const = 0;
    // Milliseconds since an arbitrary origin; wraps like a 32-bit tick counter.
    [[nodiscard]] virtual quint32 millisecondes() const = 0;
};

Horloge& horloge();
// Replaces the clock; the previous one is returned so that a test can put it back.
std::unique_ptr<Horloge> installeHorloge(std::unique_ptr<Horloge> nouvelle);

// Time of day of the program's clock, as a fraction of a day.
inline double heureDuJour() {
    return horloge().maintenant();
}

// A clock that moves only when told to.
class HorlogeManuelle : public Horloge {
public:
    explicit HorlogeManuelle(double jour = 46000.0 + 10.0 / 24.0, quint32 ms = 0)
        : jour_(jour), ms_(ms) {}
    [[nodiscard]] double maintenant() const override { return jour_; }
    [[nodiscard]] quint32 millisecondes() const override { return ms_; }
    void avance(qint64 millis) {
        jour_ += double(millis) / 86400000.0;
        ms_ += quint32(millis);
    }
    void fixe(double jour, quint32 ms) {
        jour_ = jour;
        ms_ = ms;
    }

private:
    double jour_;
    quint32 ms_;
};
