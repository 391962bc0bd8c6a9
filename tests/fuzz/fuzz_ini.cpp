// Arbitrary INI text read as a device file: every section read as a description, written back
// and read again.
#include "instruments/appareil.h"
#include "settings/fichierini.h"

#include <QLocale>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    if (taille == 0) return 0;
    QLocale::setDefault(donnees[0] & 1 ? QLocale(QLocale::French) : QLocale::c());
    const QByteArray octets(reinterpret_cast<const char*>(donnees) + 1,
                            static_cast<qsizetype>(taille - 1));
    const TFichierIni ini = TFichierIni::depuisOctets(octets);
    const QStringList sections = ini.ReadSections();
    for (const QString& section : sections) {
        Tappareil a;
        a.LitIni(section, ini);
        if (a.NumeroOrdre == 0) std::abort();
        if (a.FormatFixe ? (a.NbreLignes != 1 || a.NumeroOrdre != 1) : a.NbreCarac != 1)
            std::abort();
        TFichierIni copie;
        a.EcritIni(copie);
        Tappareil b;
        b.LitIni(section, copie);
        // What was written reads back with the same layout and serial settings.
        if (b.FormatFixe != a.FormatFixe || b.EnvoiDirect != a.EnvoiDirect ||
            b.DebutNombre != a.DebutNombre || b.NumeroOrdre != a.NumeroOrdre || b.Baud != a.Baud ||
            b.ComNumber != a.ComNumber || b.Parite != a.Parite ||
            b.SeparateurChiffre != a.SeparateurChiffre || b.AidePilotage != a.AidePilotage)
            std::abort();
        (void)copie.enOctets();
    }
    return 0;
}
