#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

// Instrument texts are kept as printable text where each control character is its name
// between bars: "SND|CR||LF|", "|STX|0001|ETX|".
extern const std::array<const char*, 32> nomControle;

QString CodeEnTexte(const QByteArray& Code);
// At most 250 bytes.
QByteArray TexteEnCode(const QString& Texte);
// An answer cut into lines for display; DOS micro and degree signs shown as such.
void ReponseEnLignes(const QByteArray& Reponse, QStringList& Lignes);

// Names, units and symbols in a file of the code page: a character the code page cannot hold
// is written as its name between bars ("|sigma|", "|Theta|", "|U+2126|") instead of "?", and
// read back as that character. Other bars and texts are left as they are.
[[nodiscard]] QString TexteVersFichier(const QString& texte);
[[nodiscard]] QString TexteDepuisFichier(const QString& texte);
