#include "settings/reglages.h"

#include <algorithm>

std::unique_ptr<QSettings> ouvreReglages() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Telmira"), QStringLiteral("Telmira"));
}

namespace {
const QString cleListe = QStringLiteral("AppareilRecent/Liste");
const QString cleNombre = QStringLiteral("AppareilRecent/Nombre");
QString cleNom(int i) {
    return QStringLiteral("AppareilRecent/N") + QString::number(i);
}

// Booleans are stored as "1" and "0"; a settings back end may also give a true boolean or
// "true"/"false". Anything else is unreadable.
bool litBooleen(const QVariant& v, bool defaut) {
    if (!v.isValid()) return defaut;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    const QString t = v.toString().trimmed();
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    if (ok) return n != 0;
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    return defaut;
}

void borne(QStringList& noms) {
    // The alphabetically first names go, as the closing rule removes them.
    if (noms.size() > TAppareilsRecents::Maxi)
        noms.erase(noms.begin(), noms.end() - TAppareilsRecents::Maxi);
}
} // namespace

void AjouteNomTrie(QStringList& liste, const QString& nom) {
    auto avant = [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    };
    const auto place = std::lower_bound(liste.begin(), liste.end(), nom, avant);
    if (place != liste.end() && place->compare(nom, Qt::CaseInsensitive) == 0) return;
    liste.insert(place, nom);
}

TAppareilsRecents LitAppareilsRecents(const QSettings& reglages) {
    TAppareilsRecents r;
    r.listeAppRecente = litBooleen(reglages.value(cleListe), true);
    bool ok = false;
    const qlonglong n = reglages.value(cleNombre).toString().trimmed().toLongLong(&ok);
    const int nombre = ok ? int(std::clamp<qlonglong>(n, 0, TAppareilsRecents::Maxi)) : 0;
    for (int i = 0; i < nombre; ++i) {
        const QString nom = reglages.value(cleNom(i)).toString();
        if (!nom.isEmpty()) AjouteNomTrie(r.noms, nom);
    }
    return r;
}

QStringList MajAppareilsRecents(QStringList noms, const QStringList& nomsVoies) {
    borne(noms);
    if (noms.size() + nomsVoies.size() > 8 && !noms.isEmpty()) noms.removeFirst();
    for (const QString& nom : nomsVoies)
        if (!nom.isEmpty()) AjouteNomTrie(noms, nom);
    borne(noms);
    return noms;
}

void EcritAppareilsRecents(QSettings& reglages, const TAppareilsRecents& recents) {
    QStringList noms = recents.noms;
    borne(noms);
    // Names beyond the new count, left by an older longer list, would only wait to be read.
    bool ok = false;
    const qlonglong ancien = reglages.value(cleNombre).toString().toLongLong(&ok);
    const int aEffacer =
        ok ? int(std::clamp<qlonglong>(ancien, 0, 4 * TAppareilsRecents::Maxi)) : 0;
    for (int i = int(noms.size()); i < aEffacer; ++i)
        reglages.remove(cleNom(i));
    reglages.setValue(cleNombre, QString::number(noms.size()));
    reglages.setValue(cleListe,
                      recents.listeAppRecente ? QStringLiteral("1") : QStringLiteral("0"));
    for (int i = 0; i < noms.size(); ++i)
        reglages.setValue(cleNom(i), noms[i]);
}
