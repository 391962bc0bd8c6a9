// The device selection dialog, alone on the catalogue and from the main window's
// "Ajouter appareil " against instruments played on pseudo-terminals.
//
// The window opens the dialog modally (exec). Its tests queue the user's actions with
// QTimer::singleShot(0, ...) before the click: they run inside the dialog's own modal loop,
// and the dialog is cancelled when they leave it open, so that a failing step cannot hang.
#include "../commun/bancfenetre.h"

#include "instruments/listeappareil.h"
#include "serial/setrs232rg.h"
#include "settings/choixappdlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QWheelEvent>

namespace {
// No port exists unless a test plays one: the machine's own devices stay out of the way.
void aucunPort() {
    for (int n = 1; n <= TVoiesSerie::nbrePorts; ++n)
        qputenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1(), "/nonexistent/telmira");
}

// Pseudo-terminals standing for the given port numbers while it lives.
class Ports {
public:
    explicit Ports(std::initializer_list<int> numeros) {
        for (int n : numeros) {
            terminaux_.push_back(std::make_unique<TerminalSimule>());
            qputenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1(),
                    terminaux_.back()->slave().toLocal8Bit());
        }
    }
    ~Ports() { aucunPort(); }

private:
    std::vector<std::unique_ptr<TerminalSimule>> terminaux_;
};

Tappareil* appareil(const QString& nom) {
    return moduleAppareils().ChercheAppareil(nom);
}

QButtonGroup* groupe(const QGroupBox* RG) {
    return RG->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly);
}

QStringList items(const QGroupBox* RG) {
    QStringList textes;
    if (QButtonGroup* g = groupe(RG))
        for (int k = 0; g->button(k); ++k)
            textes << g->button(k)->text();
    return textes;
}

QStringList entrees(const QComboBox* c) {
    QStringList textes;
    for (int i = 0; i < c->count(); ++i)
        textes << c->itemText(i);
    return textes;
}

// As the user does: the quantity, the instrument in the list, then "Ajouter".
void ajoute(TChoixAppDlg& d, const QString& nom) {
    const Tappareil* A = appareil(nom);
    QVERIFY2(A, qPrintable(nom));
    for (QAbstractButton* b : d.GrandeurGroupe->buttons())
        if (b->text().compare(A->nomGrandeur, Qt::CaseInsensitive) == 0) b->click();
    const int i = d.ListeAppareilCombo->findText(nom);
    QVERIFY2(i >= 0, qPrintable(nom));
    d.ListeAppareilCombo->setCurrentIndex(i);
    d.AddBtn->click();
}

void cliquePort(TChoixAppDlg& d, int page, int com) {
    for (QAbstractButton* b : groupe(d.Coms[page])->buttons())
        if (b->text() == QStringLiteral("COM%1").arg(com)) b->click();
}

// The main window's side of the dialog, without a window.
struct Choix {
    std::array<Tappareil*, Tgraphe::MaxVoies> AppareilAcq{};
    int NbreVoies = 0;
    QStringList Old;
    TNumeroCom NumeroCom{};
    bool recente = true;
    TChoixAppDlg dlg{TVoiesAcquisition{AppareilAcq, NbreVoies, Old, NumeroCom, recente}};

    void voies(const std::vector<Tappareil*>& v) {
        for (std::size_t i = 0; i < v.size(); ++i)
            AppareilAcq[i] = v[i];
        NbreVoies = int(v.size());
    }
};

const QString polystat = QStringLiteral("Bain Polystat (Bioblock)");
const QString bausch = QStringLiteral("BAUSCH Spectronic 501/601");
const QString cecil = QStringLiteral("CECIL 1000 (A)");
const QString consort = QStringLiteral("CONSORT C3010 (mS)");
} // namespace

class TstChoixApp : public QObject {
    Q_OBJECT
    QTemporaryDir dossier_;
    DialoguesScriptes* reponses_ = nullptr;
    std::unique_ptr<Dialogues> anciens_;

private Q_SLOTS:
    void initTestCase() {
        reglagesPrives(dossier_);
        aucunPort();
    }
    void init() {
        // A fresh catalogue for each case: the dialog writes ports into the descriptions.
        auto module =
            std::make_unique<TModuleAppareils>(dossier_.filePath(QStringLiteral("absent.ini")));
        QVERIFY(module->ChargeAppareils());
        installeModuleAppareils(std::move(module));
        auto d = std::make_unique<DialoguesScriptes>();
        reponses_ = d.get();
        anciens_ = installeDialogues(std::move(d));
    }
    void cleanup() { installeDialogues(std::move(anciens_)); }

