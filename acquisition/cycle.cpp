#include "acquisition/acquisition.h"

#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "burette/buretters232.h"
#include "instruments/appareil.h"

#include <QDeadlineTimer>
#include <algorithm>

namespace {
// TAB, LF, CR, DC1, DC3 and every printable byte reach the answer; other control bytes are
// line noise.
bool octetGarde(quint8 o) {
    return o >= 32 || o == 9 || o == 10 || o == 13 || o == 17 || o == 19;
}

bool reponseComplete(const Tappareil& A) {
    if (A.FormatFixe) return A.ChaineLue.size() >= std::max<qint32>(A.NbreCarac, 1);
    return A.ChaineLue.count('\r') >= std::max<int>(A.NbreLignes, 1);
}

// An instrument that sends on its own keeps only its latest record; anything else keeps
// what it received, within the cap.
void RogneChaineLue(Tappareil& A) {
    QByteArray& S = A.ChaineLue;
    if (A.EnvoiDirect && A.FormatFixe) {
        const qsizetype garde = std::max<qint32>(A.NbreCarac, 1);
        if (S.size() > garde) S.remove(0, S.size() - garde);
    } else if (A.EnvoiDirect) {
        qsizetype enTrop = S.count('\r') - std::max<int>(A.NbreLignes, 1);
        if (enTrop > 0) {
            qsizetype p = -1;
            while (enTrop-- > 0)
                p = S.indexOf('\r', p + 1);
            S.remove(0, p + 1);
            if (S.startsWith('\n')) S.remove(0, 1);
        }
    }
    if (S.size() > TAcquisition::tailleMaxChaineLue)
        S.remove(0, S.size() - TAcquisition::tailleMaxChaineLue);
}

// Channels j after v that one answer fills: same port and same request.
bool partageReponse(const Tappareil* a, const Tappareil* b) {
    return a && b && a->ComNumber == b->ComNumber && a->Demande == b->Demande;
}
} // namespace

void TAcquisition::LieVoies() {
    const int nbre = graphe.NbreVoies;
    const bool trace = LitTraceActif();
    bool avecWTW = false;
    bool wtwEnContinu = false;
    for (int v = 0; v < nbre; ++v) {
        Tappareil* A = AppareilAcq[v];
        if (!A) continue;
        const bool wtw = TVoiesSerie::estWTW3310(A->NomAppareil);
        voiesSerie->simulationWTW = wtw;
        A->VoieSerieOK = voiesSerie->setVoieSerieApp(*A, trace);
        avecWTW = avecWTW || wtw;
        wtwEnContinu = wtwEnContinu || (wtw && A->EnvoiDirect);
        A->ChaineLue.clear();
        // Nothing read yet in this set-up: no sample may take a value of another one.
        A->ValeurCourante = NaN;
        // Binding may have moved the instrument to another port: the sum uses the final ports.
        quint32 attente = 0;
        for (int j = 0; j < v; ++j)
            if (AppareilAcq[j] && AppareilAcq[j]->ComNumber == A->ComNumber)
                attente += AppareilAcq[j]->Delai;
        A->Attente = quint16(std::min<quint32>(attente, 65535));
    }
    // One replay serves every channel of the built-in printout, whichever channel came last.
    voiesSerie->simulationWTW = avecWTW;
    if (wtwEnContinu && !voiesSerie->TimerWTW1.isActive()) voiesSerie->TimerWTW1.start();
    voiesSerie->TraceVoiesOuvertes(trace);
}

