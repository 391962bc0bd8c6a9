// The acquisition mode dialog: its time-base controls, what OK and Cancel keep, the trace
// option, and the burette test against burettes played on pseudo-terminals.
#include "app/aide.h"
#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "serial/dossiertraces.h"
#include "serial/setrs232rg.h"
#include "settings/balayagedlg.h"
#include "settings/reglages.h"
#include "settings/testburette.h"
#include "tests/commun/banc.h"
#include "tests/commun/terminalsimule.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

namespace {
const QString nonTrouvee = QStringLiteral("Burette Schott Titronic non trouvée");

// The identification exchange of the burette ("01RH"), as the driver makes it: the answer line,
// or why the burette was not recognised.
QString identifie(TApdComPort* port) {
    port->FlushInBuffer();
    port->PutString("01RH\r\n");
    QByteArray reponse;
    int finsDeLigne = 0;
    banc::attend(
        [&] {
            while (port->CharReady()) {
                const char c = char(port->GetChar());
                if (quint8(c) >= 32)
                    reponse += c;
                else if ((c == '\r' || c == '\n') && reponse.size() >= 3)
                    ++finsDeLigne;
            }
            return finsDeLigne >= 2;
        },
        300);
    return reponse.contains('T') ? QString::fromLatin1(reponse) : nonTrouvee;
}

// What the main window lends the dialog: its settings, port table and burette.
struct Banc {
    TReglagesBalayage reglages;
    TNumeroCom NumeroCom{};
    TVoiesSerie voies{{}};
    Tappareil burette;
    int dosages = 0;
    std::unique_ptr<TBalayageDlg> dlg;

    Banc() {
        burette.Baud = 4800;
        burette.DataBits = 7;
        burette.StopBits = 2;
        NumeroCom.fill(1);
    }
    TBalayageDlg& ouvre() {
        TCrochetsBalayage crochets;
        crochets.testeBurette = [this](int com, bool trace) {
            return TesteBurette(voies, burette, com, trace,
                                [this] { return identifie(burette.VoieSerie); });
        };
        crochets.configureDosage = [this](QWidget*) { ++dosages; };
        if (!dlg) dlg = std::make_unique<TBalayageDlg>(reglages, NumeroCom, crochets);
        dlg->show();
        return *dlg;
    }
    void mode(TModeAcq m) { dlg->ModeAcqGroupe->button(m)->click(); }
};

QStringList items(const QGroupBox* RG) {
    QStringList textes;
    if (auto* g = RG->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly))
        for (QAbstractButton* b : g->buttons())
            textes << b->text();
    return textes;
}
} // namespace

class TstBalayage : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    DialoguesScriptes* boites_ = nullptr;

