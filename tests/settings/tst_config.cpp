// Set-up files saved and loaded by a real window, its channels bound to pseudo-terminals.
#include "../commun/bancfenetre.h"

#include "app/cp1252.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"
#include "settings/reglages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLocale>
#include <QSpinBox>
#include <QToolButton>
#include <unistd.h>

namespace {
QByteArray lit(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(octets);
}
QByteArray reponse(double x) {
    return QByteArray::number(x, 'f', 2) + '\r';
}
} // namespace

class TstConfig : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;
    std::unique_ptr<QTemporaryDir> dossier_;
    std::unique_ptr<TModuleAppareils> ancienModule_;
    Tappareil* ph_ = nullptr;
    Tappareil* temp_ = nullptr;

    [[nodiscard]] QString chemin(const QString& nom) const { return dossier_->filePath(nom); }

private Q_SLOTS:
    void initTestCase() { reglagesPrives(reglages_); }

    // A private device list of two polled instruments, rebuilt for every test.
    void init() {
        dossier_ = std::make_unique<QTemporaryDir>();
        auto module = std::make_unique<TModuleAppareils>(chemin(QStringLiteral("appareils.ini")));
        module->listeAppareil.Add(appareilSurDemande(1, "A\r"));
        auto t = appareilSurDemande(2, "T\r", QStringLiteral("σ"));
        t->NomAppareil = QStringLiteral("Essai Température");
        t->nomGrandeur = QStringLiteral("conductivité");
        t->ValMini = -10;
        t->ValMaxi = 12.5;
        module->listeAppareil.Add(std::move(t));
        ph_ = module->listeAppareil[0];
        temp_ = module->listeAppareil[1];
        auto ancien = installeModuleAppareils(std::move(module));
        if (!ancienModule_) ancienModule_ = std::move(ancien);
        QLocale::setDefault(QLocale::c());
    }
    void cleanupTestCase() { installeModuleAppareils(std::move(ancienModule_)); }

    void allerRetour_data() {
        QTest::addColumn<QLocale>("ecriture");
        QTest::addColumn<QLocale>("lecture");
        QTest::addColumn<QByteArray>("maxi");
        QTest::newRow("virgule puis point")
            << QLocale(QLocale::French) << QLocale::c() << QByteArray("Maxi=12,5\r\n");
        QTest::newRow("point puis virgule")
            << QLocale::c() << QLocale(QLocale::French) << QByteArray("Maxi=12.5\r\n");
    }
    // Two channels on two ports come back in a fresh window, bound and ready to acquire.
    void allerRetour() {
        QFETCH(QLocale, ecriture);
        QFETCH(QLocale, lecture);
        QFETCH(QByteArray, maxi);
        InstrumentSimule un(1, [](int k, const QByteArray&) { return reponse(7 + k / 10.0); });
        InstrumentSimule deux(2, [](int k, const QByteArray&) { return reponse(k); });
        {
            QLocale::setDefault(ecriture);
            BancAcquisition<TCinetiqueMain> banc;
            TCinetiqueMain& f = *banc.fenetre;
            f.acq().DeltatMesure = 2;
            f.acq().DureeMesure = 300;
            f.acq().CodeBeep = 2;
            banc.prepare({ph_, temp_}, maTemps);
            QVERIFY(f.acq().SauveConfig(chemin(QStringLiteral("essai"))));
        }
        const QByteArray octets = lit(chemin(QStringLiteral("essai.tm2")));
        QVERIFY(
            octets.startsWith("[Acquisition]\r\nDeltat=2\r\nDuree=300\r\nNvoies=2\r\nMode=0\r\n"
                              "Nom0=Essai pH\r\nCOM0=1\r\nNom1=Essai Temp\xe9rature\r\nCOM1=2\r\n"
                              "\r\n[Balayage]\r\nBeep=2\r\nAbscisse=0\r\n"));
        QVERIFY(octets.contains(maxi));
        QVERIFY(octets.indexOf("[Essai pH]") < octets.indexOf("[Essai Temp\xe9rature]"));
        QVERIFY(!octets.contains("[Clavier]"));

        // The file's descriptions replace what the list holds meanwhile.
        temp_->ValMaxi = 99;
        ph_->ComNumber = 7;
        QLocale::setDefault(lecture);
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("essai.txt"))));
        QObject::disconnect(&f.acq().Timer, nullptr, &f.acq(), nullptr);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QCOMPARE(f.graphe.NbreVoies, 2);
        QCOMPARE(f.acq().AppareilAcq[0], ph_);
        QCOMPARE(f.acq().AppareilAcq[1], temp_);
        QCOMPARE(temp_->ValMaxi, 12.5);
        QCOMPARE(temp_->ValMini, -10.0);
        // The code page has no σ: it comes back as the device file gives it back.
        QCOMPARE(temp_->SymboleGrandeur, QStringLiteral("σ"));
        QCOMPARE(f.acq().DeltatMesure, quint16(2));
        QCOMPARE(f.acq().DureeMesure, 300);
        QCOMPARE(f.acq().CodeBeep, 2);
        QVERIFY(!f.acq().PagePermise);
        QVERIFY(ph_->VoieSerieOK && temp_->VoieSerieOK);
        QCOMPARE(ph_->VoieSerie->ComNumber(), quint16(1));
        QCOMPARE(temp_->VoieSerie->ComNumber(), quint16(2));
        QCOMPARE(f.groupBoxs[1]->title(), QStringLiteral("Essai Température"));
        QVERIFY(banc.tick(1000, [&] { return temp_->ValeurCourante == 1.0; }));
        QCOMPARE(ph_->ValeurCourante, 7.1);
        f.EnregistreBtnClick();
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
    }

    // One description serves two channels: one section, and the same description back.
    void sectionPartagee() {
        {
            BancAcquisition<TCinetiqueMain> banc;
            banc.prepare({ph_, ph_}, maTemps);
            QVERIFY(banc.fenetre->acq().SauveConfig(chemin(QStringLiteral("double.tm2"))));
        }
        const QByteArray octets = lit(chemin(QStringLiteral("double.tm2")));
        QCOMPARE(octets.count("[Essai pH]"), 1);
        QVERIFY(octets.contains("Nom1=Essai pH\r\n"));
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("double.tm2"))));
        QCOMPARE(f.graphe.NbreVoies, 2);
        QCOMPARE(f.acq().AppareilAcq[0], ph_);
        QCOMPARE(f.acq().AppareilAcq[1], ph_);
    }

    // Hand-written files: a shared "Nom", a name without its section, a foreign name over a
    // channel in use, and the channels' delays.
    void fichiersEcritsAlaMain() {
        ecrit(chemin(QStringLiteral("nom.tm2")),
              "[Acquisition]\r\nNvoies=2\r\nNom=Essai pH\r\nCOM1=3\r\n");
        InstrumentSimule trois(3, [](int, const QByteArray&) { return reponse(7); });
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        ph_->Precision = 3;
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("nom.tm2"))));
        QCOMPARE(f.graphe.NbreVoies, 2);
        QCOMPARE(f.acq().AppareilAcq[0], ph_);
        QCOMPARE(f.acq().AppareilAcq[1], ph_);
        // No section: the description at hand stays as it was; the last channel's port wins.
        QCOMPARE(ph_->Precision, 3);
        QCOMPARE(ph_->ComNumber, quint16(3));
        QCOMPARE(f.acq().DeltatMesure, quint16(1));
        QCOMPARE(f.acq().DureeMesure, 128);

        ecrit(chemin(QStringLiteral("autre.tm2")),
              "[Acquisition]\r\nNvoies=1\r\nNom0=Inconnu\r\nCOM0=3\r\n[Inconnu]\r\nSymbole=X\r\n"
              "Delai=1500\r\n");
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("autre.tm2"))));
        QCOMPARE(f.acq().AppareilAcq[0], ph_);
        QCOMPARE(ph_->NomAppareil, QStringLiteral("Inconnu"));
        QCOMPARE(ph_->SymboleGrandeur, QStringLiteral("X"));
        QCOMPARE(ph_->ComNumber, quint16(3));
        QCOMPARE(f.acq().DeltatMin, quint16(2));

        ecrit(chemin(QStringLiteral("delais.tm2")),
              "[Acquisition]\r\nNvoies=2\r\nNom0=Inconnu\r\nNom1=Essai Temp\xe9rature\r\n"
              "Duree=600\r\n[Inconnu]\r\nDelai=1500\r\n[Essai Temp\xe9rature]\r\nDelai=600\r\n");
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("delais.tm2"))));
        QCOMPARE(f.acq().DeltatMin, quint16(3));
        QVERIFY(f.acq().DeltatMesure >= 3);
        QCOMPARE(f.DeltatSE->minimum(), 3);
    }

    // Writing over an older file keeps what it held: the old third channel stays unread.
    void clesPerimees() {
        ecrit(chemin(QStringLiteral("vieux.tm2")), "[Notes]\r\nauteur=moi\r\n");
        {
            BancAcquisition<TCinetiqueMain> banc;
            banc.prepare({ph_, temp_, ph_}, maTemps);
            QVERIFY(banc.fenetre->acq().SauveConfig(chemin(QStringLiteral("vieux.tm2"))));
            banc.prepare({temp_, ph_}, maIncrement);
            QVERIFY(banc.fenetre->acq().SauveConfig(chemin(QStringLiteral("vieux.tm2"))));
        }
        const TFichierIni ini(chemin(QStringLiteral("vieux.tm2")));
        QCOMPARE(ini.ReadSections().first(), QStringLiteral("Notes"));
        QCOMPARE(ini.ReadString(QStringLiteral("Notes"), QStringLiteral("auteur"), {}),
                 QStringLiteral("moi"));
        QCOMPARE(ini.ReadString(QStringLiteral("Acquisition"), QStringLiteral("Nom2"), {}),
                 QStringLiteral("Essai pH"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("Acquisition"), QStringLiteral("Nvoies"), 0), 2);
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("vieux.tm2"))));
        QCOMPARE(f.graphe.NbreVoies, 2);
        QCOMPARE(f.acq().ModeAcq, maIncrement);
        QCOMPARE(f.acq().EtatAcq, eaIncrement);
        QCOMPARE(f.acq().AppareilAcq[0], temp_);
        QVERIFY(!f.groupBoxs[2]->isVisibleTo(&f));
    }

    // The keyboard mode keeps its abscissa, in the user's decimal separator.
    void clavier() {
        QLocale::setDefault(QLocale(QLocale::French));
        {
            BancAcquisition<TCinetiqueMain> banc;
            TCinetiqueMain& f = *banc.fenetre;
            f.graphe.mondeX.Nom = QStringLiteral("V");
            f.graphe.mondeX.Unite = QStringLiteral("mL");
            f.graphe.mondeX.mini = 0.5;
            f.graphe.mondeX.maxi = 25.5;
            banc.prepare({ph_}, maClavier);
            QVERIFY(f.acq().SauveConfig(chemin(QStringLiteral("clavier.tm2"))));
        }
        const QByteArray octets = lit(chemin(QStringLiteral("clavier.tm2")));
        QVERIFY2(octets.contains("[Clavier]\r\nMini=0,5\r\nMaxi=25,5\r\nNom=V\r\nUnite=mL\r\n"),
                 octets.constData());
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QVERIFY(f.acq().LitConfig(chemin(QStringLiteral("clavier.tm2"))));
        QCOMPARE(f.acq().EtatAcq, eaClavier);
        QCOMPARE(f.graphe.mondeX.mini, 0.5);
        QCOMPARE(f.graphe.mondeX.maxi, 25.5);
        QCOMPARE(f.graphe.mondeX.Unite, QStringLiteral("mL"));
        QCOMPARE(f.ClavierGB->title(), QStringLiteral("Clavier=V/mL"));
    }

    void nomsDeFichier_data() {
        QTest::addColumn<QString>("donne");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("sans extension") << "/a/essai"
                                        << "/a/essai.tm2";
        QTest::newRow("txt") << "/a/essai.txt"
                             << "/a/essai.tm2";
        QTest::newRow("point dans le dossier") << "/a.b/essai"
                                               << "/a.b/essai.tm2";
        QTest::newRow("majuscules gardées") << "/a/ESSAI.TM2"
                                            << "/a/ESSAI.TM2";
        QTest::newRow("relatif") << "x.kw3"
                                 << "x.tm2";
    }
    void nomsDeFichier() {
        QFETCH(QString, donne);
        QFETCH(QString, attendu);
        QCOMPARE(TAcquisition::NomFichierConfig(donne), attendu);
    }

    // Nothing to load leaves everything as it was; a file that cannot be used stops at eaNone.
    void echecs() {
        InstrumentSimule un(1, [](int, const QByteArray&) { return reponse(7); });
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        QVERIFY(!f.acq().LitConfig(chemin(QStringLiteral("absent.tm2"))));
        QCOMPARE(f.acq().EtatAcq, eaNone);
        QVERIFY(banc.dialogues_->vus.isEmpty());

        banc.prepare({ph_}, maTemps);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(!f.acq().LitConfig(chemin(QStringLiteral("absent"))));
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(banc.dialogues_->vus.isEmpty());

        // Root reads any file: a device that fails its reads stands for the unreadable one.
        const QString illisible = chemin(QStringLiteral("illisible.tm2"));
        if (::geteuid() == 0) {
            QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), illisible));
        } else {
            ecrit(illisible, "[Acquisition]\r\nNom=Essai pH\r\n");
            QFile::setPermissions(illisible, {});
        }
        QVERIFY(!f.acq().LitConfig(illisible));
        QCOMPARE(f.acq().EtatAcq, eaNone);
        QVERIFY(!f.acq().Timer.isActive());
        QCOMPARE(banc.dialogues_->vus.value(0), QStringLiteral("Erreur lecture ") + illisible);

        QVERIFY(!f.acq().SauveConfig(chemin(QStringLiteral("absent/x"))));
        QCOMPARE(banc.dialogues_->vus.value(1),
                 QStringLiteral("Erreur écriture ") + chemin(QStringLiteral("absent/x.tm2")));

        // A fresh window has no instrument to fall back on.
        BancAcquisition<TCinetiqueMain> neuve;
        ecrit(chemin(QStringLiteral("inconnu.tm2")),
              "[Acquisition]\r\nNvoies=2\r\nNom0=Essai pH\r\nNom1=Inconnu\r\n[Inconnu]\r\n");
        QVERIFY(!neuve.fenetre->acq().LitConfig(chemin(QStringLiteral("inconnu.tm2"))));
        QCOMPARE(neuve.fenetre->acq().EtatAcq, eaNone);
        QCOMPARE(neuve.fenetre->graphe.NbreVoies, 1);
        QVERIFY(!neuve.fenetre->EnregistreBtn->isEnabled());
        QCOMPARE(neuve.dialogues_->vus.value(0),
                 QStringLiteral("Erreur lecture %1 : appareil inconnu « Inconnu »")
                     .arg(chemin(QStringLiteral("inconnu.tm2"))));
    }

    // The file menu, answered through the file boxes.
    void menus() {
        InstrumentSimule un(1, [](int, const QByteArray&) { return reponse(7); });
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        DialoguesScriptes& d = *banc.dialogues_;
        banc.prepare({ph_}, maTemps);
        d.fichiers << chemin(QStringLiteral("menu"));
        f.EnregistreConfigItem->trigger();
        QCOMPARE(d.vus, QStringList{QStringLiteral("Sauvegarde données")});
        QVERIFY(QFile::exists(chemin(QStringLiteral("menu.tm2"))));

        // Cancelling gives the readings back.
        f.ChargeConfigItem->trigger();
        QCOMPARE(d.vus.last(), QStringLiteral("Lecture configuration"));
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(f.EnregistreBtn->isEnabled());

        ecrit(chemin(QStringLiteral("t.tm2")),
              "[Acquisition]\r\nNom0=Essai Temp\xe9rature\r\nCOM0=1\r\n");
        // Unsaved samples are only dropped when the user says so.
        f.graphe.NbrePoints = 5;
        f.acq().dataSaved = false;
        d.fichiers << chemin(QStringLiteral("t.tm2"));
        f.ChargeConfigItem->trigger();
        QCOMPARE(d.vus.last(), QStringLiteral("Perte des données courantes ?"));
        QCOMPARE(f.acq().AppareilAcq[0], ph_);
        d.reponses << true;
        f.ChargeConfigItem->trigger();
        QCOMPARE(f.acq().AppareilAcq[0], temp_);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QCOMPARE(f.graphe.NbrePoints, 0);
    }

    // A second start hands its argument over: a tm2 file is loaded, anything else only waits
    // on the clipboard.
    void argumentRecu() {
        InstrumentSimule un(1, [](int, const QByteArray&) { return reponse(7); });
        ecrit(chemin(QStringLiteral("DEMO.TM2")), "[Acquisition]\r\nNom0=Essai pH\r\n");
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        f.ArgumentRecu(chemin(QStringLiteral("notes.txt")));
        QCOMPARE(f.acq().EtatAcq, eaNone);
        QCOMPARE(QGuiApplication::clipboard()->text(), chemin(QStringLiteral("notes.txt")));
        f.ArgumentRecu(chemin(QStringLiteral("DEMO.TM2")));
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QCOMPARE(f.acq().AppareilAcq[0], ph_);
        QVERIFY(ph_->VoieSerieOK);
        QCOMPARE(f.argumentTransmis, chemin(QStringLiteral("DEMO.TM2")));
        QVERIFY(banc.dialogues_->vus.isEmpty());
    }

    void optionTrace() {
        ouvreReglages()->remove(QStringLiteral("FichierTrace/Actif"));
        QVERIFY(TAcquisition::LitTraceActif());
        TAcquisition::EcritTraceActif(false);
        QCOMPARE(ouvreReglages()->value(QStringLiteral("FichierTrace/Actif")).toString(),
                 QStringLiteral("0"));
        QVERIFY(!TAcquisition::LitTraceActif());
        TAcquisition::EcritTraceActif(true);
        QVERIFY(TAcquisition::LitTraceActif());
    }
};

QTEST_MAIN(TstConfig)
#include "tst_config.moc"