void TAcquisition::PrepareAbscisse() {
    const int nbre = graphe.NbreVoies;
    Tmonde& X = graphe.mondeX;
    const auto abscisseTemps = [&] {
        X.Nom = QStringLiteral("t");
        X.Unite = QStringLiteral("s");
        X.Signif = QStringLiteral("temps");
        X.maxi = DureeMesure;
        for (int i = 0; i <= indiceVecteurMax; ++i)
            X.valeur[i] = double(i) * DeltatMesure;
    };
    const auto abscisseIndex = [&](int premier) {
        for (int i = 0; i <= indiceVecteurMax; ++i)
            X.valeur[i] = i + premier;
        X.Nom = QStringLiteral("num");
        X.Unite.clear();
        X.Signif = QStringLiteral("index");
        X.maxi = 16;
    };
    bool garderMini = false;
    switch (ModeAcq) {
    case maTemps:
        abscisseTemps();
        break;
    case maIncrement:
        abscisseIndex(0);
        break;
    case maAppareilMaitre: {
        for (int v = 0; v < nbre; ++v)
            if (AppareilAcq[v] && AppareilAcq[v]->EnvoiDirect) {
                graphe.voieMaitre = indiceVoie(v);
                break;
            }
        if (graphe.voieMaitre >= nbre) graphe.voieMaitre = 0;
        const Tappareil* M = nbre > 0 ? AppareilAcq[graphe.voieMaitre] : nullptr;
        if (graphe.AbscisseMaitre == amTemps) {
            abscisseTemps();
        } else if (graphe.AbscisseMaitre == amIndex) {
            abscisseIndex(1);
        } else if (M) {
            X.Nom = M->SymboleGrandeur;
            X.Unite = M->UniteGrandeur;
            X.Signif = M->nomGrandeur;
            X.mini = M->ValMini;
            X.maxi = M->ValMaxi;
            garderMini = true;
        }
        break;
    }
    case maClavier:
        garderMini = true;
        break;
    case maBuretteTelmira: {
        TburetteRS232& b = burette();
        X.Nom = b.SymboleGrandeur;
        X.Unite = b.UniteGrandeur;
        X.Signif = QStringLiteral("Volume versé");
        X.maxi = b.ValMaxi;
        b.ValeurCourante = 0;
        break;
    }
    }
    if (!garderMini) X.mini = 0;
}

void TAcquisition::InitAttente() {
    Timer.stop();
    // A new set-up ends every suspension, and makes what the previous one had in flight stale.
    suspensions_ = 0;
    ++generation_;
    ++numeroCycle_;
    cycleEnCours_ = false;
    repondu_.reset();
    muettes_.reset();
    frais_.reset();
    questionPosee_.reset();
    stable_.fill(false);
    graphe.NbreVoies = std::clamp(graphe.NbreVoies, 0, int(MaxVoies));
    const int nbre = graphe.NbreVoies;
    EtatAcq = eaNone;
    dateReception = 0;
    VoieCourante = 0;
    LieVoies();

    graphe.NbrePoints = 0;
    graphe.ListeRepere.clear();
    NbrePointsSauves = 0;
    erreurSecoursSignalee_ = false;
    origineT_ = 0;
    origineN_ = 0;
    PrepareAbscisse();

    quint32 delais = 0;
    for (int v = 0; v < nbre; ++v) {
        if (!AppareilAcq[v]) continue;
        graphe.mondeY[v].SetMinMax(AppareilAcq[v]->ValMini, AppareilAcq[v]->ValMaxi);
        delais += AppareilAcq[v]->Delai;
    }
    DeltatMin = quint16(std::min<quint32>(delais / 1000 + 1, 60));
    // The interval never falls below the channels' own pace, nor outside 8..2048 intervals.
    const qint32 n = DureeMesure / std::max<int>(DeltatMesure, 1);
    if (DeltatMesure < DeltatMin || n < 8 || n > indiceVecteurMax) {
        AjusteBaseDeTemps();
        if (ModeAcq == maTemps)
            for (int i = 0; i <= indiceVecteurMax; ++i)
                graphe.mondeX.valeur[i] = double(i) * DeltatMesure;
    }

    ChangeDureeAffichee(QString());
    ChangeProbleme(QString());
    graphe.avecLigne =
        ModeAcq == maTemps || ModeAcq == maAppareilMaitre || ModeAcq == maBuretteTelmira;
    Q_EMIT miseEnPlace();

    // A burette that cannot be used leaves a time base.
    if (nbre > 0 && ModeAcq == maBuretteTelmira && !PrepareBurette()) {
        ModeAcq = maTemps;
        PrepareAbscisse();
        graphe.avecLigne = true;
        Q_EMIT miseEnPlace();
    }
    if (nbre == 0)
        SetEtatAcq(eaNone);
    else if (ModeAcq == maBuretteTelmira)
        ; // PrepareBurette entered eaAttente
    else if (ModeAcq == maIncrement)
        SetEtatAcq(eaIncrement);
    else if (ModeAcq == maClavier)
        SetEtatAcq(eaClavier);
    else
        SetEtatAcq(eaAttente);
    MajBaseDeTemps();
}

