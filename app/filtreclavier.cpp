#include "app/filtreclavier.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {
const QString capitales = QStringLiteral("ΑΒΧΔΕΦΓΗΙΨΚΛΜΝOΠΘΡΣΤUVΩΞYΖ");
const QString petites = QStringLiteral("αβχδεφγηιψκλμνοπθρστuvωξyζ");

// The edit box that has the focus, as a line edit or a text edit.
struct Edition {
    QLineEdit* ligne = nullptr;
    QTextEdit* texte = nullptr;
    QPlainTextEdit* brut = nullptr;
    [[nodiscard]] bool existe() const { return ligne || texte || brut; }
    [[nodiscard]] bool aSelection() const {
        if (ligne) return ligne->hasSelectedText();
        if (texte) return texte->textCursor().hasSelection();
        return brut && brut->textCursor().hasSelection();
    }
    void insere(const QString& s) const {
        if (ligne) ligne->insert(s);
        if (texte) texte->insertPlainText(s);
        if (brut) brut->insertPlainText(s);
    }
};

Edition editionActive(QObject* cible) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || cible != focus) return {};
    Edition e;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(focus)) {
        e.ligne = spin->findChild<QLineEdit*>();
        if (spin->isReadOnly()) e.ligne = nullptr;
    } else if ((e.ligne = qobject_cast<QLineEdit*>(focus)) && e.ligne->isReadOnly()) {
        e.ligne = nullptr;
    } else if ((e.texte = qobject_cast<QTextEdit*>(focus)) && e.texte->isReadOnly()) {
        e.texte = nullptr;
    } else if ((e.brut = qobject_cast<QPlainTextEdit*>(focus)) && e.brut->isReadOnly()) {
        e.brut = nullptr;
    }
    return e;
}
} // namespace

QChar TFiltreClavier::lettreGrecque(int k, bool capitale) {
    if (k < 1 || k > 26) return {};
    return (capitale ? capitales : petites).at(k - 1);
}

bool TFiltreClavier::eventFilter(QObject* objet, QEvent* evenement) {
    const QEvent::Type type = evenement->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
    const auto* touche = static_cast<QKeyEvent*>(evenement);
    const Qt::KeyboardModifiers mods = touche->modifiers() & ~Qt::KeypadModifier;
    if (!(mods & Qt::ControlModifier) || (mods & (Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (touche->key() < Qt::Key_A || touche->key() > Qt::Key_Z) return false;
    const Edition edition = editionActive(objet);
    if (!edition.existe()) return false;

    const int k = touche->key() - Qt::Key_A + 1;
    const bool capitale = mods & Qt::ShiftModifier;
    // With a selection, Ctrl+C, Ctrl+V and Ctrl+X are the edit box's own clipboard commands.
    if (!capitale && (k == 3 || k == 22 || k == 24) && edition.aSelection()) return false;
    if (type == QEvent::ShortcutOverride) {
        // Keeps menu shortcuts from taking the key before the edit box sees it.
        evenement->accept();
        return true;
    }
    edition.insere(lettreGrecque(k, capitale));
    return true;
}
