// Random answers against random descriptions: the decoding must neither read outside the answer
// nor throw, whatever the description says.
#include "instruments/appareil.h"
#include "octetsfuzz.h"

#include <QLocale>
#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
    OctetsFuzz f(donnees, taille);
    Tappareil a;
    // No value yet, so that every value seen afterwards comes from a decoding.
    a.ValeurCourante = NAN;
    const uint8_t options = f.octet();
    a.EnvoiDirect = options & 0x01;
    a.FormatFixe = options & 0x02;
    a.LireCoeffUnite = options & 0x04;
    a.LireNomUnite = options & 0x08;
    a.FiltrageDepassement = options & 0x10;
    a.lectureSTAB = options & 0x20;
    if (options & 0x40) a.SymboleGrandeur = QStringLiteral("pH");
    QLocale::setDefault(options & 0x80 ? QLocale(QLocale::French) : QLocale::c());
    const uint8_t tailles = f.octet();
    // Mostly small positions, sometimes extreme ones.
    a.DebutNombre = tailles & 0x01 ? f.entier32() : f.signe();
    a.NbreCarac = tailles & 0x02 ? f.entier32() : f.signe();
    a.NumeroVerif = tailles & 0x04 ? f.entier32() : f.signe();
    a.NumeroOrdre = f.octet();
    a.NbreLignes = f.octet();
    a.SeparateurChiffre = f.octet();
    a.ValMini = f.signe();
    a.ValMaxi = a.ValMini + f.octet();
    a.Derive = f.octet() / 16.0;
    a.Precision = f.signe();
    a.Demande = f.texte();
    a.DemandeBis = f.texte();
    a.TexteVerif = f.texte();
    // The rest arrives in pieces, as bytes do from a port.
    for (int morceau = 0; morceau < 8; ++morceau) {
        const QByteArray recu = f.texte();
        if (recu.isEmpty() && morceau > 0) break;
        a.ChaineLue += recu;
        a.SetValeurCourante();
        (void)a.isStable();
        (void)a.NomValeurUniteCourante();
        (void)a.FormatApp(a.ValeurCourante);
        if (!std::isnan(a.ValeurCourante) && a.FiltrageDepassement &&
            (a.ValeurCourante < a.ValMini || a.ValeurCourante > a.ValMaxi))
            std::abort(); // a filtered value outside the range must not survive
        if (a.nbreRouleau < 0 || a.nbreRouleau > Tappareil::tailleRouleau) std::abort();
    }
    return 0;
}
