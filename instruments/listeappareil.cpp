#include "instruments/listeappareil.h"

#include "app/dialogues.h"
#include "settings/emplacement.h"
#include "settings/fichierini.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <exception>

// The resource lives in a static library: its registration has to be pulled in by hand.
static void initialiseRessourceCatalogue() {
    Q_INIT_RESOURCE(catalogue);
}

int TlisteAppareil::Add(std::unique_ptr<Tappareil> appareil) {
    elements_.push_back(std::move(appareil));
    return Count() - 1;
}

Tappareil* TlisteAppareil::First() const {
    return elements_.empty() ? nullptr : elements_.front().get();
}

Tappareil* TlisteAppareil::Last() const {
    return elements_.empty() ? nullptr : elements_.back().get();
}

int TlisteAppareil::IndexOf(const Tappareil* appareil) const {
    for (int i = 0; i < Count(); ++i)
        if (elements_[i].get() == appareil) return i;
    return -1;
}

void TlisteAppareil::Insert(int index, std::unique_ptr<Tappareil> appareil) {
    index = std::clamp(index, 0, Count());
    elements_.insert(elements_.begin() + index, std::move(appareil));
}

int TlisteAppareil::Remove(const Tappareil* appareil) {
    const int i = IndexOf(appareil);
    if (i >= 0) Delete(i);
    return i;
}

void TlisteAppareil::Delete(int index) {
    if (index >= 0 && index < Count()) elements_.erase(elements_.begin() + index);
}

std::unique_ptr<Tappareil> TlisteAppareil::Extract(const Tappareil* appareil) {
    const int i = IndexOf(appareil);
    if (i < 0) return nullptr;
    std::unique_ptr<Tappareil> sorti = std::move(elements_[i]);
    elements_.erase(elements_.begin() + i);
    return sorti;
}

Tappareil* TlisteAppareil::Get(int index) const {
    return (index >= 0 && index < Count()) ? elements_[index].get() : nullptr;
}

void TlisteAppareil::Put(int index, std::unique_ptr<Tappareil> appareil) {
    if (index >= 0 && index < Count()) elements_[index] = std::move(appareil);
}

void TlisteAppareil::TriParNom() {
    // QString's operator< compares code units: upper case before lower case.
    std::stable_sort(elements_.begin(), elements_.end(),
                     [](const auto& a, const auto& b) { return a->NomAppareil < b->NomAppareil; });
}

namespace {
const QString sectionIndex = QStringLiteral("Index");
const QString sectionBurette = QStringLiteral("BuretteTelmira");

bool estSectionIndex(const QString& nom) {
    return nom.compare(sectionIndex, Qt::CaseInsensitive) == 0;
}

// Reads every description named in "Index", in file order.
void litDescriptions(const TFichierIni& ini, TlisteAppareil& liste, QStringList& grandeurs) {
    const QStringList cles = ini.ReadSection(sectionIndex);
    for (const QString& cle : cles) {
        const QString nom = ini.ReadString(sectionIndex, cle, QString());
        // A damaged index line names nothing; it is no description. Nor is the index itself:
        // written back, its keys would mix with the index's entries and ruin the file.
        if (nom.trimmed().isEmpty() || estSectionIndex(nom)) continue;
        auto appareil = std::make_unique<Tappareil>();
        appareil->LitIni(nom, ini);
        NormaliseGrandeur(*appareil);
        if (!grandeurs.contains(appareil->nomGrandeur, Qt::CaseInsensitive))
            grandeurs << appareil->nomGrandeur;
        liste.Add(std::move(appareil));
    }
}

std::unique_ptr<TModuleAppareils>& moduleCourant() {
    static std::unique_ptr<TModuleAppareils> module;
    return module;
}
} // namespace

void NormaliseGrandeur(Tappareil& a) {
    a.nomGrandeur = a.nomGrandeur.toLower();
    if (a.nomGrandeur == QStringLiteral("conductance"))
        a.nomGrandeur = QStringLiteral("conductivité");
    if (a.nomGrandeur == QStringLiteral("ph")) a.nomGrandeur = QStringLiteral("pH");
    const bool inconnu = a.SymboleGrandeur == QStringLiteral("?");
    if (a.nomGrandeur.contains(QStringLiteral("conduct")) &&
        (inconnu || a.SymboleGrandeur == QStringLiteral("G")))
        a.SymboleGrandeur = QStringLiteral("σ");
    if (a.nomGrandeur.contains(QStringLiteral("onde")) && inconnu)
        a.SymboleGrandeur = QStringLiteral("λ");
}

QByteArray catalogueEmbarque() {
    initialiseRessourceCatalogue();
    QFile ressource(QStringLiteral(":/instruments/catalogue.ini"));
    return ressource.open(QIODevice::ReadOnly) ? ressource.readAll() : QByteArray();
}

QString cheminFichierAppareil() {
    return cheminFichierProgramme(QStringLiteral(".INI"));
}

TModuleAppareils::TModuleAppareils(QString nomFichier)
    : nomFichierAppareil(std::move(nomFichier)) {}

