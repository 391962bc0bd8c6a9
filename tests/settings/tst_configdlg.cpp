// The device configuration dialog and its test window, through their widgets, against
// instruments played on pseudo-terminals.
#include "bancappareils.h"

#include "serial/testdlg.h"
#include "settings/configdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

using namespace banc;

class TstConfigDlg : public QObject {
    Q_OBJECT
    Dossier dossier_;

private Q_SLOTS:
    void initTestCase() { dossier_.prepare(); }
    void init() { dossier_.efface(); }

    void ouverture_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("affiche");
        QTest::addColumn<QString>("apresAbandon");
        QTest::addColumn<QString>("apresOK");
        QTest::addColumn<int>("baudOK");
        QTest::newRow("conductance, 14400") << "CONDUCTANCE" << 14400 << ""
                                            << "Conductivité"
                                            << "conductivité"
                                            << "conductivité" << 19200;
        QTest::newRow("PH tapé") << "tension" << 4800 << "PH"
                                 << "Tension"
                                 << "tension"
                                 << "pH" << 4800;
        // A quantity outside the list is kept, not turned into "autre".
        QTest::newRow("grandeur propre") << "oxygène dissous" << 600 << ""
                                         << "oxygène dissous"
                                         << "oxygène dissous"
                                         << "oxygène dissous" << 600;
    }
    void ouverture() {
        QFETCH(QString, nom);
        QFETCH(int, baud);
        QFETCH(QString, saisie);
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = "Essai";
        a.nomGrandeur = nom;
        a.Baud = baud;
        a.Precision = 6;
        a.Derive = 3.0 / 140;
        d.AppareilCourant = &a;
        d.show();
        QCOMPARE(d.Notebook->currentIndex(), int(TConfigDlg::pFormat));
        QTEST(d.nomGrandeurCombo->currentText(), "affiche");
        QCOMPARE(texteChoisi(d.BaudsRG), QString::number(baud == 14400 ? 19200 : baud));
        d.CancelBtn->click();
        QTEST(a.nomGrandeur, "apresAbandon");
        QCOMPARE(a.Baud, baud);
        d.Notebook->setCurrentIndex(TConfigDlg::pGrandeur);
        d.show();
        // Later showings open where the user left.
        QCOMPARE(d.Notebook->currentIndex(), int(TConfigDlg::pGrandeur));
        if (!saisie.isEmpty()) d.nomGrandeurCombo->setEditText(saisie);
        d.OKBtn->click();
        QVERIFY(!d.isVisible());
        QTEST(a.nomGrandeur, "apresOK");
        QTEST(int(a.Baud), "baudOK");
        // A drift threshold of 9 characters is not cut by the 8 a user may type.
        QCOMPARE(a.Derive, 0.0214286);
    }

    void pasDuDelai_data() {
        QTest::addColumn<int>("delai");
        QTest::addColumn<bool>("monte");
        QTest::addColumn<int>("attendu");
        QTest::newRow("250 monte") << 250 << true << 300;
        QTest::newRow("250 descend") << 250 << false << 100;
        QTest::newRow("5000 monte") << 5000 << true << 5000;
        QTest::newRow("100 descend") << 100 << false << 100;
        QTest::newRow("80 descend") << 80 << false << 0;
        QTest::newRow("80 monte") << 80 << true << 100;
    }
    void pasDuDelai() {
        QFETCH(int, delai);
        QFETCH(bool, monte);
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = "Essai";
        a.Delai = quint16(delai);
        d.AppareilCourant = &a;
        d.show();
        (monte ? d.DelaiSpinUp : d.DelaiSpinDown)->click();
        d.OKBtn->click();
        QTEST(int(a.Delai), "attendu");
    }

    void delaiIllisible() {
        // The fields before the delay are set, those after it are not, and the dialog stays.
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = "Essai";
        d.AppareilCourant = &a;
        d.show();
        choisit(d.EnvoiDonneesRG, "en continu");
        d.DelaiEdit->setText("2 s");
        d.EditSymbole->setText("X");
        d.OKBtn->click();
        QVERIFY(d.isVisible());
        QCOMPARE(dossier_.boites->vus, QStringList("'2 s' n'est pas une valeur entière correcte"));
        QVERIFY(a.EnvoiDirect);
        QCOMPARE(a.SymboleGrandeur, QStringLiteral("V"));
        d.EditNomAppareil->setText("  ");
        d.DelaiEdit->setText("300");
        d.OKBtn->click();
        QVERIFY(d.isVisible());
        QCOMPARE(d.Notebook->currentIndex(), int(TConfigDlg::pGrandeur));
        d.EditNomAppareil->setText(" Essai 2 ");
        d.OKBtn->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(a.NomAppareil, QStringLiteral("Essai 2"));
        QCOMPARE(a.SymboleGrandeur, QStringLiteral("X"));
    }

    void titresDuFormat_data() {
        QTest::addColumn<QString>("envoi");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("debut");
        QTest::addColumn<QString>("demande");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("titreBis");
        // Visible: the second text, Nombre de carac., Numéro premier carac., the two others.
        QTest::addColumn<QString>("visibles");
        QTest::newRow("sur demande") << "sur demande"
                                     << "variable" << 1 << "SND|CR|"
                                     << "Ordre pour obtenir les données"
                                     << "Autre texte avant les données"
                                     << "0001";
        QTest::newRow("continu, texte après") << "en continu"
                                              << "variable" << 0 << "S/cm"
                                              << "Texte après les données"
                                              << "Autre texte après les données"
                                              << "1011";
        QTest::newRow("continu, texte avant, fixe") << "en continu"
                                                    << "fixe" << 3 << ""
                                                    << "Texte avant les données"
                                                    << "Autre texte avant les données"
                                                    << "1110";
        QTest::newRow("continu sans texte") << "en continu"
                                            << "variable" << 3 << ""
                                            << "Texte avant les données"
                                            << "Autre texte avant les données"
                                            << "1001";
    }
    void titresDuFormat() {
        QFETCH(QString, envoi);
        QFETCH(QString, format);
        QFETCH(int, debut);
        QFETCH(QString, demande);
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = "Essai";
        a.EnvoiDirect = envoi == "sur demande"; // the opposite: the clicks must change it
        a.Demande = demande.toLatin1();
        d.AppareilCourant = &a;
        d.show();
        choisit(d.EnvoiDonneesRG, envoi);
        choisit(d.FixeRG, format);
        d.PosDebutSE->setValue(debut);
        // Written into the description at once, before any OK.
        QCOMPARE(a.EnvoiDirect, envoi == "en continu");
        QCOMPARE(a.FormatFixe, format == "fixe");
        QTEST(d.LabelDemande->text(), "titre");
        QTEST(d.LabelDemandeBis->text(), "titreBis");
        QString visibles;
        for (QWidget* w :
             {static_cast<QWidget*>(d.EditDemandeBis), static_cast<QWidget*>(d.NbreCaracSE),
              static_cast<QWidget*>(d.PosDebutSE), static_cast<QWidget*>(d.NbreLignesSE)})
            visibles += w->isVisibleTo(&d) ? '1' : '0';
        QTEST(visibles, "visibles");
        QCOMPARE(d.NumeroOrdreSE->isVisibleTo(&d), d.NbreLignesSE->isVisibleTo(&d));
    }

    // The "Pilotage" tab binds the port for the dialog; orders go out with what the button adds
    // and are logged without it; a TAB splits an answer; the port is closed and given back to
    // the main window whatever way the dialog closes.
    void pilotage() {
        TerminalSimule t;
        pointeCom(3, t.slave());
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = "Essai";
        a.ComNumber = 3;
        d.AppareilCourant = &a;
        d.show();
        QVERIFY(!d.ClearBtn->isVisibleTo(&d));
        d.Notebook->setCurrentIndex(TConfigDlg::pPilotage);
        QVERIFY(d.voieSerieAffecte);
        QVERIFY(d.ClearBtn->isVisibleTo(&d));
        QCOMPARE(a.VoieSerie, f.voies->voieSerieCin(3));
        d.OrdreEdit->setText("M");
        QTest::keyClick(d.OrdreEdit, Qt::Key_Return);
        QVERIFY(d.isVisible());
        d.EnvoiCRLFBtn->click();
        QVERIFY(t.attendRecu(3));
        QCOMPARE(t.prend(), QByteArray("M\r\n"));
        t.ecrit("7.02\r\nA\tB\x13");
        QVERIFY(attend([&] { return lignes(d.Memo1).size() == 4; }));
        QCOMPARE(lignes(d.Memo1), QStringList({"Envoi de : M", "Réception de : 7.02",
                                               "Réception de : A", "Réception de : B"}));
        d.Notebook->setCurrentIndex(TConfigDlg::pAide);
        QVERIFY(!d.ClearBtn->isVisibleTo(&d));
        d.close();
        QVERIFY(!f.voies->voieSerieCin(3)->Open());
        QVERIFY(f.recoitDe(3, t));
        f.voies->voieSerieCin(3)->setOpen(false);

        // No port to open: back to "Grandeur", and no handler left here.
        aucunPort();
        a.ComNumber = 9;
        d.show();
        d.Notebook->setCurrentIndex(TConfigDlg::pPilotage);
        QCOMPARE(d.Notebook->currentIndex(), int(TConfigDlg::pGrandeur));
        QVERIFY(!d.voieSerieAffecte);
        QVERIFY(!d.ClearBtn->isVisibleTo(&d));
        d.close();
        pointeCom(9, t.slave());
        QVERIFY(f.recoitDe(9, t));
    }

    // "&Test" commits the controls and shows the test window on the port; an instrument with an
    // initialisation text gets it at the opening, and "Nouvelle mesure" then sends the request.
    // "Abandon" afterwards keeps what was tested.
    void testSurDemande() {
        TerminalSimule t;
        pointeCom(2, t.slave());
        t.setRepondeur([](const QByteArray& recu) {
            return recu.endsWith("M?\r") ? QByteArray("pH 1 15.3\r\n") : QByteArray();
        });
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = "Essai";
        a.ComNumber = 2;
        a.ChaineInit = "R\r";
        a.ValMaxi = 14;
        a.SymboleGrandeur = "pH";
        d.AppareilCourant = &a;
        d.show();
        d.EditDemande->setText("M?|CR|");
        d.NumeroOrdreSE->setValue(2);
        d.DelaiEdit->setText("500");
        d.EditMax->setText("14");
        d.DepassementCB->setChecked(false);
        d.EditUnite->setText("");
        QStringList journal;
        dansModal<TTestDlg>([&](TTestDlg& test) {
            QVERIFY(t.attendRecu(2));
            QCOMPARE(t.prend(), QByteArray("R\r"));
            QVERIFY(test.InitBtn->isVisible());
            QVERIFY(!test.FinBtn->isVisible());
            QVERIFY(test.MesureBtn->isEnabled());
            test.MesureBtn->click();
            QVERIFY(!test.MesureBtn->isEnabled());
            QVERIFY(attend([&] { return test.MesureBtn->isEnabled(); }));
            journal = lignes(test.MemoTest);
            test.close();
        });
        d.TestBtn->click();
        QCOMPARE(journal, QStringList({"Envoi de :", "R|CR|", "", "Envoi de :", "M?|CR|",
                                       "Attente de 500ms", "Chaine reçue :", "pH 1 15.3|CR|",
                                       "|LF|", "Valeur >mini ou <maxi", "Valeur lue : pH=15.3"}));
        // Back in the dialog, the port listens to the "Pilotage" tab again.
        d.Notebook->setCurrentIndex(TConfigDlg::pPilotage);
        t.ecrit("7\r");
        QVERIFY(attend([&] { return d.Memo1->toPlainText() == "Réception de : 7"; }));
        d.CancelBtn->click();
        QCOMPARE(a.Demande, QByteArray("M?\r"));
        QCOMPARE(int(a.NumeroOrdre), 2);
        QCOMPARE(int(a.Delai), 500);
        QVERIFY(!f.voies->voieSerieCin(2)->Open());
        QVERIFY(f.recoitDe(2, t));
    }

    // An instrument that sends on its own: nothing is sent, the wait is Delai + 500 ms, XON and
    // XOFF are dropped; the built-in printout is played by the window's own replay.
    void testEnContinu_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("valeur");
        QTest::newRow("port") << "Essai"
                              << "pH=7.01";
        QTest::newRow("WTW 3310") << "pH-mètre WTW 3310"
                                  << "pH=7.37";
    }
    void testEnContinu() {
        QFETCH(QString, nom);
        QFETCH(QString, valeur);
        const bool wtw = nom.contains("WTW");
        TerminalSimule t;
        pointeCom(2, t.slave());
        Fenetre f;
        TConfigDlg d(*f.voies);
        Tappareil a;
        a.NomAppareil = nom;
        a.ComNumber = 2;
        a.EnvoiDirect = true;
        a.Demande = "pH";
        a.DebutNombre = 3;
        a.NbreLignes = 3;
        a.Delai = 100;
        a.SymboleGrandeur = "pH";
        a.UniteGrandeur = "";
        a.ValMaxi = 14;
        d.AppareilCourant = &a;
        d.show();
        QString journal;
        dansModal<TTestDlg>([&](TTestDlg& test) {
            QVERIFY(!test.InitBtn->isVisible());
            if (wtw)
                test.rejeu.TimerWTW1Timer();
            else
                t.ecrit("\x11pH 7.01\x13 25.0 C\r\n");
            QVERIFY(attend([&] { return test.MesureBtn->isEnabled(); }));
            journal = test.MemoTest->toPlainText();
            test.close();
            QVERIFY(!test.rejeu.TimerWTW1.isActive());
        });
        d.TestBtn->click();
        QVERIFY2(journal.startsWith("Attente de 100ms\nChaine reçue :\n"), qPrintable(journal));
        QVERIFY2(journal.endsWith("\nValeur lue : " + valeur), qPrintable(journal));
        QVERIFY(t.recu().isEmpty());
        QCOMPARE(d.voieSerieAffecte, !wtw);
        // The acquisition's own replay and flag are not touched.
        QVERIFY(!f.voies->simulationWTW);
        QVERIFY(!f.voies->TimerWTW1.isActive());
        d.close();
    }
};

QTEST_MAIN(TstConfigDlg)
#include "tst_configdlg.moc"
