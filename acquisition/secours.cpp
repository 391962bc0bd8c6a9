#include "acquisition/acquisition.h"

#include "app/cp1252.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "settings/emplacement.h"

// The whole table is written to a temporary file that then replaces the old one: a program
// killed or a disk full at any moment leaves the previous complete table, never a torn line.
// The rows already written are kept formatted, so an extension only formats the new ones.
// Rows are added three at a time, or all at once when `tout` is set (the end of a run).
void TAcquisition::EcritSecours(bool tout) {
    const int n = graphe.NbrePoints;
    // Fewer samples than the table holds: the store was emptied or thinned out meanwhile, and
    // the table is written again from its header.
    const bool reecrire = NbrePointsSauves > n;
    if (reecrire) NbrePointsSauves = 0;
    if (!(reecrire && tout) && n <= NbrePointsSauves + (tout ? 0 : 2)) return;
    const int nbre = graphe.NbreVoies;
    const Tmonde& X = graphe.mondeX;

    const QString fin = QStringLiteral("\r\n");
    QString entete = QStringLiteral("Appareils Telmira 2.50 01/02/2011") + fin + X.Nom;
    for (int v = 0; v < nbre; ++v)
        entete +=
            QLatin1Char('\t') + (AppareilAcq[v] ? AppareilAcq[v]->SymboleGrandeur : QString());
    entete += fin + X.Unite;
    for (int v = 0; v < nbre; ++v)
        entete += QLatin1Char('\t') + (AppareilAcq[v] ? AppareilAcq[v]->UniteGrandeur : QString());
    entete += fin;

    if (NbrePointsSauves == 0) lignesSecours_.clear();
    QByteArray lignes = lignesSecours_;
    QString ligne;
    for (int i = NbrePointsSauves; i < n; ++i) {
        ligne = FormatNombre(X.valeur[i]);
        for (int v = 0; v < nbre; ++v)
            ligne += QLatin1Char('\t') + FormatNombre(graphe.mondeY[v].valeur[i]);
        ligne += fin;
        lignes += ligne.toLatin1();
    }

    // Never through a link planted in its place.
    const bool reussi = ecritSansLien(NomFichierSauvegarde, versCp1252(entete) + lignes);
    if (!reussi) {
        // Told once, from the event loop: a box at every sample, or one opened in the middle of
        // an answer, would stop the recording. The rows are written again at the next attempt.
        if (!erreurSecoursSignalee_)
            QTimer::singleShot(0, this, [nom = NomFichierSauvegarde] {
                dialogues().erreur(QStringLiteral("Erreur d'écriture de ") + nom);
            });
        erreurSecoursSignalee_ = true;
        return;
    }
    erreurSecoursSignalee_ = false;
    lignesSecours_ = std::move(lignes);
    NbrePointsSauves = n;
}
