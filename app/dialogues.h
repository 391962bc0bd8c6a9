#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

// Every message box, Yes/No question and input box of the program goes through here,
// so that tests can answer them.
class Dialogues {
public:
    virtual ~Dialogues() = default;
    virtual void message(const QString& texte) = 0;
    virtual void erreur(const QString& texte) = 0;
    virtual bool confirme(const QString& texte) = 0;
    // Returns false when the box is cancelled.
    virtual bool saisie(const QString& titre, const QString& invite, QString& valeur) = 0;
    // Open or save file box. `filtre` pairs captions and patterns with "|"
    // ("Kalvento (*.kw3)|*.kw3|..."); a name typed without extension gets the one of the filter
    // chosen in the box, `extensionDefaut` (without the dot) when that filter has none.
    // Returns the chosen path, empty when the box is cancelled.
    virtual QString choisitFichier(bool enregistrer, const QString& titre, const QString& filtre,
                                   const QString& extensionDefaut, const QString& nomInitial) = 0;
};

// The extension a name typed without one gets under a file box filter: "Tableur CSV (*.csv)"
// gives "csv"; a filter without a plain extension ("Tous (*.*)") gives nothing.
[[nodiscard]] QString suffixeDuFiltre(const QString& filtre);

Dialogues& dialogues();
std::unique_ptr<Dialogues> installeDialogues(std::unique_ptr<Dialogues> nouveaux);

// Scripted answers for tests: every box is recorded; questions take the queued answers in order
// (No / cancel when the queue is empty).
class DialoguesScriptes : public Dialogues {
public:
    void message(const QString& texte) override { vus << texte; }
    void erreur(const QString& texte) override { vus << texte; }
    bool confirme(const QString& texte) override {
        vus << texte;
        return reponses.isEmpty() ? false : reponses.takeFirst();
    }
    bool saisie(const QString& titre, const QString& invite, QString& valeur) override {
        vus << invite;
        Q_UNUSED(titre);
        if (saisies.isEmpty()) return false;
        valeur = saisies.takeFirst();
        return true;
    }
    QString choisitFichier(bool enregistrer, const QString& titre, const QString& filtre,
                           const QString& extensionDefaut, const QString& nomInitial) override {
        Q_UNUSED(enregistrer);
        Q_UNUSED(filtre);
        Q_UNUSED(extensionDefaut);
        Q_UNUSED(nomInitial);
        vus << titre;
        return fichiers.isEmpty() ? QString() : fichiers.takeFirst();
    }
    QStringList vus;
    QList<bool> reponses;
    QStringList saisies;
    // Paths the file boxes return, in order (cancel when empty).
    QStringList fichiers;
};
