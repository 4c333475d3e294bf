// Reading the system's plain-text inputs (name lists, extra SQL statements): the
// byte-order mark picks the encoding, no mark means the ANSI code page (Windows-1252).
// Layer: utilities; file access only, no knowledge of what the lines mean.
#pragma once

#include <QString>
#include <QStringList>

namespace util {

// Decodes bytes: FF FE = UTF-16 LE, FE FF = UTF-16 BE, EF BB BF = UTF-8, else Windows-1252.
// A NUL character ends the text.
QString decodeText(const QByteArray& bytes);
// Encodes in Windows-1252; false when a character has no byte there.
bool encodeCp1252(const QString& text, QByteArray& out);
// Splits at CR LF, LF or CR. A break at the very end adds no empty last line.
QStringList splitLines(const QString& text);
// Reads and decodes a whole file; failure raises "Datei %s kann nicht geöffnet werden. %s".
QString readTextFile(const QString& path);

}  // namespace util
