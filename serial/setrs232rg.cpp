#include "serial/setrs232rg.h"

#include "serial/tableports.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <algorithm>

QList<int> PortsExistants() {
    QList<int> ports;
    for (int n = 1; n <= TVoiesSerie::nbrePorts; ++n)
        if (PortExiste(n)) ports << n;
    return ports;
}

namespace {
const char* nomGroupe = "telmiraRS232RG";
} // namespace

void SetRS232RG(QGroupBox* RG, int comDefault, TNumeroCom& NumeroCom, int colonnes) {
    colonnes = std::max(colonnes, 1);
    if (!RG) return;
    delete RG->findChild<QButtonGroup*>(QLatin1String(nomGroupe), Qt::FindDirectChildrenOnly);
    for (QRadioButton* b : RG->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        delete b;
    auto* grille = qobject_cast<QGridLayout*>(RG->layout());
    if (!grille && !RG->layout()) grille = new QGridLayout(RG);
    auto* groupe = new QButtonGroup(RG);
    groupe->setObjectName(QLatin1String(nomGroupe));
    const QList<int> ports = PortsExistants();
    int selection = -1;
    for (int n : ports) {
        auto* bouton = new QRadioButton(QStringLiteral("COM%1").arg(n), RG);
        const int k = int(groupe->buttons().size()) + 1;
        groupe->addButton(bouton, k - 1);
        if (grille)
            grille->addWidget(bouton, (k - 1) / colonnes, (k - 1) % colonnes);
        else
            RG->layout()->addWidget(bouton);
        if (k < int(NumeroCom.size())) NumeroCom[k] = n;
        if (n == comDefault) selection = k - 1;
    }
    if (selection < 0) selection = 0;
    if (QAbstractButton* b = groupe->button(selection)) b->setChecked(true);
}

int indexRS232RG(const QGroupBox* RG) {
    if (!RG) return -1;
    const auto* groupe =
        RG->findChild<QButtonGroup*>(QLatin1String(nomGroupe), Qt::FindDirectChildrenOnly);
    return groupe ? groupe->checkedId() : -1;
}
