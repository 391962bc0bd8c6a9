#include "display/cinetiquemain.h"

#include "app/horloge.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

void TCinetiqueMain::CreeEtatAcquisition() {
    OldAppareilAcq.clear();
    dataSaved = true;
    // The backup table sits beside the program, named after it.
    const QString programme = QCoreApplication::applicationFilePath();
    const qsizetype point = programme.lastIndexOf(QLatin1Char('.'));
    const qsizetype barre = programme.lastIndexOf(QLatin1Char('/'));
    NomFichierSauvegarde =
        (point > barre ? programme.left(point) : programme) + QStringLiteral(".txt");
    // An installed program cannot write beside itself: the table goes to the user's data then,
    // as the device file does.
    if (!QFileInfo(QFileInfo(NomFichierSauvegarde).absolutePath()).isWritable()) {
        const QString donnees = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(donnees);
        NomFichierSauvegarde = QDir(donnees).filePath(QFileInfo(NomFichierSauvegarde).fileName());
    }

    EtatAcq = eaNone;
    ModeAcq = maTemps;
    AfficheModeAcq();
    PagePermise = false;

    DeltatMesure = 1;
    DureeMesure = 120;
    dateReception = 0;
    DeltatMin = 1;
    AppelKalvento = false;
    CodeBeep = 0;
    InstantDebut = heureDuJour();

    for (QGroupBox* cadre : PanelVoies->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly)) {
        bool ok = false;
        const int tag = cadre->property("Tag").toInt(&ok);
        if (!ok || tag < 0 || tag >= Tgraphe::MaxVoies) continue;
        groupBoxs[tag] = cadre;
        labels[tag] = cadre->findChild<QLabel*>();
        speedButtons[tag] = cadre->findChild<QToolButton*>();
    }
    graphe.LimiteFenetre = Oscillo->rect();
}

void TCinetiqueMain::SetEtatAcq(TEtatAcquisition Etat) {
    EtatAcq = Etat;
    const int n = graphe.NbrePoints;
    switch (Etat) {
    case eaEnCours:
    case eaNone:
        EnregistreBtn->setEnabled(false);
        break;
    case eaTerminee:
        if (ModeAcq == maTemps)
            EnregistreBtn->setEnabled(n == 0);
        else if (ModeAcq == maAppareilMaitre || ModeAcq == maBuretteTelmira)
            EnregistreBtn->setEnabled(false);
        break;
    case eaAttente:
    case eaIncrement:
    case eaClavier:
        EnregistreBtn->setEnabled(true);
        break;
    }
    ResetBtn->setEnabled((Etat == eaTerminee || Etat == eaIncrement || Etat == eaClavier) && n > 0);
    StopBtn->setEnabled(Etat == eaEnCours);
    RepereBtn->setEnabled(Etat == eaEnCours || Etat == eaIncrement || Etat == eaClavier);
    EnregistreNouveauFichierItem->setEnabled(n > 2);
    KalventoSaveBtn->setEnabled(EnregistreNouveauFichierItem->isEnabled());
    UndoBtn->setEnabled(false);
    PanelTemps->setVisible(ModeAcq == maTemps);

    int intervalle = DeltatMin * 1000;
    if (Etat == eaEnCours) {
        intervalle = ModeAcq == maAppareilMaitre   ? 1000
                     : ModeAcq == maBuretteTelmira ? 500
                                                   : DeltatMesure * 1000;
        intervalle = std::max(intervalle, DeltatMin * 1000);
    }
    Timer->setInterval(intervalle);
    if (graphe.NbreVoies >= 1 && Etat != eaNone && ModeAcq != maAppareilMaitre)
        Timer->start();
    else
        Timer->stop();
    Reponse = true;

    if (Etat == eaClavier) {
        ClavierEdit->clear();
        ClavierEdit->setFocus();
        ClavierGB->setTitle(QStringLiteral("Clavier=") + graphe.mondeX.Nom + QLatin1Char('/') +
                            graphe.mondeX.Unite);
    }
}

void TCinetiqueMain::SuspendAcq() {
    sauveTimer = Timer->isActive();
    sauveEtat = EtatAcq;
    Timer->stop();
    EtatAcq = eaNone;
}

void TCinetiqueMain::RepriseAcq() {
    if (sauveTimer) Timer->start();
    EtatAcq = sauveEtat;
}
