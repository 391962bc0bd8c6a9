#include "options.h"

#include <algorithm>

namespace {
bool litEntier(const QString& texte, int mini, int& valeur) {
    bool ok = false;
    const int v = texte.toInt(&ok);
    if (!ok || v < mini || v > 3600000) return false;
    valeur = v;
    return true;
}

bool litReel(const QString& texte, double mini, double& valeur) {
    bool ok = false;
    const double v = QString(texte).replace(u',', u'.').toDouble(&ok);
    if (!ok || !(v >= mini) || v > 3600) return false;
    valeur = v;
    return true;
}
} // namespace

bool litOptions(const QStringList& arguments, OptionsSimulateur& options, QString& erreur) {
    OptionsAppareil defauts;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString option = arguments[i];
        QString valeur;
        bool valeurJointe = false;
        if (option.startsWith(QLatin1String("--")) && option.contains(u'=')) {
            valeur = option.mid(option.indexOf(u'=') + 1);
            option = option.left(option.indexOf(u'='));
            valeurJointe = true;
        }
        static const QStringList avecValeur{QStringLiteral("-a"),
                                            QStringLiteral("--appareil"),
                                            QStringLiteral("-f"),
                                            QStringLiteral("--fichier"),
                                            QStringLiteral("-l"),
                                            QStringLiteral("--lien"),
                                            QStringLiteral("-s"),
                                            QStringLiteral("--source"),
                                            QStringLiteral("--delai"),
                                            QStringLiteral("--periode"),
                                            QStringLiteral("--graine"),
                                            QStringLiteral("--modele"),
                                            QStringLiteral("--capacite"),
                                            QStringLiteral("--duree-reset"),
                                            QStringLiteral("--panne-apres"),
                                            QStringLiteral("--becher"),
                                            QStringLiteral("--electrode")};
        if (avecValeur.contains(option) && !valeurJointe) {
            if (i + 1 >= arguments.size()) {
                erreur = QStringLiteral("l'option %1 attend une valeur").arg(option);
                return false;
            }
            valeur = arguments[++i];
        } else if (!avecValeur.contains(option) && valeurJointe) {
            erreur = QStringLiteral("l'option %1 ne prend pas de valeur").arg(option);
            return false;
        }
        OptionsAppareil& a = options.appareils.empty() ? defauts : options.appareils.back();
        if (option == QLatin1String("-h") || option == QLatin1String("--help") ||
            option == QLatin1String("--aide")) {
            options.aide = true;
        } else if (option == QLatin1String("-a") || option == QLatin1String("--appareil")) {
            OptionsAppareil nouveau = defauts;
            nouveau.nom = valeur;
            options.appareils.push_back(nouveau);
        } else if (option == QLatin1String("--burette")) {
            OptionsAppareil nouveau = defauts;
            nouveau.nom = QStringLiteral("BuretteTelmira");
            nouveau.burette = true;
            options.appareils.push_back(nouveau);
        } else if (option == QLatin1String("--modele")) {
            const QString m = valeur.trimmed().toLower();
            if (m != QLatin1String("basic") && m != QLatin1String("universal")) {
                erreur =
                    QStringLiteral("--modele : basic ou universal attendu, lu « %1 »").arg(valeur);
                return false;
            }
            a.reglagesBurette.universelle = m == QLatin1String("universal");
        } else if (option == QLatin1String("--capacite")) {
            if (!litEntier(valeur, 1, a.reglagesBurette.capacite) ||
                a.reglagesBurette.capacite > 99) {
                erreur = QStringLiteral("--capacite : un volume de 1 à 99 mL attendu, lu « %1 »")
                             .arg(valeur);
                return false;
            }
        } else if (option == QLatin1String("--duree-reset")) {
            if (!litReel(valeur, 0, a.reglagesBurette.dureeReset)) {
                erreur = QStringLiteral("--duree-reset : un nombre de secondes attendu, lu « %1 »")
                             .arg(valeur);
                return false;
            }
        } else if (option == QLatin1String("--panne-apres")) {
            if (!litEntier(valeur, 0, a.reglagesBurette.panneApres)) {
                erreur = QStringLiteral("--panne-apres : un nombre d'ajouts attendu, lu « %1 »")
                             .arg(valeur);
                return false;
            }
        } else if (option == QLatin1String("--becher")) {
            if (!options.reglagesBecher.choisit(valeur)) {
                erreur =
                    QStringLiteral("--becher : hcl ou acetique attendu, lu « %1 »").arg(valeur);
                return false;
            }
            options.becher = valeur.trimmed().toLower();
        } else if (option == QLatin1String("--electrode")) {
            if (!litReel(valeur, 0, options.reglagesBecher.constanteTemps)) {
                erreur = QStringLiteral("--electrode : une constante de temps en secondes "
                                        "attendue, lu « %1 »")
                             .arg(valeur);
                return false;
            }
        } else if (option == QLatin1String("-f") || option == QLatin1String("--fichier")) {
            a.fichier = valeur;
            options.fichierListe = valeur;
        } else if (option == QLatin1String("-l") || option == QLatin1String("--lien")) {
            if (options.appareils.empty()) {
                erreur = QStringLiteral("--lien se place après le --appareil qu'il concerne");
                return false;
            }
            a.lien = valeur;
        } else if (option == QLatin1String("-s") || option == QLatin1String("--source")) {
            a.source = valeur;
        } else if (option == QLatin1String("--delai")) {
            if (!litEntier(valeur, 0, a.jeu.delaiReponseMs)) {
                erreur = QStringLiteral("--delai : un nombre de millisecondes (0 ou plus) "
                                        "attendu, lu « %1 »")
                             .arg(valeur);
                return false;
            }
        } else if (option == QLatin1String("--periode")) {
            if (!litEntier(valeur, 1, a.jeu.periodeMs)) {
                erreur = QStringLiteral("--periode : un nombre de millisecondes (1 ou plus) "
                                        "attendu, lu « %1 »")
                             .arg(valeur);
                return false;
            }
        } else if (option == QLatin1String("--stable")) {
            a.jeu.stable = true;
        } else if (option == QLatin1String("--instable")) {
            a.jeu.stable = false;
        } else if (option == QLatin1String("--hors-plage")) {
            a.jeu.horsPlage = true;
        } else if (option == QLatin1String("--trace")) {
            a.jeu.trace = true;
        } else if (option == QLatin1String("--stdin-fin")) {
            options.stdinFin = true;
        } else if (option == QLatin1String("--liste")) {
            options.liste = true;
        } else if (option == QLatin1String("--graine")) {
            bool ok = false;
            options.graine = valeur.toUInt(&ok);
            if (!ok) {
                erreur =
                    QStringLiteral("--graine : un entier positif attendu, lu « %1 »").arg(valeur);
                return false;
            }
            options.graineDonnee = true;
        } else {
            erreur = QStringLiteral("option inconnue « %1 » (voir --help)").arg(arguments[i]);
            return false;
        }
    }
    if (options.appareils.empty() && !options.aide && !options.liste) {
        erreur = QStringLiteral("aucun appareil : donner au moins --appareil NOM (voir --help)");
        return false;
    }
    const auto burettes = std::count_if(options.appareils.begin(), options.appareils.end(),
                                        [](const OptionsAppareil& o) { return o.burette; });
    if (burettes > 1) {
        erreur = QStringLiteral("une seule --burette à la fois");
        return false;
    }
    const bool becherLu = std::any_of(
        options.appareils.begin(), options.appareils.end(),
        [](const OptionsAppareil& o) { return o.source.trimmed().toLower() == "becher"; });
    if ((becherLu || !options.becher.isEmpty()) && (burettes == 0 || options.becher.isEmpty())) {
        erreur = QStringLiteral("le bécher demande --burette, --becher hcl|acetique et un "
                                "pH-mètre avec -s becher");
        return false;
    }
    return true;
}

