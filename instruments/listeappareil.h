#pragma once

#include "instruments/appareil.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TFichierIni;
class TburetteRS232;

// An owning list of descriptions: removing an element, Clear and the destructor free them.
// Pointers handed out stay valid until their element leaves the list.
class TlisteAppareil {
public:
    TlisteAppareil() = default;
    TlisteAppareil(const TlisteAppareil&) = delete;
    TlisteAppareil& operator=(const TlisteAppareil&) = delete;
    TlisteAppareil(TlisteAppareil&&) = default;
    TlisteAppareil& operator=(TlisteAppareil&&) = default;

    // Returns the index of the new element.
    int Add(std::unique_ptr<Tappareil> appareil);
    [[nodiscard]] Tappareil* First() const;
    [[nodiscard]] Tappareil* Last() const;
    void Expand() { elements_.reserve(elements_.size() * 2 + 4); }
    // -1 when the description is not in the list.
    [[nodiscard]] int IndexOf(const Tappareil* appareil) const;
    void Insert(int index, std::unique_ptr<Tappareil> appareil);
    // Frees the description; returns its former index, -1 when it was not in the list.
    int Remove(const Tappareil* appareil);
    void Delete(int index);
    // Takes the description out of the list without freeing it.
    [[nodiscard]] std::unique_ptr<Tappareil> Extract(const Tappareil* appareil);
    // nullptr outside 0..Count()-1.
    [[nodiscard]] Tappareil* Get(int index) const;
    [[nodiscard]] Tappareil* Items(int index) const { return Get(index); }
    [[nodiscard]] Tappareil* operator[](int index) const { return Get(index); }
    // Replaces (and frees) the description at index.
    void Put(int index, std::unique_ptr<Tappareil> appareil);
    [[nodiscard]] int Count() const { return int(elements_.size()); }
    [[nodiscard]] bool isEmpty() const { return elements_.empty(); }
    void Clear() { elements_.clear(); }
    // Sorts by NomAppareil in ascending order of character codes; equal names keep their order.
    void TriParNom();

    [[nodiscard]] auto begin() const { return elements_.begin(); }
    [[nodiscard]] auto end() const { return elements_.end(); }

private:
    std::vector<std::unique_ptr<Tappareil>> elements_;
};

// The list of ready-made descriptions and the lists read from another device file.
// The program has one (moduleAppareils()); tests build their own on a private path.
class TModuleAppareils {
public:
    // `nomFichier` is the user's device file, read and written; `nomFichierCommun` a device file
    // installed for every user (beside the program), read while the user has none of their own.
    explicit TModuleAppareils(QString nomFichier, QString nomFichierCommun = {});
    ~TModuleAppareils();
    TModuleAppareils(const TModuleAppareils&) = delete;
    TModuleAppareils& operator=(const TModuleAppareils&) = delete;

    // Reads the device file (the user's, else the shared one), or the built-in catalogue when
    // there is none, and the burette's section of the same source (of the catalogue when the
    // file has none).
    // False, after the message "Impossible : <path> non trouvé", when the source lists no
    // description: the program cannot go on and its entry ends it.
    [[nodiscard]] bool ChargeAppareils();
    // ChargeAppareils on a source already read (the device file or the catalogue).
    [[nodiscard]] bool ChargeAppareils(const TFichierIni& source);
    // The same without the message, for another thread while the windows are being built (the
    // module itself is made on the main thread first); SignaleAbsence then tells a failure.
    [[nodiscard]] bool LitAppareils();
    [[nodiscard]] bool LitAppareils(const TFichierIni& source);
    void SignaleAbsence() const;
    // Writes listeAppareil into the user's device file (starting from the shared one when the
    // user has none yet); false when the file could not be written, or is a symbolic link. A
    // file that has no burette section yet gets the catalogue's.
    [[nodiscard]] bool SauveAppareils() const;
    // What SauveAppareils writes, applied to the file's current content `ini`.
    void EcritListe(TFichierIni& ini) const;
    // Writes the burette's section (EcritIni of `reglages`, normally *burette) into the device
    // file; a device file that does not exist yet is first written with the whole device list,
    // so that it still lists the descriptions at the next start. False when the file could not
    // be written.
    [[nodiscard]] bool SauveBurette(const TburetteRS232& reglages) const;
    void ChargeAppareilsImport(const QString& nomFichier);
    // First description whose name equals nom exactly; nullptr when none.
    [[nodiscard]] Tappareil* ChercheAppareil(const QString& nom) const;
    void TriListeAppareil();
    void TriListeImport();
    // The source ChargeAppareils reads: the device file, else the built-in catalogue.
    // The burette reads its "BuretteTelmira" section from it.
    [[nodiscard]] TFichierIni sourceAppareils() const;
    // The description's name when no other description of the list holds it, else a name
    // made free by its symbol in brackets, then by a number: two descriptions never share a
    // section of the device file.
    [[nodiscard]] QString NomLibre(const Tappareil& appareil) const;
    // Offers a quantity to the device selection from now on (unless it is there already).
    void AjouteGrandeur(const QString& grandeur);

    QString nomFichierAppareil;
    QString nomFichierCommun;
    TlisteAppareil listeAppareil;
    QStringList listeGrandeur;
    TlisteAppareil listeAppareilImport;
    QStringList listeGrandeurImport;
    // The program's one burette; it lives as long as the module.
    const std::unique_ptr<TburetteRS232> burette;

private:
    // The device file as it stands (the user's, else the shared one, else empty), set to be
    // written to the user's path.
    [[nodiscard]] TFichierIni fichierExistant() const;
    [[nodiscard]] bool fichierPresent() const;
    [[nodiscard]] bool communLisible() const;
};

// The program's instrument module, created on first use with cheminFichierAppareil().
TModuleAppareils& moduleAppareils();
// Replaces the module (tests); returns the previous one.
std::unique_ptr<TModuleAppareils> installeModuleAppareils(std::unique_ptr<TModuleAppareils> module);

// The executable's name with ".INI" for its extension, in dossierFichiersProgramme(): beside
// the program only in the user's own folder, otherwise in the user's data folder.
[[nodiscard]] QString cheminFichierAppareil();
// The device file beside the executable, whether or not its folder can be written.
[[nodiscard]] QString cheminFichierAppareilProgramme();
// Why a description cannot take this name (empty when it can): an empty name, one on several
// lines, or the name of a section the device file keeps for itself.
[[nodiscard]] QString refusNomAppareil(const QString& nom);
// The bytes of the built-in catalogue (Windows-1252, CR LF).
[[nodiscard]] QByteArray catalogueEmbarque();
// The corrections every description gets when it is read from a device file: the quantity's
// name in lower case and its usual spelling, and the Greek symbols the ANSI file cannot hold.
void NormaliseGrandeur(Tappareil& appareil);
