#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;

// One running copy per user: a local socket named after "KALSERIE" in the user's runtime
// folder. A second start hands its first argument to the running copy and ends.
class TInstanceUnique : public QObject {
    Q_OBJECT

public:
    // `dossier` is the user's runtime folder (QStandardPaths::RuntimeLocation when empty).
    explicit TInstanceUnique(const QString& dossier = QString(), QObject* parent = nullptr);
    ~TInstanceUnique() override;

    // True for the first copy, which then listens; false once the running copy has been
    // told (this copy must then end with exit code 0).
    [[nodiscard]] bool VerifieInstanceUnique(const QStringList& arguments);
    [[nodiscard]] QString nomCanal() const { return nom_; }

Q_SIGNALS:
    void restaurationDemandee();
    void argumentRecu(const QString& argument);

private:
    void lit(class QLocalSocket* client);

    QString nom_;
    std::unique_ptr<QLocalServer> serveur_;
};
