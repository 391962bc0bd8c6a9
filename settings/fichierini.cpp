#include "settings/fichierini.h"

#include "app/cp1252.h"
#include "app/utilitaires.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace {
// Case folding keeps the length, so names of different lengths never match: most keys of a
// section are told apart without folding a character, and a name written as asked for is
// found without folding either.
bool memeNom(const QString& a, const QString& b) {
    return a.size() == b.size() && (a == b || a.compare(b, Qt::CaseInsensitive) == 0);
}

// Integers as the program has always written them: decimal, or hexadecimal after "$" or "0x".
bool litEntier(const QString& texte, qint32& valeur) {
    QString t = texte.trimmed();
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return false;
    valeur = qint32(v);
    return true;
}
} // namespace

TFichierIni::TFichierIni(const QString& chemin) : chemin_(chemin) {
    QFile fichier(chemin);
    if (fichier.open(QIODevice::ReadOnly)) litOctets(fichier.readAll());
}

TFichierIni TFichierIni::depuisOctets(const QByteArray& octets) {
    TFichierIni ini;
    ini.litOctets(octets);
    return ini;
}

namespace {
// The blanks a line is trimmed of, as bytes of the code page (0xA0 is the no-break space).
bool blanc(char octet) {
    const auto o = static_cast<unsigned char>(octet);
    return o == ' ' || (o >= '\t' && o <= '\r') || o == 0xA0;
}

QByteArrayView sansBlancs(QByteArrayView texte) {
    qsizetype debut = 0;
    qsizetype fin = texte.size();
    while (debut < fin && blanc(texte[debut]))
        ++debut;
    while (fin > debut && blanc(texte[fin - 1]))
        --fin;
    return texte.sliced(debut, fin - debut);
}
} // namespace

void TFichierIni::litOctets(const QByteArray& octets) {
    sections_.clear();
    Section* courante = nullptr;
    const QByteArrayView tout(octets);
    qsizetype debut = 0;
    const qsizetype n = tout.size();
    while (debut < n) {
        qsizetype fin = debut;
        while (fin < n && tout[fin] != '\r' && tout[fin] != '\n')
            ++fin;
        const QByteArrayView ligne = tout.sliced(debut, fin - debut);
        debut = fin + ((fin + 1 < n && tout[fin] == '\r' && tout[fin + 1] == '\n') ? 2 : 1);

        // Only the pieces kept are decoded: the catalogue is read while the window opens.
        const QByteArrayView nette = sansBlancs(ligne);
        if (nette.isEmpty() || nette.front() == ';') continue;
        if (nette.front() == '[' && nette.back() == ']') {
            courante = &obtient(depuisCp1252(nette.sliced(1, nette.size() - 2)));
            continue;
        }
        const qsizetype egal = ligne.indexOf('=');
        if (!courante || egal < 0) continue;
        const QByteArrayView cle = sansBlancs(ligne.first(egal));
        if (cle.isEmpty()) continue;
        // The value is kept as written: a request ending in a blank must still end in it.
        // A repeated key is kept too (an index may number two entries alike); reading a key
        // gives its first occurrence.
        courante->entrees.push_back({depuisCp1252(cle), depuisCp1252(ligne.sliced(egal + 1))});
    }
}

QByteArray TFichierIni::enOctets() const {
    QString texte;
    for (const Section& s : sections_) {
        texte += QLatin1Char('[') + s.nom + QStringLiteral("]\r\n");
        for (const Entree& e : s.entrees)
            texte += e.cle + QLatin1Char('=') + e.valeur + QStringLiteral("\r\n");
        texte += QStringLiteral("\r\n");
    }
    return versCp1252(texte);
}

bool TFichierIni::UpdateFile() const {
    if (chemin_.isEmpty()) return false;
    // Written beside and renamed over: the old file stays whole until the new one is.
    QSaveFile fichier(chemin_);
    if (!fichier.open(QIODevice::WriteOnly)) return false;
    const QByteArray octets = enOctets();
    if (fichier.write(octets) != octets.size()) {
        fichier.cancelWriting();
        return false;
    }
    return fichier.commit();
}

