#pragma once

// What the tests of the instrument dialogs share: private settings and folders, no port but the
// pseudo-terminals a test plays, scripted message boxes and the main window's side of the port
// table.
#include "app/dialogues.h"
#include "instruments/appareil.h"
#include "instruments/listeappareil.h"
#include "serial/voiesserie.h"
#include "tests/commun/banc.h"
#include "tests/commun/gestes.h"
#include "tests/commun/terminalsimule.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace banc {

// The main window as the dialogs see it: the port table, whose handler records what it takes.
struct Fenetre {
    QByteArray recu;
    std::unique_ptr<TVoiesSerie> voies;
    Fenetre() {
        voies = std::make_unique<TVoiesSerie>([this](TApdComPort* CP, quint16 Count) {
            for (int i = 0; i < Count; ++i)
                recu += char(CP ? CP->GetChar() : voies->LitOctetWTW());
        });
    }
    // True when bytes the instrument on `terminal` sends reach the main window's handler again
    // (the port of COM n opened, as the acquisition would find it).
    bool recoitDe(int n, TerminalSimule& terminal) {
        TApdComPort* port = voies->voieSerieCin(n);
        try {
            port->setOpen(true);
        } catch (const EAPDException&) {
            return false;
        }
        recu.clear();
        terminal.ecrit("ok\r");
        return attend([&] { return recu.contains("ok\r"); });
    }
};

// One test program's fixtures, set up once: settings, data and trace files in a private folder,
// no COM port, message boxes answered from the script.
struct Dossier {
    QTemporaryDir dossier;
    DialoguesScriptes* boites = nullptr;
    void prepare() {
        reglagesPrives(dossier);
        QDir::setCurrent(dossier.path());
        aucunPort();
        auto d = std::make_unique<DialoguesScriptes>();
        boites = d.get();
        installeDialogues(std::move(d));
    }
    void efface() {
        boites->vus.clear();
        boites->reponses.clear();
        boites->fichiers.clear();
        aucunPort();
    }
    [[nodiscard]] QString chemin(const QString& nom) const { return dossier.filePath(nom); }
};

inline QStringList lignes(const QPlainTextEdit* memo) {
    return memo->toPlainText().split(QLatin1Char('\n'));
}

} // namespace banc
