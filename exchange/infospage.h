#pragma once

#include <QString>
#include <QStringList>

// What goes with a page of samples: a comment and up to two experimental constants. Kept for
// the whole run, so that what the user typed stays from one use to the next.
struct TInfosPage {
    QStringList Commentaire;
    bool Const1 = false;
    bool Const2 = false;
    QString Nom1, Unite1, Valeur1;
    QString Nom2, Unite2, Valeur2;

    [[nodiscard]] int NbreConst() const { return int(Const1) + int(Const2); }
    // The comment as a list of lines; one empty line when nothing was typed.
    [[nodiscard]] QStringList LignesCommentaire() const {
        return Commentaire.isEmpty() ? QStringList{QString()} : Commentaire;
    }
};
