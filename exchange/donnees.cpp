#include "app/cp1252.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "exchange/pagedlg.h"
#include "instruments/appareil.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSaveFile>
#include <QToolButton>
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

// The whole file goes to a temporary one that replaces the old file only once complete:
// a failure at any point leaves the previous file as it was.
bool EcritFichier(const QString& chemin, const QByteArray& octets) {
    QSaveFile fichier(chemin);
    return fichier.open(QIODevice::WriteOnly) && fichier.write(octets) == octets.size() &&
           fichier.commit();
}

QString MessageEcriture(const QString& chemin) {
    return QStringLiteral("Erreur d'écriture de ") + chemin;
}
} // namespace

void TCinetiqueMain::ConnecteDonnees() {
    connect(EnregistreNouveauFichierItem, &QAction::triggered, this,
            &TCinetiqueMain::SaveItemClick);
    connect(EnregistreNouvellePageItem, &QAction::triggered, this,
            &TCinetiqueMain::FilePageItemClick);
    connect(CopyBtn, &QToolButton::clicked, this, &TCinetiqueMain::CopyBtnClick);
    connect(MenuFichier, &QMenu::aboutToShow, this, &TCinetiqueMain::ActiveMenuFichier);
    // The comment and the constants must be reachable without a transfer to the analysis
    // program: they go into every file.
    PageItem = new QAction(QStringLiteral("Renseignements sur la page"), this);
    const QList<QAction*> actions = MenuFichier->actions();
    const qsizetype i = actions.indexOf(EnregistreNouvellePageItem);
    MenuFichier->insertAction(i >= 0 && i + 1 < actions.size() ? actions.at(i + 1) : nullptr,
                              PageItem);
    connect(PageItem, &QAction::triggered, this, &TCinetiqueMain::PageItemClick);
}

// Whatever has been recorded can be saved, in every mode and state, so that a short
// acquisition is never lost; a page is added only to a file this run has written.
void TCinetiqueMain::ActiveMenuFichier() {
    const bool points = graphe.NbrePoints > 0;
    EnregistreNouveauFichierItem->setEnabled(points);
    EnregistreNouvellePageItem->setEnabled(points && PagePermise && !NomFichierData.isEmpty());
}

TPageDlg* TCinetiqueMain::PageDlg() {
    if (!PageDlg_) PageDlg_ = new TPageDlg(this);
    return PageDlg_;
}

void TCinetiqueMain::PageItemClick() {
    TPageDlg* dlg = PageDlg();
    dlg->PrepareAffichage(false);
    if (dlg->exec() == QDialog::Accepted && dlg->ModifConst) PagePermise = false;
}

void TCinetiqueMain::FinLigne(QString& texte) const {
    texte += formatCSV ? QStringLiteral("\n") : crlf;
}

void TCinetiqueMain::EcritEnteteKW3(QString& texte) {
    const int n = graphe.NbreVoies;
    const TPageDlg* page = PageDlg();
    const auto ligne = [&texte](const QString& l) { texte += l + crlf; };
    ligne(QStringLiteral("MORVALDE KALVENTO WINDOWS 1.0"));
    ligne(QStringLiteral("£%1 NOM VAR").arg(n + 1));
    ligne(graphe.mondeX.Nom);
    for (int v = 0; v < n; ++v)
        ligne(Symbole(AppareilAcq[v]));
    ligne(QStringLiteral("£%1 UNITE VAR").arg(n + 1));
    ligne(graphe.mondeX.Unite);
    for (int v = 0; v < n; ++v)
        ligne(Unite(AppareilAcq[v]));
    if (page->NbreConst > 0) {
        ligne(QStringLiteral("£%1 NOM CONST").arg(page->NbreConst));
        if (page->Const1) ligne(CodeGrec(page->EditNom1->text()));
        if (page->Const2) ligne(CodeGrec(page->EditNom2->text()));
        ligne(QStringLiteral("£%1 UNITE CONST").arg(page->NbreConst));
        if (page->Const1) ligne(CodeGrec(page->EditUnite1->text()));
        if (page->Const2) ligne(CodeGrec(page->EditUnite2->text()));
    }
    const QStringList commentaire = page->LignesCommentaire();
    if (!commentaire.isEmpty()) {
        ligne(QStringLiteral("£%1 GRANDEURS").arg(commentaire.size()));
        for (const QString& c : commentaire)
            ligne(QLatin1Char('\'') + c);
    }
    ligne(QStringLiteral("£1 ACQUISITION"));
    ligne(CheminProgramme());
}

