#include "exchange/pagedlg.h"

#include "app/utilitaires.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
// A constant counts only with a symbol and a value that reads as a number; a trailing decimal
// prefix (4.7k) is first written as a power of ten, in the box itself.
bool ValideConstante(const QLineEdit* nom, QLineEdit* valeur) {
    QString texte = valeur->text();
    PrefixeEnExposant(texte);
    valeur->setText(texte);
    return !nom->text().isEmpty() && !estNaN(LitNombre(texte));
}
} // namespace

TPageDlg::TPageDlg(TInfosPage& infos, QWidget* parent) : QDialog(parent), infos_(infos) {
    setObjectName(QStringLiteral("PageDlg"));
    setWindowTitle(QStringLiteral("Renseignements sur la page courante"));
    auto* vertical = new QVBoxLayout(this);

    auto* parametres = new QGroupBox(QStringLiteral("Paramètres expérimentaux"), this);
    auto* grille = new QGridLayout(parametres);
    grille->addWidget(new QLabel(QStringLiteral("Symbole"), parametres), 0, 0);
    grille->addWidget(new QLabel(QStringLiteral("Unité"), parametres), 0, 1);
    grille->addWidget(new QLabel(QStringLiteral("Valeur"), parametres), 0, 2);
    const auto boite = [&](int ligne, int colonne, const char* nom) {
        auto* e = new QLineEdit(parametres);
        e->setObjectName(QString::fromLatin1(nom));
        grille->addWidget(e, ligne, colonne);
        return e;
    };
    EditNom1 = boite(1, 0, "EditNom1");
    EditUnite1 = boite(1, 1, "EditUnite1");
    EditValeur1 = boite(1, 2, "EditValeur1");
    EditNom2 = boite(2, 0, "EditNom2");
    EditUnite2 = boite(2, 1, "EditUnite2");
    EditValeur2 = boite(2, 2, "EditValeur2");
    EditNom1->setMaxLength(8);
    EditNom2->setMaxLength(8);
    vertical->addWidget(parametres);

    auto* commentaire = new QGroupBox(QStringLiteral("Commentaire"), this);
    auto* dansCommentaire = new QVBoxLayout(commentaire);
    Memo = new QPlainTextEdit(commentaire);
    Memo->setObjectName(QStringLiteral("Memo"));
    dansCommentaire->addWidget(Memo);
    vertical->addWidget(commentaire, 1);

    NewPageCB = new QComboBox(this);
    NewPageCB->setObjectName(QStringLiteral("NewPageCB"));
    NewPageCB->addItems({QStringLiteral("Nouveau fichier"), QStringLiteral("Nouvelle page")});
    NewPageCB->setCurrentIndex(0);
    auto* choix = new QGroupBox(QStringLiteral("Données vers Kalvento"), this);
    choix->setObjectName(QStringLiteral("NewPageGB"));
    auto* dansChoix = new QVBoxLayout(choix);
    dansChoix->addWidget(NewPageCB);
    vertical->addWidget(choix);
    choix->setVisible(false);

    auto* boutons = new QDialogButtonBox(this);
    OKBtn = boutons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    CancelBtn = boutons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    vertical->addWidget(boutons);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    Recharge();
    for (QLineEdit* e : {EditNom1, EditUnite1, EditValeur1, EditNom2, EditUnite2, EditValeur2})
        connect(e, &QLineEdit::textChanged, this, &TPageDlg::Transmet);
    connect(Memo, &QPlainTextEdit::textChanged, this, &TPageDlg::Transmet);
}

void TPageDlg::Recharge() {
    const TInfosPage copie = infos_;
    EditNom1->setText(copie.Nom1);
    EditUnite1->setText(copie.Unite1);
    EditValeur1->setText(copie.Valeur1);
    EditNom2->setText(copie.Nom2);
    EditUnite2->setText(copie.Unite2);
    EditValeur2->setText(copie.Valeur2);
    if (Memo->toPlainText() != copie.Commentaire.join(QLatin1Char('\n')))
        Memo->setPlainText(copie.Commentaire.join(QLatin1Char('\n')));
    infos_ = copie;
}

void TPageDlg::Transmet() {
    infos_.Nom1 = EditNom1->text();
    infos_.Unite1 = EditUnite1->text();
    infos_.Valeur1 = EditValeur1->text();
    infos_.Nom2 = EditNom2->text();
    infos_.Unite2 = EditUnite2->text();
    infos_.Valeur2 = EditValeur2->text();
    infos_.Commentaire = LignesCommentaire();
}

void TPageDlg::PrepareAffichage(bool transfert) {
    if (auto* choix = findChild<QGroupBox*>(QStringLiteral("NewPageGB")))
        choix->setVisible(transfert);
    OKBtn->setText(transfert ? QStringLiteral("Enregistrer") : QStringLiteral("OK"));
    setWindowTitle(transfert ? QStringLiteral("Enregistre les données courantes dans Kalvento")
                             : QStringLiteral("Renseignements sur la page courante"));
}

QStringList TPageDlg::LignesCommentaire() const {
    QStringList lignes = Memo->toPlainText().split(QLatin1Char('\n'));
    // A last Enter opens no line of its own, as in a memo's list of lines.
    if (lignes.size() > 1 && lignes.back().isEmpty()) lignes.removeLast();
    return lignes;
}

void TPageDlg::OKBtnClick() {
    NbreConst = 0;
    Const1 = ValideConstante(EditNom1, EditValeur1);
    if (Const1) ++NbreConst;
    Const2 = ValideConstante(EditNom2, EditValeur2);
    if (Const2) ++NbreConst;
    Transmet();
    infos_.Const1 = Const1;
    infos_.Const2 = Const2;
    ModifConst = EditNom1->text() != oldNom1 || EditNom2->text() != oldNom2;
}

void TPageDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TPageDlg::FormShow() {
    oldNom1 = EditNom1->text();
    oldNom2 = EditNom2->text();
}
