#include "burette/buretters232.h"

#include "app/horloge.h"
#include "app/utilitaires.h"
#include "burette/ajustement.h"
#include "serial/apdcomport.h"
#include "settings/fichierini.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
const QString textePanne = QStringLiteral("La burette ne répond plus");
const QString texteVoieSerie = QStringLiteral("Problème voie série Burette");
// Three exchanges in a row without a single byte back, over at least one and a half seconds:
// the burette is gone. A lost answer on a noisy line, or a burette slow to answer on a busy
// computer, is not enough to end a titration.
constexpr int silencesPanne = 3;
constexpr qint64 silencePanneMs = 1500;
// Rate assumed when the burette was never prepared (the rate initBurette selects).
constexpr qint32 vitesseParDefaut = 10;
// A reset without a single byte back for this long is a burette that is not there.
constexpr qint64 silenceResetMs = 5000;

// Handles events for at most ms milliseconds, user input excepted (it waits for the end of the
// burette's work). False when the application is quitting: the wait must end.
bool pompe(int ms) {
    if (!QCoreApplication::instance()) {
        QThread::msleep(ulong(std::max(ms, 0)));
        return true;
    }
    QEventLoop boucle;
    bool sonne = false;
    QTimer::singleShot(std::max(ms, 0), &boucle, [&] {
        sonne = true;
        boucle.quit();
    });
    boucle.exec(QEventLoop::ExcludeUserInputEvents);
    return sonne;
}

qint64 msDepuis(double jour) {
    return qint64(std::floor((horloge().maintenant() - jour) * 86400000.0 + 0.5));
}
} // namespace

class TburetteRS232::Sequence {
public:
    explicit Sequence(TburetteRS232& b) : b_(b) { b_.busy = true; }
    ~Sequence() { b_.busy = false; }
    Sequence(const Sequence&) = delete;
    Sequence& operator=(const Sequence&) = delete;

private:
    TburetteRS232& b_;
};

TburetteRS232::TburetteRS232(QObject* parent) : QObject(parent) {
    nomGrandeur = QStringLiteral("Volume du titrant");
    SymboleGrandeur = QStringLiteral("V");
    UniteGrandeur = QStringLiteral("mL");
    NomAppareil = QStringLiteral("Burette");
    ValMini = 0;
    ValMaxi = 20;
    ComNumber = 1;
    Baud = 4800;
    Parite = 0;
    DataBits = 7;
    StopBits = 2;
    Demande = QByteArrayLiteral("01V=");
    Precision = 5;
    EnvoiDirect = true;
    DebutNombre = 5;
    NbreCarac = 1;
    Delai = 250;
    Attente = 250;
    NumeroOrdre = 1;
    NbreLignes = 1;
}

TburetteRS232::~TburetteRS232() = default;

void TburetteRS232::LitIni(const QString& Anom, const TFichierIni& Ini) {
    Tappareil::LitIni(Anom, Ini);
    const QString& s = Anom;
    // A value that reads as no number takes the default, like a missing one.
    const auto flottant = [&](const char* cle, double defaut) {
        const double x = Ini.ReadFloat(s, QLatin1String(cle), defaut);
        return estNaN(x) ? defaut : x;
    };
    ValMaxi = flottant("Maxi", 20);
    ValMini = 0;
    VolumeMax = std::clamp(flottant("dVMax", 1), 0.1, 1.0);
    VolumeMin = std::clamp(flottant("dVMin", 0.01), 0.01, 0.1);
    OrdonneMinMax(VolumeMin, VolumeMax);
    DeltatMax = std::clamp(Ini.ReadInteger(s, QStringLiteral("dtMax"), 5), 5, 60);
    SymboleGrandeur = Ini.ReadString(s, QStringLiteral("Symbole"), QStringLiteral("v"));
    ecartSensible = flottant("sensibilite", 0.01);
    ecartStable = flottant("stabilite", 0.01);

    // The driver reads the burette itself: these never come from the file.
    FormatFixe = false;
    EnvoiDirect = true;
    NbreLignes = 1;
    Demande = QByteArrayLiteral("01V=");
    FiltrageDepassement = false;
}

void TburetteRS232::EcritIni(TFichierIni& Ini) const {
    Tappareil::EcritIni(Ini);
    const QString& s = NomAppareil;
    Ini.WriteFloat(s, QStringLiteral("Mini"), 0);
    Ini.WriteFloat(s, QStringLiteral("Maxi"), ValMaxi);
    Ini.WriteFloat(s, QStringLiteral("dVMax"), VolumeMax);
    Ini.WriteFloat(s, QStringLiteral("dVMin"), VolumeMin);
    Ini.WriteInteger(s, QStringLiteral("dtMax"), DeltatMax);
    Ini.WriteFloat(s, QStringLiteral("sensibilite"), ecartSensible);
    Ini.WriteFloat(s, QStringLiteral("stabilite"), ecartStable);
}

