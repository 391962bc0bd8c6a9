#include "display/valeurvoie.h"

#include <QGroupBox>
#include <QTest>

// The channel panel's value and indicator: the same pixels as a plain label, and a change
// that does not repaint the panel.
class TstValeurVoie : public QObject {
    Q_OBJECT

    struct Panneau {
        QWidget fenetre;
        QGroupBox* cadre = new QGroupBox(QStringLiteral("CONSORT C3010"), &fenetre);
        explicit Panneau(int hauteur) {
            fenetre.resize(600, hauteur + 60);
            cadre->setGeometry(5, 5, 590, hauteur + 50);
        }
    };

private Q_SLOTS:
    void memesPixels_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<int>("pixels");
        for (const int p : {18, 73}) {
            QTest::addRow("pH %d", p) << QStringLiteral("pH = 7.012") << p;
            QTest::addRow("unites %d", p) << QStringLiteral("σ = 1.2471 µS/cm °C") << p;
            // Rich text goes to the label's own drawing.
            QTest::addRow("riche %d", p) << QStringLiteral("<b>7</b>") << p;
        }
    }
    void memesPixels() {
        QFETCH(QString, texte);
        QFETCH(int, pixels);
        QImage images[2];
        for (int k = 0; k < 2; ++k) {
            Panneau p(pixels);
            QLabel* l = k ? new TValeurVoie(p.cadre) : new QLabel(p.cadre);
            QFont f(QStringLiteral("Liberation Mono"));
            f.setPixelSize(pixels);
            l->setFont(f);
            QPalette c = l->palette();
            c.setColor(QPalette::WindowText, Qt::red);
            l->setPalette(c);
            l->setText(texte);
            l->setGeometry(8, 24, 580, pixels + 20);
            p.fenetre.show();
            images[k] = p.fenetre.grab().toImage();
        }
        QCOMPARE(images[1], images[0]);
    }

    void changementSansLePanneau() {
        Panneau p(30);
        auto* valeur = new TValeurVoie(p.cadre);
        valeur->setGeometry(8, 24, 194, 30);
        auto* stable = new TIndicateurStable(p.cadre);
        stable->setCheckable(true);
        stable->setGeometry(168, 4, 18, 18);
        p.fenetre.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.fenetre));
        int peintures = 0;
        struct Compte : QObject {
            int& n;
            explicit Compte(int& c) : n(c) {}
            bool eventFilter(QObject*, QEvent* e) override {
                n += e->type() == QEvent::Paint;
                return false;
            }
        } compte(peintures);
        p.cadre->installEventFilter(&compte);
        for (int i = 0; i < 5; ++i) {
            valeur->setText(QStringLiteral("pH = 7.0%1").arg(i));
            stable->setChecked(i % 2);
            QCoreApplication::processEvents();
        }
        QCOMPARE(peintures, 0);
    }
};

QTEST_MAIN(TstValeurVoie)
#include "tst_valeurvoie.moc"