void TAcquisition::TimerTimer() {
    const int nbre = graphe.NbreVoies;
    if (nbre == 0) return;
    // Nothing at all was processed since the previous tick.
    if (!Reponse && texteProbleme_.isEmpty()) ChangeProbleme(QStringLiteral("Pas de réponse"));
    Reponse = false;
    // A cycle still waiting at the tick is closed: the channels not heard from are missing.
    if (cycleEnCours_) {
        for (int v = VoieCourante; v < nbre; ++v)
            muettes_[std::size_t(v)] = true;
        ++numeroCycle_;
        FinCycle();
    }
    ++numeroCycle_;
    cycleEnCours_ = true;
    repondu_.reset();
    muettes_.reset();
    VoieCourante = 0;
    Interroge(0);
}

// The time a channel is given to answer: its own delay, plus a share of the second that the
// shortest interval keeps for the whole cycle. An instrument that sends on its own is given at
// least a second for its next record.
static int delaiReponse(const Tappareil& A, int nbreVoies) {
    const int marge = 1000 / (std::max(nbreVoies, 1) + 1);
    const int propre = A.EnvoiDirect ? std::max<int>(A.Delai, 1000) : int(A.Delai);
    return propre + marge;
}

void TAcquisition::Interroge(int v) {
    VoieCourante = quint8(v);
    Tappareil* A = v < graphe.NbreVoies ? AppareilAcq[v] : nullptr;
    if (!A || !A->VoieSerieOK) {
        VoieMuette(v, numeroCycle_);
        return;
    }
    if (A->EnvoiDirect) {
        // A record decoded since the channel was last taken counts as its answer.
        if (frais_[v]) {
            ReponseVoie(v);
            return;
        }
        if (reponseComplete(*A)) {
            TraiteReponse();
            return;
        }
        ArmeAttenteReponse(v);
        return;
    }
    const int ticks = A->Attente / tickMs;
    if (ticks <= 0) {
        EnvoieDemandeVoie(v, numeroCycle_);
        return;
    }
    // The pause lets the line's previous instrument finish; events go on meanwhile. It counts
    // in ticks of the program's clock, as every wait for an instrument does, real time bounding
    // it too.
    EventTimer pause;
    StartTickTimer(pause, ticks);
    AttendPause(pause, QDeadlineTimer((qint64(ticks) + 1) * tickMs), v, numeroCycle_);
}

void TAcquisition::AttendPause(const EventTimer& pause, const QDeadlineTimer& borne, int v,
                               quint64 cycle) {
    if (cycle != numeroCycle_ || !cycleEnCours_ || VoieCourante != v) return;
    if (TickTimerExpired(pause) || borne.hasExpired()) {
        EnvoieDemandeVoie(v, cycle);
        return;
    }
    QTimer::singleShot(std::clamp<qint64>(borne.remainingTime(), 1, tickMs), this,
                       [this, pause, borne, v, cycle] { AttendPause(pause, borne, v, cycle); });
}

void TAcquisition::EnvoieDemandeVoie(int v, quint64 cycle) {
    Tappareil* A = AppareilAcq[v];
    TApdComPort* port = A->VoieSerie;
    // The built-in printout has no port: only what it replays can answer.
    if (!port) {
        ArmeAttenteReponse(v);
        return;
    }
    if (!port->Open()) {
        VoieMuette(v, cycle);
        return;
    }
    port->FlushInBuffer();
    A->ChaineLue.clear();
    try {
        port->PutString(A->Demande);
    } catch (const EAPDException&) {
        VoieMuette(v, cycle);
        return;
    }
    ArmeAttenteReponse(v);
}

void TAcquisition::ArmeAttenteReponse(int v) {
    voieAttendue_ = v;
    cycleAttendu_ = numeroCycle_;
    attenteReponse_.start(delaiReponse(*AppareilAcq[v], graphe.NbreVoies));
}

void TAcquisition::FinAttenteReponse() {
    const int v = voieAttendue_;
    const quint64 cycle = cycleAttendu_;
    if (cycle == numeroCycle_ && cycleEnCours_ && VoieCourante == v) VoieMuette(v, cycle);
}

