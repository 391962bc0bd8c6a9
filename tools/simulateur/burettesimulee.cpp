#include "burettesimulee.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

BuretteSimulee::BuretteSimulee(const ReglagesBurette& reglages) : reglages_(reglages) {}

void BuretteSimulee::note(const QString& texte) const {
    if (journal) journal(texte);
}

void BuretteSimulee::avance(double t) {
    if (enRemplissage_ && t >= finRemplissage_) {
        enRemplissage_ = false;
        note(QStringLiteral("burette remplie"));
    }
}

double BuretteSimulee::volume(double t) const {
    if (enRemplissage_) return depart_;
    const double verse = vitesse_ / 60 * std::max(0.0, t - t0_);
    return std::min(cible_, depart_ + verse);
}

QByteArray BuretteSimulee::recoit(const QByteArray& octets, double t) {
    entree_ += octets;
    QByteArray reponses;
    for (qsizetype fin = entree_.indexOf('\n'); fin >= 0; fin = entree_.indexOf('\n')) {
        const QByteArray ligne = entree_.left(fin).trimmed();
        entree_.remove(0, fin + 1);
        if (ligne.isEmpty() || muette_) continue;
        const QByteArray r = traite(ligne, t);
        if (!r.isEmpty()) reponses += r + "\r\n";
    }
    // A line never ended is noise, not a command to keep for ever.
    if (entree_.size() > 256) entree_.clear();
    return reponses;
}

QByteArray BuretteSimulee::traite(const QByteArray& ligne, double t) {
    avance(t);
    const QByteArray adresse = ligne.left(2);
    const QByteArray commande = ligne.mid(2);
    if (adresse == "99") {
        if (reglages_.universelle && commande == "AA01") return "99Y";
        note(QStringLiteral("commande de burette inconnue « %1 »").arg(QLatin1String(ligne)));
        return {};
    }
    if (adresse != "01") {
        note(QStringLiteral("commande de burette inconnue « %1 »").arg(QLatin1String(ligne)));
        return {};
    }
    const QByteArray ok = "01Y";
    if (commande == "RH")
        return reglages_.universelle ? "01Titronic universal V1.06" : "01Titronic basic V1.02";
    if (commande == "RA")
        return "01RA:" +
               QByteArray::number(std::clamp(reglages_.capacite, 0, 99)).rightJustified(2, '0');
    if (commande.startsWith("GDM")) {
        bool lu = false;
        const double v = commande.mid(3).split(',').value(0).toDouble(&lu);
        if (lu && v > 0) vitesse_ = v;
        return ok;
    }
    if (commande.startsWith("MO")) return ok;
    if (commande == "BF") {
        // The piston stops where it is and goes back to refill the unit.
        depart_ = cible_ = volume(t);
        enRemplissage_ = true;
        finRemplissage_ = t + std::max(0.0, reglages_.dureeReset);
        note(QStringLiteral("remplissage"));
        avance(t);
        return ok;
    }
    if (commande == "BN") {
        depart_ = cible_ = 0;
        t0_ = t;
        return ok;
    }
    if (commande == "RS") return enRemplissage_ || volume(t) < cible_ ? "01BUSY" : "01READY";
    if (commande.startsWith("DA")) {
        bool lu = false;
        const double v = QLocale::c().toDouble(QString::fromLatin1(commande.mid(2)), &lu);
        if (!lu || v < 0 || enRemplissage_) return "01ERROR";
        if (reglages_.panneApres >= 0 && ajouts_ >= reglages_.panneApres) {
            muette_ = true;
            note(QStringLiteral("burette en panne : plus aucune réponse"));
            return {};
        }
        ++ajouts_;
        depart_ = volume(t);
        cible_ = std::min<double>(reglages_.capacite, depart_ + v);
        t0_ = t;
        return ok;
    }
    if (commande == "VO")
        return "01V=" + QByteArray::number(volume(t), 'f', 3).rightJustified(7, ' ');
    note(QStringLiteral("commande de burette inconnue « %1 »").arg(QLatin1String(ligne)));
    return "01ERROR";
}
