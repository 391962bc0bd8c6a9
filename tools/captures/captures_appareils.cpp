// Draws the device configuration dialog's five tabs, the terminal window, the device file
// management and the channel configuration dialogs into PNG files,
// with a catalogue instrument played on pseudo-terminals. Runs without a screen:
//   QT_QPA_PLATFORM=offscreen captures_appareils [output folder, default docs/captures]
#include "instruments/listeappareil.h"
#include "serial/terminalform.h"
#include "serial/voiesserie.h"
#include "settings/cfgappdlg.h"
#include "settings/choixconfigdlg.h"
#include "settings/configdlg.h"
#include "tests/commun/banc.h"
#include "tests/commun/terminalsimule.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {
bool enregistre(QWidget& fenetre, const QString& chemin) {
    banc::laisse(100);
    const bool ok = fenetre.grab().save(chemin);
    std::printf("%s %s\n", ok ? "écrit" : "ÉCHEC", qPrintable(chemin));
    return ok;
}

// An instrument that answers every order with a pH reading.
QByteArray repond(const QByteArray& recu) {
    return recu.contains('\r') ? QByteArrayLiteral("pH 7.02\r\n") : QByteArray();
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString demande =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/captures");
    QDir().mkpath(demande);
    const QString sortie = QDir(demande).absolutePath();
    QTemporaryDir prive;
    banc::reglagesPrives(prive);
    QDir::setCurrent(prive.path());
    banc::aucunPort();
    TerminalSimule com1, com2, com3;
    for (auto [n, t] : {std::pair{1, &com1}, std::pair{2, &com2}, std::pair{3, &com3}}) {
        banc::pointeCom(n, t->slave());
        t->setRepondeur(repond);
    }

    TModuleAppareils module(prive.filePath(QStringLiteral("appareils.INI")));
    if (!module.ChargeAppareils()) return 1;
    Tappareil* ph = module.ChercheAppareil(QStringLiteral("CONSORT C3010 (pH)"));
    if (!ph) return 1;
    TVoiesSerie voies([](TApdComPort* CP, quint16 Count) {
        for (int i = 0; CP && i < Count; ++i)
            (void)CP->GetChar();
    });

    bool ok = true;
    {
        TConfigDlg dlg(voies, [](int) {});
        dlg.AppareilCourant = ph;
        dlg.show();
        const char* noms[] = {"grandeur", "voie-serie", "format", "aide-pilotage", "pilotage"};
        for (int page = 0; page < 5; ++page) {
            dlg.Notebook->setCurrentIndex(page);
            if (page == TConfigDlg::pPilotage) {
                dlg.OrdreEdit->setText(QStringLiteral("GETPH"));
                dlg.EnvoiCRBtn->click();
                banc::attend(
                    [&] { return dlg.Memo1->toPlainText().contains(QStringLiteral("7.02")); });
            }
            ok &= enregistre(
                dlg, QDir(sortie).filePath(
                         QStringLiteral("configuration-%1.png").arg(QLatin1String(noms[page]))));
        }
        dlg.reject();
    }
    {
        if (!voies.setVoieSerieApp(*ph, false)) return 1;
        TTerminalForm terminal(*ph, voies);
        terminal.show();
        terminal.OrdreEdit->setText(QStringLiteral("GETPH"));
        terminal.EnvoiCRLFBtn->click();
        banc::attend(
            [&] { return terminal.Memo1->toPlainText().contains(QStringLiteral("7.02")); });
        ok &= enregistre(terminal, QDir(sortie).filePath(QStringLiteral("terminal.png")));
        terminal.close();
    }
    {
        bool recente = true;
        TChoixConfigDlg gestion(
            TGestionAppareils{module, voies, recente, {}, [] { return true; }, {}});
        gestion.show();
        ok &= enregistre(gestion, QDir(sortie).filePath(QStringLiteral("gestion-appareils.png")));
        gestion.modif = false;
        gestion.reject();
    }
    {
        TCfgAppDlg voie(voies, {}, [](int) {});
        voie.prepare(ph, 0, false);
        voie.show();
        ok &= enregistre(voie, QDir(sortie).filePath(QStringLiteral("appareil-voie.png")));
        voie.reject();
    }
    return ok ? 0 : 1;
}
