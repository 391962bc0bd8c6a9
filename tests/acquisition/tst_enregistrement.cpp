// Recording of samples and the acquisition commands, against an instrument on a
// pseudo-terminal.
#include "../commun/bancfenetre.h"

#include "app/utilitaires.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

namespace {
QByteArray nombre(double x) {
    return QByteArray::number(x, 'f', 2);
}

QString cellule(const QTableWidget* g, int ligne, int colonne) {
    const QTableWidgetItem* c = g->item(ligne, colonne);
    return c ? c->text() : QString();
}
} // namespace

class TstEnregistrement : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

    // One instrument answering k / 10 to its k-th request, on COM1, read by the main window or
    // by the engine alone.
    template <class T = TCinetiqueMain> struct Montage {
        InstrumentSimule instrument{
            1, [](int k, const QByteArray&) { return nombre(k / 10.0) + "\r"; }};
        std::unique_ptr<Tappareil> a = appareilSurDemande(1, "A\r");
        BancAcquisition<T> banc;
        T& f = *banc.fenetre;

        explicit Montage(TModeAcq mode) { banc.prepare({a.get()}, mode); }
        // One polling cycle, answered.
        bool lecture() {
            const int k = instrument.demandes + 1;
            return banc.tick(1000, [&] { return instrument.demandes == k && banc.a().Reponse; });
        }
    };

