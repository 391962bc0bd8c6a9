#pragma once

// A main window running its acquisition against instruments played on pseudo-terminals, with
// a clock that moves only when the test says so. The sampling timer is unplugged: the test
// ticks it with TimerTimer().
#include "../commun/terminalsimule.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"

#include <QDeadlineTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

// An instrument answering each request ended by CR with the text made by `reponse`, given the
// request's rank from 1; it stays silent while `muet` is set.
class InstrumentSimule {
public:
    using Reponse = std::function<QByteArray(int rang, const QByteArray& demande)>;

    InstrumentSimule(int com, Reponse r) : com_(com), reponse_(std::move(r)) {
        qputenv(QStringLiteral("TELMIRA_COM%1").arg(com).toLatin1(),
                terminal.slave().toLocal8Bit());
        terminal.setRepondeur([this](const QByteArray& recu) {
            QByteArray sortie;
            attente_ += recu;
            qsizetype fin;
            while ((fin = attente_.indexOf('\r')) >= 0) {
                const QByteArray demande = attente_.left(fin + 1);
                attente_.remove(0, fin + 1);
                ++demandes;
                instants.push_back(horloge().millisecondes());
                vues.push_back(demande);
                if (!muet) sortie += reponse_(demandes, demande);
            }
            return sortie;
        });
    }
    ~InstrumentSimule() { qunsetenv(QStringLiteral("TELMIRA_COM%1").arg(com_).toLatin1()); }

    TerminalSimule terminal;
    int demandes = 0;
    bool muet = false;
    std::vector<quint32> instants;
    std::vector<QByteArray> vues;

private:
    int com_;
    Reponse reponse_;
    QByteArray attente_;
};

// A polled instrument of variable layout on port `com`, range 0..14.
inline std::unique_ptr<Tappareil> appareilSurDemande(quint16 com, const QByteArray& demande,
                                                     const QString& symbole = QStringLiteral("pH"),
                                                     quint8 numero = 1) {
    auto a = std::make_unique<Tappareil>();
    a->NomAppareil = QStringLiteral("Essai ") + symbole;
    a->SymboleGrandeur = symbole;
    a->UniteGrandeur = symbole == QLatin1String("pH") ? QString() : QStringLiteral("°C");
    a->ComNumber = com;
    a->Demande = demande;
    a->NumeroOrdre = numero;
    a->NbreLignes = 1;
    a->ValMini = 0;
    a->ValMaxi = 14;
    a->Precision = 4;
    a->Delai = 0;
    a->Derive = 0.1;
    return a;
}

// An instrument sending lines on its own, its number after the key "pH".
inline std::unique_ptr<Tappareil> appareilContinu(quint16 com) {
    auto a = appareilSurDemande(com, "pH");
    a->EnvoiDirect = true;
    a->DebutNombre = 3;
    return a;
}

class BancAcquisition {
public:
    BancAcquisition() {
        auto h = std::make_unique<HorlogeManuelle>();
        horloge_ = h.get();
        ancienneHorloge_ = installeHorloge(std::move(h));
        auto d = std::make_unique<DialoguesScriptes>();
        dialogues_ = d.get();
        anciensDialogues_ = installeDialogues(std::move(d));
        fenetre = std::make_unique<TCinetiqueMain>();
        fenetre->NomFichierSauvegarde = dossier_.filePath(QStringLiteral("secours.txt"));
    }
    ~BancAcquisition() {
        fenetre.reset();
        installeDialogues(std::move(anciensDialogues_));
        installeHorloge(std::move(ancienneHorloge_));
    }

    void prepare(const std::vector<Tappareil*>& voies, TModeAcq mode) {
        TCinetiqueMain& f = *fenetre;
        for (std::size_t v = 0; v < voies.size(); ++v)
            f.AppareilAcq[v] = voies[v];
        f.graphe.NbreVoies = int(voies.size());
        f.ModeAcq = mode;
        f.InitAttente();
        QObject::disconnect(f.Timer, nullptr, &f, nullptr);
    }

    // Handles events until `condition` holds, at most three seconds.
    static bool attend(const std::function<bool()>& condition) {
        QDeadlineTimer fin(3000);
        while (!condition() && !fin.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            5);
        return condition();
    }
    // Handles events for a while without waiting for anything (bytes that must not come).
    static void laisse(int ms = 50) {
        QDeadlineTimer fin(ms);
        while (!fin.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            5);
    }

    // Moves the clock, ticks the sampling timer and waits until `fini` holds.
    bool tick(qint64 ms, const std::function<bool()>& fini) {
        horloge_->avance(ms);
        fenetre->TimerTimer();
        return attend(fini);
    }

    // While it runs, the clock moves 5 ms per millisecond of real time, so that the pauses
    // before requests end.
    void faitAvancerHorloge(bool oui) {
        if (!oui) {
            avanceur_.reset();
            return;
        }
        avanceur_ = std::make_unique<QTimer>();
        QObject::connect(avanceur_.get(), &QTimer::timeout, [this] { horloge_->avance(5); });
        avanceur_->start(1);
    }

    [[nodiscard]] QString fichierSecours() const { return fenetre->NomFichierSauvegarde; }

    HorlogeManuelle* horloge_ = nullptr;
    DialoguesScriptes* dialogues_ = nullptr;
    std::unique_ptr<TCinetiqueMain> fenetre;

private:
    QTemporaryDir dossier_;
    std::unique_ptr<Horloge> ancienneHorloge_;
    std::unique_ptr<Dialogues> anciensDialogues_;
    std::unique_ptr<QTimer> avanceur_;
};

// Private settings and folders for the whole test program.
inline void reglagesPrives(QTemporaryDir& dossier) {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dossier.path());
}