void TAcquisition::VoieMuette(int v, quint64 cycle) {
    if (cycle != numeroCycle_ || !cycleEnCours_) return;
    // Suspended meanwhile: the cycle is dropped, nobody is to blame.
    if (EtatAcq == eaNone) {
        cycleEnCours_ = false;
        VoieCourante = 0;
        return;
    }
    const int nbre = graphe.NbreVoies;
    muettes_[std::size_t(v)] = true;
    while (v + 1 < nbre && partageReponse(AppareilAcq[v], AppareilAcq[v + 1]))
        muettes_[std::size_t(++v)] = true;
    VoieCourante = quint8(v + 1);
    if (VoieCourante < nbre)
        Interroge(VoieCourante);
    else
        FinCycle();
}

void TAcquisition::TriggerAvail(TApdComPort* CP, quint16 Count) {
    QByteArray morceau;
    morceau.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        quint8 o = 0;
        if (CP) {
            try {
                if (CP->CharReady()) o = CP->GetChar();
            } catch (const EAPDException&) {
                break; // the device went away: what was read so far still counts
            }
        } else if (voiesSerie->simulationWTW) {
            o = voiesSerie->LitOctetWTW();
        }
        if (octetGarde(o)) morceau.append(char(o));
    }
    const int nbre = graphe.NbreVoies;
    if (EtatAcq == eaNone || nbre == 0 || morceau.isEmpty()) return;
    if (!CP && !voiesSerie->simulationWTW) return;

    const auto surPort = [&](int j) { return AppareilAcq[j] && AppareilAcq[j]->VoieSerie == CP; };
    int v = -1;
    const int m = graphe.voieMaitre;
    if (ModeAcq == maAppareilMaitre && m < nbre && surPort(m) && AppareilAcq[m]->EnvoiDirect)
        v = m;
    else if (cycleEnCours_ && VoieCourante < nbre && surPort(VoieCourante))
        v = VoieCourante;
    else
        for (int j = 0; j < nbre && v < 0; ++j)
            if (surPort(j)) v = j;
    if (v < 0) return;

    Tappareil* A = AppareilAcq[v];
    A->ChaineLue.append(morceau);
    RogneChaineLue(*A);
    // Several quantities of an instrument that sends on its own each look for their own key
    // in the same stream.
    if (A->EnvoiDirect)
        for (int j = 0; j < nbre; ++j)
            if (j != v && surPort(j) && AppareilAcq[j]->EnvoiDirect) {
                AppareilAcq[j]->ChaineLue.append(morceau);
                RogneChaineLue(*AppareilAcq[j]);
            }
    if (!reponseComplete(*A)) return;

    if (ModeAcq == maAppareilMaitre) {
        if (A->EnvoiDirect && v == m) {
            dateReception = heureDuJour();
            TraiteReponseMaitre();
        } else {
            // An answer to the master's record, on another port: it stands on its own.
            DecodeVoie(v);
            if (EtatAcq == eaAttente) PosteCurseurs();
        }
        return;
    }
    if (cycleEnCours_ && v == VoieCourante) {
        TraiteReponse();
        return;
    }
    // A record of the first channel with no cycle under way opens one: the instrument paces
    // the readings as the timer does.
    if (A->EnvoiDirect && v == 0 && !cycleEnCours_) {
        ++numeroCycle_;
        cycleEnCours_ = true;
        repondu_.reset();
        muettes_.reset();
        VoieCourante = 0;
        TraiteReponse();
        return;
    }
    // A record outside its turn, or a late answer: shown now, taken when its turn comes.
    for (int j = 0; j < nbre; ++j)
        if (surPort(j) && (j == v || AppareilAcq[j]->EnvoiDirect) &&
            reponseComplete(*AppareilAcq[j])) {
            DecodeVoie(j);
            frais_[std::size_t(j)] = AppareilAcq[j]->EnvoiDirect;
        }
    if (EtatAcq == eaAttente || ModeAcq == maIncrement || ModeAcq == maClavier) PosteCurseurs();
}

