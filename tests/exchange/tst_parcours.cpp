// A user's whole session through the window's own controls: two catalogue instruments added
// on played ports, a short time-base recording, the samples saved as kw3, txt and csv, then
// the window closed without being asked about unsaved data.
#include "../commun/bancfenetre.h"

#include "app/utilitaires.h"
#include "instruments/listeappareil.h"
#include "instruments/reponsetype.h"
#include "serial/voiesserie.h"
#include "settings/choixappdlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

namespace {
const QString polystat = QStringLiteral("Bain Polystat (Bioblock)");
const QString bausch = QStringLiteral("BAUSCH Spectronic 501/601");

void aucunPort() {
    for (int n = 1; n <= TVoiesSerie::nbrePorts; ++n)
        qputenv(QStringLiteral("TELMIRA_COM%1").arg(n).toLatin1(), "/nonexistent/telmira");
}

// A catalogue instrument on port `com`: each request ended by CR gets the answer its
// description expects, carrying `valeur`.
class Joue {
public:
    Joue(int com, const Tappareil* app) : app_(app) {
        qputenv(QStringLiteral("TELMIRA_COM%1").arg(com).toLatin1(),
                terminal.slave().toLocal8Bit());
        terminal.setRepondeur([this](const QByteArray& recu) {
            QByteArray sortie;
            attente_ += recu;
            qsizetype fin;
            while ((fin = attente_.indexOf('\r')) >= 0) {
                attente_.remove(0, fin + 1);
                ++demandes;
                sortie += ReponseType(*app_, valeur);
            }
            return sortie;
        });
    }

    TerminalSimule terminal;
    double valeur = 0;
    int demandes = 0;

private:
    const Tappareil* app_;
    QByteArray attente_;
};

Tappareil* appareil(const QString& nom) {
    return moduleAppareils().ChercheAppareil(nom);
}

// As the user does: the quantity, the instrument in the list, then "Ajouter".
void ajoute(TChoixAppDlg& d, const QString& nom) {
    const Tappareil* A = appareil(nom);
    for (QAbstractButton* b : d.GrandeurGroupe->buttons())
        if (b->text().compare(A->nomGrandeur, Qt::CaseInsensitive) == 0) b->click();
    d.ListeAppareilCombo->setCurrentIndex(d.ListeAppareilCombo->findText(nom));
    d.AddBtn->click();
}

void cliquePort(TChoixAppDlg& d, int page, int com) {
    const auto* g = d.Coms[page]->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly);
    if (!g) return;
    for (QAbstractButton* b : g->buttons())
        if (b->text() == QStringLiteral("COM%1").arg(com)) b->click();
}

QByteArray lit(const QString& chemin) {
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Lines without their ends; a line lacking the CR of a CR LF end is marked.
QList<QByteArray> lignes(const QByteArray& octets, bool crlf) {
    QList<QByteArray> l = octets.split('\n');
    if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
    if (crlf)
        for (QByteArray& x : l) {
            if (!x.endsWith('\r')) x += "<sans CR>";
            x.chop(1);
        }
    return l;
}

QByteArray programme() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toUtf8();
}

// Half a unit of the last digit kept by `chiffres` significant digits, a hair more.
double tolerance(double v, int chiffres) {
    if (v == 0) return 1e-12;
    return 0.51 * std::pow(10.0, std::floor(std::log10(std::fabs(v))) - chiffres + 1);
}

// The numbers of a sample line; NaN for a field that is not one.
QList<double> nombres(const QByteArray& ligne, char separateur, QChar virgule) {
    QList<double> l;
    for (QByteArray champ : ligne.split(separateur)) {
        champ.replace(virgule.toLatin1(), '.');
        bool ok = false;
        const double x = champ.toDouble(&ok);
        l << (ok ? x : std::nan(""));
    }
    return l;
}
} // namespace

