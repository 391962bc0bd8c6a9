#include "app/dialoguesqt.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QWidget* parentActif() {
    return QApplication::activeWindow();
}

class DialoguesQt : public Dialogues {
public:
    void message(const QString& texte) override {
        QMessageBox::information(parentActif(), QStringLiteral("Acquisition Telmira"), texte);
    }
    void erreur(const QString& texte) override {
        QMessageBox::warning(parentActif(), QStringLiteral("Acquisition Telmira"), texte);
    }
    bool confirme(const QString& texte) override {
        return QMessageBox::question(parentActif(), QStringLiteral("Acquisition Telmira"), texte,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    bool saisie(const QString& titre, const QString& invite, QString& valeur) override {
        bool ok = false;
        const QString lu =
            QInputDialog::getText(parentActif(), titre, invite, QLineEdit::Normal, valeur, &ok);
        if (ok) valeur = lu;
        return ok;
    }
    QString choisitFichier(bool enregistrer, const QString& titre, const QString& filtre,
                           const QString& extensionDefaut, const QString& nomInitial) override {
        // "caption|pattern|caption|pattern" becomes Qt's "caption;;caption".
        const QStringList morceaux = filtre.split(QLatin1Char('|'));
        QStringList filtres;
        for (qsizetype i = 0; i < morceaux.size(); i += 2)
            filtres << morceaux[i];
        QFileDialog boite(parentActif(), titre, QFileInfo(nomInitial).path(),
                          filtres.join(QStringLiteral(";;")));
        boite.setAcceptMode(enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        boite.setFileMode(enregistrer ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // A name typed without extension takes the one of the filter chosen: "Tableur CSV"
        // writes a .csv, not the default .kw3.
        auto suffixe = [&](const QString& choisi) {
            const QString s = suffixeDuFiltre(choisi);
            boite.setDefaultSuffix(s.isEmpty() ? extensionDefaut.toLower() : s);
        };
        QObject::connect(&boite, &QFileDialog::filterSelected, &boite, suffixe);
        // The filter of the name proposed, when there is one, is the one shown first.
        const QString suffixeInitial = QFileInfo(nomInitial).suffix();
        for (const QString& f : std::as_const(filtres))
            if (!suffixeInitial.isEmpty() &&
                suffixeDuFiltre(f).compare(suffixeInitial, Qt::CaseInsensitive) == 0) {
                boite.selectNameFilter(f);
                break;
            }
        suffixe(boite.selectedNameFilter());
        if (!nomInitial.isEmpty()) boite.selectFile(nomInitial);
        if (boite.exec() != QDialog::Accepted || boite.selectedFiles().isEmpty()) return {};
        return boite.selectedFiles().constFirst();
    }
};
} // namespace

std::unique_ptr<Dialogues> creeDialoguesQt() {
    return std::make_unique<DialoguesQt>();
}
