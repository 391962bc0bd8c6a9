#include "instrumentsimule.h"

#include "instruments/appareil.h"
#include "instruments/reponsetype.h"
#include "journal.h"
#include "pseudoterminal.h"
#include "sourcevaleur.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// The decoding takes an answer starting with this text as stable; any other start is unstable.
const QByteArray marqueStable = QByteArrayLiteral("SRAB");
const QByteArray marqueInstable = QByteArrayLiteral("INST");
// Bounds of a value played without any range, far beyond what an instrument shows.
constexpr double tresGrand = 1E15;
constexpr char XON = 17;
constexpr char XOFF = 19;
} // namespace

InstrumentSimule::InstrumentSimule(int numero, std::unique_ptr<Tappareil> appareil,
                                   std::unique_ptr<SourceValeur> source,
                                   const ReglagesJeu& reglages, PseudoTerminal& terminal,
                                   QObject* parent)
    : QObject(parent), numero_(numero), appareil_(std::move(appareil)),
      relecture_(std::make_unique<Tappareil>()), source_(std::move(source)), reglages_(reglages),
      terminal_(terminal) {
    const Tappareil& a = *appareil_;
    relecture_->Assign(a);
    relecture_->lectureSTAB = a.lectureSTAB;
    relecture_->TexteVerif = a.TexteVerif;
    relecture_->NumeroVerif = a.NumeroVerif;
    // The check reads the value written, even one played outside the range.
    relecture_->FiltrageDepassement = false;

    // The request comes first: when the initialisation text is the same, it is answered.
    if (!a.EnvoiDirect) {
        if (!a.Demande.isEmpty()) jetons_.push_back({a.Demande, gjDemande});
        if (!a.DemandeBis.isEmpty()) jetons_.push_back({a.DemandeBis, gjDemande});
    }
    if (!a.ChaineInit.isEmpty()) jetons_.push_back({a.ChaineInit, gjInit});
    if (!a.ChaineFin.isEmpty()) jetons_.push_back({a.ChaineFin, gjFin});

    calculeBornes();
    derniere_ = std::clamp((bas_ + haut_) / 2, bas_, haut_);

    reste_.setSingleShot(true);
    reste_.setInterval(300);
    connect(&reste_, &QTimer::timeout, this, [this] {
        if (entree_.isEmpty()) return;
        inconnu(entree_);
        entree_.clear();
    });
    connect(&emission_, &QTimer::timeout, this, &InstrumentSimule::emet);
}

InstrumentSimule::~InstrumentSimule() = default;

QString InstrumentSimule::nom() const {
    return QStringLiteral("appareil %1 (%2)").arg(numero_).arg(appareil_->NomAppareil);
}

void InstrumentSimule::demarre() {
    connect(&terminal_, &PseudoTerminal::recu, this, &InstrumentSimule::recoit);
    if (appareil_->EnvoiDirect) {
        const int periode =
            reglages_.periodeMs > 0 ? reglages_.periodeMs : std::max(10, int(appareil_->Delai));
        emission_.start(periode);
    } else if (appareil_->Demande.isEmpty() && appareil_->DemandeBis.isEmpty()) {
        signale(nom() + QStringLiteral(" : description sans demande, toute réception est prise "
                                       "pour une demande"));
    }
}

double InstrumentSimule::relit(const QByteArray& reponse, QString* marque) {
    Tappareil& r = *relecture_;
    r.ChaineLue = reponse;
    r.ValeurCourante = std::numeric_limits<double>::quiet_NaN();
    r.UniteGrandeur = appareil_->UniteGrandeur;
    r.SetValeurCourante();
    if (marque) *marque = r.reponseStab;
    return r.ValeurCourante;
}

// Written and read back close enough (the layout's width may cost digits), within the size of
// a fixed record.
bool InstrumentSimule::imprimable(double v) {
    const QByteArray r = ReponseType(*appareil_, v);
    if (appareil_->FormatFixe && r.size() > tailleEnregistrement_) return false;
    const double lu = relit(r);
    const double etendue = std::fabs(appareil_->ValMaxi - appareil_->ValMini);
    const double echelle = std::isfinite(etendue) && etendue > 0 ? 1E-3 * etendue : 1E-9;
    return std::isfinite(lu) && std::fabs(lu - v) <= 1E-3 * std::max(std::fabs(v), echelle);
}

double InstrumentSimule::limite(double bon, double mauvais) {
    for (int i = 0; i < 64; ++i) {
        const double m = bon + (mauvais - bon) / 2;
        if (m == bon || m == mauvais) break;
        (imprimable(m) ? bon : mauvais) = m;
    }
    return bon;
}

void InstrumentSimule::calculeBornes() {
    const Tappareil& a = *appareil_;
    bas_ = -tresGrand;
    haut_ = tresGrand;
    if (!reglages_.horsPlage && std::isfinite(a.ValMini) && std::isfinite(a.ValMaxi)) {
        bas_ = std::clamp(std::min(a.ValMini, a.ValMaxi), -tresGrand, tresGrand);
        haut_ = std::clamp(std::max(a.ValMini, a.ValMaxi), -tresGrand, tresGrand);
    }
    double sur = std::clamp(0.0, bas_, haut_);
    tailleEnregistrement_ = std::max<qsizetype>(a.NbreCarac, ReponseType(a, sur).size());
    if (!imprimable(sur)) sur = bas_ + (haut_ - bas_) / 2;
    if (!imprimable(sur)) {
        signale(nom() + QStringLiteral(" : attention, ses réponses ne se relisent pas, les valeurs "
                                       "lues peuvent différer des valeurs jouées"));
        return;
    }
    if (!imprimable(haut_)) haut_ = limite(sur, haut_);
    if (!imprimable(bas_)) bas_ = limite(sur, bas_);
}

