#include "acquisition/acquisition.h"

#include "acquisition/duree.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "burette/dosage.h"
#include "instruments/appareil.h"

#include <algorithm>

namespace {
double arrondiSecondes(double s) {
    // Halves go to even, as the elapsed times always have.
    return std::nearbyint(s);
}
} // namespace

double TAcquisition::InstantPrevu(int n) const {
    return origineT_ + double(n - origineN_) * std::max<int>(DeltatMesure, 1);
}

// A channel that did not answer is recorded as missing; a value that could not be read stops
// the sample, and so does a cycle in which nothing answered at all.
bool TAcquisition::ValeursToutesLues() const {
    bool unLu = false;
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        if (!AppareilAcq[v]) return false;
        if (muettes_[std::size_t(v)]) continue;
        if (estNaN(valeurEchantillon(v))) return false;
        unLu = true;
    }
    return unLu;
}

double TAcquisition::valeurEchantillon(int v) const {
    return muettes_[std::size_t(v)] ? NaN : AppareilAcq[v]->ValeurCourante;
}

void TAcquisition::RangeValeursVoies(int n) {
    // A new acquisition: the backup table starts again from its header.
    if (n == 0) NbrePointsSauves = 0;
    for (int v = 0; v < graphe.NbreVoies; ++v)
        graphe.mondeY[v].valeur[n] = valeurEchantillon(v);
    dataSaved = false;
}

void TAcquisition::FinAcquisition() {
    SetEtatAcq(eaTerminee);
    ChangeEtatDosage(QString());
    EcritSecours(true);
    if (AppelKalvento && EnvoieDonneesKalvento) EnvoieDonneesKalvento();
    AppelKalvento = false;
    Q_EMIT acquisitionTerminee();
}

void TAcquisition::EnregistrePoint() {
    const int n = graphe.NbrePoints;
    const int nbre = graphe.NbreVoies;
    Tmonde& X = graphe.mondeX;
    // Nothing goes past the store's last slot.
    if (n > indiceVecteurMax) {
        FinAcquisition();
        return;
    }
    const double maintenant = heureDuJour();
    bool pris = true;
    switch (ModeAcq) {
    case maTemps: {
        const double ecoule = EcartSecondes(maintenant, InstantDebut);
        const double t = arrondiSecondes(ecoule);
        X.valeur[n] = t;
        ChangeDureeAffichee(FormatDuree(qint32(ecoule)));
        pris = t >= InstantPrevu(n);
        break;
    }
    case maIncrement:
        ChangeDureeAffichee(QString::number(n + 1));
        if (X.maxi < n + 16) {
            X.maxi += 16;
            Q_EMIT redessine();
        }
        break;
    case maAppareilMaitre: {
        const Tappareil* M =
            graphe.voieMaitre < nbre ? AppareilAcq[graphe.voieMaitre] : AppareilAcq[0];
        if (graphe.AbscisseMaitre == amTemps) {
            const double T = dateReception != 0 ? dateReception : maintenant;
            const double ecoule = EcartSecondes(T, InstantDebut);
            X.valeur[n] = arrondiSecondes(ecoule);
            ChangeDureeAffichee(FormatDuree(qint32(ecoule)));
            if (X.maxi < X.valeur[n]) {
                X.maxi = 1.5 * X.valeur[n];
                Q_EMIT redessine();
            }
            pris = n == 0 || X.valeur[n - 1] <= X.valeur[n];
        } else if (graphe.AbscisseMaitre == amIndex) {
            ChangeDureeAffichee(QString::number(n + 1));
            if (X.maxi < n + 16) {
                X.maxi += 16;
                Q_EMIT redessine();
            }
        } else if (M) {
            ChangeDureeAffichee(M->SymboleGrandeur + QLatin1Char('=') +
                                M->FormatApp(M->ValeurCourante) + QLatin1Char(' ') +
                                M->UniteGrandeur);
            X.valeur[n] = M->ValeurCourante;
        }
        break;
    }
    case maBuretteTelmira:
        X.valeur[n] = burette().ValeurCourante;
        break;
    case maClavier:
        return;
    }
    pris = pris && ValeursToutesLues();

    if (pris) {
        RangeValeursVoies(n);
        graphe.NbrePoints = n + 1;
        Q_EMIT echantillonAjoute(n);
    }

    if (ModeAcq == maTemps) {
        // The sample at (or past) the end of the duration is the last one.
        if (EcartSecondes(heureDuJour(), InstantDebut) > DureeMesure ||
            (pris && X.valeur[n] >= DureeMesure) || graphe.NbrePoints > indiceVecteurMax)
            FinAcquisition();
    } else if (ModeAcq == maBuretteTelmira) {
        // The titration ends past 95 % of the burette's capacity; a full store keeps one
        // sample in two and ends it too.
        if (DosageTermine(burette(), X.valeur[n]) || graphe.NbrePoints >= indiceVecteurMax) {
            if (graphe.NbrePoints >= indiceVecteurMax) GardeUnSurDeux();
            FinAcquisition();
        }
    } else if (graphe.NbrePoints >= indiceVecteurMax) {
        FinAcquisition();
    }
    if (pris) EcritSecours();
}

