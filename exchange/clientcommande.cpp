#include "exchange/clientcommande.h"

#include "app/cp1252.h"
#include "exchange/canalcommande.h"
#include "exchange/canallocal.h"

#include <QEventLoop>
#include <QTimer>

int EnvoieMacroCommande(const QString& macro, QTextStream& sortie, const QString& dossier,
                        const QString& service, int attenteMs) {
    const QString nomService = service.isEmpty() ? canal::ServiceProgramme() : service;
    if (macro.contains(QChar(u'\0'))) {
        sortie << "La commande ne doit pas contenir de caractère nul.\n";
        return 2;
    }
    const QByteArray requete = versCp1252(macro) + '\0';
    if (requete.size() > canal::tailleMaxRequete) {
        sortie << "Commande trop longue.\n";
        return 2;
    }

    TSocketLocal client;
    client.connectToServer(canal::CheminCanal(nomService, canal::TopicDDE, dossier));
    if (!client.waitForConnected(2000)) {
        sortie << "Aucune copie de " << nomService
               << " n'est lancée : la commande n'a pas été transmise.\n";
        return 2;
    }
    client.write(requete);

    // The answer may wait for a dialog of the running copy to close; events go on meanwhile.
    QEventLoop boucle;
    QTimer delai;
    delai.setSingleShot(true);
    QObject::connect(&delai, &QTimer::timeout, &boucle, &QEventLoop::quit);
    QObject::connect(&client, &TSocketLocal::readyRead, &boucle, [&] {
        if (client.canReadLine()) boucle.quit();
    });
    QObject::connect(&client, &TSocketLocal::disconnected, &boucle, &QEventLoop::quit);
    delai.start(attenteMs);
    if (!client.canReadLine() && client.state() == TSocketLocal::ConnectedState) boucle.exec();

    if (!client.canReadLine()) {
        sortie << (client.state() == TSocketLocal::ConnectedState
                       ? "Pas de réponse de " + nomService + " : délai dépassé.\n"
                       : "La connexion a été fermée sans réponse.\n");
        return 3;
    }
    QByteArray ligne = client.readLine(canal::tailleMaxRequete);
    if (ligne.endsWith('\n')) ligne.chop(1);
    const QString reponse = depuisCp1252(ligne);
    sortie << reponse << '\n';
    sortie.flush();
    client.disconnectFromServer();
    return reponse == canal::ReponseOk ? 0 : 1;
}