// Section names are read back without their surrounding blanks: they are looked up so too.
const TFichierIni::Section* TFichierIni::trouve(const QString& section) const {
    const QString nom = section.trimmed();
    if (derniere_ < sections_.size() && memeNom(sections_[derniere_].nom, nom))
        return &sections_[derniere_];
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (memeNom(sections_[i].nom, nom)) {
            derniere_ = i;
            return &sections_[i];
        }
    return nullptr;
}

TFichierIni::Section& TFichierIni::obtient(const QString& section) {
    const QString nom = section.trimmed();
    for (Section& s : sections_)
        if (memeNom(s.nom, nom)) return s;
    sections_.push_back({nom, {}});
    return sections_.back();
}

const QString* TFichierIni::valeur(const QString& section, const QString& cle) const {
    const Section* s = trouve(section);
    if (!s) return nullptr;
    for (const Entree& e : s->entrees)
        if (memeNom(e.cle, cle)) return &e.valeur;
    return nullptr;
}

QString TFichierIni::ReadString(const QString& section, const QString& cle,
                                const QString& defaut) const {
    const QString* v = valeur(section, cle);
    return v ? *v : defaut;
}

qint32 TFichierIni::ReadInteger(const QString& section, const QString& cle, qint32 defaut) const {
    const QString* v = valeur(section, cle);
    qint32 lu = 0;
    return (v && litEntier(*v, lu)) ? lu : defaut;
}

bool TFichierIni::ReadBool(const QString& section, const QString& cle, bool defaut) const {
    return ReadInteger(section, cle, defaut ? 1 : 0) != 0;
}

double TFichierIni::ReadFloat(const QString& section, const QString& cle, double defaut) const {
    const QString* v = valeur(section, cle);
    return v ? LitNombreDefaut(*v, defaut) : defaut;
}

void TFichierIni::WriteString(const QString& section, const QString& cle, const QString& v) {
    Section& s = obtient(section);
    const auto premiere = std::find_if(s.entrees.begin(), s.entrees.end(),
                                       [&](const Entree& e) { return memeNom(e.cle, cle); });
    if (premiere == s.entrees.end()) {
        s.entrees.push_back({cle, v});
        return;
    }
    premiere->valeur = v;
    // Later occurrences would be written back and shadow nothing: the key now has one value.
    const auto restes = std::remove_if(premiere + 1, s.entrees.end(),
                                       [&](const Entree& e) { return memeNom(e.cle, cle); });
    s.entrees.erase(restes, s.entrees.end());
}

void TFichierIni::WriteInteger(const QString& section, const QString& cle, qint32 valeur) {
    WriteString(section, cle, QString::number(valeur));
}

void TFichierIni::WriteBool(const QString& section, const QString& cle, bool valeur) {
    WriteString(section, cle, valeur ? QStringLiteral("1") : QStringLiteral("0"));
}

void TFichierIni::WriteFloat(const QString& section, const QString& cle, double valeur) {
    WriteString(section, cle, FormatGeneral(valeur, 15, 0, separateurDecimal()));
}

bool TFichierIni::SectionExists(const QString& section) const {
    return trouve(section) != nullptr;
}

bool TFichierIni::ValueExists(const QString& section, const QString& cle) const {
    return valeur(section, cle) != nullptr;
}

QStringList TFichierIni::ReadSections() const {
    QStringList noms;
    for (const Section& s : sections_)
        noms << s.nom;
    return noms;
}

QStringList TFichierIni::ReadSection(const QString& section) const {
    QStringList cles;
    if (const Section* s = trouve(section))
        for (const Entree& e : s->entrees)
            if (!cles.contains(e.cle, Qt::CaseInsensitive)) cles << e.cle;
    return cles;
}

QList<QPair<QString, QString>> TFichierIni::ReadSectionValues(const QString& section) const {
    QList<QPair<QString, QString>> entrees;
    if (const Section* s = trouve(section))
        for (const Entree& e : s->entrees)
            entrees.append({e.cle, e.valeur});
    return entrees;
}

void TFichierIni::EraseSection(const QString& section) {
    const QString nom = section.trimmed();
    std::erase_if(sections_, [&](const Section& s) { return memeNom(s.nom, nom); });
    derniere_ = 0;
}

void TFichierIni::DeleteKey(const QString& section, const QString& cle) {
    const QString nom = section.trimmed();
    for (Section& s : sections_)
        if (memeNom(s.nom, nom))
            std::erase_if(s.entrees, [&](const Entree& e) { return memeNom(e.cle, cle); });
}
