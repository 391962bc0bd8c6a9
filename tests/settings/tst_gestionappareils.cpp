// The device file management dialogs, the channel configuration dialog and the terminal,
// through their widgets, against instruments played on pseudo-terminals.
#include "bancappareils.h"

#include "app/utilitaires.h"

#include "serial/terminalform.h"
#include "serial/testdlg.h"
#include "settings/cfgappdlg.h"
#include "settings/choixcfgappdlg.h"
#include "settings/choixconfigdlg.h"
#include "settings/configdlg.h"
#include "settings/fichierini.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

using namespace banc;

namespace {
Tappareil* ajoute(TModuleAppareils& module, const QString& nom, const QString& grandeur) {
    auto a = std::make_unique<Tappareil>();
    a->NomAppareil = nom;
    a->nomGrandeur = grandeur;
    Tappareil* p = a.get();
    module.listeAppareil.Add(std::move(a));
    return p;
}

void ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(octets);
}

void cliqueLigne(QListWidget* liste, int ligne) {
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                      liste->visualItemRect(liste->item(ligne)).center());
}

QStringList lignesListe(const QListWidget* liste) {
    QStringList l;
    for (int i = 0; i < liste->count(); ++i)
        l << liste->item(i)->text();
    return l;
}

QStringList entrees(const QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i)
        l << c->itemText(i);
    return l;
}
} // namespace

class TstGestionAppareils : public QObject {
    Q_OBJECT
    Dossier dossier_;
    int numero_ = 0;
    QString nouveauChemin() { return dossier_.chemin(QStringLiteral("app%1.INI").arg(++numero_)); }

private Q_SLOTS:
    void initTestCase() { dossier_.prepare(); }
    void init() { dossier_.efface(); }

    // Removal is hidden with one description and refused for one a channel reads; nothing
    // reaches the file before a save, and closing after a change asks whether to save.
    void listeSuppressionEtFermeture() {
        Fenetre f;
        const QString chemin = nouveauChemin();
        TModuleAppareils module(chemin);
        Tappareil* alpha = ajoute(module, "Alpha", "pH");
        ajoute(module, "Beta", "tension");
        bool recente = false;
        TChoixConfigDlg d(TGestionAppareils{
            module, *f.voies, recente, [&](const Tappareil* a) { return a == alpha; }, {}, {}});
        d.show();
        QCOMPARE(lignesListe(d.ListBoxAppareil), QStringList({"Alpha pH", "Beta tension"}));
        QVERIFY(d.DelBtn->isVisible());
        QVERIFY(!d.DelBtn->isEnabled());
        QVERIFY(!d.BuretteTelmiraBtn->isVisible());
        d.ListeAppRecentCB->click();
        QVERIFY(recente);

        cliqueLigne(d.ListBoxAppareil, 0);
        QVERIFY(d.DelBtn->isEnabled());
        d.DelBtn->click();
        QCOMPARE(module.listeAppareil.Count(), 2);
        QVERIFY(dossier_.boites->vus.last().startsWith("Alpha est utilisé par une voie"));
        cliqueLigne(d.ListBoxAppareil, 1);
        dossier_.boites->reponses = {true};
        d.DelBtn->click();
        QCOMPARE(dossier_.boites->vus.last(), QStringLiteral("Suppression de Beta"));
        QCOMPARE(lignesListe(d.ListBoxAppareil), QStringList({"Alpha pH"}));
        QVERIFY(!d.DelBtn->isVisible());

        dossier_.boites->reponses = {false};
        d.close();
        QVERIFY(!d.isVisible());
        QCOMPARE(dossier_.boites->vus.last(), QStringLiteral("Sauvegarde des modifications"));
        QVERIFY(!QFile::exists(chemin));

        // Unchanged, no question; changed, a save that fails keeps the dialog open.
        dossier_.boites->vus.clear();
        d.show();
        d.close();
        QVERIFY(dossier_.boites->vus.isEmpty());
        d.show();
        dansModal<TConfigDlg>([](TConfigDlg& c) {
            c.EditSymbole->setText("pX");
            c.OKBtn->click();
        });
        d.ModifBtn->click();
        QVERIFY(d.modif);
        module.nomFichierAppareil = dossier_.chemin("absent/app.INI");
        dossier_.boites->reponses = {true};
        d.close();
        QVERIFY(d.isVisible());
        QCOMPARE(dossier_.boites->vus.last(), "Erreur d'écriture de " + module.nomFichierAppareil);
        module.nomFichierAppareil = chemin;
        dossier_.boites->reponses = {true};
        d.close();
        QVERIFY(!d.isVisible());
        TModuleAppareils relu(chemin);
        QVERIFY(relu.ChargeAppareils());
        QCOMPARE(relu.listeAppareil.Count(), 1);
        QCOMPARE(relu.ChercheAppareil("Alpha")->SymboleGrandeur, QStringLiteral("pX"));
    }

