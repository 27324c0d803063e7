#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// Shared pieces of the fuzz targets: a silent operator (no log file, no dialog), a scratch
// folder for the parsers that read files, and the byte-to-text decoding the programs use.
namespace fuzz {

// Installs the silent operator once and creates the scratch folder; idempotent.
void set_up();

// Writes the bytes to one reused file in the scratch folder and returns its path.
QString scratch_file(const QByteArray& bytes);

// Bytes decoded as the programs decode a text file (byte-order marks, else Windows-1252),
// split into lines at CR, LF and CRLF.
QStringList lines_of(const QByteArray& bytes);

QByteArray bytes_of(const std::uint8_t* data, std::size_t size);

// Splits the input into `count` parts at the byte 0x00 (missing parts are empty).
QList<QByteArray> parts_of(const QByteArray& bytes, int count);

} // namespace fuzz