void TAcquisition::DecodeVoie(int v) {
    Tappareil* A = AppareilAcq[v];
    A->SetValeurCourante();
    repondu_[std::size_t(v)] = true;
    Reponse = true;
    if (A->depassement) {
        A->depassement = false;
        PosteQuestion(v);
    }
    Q_EMIT valeurVoie(v);
}

void TAcquisition::TraiteReponse() {
    const int nbre = graphe.NbreVoies;
    if (!cycleEnCours_ || VoieCourante >= nbre || !AppareilAcq[VoieCourante]) {
        cycleEnCours_ = false;
        VoieCourante = 0;
        return;
    }
    Tappareil* A = AppareilAcq[VoieCourante];
    const QByteArray brute = A->ChaineLue;
    DecodeVoie(VoieCourante);
    frais_[VoieCourante] = false;
    if (A->EnvoiDirect && ModeAcq == maAppareilMaitre) A->ChaineLue.clear();
    // One answer that reports several quantities fills the channels that follow with the same
    // port and request.
    while (VoieCourante + 1 < nbre &&
           partageReponse(AppareilAcq[VoieCourante], AppareilAcq[VoieCourante + 1])) {
        AppareilAcq[VoieCourante + 1]->ChaineLue = brute;
        DecodeVoie(VoieCourante + 1);
        frais_[VoieCourante + 1] = false;
        ++VoieCourante;
    }
    ReponseVoie(VoieCourante);
}

// Channel v (and the channels its answer filled) answered: the cycle goes on with the next.
void TAcquisition::ReponseVoie(int v) {
    const int nbre = graphe.NbreVoies;
    frais_[std::size_t(v)] = false;
    Reponse = true;
    if (EtatAcq == eaAttente || ModeAcq == maIncrement || ModeAcq == maClavier) PosteCurseurs();
    VoieCourante = quint8(v + 1);
    if (VoieCourante < nbre) {
        Interroge(VoieCourante);
        return;
    }
    FinCycle();
}

void TAcquisition::FinCycle() {
    cycleEnCours_ = false;
    QStringList noms;
    if (muettes_.any()) {
        for (int v = 0; v < graphe.NbreVoies; ++v)
            if (muettes_[std::size_t(v)] && AppareilAcq[v]) noms << AppareilAcq[v]->NomAppareil;
        noms.removeDuplicates();
    }
    ChangeProbleme(noms.isEmpty()
                       ? QString()
                       : QStringLiteral("Pas de réponse : ") + noms.join(QStringLiteral(", ")));
    const bool toutStable = AfficheStabilite();
    if (EtatAcq == eaEnCours && ModeAcq == maBuretteTelmira) EtapeTitrage(toutStable);
    if (EtatAcq == eaEnCours && ModeAcq == maTemps) {
        const int n = graphe.NbrePoints;
        if (envoiDirectGlb && n > 0) {
            // Records pace the cycles: a sample only once its planned instant has come.
            const double t = std::nearbyint(EcartSecondes(heureDuJour(), InstantDebut));
            if (n <= indiceVecteurMax && !(InstantPrevu(n) > t)) EnregistrePoint();
        } else {
            EnregistrePoint();
        }
    }
    VoieCourante = 0;
}

bool TAcquisition::AfficheStabilite() {
    bool tous = true;
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        const Tappareil* A = AppareilAcq[v];
        if (!A) continue;
        const bool s = A->isStable();
        tous = tous && s;
        if (s == stable_[std::size_t(v)]) continue;
        stable_[std::size_t(v)] = s;
        Q_EMIT stabiliteVoie(v, s);
    }
    return tous;
}

