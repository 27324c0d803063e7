#pragma once

#include <QChar>
#include <QString>

namespace platform {

// The separator the system joins paths with ("\" on Windows, "/" elsewhere).
QChar path_separator();
bool is_path_separator(QChar c);
bool ends_with_separator(const QString& path);
// folder + separator + name; no separator is added to an empty folder or one that ends with it.
QString join_path(const QString& folder, const QString& name);
QString native_path(const QString& path);
// Splits "folder<sep>mask" at the last separator; folder keeps no trailing separator
// except for a root ("/" or "C:\").
void split_path(const QString& path, QString& folder, QString& name);

} // namespace platform
