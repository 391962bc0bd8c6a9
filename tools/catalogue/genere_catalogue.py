#!/usr/bin/env python3
"""Writes instruments/catalogue/catalogue.ini, the device catalogue built into the program.

The file is Windows-1252 with CR LF line ends and no byte-order mark, in the device file format:
one section per instrument (keys in the order the program writes them), "BuretteTelmira" and
"Index".  Run from anywhere: python3 tools/catalogue/genere_catalogue.py
"""

import os
import sys

CHAPEAU = "\u02c6"  # byte 0x88 in Windows-1252: the symbol of the wavelength channels
EURO = "\u20ac"     # byte 0x80

PARITES = {0: "sans parité", 1: "parité impaire", 2: "parité paire", 3: "parité marque",
           4: "parité espace"}

# Defaults of each kind of instrument; every entry overrides what it needs.
BASE = dict(lcu=0, lnu=0, nom="tension", unite="V", prec=4, mini=0.0, maxi=1.0, baud=9600,
            data=8, parite=0, stop=1, rts=0, xon=0, debut=1, nbcarac=1, delai=1000, fixe=0,
            numero=1, lignes=1, sep=0, continu=0, filtre=1, demande="", demandebis="",
            init="", fin="", symbole="V", derive="-1", verif="", numverif=0)


def pH(**k):
    return dict(dict(nom="pH", unite="", symbole="pH", mini=0, maxi=14, prec=3), **k)


def mV(**k):
    return dict(dict(nom="tension", unite="mV", symbole="E", mini=-2000, maxi=2000, prec=4), **k)


def temp(**k):
    return dict(dict(nom="température", unite="°C", symbole="T", mini=-10, maxi=110, prec=3), **k)


def cond(**k):
    return dict(dict(nom="conductivité", unite="S/cm", symbole="?", mini=0, maxi=2, prec=4,
                     lcu=1), **k)


def absorb(**k):
    return dict(dict(nom="absorbance", unite="", symbole="A", mini=-0.3, maxi=3, prec=4), **k)


def onde(**k):
    return dict(dict(nom="longueur d'onde", unite="nm", symbole=CHAPEAU, mini=190, maxi=1100,
                     prec=4), **k)


def o2(**k):
    return dict(dict(nom="oxygène dissous", unite="mg/L", symbole="O2", mini=0, maxi=20,
                     prec=3), **k)


def masse(**k):
    return dict(dict(nom="masse", unite="g", symbole="m", prec=6), **k)


