// The user's device file: saving, reading it back, damaged files and imports.
#include "app/dialogues.h"
#include "instruments/listeappareil.h"
#include "settings/fichierini.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void ecrit(const QString& chemin, const QByteArray& octets) {
    QFile f(chemin);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(octets);
}

QStringList noms(const TlisteAppareil& liste) {
    QStringList n;
    for (const auto& a : liste)
        n << a->NomAppareil;
    return n;
}
} // namespace

class TestFichierAppareil : public QObject {
    Q_OBJECT

    QTemporaryDir dossier;
    DialoguesScriptes* boites = nullptr;
    int numero = 0;

    QString nouveauChemin() { return dossier.filePath(QStringLiteral("app%1.INI").arg(++numero)); }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dossier.path());
        auto scriptes = std::make_unique<DialoguesScriptes>();
        boites = scriptes.get();
        installeDialogues(std::move(scriptes));
    }
    void init() { boites->vus.clear(); }

    void sauveEtRelit_data() {
        QTest::addColumn<bool>("virgule");
        QTest::newRow("virgule") << true;
        QTest::newRow("point") << false;
    }
    void sauveEtRelit() {
        QFETCH(bool, virgule);
        QLocale::setDefault(virgule ? QLocale(QLocale::French) : QLocale::c());
        const QString chemin = nouveauChemin();
        {
            TModuleAppareils module(chemin);
            QVERIFY(module.ChargeAppareils());
            QVERIFY(module.SauveAppareils());
        }
        QVERIFY(QFile::exists(chemin));
        const TFichierIni ecrit(chemin);
        QCOMPARE(ecrit.ReadSection("Index").size(), 97);
        QCOMPARE(ecrit.ReadInteger("BuretteTelmira", "Baud", 0), 4800);

        // The next load reads the file, not the catalogue: a change made there shows.
        TModuleAppareils module(chemin);
        QVERIFY(module.ChargeAppareils());
        QCOMPARE(module.listeAppareil.Count(), 97);
        Tappareil* cecil = module.ChercheAppareil("CECIL 1000 (A)");
        QVERIFY(cecil);
        QCOMPARE(cecil->ValMini, -0.3);
        QCOMPARE(module.ChercheAppareil("WTW P4 (mS)")->SymboleGrandeur, QStringLiteral("σ"));
        cecil->Demande = "?X\r";
        cecil->ValMaxi = 2.5;

        // Removing and renaming: the old sections go, the new one is written.
        QVERIFY(module.listeAppareil.Remove(module.ChercheAppareil("Heito")) >= 0);
        module.ChercheAppareil("WTW 197")->NomAppareil = "WTW 197 bis";
        // A change of case alone must not lose the description (sections ignore case).
        module.ChercheAppareil("Gensis 10")->NomAppareil = "GENSIS 10";
        QVERIFY(module.SauveAppareils());

        const TFichierIni apres(chemin);
        QVERIFY(!apres.SectionExists("Heito"));
        QVERIFY(!apres.SectionExists("WTW 197"));
        QVERIFY(apres.SectionExists("WTW 197 bis"));
        QVERIFY(apres.SectionExists("GENSIS 10"));
        QVERIFY(apres.SectionExists("Heito C320 (T)"));
        QCOMPARE(apres.ReadSection("Index").size(), 96);

        TModuleAppareils relu(chemin);
        QVERIFY(relu.ChargeAppareils());
        QCOMPARE(relu.listeAppareil.Count(), 96);
        QVERIFY(!relu.ChercheAppareil("Heito"));
        QVERIFY(relu.ChercheAppareil("WTW 197 bis"));
        QCOMPARE(relu.ChercheAppareil("GENSIS 10")->Demande, QByteArray("Abs"));
        QCOMPARE(relu.ChercheAppareil("CECIL 1000 (A)")->Demande, QByteArray("?X\r"));
        QCOMPARE(relu.ChercheAppareil("CECIL 1000 (A)")->ValMaxi, 2.5);
        QCOMPARE(relu.ChercheAppareil("CECIL 1000 (A)")->ValMini, -0.3);
        QLocale::setDefault(QLocale::c());
    }

    void sauveGardeLeReste() {
        // Sections that are no description (the burette's) and keys no longer written survive.
        const QString chemin = nouveauChemin();
        ecrit(chemin, "[Index]\r\n0=Alpha\r\n[Alpha]\r\nNom=pH\r\n5=ancienne aide\r\n"
                      "[BuretteTelmira]\r\ndVMax=0,5\r\n");
        TModuleAppareils module(chemin);
        QVERIFY(module.ChargeAppareils());
        QVERIFY(module.SauveAppareils());
        const TFichierIni f(chemin);
        QCOMPARE(f.ReadString("BuretteTelmira", "dVMax", ""), QStringLiteral("0,5"));
        QCOMPARE(f.ReadString("Alpha", "5", ""), QStringLiteral("ancienne aide"));
        QCOMPARE(f.ReadString("Alpha", "Nom", ""), QStringLiteral("pH"));
    }

    void blancsEtAidesVidees() {
        // A name with a leading blank keeps its section, a request ending in a blank keeps it,
        // and a help line emptied since the last save does not come back.
        const QString chemin = nouveauChemin();
        {
            TModuleAppareils module(chemin);
            auto a = std::make_unique<Tappareil>();
            a->NomAppareil = " Alpha";
            a->Demande = "D ";
            a->AidePilotage[0] = "un";
            a->AidePilotage[2] = "trois";
            module.listeAppareil.Add(std::move(a));
            QVERIFY(module.SauveAppareils());
            module.listeAppareil.First()->AidePilotage[2].clear();
            QVERIFY(module.SauveAppareils());
        }
        TModuleAppareils relu(chemin);
        QVERIFY(relu.ChargeAppareils());
        const Tappareil* a = relu.ChercheAppareil(" Alpha");
        QVERIFY(a);
        QCOMPARE(a->Demande, QByteArray("D "));
        QCOMPARE(a->AidePilotage[0], QStringLiteral("un"));
        QCOMPARE(a->AidePilotage[2], QString());
    }

    void fichierCommun() {
        // A device file installed beside the program is read while the user has none; saving
        // writes the user's own copy (the burette section carried over) and leaves it as it was.
        const QString commun = nouveauChemin();
        const QByteArray octetsCommun = "[Index]\r\n0=Alpha\r\n[Alpha]\r\nNom=pH\r\n"
                                        "[BuretteTelmira]\r\ndVMax=0,5\r\n";
        ecrit(commun, octetsCommun);
        const QString perso = nouveauChemin();
        TModuleAppareils module(perso, commun);
        QVERIFY(module.ChargeAppareils());
        QCOMPARE(noms(module.listeAppareil), QStringList({"Alpha"}));
        QCOMPARE(module.sourceAppareils().ReadString("BuretteTelmira", "dVMax", ""), "0,5");
        module.listeAppareil.First()->NomAppareil = "Beta";
        QVERIFY(module.SauveAppareils());
        QFile f(commun);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), octetsCommun);
        const TFichierIni ecrit(perso);
        QCOMPARE(ecrit.ReadString("BuretteTelmira", "dVMax", ""), QStringLiteral("0,5"));
        TModuleAppareils relu(perso, commun);
        QVERIFY(relu.ChargeAppareils());
        QCOMPARE(noms(relu.listeAppareil), QStringList({"Beta"}));
    }

    void nomsDeSection_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("libre");
        QTest::newRow("libre") << "Gamma" << false << "Gamma";
        QTest::newRow("pris") << "Alpha" << false << "Alpha (pH)";
        QTest::newRow("pris à la casse près") << " ALPHA" << false << " ALPHA (pH)";
        QTest::newRow("pris avec symbole") << "Beta" << false << "Beta (2)";
        QTest::newRow("vide") << "  " << true << "  ";
        QTest::newRow("index") << "index" << true << "index";
        QTest::newRow("burette") << "BuretteTelmira " << true << "BuretteTelmira ";
    }
    void nomsDeSection() {
        QFETCH(QString, nom);
        TModuleAppareils module(nouveauChemin());
        for (const char* n : {"Alpha", "Beta", "Beta (pH)"}) {
            auto a = std::make_unique<Tappareil>();
            a->NomAppareil = QString::fromUtf8(n);
            module.listeAppareil.Add(std::move(a));
        }
        Tappareil nouveau;
        nouveau.NomAppareil = nom;
        nouveau.SymboleGrandeur = "pH";
        QTEST(!refusNomAppareil(nom).isEmpty(), "refuse");
        QTEST(module.NomLibre(nouveau), "libre");
        // A description is no rival of itself.
        QCOMPARE(module.NomLibre(*module.listeAppareil.First()), QStringLiteral("Alpha"));
    }

    void sauveImpossible() {
        TModuleAppareils module(dossier.filePath("pas/de/dossier/app.INI"));
        QVERIFY(module.ChargeAppareils());
        QVERIFY(!module.SauveAppareils());
    }

    void fichiersAbimes_data() {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QStringList>("attendus");
        QTest::newRow("vide") << QByteArray() << QStringList();
        QTest::newRow("sans index") << QByteArray("[Alpha]\r\nNom=pH\r\n") << QStringList();
        QTest::newRow("octets au hasard")
            << QByteArrayLiteral("\x00\xff[\x01]]=\n\r\r=\x88\x81[Index\r\n0=") << QStringList();
        QTest::newRow("coupé") << QByteArray("[Index]\r\n0=Beta\r\n1=Alpha\r\n[Alpha]\r\nBaud=12")
                               << QStringList({"Alpha", "Beta"});
        QTest::newRow("nombres illisibles")
            << QByteArray("[Index]\nA=Alpha\n[Alpha]\nBaud=vite\nMini=-0,3,4\nMaxi=\nNumero=x\n"
                          "Derive=beaucoup\nPrecision=1e400\n")
            << QStringList({"Alpha"});
        QTest::newRow("lignes vides d'index")
            << QByteArray("[Index]\r\n0=\r\n1=  \r\n2=Alpha\r\n") << QStringList({"Alpha"});
        QTest::newRow("même section deux fois")
            << QByteArray("[Index]\r\n0=Heito\r\n1=Heito\r\n[Heito]\r\nSymbole=pH\r\n")
            << QStringList({"Heito", "Heito (pH)"});
        QTest::newRow("numéro répété") << QByteArray("[Index]\r\n0=Alpha\r\n0=Beta\r\n1=Gamma\r\n")
                                       << QStringList({"Alpha", "Beta", "Gamma"});
    }
    void fichiersAbimes() {
        QFETCH(QByteArray, octets);
        QFETCH(QStringList, attendus);
        const QString chemin = nouveauChemin();
        ecrit(chemin, octets);
        TModuleAppareils module(chemin);
        const bool lu = module.ChargeAppareils();
        QCOMPARE(lu, !attendus.isEmpty());
        QCOMPARE(noms(module.listeAppareil), attendus);
        if (attendus.isEmpty()) {
            // An existing file is never completed from the catalogue.
            QCOMPARE(boites->vus, QStringList(QStringLiteral("Impossible : ") + chemin +
                                              QStringLiteral(" non trouvé")));
        } else {
            QVERIFY(boites->vus.isEmpty());
            const Tappareil* a = module.listeAppareil.First();
            QVERIFY(a->Baud > 0);
            QVERIFY(a->NumeroOrdre >= 1);
        }
    }

    void illisiblesPrennentLeDefaut() {
        const QString chemin = nouveauChemin();
        ecrit(chemin, "[Index]\n0=Alpha\n[Alpha]\nBaud=vite\nMaxi=\nNumero=x\nDerive=beaucoup\n");
        TModuleAppareils module(chemin);
        QVERIFY(module.ChargeAppareils());
        const Tappareil* a = module.listeAppareil.First();
        QCOMPARE(a->Baud, 9600);
        QCOMPARE(a->ValMaxi, 1.0);
        QCOMPARE(int(a->NumeroOrdre), 1);
        QCOMPARE(a->Derive, 1.0 / 140);
    }

    void normalisation_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("symbole");
        QTest::addColumn<QString>("nomLu");
        QTest::addColumn<QString>("symboleLu");
        QTest::newRow("conductance") << "Conductance"
                                     << "G"
                                     << "conductivité"
                                     << "σ";
        QTest::newRow("conductivité ?") << "CONDUCTIVITÉ"
                                        << "?"
                                        << "conductivité"
                                        << "σ";
        QTest::newRow("conductivité s") << "conductivité"
                                        << "s"
                                        << "conductivité"
                                        << "s";
        QTest::newRow("PH") << "PH"
                            << "pH"
                            << "pH"
                            << "pH";
        QTest::newRow("Absorbance") << "Absorbance"
                                    << "A"
                                    << "absorbance"
                                    << "A";
        QTest::newRow("onde ?") << "Longueur d'onde"
                                << "?"
                                << "longueur d'onde"
                                << "λ";
        QTest::newRow("onde ˆ") << "longueur d'onde"
                                << "ˆ"
                                << "longueur d'onde"
                                << "ˆ";
        QTest::newRow("G sans conductivité") << "masse"
                                             << "G"
                                             << "masse"
                                             << "G";
    }
    void normalisation() {
        QFETCH(QString, nom);
        QFETCH(QString, symbole);
        QFETCH(QString, nomLu);
        QFETCH(QString, symboleLu);
        TFichierIni ini;
        ini.WriteString("Index", "0", "X");
        ini.WriteString("X", "Nom", nom);
        ini.WriteString("X", "Symbole", symbole);
        const QString chemin = nouveauChemin();
        ini.setChemin(chemin);
        QVERIFY(ini.UpdateFile());
        TModuleAppareils module(chemin);
        QVERIFY(module.ChargeAppareils());
        QCOMPARE(module.listeAppareil.First()->nomGrandeur, nomLu);
        QCOMPARE(module.listeAppareil.First()->SymboleGrandeur, symboleLu);
        QCOMPARE(module.listeGrandeur, QStringList(nomLu));
    }

    void import() {
        const QString chemin = nouveauChemin();
        ecrit(chemin, "[Index]\r\n0=Zeta\r\n1=Alpha\r\n2=Mu\r\n3=Alpha\r\n"
                      "[Zeta]\r\nNom=PH\r\n[Alpha]\r\nNom=Conductance\r\n[Mu]\r\nNom=pH\r\n");
        TModuleAppareils module(nouveauChemin());
        QVERIFY(module.ChargeAppareils());
        const int avant = module.listeAppareil.Count();
        module.ChargeAppareilsImport(chemin);
        // Sorted, duplicates left as they are, the main list untouched.
        QCOMPARE(noms(module.listeAppareilImport), QStringList({"Alpha", "Alpha", "Mu", "Zeta"}));
        QCOMPARE(module.listeGrandeurImport, QStringList({"pH", "conductivité"}));
        QCOMPARE(module.listeAppareil.Count(), avant);
        // A second import replaces the first; a file without index empties the lists silently.
        module.ChargeAppareilsImport(dossier.filePath("inexistant.INI"));
        QVERIFY(module.listeAppareilImport.isEmpty());
        QVERIFY(module.listeGrandeurImport.isEmpty());
        QVERIFY(boites->vus.isEmpty());
    }

    void liste() {
        TlisteAppareil liste;
        QVERIFY(!liste.First());
        QVERIFY(!liste.Get(0));
        auto a = std::make_unique<Tappareil>();
        Tappareil* pa = a.get();
        pa->NomAppareil = "b";
        QCOMPARE(liste.Add(std::move(a)), 0);
        auto c = std::make_unique<Tappareil>();
        c->NomAppareil = "a";
        liste.Insert(0, std::move(c));
        QCOMPARE(liste.IndexOf(pa), 1);
        QCOMPARE(liste.Last(), pa);
        liste.TriParNom();
        QCOMPARE(liste.First()->NomAppareil, QStringLiteral("a"));
        const auto sorti = liste.Extract(pa);
        QCOMPARE(sorti.get(), pa);
        QCOMPARE(liste.Count(), 1);
        QCOMPARE(liste.Remove(pa), -1);
        QVERIFY(!liste.Get(-1));
        liste.Clear();
        QVERIFY(liste.isEmpty());
    }

    void chemin() {
        const QString c = cheminFichierAppareil();
        QVERIFY(c.endsWith(".INI"));
        const QString dossierProgramme =
            QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
        if (QFileInfo(dossierProgramme).isWritable())
            QCOMPARE(QFileInfo(c).absolutePath(), dossierProgramme);
        else
            QVERIFY(
                c.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    }

    void moduleRemplacable() {
        auto propre = std::make_unique<TModuleAppareils>(nouveauChemin());
        TModuleAppareils* p = propre.get();
        auto ancien = installeModuleAppareils(std::move(propre));
        QCOMPARE(&moduleAppareils(), p);
        installeModuleAppareils(std::move(ancien));
    }
};

QTEST_GUILESS_MAIN(TestFichierAppareil)
#include "tst_fichierappareil.moc"
