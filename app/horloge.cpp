#include "app/horloge.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {
class HorlogeSysteme : public Horloge {
public:
    HorlogeSysteme() { depart_.start(); }
    [[nodiscard]] double maintenant() const override {
        // Days since 1899-12-30, the origin of the program's stored dates.
        static const QDate origine(1899, 12, 30);
        const QDateTime t = QDateTime::currentDateTime();
        return double(origine.daysTo(t.date())) + t.time().msecsSinceStartOfDay() / 86400000.0;
    }
    [[nodiscard]] quint32 millisecondes() const override {
        return quint32(depart_.elapsed() + base_);
    }

private:
    QElapsedTimer depart_;
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