void TAcquisition::GardeUnSurDeux() {
    graphe.NbrePoints /= 2;
    const int n = graphe.NbrePoints;
    for (int i = 1; i < n; ++i) {
        graphe.mondeX.valeur[i] = graphe.mondeX.valeur[2 * i];
        for (int v = 0; v < graphe.NbreVoies; ++v)
            graphe.mondeY[v].valeur[i] = graphe.mondeY[v].valeur[2 * i];
    }
    // The backup table is written again from its header.
    NbrePointsSauves = 0;
    Q_EMIT echantillonsRemplaces(1);
}

void TAcquisition::EnregistreClavier() {
    const int n = graphe.NbrePoints;
    Tmonde& X = graphe.mondeX;
    if (n >= indiceVecteurMax) return;
    X.valeur[n] = valeurClavier;
    X.valeur[n + 1] = valeurClavier;
    // A vertical mark at the value typed.
    Q_EMIT curseursAPlacer();
    const bool pris = ValeursToutesLues();
    if (pris) {
        RangeValeursVoies(n);
        graphe.NbrePoints = n + 1;
        Q_EMIT echantillonAjoute(n);
    }
    if (graphe.NbrePoints >= indiceVecteurMax) FinAcquisition();
    Q_EMIT clavierTraite(true);
    if (pris) EcritSecours();
}

bool TAcquisition::ValideClavier(const QString& texte) {
    if (EtatAcq != eaClavier || graphe.NbreVoies == 0) return false;
    if (graphe.NbrePoints >= indiceVecteurMax) {
        dialogues().message(
            QStringLiteral("Nombre maximum de points (%1) atteint").arg(int(indiceVecteurMax)));
        return false;
    }
    const double v = LitNombre(texte);
    valeurClavier = v;
    Tmonde& X = graphe.mondeX;
    if (estNaN(v)) {
        dialogues().message(QStringLiteral("Nombre mal écrit"));
        return false;
    }
    if (v > X.maxi) {
        if (!Confirme(FormatCourt(v) + QStringLiteral(" > maxi=") + FormatCourt(X.maxi) +
                      QStringLiteral("\r\nVous confirmez ?")))
            return false;
        X.maxi = v + (X.maxi - X.mini) / 10;
        Q_EMIT redessine();
    }
    if (v < X.mini) {
        if (!Confirme(FormatCourt(v) + QStringLiteral(" < mini=") + FormatCourt(X.mini) +
                      QStringLiteral("\r\nVous confirmez ?")))
            return false;
        X.mini = v - (X.maxi - X.mini) / 10;
        Q_EMIT redessine();
    }
    EnregistreClavier();
    return true;
}

void TAcquisition::Acquerir() {
    if (graphe.NbreVoies == 0 || EtatAcq == eaNone) return;
    const bool depart =
        (ModeAcq == maTemps &&
         (EtatAcq == eaAttente || (EtatAcq == eaTerminee && graphe.NbrePoints == 0))) ||
        (ModeAcq == maIncrement && (EtatAcq == eaAttente || EtatAcq == eaIncrement)) ||
        ((ModeAcq == maAppareilMaitre || ModeAcq == maBuretteTelmira) && EtatAcq == eaAttente) ||
        ModeAcq == maClavier;
    if (!depart) return;
    const Tappareil* A0 = AppareilAcq[0];
    InstantDebut = A0 && A0->EnvoiDirect && dateReception != 0 ? dateReception : heureDuJour();
    switch (ModeAcq) {
    case maTemps: {
        const qint32 n = DureeMesure / std::max<int>(DeltatMesure, 1);
        if (DeltatMesure < std::max<quint16>(DeltatMin, 1) || n < 8 || n > indiceVecteurMax)
            AjusteBaseDeTemps();
        origineT_ = 0;
        origineN_ = 0;
        for (int i = 0; i <= indiceVecteurMax; ++i)
            graphe.mondeX.valeur[i] = InstantPrevu(i);
        envoiDirectGlb = false;
        for (int v = 0; v < graphe.NbreVoies; ++v)
            envoiDirectGlb = envoiDirectGlb || (AppareilAcq[v] && AppareilAcq[v]->EnvoiDirect);
        graphe.NbrePoints = 0;
        Q_EMIT echantillonsRemplaces(0);
        SetEtatAcq(eaEnCours);
        voiesSerie->ligneWTW = 0;
        voiesSerie->positionWTW = 1;
        // The first cycle starts now; one still waiting for an answer is dropped.
        ++numeroCycle_;
        cycleEnCours_ = false;
        TimerTimer();
        break;
    }
    case maIncrement:
        if (EtatAcq == eaAttente)
            SetEtatAcq(eaIncrement);
        else
            EnregistrePoint();
        break;
    case maAppareilMaitre:
        EnregistrePoint();
        SetEtatAcq(eaEnCours);
        break;
    case maClavier:
        SetEtatAcq(eaClavier);
        break;
    case maBuretteTelmira:
        DebutTitrage();
        break;
    }
}

