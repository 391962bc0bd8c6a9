#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

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
    if (S.size() > TCinetiqueMain::tailleMaxChaineLue)
        S.remove(0, S.size() - TCinetiqueMain::tailleMaxChaineLue);
}

// Ties a count up for the life of a scope.
class Compte {
public:
    explicit Compte(int& n) : n_(n) { ++n_; }
    ~Compte() { --n_; }
    Compte(const Compte&) = delete;
    Compte& operator=(const Compte&) = delete;

private:
    int& n_;
};
} // namespace

void TCinetiqueMain::LiePanneauxVoies() {
    for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
        QGroupBox* cadre = groupBoxs[v];
        if (!cadre) continue;
        const bool utilisee = v < graphe.NbreVoies && AppareilAcq[v];
        cadre->setVisible(utilisee);
        if (!utilisee) continue;
        AppareilAcq[v]->GroupBoxApp = cadre;
        AppareilAcq[v]->LabelApp = labels[v];
        AppareilAcq[v]->StableApp = speedButtons[v];
    }
}

void TCinetiqueMain::InitAttente() {
    Timer->stop();
    graphe.NbreVoies = std::clamp(graphe.NbreVoies, 0, int(Tgraphe::MaxVoies));
    const int nbre = graphe.NbreVoies;
    PleinEcranBtn->setEnabled(nbre > 0);
    for (QAction* a : ToolBar1->actions())
        if (ToolBar1->widgetForAction(a) == BuretteBtn) a->setVisible(ModeAcq == maBuretteTelmira);
    EtatAcq = eaNone;
    dateReception = 0;
    VoieCourante = 0;
    LiePanneauxVoies();

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
        if (A->StableApp) A->StableApp->show();
        if (A->LabelApp) {
            QPalette p = A->LabelApp->palette();
            p.setColor(QPalette::WindowText, CouleurVoie(v));
            A->LabelApp->setPalette(p);
            A->LabelApp->clear();
        }
        if (A->GroupBoxApp) {
            QPalette p = A->GroupBoxApp->palette();
            p.setColor(QPalette::WindowText, CouleurVoie(v));
            A->GroupBoxApp->setPalette(p);
            A->GroupBoxApp->setTitle(A->NomAppareil);
        }
        A->ChaineLue.clear();
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

    ClavierGB->setVisible(ModeAcq == maClavier);
    graphe.NbrePoints = 0;
    graphe.ListeRepere.clear();
    VideLignesGrille(2);
    NbrePointsSauves = 0;
    erreurSecoursSignalee_ = false;
    StatusClavier->clear();
    AfficheModeAcq();

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
        StatusClavier->setText(QStringLiteral(
            "Pour enregistrer la valeur entrée au clavier, valider par la touche entrée"));
        garderMini = true;
        break;
    case maBuretteTelmira:
        break;
    }
    if (!garderMini) X.mini = 0;

    quint32 delais = 0;
    for (int v = 0; v < nbre; ++v) {
        if (!AppareilAcq[v]) continue;
        graphe.mondeY[v].SetMinMax(AppareilAcq[v]->ValMini, AppareilAcq[v]->ValMaxi);
        delais += AppareilAcq[v]->Delai;
    }
    DeltatMin = quint16(std::min<quint32>(delais / 1000 + 1, 60));
    if (Timer->interval() < DeltatMin * 1000) Timer->setInterval(DeltatMin * 1000);
    {
        const QSignalBlocker bloque(DeltatSE);
        DeltatSE->setMinimum(DeltatMin);
    }
    // The interval never falls below the channels' own pace, nor outside 8..2048 intervals.
    const qint32 n = DureeMesure / std::max<int>(DeltatMesure, 1);
    if (DeltatMesure < DeltatMin || n < 8 || n > indiceVecteurMax) {
        AjusteBaseDeTemps();
        if (ModeAcq == maTemps)
            for (int i = 0; i <= indiceVecteurMax; ++i)
                X.valeur[i] = double(i) * DeltatMesure;
    }

    PanelDuree->clear();
    graphe.avecLigne =
        ModeAcq == maTemps || ModeAcq == maAppareilMaitre || ModeAcq == maBuretteTelmira;
    RedessineOscillo();

    if (nbre == 0)
        SetEtatAcq(eaNone);
    else if (ModeAcq == maIncrement)
        SetEtatAcq(eaIncrement);
    else if (ModeAcq == maClavier)
        SetEtatAcq(eaClavier);
    else
        SetEtatAcq(eaAttente);

    PrepareGrille();
    MajBaseDeTemps();
}

