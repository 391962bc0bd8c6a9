#include "app/dialogues.h"
#include "app/utilitaires.h"
#include "display/cinetiquemain.h"
#include "display/graphe.h"
#include "display/icones.h"
#include "display/oscillo.h"
#include "display/polices.h"
#include "display/styleprogramme.h"
#include "instruments/appareil.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <future>
#include <memory>

namespace {
// A plot drawing on an image of its own, as the window sets it up.
struct Surface {
    QImage image;
    std::unique_ptr<Tgraphe> g = std::make_unique<Tgraphe>();
    int modifications = 0;

    Surface(int largeur, int hauteur, int pixelsPolice = 12)
        : image(largeur, hauteur, QImage::Format_RGB32) {
        image.fill(Qt::white);
        g->Canvas = &image;
        g->Police = QFont(QStringLiteral("Arial"));
        g->Police.setPixelSize(pixelsPolice);
        g->LimiteFenetre = QRect(0, 0, largeur, hauteur);
        g->surfaceModifiee = [this](const QRect&) { ++modifications; };
        g->mondeX.SetMinMax(0, 10);
        for (Tmonde& m : g->mondeY)
            m.SetMinMax(0, 10);
    }
    void echantillon(double x, double y, int v = 0) {
        g->mondeX.valeur[std::size_t(g->NbrePoints)] = x;
        g->mondeY[v].valeur[std::size_t(g->NbrePoints)] = y;
    }
    [[nodiscard]] int compte(QColor c) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == c.rgb();
        return n;
    }
    [[nodiscard]] QRect boite(QColor c) const {
        QRect r;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == c.rgb()) r |= QRect(x, y, 1, 1);
        return r;
    }
};

Trectangle attendue(const QFont& police, const QImage& image, int voies) {
    const QFontMetrics fm(police, &image);
    const int l = fm.horizontalAdvance(QLatin1Char('A')), h = fm.height(), m = l / 2;
    return {m + 4 * l, m + h, image.width() - (voies > 1 ? m + 4 * l : 0), image.height() - m - h};
}
} // namespace

// The plot on a plain image (pixels and transforms), then in the main window (mouse, zoom,
// multimeter view).
class TstGraphe : public QObject {
    Q_OBJECT

