// Arbitrary bytes read as a device file by the instrument module: the list must come out
// sorted, one description per named "Index" entry, every quantity listed once; and what the
// module writes back must load again as the same number of descriptions.
#include "app/dialogues.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"

#include <QLocale>
#include <cstdlib>

namespace {
int entreesNommees(const TFichierIni& ini) {
    int n = 0;
    const QString index = QStringLiteral("Index");
    // Every entry counts, a repeated number too.
    for (const auto& [cle, nom] : ini.ReadSectionValues(index))
        if (!nom.trimmed().isEmpty() && nom.compare(index, Qt::CaseInsensitive) != 0) ++n;
    return n;
}

void verifie(const TModuleAppareils& module, const TFichierIni& source, bool charge) {
    const int attendus = entreesNommees(source);
    if (charge != (attendus > 0) || module.listeAppareil.Count() != attendus) std::abort();
    const Tappareil* precedent = nullptr;
    for (const auto& a : module.listeAppareil) {
        if (precedent && a->NomAppareil < precedent->NomAppareil) std::abort();
        if (!module.listeGrandeur.contains(a->nomGrandeur, Qt::CaseInsensitive)) std::abort();
        if (a->NumeroOrdre == 0) std::abort();
        const Tappareil* trouve = module.ChercheAppareil(a->NomAppareil);
        if (!trouve || trouve->NomAppareil != a->NomAppareil) std::abort();
        precedent = a.get();
    }
    for (qsizetype i = 0; i < module.listeGrandeur.size(); ++i)
        for (qsizetype j = i + 1; j < module.listeGrandeur.size(); ++j)
            if (module.listeGrandeur[i].compare(module.listeGrandeur[j], Qt::CaseInsensitive) == 0)
                std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    // The "non trouvé" message of an empty list goes nowhere.
    static DialoguesScriptes* const muets = [] {
        auto d = std::make_unique<DialoguesScriptes>();
        DialoguesScriptes* p = d.get();
        (void)installeDialogues(std::move(d));
        return p;
    }();
    muets->vus.clear();
    if (taille == 0) return 0;
    QLocale::setDefault(donnees[0] & 1 ? QLocale(QLocale::French) : QLocale::c());
    const TFichierIni source = TFichierIni::depuisOctets(
        QByteArray(reinterpret_cast<const char*>(donnees) + 1, static_cast<qsizetype>(taille - 1)));

    TModuleAppareils module{QString()};
    const bool charge = module.ChargeAppareils(source);
    verifie(module, source, charge);

    // Saved over the same content, then loaded again.
    TFichierIni ecrit = source;
    module.EcritListe(ecrit);
    const TFichierIni relu = TFichierIni::depuisOctets(ecrit.enOctets());
    if (entreesNommees(relu) != module.listeAppareil.Count()) std::abort();
    TModuleAppareils second{QString()};
    verifie(second, relu, second.ChargeAppareils(relu));
    return 0;
}
