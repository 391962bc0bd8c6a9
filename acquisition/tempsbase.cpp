#include "display/cinetiquemain.h"

#include "app/utilitaires.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>

namespace {
// h:mm:ss; durations of a day or more (up to 2048 intervals of 60 s) keep counting hours.
QString FormatDuree(qint32 secondes) {
    secondes = std::max(secondes, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(secondes / 3600)
        .arg(secondes / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secondes % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

void TCinetiqueMain::MajBaseDeTemps() {
    DureeEdit->setText(FormatDuree(DureeMesure));
    NombreLabel->setText(QStringLiteral("N=") +
                         QString::number(DureeMesure / std::max<int>(DeltatMesure, 1)));
    {
        const QSignalBlocker bloque(DeltatSE);
        DeltatSE->setValue(DeltatMesure);
    }
    if (ModeAcq == maTemps) {
        graphe.mondeX.maxi = DureeMesure;
        Timer->setInterval((EtatAcq == eaEnCours ? DeltatMesure : DeltatMin) * 1000);
    }
    RedessineOscillo();
}
