#include "exchange/donnees.h"

#include "acquisition/acquisition.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QTime>
#include <cmath>

namespace {
const QString crlf = QStringLiteral("\r\n");
const QChar tab = QLatin1Char('\t');

// The analysis program's file keeps the user's decimal separator.
QString FormatLocal(double x) {
    return FormatGeneral(x, 7, 2, separateurDecimal());
}

QString CheminProgramme() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

// The program's clock counts days from 1899-12-30.
QString DateHeureCourante() {
    const double jours = horloge().maintenant();
    const double entier = std::floor(jours);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(entier));
    const QTime heure = QTime(0, 0).addMSecs(int(std::lround((jours - entier) * 86400000.0)));
    const QLocale locale;
    // The long time format without the time zone, which a date line has no use for.
    QString formatHeure = locale.timeFormat(QLocale::LongFormat);
    formatHeure.remove(QLatin1Char('t'));
    return locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(heure, formatHeure.trimmed());
}

QString Symbole(const Tappareil* a) {
    return a ? a->SymboleGrandeur : QString();
}
QString Unite(const Tappareil* a) {
    return a ? a->UniteGrandeur : QString();
}
} // namespace

void EcritEnteteKW3(QString& texte, const TAcquisition& acq) {
    const TEchantillons& g = acq.graphe;
    const int n = g.NbreVoies;
    const TInfosPage& page = acq.InfosPage;
    const auto ligne = [&texte](const QString& l) { texte += l + crlf; };
    ligne(QStringLiteral("MORVALDE KALVENTO WINDOWS 1.0"));
    // Names and units reach the analysis program in its own code for the Greek letters.
    ligne(QStringLiteral("£%1 NOM VAR").arg(n + 1));
    ligne(CodeGrec(g.mondeX.Nom));
    for (int v = 0; v < n; ++v)
        ligne(CodeGrec(Symbole(acq.AppareilAcq[v])));
    ligne(QStringLiteral("£%1 UNITE VAR").arg(n + 1));
    ligne(CodeGrec(g.mondeX.Unite));
    for (int v = 0; v < n; ++v)
        ligne(CodeGrec(Unite(acq.AppareilAcq[v])));
    if (page.NbreConst() > 0) {
        ligne(QStringLiteral("£%1 NOM CONST").arg(page.NbreConst()));
        if (page.Const1) ligne(CodeGrec(page.Nom1));
        if (page.Const2) ligne(CodeGrec(page.Nom2));
        ligne(QStringLiteral("£%1 UNITE CONST").arg(page.NbreConst()));
        if (page.Const1) ligne(CodeGrec(page.Unite1));
        if (page.Const2) ligne(CodeGrec(page.Unite2));
    }
    const QStringList commentaire = page.LignesCommentaire();
    if (!commentaire.isEmpty()) {
        ligne(QStringLiteral("£%1 GRANDEURS").arg(commentaire.size()));
        for (const QString& c : commentaire)
            ligne(QLatin1Char('\'') + c);
    }
    ligne(QStringLiteral("£1 ACQUISITION"));
    ligne(CheminProgramme());
}

void EcritPageKW3(QString& texte, const TAcquisition& acq) {
    const TEchantillons& g = acq.graphe;
    const int n = g.NbreVoies;
    const TInfosPage& page = acq.InfosPage;
    const auto ligne = [&texte](const QString& l) { texte += l + crlf; };
    ligne(QStringLiteral("£1 PAGE COMMENT"));
    ligne(QStringLiteral("Cinétique") + DateHeureCourante());
    ligne(QStringLiteral("&%1 VALEUR VAR").arg(g.NbrePoints));
    for (int i = 0; i < g.NbrePoints; ++i) {
        QString l = FormatLocal(g.mondeX.valeur[i]);
        for (int v = 0; v < n; ++v) {
            const double y = g.mondeY[v].valeur[i];
            const Tappareil* a = acq.AppareilAcq[v];
            l += QLatin1Char(' ') + (a           ? a->FormatApp(y)
                                     : estNaN(y) ? QStringLiteral("???")
                                                 : FormatLocal(y));
        }
        ligne(l);
    }
    if (page.NbreConst() > 0) {
        ligne(QStringLiteral("&%1 VALEUR CONST").arg(page.NbreConst()));
        if (page.Const1) ligne(page.Valeur1);
        if (page.Const2) ligne(page.Valeur2);
    }
    if (!g.ListeRepere.isEmpty()) {
        ligne(QStringLiteral("&%1 REPERE").arg(g.ListeRepere.size()));
        for (const Trepere& r : g.ListeRepere)
            ligne(FormatLocal(r.Valeur) + tab + r.Text);
    }
}

