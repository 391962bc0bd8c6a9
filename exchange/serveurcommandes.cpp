#include "exchange/serveurcommandes.h"

#include "app/cp1252.h"
#include "app/dialogues.h"
#include "exchange/canallocal.h"

namespace {
constexpr int relanceMs = 250;
} // namespace

TServeurCommandes::TServeurCommandes(TActionsMacro& actions, const QString& dossier,
                                     const QString& service, QObject* parent)
    : QObject(parent), actions_(actions),
      nom_(canal::CheminCanal(service.isEmpty() ? canal::ServiceProgramme() : service,
                              canal::TopicDDE, dossier)) {
    relance_.setInterval(relanceMs);
    connect(&relance_, &QTimer::timeout, this, &TServeurCommandes::traiteFile);
}

TServeurCommandes::~TServeurCommandes() {
    // The sockets are children of the server: nothing of theirs may call back into a
    // half-destroyed object.
    for (auto& [client, c] : connexions_)
        client->disconnect(this);
    serveur_.reset();
}

bool TServeurCommandes::Demarre() {
    {
        // A channel somebody answers on belongs to another running program: it is left alone.
        TSocketLocal essai;
        essai.connectToServer(nom_);
        if (essai.waitForConnected(500)) return false;
    }
    // Nobody answers: what is there was left by a copy that crashed.
    TServeurLocal::removeServer(nom_);
    serveur_ = std::make_unique<TServeurLocal>();
    if (!serveur_->listen(nom_)) {
        serveur_.reset();
        return false;
    }
    connect(serveur_.get(), &TServeurLocal::newConnection, this, &TServeurCommandes::accepte);
    return true;
}

void TServeurCommandes::accepte() {
    while (TSocketLocal* client = serveur_->nextPendingConnection()) {
        connect(client, &QObject::destroyed, this, [this, client] { connexions_.erase(client); });
        if (static_cast<int>(connexions_.size()) >= maxConnexions) {
            refuse(client, QStringLiteral("Trop de connexions simultanées, commande refusée"));
            continue;
        }
        Connexion& c = connexions_[client];
        // Bytes beyond one request stay with the system until that request is taken.
        client->setReadBufferSize(canal::tailleMaxRequete + 1);
        c.inactivite = std::make_unique<QTimer>();
        c.inactivite->setSingleShot(true);
        connect(c.inactivite.get(), &QTimer::timeout, this, [this, client] {
            refuse(client, QStringLiteral("Commande incomplète (sans octet nul final), refusée"));
        });
        c.inactivite->start(delaiInactiviteMs);
        connect(client, &TSocketLocal::readyRead, this, [this, client] { lit(client); });
        connect(client, &TSocketLocal::disconnected, this, [this, client] { lit(client); });
        lit(client);
    }
}

void TServeurCommandes::lit(TSocketLocal* client) {
    const auto trouve = connexions_.find(client);
    if (trouve == connexions_.end()) return;
    Connexion& c = trouve->second;
    if (c.refusee) {
        if (client->state() == TSocketLocal::ConnectedState) client->skip(client->bytesAvailable());
        if (client->state() == TSocketLocal::UnconnectedState) client->deleteLater();
        return;
    }
    if (c.occupee) return;
    for (;;) {
        if (std::optional<QByteArray> requete = c.tampon.suivante()) {
            c.occupee = true;
            c.inactivite->stop();
            file_.push_back({client, std::move(*requete)});
            planifie();
            return;
        }
        if (c.tampon.tropLong()) {
            refuse(client, QStringLiteral("Commande trop longue, refusée"));
            return;
        }
        const QByteArray recu = client->read(c.tampon.place());
        if (recu.isEmpty()) break;
        c.tampon.ajoute(recu);
        c.inactivite->start(delaiInactiviteMs);
    }
    // A caller that has gone leaves nothing more to run: what it sent without a NUL is dropped.
    if (client->state() == TSocketLocal::UnconnectedState) client->deleteLater();
}

void TServeurCommandes::refuse(TSocketLocal* client, const QString& raison) {
    const auto trouve = connexions_.find(client);
    if (trouve == connexions_.end()) {
        // Over the limit: the answer is handed to the system and the connection given up at
        // once, so that a flood holds nothing.
        repond(client, raison);
        client->flush();
        client->abort();
        client->deleteLater();
        return;
    }
    // What the caller still sends is read and dropped, so that it does not fail writing before
    // it reads the answer; the connection closes when it leaves, or a little later.
    trouve->second.refusee = true;
    trouve->second.inactivite->stop();
    repond(client, raison);
    QTimer::singleShot(delaiAbandonMs, client, [client] { client->abort(); });
    lit(client);
}

void TServeurCommandes::repond(TSocketLocal* client, const QString& texte) {
    if (!client || client->state() != TSocketLocal::ConnectedState) return;
    client->write(versCp1252(texte) + '\n');
    // A caller that sends without reading the answers is cut off.
    if (client->bytesToWrite() > maxNonLu) client->abort();
}

void TServeurCommandes::Reessaie() {
    planifie();
}

void TServeurCommandes::planifie() {
    if (planifie_) return;
    planifie_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            planifie_ = false;
            traiteFile();
        },
        Qt::QueuedConnection);
}

void TServeurCommandes::traiteFile() {
    // A macro runs to its end before the next one is taken, even when it waits on events.
    while (!file_.empty() && !enCours_ && !appelEnAttente_) {
        if (PeutExecuter && !PeutExecuter()) {
            if (!relance_.isActive()) relance_.start();
            return;
        }
        Requete r = std::move(file_.front());
        file_.pop_front();
        enCours_ = true;
        const TResultatMacro resultat = ExecuteMacro(r.octets, actions_);
        enCours_ = false;
        repond(r.client, resultat.reponse);
        // The caller has its answer: the boxes may now wait for the user.
        for (const TBoiteDifferee& b : resultat.boites) {
            if (b.erreur)
                dialogues().erreur(b.texte);
            else
                dialogues().message(b.texte);
        }
        if (r.client) {
            const auto trouve = connexions_.find(r.client);
            if (trouve != connexions_.end()) {
                trouve->second.occupee = false;
                trouve->second.inactivite->start(delaiInactiviteMs);
            }
            lit(r.client);
        }
        // "GETDATA" returns at once; the set-up starts afterwards, before the next macro.
        if (resultat.appelKalvento) {
            appelEnAttente_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    appelEnAttente_ = false;
                    actions_.DemarreAppelKalvento();
                    planifie();
                },
                Qt::QueuedConnection);
            return;
        }
    }
    relance_.stop();
}
