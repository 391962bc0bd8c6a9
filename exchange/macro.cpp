#include "exchange/macro.h"

#include "app/cp1252.h"
#include "app/dialogues.h"
#include "exchange/canalcommande.h"

#include <memory>

namespace {
const QString MessageUnique = QStringLiteral("Un message à la fois SVP");
const QString FonctionInconnue = QStringLiteral("Telmira/Quelvane Fonction inconnue : ");
const QString ErreurSyntaxe = QStringLiteral("Telmira/Quelvane : erreur syntaxe macro DDE");

// Keeps the boxes an action shows, to show them once the caller has its answer (the first
// one tells it why the action failed); questions go through at once.
class TemoinDialogues : public Dialogues {
public:
    void message(const QString& texte) override { note(false, texte); }
    void erreur(const QString& texte) override { note(true, texte); }
    bool confirme(const QString& texte) override { return suivants->confirme(texte); }
    bool saisie(const QString& titre, const QString& invite, QString& valeur) override {
        return suivants->saisie(titre, invite, valeur);
    }
    QString choisitFichier(bool enregistrer, const QString& titre, const QString& filtre,
                           const QString& extensionDefaut, const QString& nomInitial) override {
        return suivants->choisitFichier(enregistrer, titre, filtre, extensionDefaut, nomInitial);
    }

    std::unique_ptr<Dialogues> suivants;
    QString premier;
    QList<TBoiteDifferee> boites;

private:
    void note(bool erreur, const QString& texte) {
        if (premier.isEmpty()) premier = texte;
        boites.append({erreur, texte});
    }
};

class Ecoute {
public:
    Ecoute() {
        auto temoin = std::make_unique<TemoinDialogues>();
        temoin_ = temoin.get();
        temoin_->suivants = installeDialogues(std::move(temoin));
    }
    ~Ecoute() {
        std::unique_ptr<Dialogues> installes = installeDialogues(nullptr);
        if (installes.get() == temoin_)
            installeDialogues(std::move(temoin_->suivants));
        else // someone installed other boxes meanwhile: they stay
            installeDialogues(std::move(installes));
    }
    Ecoute(const Ecoute&) = delete;
    Ecoute& operator=(const Ecoute&) = delete;
    [[nodiscard]] QString premier() const { return temoin_->premier; }
    [[nodiscard]] const QList<TBoiteDifferee>& boites() const { return temoin_->boites; }

private:
    TemoinDialogues* temoin_;
};

// The answer is one line.
QString UneLigne(QString texte) {
    texte.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    texte.replace(QLatin1Char('\r'), QLatin1Char(' '));
    texte.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return texte;
}

TResultatMacro Erreur(const QString& texte) {
    return {UneLigne(texte), false, {{true, texte}}};
}

// A failed action answers with the box it showed, or says what did not happen.
TResultatMacro Echec(const Ecoute& ecoute, const QString& sinon) {
    return {UneLigne(ecoute.premier().isEmpty() ? sinon : ecoute.premier()), false,
            ecoute.boites()};
}

// A successful action may still have told something.
TResultatMacro Reussite(const Ecoute& ecoute) {
    return {canal::ReponseOk, false, ecoute.boites()};
}
} // namespace

QStringList LignesMacro(const QString& texte) {
    QStringList lignes;
    qsizetype debut = 0;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        if (c != u'\r' && c != u'\n') continue;
        lignes << texte.mid(debut, i - debut);
        if (c == u'\r' && i + 1 < texte.size() && texte.at(i + 1) == u'\n') ++i;
        debut = i + 1;
    }
    if (debut < texte.size()) lignes << texte.mid(debut);
    return lignes;
}

TMacro AnalyseMacro(const QString& texte) {
    TMacro m;
    const QStringList lignes = LignesMacro(texte);
    if (lignes.size() != 1) return m;
    m.ligne = lignes.first();
    const qsizetype ouvre = m.ligne.indexOf(u'(');
    const qsizetype ferme = m.ligne.indexOf(u')');
    const QString commande = ouvre < 0 ? m.ligne : m.ligne.left(ouvre);
    if (ouvre >= 0 && ferme > ouvre) m.argument = m.ligne.mid(ouvre + 1, ferme - ouvre - 1);
    const auto est = [&commande](const char* nom) {
        return commande.compare(QLatin1String(nom), Qt::CaseInsensitive) == 0;
    };
    if (est("CONFIG|LOAD") || est("FILE|LOAD"))
        m.commande = cmLitConfig;
    else if (est("CONFIG|SAVE") || est("FILE|SAVE"))
        m.commande = cmSauveConfig;
    else if (est("FOCUS"))
        m.commande = cmFocus;
    else if (est("GETDATA"))
        m.commande = cmGetData;
    else
        m.commande = cmInconnue;
    return m;
}

TResultatMacro ExecuteMacro(const QByteArray& requete, TActionsMacro& actions) {
    if (requete.startsWith(canal::Entete)) return {canal::ReponseOk, false, {}};
    const TMacro m = AnalyseMacro(depuisCp1252(requete));
    try {
        switch (m.commande) {
        case cmPlusieursLignes:
            return Erreur(MessageUnique);
        case cmInconnue:
            return Erreur(FonctionInconnue + m.ligne);
        case cmLitConfig: {
            Ecoute ecoute;
            if (actions.LitConfig(m.argument)) return Reussite(ecoute);
            return Echec(ecoute, QStringLiteral("Configuration non chargée : ") + m.argument);
        }
        case cmSauveConfig: {
            // Without a name the set-up would go to a hidden ".tm2" in the current folder.
            const QString nom = m.argument.section(QLatin1Char('/'), -1);
            if (nom.isEmpty() || nom == QLatin1String(".") || nom == QLatin1String(".."))
                return {QStringLiteral("Nom de fichier de configuration manquant : ") + m.ligne,
                        false,
                        {}};
            Ecoute ecoute;
            if (actions.SauveConfig(m.argument)) return Reussite(ecoute);
            return Echec(ecoute, QStringLiteral("Configuration non enregistrée : ") + m.argument);
        }
        case cmFocus:
            actions.SetPagePermise(false);
            actions.PrendFocus();
            return {canal::ReponseOk, false, {}};
        case cmGetData:
            actions.SetPagePermise(true);
            return {canal::ReponseOk, true, {}};
        }
    } catch (...) {
    }
    return Erreur(ErreurSyntaxe);
}
