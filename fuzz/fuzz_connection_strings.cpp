// The mapping of connection strings from the settings files to Qt Sql connections. The input
// is the connection string (bytes decoded as a settings line); a 0x00 byte separates an
// optional ODBC driver name and a text to mask.
#include "fuzz/fuzz_support.h"

#include "shared/database/connection_strings.h"

#include "shared/platform/code_page.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::set_up();
    const QList<QByteArray> parts = fuzz::parts_of(fuzz::bytes_of(data, size), 3);
    const QString connection = platform::decode_text(parts[0]);
    const QString driver = parts[1].isEmpty() ? QStringLiteral("ODBC Driver 18 for SQL Server")
                                              : platform::decode_text(parts[1]);
    const QString text = platform::decode_text(parts[2]);

    // A text that is no connection string (or one with an unclosed quote or brace) is
    // answered with std::runtime_error, which the connection code reports on the board.
    const auto tolerant = [](auto&& call) {
        try {
            call();
        } catch (const std::runtime_error&) {
        }
    };
    tolerant([&] { database::target_for(connection, driver); });
    QString odbc;
    tolerant([&] { odbc = database::ado_to_odbc(connection, driver); });
    for (const QString& c : {connection, odbc}) {
        tolerant([&] { database::uses_freetds(c); });
        tolerant([&] { database::with_tds_version(c); });
        tolerant([&] { database::unresolved_instance(c); });
        tolerant([&] { database::with_instance_port(c, 1433); });
        tolerant([&] { database::qt_odbc_database_name(c); });
        // Masking runs while an error is reported and must take any text.
        database::masked_passwords(text + c, c);
    }
    return 0;
}
