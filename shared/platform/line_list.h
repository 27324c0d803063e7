#pragma once

#include "shared/platform/file_ops.h"

#include <QString>
#include <QStringList>

namespace platform {

enum class text_encoding { windows_1252, utf16le_bom };

// Splits text into lines at CR LF, CR or LF; a final line break adds no empty line.
QStringList split_lines(const QString& text);

// Loads a text file as lines (byte-order mark honoured, else Windows-1252).
// False when the file cannot be read; `lines` is then empty.
bool load_lines(const QString& path, QStringList& lines);
// Saves lines with CR LF after every line, replacing the file atomically (or as `mode`
// allows, write_file_atomically). False when the lines did not reach the file.
bool save_lines(const QString& path, const QStringList& lines,
                text_encoding encoding = text_encoding::windows_1252,
                write_mode mode = write_mode::atomic);

} // namespace platform