void TCinetiqueMain::EcritPageKW3(QString& texte) {
    const int n = graphe.NbreVoies;
    const TPageDlg* page = PageDlg();
    const auto ligne = [&texte](const QString& l) { texte += l + crlf; };
    ligne(QStringLiteral("£1 PAGE COMMENT"));
    ligne(QStringLiteral("Cinétique") + DateHeureCourante());
    ligne(QStringLiteral("&%1 VALEUR VAR").arg(graphe.NbrePoints));
    for (int i = 0; i < graphe.NbrePoints; ++i) {
        QString l = FormatLocal(graphe.mondeX.valeur[i]);
        for (int v = 0; v < n; ++v) {
            const double y = graphe.mondeY[v].valeur[i];
            l += QLatin1Char(' ') + (AppareilAcq[v] ? AppareilAcq[v]->FormatApp(y)
                                     : estNaN(y)    ? QStringLiteral("???")
                                                    : FormatLocal(y));
        }
        ligne(l);
    }
    if (page->NbreConst > 0) {
        ligne(QStringLiteral("&%1 VALEUR CONST").arg(page->NbreConst));
        if (page->Const1) ligne(page->EditValeur1->text());
        if (page->Const2) ligne(page->EditValeur2->text());
    }
    if (!graphe.ListeRepere.isEmpty()) {
        ligne(QStringLiteral("&%1 REPERE").arg(graphe.ListeRepere.size()));
        for (const Trepere& r : graphe.ListeRepere)
            ligne(FormatLocal(r.Valeur) + tab + r.Text);
    }
}

void TCinetiqueMain::EcritEnteteTexte(QString& texte) {
    const int n = graphe.NbreVoies;
    texte += graphe.mondeX.Nom;
    for (int v = 0; v < n; ++v)
        texte += tab + Symbole(AppareilAcq[v]);
    FinLigne(texte);
    texte += graphe.mondeX.Unite;
    for (int v = 0; v < n; ++v)
        texte += tab + Unite(AppareilAcq[v]);
    FinLigne(texte);
}

void TCinetiqueMain::EcritPageTexte(QString& texte) {
    const int n = graphe.NbreVoies;
    const TPageDlg* page = PageDlg();
    for (int i = 0; i < graphe.NbrePoints; ++i) {
        texte += FormatNombre(graphe.mondeX.valeur[i]);
        for (int v = 0; v < n; ++v)
            texte += tab + FormatNombre(graphe.mondeY[v].valeur[i]);
        FinLigne(texte);
    }
    if (!graphe.ListeRepere.isEmpty()) {
        FinLigne(texte);
        texte += QStringLiteral("REPERE");
        FinLigne(texte);
        for (const Trepere& r : graphe.ListeRepere) {
            texte += FormatNombre(r.Valeur) + tab + r.Text;
            FinLigne(texte);
        }
    }
    if (page->NbreConst > 0) {
        texte += QStringLiteral("&%1 VALEUR CONST").arg(page->NbreConst);
        FinLigne(texte);
        if (page->Const1) {
            texte += page->EditValeur1->text();
            FinLigne(texte);
        }
        if (page->Const2) {
            texte += page->EditValeur2->text();
            FinLigne(texte);
        }
    }
}

