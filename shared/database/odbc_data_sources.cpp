#include "shared/database/odbc_data_sources.h"

#include <QByteArray>

#ifndef Q_OS_WIN
#include <odbcinst.h>
#endif

namespace database {

namespace {

#ifndef Q_OS_WIN
// One entry of the driver manager's ini files ("odbc.ini" for data sources, "odbcinst.ini"
// for drivers), read through the driver manager so its search order holds.
QString ini_value(const QString& section, const QString& key, const char* file) {
    if (section.isEmpty())
        return {};
    const QByteArray section_bytes = section.toUtf8();
    const QByteArray key_bytes = key.toUtf8();
    char buffer[1024] = {};
    const int size = SQLGetPrivateProfileString(section_bytes.constData(), key_bytes.constData(),
                                                "", buffer, sizeof buffer, file);
    if (size <= 0)
        return {};
    return QString::fromUtf8(buffer, size).trimmed();
}
#endif

} // namespace

QString data_source_value(const QString& name, const QString& key) {
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    Q_UNUSED(key);
    return {};
#else
    return ini_value(name.trimmed(), key, "odbc.ini");
#endif
}

QString data_source_driver(const QString& name) {
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    return {};
#else
    const QString driver = data_source_value(name, QStringLiteral("Driver"));
    const QString library = ini_value(driver, QStringLiteral("Driver"), "odbcinst.ini");
    return library.isEmpty() ? driver : library;
#endif
}

} // namespace database