    // Descriptions copied in from another device file, whole, under a name of their own.
    void importation() {
        Fenetre f;
        TModuleAppareils module(nouveauChemin());
        ajoute(module, "Alpha", "pH");
        const QString vide = nouveauChemin();
        ecrit(vide, "[Alpha]\r\nNom=pH\r\n");
        const QString plein = nouveauChemin();
        ecrit(plein, "[Index]\r\n0=Zeta\r\n1=Alpha\r\n2=Mu\r\n[Zeta]\r\nNom=PH\r\nTexteVerif=pH\r\n"
                     "NumVerif=2\r\nFiltreDepasse=0\r\nSTAB=1\r\n[Alpha]\r\nNom=Conductance\r\n"
                     "Symbole=G\r\n[Mu]\r\nNom=pH\r\n");
        dossier_.boites->fichiers = {vide, plein};
        bool recente = true;
        TChoixConfigDlg d(TGestionAppareils{module, *f.voies, recente, {}, {}, {}});
        d.show();
        dansModal<TChoixCfgAppDlg>([&](TChoixCfgAppDlg& c) {
            QVERIFY(!c.AddBtn->isEnabled());
            c.OpenBtn->click();
            QCOMPARE(c.GrandeurCombo->count(), 0);
            QCOMPARE(c.ListeAppareilCombo->count(), 0);
            QVERIFY(!c.GrandeurCombo->isEnabled());
            QVERIFY(!c.ListeAppareilCombo->isEnabled());
            QVERIFY(!c.AddBtn->isEnabled());
            c.OpenBtn->click();
            QCOMPARE(entrees(c.GrandeurCombo), QStringList({"pH", "conductivité"}));
            QCOMPARE(c.GrandeurCombo->currentText(), QStringLiteral("conductivité"));
            QCOMPARE(entrees(c.ListeAppareilCombo), QStringList({"Alpha"}));
            c.AddBtn->click();
            QCOMPARE(dossier_.boites->vus.last(),
                     QStringLiteral("Un appareil porte déjà ce nom : celui-ci est ajouté sous "
                                    "le nom Alpha (σ)"));
            QTest::keyClick(c.GrandeurCombo, Qt::Key_Up);
            QCOMPARE(entrees(c.ListeAppareilCombo), QStringList({"Mu", "Zeta"}));
            QCOMPARE(c.ListeAppareilCombo->currentText(), QStringLiteral("Zeta"));
            c.AddBtn->click();
            c.CancelBtn->click();
            QVERIFY(!c.isVisible());
        });
        d.AddBtn->click();
        QVERIFY(d.modif);
        QCOMPARE(lignesListe(d.ListBoxAppareil),
                 QStringList({"Alpha pH", "Alpha (σ) conductivité", "Zeta pH"}));
        const Tappareil* zeta = module.ChercheAppareil("Zeta");
        QCOMPARE(zeta->TexteVerif, QByteArray("pH"));
        QCOMPARE(zeta->NumeroVerif, 2);
        QVERIFY(!zeta->FiltrageDepassement);
        QVERIFY(zeta->lectureSTAB);
        QVERIFY(module.listeGrandeur.contains("conductivité"));
        dossier_.boites->reponses = {false};
        d.close();
    }

