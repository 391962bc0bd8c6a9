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
