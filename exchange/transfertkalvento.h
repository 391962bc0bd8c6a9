#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class TSocketLocal;

// The kinds of transfer to the analysis program.
enum Tenvoi { eAdd, eLoad, ePlus, eFocus };

// Hands the samples to the analysis program Kalvento: the clipboard text goes on the clipboard,
// then one macro on Kalvento's command channel (service "KALVENTO", else "Kalvento", topic
// "ServeurDDE", item "ServeurItem") tells it to load that text; Kalvento is started first when
// it does not run. No conversation stays open between two transfers.
class TFormDDE {
public:
    // `TexteDonnees` builds the clipboard text, `MetPressePapiers` puts it on the clipboard.
    // `dossierCanaux`: where the channels are (the user's runtime folder when empty).
    TFormDDE(std::function<QString()> TexteDonnees,
             std::function<void(const QString&)> MetPressePapiers,
             const QString& dossierCanaux = {});

    // Makes sure Kalvento runs, connects, sends the macro of `Ordre`, disconnects. False, after
    // its message, when the macro could not be sent.
    bool Execute(Tenvoi Ordre);
    // Puts the clipboard text on the clipboard and, when `DDE`, has Kalvento load it as a new
    // page (`NouvellePage`) or as a new data set.
    bool EnvoieDonnees(bool DDE, bool NouvellePage);
    // The transfer of the "Kalvento" button once its dialog is accepted: a new page only when
    // one was chosen and `PagePermise` allows it, so the first transfer always loads. True when
    // Kalvento got the macro; `PagePermise` then becomes true.
    bool EnvoiePage(bool nouvellePageChoisie, bool& PagePermise);

    static QString Macro(Tenvoi Ordre);
    // Kalvento's executable: its settings (organisation "Kalvento", value "Path" of the
    // application "Kalvento", then of the organisation), beside this program, on the PATH.
    // Empty when none exists.
    static QString TrouveKalvento();

    // The program started when Kalvento does not run; nothing is started when empty.
    QString CheminApplication;
    // Shows the busy cursor while true (nothing when unset).
    std::function<void(bool)> Sablier;
    // Longest waits: for a started Kalvento to answer, and before the second service name.
    int attenteLancementMs = 2000;
    int attenteSecondNomMs = 1000;

private:
    [[nodiscard]] QString canal(const QString& service) const;
    [[nodiscard]] bool repond(const QStringList& services) const;
    bool attend(const QStringList& services, int ms) const;
    bool connecte(TSocketLocal& client, const QString& service) const;

    std::function<QString()> texteDonnees_;
    std::function<void(const QString&)> metPressePapiers_;
    QString dossierCanaux_;
};