void TCinetiqueMain::PrepareGrille() {
    const int nbre = graphe.NbreVoies;
    Grid->setColumnCount(nbre + 1);
    PlaceCellule(0, 0, graphe.mondeX.Nom);
    PlaceCellule(1, 0, graphe.mondeX.Unite);
    for (int v = 0; v < nbre; ++v) {
        if (!AppareilAcq[v]) continue;
        PlaceCellule(0, v + 1, AppareilAcq[v]->SymboleGrandeur);
        PlaceCellule(1, v + 1, AppareilAcq[v]->UniteGrandeur);
    }
    PanelGrid->setFixedWidth(Grid->columnCount() * Grid->horizontalHeader()->defaultSectionSize() +
                             16);
    DefileGrille(2);
}

void TCinetiqueMain::TimerTimer() {
    // A request waiting for its pause, or a question, is still part of the running cycle.
    if (envoisEnAttente_ > 0 || questionsOuvertes_ > 0) return;
    LabelPb->setText(Reponse ? QString() : QStringLiteral("Pas de réponse"));
    Reponse = false;
    VoieCourante = 0;
    if (graphe.NbreVoies > 0) Interroge(0);
}

void TCinetiqueMain::Interroge(int v) {
    Tappareil* A = v < graphe.NbreVoies ? AppareilAcq[v] : nullptr;
    if (!A) return;
    if (A->EnvoiDirect) {
        // What it has sent is taken only once a whole record is there; otherwise the cycle
        // waits for the rest, as for an instrument that has not answered yet.
        if (reponseComplete(*A)) TraiteReponse();
        return;
    }
    const Compte attente(envoisEnAttente_);
    voiesSerie->EnvoieDemande(*A, {});
}

void TCinetiqueMain::TriggerAvail(TApdComPort* CP, quint16 Count) {
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
    else if (VoieCourante < nbre && surPort(VoieCourante))
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

    // Bytes keep coming while a request waits or a question is open; they are processed
    // when the cycle goes on.
    if (envoisEnAttente_ > 0 || questionsOuvertes_ > 0) return;
    if (!reponseComplete(*A)) return;
    if (ModeAcq == maAppareilMaitre) {
        if (A->EnvoiDirect && v == m) {
            dateReception = heureDuJour();
            TraiteReponseMaitre();
        } else {
            // An answer to the master's record, on another port: it stands on its own.
            DecodeVoie(v);
            Reponse = true;
            if (EtatAcq == eaAttente) PosteCurseurs();
        }
        return;
    }
    if (v == VoieCourante)
        TraiteReponse();
    else if (!A->EnvoiDirect)
        A->ChaineLue.clear(); // a late answer to a request the cycle has given up on
}

void TCinetiqueMain::DecodeVoie(int v) {
    Tappareil* A = AppareilAcq[v];
    A->SetValeurCourante();
    if (A->depassement) ConfirmeDepassement(indiceVoie(v));
    if (A->LabelApp) A->LabelApp->setText(A->NomValeurUniteCourante());
}

void TCinetiqueMain::TraiteReponse() {
    const int nbre = graphe.NbreVoies;
    if (VoieCourante >= nbre || !AppareilAcq[VoieCourante]) {
        VoieCourante = 0;
        return;
    }
    Tappareil* A = AppareilAcq[VoieCourante];
    const QByteArray brute = A->ChaineLue;
    DecodeVoie(VoieCourante);
    Reponse = true;
    if (EtatAcq == eaAttente || ModeAcq == maIncrement || ModeAcq == maClavier) PosteCurseurs();
    if (A->EnvoiDirect && ModeAcq == maAppareilMaitre) A->ChaineLue.clear();

    // One answer that reports several quantities fills the channels that follow with the same
    // port and request.
    while (VoieCourante + 1 < nbre) {
        Tappareil* B = AppareilAcq[VoieCourante + 1];
        const Tappareil* C = AppareilAcq[VoieCourante];
        if (!B || !C || B->ComNumber != C->ComNumber || B->Demande != C->Demande) break;
        B->ChaineLue = brute;
        DecodeVoie(VoieCourante + 1);
        ++VoieCourante;
    }

    ++VoieCourante;
    if (VoieCourante < nbre) {
        Interroge(VoieCourante);
        return;
    }

    AfficheStabilite();
    if (EtatAcq == eaEnCours && ModeAcq == maTemps) {
        const int n = graphe.NbrePoints;
        if (envoiDirectGlb && n > 0) {
            const double t = std::nearbyint(EcartSecondes(heureDuJour(), InstantDebut));
            if (n <= indiceVecteurMax && !(graphe.mondeX.valeur[n] > t)) EnregistrePoint();
        } else {
            EnregistrePoint();
        }
    }
    VoieCourante = 0;
}

