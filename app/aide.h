#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;
class QToolButton;
class QWidget;

// The help pages shipped with the program (French HTML, one page per topic).
namespace sujets {
inline const QString sommaire = QStringLiteral("index");    // contents: modes, ports, files
inline const QString general = QStringLiteral("general");   // the main window
inline const QString modes = QStringLiteral("modes");       // the acquisition mode dialog
inline const QString burette = QStringLiteral("burette");   // the burette settings
inline const QString appareil = QStringLiteral("appareil"); // the device configuration
} // namespace sujets

// The folder holding the pages (index.html), looked for in this order: $TELMIRA_AIDE, "aide"
// beside the program (the build tree), <prefix>/share/telmira/aide relative to the program,
// then the installation folder chosen at build time. Empty when none has the pages.
[[nodiscard]] QString dossierAide();
// The "Aide" buttons show only when this is true.
[[nodiscard]] bool aideDisponible();
// The page of a numbered help topic as the dialogs ask for them (4 the mode dialog, 9 and 14
// the device configuration, 12 and 13 the burette settings); the contents for any other.
[[nodiscard]] QString sujetAide(int numero);

// Shows a topic ("modes", or "modes#burette" for a section) in the help window of `parent`'s
// window, created at the first call and kept; nothing happens when the help is missing.
// Works from a modal dialog: the help window belongs to it and is not blocked.
void AfficheAide(QWidget* parent, const QString& sujet);
// F1 on `fenetre` (and its children) shows `sujet`.
void installeToucheAide(QWidget* fenetre, const QString& sujet);

// The help window: a browser over the pages with contents, back and forward.
class TAideFenetre : public QDialog {
    Q_OBJECT
public:
    explicit TAideFenetre(QWidget* parent = nullptr);
    void affiche(const QString& sujet);
    [[nodiscard]] QTextBrowser* navigateur() const { return navigateur_; }

private:
    QTextBrowser* navigateur_ = nullptr;
    QToolButton* precedent_ = nullptr;
    QToolButton* suivant_ = nullptr;
};
