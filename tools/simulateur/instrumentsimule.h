#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

class PseudoTerminal;
class SourceValeur;
class Tappareil;

// How one instrument is played, beside its description.
struct ReglagesJeu {
    // Time between a request and its answer.
    int delaiReponseMs = 20;
    // Period of an instrument that sends on its own; 0: the description's Delai.
    int periodeMs = 0;
    // The stability marker of an instrument that reports it (STAB key).
    bool stable = true;
    // Values outside Mini..Maxi are played as they are (still within what the answer can hold).
    bool horsPlage = false;
    // Every exchange is written to stderr.
    bool trace = false;
};

// One instrument played on a pseudo-terminal from its description: it answers its request
// (or sends on its own at its rate) with an answer laid out as the description expects, carrying
// the value of its source. Bytes it does not understand are reported on stderr and dropped.
class InstrumentSimule : public QObject {
    Q_OBJECT
public:
    InstrumentSimule(int numero, std::unique_ptr<Tappareil> appareil,
                     std::unique_ptr<SourceValeur> source, const ReglagesJeu& reglages,
                     PseudoTerminal& terminal, QObject* parent = nullptr);
    ~InstrumentSimule() override;

    // Starts listening, and sending for a continuous instrument.
    void demarre();
    [[nodiscard]] const Tappareil& appareil() const { return *appareil_; }
    [[nodiscard]] int numero() const { return numero_; }
    // The source's value at t, the last usable one when it gives no number, kept within the
    // range (unless horsPlage) and within what the layout can write.
    [[nodiscard]] double valeurJouee(double t);
    // The answer for a value, with the stability marker when the description reads one.
    [[nodiscard]] QByteArray reponsePour(double valeur);
    // The value our own decoding reads in an answer (NaN when none), and its first four bytes.
    [[nodiscard]] double relit(const QByteArray& reponse, QString* marque = nullptr);

    // Bytes kept while waiting for the rest of a request.
    static constexpr qsizetype entreeMaxi = 4096;
    // Requests whose answer is still to come; more are dropped, as a busy instrument would.
    static constexpr int reponsesEnAttenteMaxi = 16;

private:
    enum GenreJeton { gjDemande, gjInit, gjFin };
    struct Jeton {
        QByteArray texte;
        GenreJeton genre;
    };

    void recoit(const QByteArray& octets);
    void analyse();
    void inconnu(const QByteArray& octets);
    void repond();
    void emet();
    void envoie(const QByteArray& reponse, double valeur);
    void calculeBornes();
    [[nodiscard]] bool imprimable(double v);
    [[nodiscard]] double limite(double bon, double mauvais);
    [[nodiscard]] QString nom() const;

    const int numero_;
    std::unique_ptr<Tappareil> appareil_;
    // A copy that decodes our own answers, to check them.
    std::unique_ptr<Tappareil> relecture_;
    std::unique_ptr<SourceValeur> source_;
    ReglagesJeu reglages_;
    PseudoTerminal& terminal_;
    std::vector<Jeton> jetons_;
    QByteArray entree_;
    // A request cut short is reported once nothing more came for a while.
    QTimer reste_;
    QTimer emission_;
    int enAttente_ = 0;
    double derniere_;
    double bas_;
    double haut_;
    qsizetype tailleEnregistrement_ = 0;
    bool marqueSignalee_ = false;
    bool relectureSignalee_ = false;
};
