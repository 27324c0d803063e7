#pragma once

#include <QIODevice>
#include <QString>

// Version the program writes into the headers of its files.
inline constexpr float file_format_version = 4.85f;

// The process-wide read version: set by every header read, it picks the string record
// layout (3.18 or less: the old 8-bit block layout; above: byte count and UTF-16 LE).
float read_version();
void set_read_version(float version);
bool uses_old_string_layout(float version);

// Appends one string record in the current layout. Throws std::runtime_error when the
// stream refuses the bytes.
void write_string_to_stream(const QString& text, QIODevice& stream);
// Reads one string record in the layout of the read version. A new-layout record that
// is cut short reads as empty text; a short read of an old-layout record throws
// std::runtime_error.
QString read_string_from_stream(QIODevice& stream);