# Help shared by the channels of one instrument family.  The serial settings line is added
# from the entry's own parameters.
AIDE = {
    "bausch": ["Spectronic 501/601 : la sortie série se règle dans le menu « RS232 ».",
               "Câble null-modem 9 broches (2-3 croisées, masse en 5).",
               "Le programme envoie SND ; l'appareil répond par une ligne dont le 2e nombre est "
               "l'absorbance.",
               "Choisir le mode Absorbance (touche A/T/C) avant la mesure."],
    "polystat": ["Bain Polystat : menu Configuration > Interface > RS232.",
                 "Câble droit 9 broches fourni par Bioblock.",
                 "La commande IN_PV_00 renvoie la température du bain (sonde interne).",
                 "La consigne se règle sur le bain, le programme ne fait que lire."],
    "cecil": ["CECIL série 1000 : menu UTILITY > RS232 OUTPUT.",
              "Câble null-modem avec RTS/CTS reliés (le spectrophotomètre attend CTS).",
              "Le programme interroge l'appareil (?RPTA pour l'absorbance, ?RPTW pour la longueur "
              "d'onde).",
              "L'appareil doit être en mode distant : appuyer sur REMOTE avant l'acquisition."],
    "consort3010": ["CONSORT C3010 : touche SETUP, rubrique « RS232 ».",
                    "Câble null-modem 9 broches ; contrôle XON/XOFF à activer sur l'appareil.",
                    "Les canaux pH et conductivité se lisent séparément, un par voie."],
    "consort3010auto": ["Mode automatique : SETUP > PRINT > AUTO, intervalle 1 s.",
                        "L'appareil envoie une ligne par mesure, l'unité (mS/cm, µS/cm) après "
                        "le nombre."],
    "consort831": ["CONSORT C831 : menu SETUP > COMMUNICATION, protocole « PC ».",
                   "Câble null-modem 9 broches.",
                   "L'appareil répond à chaque demande par un enregistrement de longueur fixe.",
                   "Choisir sur l'appareil le canal à mesurer (pH, mV ou conductivité)."],
    "k320": ["CONSORT K320 : menu CONF > RS, sortie « ON LINE ».",
             "Câble null-modem 9 broches.",
             "La réponse porte la conductivité suivie de son unité ; le préfixe (m, µ) est lu."],
    "crison": ["CRISON 2002 : paramètre « Pr » (impression) sur « Cont ».",
               "Câble droit 25-9 broches fourni par Crison.",
               "Chaque envoi contient le pH et la température dans un enregistrement fixe.",
               "Attendre que l'appareil ait affiché une première mesure avant de lancer."],
    "ivo": ["Codeur angulaire IVO : adresse 0001, protocole STX/ETX.",
            "Convertisseur RS485/RS232 alimenté, câble droit côté PC.",
            "Le programme demande la position (|STX|0001|ETX|), réponse en degrés.",
            "Remettre le codeur à zéro (bouton RESET) avant l'acquisition."],
    "deltaohm": ["DeltaOhm HD3405 : menu > Serial > Baud rate.",
                 "Câble HD2110CSNM (null-modem) fourni avec l'appareil.",
                 "La commande S0 renvoie une ligne : pH, mV puis température.",
                 "Désactiver l'impression automatique (Print interval = 0)."],
    "gensis": ["Genesys 10 : Utility > Printer > « Serial », format texte.",
               "Câble null-modem 9 broches.",
               "Choisir le mode Absorbance, puis l'impression automatique à chaque lecture.",
               "Chaque ligne se termine par l'unité « Abs »."],
    "hanna9017": ["Hanna HI 9017 : SETUP > « bAud », puis « Prn » sur « OFF » (mode commande).",
                  "Câble Hanna HI 920010 (DB9 femelle).",
                  "Le programme interroge l'appareil (commande DLE + Ph? ou mV?)."],
    "hanna9032": ["Hanna HI 9032 : SETUP > « rS » ; vitesse à régler sur l'appareil.",
                  "Câble Hanna HI 920010.",
                  "L'appareil répond par un enregistrement fixe : valeur puis unité."],
    "hanna30x": ["Hanna pH 301/302 : SETUP > RS232, mode « commande ».",
                 "Câble Hanna HI 920011 (DB9).",
                 "La commande RAS renvoie un enregistrement : pH, mV, température, ion.",
                 "Chaque voie lit sa colonne ; étalonner l'électrode avant la mesure."],
    "heito": ["Heito : sortie RS232 toujours active, envoi automatique toutes les 2 s.",
              "Câble droit DIN 5 broches / DB9 fourni par Heito.",
              "Format 7 bits, parité paire : ne pas le modifier sur l'appareil.",
              "L'appareil envoie le symbole de la grandeur avec chaque valeur."],
    "heitoq": ["Heito : la touche PRINT doit être en position « PC » (mode commande).",
               "Câble droit DIN 5 broches / DB9 fourni par Heito.",
               "Le programme envoie M ; la réponse porte toutes les grandeurs dans l'ordre de "
               "l'affichage.",
               "Chaque voie lit un rang de la ligne (pH, mV, conductivité, température)."],
    "inforlab": ["INFORLAB : menu CONFIG > SORTIE > « PC ».",
                 "Câble null-modem 9 broches.",
                 "Le programme envoie D ; la réponse est une ligne par grandeur mesurée."],
    "jenway4520": ["Jenway 4520 : SETUP > OUTPUT > RS232, mode « on demand ».",
                   "Câble Jenway 013203 (null-modem).",
                   "La réponse donne la conductivité et son unité ; le préfixe m ou µ est lu."],
    "jenwayic": ["Jenway : menu SETUP > RS232 ; flux matériel RTS/CTS obligatoire.",
                 "Câble Jenway null-modem avec RTS/CTS croisés.",
                 "Le programme demande la mesure (A pour l'absorbance, W pour la longueur "
                 "d'onde).",
                 "Faire le blanc sur l'appareil avant de lancer l'acquisition."],
    "metrohm": ["METROHM 691 : CONFIG > RS232, « Send » sur « request ».",
                "Câble Metrohm 6.2125.020 (null-modem).",
                "La réponse a une longueur fixe, la valeur en tête."],
    "milton": ["Spectronic 301 : interrupteur arrière « RS232 » sur ON, vitesse par cavaliers.",
               "Câble null-modem 25 broches.",
               "Mode absorbance ; la réponse est fixe, la valeur après une lettre de mode."],
    "meterman": ["Meterman 38XR : maintenir la touche RS232 au démarrage, le symbole RS232 "
                 "s'affiche.",
                 "Câble optique RS232 fourni avec le multimètre.",
                 "Le multimètre envoie la valeur et l'unité en continu ; l'unité lue remplace "
                 "celle de la voie.",
                 "Choisir le calibre sur le multimètre (V, mA, ohms...)."],
    "sevenmulti": ["Mettler SevenMulti : menu Setup > Print > « Format court » et « Auto ».",
                   "Câble Mettler 51302997 (null-modem), XON/XOFF activé.",
                   "Chaque envoi contient les lignes de tous les modules ; la voie retient la "
                   "ligne dont l'unité correspond.",
                   "Délai d'impression conseillé : 4 s au moins."],
    "s20": ["Mettler Toledo SevenEasy : menu > « Transfert PC » activé.",
            "Câble RS232 Mettler (null-modem).",
            "Le programme interroge l'appareil ; la réponse est une ligne de mesure."],
    "ohaus": ["Ohaus : menu PRINT > « A.Print » sur « Cont ».",
              "Câble Ohaus null-modem 9 broches ; RTS/CTS sur la Pioneer.",
              "La balance envoie la masse et l'unité (g, kg) en continu.",
              "Faire la tare avant de lancer l'acquisition."],
    "orion": ["Orion Star : Setup > RS232 > Baud 9600, « Data logging » désactivé.",
              "Câble Thermo 1010053 (USB/série) ou null-modem 9 broches.",
              "Le programme envoie GetMeas ; la réponse est une fiche de 15 lignes.",
              "La voie lit un rang de la fiche (pH, mV, température, conductivité, O2)."],
    "orphy": ["Orphy GTS2 : interface série du boîtier, vitesse fixe 38400 bauds.",
              "Câble Micrelec fourni avec le boîtier.",
              "Le programme demande la mesure de l'entrée pH (commande MES).",
              "Étalonner le capteur pH dans le logiciel du boîtier avant usage."],
    "perkin": ["PERKIN Lambda : menu SETUP > INTERFACE > RS232.",
               "Câble null-modem 25 broches.",
               "Le programme envoie RA (absorbance) ou RW (longueur d'onde) ; réponse fixe."],
    "precisa": ["Precisa : menu « Interface » > Print > « Auto ».",
                "Câble Precisa 350-8588 (null-modem).",
                "La balance envoie la masse dans un enregistrement fixe, l'unité après la "
                "valeur."],
    "radiometer": ["RADIOMETER : menu SETUP > OUTPUT > « PC ».",
                   "Câble Radiometer A95X501 (null-modem).",
                   "La réponse est un enregistrement fixe, la valeur en tête puis l'unité."],
    "safas": ["SAFAS S320 : paramètres > « Liaison série ».",
              "Câble null-modem 9 broches.",
              "Le programme envoie A ; réponse fixe en absorbance."],
    "secomam": ["SECOMAM S500 : menu CONFIG > SORTIE > « Série ».",
                "Câble null-modem 9 broches.",
                "Le programme envoie ABS ; la réponse est une ligne."],
    "sartorius": ["Sartorius : menu 1-7 (SBI), « Impression manuelle sans stabilité ».",
                  "Câble Sartorius 7357312 (25 ou 9 broches).",
                  "Le programme envoie ESC P ; la balance répond par la masse sur 16 ou 22 "
                  "caractères.",
                  "Faire la tare avant de lancer l'acquisition."],
    "schott": ["Schott pH/LF 12 : menu « Out » sur « Auto ».",
               "Câble Schott null-modem DIN / DB9.",
               "L'appareil envoie un rapport de 132 caractères ; la voie y cherche sa grandeur."],
    "tacussel": ["TACUSSEL : commutateur arrière « RS232 » sur ON.",
                 "Câble Tacussel DIN / DB25.",
                 "Le programme envoie M ; réponse : pH puis mV sur une ligne."],
    "titronic": ["Titronic : menu Réglages > RS232 > adresse 1.",
                 "Câble Schott TZ 3097 (null-modem).",
                 "Le programme lit le volume délivré (commande 01VO).",
                 "Pour un dosage piloté, utiliser le mode « Burette Schott Titronic »."],
    "ultrospec": ["ULTROSPEC II : menu OPTIONS > « Print » sur « Auto ».",
                  "Câble null-modem 25 broches.",
                  "L'appareil envoie l'absorbance à chaque lecture, sur 10 caractères."],
    "wtw": ["WTW : menu Config > « Baud » ; interface série toujours active.",
            "Câble WTW AK 340/B (ou AK 325/S pour les appareils ronds).",
            "Régler l'intervalle d'impression automatique (« Int ») à 5 s.",
            "La voie reconnaît sa valeur à l'unité qui la suit."],
    "wtwp4": ["WTW P4 : menu Config > « Out » sur « PC », intervalle 5 s.",
              "Câble WTW AK 340/B (DB9).",
              "L'appareil envoie un bloc de 5 lignes ; la voie y trouve sa valeur par l'unité.",
              "Le séparateur de milliers (caractère 127) est ignoré."],
}

