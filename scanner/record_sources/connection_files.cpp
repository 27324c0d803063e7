#include "scanner/record_sources/connection_files.h"

#include "shared/basics/password_file.h"
#include "shared/basics/program_folders.h"
#include "shared/platform/file_ops.h"

QString connection_file_read_name() {
    return home_file_name(QStringLiteral("lumotrax_corona_connection.bin"));
}

QString connection_file_written_name() {
    return home_file_name(QStringLiteral("lumotrax_sql_connection.bin"));
}

QString read_connection_string() {
    const QString file = connection_file_read_name();
    if (!platform::file_exists(file))
        return {};
    return read_password_file(file);
}

void write_connection_string(const QString& connection_string) {
    write_password_file(connection_string, connection_file_written_name());
}
