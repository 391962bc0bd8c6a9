#include "display/cinetiquemain.h"

#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "settings/reglages.h"

#include <QCloseEvent>

namespace {
// The recent instruments are kept sorted without regard to case, each name once.
void ajouteTrie(QStringList& liste, const QString& nom) {
    auto avant = [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    };
    const auto place = std::lower_bound(liste.begin(), liste.end(), nom, avant);
    if (place != liste.end() && place->compare(nom, Qt::CaseInsensitive) == 0) return;
    liste.insert(place, nom);
}
} // namespace

bool listeAppRecente = true;

void TCinetiqueMain::LitReglages() {
    const auto reglages = ouvreReglages();
    listeAppRecente = reglages->value(QStringLiteral("AppareilRecent/Liste"), QStringLiteral("1"))
                          .toString()
                          .toInt() != 0;
    bool ok = false;
    int n = reglages->value(QStringLiteral("AppareilRecent/Nombre"), 0).toInt(&ok);
    if (!ok) n = 0;
    for (int i = 0; i < n; ++i) {
        const QString nom =
            reglages->value(QStringLiteral("AppareilRecent/N") + QString::number(i)).toString();
        if (!nom.isEmpty()) ajouteTrie(OldAppareilAcq, nom);
    }
}

void TCinetiqueMain::EcritReglages() {
    if (OldAppareilAcq.size() + graphe.NbreVoies > 8 && !OldAppareilAcq.isEmpty())
        OldAppareilAcq.removeFirst();
    for (int v = 0; v < graphe.NbreVoies; ++v)
        if (const Tappareil* app = acq_->AppareilAcq[v]; app)
            ajouteTrie(OldAppareilAcq, app->NomAppareil);

    const auto reglages = ouvreReglages();
    reglages->setValue(QStringLiteral("AppareilRecent/Nombre"),
                       QString::number(OldAppareilAcq.size()));
    reglages->setValue(QStringLiteral("AppareilRecent/Liste"),
                       listeAppRecente ? QStringLiteral("1") : QStringLiteral("0"));
    for (int i = 0; i < OldAppareilAcq.size(); ++i)
        reglages->setValue(QStringLiteral("AppareilRecent/N") + QString::number(i),
                           OldAppareilAcq[i]);
    reglages->setValue(QStringLiteral("FichierTrace/Index"),
                       QString::number(acq_->voiesSerie->indexFichierTrace));
    reglages->sync();
}

bool TCinetiqueMain::FormClose() {
    // Asked while the readings go on: a refused close leaves the run as it was.
    if (graphe.NbrePoints > 0 && !acq_->dataSaved &&
        !Confirme(QStringLiteral("Données non sauvées, quitter ?")))
        return false;
    acq_->Timer.stop();
    // Whatever fails while the settings are written or the ports released, the window goes.
    try {
        EcritReglages();
    } catch (const std::exception&) {
    }
    try {
        acq_->voiesSerie->LibereVoies(
            std::span<Tappareil* const>(acq_->AppareilAcq.data(), std::size_t(graphe.NbreVoies)));
    } catch (const std::exception&) {
    }
    return true;
}

void TCinetiqueMain::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}
