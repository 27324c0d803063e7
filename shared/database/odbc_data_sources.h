#pragma once

#include <QString>

namespace database {

// The value of `key` in the definition of the ODBC data source `name` (the user's data
// sources first, then the machine's); null when the data source or the key is not defined.
QString data_source_value(const QString& name, const QString& key);

// The driver of the data source `name`: the library of its driver where the driver
// definitions name one, else the driver as the data source gives it; null when unknown.
QString data_source_driver(const QString& name);

} // namespace database
