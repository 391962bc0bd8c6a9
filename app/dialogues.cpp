#include "app/dialogues.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QWidget* parentActif() {
    return QApplication::activeWindow();
}

class DialoguesQt : public Dialogues {
public:
    void message(const QString& texte) override {
        QMessageBox::information(parentActif(), QStringLiteral("Acquisition Telmira"), texte);
    }
    void erreur(const QString& texte) override {
        QMessageBox::warning(parentActif(), QStringLiteral("Acquisition Telmira"), texte);
    }
    bool confirme(const QString& texte) override {
        return QMessageBox::question(parentActif(), QStringLiteral("Acquisition Telmira"), texte,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    bool saisie(const QString& titre, const QString& invite, QString& valeur) override {
        bool ok = false;
        const QString lu =
            QInputDialog::getText(parentActif(), titre, invite, QLineEdit::Normal, valeur, &ok);
        if (ok) valeur = lu;
        return ok;
    }
};

std::unique_ptr<Dialogues>& courants() {
    static std::unique_ptr<Dialogues> d = std::make_unique<DialoguesQt>();
    return d;
}
} // namespace

Dialogues& dialogues() {
    return *courants();
}

std::unique_ptr<Dialogues> installeDialogues(std::unique_ptr<Dialogues> nouveaux) {
    std::unique_ptr<Dialogues> anciens = std::move(courants());
    courants() = nouveaux ? std::move(nouveaux) : std::make_unique<DialoguesQt>();
    return anciens;
}
