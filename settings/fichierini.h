#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <vector>

// An INI file held in memory: sections and keys compared without regard to case (section names
// also without their surrounding blanks), their order kept, values read with defaults and kept
// byte for byte after the "=". On disk the text is Windows-1252 with CR LF line ends; it is
// read whole and written in one go. Damaged content reads as what can be made of it.
class TFichierIni {
public:
    TFichierIni() = default;
    // Reads the file at `chemin`; a missing or unreadable file gives an empty file.
    explicit TFichierIni(const QString& chemin);

    static TFichierIni depuisOctets(const QByteArray& octets);
    void litOctets(const QByteArray& octets);
    [[nodiscard]] QByteArray enOctets() const;

    [[nodiscard]] const QString& chemin() const { return chemin_; }
    void setChemin(const QString& chemin) { chemin_ = chemin; }
    // Writes the whole file to its path (atomically); false on failure.
    [[nodiscard]] bool UpdateFile() const;

    [[nodiscard]] QString ReadString(const QString& section, const QString& cle,
                                     const QString& defaut) const;
    [[nodiscard]] qint32 ReadInteger(const QString& section, const QString& cle,
                                     qint32 defaut) const;
    // "1"/"0"; any non-zero integer is true; text that is no integer gives the default.
    [[nodiscard]] bool ReadBool(const QString& section, const QString& cle, bool defaut) const;
    // Read with "," or "." as decimal mark; unreadable text gives the default.
    [[nodiscard]] double ReadFloat(const QString& section, const QString& cle, double defaut) const;

    void WriteString(const QString& section, const QString& cle, const QString& valeur);
    void WriteInteger(const QString& section, const QString& cle, qint32 valeur);
    void WriteBool(const QString& section, const QString& cle, bool valeur);
    // Up to 15 significant digits with the user's decimal separator.
    void WriteFloat(const QString& section, const QString& cle, double valeur);

    [[nodiscard]] bool SectionExists(const QString& section) const;
    [[nodiscard]] bool ValueExists(const QString& section, const QString& cle) const;
    [[nodiscard]] QStringList ReadSections() const;
    // The keys of a section, in file order, each once.
    [[nodiscard]] QStringList ReadSection(const QString& section) const;
    // Every entry of a section in file order, a repeated key as many times as it is written.
    [[nodiscard]] QList<QPair<QString, QString>> ReadSectionValues(const QString& section) const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& cle);
    void Clear() {
        sections_.clear();
        derniere_ = 0;
    }

private:
    struct Entree {
        QString cle;
        QString valeur;
    };
    struct Section {
        QString nom;
        std::vector<Entree> entrees;
    };
    [[nodiscard]] const Section* trouve(const QString& section) const;
    Section& obtient(const QString& section);
    [[nodiscard]] const QString* valeur(const QString& section, const QString& cle) const;

    QString chemin_;
    std::vector<Section> sections_;
    // The section found last: a reader asks for many keys of one section in a row.
    mutable std::size_t derniere_ = 0;
};