# The catalogue, in file order.
INSTRUMENTS = [
    ("BAUSCH Spectronic 501/601", "bausch",
     absorb(baud=1200, stop=2, delai=900, numero=2, demande="SND|CR||LF|", mini=0, maxi=3)),
    ("Bain Polystat (Bioblock)", "polystat",
     temp(baud=4800, delai=500, demande="IN_PV_00|CR|", mini=-20, maxi=100)),
    ("CECIL 1000 (A)", "cecil",
     absorb(data=7, parite=2, stop=2, rts=1, delai=500, fixe=1, debut=3, nbcarac=9,
            demande="?RPTA|CR|")),
    ("CECIL 1000 (" + CHAPEAU + ")", "cecil",
     onde(data=7, parite=2, stop=2, rts=1, delai=500, fixe=1, debut=3, nbcarac=12,
          demande="?RPTW|CR|")),
    ("CONSORT C3010 (mS)", "consort3010",
     cond(baud=2400, stop=2, xon=1, delai=500, demande="GC|CR|", maxi=3)),
    ("CONSORT C3010 (pH)", "consort3010",
     pH(baud=2400, stop=2, xon=1, delai=500, demande="GP|CR|")),
    ("CONSORT C3010 auto (mS)", "consort3010auto",
     cond(baud=2400, stop=2, xon=1, delai=250, continu=1, debut=-7, demande="S/cm",
          symbole="s", maxi=3)),
    ("CONSORT C3010 auto (pH)", "consort3010auto",
     pH(baud=2400, stop=2, xon=1, delai=250, continu=1, debut=-7, demande="pH")),
    ("CONSORT C831 (mS)", "consort831",
     cond(fixe=1, debut=1, nbcarac=16, demande="RC|CR|", maxi=1)),
    ("CONSORT C831 (mV)", "consort831", mV(fixe=1, debut=1, nbcarac=12, demande="RM|CR|")),
    ("CONSORT C831 (pH)", "consort831", pH(fixe=1, debut=1, nbcarac=10, demande="RP|CR|")),
    ("CONSORT K320", "k320",
     cond(baud=2400, fixe=1, debut=1, nbcarac=16, demande="RD|CR|", filtre=0)),
    ("CRISON 2002 (T)", "crison",
     temp(baud=2400, continu=1, fixe=1, debut=-7, nbcarac=24, demande="°C", maxi=100,
          filtre=0)),
    ("CRISON 2002 (pH)", "crison",
     pH(baud=2400, continu=1, fixe=1, debut=-7, nbcarac=24, demande="pH")),
    ("Codeur IVO", "ivo",
     dict(nom="autre", unite="°", symbole=EURO, mini=0, maxi=3, prec=5, delai=1000, fixe=1,
          debut=6, nbcarac=12, demande="|STX|0001|ETX|")),
    ("DeltaOhm HD3405 (T)", "deltaohm",
     temp(stop=2, numero=3, demande="S0|CR|", mini=-50, maxi=200)),
    ("DeltaOhm HD3405 (mV)", "deltaohm",
     mV(stop=2, numero=2, demande="S0|CR|", lnu=1, unite="V", mini=-2, maxi=2)),
    ("DeltaOhm HD3405 (pH)", "deltaohm", pH(stop=2, numero=1, demande="S0|CR|")),
    ("Gensis 10", "gensis", absorb(continu=1, debut=-8, demande="Abs", delai=1000)),
    ("Hanna HI 9017 (mV)", "hanna9017", mV(baud=1200, delai=500, demande="|DLE|mV?|CR|")),
    ("Hanna HI 9017 (pH)", "hanna9017", pH(baud=1200, delai=500, demande="|DLE|Ph?|CR|")),
    ("Hanna HI 9032 (T)", "hanna9032",
     temp(fixe=1, debut=2, nbcarac=10, demande="|DLE|RT|CR|", maxi=120)),
    ("Hanna HI 9032 (mS)", "hanna9032",
     cond(fixe=1, debut=2, nbcarac=14, demande="|DLE|RC|CR|", maxi=0.2)),
    ("Hanna pH 30x (T)", "hanna30x",
     temp(fixe=1, debut=17, nbcarac=40, demande="RAS|CR|", maxi=100)),
    ("Hanna pH 30x (ion)", "hanna30x",
     dict(nom="concentration", unite="mg/L", symbole="C", mini=0, maxi=1000, prec=4, fixe=1,
          debut=25, nbcarac=40, demande="RAS|CR|")),
    ("Hanna pH 30x (mV)", "hanna30x", mV(fixe=1, debut=9, nbcarac=40, demande="RAS|CR|")),
    ("Hanna pH 30x (pH)", "hanna30x", pH(fixe=1, debut=1, nbcarac=40, demande="RAS|CR|")),
    ("Heito", "heito",
     pH(baud=1200, data=7, parite=2, delai=2000, continu=1, debut=3, demande="pH")),
    ("Heito C320 (T)", "heito",
     temp(baud=1200, data=7, parite=2, delai=2000, continu=1, debut=-7, demande="°C",
          maxi=100)),
    ("Heito C320 (mS)", "heito",
     cond(baud=1200, data=7, parite=2, delai=2000, continu=1, debut=-7, demande="S/cm")),
    ("Heito MPC350 (T)", "heitoq",
     temp(baud=2400, data=7, parite=2, numero=4, demande="M|CR|", maxi=100)),
    ("Heito MPC350 (mS)", "heitoq",
     cond(baud=2400, data=7, parite=2, numero=3, demande="M|CR|")),
    ("Heito MPC350 (mV)", "heitoq", mV(baud=2400, data=7, parite=2, numero=2, demande="M|CR|")),
    ("Heito MPC350 (pH)", "heitoq", pH(baud=2400, data=7, parite=2, numero=1, demande="M|CR|")),
    ("Heito P310 (T)", "heitoq",
     temp(baud=2400, data=7, parite=2, numero=3, demande="M|CR|", maxi=100)),
    ("Heito P310 (mV)", "heitoq", mV(baud=2400, data=7, parite=2, numero=2, demande="M|CR|")),
    ("Heito P310 (pH)", "heitoq", pH(baud=2400, data=7, parite=2, numero=1, demande="M|CR|")),
    ("INFORLAB 4020 (mS)", "inforlab", cond(baud=4800, demande="D|CR|")),
    ("INFORLAB 4605", "inforlab", o2(baud=4800, demande="D|CR|")),
    ("INFORLAB 5020/5030 (mV)", "inforlab",
     mV(baud=4800, demande="D|CR|", numero=2, lignes=2)),
    ("INFORLAB 5020/5030 (pH)", "inforlab", pH(baud=4800, demande="D|CR|", lignes=2)),
    ("Jenway 4520", "jenway4520", cond(fixe=1, debut=1, nbcarac=20, demande="D|CR|")),
    ("Jenway IC 6300 (A)", "jenwayic",
     absorb(rts=1, delai=400, fixe=1, debut=1, nbcarac=10, demande="A|CR|")),
    ("Jenway IC 6300 (" + CHAPEAU + ")", "jenwayic",
     onde(rts=1, delai=400, fixe=1, debut=1, nbcarac=10, demande="W|CR|", mini=198, maxi=1000)),
    ("Jenway IC 6400 (A)", "jenwayic",
     absorb(rts=1, delai=400, fixe=1, debut=1, nbcarac=10, demande="A|CR|")),
    ("METROHM 691 (mV)", "metrohm", mV(fixe=1, debut=1, nbcarac=14, demande="M|CR|")),
    ("METROHM 691 (pH)", "metrohm", pH(fixe=1, debut=1, nbcarac=14, demande="P|CR|")),
    ("MILTON Spectronic 301 (A)", "milton",
     absorb(baud=1200, delai=1500, fixe=1, debut=2, nbcarac=8, demande="D|CR|", mini=0)),
    ("Meterman 38XR", "meterman",
     mV(baud=9600, data=7, delai=100, continu=1, fixe=1, debut=3, nbcarac=14, lnu=1,
        unite="V", symbole="V", mini=-1000, maxi=1000, prec=5)),
    ("Mettler SevenMulti (ions)", "sevenmulti",
     dict(nom="concentration", unite="mol/L", symbole="C", mini=0, maxi=10, prec=4, xon=1,
          delai=4000, continu=1, lignes=3, verif="mol/L", numverif=2)),
    ("Mettler SevenMulti (mS)", "sevenmulti",
     cond(xon=1, delai=4000, continu=1, lignes=3, verif="S/cm", numverif=2, symbole="s",
          maxi=200)),
    ("Mettler SevenMulti (mV)", "sevenmulti",
     mV(xon=1, delai=4000, continu=1, lignes=3, verif="mV", numverif=2)),
    ("Mettler SevenMulti (pH)", "sevenmulti",
     pH(xon=1, delai=4000, continu=1, lignes=3, verif="pH", numverif=2)),
    ("Mettler Toledo S20 (mV)", "s20", mV(delai=2000, demande="GETMEAS|CR|", numero=2)),
    ("Mettler Toledo S20 (pH)", "s20", pH(delai=2000, demande="GETMEAS|CR|")),
    ("Mettler Toledo S30 (mS)", "s20", cond(delai=2000, demande="GETMEAS|CR|", maxi=0.5)),
    ("Ohaus Pioneer", "ohaus",
     masse(rts=1, delai=500, continu=1, sep=127, lcu=1, mini=-20, maxi=100)),
    ("Orion Star (%O2)", "orion",
     dict(nom="oxygène dissous", unite="%", symbole="O2", mini=0, maxi=200, prec=4, xon=1,
          delai=5000, numero=11, lignes=15, demande="GetMeas|CR|")),
    ("Orion Star (C)", "orion",
     dict(nom="conductivité", unite="µS/cm", symbole="?", mini=0, maxi=200000, prec=4, xon=1,
          delai=5000, numero=9, lignes=15, demande="GetMeas|CR|")),
    ("Orion Star (O2)", "orion", o2(xon=1, delai=5000, numero=9, lignes=15, demande="GetMeas|CR|")),
    ("Orion Star (T)", "orion",
     temp(xon=1, delai=5000, numero=13, lignes=15, demande="GetMeas|CR|", maxi=100)),
    ("Orion Star (V)", "orion",
     mV(xon=1, delai=5000, numero=11, lignes=15, demande="GetMeas|CR|", lnu=1, unite="V",
        mini=-2, maxi=2)),
    ("Orion Star (pH)", "orion",
     pH(xon=1, delai=5000, numero=9, lignes=15, demande="GetMeas|CR|", verif="pH")),
    ("Orphy GTS2 (pH)", "orphy", pH(baud=38400, delai=200, demande="MES|CR|")),
    ("PERKIN LAMBDA 3 (A)", "perkin",
     absorb(baud=4800, fixe=1, debut=1, nbcarac=10, demande="RA|CR|")),
    ("PERKIN LAMBDA 3 (" + CHAPEAU + ")", "perkin",
     onde(baud=4800, fixe=1, debut=1, nbcarac=10, demande="RW|CR|")),
    ("PERKIN Lambda 2/11 (A)", "perkin", absorb(fixe=1, debut=1, nbcarac=10, demande="RA|CR|")),
    ("Precisa 80 A/125 A", "precisa",
     masse(baud=2400, data=7, parite=2, delai=500, continu=1, fixe=1, debut=1, nbcarac=16,
           sep=127, lcu=1, maxi=125)),
    ("RADIOMETER CDM210", "radiometer", cond(fixe=1, debut=1, nbcarac=18, demande="D|CR|")),
    ("RADIOMETER PHM210 (mV)", "radiometer", mV(fixe=1, debut=1, nbcarac=12, demande="M|CR|")),
    ("RADIOMETER PHM210 (pH)", "radiometer", pH(fixe=1, debut=1, nbcarac=12, demande="P|CR|")),
    ("Radiometer CDM400", "radiometer",
     cond(delai=500, fixe=1, debut=1, nbcarac=18, demande="D|CR|")),
    ("SAFAS S320 (A)", "safas", absorb(fixe=1, debut=1, nbcarac=10, demande="A|CR|")),
    ("SECOMAM S500 (A)", "secomam", absorb(demande="ABS|CR|")),
    ("Sartorius", "sartorius",
     masse(baud=1200, data=7, parite=1, fixe=1, debut=1, nbcarac=16, demande="|ESC|P|CR||LF|",
           maxi=200)),
    ("Sartorius TE", "sartorius",
     masse(data=7, parite=1, fixe=1, debut=7, nbcarac=22, demande="|ESC|P|CR||LF|", maxi=600)),
    ("Schott pH/LF 12 (G)", "schott",
     cond(baud=4800, delai=2000, continu=1, fixe=1, debut=-8, nbcarac=132, demande="S/cm",
          symbole="G")),
    ("Schott pH/LF 12 (pH)", "schott",
     pH(baud=4800, delai=2000, continu=1, fixe=1, debut=3, nbcarac=132, demande="pH", lcu=1)),
    ("Scout Pro OHAUS", "ohaus",
     masse(delai=500, continu=1, sep=127, lcu=1, maxi=4000)),
    ("TACUSSEL LPH 230T/330T (mV)", "tacussel",
     mV(baud=1200, data=7, parite=2, delai=1500, demande="M|CR|", numero=2)),
    ("TACUSSEL LPH 230T/330T (pH)", "tacussel",
     pH(baud=1200, data=7, parite=2, delai=1500, demande="M|CR|")),
    ("TACUSSEL PHN 130T (mV)", "tacussel",
     mV(baud=600, data=7, parite=2, delai=2000, demande="M|CR|", numero=2)),
    ("TACUSSEL PHN 130T (pH)", "tacussel",
     pH(baud=600, data=7, parite=2, delai=2000, demande="M|CR|")),
    ("Titronic Basic", "titronic",
     dict(nom="volume", unite="mL", symbole="V", mini=0, maxi=20, prec=4, baud=4800, data=7,
          numero=2, demande="01VO|CR||LF|")),
    ("Titronic Universal", "titronic",
     dict(nom="volume", unite="mL", symbole="V", mini=0, maxi=20, prec=4, baud=4800, data=7,
          numero=2, demande="01VO|CR||LF|", init="99AA01|CR||LF|")),
    ("ULTROSPEC II (A)", "ultrospec",
     absorb(baud=1200, continu=1, fixe=1, debut=1, nbcarac=10)),
    ("WTW 197", "wtw",
     cond(baud=4800, delai=2000, continu=1, debut=-7, demande="S/cm", maxi=0.5)),
    ("WTW 730", "wtw", pH(baud=4800, delai=2000, continu=1, debut=-7, lignes=3, demande="pH")),
    ("WTW 730 (O2 dissous)", "wtw",
     o2(baud=4800, delai=2000, continu=1, debut=-7, lignes=3, demande="mg/l")),
    ("WTW Cond Level 2", "wtw",
     cond(baud=4800, delai=2000, continu=1, debut=-7, lignes=6, demande="S/cm", symbole="s",
          sep=127, maxi=0.5)),
    ("WTW Oxi 597 (O2 dissous)", "wtw",
     o2(baud=4800, delai=2000, continu=1, debut=-7, lignes=2, demande="mg/l")),
    ("WTW P4 (O2 dissous)", "wtwp4",
     o2(baud=4800, delai=2400, continu=1, debut=-7, lignes=5, sep=127, demande="mg/l")),
    ("WTW P4 (T G)", "wtwp4",
     temp(baud=4800, delai=2400, continu=1, debut=-7, lignes=5, sep=127, demande="°C",
          maxi=100)),
    ("WTW P4 (T pH)", "wtwp4",
     temp(baud=4800, delai=2400, continu=1, debut=-7, lignes=5, sep=127, demande="°C",
          maxi=100)),
    ("WTW P4 (mS)", "wtwp4",
     cond(baud=4800, delai=2400, continu=1, debut=-7, lignes=5, sep=127, demande="S/cm",
          lnu=1, symbole="?", maxi=0.1)),
    ("WTW P4 (pH)", "wtwp4",
     pH(baud=4800, delai=2400, continu=1, debut=-7, lignes=5, sep=127, demande="pH")),
    ("BuretteTelmira", None, None),
    ("Jenway IC 7300 (A)", "jenwayic",
     absorb(rts=1, delai=400, fixe=1, debut=1, nbcarac=10, demande="A|CR|", init="R|CR|",
            derive="NAN", nom="Absorbance", mini=0, maxi=1)),
]