    QTemporaryDir reglages_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, reglages_.path());
        installeDialogues(std::make_unique<DialoguesScriptes>());
        InstallePolices();
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void marges_data() {
        QTest::addColumn<int>("police");
        QTest::addColumn<int>("voies");
        QTest::newRow("petite, une voie") << 10 << 1;
        QTest::newRow("petite, deux voies") << 10 << 2;
        QTest::newRow("grande, une voie") << 24 << 1;
        QTest::newRow("grande, neuf voies") << 24 << 9;
    }
    void marges() {
        QFETCH(int, police);
        QFETCH(int, voies);
        Surface s(640, 480, police);
        s.g->NbreVoies = voies;
        s.g->DrawG();
        const Trectangle e = attendue(s.g->Police, s.image, voies);
        QCOMPARE(s.g->LimiteCourbe.Left, e.Left);
        QCOMPARE(s.g->LimiteCourbe.Top, e.Top);
        QCOMPARE(s.g->LimiteCourbe.Right, e.Right);
        QCOMPARE(s.g->LimiteCourbe.Bottom, e.Bottom);
        QCOMPARE(s.g->marge, s.g->largCarac / 2);
        // The mappings put the range on the edges of the plotting area.
        QCOMPARE(s.g->mondeX.PosWindow(0), e.Left);
        QCOMPARE(s.g->mondeX.PosWindow(10), e.Right);
        QCOMPARE(s.g->mondeY[0].PosWindow(0), e.Bottom);
        QCOMPARE(s.g->mondeY[0].PosWindow(10), e.Top);
        QCOMPARE(s.modifications, 0); // a full redraw is shown by the paint that asked it
    }

    void carres_data() {
        QTest::addColumn<int>("hauteur");
        QTest::addColumn<int>("cote");
        QTest::newRow("449") << 449 << 3;
        QTest::newRow("450") << 450 << 5;
        QTest::newRow("900") << 900 << 7;
    }
    void carres() {
        QFETCH(int, hauteur);
        const QImage mesure(10, 10, QImage::Format_RGB32);
        QFont police(QStringLiteral("Arial"));
        police.setPixelSize(12);
        const QFontMetrics fm(police, &mesure);
        const int bord = fm.horizontalAdvance(QLatin1Char('A')) / 2 + fm.height();
        Surface s(300, hauteur + 2 * bord);
        s.g->NbreVoies = 1;
        s.g->quadrillage = false;
        s.echantillon(5, 5);
        s.g->NbrePoints = 1;
        s.g->DrawG();
        QCOMPARE(s.g->LimiteCourbe.Bottom - s.g->LimiteCourbe.Top, hauteur);
        QFETCH(int, cote);
        const QRect r = s.boite(CouleurVoie(0));
        QCOMPARE(r.size(), QSize(cote, cote));
        QCOMPARE(r.center(), QPoint(s.g->mondeX.PosWindow(5), s.g->mondeY[0].PosWindow(5)));
        QCOMPARE(s.compte(CouleurVoie(0)), cote * cote);
    }

    void axesSelonVoies() {
        Surface s(640, 480);
        s.g->NbreVoies = 1;
        s.g->DrawG();
        QVERIFY(s.compte(CouleurVoie(0)) > 0);
        QCOMPARE(s.compte(CouleurVoie(1)), 0);

        s.g->NbreVoies = 3;
        s.g->DrawG();
        const Trectangle& L = s.g->LimiteCourbe;
        // The right axis is channel 1's, drawn on the right edge of the plotting area.
        int surAxe = 0;
        for (int y = L.Top; y <= L.Bottom; ++y)
            surAxe += s.image.pixel(L.Right, y) == CouleurVoie(1).rgb();
        QCOMPARE(surAxe, L.Bottom - L.Top + 1);
        QCOMPARE(s.compte(CouleurVoie(2)), 0);

        // No channel: a blank surface.
        s.g->NbreVoies = 0;
        s.g->DrawG();
        QCOMPARE(s.compte(Qt::white), 640 * 480);
        // No grid: the curves alone.
        s.g->NbreVoies = 2;
        s.g->quadrillage = false;
        s.echantillon(5, 5);
        s.g->NbrePoints = 1;
        s.g->DrawG();
        QCOMPARE(s.compte(CouleurVoie(0)), 9);
        QCOMPARE(s.compte(QColor(128, 128, 128)), 0);
    }

    void echantillonManquant() {
        Surface s(400, 300);
        s.g->NbreVoies = 1;
        s.g->quadrillage = false;
        s.echantillon(2, 5);
        s.g->NbrePoints = 1;
        s.echantillon(5, NaN);
        s.g->NbrePoints = 2;
        s.echantillon(8, 5);
        s.g->NbrePoints = 3;
        int x = 0, y = 0;
        s.g->DrawG();
        s.g->WindowXY(5, NaN, 0, x, y);
        QCOMPARE(y, -1);
        QCOMPARE(x, s.g->mondeX.PosWindow(5));
        // The missing sample leaves no square, not even its edge on the first row.
        QCOMPARE(s.compte(CouleurVoie(0)), 2 * 9);
        for (int i = 0; i < s.image.width(); ++i)
            QVERIFY(s.image.pixel(i, 0) != CouleurVoie(0).rgb());
        // With lines, its neighbours' lines run up to it.
        s.g->avecLigne = true;
        s.g->DrawG();
        int enHaut = 0;
        for (int i = x - 3; i <= x + 3; ++i)
            enHaut += s.image.pixel(i, 0) == CouleurVoie(0).rgb();
        QVERIFY(enHaut > 0);
    }

    // Samples drawn one at a time leave the same pixels as the full redraw that follows.
    void pointsCommeLeTraceComplet() {
        Surface s(400, 300);
        s.g->NbreVoies = 2;
        s.g->quadrillage = false;
        s.g->avecLigne = true;
        s.g->DrawG();
        for (int i = 0; i < 60; ++i) {
            s.echantillon(i / 6.0, 5 + 4 * std::sin(i / 7.0), 0);
            s.g->mondeY[1].valeur[std::size_t(i)] = i % 9 == 4 ? NaN : 5 + 3 * std::cos(i / 5.0);
            s.g->NbrePoints = i + 1;
            s.g->TracePoint(0, i);
            s.g->TracePoint(1, i);
        }
        const QImage pasAPas = s.image.copy();
        s.g->DrawG();
        QCOMPARE(s.image, pasAPas);
    }

    void curseursInverses() {
        Surface s(500, 400);
        s.g->NbreVoies = 2;
        s.g->avecLigne = true;
        for (int i = 0; i < 10; ++i) {
            s.echantillon(i, i, 0);
            s.echantillon(i, 10 - i, 1);
            s.g->NbrePoints = i + 1;
        }
        s.g->DrawG();
        const QImage avant = s.image.copy();
        const int X = s.g->mondeX.PosWindow(5.5);
        s.g->mondeX.PosCurseur = X;
        s.g->mondeY[0].PosCurseur = s.g->mondeY[0].PosWindow(3.3);
        s.g->mondeY[1].PosCurseur = s.g->mondeY[1].PosWindow(7.7);
        s.g->TraceCurseurs();
        QVERIFY(s.image != avant);
        // On the white background the inverted pen shows the channel's colour.
        QCOMPARE(s.image.pixel(X + 7, s.g->mondeY[1].PosCurseur), CouleurVoie(1).rgb());
        QCOMPARE(s.modifications, 1);
        s.g->TraceCurseurs();
        QCOMPARE(s.image, avant);
        QCOMPARE(s.modifications, 2);
        // No abscissa cursor: nothing drawn.
        s.g->mondeX.PosCurseur = -1;
        s.g->TraceCurseurs();
        QCOMPARE(s.image, avant);
    }

    void voieMaitre() {
        Surface s(400, 300);
        s.g->NbreVoies = 2;
        s.g->quadrillage = false;
        s.g->AbscisseMaitre = amVoie0;
        s.g->voieMaitre = 0;
        for (int i = 0; i < 3; ++i) {
            s.echantillon(i + 2, i + 2, 0);
            s.echantillon(i + 2, 5, 1);
            s.g->NbrePoints = i + 1;
        }
        s.g->mondeX.PosCurseur = 100;
        s.g->mondeY[0].PosCurseur = 100;
        s.g->mondeY[1].PosCurseur = 200;
        s.g->DrawG();
        QCOMPARE(s.compte(CouleurVoie(0)), 0); // neither curve nor cross
        QVERIFY(s.compte(CouleurVoie(1)) > 3 * 9);
        // A new sample is drawn for every channel, the master one too.
        s.g->TracePoint(0, 1);
        QCOMPARE(s.compte(CouleurVoie(0)), 9);
    }

    void pointEtRepereIncrementaux() {
        Surface s(400, 300);
        s.g->NbreVoies = 1;
        s.g->quadrillage = false;
        s.g->DrawG();
        // Sample 0 is drawn before it is counted: the next full redraw starts from the store.
        s.echantillon(5, 5);
        s.g->TracePoint(0, 0);
        QCOMPARE(s.compte(CouleurVoie(0)), 9);
        QCOMPARE(s.modifications, 1);
        s.g->AjouteRepere(QStringLiteral("ajout"), 7);
        QCOMPARE(s.g->ListeRepere.size(), 1);
        QCOMPARE(s.g->ListeRepere.first().Text, QStringLiteral("ajout"));
        QVERIFY(s.compte(CouleurVoie(0)) > 9); // the marker is blue too
        s.g->DrawG();
        const int repere = s.compte(CouleurVoie(0));
        QVERIFY(repere > 0 && repere < s.image.height());
        s.g->AjouteRepere(QStringLiteral("même"), 7);
        s.g->DrawG();
        QCOMPARE(s.compte(CouleurVoie(0)), repere);
        // Out of the store: nothing, and no crash.
        s.g->TracePoint(0, 5000);
        s.g->TracePoint(12, 0);
    }

    void etenduesImpossibles_data() {
        QTest::addColumn<double>("xmin");
        QTest::addColumn<double>("xmax");
        QTest::addColumn<double>("ymin");
        QTest::addColumn<double>("ymax");
        QTest::newRow("nulles") << 0.0 << 0.0 << 5.0 << 5.0;
        QTest::newRow("NaN") << NaN << NaN << 0.0 << 1.0;
        QTest::newRow("infinies") << -HUGE_VAL << HUGE_VAL << 0.0 << 0.0;
        QTest::newRow("enormes") << -1e308 << 1e308 << 1e300 << 1e300 + 1e290;
        QTest::newRow("fines") << 1e20 << 1e20 + 1e5 << 0.0 << 1e-300;
    }
    void etenduesImpossibles() {
        Surface s(400, 300);
        s.g->NbreVoies = 2;
        s.g->avecLigne = true;
        QFETCH(double, xmin);
        QFETCH(double, xmax);
        QFETCH(double, ymin);
        QFETCH(double, ymax);
        s.g->mondeX.mini = xmin;
        s.g->mondeX.maxi = xmax;
        s.g->mondeY[0].mini = s.g->mondeY[1].mini = ymin;
        s.g->mondeY[0].maxi = s.g->mondeY[1].maxi = ymax;
        for (int i = 0; i < 20; ++i) {
            s.echantillon(i * 1e6, i * 1e250, 0);
            s.echantillon(i, -i, 1);
            s.g->NbrePoints = i + 1;
        }
        s.g->mondeX.PosCurseur = 10;
        s.g->mondeY[0].PosCurseur = 10;
        s.g->ListeRepere.append(Trepere{3, QString()});
        s.g->DrawG();
        double x = 0, y = 0;
        s.g->MondeXY(100, 100, 0, x, y);
        QVERIFY(std::isfinite(x) == std::isfinite(y));
        s.g->changeEchelleX(300, 200);
        s.g->changeEchelleY(50, 100);
        s.g->DrawG();
        // A surface too small for its margins.
        s.g->LimiteFenetre = QRect(0, 0, 5, 5);
        s.g->DrawG();
        s.g->Canvas = nullptr;
        s.g->DrawG();
        s.g->TracePoint(0, 1);
    }

    void transformations() {
        Surface s(400, 300);
        s.g->NbreVoies = 1;
        s.g->mondeX.mini = 0;
        s.g->mondeX.mini = s.g->mondeX.maxi = 0; // zero range: the mapping fails
        s.g->DrawG();
        int xi = 0, yi = 0;
        s.g->WindowXY(1, 1, 0, xi, yi);
        QCOMPARE(xi, -1);
        QCOMPARE(yi, -1);
        double x = 0, y = 0;
        s.g->MondeXY(10, 10, 0, x, y);
        QVERIFY(estNaN(x) && estNaN(y));

        s.g->mondeX.SetMinMax(0, 10);
        s.g->DrawG();
        s.g->WindowXY(2.5, 7.5, 0, xi, yi);
        s.g->MondeXY(xi, yi, 0, x, y);
        QVERIFY(std::fabs(x - 2.5) < 10.0 / 300);
        QVERIFY(std::fabs(y - 7.5) < 10.0 / 200);
        s.g->WindowXY(1e30, 1, 0, xi, yi); // overflow
        QCOMPARE(xi, -1);
        QCOMPARE(yi, -1);
    }

    void zonesDesAxes() {
        Tgraphe g;
        g.LimiteCourbe = {100, 50, 500, 450};
        QVERIFY(g.isAxeX(101, 450));
        QVERIFY(g.isAxeX(499, 470));
        QVERIFY(!g.isAxeX(100, 470));
        QVERIFY(!g.isAxeX(500, 470));
        QVERIFY(!g.isAxeX(300, 449));
        QVERIFY(g.isAxeY(100, 51));
        QVERIFY(g.isAxeY(10, 449));
        QVERIFY(!g.isAxeY(101, 200));
        QVERIFY(!g.isAxeY(50, 50));
        QVERIFY(!g.isAxeY(50, 450));
    }

    void reechelle_data() {
        QTest::addColumn<bool>("surX");
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::addColumn<int>("nouveau");
        QTest::addColumn<int>("ancien");
        QTest::addColumn<double>("miniAttendu");
        QTest::addColumn<double>("maxiAttendu");
        QTest::newRow("x positif") << true << 0.0 << 100.0 << 200 << 300 << 0.0 << 200.0;
        QTest::newRow("x negatif") << true << -100.0 << 0.0 << 200 << 300 << -200.0 << 0.0;
        QTest::newRow("x autour de 0") << true << -50.0 << 50.0 << 200 << 400 << -150.0 << 150.0;
        QTest::newRow("x trop pres") << true << 0.0 << 100.0 << 115 << 300 << 0.0 << 100.0;
        QTest::newRow("y positif") << false << 0.0 << 10.0 << 350 << 250 << 0.0 << 20.0;
        QTest::newRow("y negatif") << false << -10.0 << 0.0 << 350 << 250 << -20.0 << 0.0;
        QTest::newRow("y trop pres") << false << 0.0 << 10.0 << 435 << 250 << 0.0 << 10.0;
    }
    void reechelle() {
        Tgraphe g;
        g.NbreVoies = 1;
        g.LimiteCourbe = {100, 50, 500, 450};
        QFETCH(bool, surX);
        QFETCH(double, mini);
        QFETCH(double, maxi);
        Tmonde& m = surX ? g.mondeX : g.mondeY[0];
        m.mini = mini;
        m.maxi = maxi;
        g.CalculMonde();
        QFETCH(int, nouveau);
        QFETCH(int, ancien);
        if (surX)
            g.changeEchelleX(nouveau, ancien);
        else
            g.changeEchelleY(nouveau, ancien);
        QTEST(m.mini, "miniAttendu");
        QTEST(m.maxi, "maxiAttendu");
    }

    void etiquettes_data() {
        QTest::addColumn<double>("mini");
        QTest::addColumn<double>("maxi");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("unite");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("titre");
        QTest::newRow("mL en L") << 0.0 << 1200.0 << "V"
                                 << "mL" << 400.0 << "0.4"
                                 << "V(L)";
        QTest::newRow("sans unite") << 0.0 << 2000.0 << "n"
                                    << "" << 1400.0 << "1400"
                                    << "n";
        QTest::newRow("hors prefixes") << 0.0 << 5000.0 << "R"
                                       << "MΩ" << 2000.0 << "2000"
                                       << "R(MΩ)";
        QTest::newRow("heures") << 0.0 << 3600.0 << "t"
                                << "s" << 1500.0 << "0:25:00"
                                << "t";
        QTest::newRow("plus d'un jour") << 0.0 << 122880.0 << "t"
                                        << "s" << 100000.0 << "27:46:40"
                                        << "t";
        QTest::newRow("secondes") << 0.0 << 600.0 << "t"
                                  << "s" << 300.0 << "300"
                                  << "t(s)";
    }
    void etiquettes() {
        Tmonde m;
        QFETCH(double, mini);
        QFETCH(double, maxi);
        m.SetMinMax(mini, maxi);
        QFETCH(QString, nom);
        QFETCH(QString, unite);
        m.Nom = nom;
        m.Unite = unite;
        m.setDelta();
        QFETCH(double, valeur);
        QTEST(Tgraphe::Etiquette(m, valeur), "label");
        QTEST(Tgraphe::TitreAxe(m), "titre");
    }

    void policesDeSubstitution() {
        const QStringList familles = QFontDatabase::families();
        if (familles.contains(QStringLiteral("Courier New")) ||
            !familles.contains(QStringLiteral("Liberation Mono")))
            QSKIP("the fonts of this machine need no substitute");
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Courier New"))).family(),
                 QStringLiteral("Liberation Mono"));
        if (familles.contains(QStringLiteral("Liberation Sans")))
            QCOMPARE(QFontInfo(QFont(QStringLiteral("Arial"))).family(),
                     QStringLiteral("Liberation Sans"));
        QCOMPARE(FamilleInstallee(QStringLiteral("Courier New")),
                 QStringLiteral("Liberation Mono"));
    }

    void imagesDessineesALAvance() {
        // An image drawn ahead on another thread is the one the icon would draw itself, taken
        // once; other sizes are drawn as asked.
        const QStringList noms = TCinetiqueMain::ImagesBarres();
        std::async(std::launch::async, [&noms] { PrepareIcones(noms, 24); }).wait();
        for (const QString& nom : noms) {
            const QImage avance = icone(nom).pixmap(24).toImage();
            const QImage dessinee = icone(nom).pixmap(24).toImage();
            QCOMPARE(avance.convertToFormat(dessinee.format()), dessinee);
        }
        TStyleProgramme style;
        QVERIFY(
            !style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).isNull());
    }

    void lectureSouris_data() {
        QTest::addColumn<QString>("langue");
        QTest::addColumn<QString>("abscisse");
        QTest::newRow("point") << "C"
                               << "12.3";
        QTest::newRow("virgule") << "fr_FR"
                                 << "12,3";
    }
    void lectureSouris() {
        QFETCH(QString, langue);
        QLocale::setDefault(QLocale(langue));
        Tappareil app;
        app.SymboleGrandeur = QStringLiteral("pH");
        app.UniteGrandeur = QString();
        app.Precision = 3;
        TCinetiqueMain f;
        f.resize(1400, 700);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.StatusSouris->setText(QStringLiteral("avant"));
        QTest::mouseMove(f.Oscillo, QPoint(300, 200));
        QCOMPARE(f.StatusSouris->text(), QStringLiteral("avant")); // no channel yet

        f.graphe.NbreVoies = 1;
        f.acq().AppareilAcq[0] = &app;
        f.graphe.mondeX.Nom = QStringLiteral("t");
        f.graphe.mondeX.Unite = QStringLiteral("s");
        f.RedessineOscillo();
        // One pixel per 0.02 s: 12.34 s falls on a pixel.
        const Trectangle L = f.graphe.LimiteCourbe;
        f.graphe.mondeX.SetMinMax(0, (L.Right - L.Left) * 0.02);
        f.graphe.mondeY[0].SetMinMax(0, 14);
        f.RedessineOscillo();
        const QPoint p(L.Left + 617, (L.Top + L.Bottom) / 2);
        QTest::mouseMove(f.Oscillo, p);
        double x = 0, y = 0;
        f.graphe.MondeXY(p.x(), p.y(), 0, x, y);
        QFETCH(QString, abscisse);
        QCOMPARE(f.StatusSouris->text(), QStringLiteral("Souris : t=") + abscisse +
                                             QStringLiteral(" s  ") + app.NomValeurUnite(y) +
                                             QLatin1Char(' '));
        QCOMPARE(f.Oscillo->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseMove(f.Oscillo, QPoint(L.Left + 50, L.Bottom + 3));
        QCOMPARE(f.Oscillo->cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(f.Oscillo, QPoint(L.Left - 3, L.Top + 50));
        QCOMPARE(f.Oscillo->cursor().shape(), Qt::SizeVerCursor);
        f.acq().AppareilAcq[0] = nullptr;
    }

    void glisserLesAxes() {
        TCinetiqueMain f;
        f.resize(1200, 700);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.graphe.NbreVoies = 1;
        f.graphe.mondeX.SetMinMax(0, 100);
        f.graphe.mondeY[0].SetMinMax(0, 10);
        f.RedessineOscillo();
        const Trectangle L = f.graphe.LimiteCourbe;
        const int x0 = L.Left + (L.Right - L.Left) / 2;
        f.OscilloMouseDown(x0, L.Bottom + 4);
        QCOMPARE(f.graphe.curseur, curXmax);
        f.OscilloMouseMove(x0 - 5, L.Bottom + 4);
        QCOMPARE(f.graphe.mondeX.maxi, 100.0); // 5 pixels: not yet
        f.OscilloMouseUp(x0 - 5, L.Bottom + 4);
        QCOMPARE(f.graphe.curseur, curSelect);
        const double apresRelache = f.graphe.mondeX.maxi;
        QVERIFY(apresRelache > 100);

        f.RedessineOscillo();
        f.OscilloMouseDown(x0, L.Bottom + 4);
        f.OscilloMouseMove(x0 - 9, L.Bottom + 4);
        QVERIFY(f.graphe.mondeX.maxi > apresRelache); // 9 pixels: at once
        QCOMPARE(f.graphe.xCurseur, x0 - 9);
        f.OscilloMouseUp(x0 - 9, L.Bottom + 4);

        const int y0 = (L.Top + L.Bottom) / 2;
        f.OscilloMouseDown(L.Left - 4, y0);
        QCOMPARE(f.graphe.curseur, curYmax);
        f.OscilloMouseMove(L.Left - 4, y0 + 20);
        QVERIFY(f.graphe.mondeY[0].maxi > 10);
        QCOMPARE(f.graphe.mondeY[0].mini, 0.0);
        f.OscilloMouseUp(L.Left - 4, y0 + 20);
        QCOMPARE(f.Oscillo->cursor().shape(), Qt::ArrowCursor);
    }

    void zoomBaseDeTemps() {
        TCinetiqueMain f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.graphe.NbreVoies = 1;
        f.graphe.mondeX.Nom = QStringLiteral("t");
        f.graphe.mondeX.Unite = QStringLiteral("s");
        f.acq().MajBaseDeTemps();
        QCOMPARE(f.graphe.mondeX.maxi, 120.0);
        f.XUpDown->haut->click();
        QCOMPARE(f.acq().DureeMesure, 240);
        QCOMPARE(f.NombreLabel->text(), QStringLiteral("N=240"));
        QCOMPARE(f.graphe.mondeX.maxi, 240.0);
        f.XUpDown->bas->click();
        f.XUpDown->bas->click();
        QCOMPARE(f.acq().DureeMesure, 60);
        // Zooming further keeps the time base within its limits.
        for (int i = 0; i < 40; ++i)
            f.XUpDown->haut->click();
        QCOMPARE(f.acq().DureeMesure, 2048 * 60);
        QCOMPARE(f.acq().DeltatMesure, quint16(60));

        // While recording, zooming changes the view only: it never cuts the run short.
        f.acq().DeltatMesure = 1;
        f.acq().DureeMesure = 2048;
        f.acq().MajBaseDeTemps();
        f.acq().EtatAcq = eaEnCours;
        f.XUpDown->haut->click();
        QCOMPARE(f.acq().DureeMesure, 2048);
        QCOMPARE(f.graphe.mondeX.maxi, 4096.0);
        f.XUpDown->bas->click();
        f.XUpDown->bas->click();
        QCOMPARE(f.acq().DureeMesure, 2048);
        QCOMPARE(f.graphe.mondeX.maxi, 1024.0);
        f.acq().EtatAcq = eaNone;

        // The vertical zoom acts on channel 0 only, and never on an empty range.
        f.graphe.mondeY[0].SetMinMax(1, 3);
        f.graphe.mondeY[1].SetMinMax(1, 3);
        f.YUpDown->haut->click();
        QCOMPARE(f.graphe.mondeY[0].maxi, 6.0);
        QCOMPARE(f.graphe.mondeY[1].maxi, 3.0);
        f.graphe.mondeY[0].mini = f.graphe.mondeY[0].maxi = 0;
        f.YUpDown->bas->click();
        QCOMPARE(f.graphe.mondeY[0].maxi, 0.0);
    }

    void multimetre_data() {
        QTest::addColumn<int>("zone");
        QTest::addColumn<int>("largeur");
        QTest::addColumn<int>("voies");
        QTest::addColumn<int>("hauteur");
        QTest::addColumn<int>("valeur");
        QTest::addColumn<int>("titre");
        QTest::addColumn<int>("indicateur");
        QTest::newRow("exemple") << 600 << 1000 << 3 << 200 << 100 << 50 << 666;
        QTest::newRow("fenetre etroite") << 600 << 400 << 3 << 200 << 50 << 25 << 266;
        QTest::newRow("une voie") << 500 << 1200 << 1 << 500 << 150 << 75 << 800;
        QTest::newRow("aucune voie") << 500 << 1200 << 0 << 0 << 0 << 0 << 0;
    }
    void multimetre() {
        QFETCH(int, zone);
        QFETCH(int, largeur);
        QFETCH(int, voies);
        const TDispositionMultimetre d = DispositionMultimetre(zone, largeur, voies);
        QTEST(d.hauteurPanneau, "hauteur");
        QTEST(d.policeValeur, "valeur");
        QTEST(d.policeTitre, "titre");
        QTEST(d.gaucheIndicateur, "indicateur");
        QCOMPARE(d.hautValeur, d.hauteurPanneau / 3);
    }

    void vueMultimetre() {
        TCinetiqueMain f;
        f.resize(1000, 700);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.graphe.NbreVoies = 3;
        f.acq().ModeAcq = maClavier;
        f.acq().SetEtatAcq(eaClavier);
        for (int v = 0; v < 3; ++v)
            f.groupBoxs[v]->show();
        for (int i = 0; i < 40; ++i) {
            f.graphe.mondeX.valeur[std::size_t(i)] = i;
            f.graphe.mondeY[0].valeur[std::size_t(i)] = i / 4.0;
        }
        f.graphe.NbrePoints = 40;
        const QSize taille = f.size();

        f.PleinEcranBtn->click();
        QVERIFY(f.PleinEcranBtn->isChecked());
        QVERIFY(!f.Oscillo->isVisible());
        QVERIFY(!f.PanelGrid->isVisible());
        QVERIFY(!f.ClavierGB->isVisible());
        QVERIFY(!f.PanelDuree->isVisible());
        QTRY_VERIFY(f.PanelVoies->width() > 900);
        const int autres = f.LabelPb->sizeHint().height();
        const TDispositionMultimetre d =
            DispositionMultimetre(f.PanelVoies->height() - autres, f.width(), 3);
        for (int v = 0; v < 3; ++v) {
            QTRY_COMPARE(f.groupBoxs[v]->height(), d.hauteurPanneau);
            QCOMPARE(f.labels[v]->font().pixelSize(), d.policeValeur);
            QCOMPARE(f.labels[v]->y(), d.hautValeur);
            QCOMPARE(f.groupBoxs[v]->font().pixelSize(), d.policeTitre);
            QCOMPARE(f.speedButtons[v]->x(), f.width() * 2 / 3);
            QCOMPARE(f.labels[v]->palette().color(QPalette::WindowText), CouleurVoie(v));
        }
        QCOMPARE(f.size(), taille); // laying out never grows the window
        // The window can still be made smaller, and the panels follow.
        f.resize(900, 500);
        QTRY_COMPARE(f.size(), QSize(900, 500));
        QTRY_VERIFY(f.groupBoxs[0]->height() < d.hauteurPanneau);
        QCOMPARE(f.speedButtons[0]->x(), 600);

        f.PleinEcranBtn->click();
        QVERIFY(f.Oscillo->isVisible());
        QVERIFY(f.PanelGrid->isVisible());
        QVERIFY(f.ClavierGB->isVisible());
        QCOMPARE(f.PanelVoies->width(), 210);
        for (int v = 0; v < 3; ++v) {
            QTRY_COMPARE(f.groupBoxs[v]->height(), 60);
            QCOMPARE(f.labels[v]->font().pixelSize(), 18);
            QCOMPARE(f.speedButtons[v]->x(), 168);
        }
        // Resizing and repainting never touch the samples.
        f.resize(700, 450);
        f.RedessineOscillo();
        QCOMPARE(f.graphe.NbrePoints, 40);
        QCOMPARE(f.graphe.mondeY[0].valeur[39], 39 / 4.0);
        QCOMPARE(f.graphe.LimiteFenetre, f.Oscillo->rect());

        // No channel: the view changes, nothing is divided by zero.
        f.graphe.NbreVoies = 0;
        f.PleinEcranBtn->click();
        f.resize(800, 500);
        f.PleinEcranBtn->click();
    }

    void peintureDansLaFenetre() {
        TCinetiqueMain f;
        f.resize(1000, 600);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.graphe.NbreVoies = 1;
        f.graphe.mondeX.SetMinMax(0, 10);
        f.graphe.mondeY[0].SetMinMax(0, 10);
        f.graphe.mondeX.valeur[0] = 5;
        f.graphe.mondeY[0].valeur[0] = 5;
        f.RedessineOscillo();
        auto* oscillo = static_cast<TOscillo*>(f.Oscillo);
        const QPoint p(f.graphe.mondeX.PosWindow(5), f.graphe.mondeY[0].PosWindow(5));
        QVERIFY(oscillo->image.pixel(p) != CouleurVoie(0).rgb());
        // A sample drawn between paints shows at once, and stays until the next full paint.
        f.graphe.TracePoint(0, 0);
        QCOMPARE(oscillo->image.pixel(p), CouleurVoie(0).rgb());
        f.RedessineOscillo();
        QVERIFY(oscillo->image.pixel(p) != CouleurVoie(0).rgb());
        f.graphe.NbrePoints = 1;
        f.OscilloClick();
        QTRY_COMPARE(oscillo->image.pixel(p), CouleurVoie(0).rgb());
        // The zoom buttons sit over the plot's corners.
        QCOMPARE(f.YUpDown->pos(), QPoint(f.graphe.LimiteCourbe.Left + 8, 12));
        QCOMPARE(f.XUpDown->x() + f.XUpDown->width(), f.Oscillo->width() - 2);
    }
};

QTEST_MAIN(TstGraphe)
#include "tst_graphe.moc"
