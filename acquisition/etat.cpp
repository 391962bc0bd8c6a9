#include "acquisition/acquisition.h"

#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "instruments/appareil.h"
#include "settings/emplacement.h"
#include "settings/reglagesbalayage.h"

#include <span>

TAcquisition::TAcquisition(QObject* parent) : QObject(parent) {
    // The port table comes first: it advances the rotating trace index.
    voiesSerie = std::make_unique<TVoiesSerie>(
        [this](TApdComPort* CP, quint16 Count) { TriggerAvail(CP, Count); }, this);
    // Beside the program when it is the user's own folder, else in the user's data folder.
    NomFichierSauvegarde = cheminFichierProgramme(QStringLiteral(".txt"));
    InstantDebut = heureDuJour();
    Timer.setInterval(5000);
    connect(&Timer, &QTimer::timeout, this, &TAcquisition::TimerTimer);
    essaiConfig_.setInterval(250);
    connect(&essaiConfig_, &QTimer::timeout, this, &TAcquisition::AppliqueConfigEnAttente);
    attenteReponse_.setSingleShot(true);
    connect(&attenteReponse_, &QTimer::timeout, this, &TAcquisition::FinAttenteReponse);
}

TAcquisition::~TAcquisition() {
    // The ports go before the rest: no data-available event may reach a half-destroyed engine.
    voiesSerie.reset();
}

void TAcquisition::SetEtatAcq(TEtatAcquisition Etat) {
    EtatAcq = Etat;
    int intervalle = DeltatMin * 1000;
    if (Etat == eaEnCours) {
        intervalle = ModeAcq == maAppareilMaitre   ? 1000
                     : ModeAcq == maBuretteTelmira ? 500
                                                   : DeltatMesure * 1000;
        intervalle = std::max(intervalle, DeltatMin * 1000);
    }
    Timer.setInterval(intervalle);
    if (graphe.NbreVoies >= 1 && Etat != eaNone && ModeAcq != maAppareilMaitre)
        Timer.start();
    else
        Timer.stop();
    Reponse = true;
    Q_EMIT etatChange();
    Q_EMIT etatEntre(Etat);
}

void TAcquisition::SuspendAcq() {
    if (suspensions_++ > 0) return;
    sauveTimer = Timer.isActive();
    sauveEtat = EtatAcq;
    Timer.stop();
    EtatAcq = eaNone;
}

void TAcquisition::RepriseAcq() {
    if (suspensions_ == 0 || --suspensions_ > 0) return;
    EtatAcq = sauveEtat;
    // An answer dropped while the dialog was open is no missing answer.
    Reponse = true;
    if (sauveTimer) Timer.start();
    Q_EMIT etatChange();
    if (!configEnAttente_.isEmpty())
        QTimer::singleShot(0, this, [this] { AppliqueConfigEnAttente(); });
}

TCommandes TAcquisition::commandes() const {
    const int n = graphe.NbrePoints;
    const bool voies = graphe.NbreVoies > 0;
    const TEtatAcquisition e = EtatAcq;
    TCommandes c;
    switch (e) {
    case eaEnCours:
    case eaNone:
        break;
    case eaTerminee:
        // A time base may start again only from an empty store; on demand and at the keyboard
        // the entries go on (up to the store's capacity).
        c.Acquerir = ModeAcq == maTemps       ? n == 0
                     : ModeAcq == maIncrement ? true
                     : ModeAcq == maClavier   ? true
                                              : false;
        break;
    case eaAttente:
    case eaIncrement:
    case eaClavier:
        c.Acquerir = true;
        break;
    }
    c.Acquerir = c.Acquerir && voies;
    c.RaZ = (e == eaTerminee || e == eaIncrement || e == eaClavier) && n > 0;
    c.Stop = e == eaEnCours;
    c.Repere = voies && (e == eaEnCours || e == eaIncrement || e == eaClavier);
    c.Defaire = n > 0 &&
                (ModeAcq == maIncrement || ModeAcq == maAppareilMaitre || ModeAcq == maClavier) &&
                (e == eaEnCours || e == eaIncrement || e == eaClavier);
    c.Fichier = n > 0;
    c.Multimetre = voies;
    c.PanelTemps = ModeAcq == maTemps;
    c.Clavier = ModeAcq == maClavier;
    c.Dosage = ModeAcq == maBuretteTelmira;
    return c;
}

bool TAcquisition::FermetureAcceptee() {
    return graphe.NbrePoints == 0 || dataSaved ||
           Confirme(QStringLiteral("Données non sauvées, quitter ?"));
}

void TAcquisition::LibereVoies() {
    Timer.stop();
    ++generation_;
    ++numeroCycle_;
    cycleEnCours_ = false;
    std::vector<Tappareil*> appareils(AppareilAcq.begin(), AppareilAcq.begin() + graphe.NbreVoies);
    if (ModeAcq == maBuretteTelmira) appareils.push_back(&burette());
    voiesSerie->LibereVoies(std::span<Tappareil* const>(appareils));
}

bool TAcquisition::occupe() const {
    return suspensions_ > 0 || questionPosee_.any() || (DialogueOuvert && DialogueOuvert());
}

bool TAcquisition::VoiesLues() const {
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (!AppareilAcq[v] || estNaN(AppareilAcq[v]->ValeurCourante)) return false;
    return true;
}

void TAcquisition::DemandeConfig(const QString& NomFichier) {
    configEnAttente_ = NomFichier;
    AppliqueConfigEnAttente();
}

void TAcquisition::AppliqueConfigEnAttente() {
    if (configEnAttente_.isEmpty()) {
        essaiConfig_.stop();
        return;
    }
    // Tried again a little later: a dialog or a question is still open.
    if (occupe()) {
        if (!essaiConfig_.isActive()) essaiConfig_.start();
        return;
    }
    essaiConfig_.stop();
    const QString nom = std::exchange(configEnAttente_, QString());
    if (PerteDonneesAcceptee()) LitConfig(nom);
}

void TAcquisition::ChangeProbleme(const QString& texte) {
    if (texte == texteProbleme_) return;
    texteProbleme_ = texte;
    Q_EMIT problemeChange(texte);
}

void TAcquisition::ChangeDureeAffichee(const QString& texte) {
    if (texte == texteDuree_) return;
    texteDuree_ = texte;
    Q_EMIT dureeChange(texte);
}

bool TAcquisition::LitTraceActif() {
    return LitTraceActive();
}

void TAcquisition::EcritTraceActif(bool actif) {
    EcritTraceActive(actif);
}