BURETTE = dict(BASE, nom="volume du titrant", unite="mL", symbole="v", prec=5, mini=0, maxi=20,
               baud=4800, data=7, stop=1, debut=5, delai=250, continu=1, filtre=0,
               demande="01V=")
BURETTE_PLUS = [("dVMax", "0,5"), ("dVMin", "0,05"), ("dtMax", "10"), ("sensibilite", "0,1"),
                ("stabilite", "0,01"), ("Mode", "0"), ("VitesseInit", "10"),
                ("TempsCarac", "5"), ("TitroLine", "0")]
AIDE_BURETTE = ["Burette Schott Titronic Basic ou Universal, adresse 1.",
                "Liaison : 4800 bauds, 7 bits, sans parité, 1 bit de stop, sans contrôle de flux.",
                "Câble Schott TZ 3097 (null-modem).",
                "Les paramètres du dosage se règlent dans la fenêtre « Burette »."]


def reel(x):
    if isinstance(x, str):
        return x
    t = "%.15g" % x
    return t.replace(".", ",")


def ligne_serie(p):
    texte = "Liaison : %d bauds, %d bits, %s, %d bit%s de stop" % (
        p["baud"], p["data"], PARITES[p["parite"]], p["stop"], "s" if p["stop"] > 1 else "")
    if p["rts"]:
        texte += ", contrôle de flux RTS/CTS"
    elif p["xon"]:
        texte += ", contrôle de flux XON/XOFF"
    else:
        texte += ", sans contrôle de flux"
    return texte + "."