void TburetteRS232::notePanne(const QString& texte) {
    if (erreurBurette.isEmpty()) erreurBurette = texte;
}

QByteArray TburetteRS232::lit(const QByteArray& commande, qint32 ticks) {
    if (!VoieSerie || busy) return {};
    busy = true;
    QByteArray reponse = echange(commande, ticks);
    busy = false;
    return reponse;
}

QByteArray TburetteRS232::echange(const QByteArray& commande, qint32 ticks, bool surveille) {
    QByteArray reponse;
    dernierRecu_ = false;
    if (!VoieSerie) {
        notePanne(texteVoieSerie);
        return reponse;
    }
    TApdComPort& port = *VoieSerie;
    // The main window's handler must not take the burette's bytes meanwhile.
    const TTriggerAvailEvent gestionnaire = port.OnTriggerAvail();
    port.setOnTriggerAvail({});
    bool recu = false;
    try {
        port.FlushInBuffer();
        port.PutString(prefixe + commande + "\r\n");
        EventTimer T;
        StartTickTimer(T, ticks);
        // Real time bounds the wait too: a clock a test holds still cannot keep it for ever.
        const QDeadlineTimer borne((qint64(std::max(ticks, 0)) + 1) * tickMs);
        int finsLigne = 0;
        while (finsLigne < 2 && !TickTimerExpired(T) && !borne.hasExpired()) {
            if (port.CharReady()) {
                const quint8 c = port.GetChar();
                recu = true;
                // Line ends left over from an earlier answer do not end this one.
                if (c >= 32)
                    reponse += char(c);
                else if ((c == '\n' || c == '\r') && reponse.size() >= 3)
                    ++finsLigne;
            } else if (!port.Open()) {
                throw EAPDException(QStringLiteral("COM%1 : port fermé").arg(port.ComNumber()));
            } else if (!pompe(5)) {
                break;
            }
        }
    } catch (const EAPDException&) {
        notePanne(texteVoieSerie);
    }
    port.setOnTriggerAvail(gestionnaire);
    dernierRecu_ = recu;
    silences_ = recu ? 0 : silences_ + 1;
    if (recu || !silence_.isValid()) silence_.start();
    if (surveille && silences_ >= silencesPanne && silence_.elapsed() >= silencePanneMs)
        notePanne(textePanne);
    return reponse;
}

bool TburetteRS232::acquitte(const QByteArray& reponse) const {
    return reponse.contains(prefixe + 'Y');
}

bool TburetteRS232::ecrit(const QByteArray& commande, qint32 ticks) {
    return acquitte(lit(commande, ticks));
}