    // No channel: the first description's quantity and its instruments, the last one picked;
    // OK then takes that instrument as the only channel, on the first port the machine has.
    void ouvertureSansVoie() {
        Ports ports{3, 5};
        Choix c;
        TChoixAppDlg& d = c.dlg;
        d.show();
        QVERIFY(d.NoAppLabel->isVisibleTo(&d));
        QCOMPARE(d.NoAppLabel->text(), QStringLiteral("Pas d'appareil sélectionné !"));
        QVERIFY(!d.PageControl1->isVisibleTo(&d));
        QVERIFY(!d.oldGB->isVisibleTo(&d));
        const Tappareil* premier = moduleAppareils().listeAppareil.First();
        QCOMPARE(d.GrandeurGroupe->checkedButton()->text(), premier->nomGrandeur);
        QCOMPARE(d.GrandeurGroupe->buttons().size(), moduleAppareils().listeGrandeur.size());
        QStringList memeGrandeur;
        for (const auto& A : moduleAppareils().listeAppareil)
            if (A->nomGrandeur == premier->nomGrandeur) memeGrandeur << A->NomAppareil;
        QCOMPARE(entrees(d.ListeAppareilCombo), memeGrandeur);
        QCOMPARE(d.ListeAppareilCombo->currentIndex(), memeGrandeur.size() - 1);
        QVERIFY(d.AddBtn->isEnabled());
        for (QGroupBox* RG : d.Coms)
            QCOMPARE(items(RG), QStringList({"COM3", "COM5"}));
        QCOMPARE(c.NumeroCom[1], 3);
        QCOMPARE(c.NumeroCom[2], 5);

        Tappareil* dernier = appareil(memeGrandeur.last());
        dernier->ComNumber = 1;
        d.OKBtn->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(d.modification);
        QCOMPARE(c.NbreVoies, 1);
        QCOMPARE(c.AppareilAcq[0], dernier);
        QCOMPARE(dernier->ComNumber, quint16(3));

        // Shown again, it starts from the channel chosen.
        d.show();
        QVERIFY(!d.NoAppLabel->isVisibleTo(&d));
        QCOMPARE(d.ListeLoc, QStringList{dernier->NomAppareil});
        QVERIFY(d.PageControl1->isTabVisible(0));
        QVERIFY(!d.PageControl1->isTabVisible(1));
        QCOMPARE(d.Noms[0]->text(), dernier->NomAppareil);
        d.reject();
    }

    void deuxAppareilsIdentiques_data() {
        QTest::addColumn<bool>("oui");
        QTest::newRow("non") << false;
        QTest::newRow("oui") << true;
    }
    void deuxAppareilsIdentiques() {
        QFETCH(bool, oui);
        Ports ports{2};
        Choix c;
        c.dlg.show();
        ajoute(c.dlg, polystat);
        QVERIFY(reponses_->vus.isEmpty());
        reponses_->reponses = {oui};
        ajoute(c.dlg, polystat);
        QCOMPARE(reponses_->vus, QStringList{"Deux appareils identiques ?"});
        c.dlg.OKBtn->click();
        QCOMPARE(c.NbreVoies, oui ? 2 : 1);
        QCOMPARE(c.AppareilAcq[0], appareil(polystat));
        QCOMPARE(c.AppareilAcq[1], oui ? appareil(polystat) : nullptr);
    }

