#include "app/aide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

QString dossierAide() {
    const QString programme = QCoreApplication::applicationDirPath();
    QStringList candidats;
    if (const QString env = qEnvironmentVariable("TELMIRA_AIDE"); !env.isEmpty()) candidats << env;
    candidats << programme + QStringLiteral("/aide")
              << programme + QStringLiteral("/../share/telmira/aide");
#ifdef TELMIRA_AIDE_INSTALLEE
    candidats << QStringLiteral(TELMIRA_AIDE_INSTALLEE);
#endif
    for (const QString& d : std::as_const(candidats))
        if (QFileInfo::exists(d + QStringLiteral("/index.html"))) return QDir::cleanPath(d);
    return {};
}

bool aideDisponible() {
    return !dossierAide().isEmpty();
}

QString sujetAide(int numero) {
    switch (numero) {
    case 4:
        return sujets::modes;
    case 9:
    case 14:
        return sujets::appareil;
    case 12:
    case 13:
        return sujets::burette;
    default:
        return sujets::sommaire;
    }
}

TAideFenetre::TAideFenetre(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AideFenetre"));
    setWindowTitle(QStringLiteral("Aide - Acquisition Telmira"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    setModal(false);
    auto* pile = new QVBoxLayout(this);
    auto* barre = new QHBoxLayout;
    auto* sommaire = new QToolButton(this);
    sommaire->setText(QStringLiteral("Sommaire"));
    precedent_ = new QToolButton(this);
    precedent_->setText(QStringLiteral("◀ Précédent"));
    suivant_ = new QToolButton(this);
    suivant_->setText(QStringLiteral("Suivant ▶"));
    barre->addWidget(sommaire);
    barre->addWidget(precedent_);
    barre->addWidget(suivant_);
    barre->addStretch(1);
    pile->addLayout(barre);

    navigateur_ = new QTextBrowser(this);
    navigateur_->setObjectName(QStringLiteral("AideTexte"));
    // Web links go to the desktop's browser; the pages' own links stay here.
    navigateur_->setOpenExternalLinks(true);
    pile->addWidget(navigateur_, 1);

    auto* fermer = new QPushButton(QStringLiteral("Fermer"), this);
    fermer->setAutoDefault(false);
    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(fermer);
    pile->addLayout(bas);

    precedent_->setEnabled(false);
    suivant_->setEnabled(false);
    connect(sommaire, &QToolButton::clicked, this, [this] { affiche(sujets::sommaire); });
    connect(precedent_, &QToolButton::clicked, navigateur_, &QTextBrowser::backward);
    connect(suivant_, &QToolButton::clicked, navigateur_, &QTextBrowser::forward);
    connect(navigateur_, &QTextBrowser::backwardAvailable, precedent_, &QToolButton::setEnabled);
    connect(navigateur_, &QTextBrowser::forwardAvailable, suivant_, &QToolButton::setEnabled);
    connect(fermer, &QPushButton::clicked, this, &QDialog::close);
    resize(760, 620);
}

void TAideFenetre::affiche(const QString& sujet) {
    const QString dossier = dossierAide();
    if (dossier.isEmpty()) return;
    const qsizetype diese = sujet.indexOf(QLatin1Char('#'));
    const QString page = diese < 0 ? sujet : sujet.left(diese);
    QString fichier = QDir(dossier).filePath(page + QStringLiteral(".html"));
    if (!QFileInfo::exists(fichier)) fichier = QDir(dossier).filePath(QStringLiteral("index.html"));
    QUrl url = QUrl::fromLocalFile(fichier);
    if (diese >= 0) url.setFragment(sujet.mid(diese + 1));
    navigateur_->setSearchPaths({dossier});
    navigateur_->setSource(url);
}

void AfficheAide(QWidget* parent, const QString& sujet) {
    if (!aideDisponible()) return;
    QWidget* fenetre = parent ? parent->window() : nullptr;
    TAideFenetre* aide =
        fenetre ? fenetre->findChild<TAideFenetre*>(QString(), Qt::FindDirectChildrenOnly)
                : nullptr;
    if (!aide) {
        aide = new TAideFenetre(fenetre);
        if (!fenetre) aide->setAttribute(Qt::WA_DeleteOnClose);
    }
    aide->affiche(sujet);
    aide->show();
    aide->raise();
    aide->activateWindow();
}

void installeToucheAide(QWidget* fenetre, const QString& sujet) {
    auto* touche = new QShortcut(QKeySequence::HelpContents, fenetre);
    touche->setContext(Qt::WindowShortcut);
    QObject::connect(touche, &QShortcut::activated, fenetre,
                     [fenetre, sujet] { AfficheAide(fenetre, sujet); });
}