bool TburetteRS232::initBurette() {
    if (!VoieSerie) {
        erreurInit = QStringLiteral("Voie série non initialisée");
        return false;
    }
    if (busy) {
        erreurInit = QStringLiteral("Burette occupée (busy) ?");
        return false;
    }
    const Sequence sequence(*this);
    erreurBurette.clear();
    silences_ = 0;
    silence_.start();
    prefixe = QByteArrayLiteral("01");
    identification = echange("RH", 4);
    if (identification.contains("ERROR") || identification.isEmpty()) {
        pompe(500);
        identification = echange("RH", 4);
    }
    if (!identification.contains('T')) {
        erreurInit = QStringLiteral("Burette Schott Titronic non trouvée");
        return false;
    }
    if (identification.contains("universal")) {
        // The Universal is given its address 01 through the broadcast address 99.
        prefixe = QByteArrayLiteral("99");
        echange("AA01", 18);
        prefixe = QByteArrayLiteral("01");
    }
    const QByteArray capacite = echange("RA", 4);
    if (const qsizetype deuxPoints = capacite.indexOf(':'); deuxPoints >= 0) {
        const QByteArray chiffres = capacite.mid(deuxPoints + 1, 2).trimmed();
        bool ok = !chiffres.isEmpty() && std::all_of(chiffres.begin(), chiffres.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
        const int mL = ok ? chiffres.toInt(&ok) : 0;
        // A capacity of 0 would end every titration at once: it is no capacity.
        ValMaxi = ok && mL > 0 ? mL : 20;
    }
    ValeurCourante = 0;
    acquitte(echange("GDM10,0", 6));
    vitesseVerse = vitesseParDefaut;
    acquitte(echange("MO2", 6));
    volumeVerse = 0;
    if (enPanne()) {
        erreurInit = erreurBurette;
        return false;
    }
    erreurInit.clear();
    return true;
}

bool TburetteRS232::reset() {
    if (busy) return false;
    const Sequence sequence(*this);
    erreurBurette.clear();
    silences_ = 0;
    silence_.start();
    EventTimer T;
    StartTickTimer(T, 1080);
    const QDeadlineTimer borne(1081 * qint64(tickMs));
    QElapsedTimer chrono;
    chrono.start();
    acquitte(echange("BF", 9, false));
    bool vivante = dernierRecu_;
    // A burette busy refilling may let a query go unanswered, so silence is tolerated here, but
    // only from a burette that answered something.
    while (!enPanne() && !TickTimerExpired(T) && !borne.hasExpired()) {
        if (!vivante && chrono.elapsed() > silenceResetMs) {
            notePanne(textePanne);
            break;
        }
        if (!pompe(1)) break;
        const QByteArray reponse = echange("RS", 4, false);
        vivante = vivante || dernierRecu_;
        if (reponse.contains("READY")) break;
    }
    silences_ = 0;
    silence_.start();
    if (!enPanne()) acquitte(echange("BN", 9));
    ValeurCourante = 0;
    volumeVerse = 0;
    return !enPanne();
}

double TburetteRS232::volume() {
    if (busy) return volumeVerse;
    const Sequence sequence(*this);
    const QByteArray a = echange("VO", 4);
    qsizetype k = a.indexOf("V=");
    if (k < 0) return volumeVerse;
    const auto chiffre = [&](qsizetype i) { return a[i] == '.' || (a[i] >= '0' && a[i] <= '9'); };
    // As the burette's firmware is read: a number made of the last byte alone is not taken.
    while (k < a.size() - 1 && !chiffre(k))
        ++k;
    if (k >= a.size() - 1) return volumeVerse;
    qsizetype fin = k;
    while (fin < a.size() && chiffre(fin))
        ++fin;
    return LitNombre(QString::fromLatin1(a.mid(k, fin - k)));
}

double TburetteRS232::volumeArrondi(double v) const {
    if (estNaN(v) || v < VolumeMin) v = VolumeMin;
    if (v > VolumeMax) v = VolumeMax;
    if (!(VolumeMin > 0)) return v;
    // The quotient in extended precision, then truncated: a decimal multiple of VolumeMin whose
    // double lies above its decimal value loses one smallest addition (0.5 / 0.1 gives 0.4).
    const long double q = static_cast<long double>(v) / static_cast<long double>(VolumeMin);
    return VolumeMin * static_cast<double>(std::trunc(q));
}

bool TburetteRS232::verse(double v) {
    if (busy || enPanne()) return false;
    const Sequence sequence(*this);
    v = volumeArrondi(v);
    const QByteArray reponse = echange("DA" + FormatNombreFixe(4, 2, v), 6);
    const bool acquittee = acquitte(reponse);
    if (reponse.isEmpty() && !enPanne()) {
        // Nothing came back: ask for the volume, which tells a lost answer from a silent burette.
        echange("VO", 4);
    }
    // The protocol has no command that stops an addition: each one is bounded (VolumeMax at
    // most) and none follows a failure.
    if (enPanne()) return false;
    const qint32 vitesse = vitesseVerse > 0 ? vitesseVerse : vitesseParDefaut;
    deltatVerse = 60.0 * v / vitesse;
    const double depart = ValeurCourante;
    volumeVerse = depart + v;

    const qint64 duree = qint64(std::ceil(1000.0 * deltatVerse));
    QElapsedTimer chrono;
    chrono.start();
    enVerse_ = true;
    bool interrompu = false;
    while (!interrompu && chrono.elapsed() < duree) {
        const double fraction = duree > 0 ? std::min(1.0, double(chrono.elapsed()) / duree) : 1.0;
        Q_EMIT progressionVerse(depart + v * fraction, volumeVerse);
        interrompu = !pompe(int(std::min<qint64>(100, duree - chrono.elapsed())));
    }
    enVerse_ = false;
    // The program is quitting: the addition ends by itself, no other one will follow.
    if (interrompu) return false;
    Q_EMIT progressionVerse(volumeVerse, volumeVerse);
    tVerse = horloge().maintenant();
    return acquittee;
}

bool TburetteRS232::delaiMinEcoule() const {
    return msDepuis(tVerse) / 1000 > DeltatMin;
}

bool TburetteRS232::delaiMaxEcoule() const {
    return msDepuis(tVerse) / 1000 > DeltatMax;
}

double TburetteRS232::deltaY(std::span<const double> x, std::span<const double> V, int n) const {
    return AjoutCubique(x, V, n, ecartSensible);
}
