#include "app/horloge.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {
class HorlogeSysteme : public Horloge {
public:
    HorlogeSysteme() { depart_.start(); }
    [[nodiscard]] double maintenant() const override {
        // Days since 1899-12-30, the origin of the program's stored dates (1970-01-01 is day
        // 25569), in local time. The offset from UTC is looked up once a minute: the time zone
        // lookup costs more than the rest, and offsets change on the hour.
        const qint64 utc = QDateTime::currentMSecsSinceEpoch();
        const qint64 minute = utc / 60000;
        if (minute != minuteDecalage_) {
            decalageMs_ = qint64(QDateTime::fromMSecsSinceEpoch(utc).offsetFromUtc()) * 1000;
            minuteDecalage_ = minute;
        }
        const qint64 local = utc + decalageMs_;
        constexpr qint64 jourMs = 86400000;
        const qint64 jours = local / jourMs - (local % jourMs < 0 ? 1 : 0);
        return double(25569 + jours) + double(local - jours * jourMs) / double(jourMs);
    }
    [[nodiscard]] quint32 millisecondes() const override {
        return quint32(depart_.elapsed() + base_);
    }

private:
    QElapsedTimer depart_;
    mutable qint64 minuteDecalage_ = -1;
    mutable qint64 decalageMs_ = 0;
    // Starting from the system's monotonic count keeps the wrap-around realistic.
    qint64 base_ = QDateTime::currentMSecsSinceEpoch() & 0xFFFFFFFF;
};

std::unique_ptr<Horloge>& courante() {
    static std::unique_ptr<Horloge> h = std::make_unique<HorlogeSysteme>();
    return h;
}
} // namespace

Horloge& horloge() {
    return *courante();
}

std::unique_ptr<Horloge> installeHorloge(std::unique_ptr<Horloge> nouvelle) {
    std::unique_ptr<Horloge> ancienne = std::move(courante());
    courante() = nouvelle ? std::move(nouvelle) : std::make_unique<HorlogeSysteme>();
    return ancienne;
}
