#include "app/ecran.h"

#include "app/dialogues.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

void AdapteEcran(QWidget* fenetre) {
    if (!fenetre) return;
    const int ppp = fenetre->logicalDpiY();
    if (ppp == 96 || ppp <= 0) return;
    const int hauteur = 20 * ppp / 96;
    // Icons are drawn at the device's pixel ratio; only their logical size follows the screen.
    for (QAbstractButton* bouton : fenetre->findChildren<QAbstractButton*>()) {
        if (!bouton->icon().isNull()) bouton->setIconSize(QSize(hauteur, hauteur));
    }
}

void OuvreDocument(QWidget* proprietaire, const QString& document) {
    Q_UNUSED(proprietaire);
    const QUrl url =
        document.contains(QStringLiteral("://")) ? QUrl(document) : QUrl::fromLocalFile(document);
    if (!QDesktopServices::openUrl(url))
        dialogues().erreur(QStringLiteral("Impossible d'accéder à ") + document);
}

QPushButton* Bouton(const QString& texte, const char* nom, QWidget* parent, QBoxLayout* boite) {
    auto* b = new QPushButton(texte, parent);
    b->setObjectName(QLatin1String(nom));
    b->setAutoDefault(false);
    if (boite) boite->addWidget(b);
    return b;
}