    // A new instrument described field by field, tried with "&Test" on a simulated instrument,
    // saved, and found again in the device file.
    void nouvelAppareil() {
        TerminalSimule t;
        pointeCom(2, t.slave());
        t.setRepondeur([](const QByteArray& recu) {
            return recu.endsWith("\x10M?\r") ? QByteArray("pH 1 7.02\r\n") : QByteArray();
        });
        Fenetre f;
        const QString chemin = nouveauChemin();
        TModuleAppareils module(chemin);
        ajoute(module, "Alpha", "tension")->Delai = 900;
        bool recente = true;
        TChoixConfigDlg d(TGestionAppareils{module, *f.voies, recente, {}, {}, {}});
        d.show();
        QStringList journal;
        dansModal<TConfigDlg>([&](TConfigDlg& c) {
            // Started from a copy of the selected line, name included.
            QCOMPARE(c.EditNomAppareil->text(), QStringLiteral("Alpha"));
            QCOMPARE(c.DelaiEdit->text(), QStringLiteral("900"));
            c.EditNomAppareil->setText("Essai pH-mètre");
            c.nomGrandeurCombo->setEditText("PH");
            c.EditSymbole->setText("pH");
            c.EditUnite->setText("");
            // Typed before the precision is changed, the range is kept.
            c.EditMax->clear();
            QTest::keyClicks(c.EditMax, "14");
            c.PrecisionSE->setValue(4);
            c.DeriveEdit->setText("0,05");
            choisit(c.Comports, "COM2");
            choisit(c.BaudsRG, "4800");
            choisit(c.ParityRG, "Paire");
            choisit(c.DatabitsRG, "7");
            choisit(c.StopbitsRG, "2");
            c.XonXoffBox->setChecked(true);
            choisit(c.EnvoiDonneesRG, "sur demande");
            choisit(c.FixeRG, "variable");
            c.DelaiEdit->setText("250");
            c.DelaiSpinUp->click();
            c.NumeroOrdreSE->setValue(2);
            c.EditDemande->setText("|DLE|M?|CR|");
            c.EditInit->setText("R|CR|");
            c.EditFin->setText("OFF|CR|");
            c.DepassementCB->setChecked(true);
            c.lectureStabCB->setChecked(true);
            c.PilotageMemo->setPlainText("Menu RS232\n\nSortie sur 4800 bauds");
            dansModal<TTestDlg>([&](TTestDlg& test) {
                QVERIFY(t.attendRecu(2));
                QCOMPARE(t.prend(), QByteArray("R\r"));
                test.MesureBtn->click();
                QVERIFY(attend([&] { return test.MesureBtn->isEnabled(); }));
                journal = lignes(test.MemoTest);
                test.close();
            });
            c.TestBtn->click();
            const TApdComPort* port = f.voies->voieSerieCin(2);
            QCOMPARE(port->Baud(), 4800);
            QCOMPARE(port->Parity(), pEven);
            QCOMPARE(int(port->DataBits()), 7);
            QCOMPARE(int(port->StopBits()), 2);
            QCOMPARE(port->SWFlowOptions(), swfBoth);
            c.OKBtn->click();
        });
        d.CreerBtn->click();
        QCOMPARE(journal, QStringList({"Envoi de :", "R|CR|", "", "Envoi de :", "|DLE|M?|CR|",
                                       "Attente de 300ms", "Chaine reçue :", "pH 1 7.02|CR|",
                                       "|LF|", "Valeur lue : pH=7.02"}));
        QCOMPARE(lignesListe(d.ListBoxAppareil),
                 QStringList({"Alpha tension", "Essai pH-mètre pH"}));
        QVERIFY(QFile::exists(f.voies->voieSerieCin(2)->cheminLog()));
        d.EnregistreBtn->click();
        QVERIFY(!d.modif);
        d.close();
        QVERIFY(dossier_.boites->vus.isEmpty());

        TModuleAppareils relu(chemin);
        QVERIFY(relu.ChargeAppareils());
        const Tappareil* a = relu.ChercheAppareil("Essai pH-mètre");
        QVERIFY(a);
        QCOMPARE(a->nomGrandeur, QStringLiteral("pH"));
        QCOMPARE(a->SymboleGrandeur, QStringLiteral("pH"));
        QCOMPARE(a->UniteGrandeur, QString());
        QCOMPARE(a->ValMaxi, 14.0);
        QCOMPARE(a->Precision, 4);
        QCOMPARE(a->Derive, 0.05);
        QCOMPARE(int(a->ComNumber), 2);
        QCOMPARE(a->Baud, 4800);
        QCOMPARE(int(a->Parite), 2);
        QCOMPARE(int(a->DataBits), 7);
        QCOMPARE(int(a->StopBits), 2);
        QVERIFY(a->XonXoff && !a->RTSCTS && !a->EnvoiDirect && !a->FormatFixe);
        QCOMPARE(int(a->Delai), 300);
        QCOMPARE(int(a->NumeroOrdre), 2);
        QCOMPARE(a->Demande, QByteArray("\x10M?\r"));
        QCOMPARE(a->ChaineInit, QByteArray("R\r"));
        QCOMPARE(a->ChaineFin, QByteArray("OFF\r"));
        QVERIFY(a->FiltrageDepassement && a->lectureSTAB);
        QCOMPARE(a->AidePilotage[0], QStringLiteral("Menu RS232"));
        QCOMPARE(a->AidePilotage[1], QString());
        QCOMPARE(a->AidePilotage[2], QStringLiteral("Sortie sur 4800 bauds"));
        QCOMPARE(int(relu.ChercheAppareil("Alpha")->Delai), 900);
    }

