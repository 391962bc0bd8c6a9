#include "instruments/listeappareil.h"

#include "app/dialogues.h"
#include "burette/buretters232.h"
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
    // Every entry counts, even one whose number repeats an earlier one's.
    const auto entrees = ini.ReadSectionValues(sectionIndex);
    for (const auto& [cle, nom] : entrees) {
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

// Copies a section key by key, in its order.
void copieSection(const TFichierIni& source, TFichierIni& cible, const QString& section) {
    for (const QString& cle : source.ReadSection(section))
        cible.WriteString(section, cle, source.ReadString(section, cle, QString()));
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

QString cheminFichierAppareilProgramme() {
    return cheminACoteDuProgramme(QStringLiteral(".INI"));
}

QString cheminFichierAppareil() {
    return cheminFichierProgramme(QStringLiteral(".INI"));
}

TModuleAppareils::TModuleAppareils(QString nomFichier, QString nomFichierCommun)
    : nomFichierAppareil(std::move(nomFichier)), nomFichierCommun(std::move(nomFichierCommun)),
      burette(std::make_unique<TburetteRS232>()) {
    burette->NomAppareil = sectionBurette;
    if (QFileInfo(this->nomFichierCommun) == QFileInfo(nomFichierAppareil))
        this->nomFichierCommun.clear();
}

TModuleAppareils::~TModuleAppareils() = default;

// The user's device file, never read through a symbolic link; while the user has none, the
// one beside the program, when nobody but its owner or the system could have put it there.
TFichierIni TModuleAppareils::fichierExistant() const {
    QByteArray octets;
    if (!estLien(nomFichierAppareil) && QFileInfo::exists(nomFichierAppareil))
        (void)litSansLien(nomFichierAppareil, octets);
    else if (communLisible())
        (void)litSansLien(nomFichierCommun, octets);
    TFichierIni ini = TFichierIni::depuisOctets(octets);
    ini.setChemin(nomFichierAppareil);
    return ini;
}

bool TModuleAppareils::communLisible() const {
    return !nomFichierCommun.isEmpty() && !estLien(nomFichierAppareil) &&
           fichierDeConfiance(nomFichierCommun);
}

bool TModuleAppareils::fichierPresent() const {
    return (!estLien(nomFichierAppareil) && QFileInfo::exists(nomFichierAppareil)) ||
           communLisible();
}

TFichierIni TModuleAppareils::sourceAppareils() const {
    // An existing device file is the only source: it is never merged with the catalogue.
    if (fichierPresent()) return fichierExistant();
    TFichierIni ini = TFichierIni::depuisOctets(catalogueEmbarque());
    ini.setChemin(nomFichierAppareil);
    return ini;
}

bool TModuleAppareils::ChargeAppareils() {
    return ChargeAppareils(sourceAppareils());
}

bool TModuleAppareils::ChargeAppareils(const TFichierIni& ini) {
    if (LitAppareils(ini)) return true;
    SignaleAbsence();
    return false;
}

bool TModuleAppareils::LitAppareils() {
    return LitAppareils(sourceAppareils());
}

void TModuleAppareils::SignaleAbsence() const {
    dialogues().erreur(QStringLiteral("Impossible : ") + nomFichierAppareil +
                       QStringLiteral(" non trouvé"));
}

bool TModuleAppareils::LitAppareils(const TFichierIni& ini) {
    listeAppareil.Clear();
    listeGrandeur.clear();
    listeAppareilImport.Clear();
    listeGrandeurImport.clear();
    litDescriptions(ini, listeAppareil, listeGrandeur);
    if (listeAppareil.isEmpty()) return false;
    TriListeAppareil();
    // A device file written before it kept the burette's section would otherwise give the
    // burette the default line settings instead of the catalogue's.
    if (ini.SectionExists(sectionBurette))
        burette->LitIni(sectionBurette, ini);
    else
        burette->LitIni(sectionBurette, TFichierIni::depuisOctets(catalogueEmbarque()));
    return true;
}

void TModuleAppareils::EcritListe(TFichierIni& ini) const {
    QStringList anciens;
    for (const auto& entree : ini.ReadSectionValues(sectionIndex))
        anciens << entree.second;
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
    // A symbolic link in the device file's place is never written through.
    if (estLien(nomFichierAppareil)) return false;
    // The user's copy starts from the shared file: its burette and other sections carry over.
    TFichierIni ini = fichierExistant();
    std::exception_ptr echec;
    try {
        EcritListe(ini);
        // A new device file keeps the burette's settings of the catalogue it replaces.
        if (!ini.SectionExists(sectionBurette))
            copieSection(TFichierIni::depuisOctets(catalogueEmbarque()), ini, sectionBurette);
    } catch (...) {
        echec = std::current_exception();
    }
    // What could be prepared is written even when a step failed.
    const bool ecrit = ecritSansLien(nomFichierAppareil, ini.enOctets());
    if (echec) std::rethrow_exception(echec);
    return ecrit;
}

bool TModuleAppareils::SauveBurette(const TburetteRS232& reglages) const {
    // A file holding the burette's section alone would list no description at the next start.
    if (!QFileInfo::exists(nomFichierAppareil) && !SauveAppareils()) return false;
    TFichierIni ini = fichierExistant();
    reglages.EcritIni(ini);
    return ecritSansLien(nomFichierAppareil, ini.enOctets());
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

QString refusNomAppareil(const QString& nom) {
    const QString net = nom.trimmed();
    if (net.isEmpty()) return QStringLiteral("Donnez un nom à l'appareil");
    if (net.contains(QLatin1Char('\r')) || net.contains(QLatin1Char('\n')))
        return QStringLiteral("Le nom de l'appareil tient sur une ligne");
    if (net.compare(sectionIndex, Qt::CaseInsensitive) == 0 ||
        net.compare(sectionBurette, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Nom réservé au fichier des appareils : ") + net;
    return {};
}

namespace {
// Sections compare without regard to case or surrounding blanks: so do the names.
bool memeSection(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}
} // namespace

QString TModuleAppareils::NomLibre(const Tappareil& appareil) const {
    const auto pris = [&](const QString& nom) {
        return std::any_of(listeAppareil.begin(), listeAppareil.end(), [&](const auto& a) {
            return a.get() != &appareil && memeSection(a->NomAppareil, nom);
        });
    };
    const QString nom = appareil.NomAppareil;
    if (!pris(nom)) return nom;
    const QString avecSymbole =
        nom + QStringLiteral(" (") + appareil.SymboleGrandeur + QLatin1Char(')');
    if (!pris(avecSymbole)) return avecSymbole;
    for (int n = 2;; ++n) {
        const QString numerote = nom + QStringLiteral(" (%1)").arg(n);
        if (!pris(numerote)) return numerote;
    }
}

void TModuleAppareils::AjouteGrandeur(const QString& grandeur) {
    if (!grandeur.isEmpty() && !listeGrandeur.contains(grandeur, Qt::CaseInsensitive))
        listeGrandeur << grandeur;
}

TModuleAppareils& moduleAppareils() {
    auto& module = moduleCourant();
    if (!module)
        module = std::make_unique<TModuleAppareils>(cheminFichierAppareil(),
                                                    cheminFichierAppareilProgramme());
    return *module;
}

std::unique_ptr<TModuleAppareils>
installeModuleAppareils(std::unique_ptr<TModuleAppareils> module) {
    std::swap(module, moduleCourant());
    return module;
}
