#pragma once

#include "acquisition/echantillons.h"
#include "exchange/infospage.h"
#include "serial/voiesserie.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <bitset>
#include <functional>
#include <memory>

class Tappareil;
class TburetteRS232;
struct TMagasinDosage;

// What the window offers, decided from the acquisition's state alone.
struct TCommandes {
    bool Acquerir = false;
    bool Repere = false;
    bool Defaire = false;
    bool Stop = false;
    bool RaZ = false;
    // Save, copy and transfer: whatever has been recorded can leave the program.
    bool Fichier = false;
    bool Multimetre = false;
    bool PanelTemps = false;
    bool Clavier = false;
    bool Dosage = false;
};

// The acquisition engine: the set-up of the channels, the state machine, the request/answer
// cycle with the instruments, the time base, the recording of samples, the backup table and
// the set-up and data files. It knows no window: it asks its questions through the dialogue
// seam and tells what changed through its signals; the main window and the recorder on the
// command line both drive it.
class TAcquisition : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxVoies = TEchantillons::MaxVoies;
    // Answers longer than this keep only their tail, so that a flooding instrument cannot make
    // the received text grow without bound.
    static constexpr int tailleMaxChaineLue = 4096;

    explicit TAcquisition(QObject* parent = nullptr);
    ~TAcquisition() override;

    // State machine
    void SetEtatAcq(TEtatAcquisition Etat);
    // Around a dialog that may change the set-up: readings stop, then resume as they were.
    // Calls nest; a set-up arriving from outside meanwhile waits for the last RepriseAcq.
    void SuspendAcq();
    void RepriseAcq();
    [[nodiscard]] TCommandes commandes() const;

    // Request/answer cycle
    // Binds every channel to its port, prepares the abscissa and enters the resting state of the
    // mode.
    void InitAttente();
    void TimerTimer();
    // Data-available handler of every port (CP absent for the built-in printout replay).
    void TriggerAvail(TApdComPort* CP, quint16 Count);
    void TraiteReponse();
    void TraiteReponseMaitre();
    void ConfirmeDepassement(indiceVoie v);
    // Burette mode: binds and identifies the burette, sets the stability thresholds of the
    // titration and enters eaAttente; false when the burette cannot be used.
    bool PrepareBurette();
    // The program's burette (of the instrument module).
    [[nodiscard]] TburetteRS232& burette() const;

    // Recording and commands
    void EnregistrePoint();
    void EnregistreClavier();
    // "Acquérir" (also the space bar).
    void Acquerir();
    // "Repère": asks the marker's meaning and adds it at the elapsed time.
    void Repere();
    void Defaire();
    void Stop();
    // Ends the run now and keeps every sample, whatever their number (the recorder's stop).
    void Termine();
    // "RàZ"; false when the user kept the samples.
    bool RaZ();
    // A keyboard entry validated: true when it was taken (the box is then emptied).
    bool ValideClavier(const QString& texte);

    // Time base
    void MajBaseDeTemps();
    void AjusteBaseDeTemps();
    void AugmenteDuree();
    void DiminueDuree();
    void ChangeDeltat(int valeur);
    void ChangeDuree(qint32 secondes);
    // A time base chosen elsewhere (the mode dialog), already within its limits; during a run
    // the samples to come are planned from the last one.
    void AppliqueBaseDeTemps(quint16 deltat, qint32 duree);
    // The horizontal zoom changed the abscissa's range: in the time base the duration follows
    // it, except during a run, which it never cuts short.
    void ZoomAbscisse();

    // Files
    // Loads a set-up file and starts it; false when nothing was loaded.
    bool LitConfig(const QString& NomFichier);
    // Asks "Données non sauvées, quitter ?" when samples are unsaved; the readings go on
    // meanwhile and after a refusal.
    bool FermetureAcceptee();
    // At the end: the timer stops, the instruments' release texts are sent and their ports (the
    // burette's too in its mode) closed.
    void LibereVoies();
    // Writes the current set-up; false, after "Erreur écriture <path>", on failure.
    bool SauveConfig(const QString& NomFichier);
    // The name with its extension replaced by ".tm2".
    [[nodiscard]] static QString NomFichierConfig(const QString& NomFichier);
    // A dialog or a question is open: a set-up from outside must wait.
    [[nodiscard]] bool occupe() const;
    // Every channel has an instrument that has given a value since the set-up: what a user
    // waits for before pressing "Acquérir".
    [[nodiscard]] bool VoiesLues() const;
    // A set-up from outside (a second start, the command channel): loaded once no dialog is
    // open and no question is waiting, and after the cycle in flight is dropped.
    void DemandeConfig(const QString& NomFichier);
    // True when nothing unsaved is recorded, or when the user accepts to lose it.
    bool PerteDonneesAcceptee();
    // Writes the samples to a new kw3, txt or csv file (by its extension); false on failure.
    bool EnregistreFichier(const QString& chemin);
    // Appends the samples as a new page to the last file written.
    bool AjoutePage();
    [[nodiscard]] bool pagePossible() const;
    // The samples as the clipboard and the analysis program receive them.
    [[nodiscard]] QString TexteDonnees();
    void EcritSecours(bool tout = false);

    // Shown texts
    [[nodiscard]] QString TexteAbscisse(int i) const;
    [[nodiscard]] QString TexteValeur(int v, int i) const;
    [[nodiscard]] const QString& TexteProbleme() const { return texteProbleme_; }
    [[nodiscard]] const QString& TexteDuree() const { return texteDuree_; }
    // During a titration: volume delivered, what the burette waits for, the next addition.
    [[nodiscard]] const QString& TexteDosage() const { return texteDosage_; }
    // The abscissa at which the cursor crosses stand while no sample is being taken.
    [[nodiscard]] double AbscisseCurseur() const;
    [[nodiscard]] bool stable(int v) const { return stable_[std::size_t(v)]; }
    // Channels that did not answer in the last cycle.
    [[nodiscard]] bool muette(int v) const { return muettes_[std::size_t(v)]; }

    // The trace option of the acquisition mode dialog ("FichierTrace"/"Actif", default on).
    static bool LitTraceActif();
    static void EcritTraceActif(bool actif);

    // Acquisition state
    bool AppelKalvento = false;
    bool sauveTimer = false;
    bool envoiDirectGlb = false;
    TEtatAcquisition sauveEtat = eaEnCours;
    TEtatAcquisition EtatAcq = eaNone;
    double InstantDebut = 0;
    quint8 VoieCourante = 0;
    QString NomFichierData;
    bool FormatKW3 = false;
    bool formatCSV = false;
    bool Reponse = false;
    double valeurClavier = 0;
    bool dataSaved = true;
    qint32 NbrePointsSauves = 0;
    QString NomFichierSauvegarde;
    double dateReception = 0;
    bool PagePermise = false;
    std::array<Tappareil*, MaxVoies> AppareilAcq{}; // borrowed from the device list
    quint16 DeltatMesure = 1;
    quint16 DeltatMin = 1;
    qint32 DureeMesure = 120;
    TModeAcq ModeAcq = maTemps;
    qint32 CodeBeep = 0;

    TEchantillons graphe;
    TInfosPage InfosPage;
    // The sampling timer.
    QTimer Timer;
    // The 50 port objects and the binding of instruments to them.
    std::unique_ptr<TVoiesSerie> voiesSerie;
    // Sends the samples to the analysis program when an acquisition it asked for ends.
    std::function<void()> EnvoieDonneesKalvento;
    // True while a dialog of the window is open: a set-up from outside waits.
    std::function<bool()> DialogueOuvert;
    // Plays the sound of CodeBeep after each sample of the master-instrument mode.
    std::function<void(int)> JoueSon;

