#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The command channel between programs of the same user: a local socket named
// "<service>.<topic>" in the user's runtime folder. Each request is one macro in Windows-1252
// ended by a NUL byte; the server answers each one with a line ended by LF ("ok", or the text
// of the error shown). A request whose first byte is SOH (0x01) names the item a client links
// to ("\x01ServeurItem"); it carries no macro and is answered "ok".
namespace canal {

inline const QString TopicDDE = QStringLiteral("ServeurDDE");
inline const QString ItemKalvento = QStringLiteral("ServeurItem");
inline constexpr char Entete = '\x01';
inline const QString ReponseOk = QStringLiteral("ok");
// A macro is one line naming a command and, at most, a path: anything longer is not one.
inline constexpr qsizetype tailleMaxRequete = 64 * 1024;

// The socket of a service's topic; `dossier` empty means the user's runtime folder.
QString CheminCanal(const QString& service, const QString& topic, const QString& dossier = {});
// This program's service: its executable's file name up to the first ".".
QString ServiceProgramme();

} // namespace canal

// The bytes received on one connection, cut into NUL-ended requests. It never holds more than
// one request's worth of bytes: the reader takes at most place() bytes at a time.
class TTamponRequetes {
public:
    explicit TTamponRequetes(qsizetype tailleMax = canal::tailleMaxRequete) : max_(tailleMax) {}

    // Bytes that may be added now without holding more than one request and its NUL.
    [[nodiscard]] qsizetype place() const;
    void ajoute(const QByteArray& octets);
    // The next complete request, without its NUL.
    [[nodiscard]] std::optional<QByteArray> suivante();
    // The request being received is already longer than allowed.
    [[nodiscard]] bool tropLong() const { return enAttente() > max_; }
    [[nodiscard]] qsizetype enAttente() const { return octets_.size() - debut_; }

private:
    qsizetype max_;
    QByteArray octets_;
    qsizetype debut_ = 0; // start of the first request not yet taken
    qsizetype vu_ = 0;    // bytes from debut_ already searched for a NUL
};