void TAcquisition::Repere() {
    const double m = EcartSecondes(heureDuJour(), InstantDebut);
    QString texte;
    if (!dialogues().saisie(QStringLiteral("Création d'un repère"), QStringLiteral("Signification"),
                            texte))
        texte.clear();
    graphe.ListeRepere.append({m, texte});
    Q_EMIT repereAjoute(int(graphe.ListeRepere.size()) - 1);
}

void TAcquisition::Defaire() {
    if (graphe.NbrePoints <= 0) return;
    --graphe.NbrePoints;
    // The backup table must not keep the sample taken back.
    if (NbrePointsSauves > graphe.NbrePoints) EcritSecours(true);
    ChangeDureeAffichee(QString::number(graphe.NbrePoints));
    Q_EMIT echantillonsRemplaces(graphe.NbrePoints);
}

void TAcquisition::Stop() {
    if (EtatAcq != eaEnCours) return;
    // A titration stopped by hand: the readings go on.
    if (ModeAcq == maBuretteTelmira) ChangeEtatDosage(QString());
    if (graphe.NbrePoints < 3) {
        RaZ();
        return;
    }
    SetEtatAcq(eaTerminee);
    EcritSecours(true);
    Q_EMIT acquisitionTerminee();
}

void TAcquisition::Termine() {
    if (EtatAcq != eaEnCours) return;
    SetEtatAcq(eaTerminee);
    ChangeEtatDosage(QString());
    EcritSecours(true);
    Q_EMIT acquisitionTerminee();
}

bool TAcquisition::RaZ() {
    if (graphe.NbrePoints >= 3 && !Confirme(QStringLiteral("Suppression de toutes les données")))
        return false;
    graphe.NbrePoints = 0;
    NbrePointsSauves = 0;
    graphe.ListeRepere.clear();
    // Nothing is left to save.
    dataSaved = true;
    Q_EMIT echantillonsRemplaces(0);
    if (ModeAcq == maIncrement)
        SetEtatAcq(eaIncrement);
    else if (ModeAcq == maClavier)
        SetEtatAcq(eaClavier);
    else if (ModeAcq == maBuretteTelmira)
        PrepareBurette();
    else
        SetEtatAcq(eaAttente);
    ChangeDureeAffichee(QString());
    return true;
}

QString TAcquisition::TexteAbscisse(int i) const {
    // Typed abscissas are shown as they are typed, with fewer digits.
    return FormatGeneral(graphe.mondeX.valeur[i], ModeAcq == maClavier ? 5 : 7, 2,
                         separateurDecimal());
}

QString TAcquisition::TexteValeur(int v, int i) const {
    const double x = graphe.mondeY[v].valeur[i];
    return AppareilAcq[v] ? AppareilAcq[v]->FormatApp(x) : FormatNombre(x);
}

double TAcquisition::AbscisseCurseur() const {
    const int n = graphe.NbrePoints;
    const Tmonde& X = graphe.mondeX;
    switch (ModeAcq) {
    case maClavier:
        return valeurClavier;
    case maAppareilMaitre:
        if (graphe.AbscisseMaitre == amVoie0 && graphe.voieMaitre < graphe.NbreVoies &&
            AppareilAcq[graphe.voieMaitre])
            return AppareilAcq[graphe.voieMaitre]->ValeurCourante;
        [[fallthrough]];
    default:
        // Where the next sample goes.
        return X.valeur[std::min(n, int(indiceVecteurMax))];
    }
}