Q_SIGNALS:
    void etatChange();
    // A state entered through SetEtatAcq (the keyboard mode then empties and focuses its box).
    void etatEntre(TEtatAcquisition etat);
    // A new set-up: channels, abscissa, grid columns, mode.
    void miseEnPlace();
    void echantillonAjoute(int i);
    // Samples from i on changed or went (undo, thinning, reset): shown again from there.
    void echantillonsRemplaces(int depuis);
    void valeurVoie(int v);
    void stabiliteVoie(int v, bool stable);
    void problemeChange(const QString& texte);
    void baseDeTempsChange();
    void dureeChange(const QString& texte);
    void etatDosageChange(const QString& texte);
    // The current values moved: the plot's cursor crosses follow them.
    void curseursAPlacer();
    void repereAjoute(int index);
    // Axis ranges changed: the plot is drawn again.
    void redessine();
    void acquisitionTerminee();
    // A keyboard entry was recorded (or refused): the window empties the box and focuses it.
    void clavierTraite(bool pris);

private:
    void LieVoies();
    void PrepareAbscisse();
    void Interroge(int v);
    void AttendPause(const EventTimer& pause, const class QDeadlineTimer& borne, int v,
                     quint64 cycle);
    void EnvoieDemandeVoie(int v, quint64 generation);
    void ArmeAttenteReponse(int v);
    void FinAttenteReponse();
    void VoieMuette(int v, quint64 cycle);
    void ReponseVoie(int v);
    void DecodeVoie(int v);
    void FinCycle();
    // True when every channel's readings have settled.
    bool AfficheStabilite();
    void DebutTitrage();
    void EtapeTitrage(bool toutStable);
    void SuiteTitrage(int resultat);
    void MajEtatDosage();
    void ChangeEtatDosage(const QString& texte);
    [[nodiscard]] TMagasinDosage magasin();
    void PosteCurseurs();
    void PosteQuestion(int v);
    void ConfirmeValeur(int v, double V);
    void FinAcquisition();
    [[nodiscard]] bool ValeursToutesLues() const;
    [[nodiscard]] double valeurEchantillon(int v) const;
    void RangeValeursVoies(int n);
    void GardeUnSurDeux();
    void PlanifieDepuisDernier();
    [[nodiscard]] double InstantPrevu(int n) const;
    void ChangeProbleme(const QString& texte);
    void ChangeDureeAffichee(const QString& texte);
    void AppliqueConfigEnAttente();
    [[nodiscard]] QString SignatureVoies() const;

    // A set-up or a reset makes every request, answer wait and question of the previous one
    // stale.
    quint64 generation_ = 0;
    // Each polling cycle has its number; a late timer of another cycle does nothing.
    quint64 numeroCycle_ = 0;
    bool cycleEnCours_ = false;
    std::bitset<MaxVoies> repondu_;
    std::bitset<MaxVoies> muettes_;
    std::bitset<MaxVoies> frais_;
    std::bitset<MaxVoies> questionPosee_;
    std::array<bool, MaxVoies> stable_{};
    int suspensions_ = 0;
    QString configEnAttente_;
    QTimer essaiConfig_;
    // The wait for the answer of the channel being read: one timer, restarted for each channel
    // (a timer object made for every reading cost more than the reading itself).
    QTimer attenteReponse_;
    int voieAttendue_ = -1;
    quint64 cycleAttendu_ = 0;
    bool curseursPrevus_ = false;
    // Time base: sample k is planned at origineT_ + (k - origineN_) × δt, so that a δt changed
    // during a run plans from the last sample.
    double origineT_ = 0;
    int origineN_ = 0;
    QString texteProbleme_;
    QString texteDuree_;
    QString texteDosage_;
    // The backup failure is told once until a write succeeds again.
    bool erreurSecoursSignalee_ = false;
    // The rows already in the backup table, formatted once.
    QByteArray lignesSecours_;
    // The channels of the last data file written, which a page added to it must have.
    QString signatureFichier_;
};
