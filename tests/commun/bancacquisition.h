#pragma once

// An acquisition (the engine alone, or the main window around it) running against instruments
// played on pseudo-terminals, with a clock that moves only when the test says so and scripted
// answers to every box. The sampling timer is unplugged: the test ticks it with TimerTimer().
#include "acquisition/acquisition.h"
#include "app/dialogues.h"
#include "app/horloge.h"
#include "banc.h"
#include "instrumentsimule.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

inline TAcquisition& moteurDe(TAcquisition& a) {
    return a;
}

template <class T = TAcquisition> class BancAcquisition {
public:
    BancAcquisition() {
        auto h = std::make_unique<HorlogeManuelle>();
        horloge_ = h.get();
        ancienneHorloge_ = installeHorloge(std::move(h));
        auto d = std::make_unique<DialoguesScriptes>();
        dialogues_ = d.get();
        anciensDialogues_ = installeDialogues(std::move(d));
        fenetre = std::make_unique<T>();
        a().NomFichierSauvegarde = dossier_.filePath(QStringLiteral("secours.txt"));
    }
    ~BancAcquisition() {
        fenetre.reset();
        installeDialogues(std::move(anciensDialogues_));
        installeHorloge(std::move(ancienneHorloge_));
    }

    // The engine (the window's, when the bench holds a window).
    TAcquisition& a() { return moteurDe(*fenetre); }

    void prepare(const std::vector<Tappareil*>& voies, TModeAcq mode) {
        TAcquisition& m = a();
        for (std::size_t v = 0; v < voies.size(); ++v)
            m.AppareilAcq[v] = voies[v];
        m.graphe.NbreVoies = int(voies.size());
        m.ModeAcq = mode;
        m.InitAttente();
        QObject::disconnect(&m.Timer, nullptr, &m, nullptr);
    }

    static bool attend(const std::function<bool()>& condition) { return banc::attend(condition); }
    static void laisse(int ms = 50) { banc::laisse(ms); }

    // Moves the clock, ticks the sampling timer and waits until `fini` holds.
    bool tick(qint64 ms, const std::function<bool()>& fini) {
        horloge_->avance(ms);
        a().TimerTimer();
        return attend(fini);
    }

    // While it runs, the clock moves 5 ms per millisecond of real time.
    void faitAvancerHorloge(bool oui) {
        if (!oui) {
            avanceur_.reset();
            return;
        }
        avanceur_ = std::make_unique<QTimer>();
        QObject::connect(avanceur_.get(), &QTimer::timeout, [this] { horloge_->avance(5); });
        avanceur_->start(1);
    }

    [[nodiscard]] QString fichierSecours() { return a().NomFichierSauvegarde; }

    HorlogeManuelle* horloge_ = nullptr;
    DialoguesScriptes* dialogues_ = nullptr;
    std::unique_ptr<T> fenetre;

private:
    QTemporaryDir dossier_;
    std::unique_ptr<Horloge> ancienneHorloge_;
    std::unique_ptr<Dialogues> anciensDialogues_;
    std::unique_ptr<QTimer> avanceur_;
};

// Private settings and folders for the whole test program.
inline void reglagesPrives(QTemporaryDir& dossier) {
    banc::reglagesPrives(dossier);
}