void TAcquisition::TraiteReponseMaitre() {
    const int nbre = graphe.NbreVoies;
    const int m = graphe.voieMaitre;
    if (m >= nbre || !AppareilAcq[m]) return;
    Tappareil* M = AppareilAcq[m];
    const QByteArray brute = M->ChaineLue;
    DecodeVoie(m);
    // A polled instrument that has not answered the previous record's request is missing
    // from this sample.
    muettes_.reset();
    for (int j = 0; j < nbre; ++j) {
        const Tappareil* B = AppareilAcq[j];
        if (j != m && B && B->ComNumber != M->ComNumber && !B->EnvoiDirect &&
            !repondu_[std::size_t(j)])
            muettes_[std::size_t(j)] = true;
    }
    for (int j = 0; j < nbre; ++j) {
        Tappareil* B = AppareilAcq[j];
        if (j == m || !B) continue;
        if (B->ComNumber == M->ComNumber) {
            B->ChaineLue = brute;
            DecodeVoie(j);
            if (B->FormatFixe)
                B->ChaineLue = brute.mid(std::max<qint32>(B->NbreCarac, 0));
            else
                B->ChaineLue.clear();
        } else if (!B->EnvoiDirect && B->VoieSerieOK && B->VoieSerie && B->VoieSerie->Open()) {
            B->VoieSerie->FlushInBuffer();
            B->ChaineLue.clear();
            repondu_[std::size_t(j)] = false;
            try {
                B->VoieSerie->PutString(B->Demande);
            } catch (const EAPDException&) {
                // The device went away; the channel is missing from the next sample.
            }
        }
    }
    if (EtatAcq == eaAttente) PosteCurseurs();
    if (M->FormatFixe)
        M->ChaineLue = M->ChaineLue.mid(std::max<qint32>(M->NbreCarac, 0));
    else
        M->ChaineLue.clear();
    QStringList noms;
    for (int j = 0; j < nbre; ++j)
        if (muettes_[std::size_t(j)] && AppareilAcq[j]) noms << AppareilAcq[j]->NomAppareil;
    ChangeProbleme(noms.isEmpty()
                       ? QString()
                       : QStringLiteral("Pas de réponse : ") + noms.join(QStringLiteral(", ")));
    AfficheStabilite();
    if (EtatAcq == eaEnCours) {
        EnregistrePoint();
        if (CodeBeep > 0 && JoueSon) JoueSon(CodeBeep);
    }
}

// The question is asked from the event loop, never from inside a port's handler: the port
// keeps being read and the cycles go on while it is open. Meanwhile the value stands.
void TAcquisition::PosteQuestion(int v) {
    if (questionPosee_[std::size_t(v)]) return;
    const Tappareil* A = AppareilAcq[v];
    if (!A || estNaN(A->ValeurCourante)) return;
    questionPosee_[std::size_t(v)] = true;
    const quint64 generation = generation_;
    const double valeur = A->ValeurCourante;
    QTimer::singleShot(0, this, [this, v, generation, valeur] {
        if (generation != generation_) return;
        ConfirmeValeur(v, valeur);
        if (generation == generation_) questionPosee_[std::size_t(v)] = false;
        if (!configEnAttente_.isEmpty()) AppliqueConfigEnAttente();
    });
}

void TAcquisition::ConfirmeDepassement(indiceVoie v) {
    const Tappareil* A = v < graphe.NbreVoies ? AppareilAcq[v] : nullptr;
    if (A) ConfirmeValeur(v, A->ValeurCourante);
}

void TAcquisition::ConfirmeValeur(int v, double V) {
    Tappareil* A = AppareilAcq[v];
    A->depassement = false;
    // A missing value has nothing to confirm; it is simply not recorded.
    if (estNaN(V)) return;
    const double lue = std::exchange(A->ValeurCourante, V);
    const QString texte = A->NomValeurUniteCourante() + QStringLiteral(" valeur correcte ?");
    A->ValeurCourante = lue;
    const quint64 generation = generation_;
    const bool correcte = Confirme(texte);
    // The set-up changed while the box was open: the answer is about an instrument gone.
    if (generation != generation_) return;
    if (!correcte) {
        A->ValeurCourante = NaN;
        A->FiltrageDepassement = Confirme(QStringLiteral("Ne plus poser la question ?"));
        return;
    }
    if (A->ValMini > V) {
        A->ValMini = V - (A->ValMaxi - A->ValMini) / 10;
        if (A->ValMini < 0 && V >= 0) A->ValMini = 0;
    }
    if (A->ValMaxi < V) A->ValMaxi = V + (A->ValMaxi - A->ValMini) / 10;
    graphe.mondeY[v].SetMinMax(A->ValMini, A->ValMaxi);
    Q_EMIT redessine();
}

void TAcquisition::PosteCurseurs() {
    if (curseursPrevus_) return;
    curseursPrevus_ = true;
    QTimer::singleShot(0, this, [this] {
        curseursPrevus_ = false;
        Q_EMIT curseursAPlacer();
    });
}