private Q_SLOTS:
    void initTestCase() {
        banc::reglagesPrives(dossier_);
        banc::aucunPort();
        auto d = std::make_unique<DialoguesScriptes>();
        boites_ = d.get();
        installeDialogues(std::move(d));
    }

    // δt and the duration follow the 8..2048 rule; δt and the duration are kept by Cancel,
    // Enter in the duration box takes the duration without closing, a wrong one keeps OK from
    // closing.
    void baseDeTemps() {
        Banc b;
        b.reglages.DureeMesure = 3600;
        TBalayageDlg& d = b.ouvre();
        QCOMPARE(d.DeltatSpin->value(), 2);
        QCOMPARE(d.NombreLabel->text(), QStringLiteral("N=1800"));
        QCOMPARE(d.Duree->text(), QStringLiteral("1:00:00"));
        QCOMPARE(d.DeltatLabel->text(), QStringLiteral("δt(s)="));
        d.DeltatSpin->setValue(1);
        QCOMPARE(d.DeltatSpin->value(), 2);
        d.DureeSBUp->click();
        QCOMPARE(d.Duree->text(), QStringLiteral("1:15:00"));
        QCOMPARE(d.DeltatSpin->value(), 3);
        d.CancelBtn->click();
        QCOMPARE(b.reglages.DureeMesure, 4500);
        QCOMPARE(b.reglages.DeltatMesure, 3);
        QVERIFY(!d.modification);

        // The engine changed δt meanwhile: the next showing starts from it.
        b.reglages.DeltatMesure = 5;
        b.ouvre();
        QCOMPARE(d.DeltatSpin->value(), 5);
        d.Duree->selectAll();
        QTest::keyClicks(d.Duree, QStringLiteral("0:02:35"));
        QTest::keyClick(d.Duree, Qt::Key_Return);
        QVERIFY(d.isVisible());
        QCOMPARE(d.Duree->text(), QStringLiteral("0:02:40"));
        QCOMPARE(d.NombreLabel->text(), QStringLiteral("N=32"));

        d.Duree->setText(QStringLiteral("1:75"));
        d.OKBtn->click();
        QVERIFY(d.isVisible());
        QCOMPARE(boites_->vus.takeLast(),
                 QStringLiteral("« 1:75 » n'est pas une durée correcte (h:mm:ss)"));
        QCOMPARE(d.Duree->text(), QStringLiteral("0:02:40"));
        d.OKBtn->click();
        QVERIFY(!d.isVisible());
        QVERIFY(d.modification);
    }

    // What OK applies by mode, and the keyboard quantity's defaults.
    void validation() {
        Banc b;
        b.reglages.AbscisseMaitre = amIndex;
        TBalayageDlg& d = b.ouvre();
        QCOMPARE(d.Pages->currentIndex(), int(maTemps));
        d.OKBtn->click();
        QVERIFY(!d.modification);
        QCOMPARE(b.reglages.AbscisseMaitre, amTemps);

        b.ouvre();
        b.mode(maClavier);
        QCOMPARE(d.Pages->currentIndex(), int(maClavier));
        d.EditNom->setText(QStringLiteral("V"));
        d.EditUnite->setText(QStringLiteral("mL"));
        d.EditMin->setText(QStringLiteral("début"));
        d.EditMax->setText(QString());
        d.OKBtn->click();
        QVERIFY(d.modification);
        QCOMPARE(b.reglages.ModeAcq, maClavier);
        QCOMPARE(b.reglages.NomClavier, QStringLiteral("V"));
        QCOMPARE(b.reglages.UniteClavier, QStringLiteral("mL"));
        QCOMPARE(b.reglages.MiniClavier, 0.0);
        QCOMPARE(b.reglages.MaxiClavier, 5.0);

        b.ouvre();
        d.EditMin->setText(QStringLiteral("12,5"));
        d.EditMax->setText(QStringLiteral("2"));
        d.OKBtn->click();
        QCOMPARE(b.reglages.MiniClavier, 2.0);
        QCOMPARE(b.reglages.MaxiClavier, 12.5);

        b.ouvre();
        QCOMPARE(d.EditMax->text(), QStringLiteral("12") + separateurDecimal() + QLatin1Char('5'));
        b.mode(maAppareilMaitre);
        d.AbscisseMaitreGroupe->button(amVoie0)->click();
        d.SoundCB->setCurrentIndex(4);
        QCOMPARE(b.reglages.CodeBeep, 4);
        d.EditMin->setText(QStringLiteral("7"));
        d.OKBtn->click();
        QCOMPARE(b.reglages.AbscisseMaitre, amVoie0);
        QCOMPARE(b.reglages.MiniClavier, 2.0); // the keyboard page counts in its mode only

        b.ouvre();
        QCOMPARE(d.SoundCB->currentText(), QStringLiteral("Main"));
        d.configBuretteBtn->click();
        QCOMPARE(b.dosages, 1);
        d.CancelBtn->click();
    }

    // The option is read when the dialog is made and written whenever it closes.
    void optionTrace() {
        ouvreReglages()->remove(QStringLiteral("FichierTrace/Actif"));
        {
            Banc b;
            TBalayageDlg& d = b.ouvre();
            QVERIFY(d.TraceCB->isChecked());
            QVERIFY(d.DossierTraceLabel->text().contains(
                QUrl::fromLocalFile(dossierTraces()).toString(QUrl::FullyEncoded)));
            d.TraceCB->setChecked(false);
            d.CancelBtn->click();
            QVERIFY(!b.reglages.TraceActive);
        }
        QCOMPARE(ouvreReglages()->value(QStringLiteral("FichierTrace/Actif")).toString(),
                 QStringLiteral("0"));
        Banc b;
        TBalayageDlg& d = b.ouvre();
        QVERIFY(!d.TraceCB->isChecked());
        d.TraceCB->setChecked(true);
        d.OKBtn->click();
        QCOMPARE(ouvreReglages()->value(QStringLiteral("FichierTrace/Actif")).toString(),
                 QStringLiteral("1"));
    }

    void testBurette_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<bool>("trace");
        QTest::addColumn<QString>("message");
        QTest::newRow("present") << "present" << true << "Titronic universal 1.02";
        QTest::newRow("silent") << "silent" << false << nonTrouvee;
        QTest::newRow("no port at all") << "aucun" << true << texteAucuneVoieBurette;
        QTest::newRow("port held elsewhere") << "tenu" << true << texteProblemeVoieBurette;
    }
    void testBurette() {
        QFETCH(QString, cas);
        QFETCH(bool, trace);
        TerminalSimule autre, burette;
        TApdComPort tiers(7);
        if (cas == QStringLiteral("present"))
            burette.setRepondeur([](const QByteArray& recu) {
                return recu.contains("01RH\r\n") ? QByteArray("Titronic universal 1.02\r\n")
                                                 : QByteArray();
            });
        if (cas != QStringLiteral("aucun")) {
            banc::pointeCom(2, autre.slave());
            banc::pointeCom(7, burette.slave());
        }
        if (cas == QStringLiteral("tenu")) tiers.setOpen(true);

        Banc b;
        b.reglages.ComBurette = 7;
        b.reglages.ModeAcq = maBuretteTelmira;
        TBalayageDlg& d = b.ouvre();
        QCOMPARE(d.Pages->currentIndex(), int(maBuretteTelmira));
        QCOMPARE(d.TestBuretteLabel->text(), QStringLiteral("Port Com de la burette non testé"));
        d.TraceCB->setChecked(trace);
        if (cas == QStringLiteral("aucun")) {
            QVERIFY(items(d.ComPortsBuretteTelmira).isEmpty());
        } else {
            QCOMPARE(items(d.ComPortsBuretteTelmira), (QStringList{"COM2", "COM7"}));
            QCOMPARE(indexRS232RG(d.ComPortsBuretteTelmira), 1);
        }
        d.TestBuretteBtn->click();
        QFETCH(QString, message);
        QCOMPARE(d.TestBuretteLabel->text(), message);
        QVERIFY(d.TestBuretteBtn->isEnabled());
        if (cas == QStringLiteral("present") || cas == QStringLiteral("silent")) {
            QCOMPARE(b.burette.ComNumber, 7);
            QCOMPARE(b.reglages.ComBurette, 7);
            TApdComPort* port = b.voies.voieSerieCin(7);
            QCOMPARE(b.burette.VoieSerie, port);
            QVERIFY(port->Open());
            QCOMPARE(port->Tracing(), trace ? tlOn : tlOff);
            QCOMPARE(burette.recu().left(6), QByteArray("01RH\r\n"));
        }
        d.CancelBtn->click();
        banc::aucunPort();
    }
};

QTEST_MAIN(TstBalayage)
#include "tst_balayage.moc"