def ligne_mode(p):
    if p["continu"]:
        return "L'appareil envoie ses mesures de lui-même : le programme n'envoie aucune demande."
    return "Le programme demande chaque mesure ; l'appareil ne doit pas imprimer de lui-même."


def aides(famille, p):
    lignes = list(AIDE[famille])
    lignes.insert(1, ligne_serie(p))
    lignes.append(ligne_mode(p))
    lignes.append("Délai mini entre deux mesures : %d ms." % p["delai"])
    if p["continu"] and p["demande"]:
        lignes.append("La valeur est repérée par le texte « %s » qui l'accompagne." % p["demande"])
    if p["lcu"]:
        lignes.append("Le préfixe d'unité envoyé (m, µ, k) est pris en compte.")
    if p["filtre"]:
        lignes.append("Les valeurs hors de %s..%s sont écartées." % (reel(p["mini"]),
                                                                     reel(p["maxi"])))
    assert len(lignes) <= 16
    return lignes


def section(nom, p, lignes_aide, plus=()):
    cles = [
        ("LireCoeffUnite", p["lcu"]), ("LireNomUnite", p["lnu"]), ("Nom", p["nom"]),
        ("Unité", p["unite"]), ("Precision", p["prec"]), ("Mini", reel(p["mini"])),
        ("Maxi", reel(p["maxi"])), ("Com", 1), ("Baud", p["baud"]), ("DataBits", p["data"]),
        ("Parity", p["parite"]), ("StopBits", p["stop"]), ("RTS", p["rts"]),
        ("XonXoff", p["xon"]), ("Debut", p["debut"]), ("NombreCarac", p["nbcarac"]),
        ("Delai", p["delai"]), ("Fixe", p["fixe"]), ("Numero", p["numero"]),
        ("NombreLigne", p["lignes"]), ("Séparateur", p["sep"]), ("Continu", p["continu"]),
        ("FiltreDepasse", p["filtre"]), ("Demande", p["demande"]),
        ("DemandeBis", p["demandebis"]), ("Initialisation", p["init"]),
        ("Deblocage", p["fin"]), ("Symbole", p["symbole"]), ("Derive", p["derive"]),
        ("TexteVerif", p["verif"]), ("NumVerif", p["numverif"]),
    ]
    cles += list(plus)
    cles += [(str(i + 1), t) for i, t in enumerate(lignes_aide)]
    return ["[%s]" % nom] + ["%s=%s" % (c, v) for c, v in cles] + [""]


