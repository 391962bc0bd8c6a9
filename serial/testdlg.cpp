#include "serial/testdlg.h"

#include "app/ecran.h"
#include "app/utilitaires.h"
#include "instruments/appareil.h"
#include "instruments/decodage.h"
#include "instruments/notation.h"

#include <QBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
// What a window left open keeps of a talkative instrument's stream.
constexpr qsizetype tailleMaxChaineLue = 4096;
} // namespace

TTestDlg::TTestDlg(QWidget* parent)
    : QDialog(parent),
      rejeu([this](TApdComPort* CP, quint16 Count) { TriggerAvailTest(CP, Count); }) {
    setObjectName(QStringLiteral("TestDlg"));
    setWindowTitle(QStringLiteral("Test"));
    auto* pile = new QHBoxLayout(this);
    MemoTest = new QPlainTextEdit(this);
    MemoTest->setObjectName(QStringLiteral("MemoTest"));
    MemoTest->setReadOnly(true);
    pile->addWidget(MemoTest, 1);

    auto* boutons = new QVBoxLayout;
    const auto bouton = [&](const QString& texte, const char* nom) {
        return Bouton(texte, nom, this, boutons);
    };
    MesureBtn = bouton(QStringLiteral("Nouvelle mesure"), "MesureBtn");
    InitBtn = bouton(QStringLiteral("&Initialiser"), "InitBtn");
    FinBtn = bouton(QStringLiteral("&Libérer"), "FinBtn");
    boutons->addStretch(1);
    CloseBtn = bouton(QStringLiteral("Fermer"), "CloseBtn");
    pile->addLayout(boutons);

    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, &TTestDlg::TimerTimer);
    connect(MesureBtn, &QPushButton::clicked, this, &TTestDlg::MesureBtnClick);
    connect(InitBtn, &QPushButton::clicked, this, &TTestDlg::InitBtnClick);
    connect(FinBtn, &QPushButton::clicked, this, &TTestDlg::FinBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
    AdapteEcran(this);
    resize(460, 360);
}

TTestDlg::~TTestDlg() {
    FormClose();
}

void TTestDlg::prepare(Tappareil* appareil, bool simulation) {
    Appareil = appareil;
    simulationWTW = simulation;
}

void TTestDlg::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormActivate();
    QDialog::showEvent(event);
}

void TTestDlg::log(const QString& ligne) {
    MemoTest->appendPlainText(ligne);
}

void TTestDlg::FormActivate() {
    MemoTest->clear();
    MesureBtn->setEnabled(true);
    if (!Appareil) return;
    if (simulationWTW) {
        rejeu.demarre();
    } else if (TApdComPort* port = Appareil->VoieSerie) {
        try {
            port->setOpen(true);
            port->setTracing(tlOn);
            port->setLogging(tlOn);
        } catch (const EAPDException& e) {
            log(QStringLiteral("Erreur de la voie série : ") + e.texte());
        }
        emprunt_.emprunte(port,
                          [this](TApdComPort* CP, quint16 Count) { TriggerAvailTest(CP, Count); });
    }
    InitBtn->setVisible(!Appareil->ChaineInit.isEmpty());
    FinBtn->setVisible(!Appareil->ChaineFin.isEmpty());
    if (!Appareil->ChaineInit.isEmpty())
        InitBtnClick();
    else
        MesureBtnClick();
}

void TTestDlg::Envoie(const QByteArray& octets) {
    TApdComPort* port = emprunt_.port();
    if (simulationWTW || !port) return;
    try {
        port->FlushInBuffer();
        port->PutString(octets);
    } catch (const EAPDException& e) {
        log(QStringLiteral("Erreur de la voie série : ") + e.texte());
    }
}

void TTestDlg::MesureBtnClick() {
    if (!Appareil) return;
    Appareil->ChaineLue.clear();
    MesureBtn->setEnabled(false);
    log(QString());
    if (!Appareil->EnvoiDirect) {
        log(QStringLiteral("Envoi de :"));
        log(CodeEnTexte(Appareil->Demande));
        Envoie(Appareil->Demande);
    }
    Timer.start(Appareil->Delai + 500);
    log(QStringLiteral("Attente de %1ms").arg(Appareil->Delai));
}

void TTestDlg::InitBtnClick() {
    if (!Appareil) return;
    log(QStringLiteral("Envoi de :"));
    log(CodeEnTexte(Appareil->ChaineInit));
    Envoie(Appareil->ChaineInit);
}

void TTestDlg::FinBtnClick() {
    if (!Appareil) return;
    log(QStringLiteral("Envoi de :"));
    log(CodeEnTexte(Appareil->ChaineFin));
    Envoie(Appareil->ChaineFin);
}

void TTestDlg::TriggerAvailTest(TApdComPort* CP, quint16 Count) {
    for (int i = 0; i < Count; ++i) {
        quint8 octet = 0;
        if (CP) {
            if (!CP->CharReady()) break;
            octet = CP->GetChar();
        } else if (simulationWTW) {
            octet = rejeu.LitOctet();
        }
        if (!Appareil) continue;
        if (octet == 9 || octet == 10 || octet == 13 || octet >= 32)
            Appareil->ChaineLue.append(char(octet));
    }
    if (Appareil && Appareil->ChaineLue.size() > tailleMaxChaineLue)
        Appareil->ChaineLue.remove(0, Appareil->ChaineLue.size() - tailleMaxChaineLue);
}

void TTestDlg::TimerTimer() {
    Timer.stop();
    if (!Appareil) return;
    Tappareil& A = *Appareil;
    log(QStringLiteral("Chaine reçue :"));
    ReponseEnLignes(A.ChaineLue, liste);
    for (const QString& ligne : std::as_const(liste))
        log(ligne);
    if (A.EnvoiDirect && A.FormatFixe) {
        const qsizetype garde = std::max<qsizetype>(A.NbreCarac, 0);
        if (A.ChaineLue.size() > garde) A.ChaineLue = A.ChaineLue.right(garde);
    } else if (A.EnvoiDirect && NombreCR(A.ChaineLue) > A.NbreLignes) {
        A.ChaineLue.remove(0, A.ChaineLue.indexOf('\r') + 1);
    }
    A.SetValeurCourante();
    if (A.depassement) log(QStringLiteral("Valeur >mini ou <maxi"));
    log(QStringLiteral("Valeur lue : ") + A.SymboleGrandeur + QLatin1Char('=') +
        FormatGeneral(A.ValeurCourante, A.Precision, 2, separateurDecimal()) + A.UniteGrandeur);
    MesureBtn->setEnabled(true);
}

void TTestDlg::FormClose() {
    Timer.stop();
    rejeu.arrete();
    if (!simulationWTW)
        if (TApdComPort* port = emprunt_.port()) {
            // The trace and log of the test are written to their files.
            port->setTracing(tlDump);
            port->setLogging(tlDump);
        }
    emprunt_.rend();
    Appareil = nullptr;
}

void TTestDlg::done(int r) {
    FormClose();
    QDialog::done(r);
}
