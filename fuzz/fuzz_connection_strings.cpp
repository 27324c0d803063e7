// The mapping of connection strings from the settings files to Qt Sql connections. The input
// is the connection string (bytes decoded as a settings line); a 0x00 byte separates an
// optional ODBC driver name and a text to mask.
#include "fuzz/fuzz_support.h"

#include "shared/database/connection_strings.h"

#include "shared/platform/code_page.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up();
    const QList<QByteArray> parts = fuzz::parts_of(fuzz::bytes_of(data, size), 3);
    const QString connection = platform::decode_text(parts[0]);
    const QString driver = parts[1].isEmpty() ? QStringLiteral("ODBC Driver 18 for SQL Server")
                                              : platform::decode_text(parts[1]);
    const QString text = platform::decode_text(parts[2]);

    database::target_for(connection, driver);
    const QString odbc = database::ado_to_odbc(connection, driver);
    for (const QString& c : {connection, odbc}) {
        database::uses_freetds(c);
        database::with_tds_version(c);
        database::unresolved_instance(c);
        database::with_instance_port(c, 1433);
        database::qt_odbc_database_name(c);
        database::masked_passwords(text + c, c);
    }
    return 0;
}
