#include "app/dialogues.h"

#include <cstdio>

namespace {
// Without a window (the recorder on the command line, the engine in a test) a box cannot be
// shown: its text goes to stderr and every question takes its safe answer.
class DialoguesConsole : public Dialogues {
public:
    void message(const QString& texte) override { ecrit(texte); }
    void erreur(const QString& texte) override { ecrit(texte); }
    bool confirme(const QString& texte) override {
        ecrit(texte + QStringLiteral(" → Non"));
        return false;
    }
    bool saisie(const QString& titre, const QString& invite, QString& valeur) override {
        ecrit(titre + QStringLiteral(" : ") + invite + QStringLiteral(" → annulé"));
        Q_UNUSED(valeur);
        return false;
    }
    QString choisitFichier(bool, const QString& titre, const QString&, const QString&,
                           const QString&) override {
        ecrit(titre + QStringLiteral(" → annulé"));
        return {};
    }

private:
    static void ecrit(const QString& texte) {
        std::fprintf(stderr, "%s\n", texte.toLocal8Bit().constData());
    }
};

std::unique_ptr<Dialogues>& courants() {
    static std::unique_ptr<Dialogues> d = std::make_unique<DialoguesConsole>();
    return d;
}
} // namespace

Dialogues& dialogues() {
    return *courants();
}

std::unique_ptr<Dialogues> installeDialogues(std::unique_ptr<Dialogues> nouveaux) {
    std::unique_ptr<Dialogues> anciens = std::move(courants());
    courants() = nouveaux ? std::move(nouveaux) : std::make_unique<DialoguesConsole>();
    return anciens;
}
