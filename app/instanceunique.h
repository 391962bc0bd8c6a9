#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class TServeurLocal;
class TSocketLocal;

// One running copy per user: a local socket named after "KALSERIE" in a folder only this user
// can write (the runtime folder, else a private folder of the temporary folder). A second start
// hands its first argument to the running copy and ends.
class TInstanceUnique : public QObject {
    Q_OBJECT

public:
    // What one client may send, and for how long it may keep its connection.
    static constexpr qint64 MaxOctetsClient = 16 * 1024;
    static constexpr int DelaiClientMs = 2000;

    // `dossier` is the user's runtime folder (QStandardPaths::RuntimeLocation when empty).
    explicit TInstanceUnique(const QString& dossier = QString(), QObject* parent = nullptr);
    ~TInstanceUnique() override;

    // True for the first copy, which then listens; false once the running copy has been
    // told (this copy must then end with exit code 0).
    [[nodiscard]] bool VerifieInstanceUnique(const QStringList& arguments);
    // Empty when no folder of this user could hold the channel: the copy then runs alone.
    [[nodiscard]] QString nomCanal() const { return nom_; }

Q_SIGNALS:
    void restaurationDemandee();
    void argumentRecu(const QString& argument);

private:
    void accueille(TSocketLocal* client);
    void lit(TSocketLocal* client);

    QString nom_;
    std::unique_ptr<TServeurLocal> serveur_;
};

// The argument as the running copy must see it: a relative path that names an existing file is
// made absolute here, since the running copy works in another folder.
[[nodiscard]] QString argumentTransmissible(const QString& argument);
