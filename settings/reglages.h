#pragma once

#include <QSettings>
#include <QStringList>
#include <memory>

// The per-user settings key "Software\Telmira" (organisation "Telmira").
// Tests redirect it with QSettings::setPath or by pointing XDG_CONFIG_HOME elsewhere.
std::unique_ptr<QSettings> ouvreReglages();

// The recently used instruments ("AppareilRecent") as the main window keeps them.
struct TAppareilsRecents {
    // More names than the selection dialog's list can usefully offer are never read nor kept.
    static constexpr int Maxi = 16;
    bool listeAppRecente = true;
    // Sorted without regard to case, each name once, at most Maxi names.
    QStringList noms;
};

// Reads "AppareilRecent": a value that cannot be read gives its default ("Liste" true,
// "Nombre" 0); a huge or negative "Nombre" reads at most Maxi names.
[[nodiscard]] TAppareilsRecents LitAppareilsRecents(const QSettings& reglages);
// The list kept at the end of a run: the first name goes when the list and the channels are
// more than 8, then the channels' instruments are added; the list never exceeds Maxi names.
[[nodiscard]] QStringList MajAppareilsRecents(QStringList noms, const QStringList& nomsVoies);
// Writes "AppareilRecent" ("Nombre", "Liste", "N0".."N"(Nombre-1)) and removes the names of a
// longer list written before.
void EcritAppareilsRecents(QSettings& reglages, const TAppareilsRecents& recents);
// Sorted insertion without regard to case; a name already there is not added again.
void AjouteNomTrie(QStringList& liste, const QString& nom);