private Q_SLOTS:
    void initTestCase() { reglagesPrives(reglages_); }

    // On demand: each "Acquérir" records the current values at abscissa 0, 1, 2 ...
    void surDemande() {
        Montage m(maIncrement);
        TCinetiqueMain& f = m.f;
        QCOMPARE(f.acq().EtatAcq, eaIncrement);
        QCOMPARE(f.graphe.mondeX.Nom, QStringLiteral("num"));
        for (int i = 0; i < 5; ++i) {
            QVERIFY(m.lecture());
            f.EnregistreBtnClick();
            QCOMPARE(f.graphe.NbrePoints, i + 1);
            QCOMPARE(f.graphe.mondeX.valeur[i], double(i));
            QCOMPARE(f.graphe.mondeY[0].valeur[i], (i + 1) / 10.0);
            QCOMPARE(f.PanelDuree->text(), QString::number(i + 1));
        }
        QVERIFY(f.UndoBtn->isEnabled());
        QVERIFY(f.ResetBtn->isEnabled());
        QVERIFY(f.EnregistreNouveauFichierItem->isEnabled());
        QCOMPARE(cellule(f.Grid, 6, 1), QStringLiteral("0.5"));

        f.UndoBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 4);
        QCOMPARE(cellule(f.Grid, 6, 0), QString());
        QCOMPARE(cellule(f.Grid, 6, 1), QString());
        QCOMPARE(cellule(f.Grid, 5, 1), QStringLiteral("0.4"));
        // The next sample takes the freed place.
        QVERIFY(m.lecture());
        f.EnregistreBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 5);
        QCOMPARE(f.graphe.mondeY[0].valeur[4], 0.6);

        // RàZ from three samples on asks first.
        m.banc.dialogues_->reponses = {false};
        f.ResetBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 5);
        QCOMPARE(m.banc.dialogues_->vus.last(),
                 QStringLiteral("Suppression de toutes les données"));
        m.banc.dialogues_->reponses = {true};
        f.ResetBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 0);
        QCOMPARE(f.acq().EtatAcq, eaIncrement);
        QCOMPARE(cellule(f.Grid, 2, 1), QString());
        QCOMPARE(f.Grid->rowCount(), 16);

        // Two samples go without a question.
        f.EnregistreBtnClick();
        f.EnregistreBtnClick();
        const qsizetype questions = m.banc.dialogues_->vus.size();
        f.ResetBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 0);
        QCOMPARE(m.banc.dialogues_->vus.size(), questions);
    }

    // The space bar acts as "Acquérir", except in an edit box.
    void barreEspace() {
        Montage m(maIncrement);
        TCinetiqueMain& f = m.f;
        QVERIFY(m.lecture());
        f.show();
        QApplication::setActiveWindow(&f);
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.EnregistreBtn->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(f.graphe.NbrePoints, 1);
        f.DureeEdit->setFocus();
        QTest::keyClick(f.DureeEdit, Qt::Key_Space);
        QCOMPARE(f.graphe.NbrePoints, 1);
    }

    void repere() {
        Montage m(maIncrement);
        m.banc.horloge_->avance(2500);
        m.banc.dialogues_->saisies = {QStringLiteral("ajout de base")};
        m.f.ToolButton3Click();
        QCOMPARE(m.f.graphe.ListeRepere.size(), 1);
        QCOMPARE(m.f.graphe.ListeRepere[0].Text, QStringLiteral("ajout de base"));
        QVERIFY(m.f.graphe.ListeRepere[0].Valeur >= 2.5);
        m.f.ToolButton3Click(); // cancelled: an empty text
        QCOMPARE(m.f.graphe.ListeRepere[1].Text, QString());
    }

    void clavier_data() {
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QList<bool>>("reponses");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("enregistre");
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::newRow("virgule") << "2,5" << QList<bool>{} << QString() << true << 0.0 << 10.0;
        QTest::newRow("point") << "2.5" << QList<bool>{} << QString() << true << 0.0 << 10.0;
        QTest::newRow("mal écrit")
            << "2,5,1" << QList<bool>{} << "Nombre mal écrit" << false << 0.0 << 10.0;
        QTest::newRow("au-dessus oui") << "12" << QList<bool>{true}
                                       << "12 > maxi=10\r\nVous confirmez ?" << true << 0.0 << 13.0;
        QTest::newRow("au-dessus non")
            << "12" << QList<bool>{false} << "12 > maxi=10\r\nVous confirmez ?" << false << 0.0
            << 10.0;
        QTest::newRow("au-dessous oui")
            << "-3" << QList<bool>{true} << "-3 < mini=0\r\nVous confirmez ?" << true << -4.0
            << 10.0;
    }
    // The keyboard gives the abscissa, the instrument the ordinate.
    void clavier() {
        QFETCH(QString, saisie);
        QFETCH(QList<bool>, reponses);
        QFETCH(QString, question);
        QFETCH(bool, enregistre);
        InstrumentSimule un(1, [](int, const QByteArray&) { return QByteArray("6.5\r"); });
        auto a = appareilSurDemande(1, "A\r");
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        // As the mode dialog leaves it.
        f.graphe.mondeX.Nom = QStringLiteral("V");
        f.graphe.mondeX.Unite = QStringLiteral("mL");
        f.graphe.mondeX.SetMinMax(0, 10);
        banc.prepare({a.get()}, maClavier);
        QCOMPARE(f.acq().EtatAcq, eaClavier);
        QCOMPARE(f.graphe.mondeX.mini, 0.0);
        QCOMPARE(f.graphe.mondeX.maxi, 10.0);
        QCOMPARE(f.ClavierGB->title(), QStringLiteral("Clavier=V/mL"));
        QVERIFY(!f.ClavierGB->isHidden());
        QVERIFY(banc.tick(1000, [&] { return a->ValeurCourante == 6.5; }));

        banc.dialogues_->reponses = reponses;
        f.ClavierEdit->setText(saisie);
        f.ValideClavierBtnClick();
        if (question.isEmpty())
            QVERIFY(banc.dialogues_->vus.isEmpty());
        else
            QCOMPARE(banc.dialogues_->vus, QStringList{question});
        QCOMPARE(f.graphe.NbrePoints, enregistre ? 1 : 0);
        QTEST(f.graphe.mondeX.mini, "mini");
        QTEST(f.graphe.mondeX.maxi, "maxi");
        if (enregistre) {
            QCOMPARE(f.graphe.mondeX.valeur[0], LitNombre(saisie));
            QCOMPARE(f.graphe.mondeY[0].valeur[0], 6.5);
            QCOMPARE(f.ClavierEdit->text(), QString());
            QVERIFY(f.UndoBtn->isEnabled());
        } else {
            QCOMPARE(f.ClavierEdit->text(), saisie);
        }
    }

    void caracteresClavier() {
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        for (QChar c : QStringLiteral("0123456789+-,.eE%'"))
            QVERIFY2(f.ClavierEditKeyPress(c), qPrintable(QString(c)));
        QVERIFY(f.ClavierEditKeyPress(QChar(8)));
        for (QChar c : QStringLiteral("a xV/;"))
            QVERIFY2(!f.ClavierEditKeyPress(c), qPrintable(QString(c)));
        f.ClavierEdit->clear();
        QTest::keyClicks(f.ClavierEdit, QStringLiteral("1a2,5 x"));
        QCOMPARE(f.ClavierEdit->text(), QStringLiteral("12,5"));
    }

    // 2048 entries fill the store; more are refused without touching it.
    void clavierPlein() {
        Montage m(maClavier);
        TCinetiqueMain& f = m.f;
        f.graphe.mondeX.SetMinMax(0, 5000);
        QVERIFY(m.lecture());
        for (int i = 0; i < 2048; ++i) {
            f.ClavierEdit->setText(QString::number(i));
            f.ValideClavierBtnClick();
        }
        QCOMPARE(f.graphe.NbrePoints, 2048);
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QVERIFY(m.banc.dialogues_->vus.isEmpty());
        f.EnregistreBtnClick();
        QCOMPARE(f.acq().EtatAcq, eaClavier);
        const double dernier = f.graphe.mondeX.valeur[2048];
        f.ClavierEdit->setText(QStringLiteral("4999"));
        f.ValideClavierBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 2048);
        QCOMPARE(f.graphe.mondeX.valeur[2048], dernier);
        QCOMPARE(m.banc.dialogues_->vus.size(), 1);
    }

    // On demand, the store ends the acquisition at 2048 samples.
    void surDemandePlein() {
        Montage m(maIncrement);
        TCinetiqueMain& f = m.f;
        QVERIFY(m.lecture());
        for (int i = 0; i < 2100; ++i)
            f.EnregistreBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 2048);
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QCOMPARE(f.graphe.mondeX.valeur[2047], 2047.0);
    }

    // A time base of 2048 intervals: 2049 samples at most, the acquisition ends inside the
    // store even when the last planned sample comes early.
    void baseDeTempsComplete_data() {
        QTest::addColumn<int>("decalageMs");
        QTest::newRow("à l'heure") << 0;
        // Every cycle completes 0.4 s before a whole second: the rounded time reaches the
        // last planned instant before the duration has elapsed.
        QTest::newRow("en avance") << -400;
    }
    void baseDeTempsComplete() {
        QFETCH(int, decalageMs);
        Montage m(maTemps);
        TCinetiqueMain& f = m.f;
        m.a->ValMaxi = 1E6;
        f.acq().DureeMesure = 2048;
        QCOMPARE(f.acq().DeltatMesure, quint16(1));
        f.EnregistreBtnClick();
        QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        m.banc.horloge_->avance(decalageMs);
        int cycles = 0;
        while (f.acq().EtatAcq == eaEnCours && cycles < 2200) {
            QVERIFY(m.banc.tick(1000, [&] {
                return m.instrument.demandes == cycles + 2 && f.acq().Reponse &&
                       f.acq().VoieCourante == 0;
            }));
            ++cycles;
        }
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QCOMPARE(f.graphe.NbrePoints, 2049);
        if (decalageMs < 0) QVERIFY(EcartSecondes(heureDuJour(), f.acq().InstantDebut) < 2048);
        QVERIFY(m.banc.dialogues_->vus.isEmpty());
        QCOMPARE(f.graphe.mondeX.valeur[f.graphe.NbrePoints - 1] >= 2047, true);
        // Nothing more once it has ended.
        const int n = f.graphe.NbrePoints;
        f.acq().TimerTimer();
        banc::laisse(30);
        QCOMPARE(f.graphe.NbrePoints, n);
        QVERIFY(f.EnregistreNouveauFichierItem->isEnabled());
    }

    // The backup table beside the program, after 10 samples: header and samples 0..8.
    void secours() {
        Montage m(maTemps);
        TCinetiqueMain& f = m.f;
        f.EnregistreBtnClick();
        QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int s = 2; s <= 10; ++s) {
            QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == s; }));
            QCOMPARE(f.acq().NbrePointsSauves, s / 3 * 3);
        }
        QFile fichier(m.banc.fichierSecours());
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        QByteArray attendu = "Appareils Telmira 2.50 01/02/2011\r\nt\tpH\r\ns\t\r\n";
        for (int i = 0; i < 9; ++i)
            attendu += QByteArray::number(i) + '\t' + QByteArray::number((i + 1) / 10.0) + "\r\n";
        QCOMPARE(fichier.readAll(), attendu);
        // No temporary file is left beside it.
        QCOMPARE(QDir(QFileInfo(m.banc.fichierSecours()).path()).entryList(QDir::Files).size(), 1);

        // The end of the run writes the last rows; taking samples back rewrites the table.
        f.StopBtnClick();
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QCOMPARE(f.acq().NbrePointsSauves, 10);
        f.UndoBtnClick();
        f.UndoBtnClick();
        QCOMPARE(f.acq().NbrePointsSauves, 8);
        fichier.close();
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        attendu.chop(attendu.size() - attendu.indexOf("8\t0.9\r\n"));
        QCOMPARE(fichier.readAll(), attendu);
    }

    void secoursSuitLesEchantillons_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("à la demande") << int(maIncrement);
        QTest::newRow("clavier") << int(maClavier);
        QTest::newRow("base de temps") << int(maTemps);
    }
    // Samples taken back past the rows already saved, or cleared before a new run: the backup
    // table holds its header and the samples recorded now, nothing older.
    void secoursSuitLesEchantillons() {
        QFETCH(int, mode);
        Montage<TAcquisition> m{TModeAcq(mode)};
        TAcquisition& a = m.f;
        a.graphe.mondeX.SetMinMax(0, 100);
        int saisie = 0;
        const auto echantillon = [&] {
            const int n = a.graphe.NbrePoints;
            if (mode == maTemps && a.EtatAcq == eaEnCours)
                return m.banc.tick(1000, [&] { return a.graphe.NbrePoints == n + 1; });
            if (mode == maTemps) {
                a.Acquerir();
                return m.banc.attend([&] { return a.graphe.NbrePoints == n + 1; });
            }
            if (!m.lecture()) return false;
            if (mode == maIncrement)
                a.Acquerir();
            else
                a.ValideClavier(QString::number(++saisie));
            return a.graphe.NbrePoints == n + 1;
        };
        const auto table = [&] {
            const Tmonde& X = a.graphe.mondeX;
            QByteArray t = "Appareils Telmira 2.50 01/02/2011\r\n" + X.Nom.toLatin1() + "\tpH\r\n" +
                           X.Unite.toLatin1() + "\t\r\n";
            for (int i = 0; i < a.graphe.NbrePoints; ++i)
                t += FormatNombre(X.valeur[i]).toLatin1() + '\t' +
                     FormatNombre(a.graphe.mondeY[0].valeur[i]).toLatin1() + "\r\n";
            return t;
        };
        const auto fichier = [&] {
            QFile f(m.banc.fichierSecours());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };

        for (int i = 0; i < 7; ++i)
            QVERIFY(echantillon());
        if (mode == maTemps) {
            a.Stop();
        } else {
            for (int i = 0; i < 3; ++i)
                a.Defaire();
            QCOMPARE(a.graphe.NbrePoints, 4);
            QCOMPARE(fichier(), table());
        }
        m.banc.dialogues_->reponses = {true};
        QVERIFY(a.RaZ());
        for (int i = 0; i < 3; ++i)
            QVERIFY(echantillon());
        QCOMPARE(fichier(), table());
    }

    // A table that cannot be written: told once, the acquisition goes on, written later.
    // A link planted in the table's place is never written through: that counts as a failure.
    void secoursEnEchec_data() {
        QTest::addColumn<bool>("lien");
        QTest::newRow("dossier absent") << false;
        QTest::newRow("lien") << true;
    }
    void secoursEnEchec() {
        QFETCH(bool, lien);
        Montage m(maTemps);
        TCinetiqueMain& f = m.f;
        const QString bon = f.acq().NomFichierSauvegarde;
        QTemporaryDir dossier;
        const QString cible = dossier.filePath(QStringLiteral("cible"));
        const QString mauvais = lien ? dossier.filePath(QStringLiteral("secours.txt"))
                                     : QStringLiteral("/proc/absent/secours.txt");
        if (lien) {
            QFile c(cible);
            QVERIFY(c.open(QIODevice::WriteOnly));
            c.write("à garder");
            c.close();
            QVERIFY(QFile::link(cible, mauvais));
        }
        f.acq().NomFichierSauvegarde = mauvais;
        f.EnregistreBtnClick();
        QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int s = 2; s <= 7; ++s)
            QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == s; }));
        QCOMPARE(m.banc.dialogues_->vus,
                 QStringList{QStringLiteral("Erreur d'écriture de ") + mauvais});
        QCOMPARE(f.acq().NbrePointsSauves, 0);
        if (lien) {
            QFile c(cible);
            QVERIFY(c.open(QIODevice::ReadOnly));
            QCOMPARE(c.readAll(), QByteArray("à garder"));
        }
        f.acq().NomFichierSauvegarde = bon;
        QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == 8; }));
        QCOMPARE(f.acq().NbrePointsSauves, 8);
        QFile fichier(bon);
        QVERIFY(fichier.open(QIODevice::ReadOnly));
        QCOMPARE(fichier.readAll().count('\n'), 3 + 8);
    }

    // Stop ends with three samples and more; below, it empties the store without asking.
    void stop() {
        Montage m(maTemps);
        TCinetiqueMain& f = m.f;
        f.EnregistreBtnClick();
        QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == 2; }));
        f.StopBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 0);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(m.banc.dialogues_->vus.isEmpty());
        f.EnregistreBtnClick();
        QVERIFY(m.banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int s = 2; s <= 3; ++s)
            QVERIFY(m.banc.tick(1000, [&] { return f.graphe.NbrePoints == s; }));
        f.StopBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 3);
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QVERIFY(!f.EnregistreBtn->isEnabled());
        // "RàZ", confirmed: nothing is left to save, quitting asks nothing more.
        m.banc.dialogues_->reponses = {true};
        f.ResetBtnClick();
        QCOMPARE(f.graphe.NbrePoints, 0);
        f.show();
        QVERIFY(f.close());
        QCOMPARE(m.banc.dialogues_->vus,
                 QStringList{QStringLiteral("Suppression de toutes les données")});
    }

    // While waiting for "Acquérir", the crosses show where the current values lie; a duration
    // typed and not validated counts when a button is pressed next.
    void enAttente() {
        Montage m(maTemps);
        TCinetiqueMain& f = m.f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(m.lecture());
        QTRY_VERIFY(f.graphe.mondeY[0].PosCurseur >= 0);
        QCOMPARE(f.graphe.mondeX.PosCurseur, f.graphe.mondeX.PosWindow(0));
        f.DureeEdit->setFocus();
        f.DureeEdit->selectAll();
        QTest::keyClicks(f.DureeEdit, QStringLiteral("0:05:00"));
        f.DureeSBUp->click();
        QCOMPARE(f.acq().DureeMesure, 6 * 60);
    }

    // Without any channel, the commands do nothing.
    void sansVoie() {
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        banc.prepare({}, maTemps);
        QCOMPARE(f.acq().EtatAcq, eaNone);
        f.EnregistreBtnClick();
        f.acq().TimerTimer();
        QCOMPARE(f.acq().EtatAcq, eaNone);
        QCOMPARE(f.graphe.NbrePoints, 0);
    }
};

QTEST_MAIN(TstEnregistrement)
#include "tst_enregistrement.moc"