void EcritEnteteTexte(QString& texte, const TAcquisition& acq, bool csv) {
    const TEchantillons& g = acq.graphe;
    const QString fin = csv ? QStringLiteral("\n") : crlf;
    texte += g.mondeX.Nom;
    for (int v = 0; v < g.NbreVoies; ++v)
        texte += tab + Symbole(acq.AppareilAcq[v]);
    texte += fin + g.mondeX.Unite;
    for (int v = 0; v < g.NbreVoies; ++v)
        texte += tab + Unite(acq.AppareilAcq[v]);
    texte += fin;
}

void EcritPageTexte(QString& texte, const TAcquisition& acq, bool csv) {
    const TEchantillons& g = acq.graphe;
    const TInfosPage& page = acq.InfosPage;
    const QString fin = csv ? QStringLiteral("\n") : crlf;
    for (int i = 0; i < g.NbrePoints; ++i) {
        texte += FormatNombre(g.mondeX.valeur[i]);
        for (int v = 0; v < g.NbreVoies; ++v)
            texte += tab + FormatNombre(g.mondeY[v].valeur[i]);
        texte += fin;
    }
    if (!g.ListeRepere.isEmpty()) {
        texte += fin + QStringLiteral("REPERE") + fin;
        for (const Trepere& r : g.ListeRepere)
            texte += FormatNombre(r.Valeur) + tab + r.Text + fin;
    }
    if (page.NbreConst() > 0) {
        texte += QStringLiteral("&%1 VALEUR CONST").arg(page.NbreConst()) + fin;
        if (page.Const1) texte += page.Valeur1 + fin;
        if (page.Const2) texte += page.Valeur2 + fin;
    }
}

QString TexteDonnees(TAcquisition& acq) {
    const TEchantillons& g = acq.graphe;
    const int n = g.NbreVoies;
    TInfosPage& page = acq.InfosPage;
    const Tmonde& X = g.mondeX;
    QString texte;
    const auto ligne = [&texte](const QString& l) { texte += l + crlf; };
    ligne(CheminProgramme());
    ligne(page.LignesCommentaire().join(crlf));
    QString noms = X.Nom, unites = X.Unite, signifs = X.Signif;
    for (int v = 0; v < n; ++v) {
        const Tappareil* a = acq.AppareilAcq[v];
        noms += tab + Symbole(a);
        unites += tab + Unite(a);
        signifs += tab + (a ? a->nomGrandeur : QString());
    }
    ligne(noms);
    ligne(unites);
    ligne(signifs);
    for (int i = 0; i < g.NbrePoints; ++i) {
        QString l = FormatNombre(X.valeur[i]);
        for (int v = 0; v < n; ++v)
            l += tab + FormatNombre(g.mondeY[v].valeur[i]);
        ligne(l);
    }
    if (page.NbreConst() > 0) {
        // The analysis program needs constant names distinct from the variable names; the
        // page information keeps the name that went out.
        const auto distinct = [&](QString& nom) {
            if (nom == X.Nom) nom += QLatin1Char('0');
            for (int v = 0; v < n; ++v)
                if (nom == Symbole(acq.AppareilAcq[v])) nom += QString::number(v);
            return nom;
        };
        const auto deux = [&](const QString& a, const QString& b) {
            return (page.Const1 ? a : QString()) +
                   (page.Const1 && page.Const2 ? QString(tab) : QString()) +
                   (page.Const2 ? b : QString());
        };
        const QString nom1 = page.Const1 ? distinct(page.Nom1) : QString();
        const QString nom2 = page.Const2 ? distinct(page.Nom2) : QString();
        ligne(QString());
        ligne(deux(nom1, nom2));
        ligne(deux(page.Unite1, page.Unite2));
        ligne(deux(page.Valeur1, page.Valeur2));
    }
    if (!g.ListeRepere.isEmpty()) {
        ligne(QStringLiteral("&%1 REPERE").arg(g.ListeRepere.size()));
        for (const Trepere& r : g.ListeRepere)
            ligne(FormatNombre(r.Valeur) + tab + r.Text);
    }
    return texte;
}
