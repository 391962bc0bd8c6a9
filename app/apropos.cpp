#include "app/apropos.h"

#include "app/aide.h"
#include "app/utilitaires.h"
#include "serial/dossiertraces.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef TELMIRA_VERSION
#define TELMIRA_VERSION "?"
#endif

namespace {
QString lien(const QUrl& url, const QString& texte) {
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toString(QUrl::FullyEncoded), texte);
}
} // namespace

QString TAProposDlg::version() {
    return QStringLiteral(TELMIRA_VERSION);
}

TAProposDlg::TAProposDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AProposDlg"));
    setWindowTitle(QStringLiteral("A propos de Acquisition Telmira"));
    ouvreLien = [](const QUrl& url) {
        // A folder not made yet (no trace so far) is made, so that it opens.
        if (url.isLocalFile() && !url.toLocalFile().endsWith(QStringLiteral(".html")))
            QDir().mkpath(url.toLocalFile());
        return QDesktopServices::openUrl(url);
    };

    auto* pile = new QVBoxLayout(this);
    auto* titre =
        new QLabel(QStringLiteral("<h2>Acquisition Telmira</h2>Version %1").arg(version()), this);
    titre->setObjectName(QStringLiteral("VersionLabel"));
    pile->addWidget(titre);
    auto* texte = new QLabel(
        QStringLiteral(
            "Acquisition de mesures pour les travaux pratiques : le programme interroge les "
            "appareils branchés sur les ports série (pH-mètres, conductimètres, "
            "spectrophotomètres, balances, burette motorisée…), enregistre les mesures en "
            "fonction du temps, d'un appareil maître, d'une valeur entrée au clavier ou du "
            "volume versé, les trace en direct et les exporte vers Kalvento, un fichier texte "
            "ou le presse-papiers."),
        this);
    texte->setWordWrap(true);
    pile->addWidget(texte);

    QStringList liens;
    if (const QString aide = dossierAide(); !aide.isEmpty())
        liens << lien(QUrl::fromLocalFile(aide + QStringLiteral("/index.html")),
                      QStringLiteral("Aide (dans le navigateur)"));
    liens << lien(QUrl::fromLocalFile(dossierTraces()),
                  QStringLiteral("Dossier des fichiers de trace série"));
    if (!dossierDonnees().isEmpty())
        liens << lien(QUrl::fromLocalFile(dossierDonnees()),
                      QStringLiteral("Dossier des données Kalvento"));
    auto* liensLabel = new QLabel(liens.join(QStringLiteral("<br>")), this);
    liensLabel->setObjectName(QStringLiteral("LiensLabel"));
    liensLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(liensLabel, &QLabel::linkActivated, this,
            [this](const QString& url) { ouvreLien(QUrl(url)); });
    pile->addWidget(liensLabel);

    auto* licence = new QLabel(
        QStringLiteral("Construit avec Qt %1 (Qt Widgets, Qt SerialPort).").arg(qVersion()), this);
    pile->addWidget(licence);

    auto* boutons = new QHBoxLayout;
    auto* qt = new QPushButton(QStringLiteral("A propos de Qt"), this);
    qt->setAutoDefault(false);
    connect(qt, &QPushButton::clicked, this, [] { QApplication::aboutQt(); });
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    boutons->addWidget(qt);
    boutons->addStretch(1);
    boutons->addWidget(ok);
    pile->addLayout(boutons);
    setMinimumWidth(460);
}