void TCinetiqueMain::AfficheStabilite() {
    for (int v = 0; v < graphe.NbreVoies; ++v) {
        Tappareil* A = AppareilAcq[v];
        if (!A || !A->StableApp || A->StableApp->isHidden()) continue;
        const bool s = A->isStable();
        A->StableApp->setCheckable(true);
        A->StableApp->setChecked(s);
        A->StableApp->setToolTip(s ? QStringLiteral("Données stables")
                                   : QStringLiteral("Données non stables"));
    }
}

void TCinetiqueMain::TraiteReponseMaitre() {
    const int nbre = graphe.NbreVoies;
    const int m = graphe.voieMaitre;
    if (m >= nbre || !AppareilAcq[m]) return;
    Tappareil* M = AppareilAcq[m];
    const QByteArray brute = M->ChaineLue;
    DecodeVoie(m);
    Reponse = true;
    for (int j = 0; j < nbre; ++j) {
        Tappareil* B = AppareilAcq[j];
        if (j == m || !B) continue;
        if (B->ComNumber == M->ComNumber) {
            B->ChaineLue = brute;
            B->SetValeurCourante();
            if (B->FormatFixe)
                B->ChaineLue = brute.mid(std::max<qint32>(B->NbreCarac, 0));
            else
                B->ChaineLue.clear();
            if (B->depassement) ConfirmeDepassement(indiceVoie(j));
            if (B->LabelApp) B->LabelApp->setText(B->NomValeurUniteCourante());
        } else if (!B->EnvoiDirect && B->VoieSerieOK && B->VoieSerie && B->VoieSerie->Open()) {
            B->VoieSerie->FlushInBuffer();
            B->ChaineLue.clear();
            try {
                B->VoieSerie->PutString(B->Demande);
            } catch (const EAPDException&) {
                // The device went away; that channel keeps its last value.
            }
        }
    }
    if (EtatAcq == eaAttente) PosteCurseurs();
    if (M->FormatFixe)
        M->ChaineLue = M->ChaineLue.mid(std::max<qint32>(M->NbreCarac, 0));
    else
        M->ChaineLue.clear();
    if (EtatAcq == eaEnCours) {
        EnregistrePoint();
        if (CodeBeep > 0) QApplication::beep();
    }
}

void TCinetiqueMain::ConfirmeDepassement(indiceVoie v) {
    Tappareil* A = v < graphe.NbreVoies ? AppareilAcq[v] : nullptr;
    if (!A) return;
    A->depassement = false;
    const double V = A->ValeurCourante;
    // A missing value has nothing to confirm; it is simply not recorded.
    if (estNaN(V)) return;
    const Compte question(questionsOuvertes_);
    if (!Confirme(A->NomValeurUniteCourante() + QStringLiteral(" valeur correcte ?"))) {
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
    RedessineOscillo();
}

void TCinetiqueMain::PosteCurseurs() {
    if (curseursPrevus_) return;
    curseursPrevus_ = true;
    QMetaObject::invokeMethod(this, &TCinetiqueMain::PlaceCurseurs, Qt::QueuedConnection);
}

void TCinetiqueMain::PlaceCurseurs() {
    curseursPrevus_ = false;
    graphe.TraceCurseurs();
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (AppareilAcq[v])
            graphe.mondeY[v].PosCurseur =
                graphe.mondeY[v].PosWindow(AppareilAcq[v]->ValeurCourante);
    graphe.TraceCurseurs();
}
