// The file box of the windowed program: the extension follows the filter chosen.
#include "app/dialogues.h"
#include "app/dialoguesqt.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TstDialogues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void suffixe_data() {
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<QString>("suffixe");
        QTest::newRow("csv") << "Tableur CSV (*.csv)"
                             << "csv";
        QTest::newRow("tm2") << "Configuration Telmira (*.tm2)"
                             << "tm2";
        QTest::newRow("motif seul") << "*.txt"
                                    << "txt";
        QTest::newRow("deux motifs") << "Images (*.png *.jpg)"
                                     << "png";
        QTest::newRow("tous") << "Tous (*.*)"
                              << "";
        QTest::newRow("étoile") << "Tous (*)"
                                << "";
    }
    void suffixe() {
        QFETCH(QString, filtre);
        QFETCH(QString, suffixe);
        QCOMPARE(suffixeDuFiltre(filtre), suffixe);
    }

    void boiteEnregistrement_data() {
        QTest::addColumn<int>("filtre");
        QTest::addColumn<QString>("tape");
        QTest::addColumn<QString>("ecrit");
        QTest::newRow("Kalvento") << 0 << "essai"
                                  << "essai.kw3";
        QTest::newRow("Tableur ASCII") << 1 << "essai"
                                       << "essai.txt";
        QTest::newRow("Tableur CSV") << 2 << "essai"
                                     << "essai.csv";
        QTest::newRow("extension tapée") << 2 << "essai.kw3"
                                         << "essai.kw3";
    }
    void boiteEnregistrement() {
        QFETCH(int, filtre);
        QFETCH(QString, tape);
        QFETCH(QString, ecrit);
        QTemporaryDir dossier;
        const auto boites = creeDialoguesQt();
        bool vue = false;
        QTimer::singleShot(0, this, [&] {
            auto* boite = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!boite) return;
            auto* types = boite->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* nom = boite->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (types && nom) {
                vue = true;
                // As the user does: a filter chosen in the list, then a name typed.
                types->setFocus();
                for (int k = 0; k < filtre; ++k)
                    QTest::keyClick(types, Qt::Key_Down);
                nom->setText(tape);
            }
            static_cast<QDialog*>(boite)->accept();
        });
        const QString chemin = boites->choisitFichier(
            true, QStringLiteral("Sauvegarde données"),
            QStringLiteral(
                "Kalvento (*.kw3)|*.kw3|Tableur ASCII (*.txt)|*.txt|Tableur CSV (*.csv)|*.csv"),
            QStringLiteral("KW3"), dossier.filePath(QStringLiteral("donnees")));
        QVERIFY(vue);
        QCOMPARE(QFileInfo(chemin).fileName(), ecrit);
    }
};

QTEST_MAIN(TstDialogues)
#include "tst_dialogues.moc"
