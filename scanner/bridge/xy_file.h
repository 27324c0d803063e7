#pragma once

#include <QByteArray>
#include <QString>

// The two-column spectrum file KALIX reads: one line per field of the values text, the
// wavelength field, a TAB and the value field, CR LF after every line, 8-bit text. The
// number of lines follows the values text alone; missing wavelength fields are empty.
enum class xy_fields { unchanged, trimmed };
QByteArray xy_file_content(const QString& wavelengths, const QString& values, xy_fields fields);
