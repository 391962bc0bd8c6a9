#include "app/cp1252.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"

#include <QSaveFile>

// The whole table is written to a temporary file that then replaces the old one: a program
// killed or a disk full at any moment leaves the previous complete table, never a torn line.
// The rows already written are kept formatted, so an extension only formats the new ones.
void TCinetiqueMain::EcritSecours() {
    const int n = graphe.NbrePoints;
    // Fewer samples than the table holds: the store was emptied or thinned out meanwhile.
    if (NbrePointsSauves > n) NbrePointsSauves = 0;
    if (n <= NbrePointsSauves + 2) return;
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

    QSaveFile fichier(NomFichierSauvegarde);
    const QByteArray tete = versCp1252(entete);
    const bool reussi = fichier.open(QIODevice::WriteOnly) && fichier.write(tete) == tete.size() &&
                        fichier.write(lignes) == lignes.size() && fichier.commit();
    if (!reussi) {
        // Told once: a box at every sample would stop the user from working. The rows are
        // written again at the next attempt.
        if (!erreurSecoursSignalee_)
            dialogues().erreur(QStringLiteral("Erreur d'écriture de ") + NomFichierSauvegarde);
        erreurSecoursSignalee_ = true;
        return;
    }
    erreurSecoursSignalee_ = false;
    lignesSecours_ = std::move(lignes);
    NbrePointsSauves = n;
}