def verifie(instruments):
    assert len(instruments) == 97, len(instruments)
    compte = lambda f: sum(1 for _, p in instruments if f(p))
    assert compte(lambda p: p["continu"]) == 29, compte(lambda p: p["continu"])
    assert compte(lambda p: p["fixe"]) == 38, compte(lambda p: p["fixe"])
    assert compte(lambda p: p["lcu"]) == 21, compte(lambda p: p["lcu"])
    assert compte(lambda p: p["lnu"]) == 4
    assert compte(lambda p: p["sep"] == 127) == 9
    assert compte(lambda p: p["derive"] != "-1") == 1
    bauds = [p["baud"] for _, p in instruments]
    delais = [p["delai"] for _, p in instruments]
    assert min(bauds) == 600 and max(bauds) == 38400
    assert min(delais) == 100 and max(delais) == 5000
    assert len({n for n, _ in instruments}) == 97


def main():
    racine = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    sortie = os.path.join(racine, "instruments", "catalogue", "catalogue.ini")
    lignes = []
    instruments = []
    for nom, famille, params in INSTRUMENTS:
        if famille is None:
            lignes += section(nom, BURETTE, AIDE_BURETTE, BURETTE_PLUS)
            continue
        p = dict(BASE, **params)
        instruments.append((nom, p))
        lignes += section(nom, p, aides(famille, p))
    verifie(instruments)
    index = sorted((n for n, _ in instruments), key=lambda n: n.encode("cp1252"))
    lignes += ["[Index]"] + ["%d=%s" % (i, n) for i, n in enumerate(index)] + [""]
    octets = "\r\n".join(lignes).encode("cp1252") + b"\r\n"
    with open(sortie, "wb") as f:
        f.write(octets)
    print("%s : %d octets, %d instruments" % (sortie, len(octets), len(instruments)))


if __name__ == "__main__":
    sys.exit(main())