QString TCinetiqueMain::TexteDonnees() {
    const int n = graphe.NbreVoies;
    TPageDlg* page = PageDlg();
    const Tmonde& X = graphe.mondeX;
    QString texte;
    const auto ligne = [&texte](const QString& l) { texte += l + crlf; };
    ligne(CheminProgramme());
    ligne(page->LignesCommentaire().join(crlf));
    QString noms = X.Nom, unites = X.Unite, signifs = X.Signif;
    for (int v = 0; v < n; ++v) {
        noms += tab + Symbole(AppareilAcq[v]);
        unites += tab + Unite(AppareilAcq[v]);
        signifs += tab + (AppareilAcq[v] ? AppareilAcq[v]->nomGrandeur : QString());
    }
    ligne(noms);
    ligne(unites);
    ligne(signifs);
    for (int i = 0; i < graphe.NbrePoints; ++i) {
        QString l = FormatNombre(X.valeur[i]);
        for (int v = 0; v < n; ++v)
            l += tab + FormatNombre(graphe.mondeY[v].valeur[i]);
        ligne(l);
    }
    if (page->NbreConst > 0) {
        // The analysis program needs constant names distinct from the variable names; the
        // box shows the name that went out.
        const auto distinct = [&](QLineEdit* boite) {
            QString nom = boite->text();
            if (nom == X.Nom) nom += QLatin1Char('0');
            for (int v = 0; v < n; ++v)
                if (nom == Symbole(AppareilAcq[v])) nom += QString::number(v);
            boite->setText(nom);
            return nom;
        };
        const auto deux = [&](const QString& a, const QString& b) {
            return (page->Const1 ? a : QString()) +
                   (page->Const1 && page->Const2 ? QString(tab) : QString()) +
                   (page->Const2 ? b : QString());
        };
        const QString nom1 = page->Const1 ? distinct(page->EditNom1) : QString();
        const QString nom2 = page->Const2 ? distinct(page->EditNom2) : QString();
        ligne(QString());
        ligne(deux(nom1, nom2));
        ligne(deux(page->EditUnite1->text(), page->EditUnite2->text()));
        ligne(deux(page->EditValeur1->text(), page->EditValeur2->text()));
    }
    if (!graphe.ListeRepere.isEmpty()) {
        ligne(QStringLiteral("&%1 REPERE").arg(graphe.ListeRepere.size()));
        for (const Trepere& r : graphe.ListeRepere)
            ligne(FormatNombre(r.Valeur) + tab + r.Text);
    }
    return texte;
}

void TCinetiqueMain::SaveItemClick() {
    const QString chemin = dialogues().choisitFichier(
        true, QStringLiteral("Sauvegarde données"),
        QStringLiteral(
            "Kalvento (*.kw3)|*.kw3|Tableur ASCII (*.txt)|*.txt|Tableur CSV (*.csv)|*.csv"),
        QStringLiteral("KW3"), NomFichierData);
    if (chemin.isEmpty()) return;
    const QString extension = QFileInfo(chemin).suffix().toUpper();
    FormatKW3 = extension == QStringLiteral("KW3");
    NomFichierData = chemin;
    QString texte;
    if (FormatKW3) {
        EcritEnteteKW3(texte);
        EcritPageKW3(texte);
    } else {
        formatCSV = extension == QStringLiteral("CSV");
        EcritEnteteTexte(texte);
        EcritPageTexte(texte);
    }
    fichierData = true;
    const bool reussi = EcritFichier(NomFichierData, versCp1252(texte));
    fichierData = false;
    if (!reussi) {
        dataSaved = false;
        // The file on disk is not this page's: adding a page to it would mix two set-ups.
        PagePermise = false;
        dialogues().erreur(MessageEcriture(NomFichierData));
        return;
    }
    PagePermise = true;
    dataSaved = true;
}

// The old content and the new page go together to a temporary file that replaces the old one,
// so that a failure never leaves a torn file behind.
void TCinetiqueMain::FilePageItemClick() {
    if (NomFichierData.isEmpty()) return;
    QFile ancien(NomFichierData);
    if (!ancien.open(QIODevice::ReadOnly)) {
        dialogues().erreur(MessageEcriture(NomFichierData));
        return;
    }
    QByteArray octets = ancien.readAll();
    const bool lu = ancien.error() == QFileDevice::NoError;
    ancien.close();
    QString page;
    if (FormatKW3)
        EcritPageKW3(page);
    else
        EcritPageTexte(page);
    octets += versCp1252(page);
    if (!lu || !EcritFichier(NomFichierData, octets)) {
        dialogues().erreur(MessageEcriture(NomFichierData));
        return;
    }
    dataSaved = true;
}

void TCinetiqueMain::CopyBtnClick() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (QClipboard* presse = QGuiApplication::clipboard()) presse->setText(TexteDonnees());
    QGuiApplication::restoreOverrideCursor();
    dataSaved = true;
}
