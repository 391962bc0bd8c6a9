#pragma once

#include "exchange/canalcommande.h"
#include "exchange/macro.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>

class TServeurLocal;
class TSocketLocal;

// The command server other programs drive this one with: macros received on the channel of
// this program's service, topic "ServeurDDE", run one at a time, each answered by one line.
// Bounded against bad callers: a request's size, the number of connections, the time a
// connection may stay silent, and what a caller that does not read may leave unsent.
class TServeurCommandes : public QObject {
    Q_OBJECT

public:
    // `dossier`: where the channel is made (the user's runtime folder when empty); `service`:
    // this program's service when empty.
    explicit TServeurCommandes(TActionsMacro& actions, const QString& dossier = {},
                               const QString& service = {}, QObject* parent = nullptr);
    ~TServeurCommandes() override;

    // Starts listening; false when the channel cannot be made or another program holds it.
    bool Demarre();
    [[nodiscard]] QString nomCanal() const { return nom_; }

    // Whether a macro may run now (false while a dialog is open); macros wait until it holds.
    std::function<bool()> PeutExecuter;
    // To call when PeutExecuter may have become true (a dialog closed). The server also looks
    // again by itself every few tenths of a second while macros wait.
    void Reessaie();

    static constexpr int maxConnexions = 16;
    static constexpr qint64 maxNonLu = 64 * 1024;
    int delaiInactiviteMs = 30000;
    // How long a refused caller may go on sending before its connection is closed.
    int delaiAbandonMs = 2000;

private:
    struct Connexion {
        TTamponRequetes tampon;
        std::unique_ptr<QTimer> inactivite;
        bool occupee = false; // one of its requests waits or runs
        bool refusee = false;
    };
    struct Requete {
        QPointer<TSocketLocal> client;
        QByteArray octets;
    };

    void accepte();
    void lit(TSocketLocal* client);
    void refuse(TSocketLocal* client, const QString& raison);
    void repond(TSocketLocal* client, const QString& texte);
    void planifie();
    void traiteFile();

    TActionsMacro& actions_;
    QString nom_;
    std::unique_ptr<TServeurLocal> serveur_;
    std::unordered_map<TSocketLocal*, Connexion> connexions_;
    std::deque<Requete> file_;
    bool enCours_ = false;
    bool planifie_ = false;
    bool appelEnAttente_ = false; // "GETDATA" answered, its set-up not started yet
    QTimer relance_;
};