    // The channel dialog: the instrument's fields, its release text, a port change confirmed
    // only when asked to, and the terminal, which gives the port back to the main window.
    void voieEtTerminal() {
        TerminalSimule t2;
        TerminalSimule t4;
        pointeCom(2, t2.slave());
        pointeCom(4, t4.slave());
        Fenetre f;
        Tappareil D;
        D.NomAppareil = "Heito P310 (pH)";
        D.nomGrandeur = "pH";
        D.SymboleGrandeur = "pH";
        D.ValMaxi = 14;
        D.Precision = 3;
        D.ComNumber = 2;
        D.ChaineFin = "OFF\r";
        D.AidePilotage[1] = "Menu RS232";
        TCfgAppDlg dlg(*f.voies);
        dlg.prepare(&D, 0, true);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), D.NomAppareil);
        QCOMPARE(dlg.GrandeurEdit->text(), QStringLiteral("pH"));
        QCOMPARE(dlg.EditMax->text(), QStringLiteral("14"));
        QCOMPARE(lignes(dlg.MemoAide).size(), 16);
        QCOMPARE(texteChoisi(dlg.Comports), QStringLiteral("COM2"));
        QVERIFY(!dlg.InitBtn->isVisible());
        QVERIFY(dlg.FinBtn->isVisible());
        dlg.FinBtn->click();
        QVERIFY(t2.attendRecu(4));
        QCOMPARE(t2.prend(), QByteArray("OFF\r"));

        dlg.EditNom->setText("pX");
        dlg.EditMin->setText("1,5");
        dlg.EditMax->setText("abc");
        dlg.DepassementCB->setChecked(false);
        choisit(dlg.Comports, "COM4");
        dossier_.boites->reponses = {false};
        dlg.OKBtn->click();
        QCOMPARE(dossier_.boites->vus, QStringList("Pertes des données courantes ?"));
        QCOMPARE(D.SymboleGrandeur, QStringLiteral("pX"));
        QCOMPARE(D.ValMini, 1.5);
        QVERIFY(estNaN(D.ValMaxi));
        QVERIFY(!D.FiltrageDepassement);
        QCOMPARE(int(D.ComNumber), 2);
        QVERIFY(!dlg.portChange());
        for (const bool verif : {true, false}) {
            dlg.prepare(&D, 0, verif);
            dlg.show();
            choisit(dlg.Comports, verif ? "COM4" : "COM2");
            dossier_.boites->reponses = {true};
            dlg.OKBtn->click();
            QVERIFY(dlg.portChange());
            QCOMPARE(int(D.ComNumber), verif ? 4 : 2);
        }
        QCOMPARE(dossier_.boites->vus.size(), 2);

        dlg.prepare(&D, 3, false);
        dlg.show();
        dansModal<TTerminalForm>([&](TTerminalForm& term) {
            QCOMPARE(int(term.voieApp), 3);
            QCOMPARE(lignes(term.MemoAide).value(1), QStringLiteral("Menu RS232"));
            term.OrdreEdit->setText("M");
            QTest::keyClick(term.OrdreEdit, Qt::Key_Return);
            QVERIFY(term.isVisible());
            term.EnvoiCRBtn->click();
            QVERIFY(t2.attendRecu(2));
            QCOMPARE(t2.prend(), QByteArray("M\r"));
            t2.ecrit("A\tB\x11"
                     "C\r");
            QVERIFY(attend([&] { return lignes(term.Memo1).size() == 3; }));
            QCOMPARE(lignes(term.Memo1),
                     QStringList({"Envoi de : M|CR|", "Réception de : AB", "Réception de : C"}));
            term.close();
        });
        dlg.PiloteBtn->click();
        QVERIFY(f.voies->voieSerieCin(2)->Open());
        QVERIFY(f.recoitDe(2, t2));

        // No port at all: the terminal is not shown.
        aucunPort();
        D.ComNumber = 7;
        dlg.prepare(&D, 0, false);
        dlg.show();
        bool montre = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget(); qobject_cast<TTerminalForm*>(w)) {
                montre = true;
                w->close();
            }
        });
        dlg.PiloteBtn->click();
        laisse();
        QVERIFY(!montre);
        dlg.reject();
    }
};

QTEST_MAIN(TstGestionAppareils)
#include "tst_gestionappareils.moc"
