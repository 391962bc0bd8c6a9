#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP become a close request of the main window, so that a session
// ending or a Ctrl+C in the terminal still writes the settings and releases the ports.
class TSignauxArret : public QObject {
    Q_OBJECT

public:
    explicit TSignauxArret(QObject* parent = nullptr);
    ~TSignauxArret() override;

Q_SIGNALS:
    void arretDemande();

private:
    std::unique_ptr<QSocketNotifier> notificateur_;
};