    // A port the machine lacks becomes its first port, on the page and in the description; a
    // port it has is kept. The texts to send follow the description.
    void portAbsent() {
        Ports ports{3, 5};
        Tappareil* absent = appareil(polystat);
        Tappareil* present = appareil(bausch);
        absent->ComNumber = 7;
        absent->ChaineInit = "INIT\r";
        present->ComNumber = 5;
        present->ChaineFin = "FIN\r";
        Choix c;
        c.dlg.show();
        ajoute(c.dlg, polystat);
        ajoute(c.dlg, bausch);
        QCOMPARE(indexRS232RG(c.dlg.Coms[0]), 0);
        QCOMPARE(absent->ComNumber, quint16(3));
        QCOMPARE(indexRS232RG(c.dlg.Coms[1]), 1);
        QCOMPARE(present->ComNumber, quint16(5));
        QVERIFY(absent->InitialisationAfaire && !absent->DeblocageAfaire);
        QVERIFY(!present->InitialisationAfaire && present->DeblocageAfaire);
        // Adding moved no port on its own: nothing the user changed.
        QVERIFY(!c.dlg.ModifSerie);

        // Cancelled, the descriptions get their ports back.
        c.dlg.CancelBtn->click();
        QCOMPARE(absent->ComNumber, quint16(7));
        QVERIFY(!absent->InitialisationAfaire);
        QCOMPARE(c.NbreVoies, 0);

        // Without any port, the description keeps its number and its page has no item.
        aucunPort();
        c.dlg.show();
        ajoute(c.dlg, polystat);
        QCOMPARE(items(c.dlg.Coms[0]), QStringList());
        QCOMPARE(absent->ComNumber, quint16(7));
        c.dlg.reject();
    }

    // Removing the second of three moves the third to the second page; the ports shown are
    // those of the descriptions.
    void suppressionPage() {
        Ports ports{3, 5};
        appareil(polystat)->ComNumber = 3;
        appareil(bausch)->ComNumber = 3;
        appareil(consort)->ComNumber = 5;
        Choix c;
        TChoixAppDlg& d = c.dlg;
        d.show();
        ajoute(d, polystat);
        ajoute(d, bausch);
        ajoute(d, consort);
        QCOMPARE(d.PageControl1->currentIndex(), 2);
        QCOMPARE(indexRS232RG(d.Coms[1]), 0);
        d.DelBtns[1]->click();
        QCOMPARE(d.ListeLoc, QStringList({polystat, consort}));
        QCOMPARE(d.AppareilCourant[1], appareil(consort));
        QCOMPARE(d.AppareilCourant[2], nullptr);
        QCOMPARE(d.Noms[1]->text(), consort);
        QCOMPARE(d.PageControl1->tabText(1), QStringLiteral("CONSORT"));
        QCOMPARE(indexRS232RG(d.Coms[1]), 1);
        QVERIFY(d.PageControl1->isTabVisible(1));
        QVERIFY(!d.PageControl1->isTabVisible(2));
        QCOMPARE(d.PageControl1->currentIndex(), 1);
        d.DelBtns[0]->click();
        d.DelBtns[0]->click();
        QVERIFY(d.NoAppLabel->isVisibleTo(&d));
        QVERIFY(!d.PageControl1->isVisibleTo(&d));
        d.reject();
    }

