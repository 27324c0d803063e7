#pragma once

#include <QByteArray>
#include <QString>

// The two-column spectrum file KALIX reads: one line per field of the values text, the
// wavelength field, a TAB and the value field, CR LF after every line, 8-bit text. The
// number of lines follows the values text alone; missing wavelength fields are empty.
enum class xy_fields { unchanged, trimmed };
QByteArray xy_file_content(const QString& wavelengths, const QString& values, xy_fields fields);

// Hands a file over: written under a unique temporary name (".tmp") in its folder, then
// renamed onto `file_name`, replacing an existing file in one step, so no reader ever sees
// half of it. False when the folder does not exist (nothing is written); a failed write or
// rename raises std::runtime_error and leaves no temporary file behind.
bool hand_over_file(const QString& file_name, const QByteArray& content);
