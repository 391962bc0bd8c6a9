#include "sourcevaleur.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {
bool litNombre(QString t, double& v) {
    t = t.trimmed().replace(u',', u'.');
    bool ok = false;
    v = QLocale::c().toDouble(t, &ok);
    return ok && std::isfinite(v);
}

// "7,0.01" or "7;0,01": the numbers of a source's parameters.
bool litNombres(const QString& t, int combien, std::vector<double>& nombres) {
    const QStringList champs = t.split(t.contains(u';') ? u';' : u',', Qt::KeepEmptyParts);
    if (champs.size() != combien) return false;
    nombres.clear();
    for (const QString& c : champs) {
        double v = 0;
        if (!litNombre(c, v)) return false;
        nombres.push_back(v);
    }
    return true;
}
} // namespace

std::unique_ptr<SourceValeur> SourceValeur::constante(double v) {
    auto s = std::make_unique<SourceValeur>();
    s->genre_ = sgConstante;
    s->a_ = v;
    s->texte_ = QStringLiteral("constante:%1").arg(v);
    return s;
}

std::unique_ptr<SourceValeur> SourceValeur::fonction(const QString& texte,
                                                     std::function<double(double)> f) {
    auto s = std::make_unique<SourceValeur>();
    s->genre_ = sgFonction;
    s->fonction_ = std::move(f);
    s->texte_ = texte;
    return s;
}

std::unique_ptr<SourceValeur> SourceValeur::depuisTexte(const QString& texte, quint32 graine,
                                                        QString& erreur) {
    auto s = std::make_unique<SourceValeur>();
    s->texte_ = texte;
    s->aleas_.seed(graine);
    const qsizetype deuxPoints = texte.indexOf(u':');
    const QString genre = texte.left(deuxPoints).trimmed().toLower();
    const QString reste = deuxPoints < 0 ? QString() : texte.mid(deuxPoints + 1);
    std::vector<double> n;
    if (genre == QLatin1String("constante")) {
        s->genre_ = sgConstante;
        // A lone number may use the decimal comma.
        double v = 0;
        if (litNombre(reste, v)) {
            s->a_ = v;
            return s;
        }
        erreur = QStringLiteral("source « %1 » : constante:VALEUR attendu (ex. constante:7.01)")
                     .arg(texte);
        return nullptr;
    }
    if (genre == QLatin1String("rampe") || genre == QLatin1String("bruit")) {
        s->genre_ = genre == QLatin1String("rampe") ? sgRampe : sgBruit;
        if (litNombres(reste, 2, n) && (s->genre_ == sgRampe || n[1] >= 0)) {
            s->a_ = n[0];
            s->b_ = n[1];
            return s;
        }
        erreur = s->genre_ == sgRampe
                     ? QStringLiteral("source « %1 » : rampe:DEBUT,PENTE attendu "
                                      "(ex. rampe:4,0.05 ; pente par seconde)")
                           .arg(texte)
                     : QStringLiteral("source « %1 » : bruit:MOYENNE,ECART attendu, écart positif "
                                      "(ex. bruit:7,0.02)")
                           .arg(texte);
        return nullptr;
    }
    if (genre == QLatin1String("fichier")) {
        s->genre_ = sgFichier;
        if (s->litCourbe(reste, erreur)) return s;
        return nullptr;
    }
    erreur = QStringLiteral("source « %1 » inconnue : constante:V, rampe:DEBUT,PENTE, "
                            "bruit:MOYENNE,ECART ou fichier:CHEMIN")
                 .arg(texte);
    return nullptr;
}

bool SourceValeur::litCourbe(const QString& chemin, QString& erreur) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        erreur = QStringLiteral("courbe « %1 » illisible : %2").arg(chemin, f.errorString());
        return false;
    }
    static const QRegularExpression separateurs(QStringLiteral("[\\s;]+"));
    int numero = 0;
    // A curve is a small hand-written file: a bound keeps a wrong path (a device) harmless.
    while (!f.atEnd() && numero < 1000000) {
        ++numero;
        const QString ligne = QString::fromLocal8Bit(f.readLine()).trimmed();
        if (ligne.isEmpty() || ligne.startsWith(u'#')) continue;
        const QStringList champs = ligne.split(separateurs, Qt::SkipEmptyParts);
        Point p{};
        if (champs.size() != 2 || !litNombre(champs[0], p.t) || !litNombre(champs[1], p.v)) {
            erreur = QStringLiteral("courbe « %1 », ligne %2 : « temps valeur » attendu, lu « %3 »")
                         .arg(chemin)
                         .arg(numero)
                         .arg(ligne.left(80));
            return false;
        }
        if (!courbe_.empty() && p.t < courbe_.back().t) {
            erreur = QStringLiteral("courbe « %1 », ligne %2 : les temps doivent croître")
                         .arg(chemin)
                         .arg(numero);
            return false;
        }
        courbe_.push_back(p);
    }
    if (courbe_.empty()) {
        erreur = QStringLiteral("courbe « %1 » vide : des lignes « temps valeur » attendues")
                     .arg(chemin);
        return false;
    }
    return true;
}

double SourceValeur::valeur(double t) {
    switch (genre_) {
    case sgConstante:
        return a_;
    case sgRampe:
        return a_ + b_ * t;
    case sgBruit:
        if (b_ <= 0) return a_;
        return std::normal_distribution<double>(a_, b_)(aleas_);
    case sgFonction:
        return fonction_ ? fonction_(t) : a_;
    case sgFichier:
        break;
    }
    if (t <= courbe_.front().t) return courbe_.front().v;
    if (t >= courbe_.back().t) return courbe_.back().v;
    const auto apres = std::upper_bound(courbe_.begin(), courbe_.end(), t,
                                        [](double x, const Point& p) { return x < p.t; });
    const Point& b = *apres;
    const Point& a = *(apres - 1);
    if (b.t <= a.t) return b.v;
    return a.v + (b.v - a.v) * (t - a.t) / (b.t - a.t);
}