double InstrumentSimule::valeurJouee(double t) {
    double v = source_->valeur(t);
    if (std::isnan(v)) v = derniere_;
    v = std::clamp(v, bas_, haut_);
    derniere_ = v;
    return v;
}

QByteArray InstrumentSimule::reponsePour(double valeur) {
    const QByteArray r = ReponseType(*appareil_, valeur);
    if (!appareil_->lectureSTAB) return r;
    const QByteArray marque = reglages_.stable ? marqueStable : marqueInstable;
    // The marker opens the answer: put before it, or over its first bytes when they hold
    // nothing the decoding needs (a fixed record keeps its length). Our decoding chooses.
    const QByteArray devant = marque + ' ' + r;
    const QByteArray dessus = r.size() > marque.size() ? marque + r.mid(marque.size()) : devant;
    const double attendu = relit(r);
    for (const QByteArray& essai :
         appareil_->FormatFixe ? std::array{dessus, devant} : std::array{devant, dessus}) {
        QString lue;
        const double v = relit(essai, &lue);
        if (lue != QLatin1String(marque) ||
            (v != attendu && !(std::isnan(v) && std::isnan(attendu))))
            continue;
        if (appareil_->FormatFixe && essai.size() > r.size() && !marqueSignalee_) {
            marqueSignalee_ = true;
            signale(nom() + QStringLiteral(" : le marqueur de stabilité allonge l'enregistrement "
                                           "fixe à %1 octets au lieu de %2")
                                .arg(essai.size())
                                .arg(r.size()));
        }
        return essai;
    }
    if (!marqueSignalee_) {
        marqueSignalee_ = true;
        signale(nom() + QStringLiteral(" : le marqueur de stabilité ne trouve pas de place "
                                       "dans la réponse « %1 »")
                            .arg(texteLisible(r)));
    }
    return devant;
}

void InstrumentSimule::recoit(const QByteArray& octets) {
    if (reglages_.trace)
        signale(nom() + QStringLiteral(" : reçu « %1 »").arg(texteLisible(octets)));
    entree_ += octets;
    // The port's own flow control bytes are no request.
    if (appareil_->XonXoff) {
        entree_.replace(XON, QByteArray());
        entree_.replace(XOFF, QByteArray());
    }
    analyse();
}

void InstrumentSimule::analyse() {
    while (!entree_.isEmpty()) {
        qsizetype position = -1;
        const Jeton* trouve = nullptr;
        for (const Jeton& j : jetons_) {
            const qsizetype p = entree_.indexOf(j.texte);
            if (p < 0) continue;
            if (!trouve || p < position ||
                (p == position && j.texte.size() > trouve->texte.size())) {
                position = p;
                trouve = &j;
            }
        }
        if (!trouve) break;
        if (position > 0) inconnu(entree_.left(position));
        const GenreJeton genre = trouve->genre;
        entree_.remove(0, position + trouve->texte.size());
        if (genre == gjDemande)
            repond();
        else if (reglages_.trace)
            signale(nom() + (genre == gjInit ? QStringLiteral(" : initialisation reçue")
                                             : QStringLiteral(" : texte de fin reçu")));
    }
    if (!appareil_->EnvoiDirect && appareil_->Demande.isEmpty() &&
        appareil_->DemandeBis.isEmpty() && !entree_.isEmpty()) {
        entree_.clear();
        repond();
        return;
    }
    // Keep the longest end that may still grow into a text we know; the rest is unknown.
    qsizetype garde = 0;
    for (const Jeton& j : jetons_) {
        for (qsizetype k = std::min(entree_.size(), j.texte.size() - 1); k > garde; --k) {
            if (j.texte.startsWith(entree_.right(k))) {
                garde = k;
                break;
            }
        }
    }
    if (entree_.size() > garde) {
        inconnu(entree_.left(entree_.size() - garde));
        entree_.remove(0, entree_.size() - garde);
    }
    if (entree_.isEmpty())
        reste_.stop();
    else
        reste_.start();
}

void InstrumentSimule::inconnu(const QByteArray& octets) {
    signale(nom() + QStringLiteral(" : demande inconnue « %1 »").arg(texteLisible(octets)));
}

void InstrumentSimule::repond() {
    if (enAttente_ >= reponsesEnAttenteMaxi) {
        signale(nom() + QStringLiteral(" : demande ignorée, trop de réponses en attente"));
        return;
    }
    ++enAttente_;
    QTimer::singleShot(std::max(0, reglages_.delaiReponseMs), this, [this] {
        --enAttente_;
        const double v = valeurJouee(secondesEcoulees());
        envoie(reponsePour(v), v);
    });
}

void InstrumentSimule::emet() {
    const double v = valeurJouee(secondesEcoulees());
    envoie(reponsePour(v), v);
}

void InstrumentSimule::envoie(const QByteArray& reponse, double valeur) {
    // Nobody reads the line (the port is closed): a real instrument's bytes would be lost, not
    // delivered late when the program opens the port.
    if (terminal_.nonLus() > std::max<qsizetype>(64, 3 * reponse.size())) terminal_.videNonLus();
    terminal_.ecrit(reponse);
    if (reglages_.trace)
        signale(nom() + QStringLiteral(" : envoyé %1 « %2 »")
                            .arg(QString::number(valeur, 'g', 12), texteLisible(reponse)));
}
