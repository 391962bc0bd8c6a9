// Requests as they reach the command server: bytes arriving in pieces, cut at their NULs, each
// one run against actions that only record. A request never exceeds the cap, the pieces put
// back together give the bytes received, a macro does only what its command names with an
// argument taken from its own line, and every answer is one line.
#include "app/cp1252.h"
#include "app/dialogues.h"
#include "exchange/canalcommande.h"
#include "exchange/macro.h"

#include <cstdlib>
#include <memory>

namespace {
class Enregistreur : public TActionsMacro {
public:
    bool LitConfig(const QString& NomFichier) override { return note(cmLitConfig, NomFichier); }
    bool SauveConfig(const QString& NomFichier) override { return note(cmSauveConfig, NomFichier); }
    void SetPagePermise(bool) override { ++pagePermise; }
    void PrendFocus() override { note(cmFocus, {}); }
    void DemarreAppelKalvento() override { std::abort(); } // the server calls it, not the macro

    bool note(TCommandeMacro c, const QString& argument) {
        ++appels;
        derniere = c;
        dernierArgument = argument;
        // Some loads fail, with a box of their own, to reach the answer taken from it.
        if (argument.size() % 3 == 1)
            dialogues().erreur(QStringLiteral("Erreur lecture\r\n") + argument);
        return argument.size() % 2 == 0;
    }
    int appels = 0;
    int pagePermise = 0;
    TCommandeMacro derniere = cmInconnue;
    QString dernierArgument;
};

DialoguesScriptes& boites() {
    static DialoguesScriptes* b = [] {
        auto d = std::make_unique<DialoguesScriptes>();
        DialoguesScriptes* p = d.get();
        installeDialogues(std::move(d));
        return p;
    }();
    return *b;
}

void verifie(const QByteArray& requete) {
    if (requete.contains('\0')) std::abort();
    boites().vus.clear();
    Enregistreur actions;
    const TResultatMacro r = ExecuteMacro(requete, actions);
    if (r.reponse.isEmpty() || r.reponse.contains(u'\n') || r.reponse.contains(u'\r')) std::abort();
    // An error box quoting the request gives back its bytes unchanged.
    if (versCp1252(depuisCp1252(requete)) != requete) std::abort();
    if (requete.startsWith(canal::Entete)) {
        if (actions.appels != 0 || r.reponse != canal::ReponseOk) std::abort();
        return;
    }
    const TMacro m = AnalyseMacro(depuisCp1252(requete));
    const bool agit = m.commande == cmLitConfig || m.commande == cmSauveConfig ||
                      m.commande == cmFocus || m.commande == cmGetData;
    // Nothing done, and an error to show once the caller has its answer.
    if (!agit && (actions.appels != 0 || actions.pagePermise != 0 || r.boites.isEmpty()))
        std::abort();
    if (r.appelKalvento != (m.commande == cmGetData)) std::abort();
    if (m.commande == cmLitConfig || (m.commande == cmSauveConfig && actions.appels == 1)) {
        if (actions.derniere != m.commande || actions.dernierArgument != m.argument) std::abort();
        if (!m.argument.isEmpty() &&
            !m.ligne.contains(QLatin1Char('(') + m.argument + QLatin1Char(')')))
            std::abort();
        if (m.argument.contains(u')')) std::abort();
    }
    if (agit && m.ligne.contains(u'\n')) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    if (taille == 0) return 0;
    // The first byte sets the size of the pieces the bytes arrive in.
    const qsizetype morceau = donnees[0] % 64 + 1;
    const QByteArray octets(reinterpret_cast<const char*>(donnees) + 1,
                            static_cast<qsizetype>(taille - 1));
    constexpr qsizetype cap = 200;
    TTamponRequetes tampon(cap);
    QByteArray recompose;
    qsizetype lu = 0;
    for (;;) {
        while (std::optional<QByteArray> r = tampon.suivante()) {
            if (r->size() > cap) std::abort();
            recompose += *r + '\0';
            verifie(*r);
        }
        if (tampon.tropLong()) break;
        if (tampon.place() <= 0 || tampon.enAttente() > cap) std::abort();
        if (lu == octets.size()) break;
        const qsizetype n = std::min({morceau, tampon.place(), octets.size() - lu});
        tampon.ajoute(octets.mid(lu, n));
        lu += n;
    }
    // What was taken, then what waits, is what arrived.
    if (!octets.startsWith(recompose) || recompose.size() + tampon.enAttente() != lu) std::abort();
    if (tampon.tropLong() && tampon.enAttente() != cap + 1) std::abort();
    return 0;
}
