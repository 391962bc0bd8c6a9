#include "app/dialogues.h"
#include "app/filtreclavier.h"
#include "display/cinetiquemain.h"
#include "instruments/appareil.h"
#include "settings/reglages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

Q_DECLARE_METATYPE(TModeAcq)
Q_DECLARE_METATYPE(TEtatAcquisition)

namespace {
bool visibleDansBarre(QToolBar* barre, QWidget* bouton) {
    for (QAction* a : barre->actions())
        if (barre->widgetForAction(a) == bouton) return a->isVisible();
    return false;
}
} // namespace

// The main window's acquisition state, its settings and its close, driven as a user would.
class TstFenetre : public QObject {
    Q_OBJECT

    QTemporaryDir reglages_;
    DialoguesScriptes* reponses_ = nullptr;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, reglages_.path());
    }
    void init() {
        ouvreReglages()->clear();
        auto d = std::make_unique<DialoguesScriptes>();
        reponses_ = d.get();
        installeDialogues(std::move(d));
    }

    void etatAuDemarrage() {
        TCinetiqueMain f;
        f.show();
        QCOMPARE(f.windowTitle(), QStringLiteral("Acquisition par appareils à sortie Telmira"));
        QCOMPARE(f.acq().EtatAcq, eaNone);
        QCOMPARE(f.acq().ModeAcq, maTemps);
        QCOMPARE(f.acq().DeltatMesure, quint16(1));
        QCOMPARE(f.acq().DeltatMin, quint16(1));
        QCOMPARE(f.acq().DureeMesure, 120);
        QCOMPARE(f.graphe.NbreVoies, 0);
        QVERIFY(!f.acq().Timer.isActive());
        QVERIFY(f.acq().dataSaved);
        QCOMPARE(f.DureeEdit->text(), QStringLiteral("0:02:00"));
        QCOMPARE(f.NombreLabel->text(), QStringLiteral("N=120"));
        QCOMPARE(f.DeltaLabel->text(), QStringLiteral("δt(s)"));
        QCOMPARE(f.DeltatSE->value(), 1);
        QVERIFY(f.PanelTemps->isVisible());
        // Without a channel there is nothing to acquire nor to show in large digits.
        for (QToolButton* b : {f.EnregistreBtn, f.PleinEcranBtn, f.RepereBtn, f.UndoBtn, f.StopBtn,
                               f.ResetBtn, f.KalventoSaveBtn, f.CopyBtn})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(!visibleDansBarre(f.ToolBar1, f.BuretteBtn));
        QVERIFY(!visibleDansBarre(f.ToolBar2, f.AideBtn)); // no help beside the test
        QVERIFY(!f.EnregistreNouvellePageItem->isEnabled());
        for (int v = 0; v < Tgraphe::MaxVoies; ++v) {
            QVERIFY(f.groupBoxs[v] && f.labels[v] && f.speedButtons[v]);
            QCOMPARE(f.groupBoxs[v]->property("Tag").toInt(), v);
            QVERIFY(!f.groupBoxs[v]->isVisible());
        }
        QVERIFY(!f.ClavierGB->isVisible());
        QCOMPARE(f.PanelDuree->text(), QStringLiteral("00:00:00"));
    }

    void intervalleDuTimer_data() {
        QTest::addColumn<TModeAcq>("mode");
        QTest::addColumn<TEtatAcquisition>("etat");
        QTest::addColumn<int>("deltat");
        QTest::addColumn<int>("deltatMin");
        QTest::addColumn<int>("voies");
        QTest::addColumn<int>("intervalle");
        QTest::addColumn<bool>("actif");
        QTest::newRow("en cours, min plus grand")
            << maTemps << eaEnCours << 2 << 5 << 1 << 5000 << true;
        QTest::newRow("en cours, deltat") << maTemps << eaEnCours << 2 << 1 << 1 << 2000 << true;
        QTest::newRow("attente") << maTemps << eaAttente << 7 << 3 << 2 << 3000 << true;
        QTest::newRow("maitre en cours")
            << maAppareilMaitre << eaEnCours << 4 << 1 << 1 << 1000 << false;
        QTest::newRow("maitre attente")
            << maAppareilMaitre << eaAttente << 4 << 2 << 1 << 2000 << false;
        QTest::newRow("burette") << maBuretteTelmira << eaEnCours << 4 << 1 << 1 << 1000 << true;
        QTest::newRow("burette lente")
            << maBuretteTelmira << eaEnCours << 4 << 2 << 1 << 2000 << true;
        QTest::newRow("sans voie") << maTemps << eaAttente << 1 << 1 << 0 << 1000 << false;
        QTest::newRow("none") << maIncrement << eaNone << 1 << 1 << 3 << 1000 << false;
        QTest::newRow("increment") << maIncrement << eaIncrement << 9 << 2 << 3 << 2000 << true;
    }
    void intervalleDuTimer() {
        QFETCH(TModeAcq, mode);
        QFETCH(TEtatAcquisition, etat);
        QFETCH(int, deltat);
        QFETCH(int, deltatMin);
        QFETCH(int, voies);
        TCinetiqueMain f;
        f.acq().ModeAcq = mode;
        f.acq().DeltatMesure = quint16(deltat);
        f.acq().DeltatMin = quint16(deltatMin);
        f.graphe.NbreVoies = voies;
        f.acq().SetEtatAcq(etat);
        QTEST(f.acq().Timer.interval(), "intervalle");
        QTEST(f.acq().Timer.isActive(), "actif");
        QVERIFY(f.acq().Reponse);
        QCOMPARE(f.StopBtn->isEnabled(), etat == eaEnCours);
        QCOMPARE(f.PanelTemps->isVisibleTo(&f), mode == maTemps);
    }

    void boutonsSelonEtat() {
        TCinetiqueMain f;
        f.graphe.NbreVoies = 1;
        f.acq().ModeAcq = maIncrement;
        f.EnregistreBtn->setEnabled(true);
        f.graphe.NbrePoints = 10;
        f.acq().SetEtatAcq(eaTerminee);
        QVERIFY(f.EnregistreBtn->isEnabled()); // unchanged in this mode
        QVERIFY(f.ResetBtn->isEnabled());
        QVERIFY(f.EnregistreNouveauFichierItem->isEnabled());
        QVERIFY(f.KalventoSaveBtn->isEnabled());
        QVERIFY(!f.RepereBtn->isEnabled());

        f.acq().ModeAcq = maTemps;
        f.acq().SetEtatAcq(eaTerminee);
        QVERIFY(!f.EnregistreBtn->isEnabled());
        f.graphe.NbrePoints = 0;
        f.acq().SetEtatAcq(eaTerminee);
        QVERIFY(f.EnregistreBtn->isEnabled());
        QVERIFY(!f.ResetBtn->isEnabled());
        QVERIFY(!f.EnregistreNouveauFichierItem->isEnabled());

        f.graphe.NbrePoints = 2;
        f.acq().SetEtatAcq(eaEnCours);
        QVERIFY(!f.EnregistreBtn->isEnabled());
        QVERIFY(f.RepereBtn->isEnabled());
        // What was recorded can always be saved, copied or sent.
        QVERIFY(f.EnregistreNouveauFichierItem->isEnabled());
        QVERIFY(f.CopyBtn->isEnabled());
    }

    void entreeClavier() {
        TCinetiqueMain f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.acq().ModeAcq = maClavier;
        f.ClavierGB->show();
        f.graphe.mondeX.Nom = QStringLiteral("V");
        f.graphe.mondeX.Unite = QStringLiteral("mL");
        f.ClavierEdit->setText(QStringLiteral("12"));
        f.acq().SetEtatAcq(eaClavier);
        QCOMPARE(f.ClavierEdit->text(), QString());
        QCOMPARE(f.ClavierGB->title(), QStringLiteral("Clavier=V/mL"));
        QTRY_VERIFY(f.ClavierEdit->hasFocus());
    }

    void suspendEtReprise() {
        TCinetiqueMain f;
        f.graphe.NbreVoies = 2;
        f.acq().SetEtatAcq(eaAttente);
        QVERIFY(f.acq().Timer.isActive());
        const bool acquerir = f.EnregistreBtn->isEnabled();
        f.acq().SuspendAcq();
        QCOMPARE(f.acq().EtatAcq, eaNone);
        QVERIFY(!f.acq().Timer.isActive());
        f.acq().RepriseAcq();
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(f.acq().Timer.isActive());
        QCOMPARE(f.EnregistreBtn->isEnabled(), acquerir);

        f.acq().SetEtatAcq(eaNone);
        f.acq().SuspendAcq();
        f.acq().RepriseAcq();
        QVERIFY(!f.acq().Timer.isActive());
    }

    void fermeture() {
        {
            TCinetiqueMain f;
            f.show();
            QVERIFY(f.close());
            QVERIFY(reponses_->vus.isEmpty()); // nothing recorded: no question
        }
        TCinetiqueMain f;
        f.show();
        f.graphe.NbreVoies = 1;
        f.acq().SetEtatAcq(eaAttente);
        f.acq().dataSaved = false;
        f.graphe.NbrePoints = 3;
        reponses_->reponses = {false};
        QVERIFY(!f.close());
        QCOMPARE(reponses_->vus, QStringList{QStringLiteral("Données non sauvées, quitter ?")});
        QVERIFY(f.isVisible());
        QVERIFY(f.acq().Timer.isActive()); // the readings go on as they were
        reponses_->reponses = {true};
        QVERIFY(f.close());
    }

    // Nine channels on a wide screen: the plot keeps most of the width; the widths the user
    // drags and the window's geometry come back at the next start.
    void neufVoies() {
        std::vector<std::unique_ptr<Tappareil>> voies;
        int largeurGrille = 0;
        {
            TCinetiqueMain f;
            f.resize(1600, 900);
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            for (int v = 0; v < 9; ++v) {
                voies.push_back(std::make_unique<Tappareil>());
                voies.back()->NomAppareil = QStringLiteral("Voie %1").arg(v);
                f.acq().AppareilAcq[v] = voies.back().get();
            }
            f.graphe.NbreVoies = 9;
            f.acq().InitAttente();
            QTRY_VERIFY(f.Oscillo->width() > 800);
            QVERIFY(f.PanelGrid->width() <= 400);
            QSplitterHandle* poignee = f.Separateur->handle(1);
            QTest::mousePress(poignee, Qt::LeftButton, {}, QPoint(2, 50));
            QTest::mouseMove(poignee, QPoint(62, 50));
            QTest::mouseRelease(poignee, Qt::LeftButton, {}, QPoint(62, 50));
            largeurGrille = f.PanelGrid->width();
            QVERIFY(largeurGrille > 0);
            f.acq().InitAttente();
            QCOMPARE(f.PanelGrid->width(), largeurGrille);
            QVERIFY(f.close());
        }
        TCinetiqueMain f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.size(), QSize(1600, 900));
        QTRY_COMPARE(f.PanelGrid->width(), largeurGrille);
    }

    void appareilsRecents() {
        {
            const auto r = ouvreReglages();
            r->setValue("AppareilRecent/Nombre", "9");
            const QStringList noms = {"Heito", "alpha",     "WTW 197",         "",    "Beta",
                                      "ALPHA", "Sartorius", "Orion Star (pH)", "Zeta"};
            for (int i = 0; i < noms.size(); ++i)
                r->setValue("AppareilRecent/N" + QString::number(i), noms[i]);
            r->setValue("AppareilRecent/Liste", "0");
            r->setValue("FichierTrace/Index", "4");
        }
        Tappareil a, b;
        a.NomAppareil = QStringLiteral("CECIL 1000 (A)");
        b.NomAppareil = QStringLiteral("Jenway 4520");
        {
            TCinetiqueMain f;
            // Sorted without regard to case, duplicates and empty names dropped.
            QCOMPARE(f.OldAppareilAcq, QStringList({"alpha", "Beta", "Heito", "Orion Star (pH)",
                                                    "Sartorius", "WTW 197", "Zeta"}));
            // The port table advances the stored index: each run traces to new files.
            QCOMPARE(f.acq().voiesSerie->indexFichierTrace, 5);
            QCOMPARE(f.acq().voiesSerie->voieSerieCin(1)->TraceName(),
                     QStringLiteral("telmira_1e.trc"));
            f.OldAppareilAcq.append(QStringLiteral("Zz dernier"));
            QCOMPARE(f.OldAppareilAcq.size(), 8);
            f.graphe.NbreVoies = 2;
            f.acq().AppareilAcq[0] = &a;
            f.acq().AppareilAcq[1] = &b;
            f.acq().voiesSerie->indexFichierTrace = 6;
            f.show();
            QVERIFY(f.close());
        }
        const auto r = ouvreReglages();
        // One name (the first in order) leaves, two come in.
        QCOMPARE(r->value("AppareilRecent/Nombre").toString(), QStringLiteral("9"));
        QCOMPARE(r->value("AppareilRecent/N0").toString(), QStringLiteral("Beta"));
        QCOMPARE(r->value("AppareilRecent/N1").toString(), QStringLiteral("CECIL 1000 (A)"));
        QCOMPARE(r->value("AppareilRecent/Liste").toString(), QStringLiteral("0"));
        QCOMPARE(r->value("FichierTrace/Index").toString(), QStringLiteral("6"));
    }

    void reglagesIllisibles() {
        {
            const auto r = ouvreReglages();
            r->setValue("AppareilRecent/Nombre", "beaucoup");
            r->setValue("FichierTrace/Index", "x");
        }
        TCinetiqueMain f;
        QVERIFY(f.OldAppareilAcq.isEmpty());
        QCOMPARE(f.acq().voiesSerie->indexFichierTrace, 1);
    }

    void aideDansLeTitre() {
        TCinetiqueMain f;
        QStatusTipEvent avec(
            QStringLiteral("Pour enregistrer la valeur, valider par la touche entrée"));
        QApplication::sendEvent(&f, &avec);
        QCOMPARE(f.windowTitle(),
                 QStringLiteral("Pour enregistrer la valeur, valider par la touche entrée"));
        QStatusTipEvent sans{QString()};
        QApplication::sendEvent(&f, &sans);
        QCOMPARE(f.windowTitle(), QStringLiteral("Acquisition par appareils à sortie Telmira"));
    }

    void lettresGrecques_data() {
        QTest::addColumn<int>("touche");
        QTest::addColumn<bool>("majuscule");
        QTest::addColumn<QString>("tape");
        QTest::newRow("Ctrl+G") << int(Qt::Key_G) << false << "γ";
        QTest::newRow("Ctrl+Shift+G") << int(Qt::Key_G) << true << "Γ";
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << false << "ω";
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << false << "ο";
        QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << true << "O";
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << false << "σ";
        QTest::newRow("Ctrl+L") << int(Qt::Key_L) << false << "λ";
        QTest::newRow("Ctrl+Shift+D") << int(Qt::Key_D) << true << "Δ";
        QTest::newRow("Ctrl+C sans selection") << int(Qt::Key_C) << false << "χ";
        QTest::newRow("Ctrl+X sans selection") << int(Qt::Key_X) << false << "ξ";
        QTest::newRow("Ctrl+V sans selection") << int(Qt::Key_V) << false << "v";
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << false << "α";
    }
    void lettresGrecques() {
        QFETCH(int, touche);
        QFETCH(bool, majuscule);
        TFiltreClavier filtre;
        qApp->installEventFilter(&filtre);
        TCinetiqueMain f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        // Any edit box takes the letter; the duration box only takes duration characters.
        auto* libre = new QLineEdit(f.PanelTemps);
        libre->show();
        for (QWidget* edition : {static_cast<QWidget*>(libre), static_cast<QWidget*>(f.DureeEdit),
                                 static_cast<QWidget*>(f.DeltatSE)}) {
            auto* ligne = qobject_cast<QLineEdit*>(edition);
            if (!ligne) ligne = edition->findChild<QLineEdit*>();
            ligne->clear();
            edition->setFocus();
            QTRY_VERIFY(edition->hasFocus());
            const Qt::KeyboardModifiers mods =
                Qt::ControlModifier | (majuscule ? Qt::ShiftModifier : Qt::NoModifier);
            QTest::keyClick(edition, Qt::Key(touche), mods);
            if (edition == libre) QTEST(ligne->text(), "tape");
        }
        qApp->removeEventFilter(&filtre);
    }

    void pressePapiersAvecSelection() {
        TFiltreClavier filtre;
        qApp->installEventFilter(&filtre);
        TCinetiqueMain f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QLineEdit* e = f.DureeEdit;
        e->setFocus();
        QTRY_VERIFY(e->hasFocus());
        e->setText(QStringLiteral("mS/cm"));
        e->setSelection(0, 2);
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("mS"));
        QCOMPARE(e->text(), QStringLiteral("mS/cm"));
        e->setSelection(3, 2);
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("mS/"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("cm"));
        QGuiApplication::clipboard()->setText(QStringLiteral("L"));
        e->setSelection(0, 2);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("L/"));
        qApp->removeEventFilter(&filtre);
    }
};

QTEST_MAIN(TstFenetre)
#include "tst_fenetre.moc"