QString texteAide() {
    return QStringLiteral(
        "Usage : simulateur [options communes] --appareil NOM [options de l'appareil]\n"
        "                   [--appareil NOM2 [options]] ...\n"
        "\n"
        "Simule des instruments de mesure sur des pseudo-terminaux : chaque appareil reçoit\n"
        "son port série (/dev/pts/N), répond à sa demande comme le décrit sa description,\n"
        "ou émet seul à son rythme s'il est « en continu ».\n"
        "\n"
        "Les options placées avant le premier --appareil valent pour tous les appareils ;\n"
        "celles qui suivent un --appareil ne valent que pour lui.\n"
        "\n"
        "Appareils :\n"
        "  -a, --appareil NOM   nom exact de la description (NomAppareil), par exemple\n"
        "                       \"CONSORT C3010 (pH)\" ; un nom inconnu affiche les noms proches\n"
        "  -f, --fichier CHEMIN lit les descriptions dans ce fichier d'appareils (format INI du\n"
        "                       programme) au lieu du catalogue intégré\n"
        "      --liste          affiche les noms des appareils disponibles et termine\n"
        "  -l, --lien CHEMIN    crée un lien symbolique CHEMIN vers le pseudo-terminal de\n"
        "                       l'appareil (retiré à la fin)\n"
        "\n"
        "Valeurs jouées :\n"
        "  -s, --source SOURCE  constante:V            valeur fixe (ex. constante:7.01)\n"
        "                       rampe:DEBUT,PENTE      DEBUT + PENTE par seconde écoulée\n"
        "                       bruit:MOYENNE,ECART    tirages gaussiens\n"
        "                       fichier:CHEMIN         courbe de lignes « temps valeur »\n"
        "                                              (interpolée, dernière valeur tenue)\n"
        "                       Décimales avec « . » ; avec « ; » entre les nombres, « , »\n"
        "                       est aussi accepté. Par défaut : milieu de la plage Mini..Maxi.\n"
        "      --hors-plage     ne ramène pas les valeurs dans Mini..Maxi (elles restent\n"
        "                       limitées à ce que la réponse peut écrire)\n"
        "      --graine N       graine des tirages de bruit (reproductibles)\n"
        "      --stable         appareils qui signalent leur stabilité (clé STAB) : réponse\n"
        "                       marquée stable (« SRAB » en tête ; par défaut)\n"
        "      --instable       réponse marquée non stable (« INST » en tête)\n"
        "\n"
        "Burette et dosage :\n"
        "      --burette        une burette Schott Titronic (protocole RS232 de la burette\n"
        "                       du mode dosage), sur son propre pseudo-terminal ; ses options :\n"
        "      --modele M       universal (défaut) ou basic\n"
        "      --capacite ML    capacité annoncée, de 1 à 99 mL (défaut 20)\n"
        "      --duree-reset S  durée du remplissage de la remise à zéro (défaut 2 s)\n"
        "      --panne-apres N  ne répond plus rien après N ajouts (essai des pannes)\n"
        "      --becher ACIDE   20 mL d'acide à 0,1 mol/L titrés par la soude à 0,1 mol/L\n"
        "                       versée par la burette : hcl ou acetique (pKa 4,76)\n"
        "      --electrode S    constante de temps de l'électrode de pH (défaut 3 s)\n"
        "  -s becher            source d'un pH-mètre : le pH lu dans le bécher\n"
        "\n"
        "Rythme :\n"
        "      --delai MS       délai entre la demande et la réponse (défaut 20, 0 permis)\n"
        "      --periode MS     période d'émission d'un appareil en continu (défaut : son\n"
        "                       « Délai mini entre mesures »)\n"
        "\n"
        "Divers :\n"
        "      --trace          écrit chaque échange sur la sortie d'erreur\n"
        "      --stdin-fin      termine quand l'entrée standard est fermée\n"
        "  -h, --help           cette aide\n"
        "\n"
        "Sortie standard : une ligne par appareil, puis « PRET » quand tous sont prêts :\n"
        "  APPAREIL <n> COM<port de la description> <pseudo-terminal> <lien ou -> <nom>\n"
        "Le nom, dernier champ, va jusqu'à la fin de la ligne. Pour que le programme\n"
        "utilise ce terminal comme port COMn : TELMIRA_COMn=<pseudo-terminal>.\n"
        "\n"
        "Sortie d'erreur : demandes inconnues et avertissements, une ligne chacun,\n"
        "préfixée par « simulateur: ». Fin par SIGTERM, SIGINT (Ctrl+C), SIGHUP, ou la\n"
        "fermeture de l'entrée standard avec --stdin-fin.\n"
        "\n"
        "Exemple :\n"
        "  simulateur --appareil \"CONSORT C3010 (pH)\" --lien /tmp/com1 -s rampe:4,0.05 \\\n"
        "             --appareil \"WTW Cond Level 2\" -s bruit:0.00146,0.00001\n"
        "  simulateur --burette --lien /tmp/com1 --capacite 25 --becher acetique \\\n"
        "             --appareil \"CONSORT C3010 (pH)\" --lien /tmp/com2 -s becher\n");
}