TFichierIni TModuleAppareils::sourceAppareils() const {
    // An existing device file is the only source: it is never merged with the catalogue. A
    // symbolic link in its place is not followed: the catalogue is offered, and saving refuses
    // to write through the link.
    if (!estLien(nomFichierAppareil) && QFileInfo::exists(nomFichierAppareil)) {
        QByteArray octets;
        (void)litSansLien(nomFichierAppareil, octets);
        TFichierIni ini = TFichierIni::depuisOctets(octets);
        ini.setChemin(nomFichierAppareil);
        return ini;
    }
    // Not written yet: the list an earlier version kept beside the program is taken up, when
    // it is the user's own file.
    QByteArray ancien;
    const bool repris = !estLien(nomFichierAppareil) && !ancienFichierAppareil.isEmpty() &&
                        ancienFichierAppareil != nomFichierAppareil &&
                        fichierAMoi(ancienFichierAppareil) &&
                        litSansLien(ancienFichierAppareil, ancien);
    TFichierIni ini = TFichierIni::depuisOctets(repris ? ancien : catalogueEmbarque());
    ini.setChemin(nomFichierAppareil);
    return ini;
}

bool TModuleAppareils::ChargeAppareils() {
    return ChargeAppareils(sourceAppareils());
}

bool TModuleAppareils::ChargeAppareils(const TFichierIni& ini) {
    listeAppareil.Clear();
    listeGrandeur.clear();
    listeAppareilImport.Clear();
    listeGrandeurImport.clear();
    litDescriptions(ini, listeAppareil, listeGrandeur);
    if (listeAppareil.isEmpty()) {
        dialogues().erreur(QStringLiteral("Impossible : ") + nomFichierAppareil +
                           QStringLiteral(" non trouvé"));
        return false;
    }
    TriListeAppareil();
    return true;
}

void TModuleAppareils::EcritListe(TFichierIni& ini) const {
    QStringList anciens;
    for (const QString& cle : ini.ReadSection(sectionIndex))
        anciens << ini.ReadString(sectionIndex, cle, QString());
    ini.EraseSection(sectionIndex);
    int i = 0;
    for (const auto& appareil : listeAppareil) {
        // A description renamed "Index" would write over the index: it cannot be kept.
        if (estSectionIndex(appareil->NomAppareil)) continue;
        anciens.removeOne(appareil->NomAppareil);
        ini.WriteString(sectionIndex, QString::number(i++), appareil->NomAppareil);
        appareil->EcritIni(ini);
    }
    for (const QString& ancien : std::as_const(anciens)) {
        // Section names compare without regard to case: a description renamed only in its
        // case, or still present under another entry, keeps the section just written; the
        // index and the burette are never erased.
        const bool garde =
            estSectionIndex(ancien) || ancien.compare(sectionBurette, Qt::CaseInsensitive) == 0 ||
            std::any_of(listeAppareil.begin(), listeAppareil.end(), [&](const auto& a) {
                return a->NomAppareil.compare(ancien, Qt::CaseInsensitive) == 0;
            });
        if (!garde) ini.EraseSection(ancien);
    }
}

bool TModuleAppareils::SauveAppareils() const {
    if (estLien(nomFichierAppareil)) return false;
    QByteArray actuel;
    (void)litSansLien(nomFichierAppareil, actuel);
    TFichierIni ini = TFichierIni::depuisOctets(actuel);
    std::exception_ptr echec;
    try {
        EcritListe(ini);
    } catch (...) {
        echec = std::current_exception();
    }
    // What could be prepared is written even when a step failed.
    const bool ecrit = ecritSansLien(nomFichierAppareil, ini.enOctets());
    if (echec) std::rethrow_exception(echec);
    return ecrit;
}

void TModuleAppareils::ChargeAppareilsImport(const QString& nomFichier) {
    listeGrandeurImport.clear();
    listeAppareilImport.Clear();
    const TFichierIni ini(nomFichier);
    litDescriptions(ini, listeAppareilImport, listeGrandeurImport);
    TriListeImport();
}

Tappareil* TModuleAppareils::ChercheAppareil(const QString& nom) const {
    for (const auto& appareil : listeAppareil)
        if (appareil->NomAppareil == nom) return appareil.get();
    return nullptr;
}

void TModuleAppareils::TriListeAppareil() {
    const int n = listeAppareil.Count();
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            Tappareil* a = listeAppareil.Get(i);
            Tappareil* b = listeAppareil.Get(j);
            if (a->NomAppareil == b->NomAppareil)
                b->NomAppareil += QStringLiteral(" (") + b->SymboleGrandeur + QLatin1Char(')');
        }
    listeAppareil.TriParNom();
}

void TModuleAppareils::TriListeImport() {
    listeAppareilImport.TriParNom();
}

TModuleAppareils& moduleAppareils() {
    auto& module = moduleCourant();
    if (!module) {
        module = std::make_unique<TModuleAppareils>(cheminFichierAppareil());
        module->ancienFichierAppareil = cheminACoteDuProgramme(QStringLiteral(".INI"));
    }
    return *module;
}

std::unique_ptr<TModuleAppareils>
installeModuleAppareils(std::unique_ptr<TModuleAppareils> module) {
    std::swap(module, moduleCourant());
    return module;
}
