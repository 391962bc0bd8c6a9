#include "app/dialogues.h"

#include <QRegularExpression>
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

QString suffixeDuFiltre(const QString& filtre) {
    const qsizetype ouvre = filtre.lastIndexOf(QLatin1Char('('));
    const qsizetype ferme = filtre.lastIndexOf(QLatin1Char(')'));
    const QString motifs =
        ouvre >= 0 && ferme > ouvre ? filtre.mid(ouvre + 1, ferme - ouvre - 1) : filtre;
    const QString premier =
        motifs.split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts).value(0);
    if (!premier.startsWith(QLatin1String("*."))) return {};
    const QString suffixe = premier.mid(2);
    const bool simple = !suffixe.isEmpty() && !suffixe.contains(QLatin1Char('*')) &&
                        !suffixe.contains(QLatin1Char('?')) && !suffixe.contains(QLatin1Char('['));
    return simple ? suffixe : QString();
}

Dialogues& dialogues() {
    return *courants();
}

std::unique_ptr<Dialogues> installeDialogues(std::unique_ptr<Dialogues> nouveaux) {
    std::unique_ptr<Dialogues> anciens = std::move(courants());
    courants() = nouveaux ? std::move(nouveaux) : std::make_unique<DialoguesConsole>();
    return anciens;
}
