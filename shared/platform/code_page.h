#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The system's 8-bit code page is Windows-1252 on every platform.
QString from_8bit(const QByteArray& bytes);
QChar from_8bit(char byte);
// Characters outside the code page become "?".
QByteArray to_8bit(const QString& text);

// Decodes a text file: UTF-8 and UTF-16 (LE, BE) byte-order marks are honoured,
// anything else is read as Windows-1252.
QString decode_text(const QByteArray& bytes);

} // namespace platform
