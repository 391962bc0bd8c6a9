#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the macros of the command channel do to the program; the engine and the main window
// implement it.
class TActionsMacro {
public:
    virtual ~TActionsMacro() = default;
    // "CONFIG|LOAD(f)" and "FILE|LOAD(f)": loads the set-up file f and starts it; false when
    // nothing was loaded (a file that does not exist is ignored without a message).
    virtual bool LitConfig(const QString& NomFichier) = 0;
    // "CONFIG|SAVE(f)" and "FILE|SAVE(f)": writes the current set-up to f (".tm2" put in
    // place of its extension); false on failure.
    virtual bool SauveConfig(const QString& NomFichier) = 0;
    // PagePermise of the data files: false with "FOCUS", true with "GETDATA".
    virtual void SetPagePermise(bool Permise) = 0;
    // "FOCUS": the main window comes to the front and takes the focus.
    virtual void PrendFocus() = 0;
    // "GETDATA", called once the request has been answered: starts the set-up (InitAttente)
    // and sets AppelKalvento, so that the samples go to Kalvento when the acquisition ends.
    virtual void DemarreAppelKalvento() = 0;
};

enum TCommandeMacro {
    cmPlusieursLignes,
    cmInconnue,
    cmLitConfig,
    cmSauveConfig,
    cmFocus,
    cmGetData
};

struct TMacro {
    TCommandeMacro commande = cmPlusieursLignes;
    QString ligne;
    QString argument;
};

// The lines of a request, as a list of lines reads a text: CR, LF or CR LF end a line, and a
// last line break opens no line of its own.
QStringList LignesMacro(const QString& texte);
// Command: the line up to its first "(", compared ignoring case. Argument: the text between the
// first "(" and the first ")" when that "(" comes first, unchanged; empty otherwise.
TMacro AnalyseMacro(const QString& texte);

// A box to show once the caller has its answer.
struct TBoiteDifferee {
    bool erreur = true;
    QString texte;
};

struct TResultatMacro {
    // "ok", or the text of the error shown.
    QString reponse;
    // "GETDATA": DemarreAppelKalvento is still to be called, after the answer.
    bool appelKalvento = false;
    // The messages and errors of the request, shown after the answer: a caller never waits
    // for somebody to close a box.
    QList<TBoiteDifferee> boites;
};

// Runs one request received (Windows-1252, without its NUL). Errors are returned as the answer
// and, to be shown through dialogues() after it, in `boites`; questions are asked at once.
TResultatMacro ExecuteMacro(const QByteArray& requete, TActionsMacro& actions);