    void modification_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<bool>("attendue");
        QTest::newRow("rien") << "rien" << false;
        QTest::newRow("port seul") << "port" << true;
        QTest::newRow("même port recliqué") << "meme port" << false;
        QTest::newRow("ordre") << "ordre" << true;
        QTest::newRow("retiré puis remis") << "remis" << false;
        QTest::newRow("une voie de moins") << "moins" << true;
    }
    void modification() {
        QFETCH(QString, cas);
        QFETCH(bool, attendue);
        Ports ports{3, 5};
        Tappareil* a = appareil(polystat);
        Tappareil* b = appareil(bausch);
        a->ComNumber = 3;
        b->ComNumber = 3;
        Choix c;
        c.voies({a, b});
        TChoixAppDlg& d = c.dlg;
        d.show();
        QCOMPARE(d.ListeLoc, QStringList({polystat, bausch}));
        QCOMPARE(d.GrandeurGroupe->checkedButton()->text(), a->nomGrandeur);
        if (cas == "port") cliquePort(d, 1, 5);
        if (cas == "meme port") cliquePort(d, 1, 3);
        if (cas == "ordre") {
            d.DelBtns[0]->click();
            ajoute(d, polystat);
        }
        if (cas == "remis") {
            d.DelBtns[1]->click();
            ajoute(d, bausch);
        }
        if (cas == "moins") d.DelBtns[1]->click();
        d.OKBtn->click();
        QCOMPARE(d.modification, attendue);
        QCOMPARE(b->ComNumber, quint16(cas == "port" ? 5 : 3));
        if (cas == "ordre") QVERIFY(c.AppareilAcq[0] == b && c.AppareilAcq[1] == a);
        QCOMPARE(c.NbreVoies, cas == "moins" ? 1 : 2);

        // A port changed then cancelled: nothing changes, not even the description.
        d.show();
        cliquePort(d, int(d.ListeLoc.indexOf(polystat)), 5);
        QCOMPARE(a->ComNumber, quint16(5));
        d.reject();
        QCOMPARE(a->ComNumber, quint16(3));
        QVERIFY(!d.modification);
    }

    // The recent list: unknown names ignored, a chosen name not added twice, and no more than
    // nine instruments whichever way they are asked for.
    void listeRecenteEtLimite() {
        Ports ports{1};
        Choix c;
        c.Old = {QStringLiteral("Appareil disparu"), cecil, consort};
        TChoixAppDlg& d = c.dlg;
        d.show();
        QVERIFY(d.oldGB->isVisibleTo(&d));
        QCOMPARE(entrees(d.ListeOld), QStringList({"Choisir un appareil en déroulant la liste",
                                                   "Appareil disparu", cecil, consort}));
        QCOMPARE(d.ListeOld->currentIndex(), 0);
        for (int i : {0, 1, 2, 2}) {
            d.ListeOld->setCurrentIndex(i);
            d.ListeOldClick();
        }
        QCOMPARE(d.ListeLoc, QStringList{cecil});
        QVERIFY(reponses_->vus.isEmpty());

        reponses_->reponses = QList<bool>(20, true);
        for (int k = 0; k < 8; ++k)
            ajoute(d, polystat);
        QCOMPARE(d.ListeLoc.size(), 9);
        QVERIFY(!d.AddBtn->isEnabled());
        QVERIFY(d.PageControl1->isTabVisible(8));
        const int questions = int(reponses_->vus.size());
        d.AddBtnClick();
        d.ListeAppareilCombo->setCurrentIndex(1);
        d.ListeAppareilComboClick();
        d.ListeOld->setCurrentIndex(3);
        d.ListeOldClick();
        QCOMPARE(d.ListeLoc.size(), 9);
        QCOMPARE(reponses_->vus.size(), questions);
        d.DelBtns[0]->click();
        QVERIFY(d.AddBtn->isEnabled());
        d.ListeOldClick();
        QCOMPARE(d.ListeLoc.size(), 9);
        QCOMPARE(d.ListeLoc.last(), consort);
        d.OKBtn->click();
        QCOMPARE(c.NbreVoies, 9);

        c.recente = false;
        d.show();
        QVERIFY(!d.oldGB->isVisibleTo(&d));
        d.reject();
    }

    // Browsing the lists with the arrow keys or the wheel adds nothing; Enter and a click in the
    // open list add the entry chosen, once.
    void choixExplicite() {
        Ports ports{1};
        Choix c;
        c.Old = {cecil, consort};
        TChoixAppDlg& d = c.dlg;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        ajoute(d, consort);
        d.DelBtns[0]->click();
        TListeChoix* liste = d.ListeAppareilCombo;
        QVERIFY(liste->count() > 3);
        const int dernier = liste->count() - 1;
        for (TListeChoix* l : {liste, d.ListeOld}) {
            l->setFocus();
            for (auto touche : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Up, Qt::Key_Home})
                QTest::keyClick(l, touche);
            QWheelEvent roue(QPointF(5, 5), l->mapToGlobal(QPointF(5, 5)), QPoint(),
                             QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                             false);
            QApplication::sendEvent(l, &roue);
            QCOMPARE(l->currentIndex(), 1);
        }
        QCOMPARE(d.ListeLoc, QStringList());

        liste->setCurrentIndex(dernier);
        QTest::keyClick(liste, Qt::Key_Return);
        QTest::keyClick(d.ListeOld, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(d.ListeLoc, QStringList({liste->itemText(dernier), cecil}));

        liste->showPopup();
        QAbstractItemView* vue = liste->view();
        QTRY_VERIFY(vue->isVisible());
        const QRect deuxieme = vue->visualRect(vue->model()->index(2, 0));
        QTest::mouseMove(vue->viewport(), deuxieme.center());
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, deuxieme.center());
        QTRY_VERIFY(!vue->isVisible());
        QCOMPARE(d.ListeLoc.size(), 3);
        QCOMPARE(d.ListeLoc.last(), liste->itemText(2));
        d.reject();
    }

    // From the window: two catalogue instruments on two played ports, OK, and the acquisition
    // is ready: the channels are bound and a time-base cycle records a sample.
    void ajoutDepuisLaFenetre() {
        InstrumentSimule bain(
            3, [](int k, const QByteArray&) { return QByteArray::number(20 + k, 'f', 2) + "\r"; });
        InstrumentSimule spectro(5, [](int k, const QByteArray&) {
            return "1.000 " + QByteArray::number(0.5 + k / 100.0, 'f', 3) + "\r\n";
        });
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QCOMPARE(f.acq().EtatAcq, eaNone);

        QTimer::singleShot(0, &f, [&f] {
            TChoixAppDlg* d = f.ChoixAppDlg_;
            if (!d || !d->isVisible()) return;
            ajoute(*d, polystat);
            ajoute(*d, bausch);
            cliquePort(*d, 1, 5);
            d->OKBtn->click();
        });
        f.AjouterBtn->click();
        QVERIFY(f.ChoixAppDlg_);
        QCOMPARE(f.ChoixAppDlg_->parent(), &f);
        QCOMPARE(f.ChoixAppDlg_->windowTitle(),
                 QStringLiteral("Sélection des appareils à sortie Telmira"));
        QCOMPARE(f.graphe.NbreVoies, 2);
        Tappareil* A = f.acq().AppareilAcq[0];
        Tappareil* B = f.acq().AppareilAcq[1];
        QCOMPARE(A, appareil(polystat));
        QCOMPARE(B, appareil(bausch));
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(A->VoieSerieOK && B->VoieSerieOK);
        QCOMPARE(A->VoieSerie->ComNumber(), quint16(3));
        QCOMPARE(B->VoieSerie->ComNumber(), quint16(5));
        QCOMPARE(f.groupBoxs[1]->title(), bausch);
        QObject::disconnect(&f.acq().Timer, nullptr, &f.acq(), nullptr);

        QVERIFY(banc.tick(2000, [&] { return B->ValeurCourante == 0.51; }));
        QCOMPARE(A->ValeurCourante, 21.0);
        f.EnregistreBtnClick();
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        QVERIFY(banc.tick(2000, [&] { return f.graphe.NbrePoints == 2; }));
        QCOMPARE(f.graphe.mondeY[0].valeur[1], 23.0);
        QCOMPARE(f.graphe.mondeY[1].valeur[1], 0.53);
        QVERIFY(!f.acq().dataSaved);

        // Unsaved samples: "No" keeps everything and shows no dialog.
        banc.dialogues_->reponses = {false};
        f.AjouterBtn->click();
        QCOMPARE(banc.dialogues_->vus.last(), QStringLiteral("Perte des données courantes ?"));
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
        QCOMPARE(f.graphe.NbrePoints, 2);

        // "Yes" then the dialog left unchanged: the acquisition goes on as it was.
        banc.dialogues_->reponses = {true};
        bool vu = false;
        QTimer::singleShot(0, &f, [&f, &vu] {
            TChoixAppDlg* d = f.ChoixAppDlg_;
            if (!d || !d->isVisible()) return;
            vu = d->ListeLoc == QStringList({polystat, bausch}) && f.acq().EtatAcq == eaNone;
            d->OKBtn->click();
        });
        f.AjouterBtn->click();
        QVERIFY(vu);
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
        QCOMPARE(f.graphe.NbrePoints, 2);

        // A port change restarts the set-up on the new port.
        InstrumentSimule autre(4, [](int, const QByteArray&) { return QByteArray("30.00\r"); });
        banc.dialogues_->reponses = {true};
        QTimer::singleShot(0, &f, [&f] {
            TChoixAppDlg* d = f.ChoixAppDlg_;
            if (!d || !d->isVisible()) return;
            cliquePort(*d, 0, 4);
            d->OKBtn->click();
        });
        f.AjouterBtn->click();
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QCOMPARE(f.graphe.NbrePoints, 0);
        QCOMPARE(A->VoieSerie->ComNumber(), quint16(4));
        QVERIFY(banc.tick(2000, [&] { return A->ValeurCourante == 30.0; }));
    }
};

QTEST_MAIN(TstChoixApp)
#include "tst_choixapp.moc"
