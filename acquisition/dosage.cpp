#include "acquisition/acquisition.h"

#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "burette/dosage.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"

#include <cmath>

TburetteRS232& TAcquisition::burette() const {
    return *moduleAppareils().burette;
}

TMagasinDosage TAcquisition::magasin() {
    return {std::span<const double>(graphe.mondeY[0].valeur),
            std::span<const double>(graphe.mondeX.valeur), [this] { return graphe.NbrePoints; },
            [this] { EnregistrePoint(); },
            [this] {
                for (int v = 0; v < graphe.NbreVoies; ++v)
                    if (AppareilAcq[v]) AppareilAcq[v]->ResetStabilite();
            }};
}

bool TAcquisition::PrepareBurette() {
    Timer.stop();
    TburetteRS232& b = burette();
    // The stability thresholds of the titration follow channel 0's range.
    if (graphe.NbreVoies > 0) AbaisseSeuils(b, graphe.mondeY[0].mini, graphe.mondeY[0].maxi);
    QString erreur;
    const bool pret = LieBurette(b, *voiesSerie, LitTraceActif(), erreur);
    if (!pret) dialogues().erreur(erreur);
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (AppareilAcq[v]) AppareilAcq[v]->Derive = b.ecartStable;
    // The burette tells its capacity once identified: the volume axis runs to it.
    if (pret && b.ValMaxi > 0 && graphe.mondeX.maxi != b.ValMaxi) {
        graphe.mondeX.maxi = b.ValMaxi;
        Q_EMIT redessine();
    }
    b.ValeurCourante = 0;
    ChangeDureeAffichee(QString());
    ChangeEtatDosage(QString());
    SetEtatAcq(eaAttente);
    return pret;
}

void TAcquisition::DebutTitrage() {
    TburetteRS232& b = burette();
    SetEtatAcq(eaEnCours);
    // No cycle runs while the burette is reset and the first addition delivered.
    Timer.stop();
    graphe.NbrePoints = 0;
    Q_EMIT echantillonsRemplaces(0);
    ChangeDureeAffichee(QString());
    const TResultatDosage r = DebutDosage(b, magasin());
    SuiteTitrage(r);
}

// A cycle has ended during a titration: a step when the readings have settled (or waited long
// enough), otherwise the display follows the burette.
void TAcquisition::EtapeTitrage(bool toutStable) {
    TburetteRS232& b = burette();
    TResultatDosage r = rdAttente;
    if (DecisionDosage(b, toutStable) == ddEtape) {
        Timer.stop();
        r = EtapeDosage(b, magasin());
    } else {
        r = SuiviDosage(b);
    }
    SuiteTitrage(r);
}

void TAcquisition::SuiteTitrage(int resultat) {
    TburetteRS232& b = burette();
    ChangeDureeAffichee(TexteVolumeBurette(b));
    if (EtatAcq != eaEnCours || ModeAcq != maBuretteTelmira) return;
    if (resultat == rdPanne) {
        // Every sample stays; no addition goes out after a failure.
        FinAcquisition();
        const QString texte = b.erreurBurette.isEmpty()
                                  ? QStringLiteral("La burette ne répond plus")
                                  : b.erreurBurette;
        QTimer::singleShot(
            0, this, [texte] { dialogues().erreur(texte + QStringLiteral(" : dosage arrêté")); });
        return;
    }
    if (resultat == rdTermine) {
        if (EtatAcq == eaEnCours) FinAcquisition();
        return;
    }
    Timer.start();
    MajEtatDosage();
}

// What the user sees of the titration between two additions: the volume delivered, what the
// burette waits for, and the next addition.
void TAcquisition::MajEtatDosage() {
    const TburetteRS232& b = burette();
    if (ModeAcq != maBuretteTelmira || EtatAcq != eaEnCours) {
        ChangeEtatDosage(QString());
        return;
    }
    const double ecoule =
        b.tVerse > 0 ? std::max(0.0, EcartSecondes(heureDuJour(), b.tVerse)) : 0.0;
    QString attente;
    if (b.enVerse())
        attente = QStringLiteral("ajout en cours");
    else if (ecoule <= b.DeltatMin)
        attente = QStringLiteral("délai minimal %1/%2 s").arg(int(ecoule)).arg(b.DeltatMin);
    else
        attente = QStringLiteral("attente de stabilité %1 s (au plus %2 s)")
                      .arg(int(ecoule))
                      .arg(b.DeltatMax);
    const int n = graphe.NbrePoints;
    const double ajout = b.volumeArrondi(
        b.modeIncrement ? b.incrementVolume
                        : b.deltaY(graphe.mondeY[0].valeur, graphe.mondeX.valeur, n));
    ChangeEtatDosage(
        QStringLiteral("Versé %1 %2 ; %3 ; prochain ajout %4 %2")
            .arg(FormatCourt(b.ValeurCourante), b.UniteGrandeur, attente, FormatCourt(ajout)));
}

void TAcquisition::ChangeEtatDosage(const QString& texte) {
    if (texte == texteDosage_) return;
    texteDosage_ = texte;
    Q_EMIT etatDosageChange(texte);
}
