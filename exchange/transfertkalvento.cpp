#include "exchange/transfertkalvento.h"

#include "app/cp1252.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "exchange/canalcommande.h"
#include "exchange/canallocal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace {
const QString ServiceMajuscules = QStringLiteral("KALVENTO");
const QString Service = QStringLiteral("Kalvento");
const QString ImpossibleDeLancer = QStringLiteral("Impossible de lancer Kalvento");
#ifdef Q_OS_WIN
const QString Executable = QStringLiteral("kalvento.exe");
#else
const QString Executable = QStringLiteral("kalvento");
#endif
constexpr int connexionMs = 1000;
constexpr int pasAttenteMs = 50;

bool existe(const QString& chemin) {
    return !chemin.isEmpty() && QFileInfo(chemin).isFile();
}

class Occupe {
public:
    explicit Occupe(const std::function<void(bool)>& sablier) : sablier_(sablier) {
        if (sablier_) sablier_(true);
    }
    ~Occupe() {
        if (sablier_) sablier_(false);
    }
    Occupe(const Occupe&) = delete;
    Occupe& operator=(const Occupe&) = delete;

private:
    const std::function<void(bool)>& sablier_;
};
} // namespace

TFormDDE::TFormDDE(std::function<QString()> TexteDonnees,
                   std::function<void(const QString&)> MetPressePapiers,
                   const QString& dossierCanaux)
    : CheminApplication(TrouveKalvento()), texteDonnees_(std::move(TexteDonnees)),
      metPressePapiers_(std::move(MetPressePapiers)), dossierCanaux_(dossierCanaux) {}

QString TFormDDE::Macro(Tenvoi Ordre) {
    switch (Ordre) {
    case eAdd:
        return QStringLiteral("CLIP|ADD");
    case eLoad:
        return QStringLiteral("CLIP|LOAD");
    case ePlus:
        return QStringLiteral("CLIP|PLUS");
    case eFocus:
        return QStringLiteral("FOCUS");
    }
    return {};
}

QString TFormDDE::TrouveKalvento() {
    // The stored value is a folder; one written without its final separator still counts.
    const auto dans = [](const QString& dossier) {
        return dossier.isEmpty() ? QString() : AvecBarreFinale(dossier) + Executable;
    };
    const QStringList candidats = {
        dans(QSettings(Service, Service).value(QStringLiteral("Path")).toString()),
        dans(QSettings(Service).value(QStringLiteral("Path")).toString()),
        dans(QCoreApplication::applicationDirPath()),
        QStandardPaths::findExecutable(Executable),
    };
    for (const QString& c : candidats)
        if (existe(c)) return c;
    return {};
}

QString TFormDDE::canal(const QString& service) const {
    return canal::CheminCanal(service, canal::TopicDDE, dossierCanaux_);
}

// Kalvento runs while its channel answers; the test leaves no connection behind.
bool TFormDDE::repond(const QStringList& services) const {
    for (const QString& s : services) {
        TSocketLocal essai;
        essai.connectToServer(canal(s));
        if (essai.waitForConnected(connexionMs)) {
            essai.abort();
            return true;
        }
    }
    return false;
}

// The window waits, as it always did while Kalvento starts, but no longer than needed.
bool TFormDDE::attend(const QStringList& services, int ms) const {
    const QDeadlineTimer fin(ms);
    for (;;) {
        if (repond(services)) return true;
        if (fin.hasExpired()) return false;
        QThread::msleep(
            static_cast<unsigned long>(std::min<qint64>(pasAttenteMs, fin.remainingTime())));
    }
}

bool TFormDDE::connecte(TSocketLocal& client, const QString& service) const {
    client.connectToServer(canal(service));
    if (!client.waitForConnected(connexionMs)) return false;
    // The conversation links to Kalvento's item, as its clients always have.
    client.write(versCp1252(QChar::fromLatin1(canal::Entete) + canal::ItemKalvento) + '\0');
    return true;
}

bool TFormDDE::Execute(Tenvoi Ordre) {
    try {
        const QStringList services = {ServiceMajuscules, Service};
        if (!repond(services) && !CheminApplication.isEmpty() &&
            QProcess::startDetached(CheminApplication, {}))
            attend(services, attenteLancementMs);

        TSocketLocal client;
        if (!connecte(client, ServiceMajuscules)) {
            attend({Service}, attenteSecondNomMs);
            if (!connecte(client, Service)) {
                dialogues().message(ImpossibleDeLancer);
                return false;
            }
        }
        // The macro is sent without waiting for Kalvento to carry it out.
        const QByteArray macro = versCp1252(Macro(Ordre)) + '\0';
        bool envoye = client.write(macro) == macro.size();
        client.flush();
        while (envoye && client.bytesToWrite() > 0)
            envoye = client.waitForBytesWritten(connexionMs);
        client.disconnectFromServer();
        if (client.state() != TSocketLocal::UnconnectedState)
            client.waitForDisconnected(connexionMs);
        if (!envoye)
            dialogues().message(Ordre == eFocus ? QStringLiteral("?")
                                                : QStringLiteral("Transfert non exécuté"));
        return envoye;
    } catch (...) {
        dialogues().message(ImpossibleDeLancer);
        return false;
    }
}

bool TFormDDE::EnvoieDonnees(bool DDE, bool NouvellePage) {
    const Occupe occupe(Sablier);
    if (metPressePapiers_ && texteDonnees_) metPressePapiers_(texteDonnees_());
    if (!DDE) return true;
    return Execute(NouvellePage ? eAdd : eLoad);
}

bool TFormDDE::EnvoiePage(bool nouvellePageChoisie, bool& PagePermise) {
    // After a failed transfer Kalvento holds no data set to add a page to.
    if (!EnvoieDonnees(true, nouvellePageChoisie && PagePermise)) return false;
    PagePermise = true;
    return true;
}