class TstParcours : public QObject {
    Q_OBJECT
    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() {
        reglagesPrives(reglages_);
        aucunPort();
    }
    void init() {
        auto module =
            std::make_unique<TModuleAppareils>(reglages_.filePath(QStringLiteral("absent.ini")));
        QVERIFY(module->ChargeAppareils());
        installeModuleAppareils(std::move(module));
    }
    void cleanup() {
        QLocale::setDefault(QLocale::c());
        aucunPort();
    }

    void parcours_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("point") << QLocale::c();
        QTest::newRow("virgule") << QLocale(QLocale::French);
    }
    void parcours() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const QChar virgule = separateurDecimal();
        QCOMPARE(virgule, locale == QLocale::c() ? QChar('.') : QChar(','));

        Tappareil* bain = appareil(polystat);
        Tappareil* spectro = appareil(bausch);
        QVERIFY(bain && spectro);
        Joue T(3, bain);
        Joue A(5, spectro);
        BancAcquisition<TCinetiqueMain> banc;
        TCinetiqueMain& f = *banc.fenetre;
        f.show();
        QVERIFY(f.isVisible());
        QCOMPARE(f.acq().EtatAcq, eaNone);

        // The dialog is modal: the user's gestures are queued to run inside its loop.
        bool vu = false;
        QTimer::singleShot(0, &f, [&f, &vu] {
            TChoixAppDlg* d = f.ChoixAppDlg_;
            if (!d || !d->isVisible()) return;
            vu = true;
            ajoute(*d, polystat);
            ajoute(*d, bausch);
            cliquePort(*d, 0, 3);
            cliquePort(*d, 1, 5);
            d->OKBtn->click();
        });
        QCOMPARE(f.AjouterBtn->text(), QStringLiteral("Ajouter appareil "));
        f.AjouterBtn->click();
        QVERIFY(vu);
        QCOMPARE(f.graphe.NbreVoies, 2);
        QCOMPARE(f.acq().AppareilAcq[0], bain);
        QCOMPARE(f.acq().AppareilAcq[1], spectro);
        QCOMPARE(f.acq().EtatAcq, eaAttente);
        QVERIFY(bain->VoieSerieOK && spectro->VoieSerieOK);
        QObject::disconnect(&f.acq().Timer, nullptr, &f.acq(), nullptr);

        // Waiting: the values show before anything is recorded.
        T.valeur = 19.5;
        A.valeur = 0.1;
        QVERIFY(banc.tick(
            2000, [&] { return bain->ValeurCourante == 19.5 && spectro->ValeurCourante == 0.1; }));
        QCOMPARE(f.graphe.NbrePoints, 0);

        // Values needing rounding to the instruments' precision (3 and 4 digits).
        const QList<double> temperatures = {20.25, 20.5, 20.875, 21.125};
        const QList<double> absorbances = {0.12345, 0.25, 0.375, 1.23456};
        const int n = int(temperatures.size());
        T.valeur = temperatures[0];
        A.valeur = absorbances[0];
        QCOMPARE(f.EnregistreBtn->text(), QStringLiteral("Acquérir"));
        f.EnregistreBtn->click();
        QCOMPARE(f.acq().EtatAcq, eaEnCours);
        QVERIFY(banc.attend([&] { return f.graphe.NbrePoints == 1; }));
        for (int i = 1; i < n; ++i) {
            T.valeur = temperatures[i];
            A.valeur = absorbances[i];
            QVERIFY(banc.tick(2000, [&] { return f.graphe.NbrePoints == i + 1; }));
        }
        QVERIFY(!f.acq().dataSaved);
        f.StopBtn->click();
        QCOMPARE(f.acq().EtatAcq, eaTerminee);
        QCOMPARE(f.graphe.NbrePoints, n);
        const double pas = f.acq().DeltatMesure;

        QTemporaryDir dossier;
        struct Format {
            QString nom;
            bool kw3;
            bool crlf;
        };
        for (const Format& F : {Format{QStringLiteral("parcours.kw3"), true, true},
                                Format{QStringLiteral("parcours.txt"), false, true},
                                Format{QStringLiteral("parcours.csv"), false, false}}) {
            const QString chemin = dossier.filePath(F.nom);
            f.acq().dataSaved = false;
            banc.dialogues_->vus.clear();
            banc.dialogues_->fichiers = {chemin};
            Q_EMIT f.MenuFichier->aboutToShow();
            QAction* entree = nullptr;
            for (QAction* a : f.MenuFichier->actions())
                if (a->text() == QStringLiteral("Enregistre nouveau fichier")) entree = a;
            QVERIFY(entree);
            QVERIFY2(entree->isEnabled(), qPrintable(F.nom));
            entree->trigger();
            QCOMPARE(banc.dialogues_->vus, QStringList{QStringLiteral("Sauvegarde données")});
            QVERIFY2(f.acq().dataSaved, qPrintable(F.nom));

            const QByteArray contenu = lit(chemin);
            QCOMPARE(contenu.count('\r'), F.crlf ? contenu.count('\n') : 0);
            const QList<QByteArray> l = lignes(contenu, F.crlf);
            QList<QByteArray> entete;
            if (F.kw3)
                entete = {"MORVALDE KALVENTO WINDOWS 1.0",
                          "\xA3"
                          "3 NOM VAR",
                          "t",
                          "T",
                          "A",
                          "\xA3"
                          "3 UNITE VAR",
                          "s",
                          "\xB0"
                          "C",
                          "",
                          "\xA3"
                          "1 GRANDEURS",
                          "'",
                          "\xA3"
                          "1 ACQUISITION",
                          programme(),
                          "\xA3"
                          "1 PAGE COMMENT"};
            else
                entete = {"t\tT\tA", "s\t\xB0"
                                     "C\t"};
            QCOMPARE(l.mid(0, entete.size()), entete);
            qsizetype premier = entete.size();
            if (F.kw3) {
                // The manual clock's day, in the user's short date form.
                const QByteArray jour =
                    QLocale()
                        .toString(QDate(1899, 12, 30).addDays(46000), QLocale::ShortFormat)
                        .toLatin1();
                QVERIFY2(l.value(premier).startsWith("Cin\xE9tique" + jour + ' ') &&
                             l.value(premier).contains("10:00:"),
                         l.value(premier).constData());
                QCOMPARE(l.value(premier + 1), QByteArray("&4 VALEUR VAR"));
                premier += 2;
            }
            QCOMPARE(l.size(), premier + n);

            // kw3 numbers carry the user's separator at the instruments' precision; tables
            // carry "." and seven digits.
            const char champ = F.kw3 ? ' ' : '\t';
            const QChar sep = F.kw3 ? virgule : QChar('.');
            for (int i = 0; i < n; ++i) {
                const QByteArray ligne = l.value(premier + i);
                if (!F.kw3 || sep == '.') QVERIFY2(!ligne.contains(','), ligne.constData());
                const QList<double> x = nombres(ligne, champ, sep);
                QCOMPARE(x.size(), 3);
                QCOMPARE(x[0], i * pas);
                // The played values went through the instrument's answer and decoding.
                QVERIFY2(std::fabs(x[1] - temperatures[i]) <= tolerance(temperatures[i], 3),
                         ligne.constData());
                QVERIFY2(std::fabs(x[2] - absorbances[i]) <= tolerance(absorbances[i], 4),
                         ligne.constData());
                // The file holds what the store holds, to the precision written.
                QVERIFY2(std::fabs(x[1] - f.graphe.mondeY[0].valeur[i]) <=
                             tolerance(x[1], F.kw3 ? bain->Precision : 7),
                         ligne.constData());
                QVERIFY2(std::fabs(x[2] - f.graphe.mondeY[1].valeur[i]) <=
                             tolerance(x[2], F.kw3 ? spectro->Precision : 7),
                         ligne.constData());
            }
        }

        // Saved: closing asks nothing.
        banc.dialogues_->vus.clear();
        QVERIFY(f.close());
        QVERIFY(!banc.dialogues_->vus.contains(QStringLiteral("Données non sauvées, quitter ?")));
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(TstParcours)
#include "tst_parcours.moc"
