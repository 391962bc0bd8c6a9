#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Windows-1252, the code page of every file the program reads or writes.
// Characters the code page cannot hold become "?".
QByteArray versCp1252(const QString& texte);
QString depuisCp1252(QByteArrayView octets);
// One byte shown as a character of the code page.
QChar caractereCp1252(unsigned char octet);
