#pragma once

#include <QString>

#include <optional>

namespace database {

// How a connection string is opened.
enum class connection_kind {
    odbc,        // an ODBC connection string (given, or mapped from an ADO one)
    sqlite_file, // the embedded database in a file
};

struct connection_target {
    connection_kind kind = connection_kind::odbc;
    // ODBC: the ODBC connection string; embedded database: the file name.
    QString database_name;
    // Whether the target is a SQL Server (login timeout, SQL texts sent unchanged).
    bool sql_server = false;
};

// The accepted forms:
//  - ADO/OLE DB for SQL Server: "Provider=SQLOLEDB.1;Data Source=...;Initial Catalog=...;..."
//    (also MSOLEDBSQL and SQLNCLI*), mapped to ODBC for `odbc_driver`;
//  - ODBC: any string with "Driver=" or "DSN=", passed on unchanged;
//  - the embedded database: "Data Source=<file>.db" with "Provider=SQLite" or a plain
//    file name ending in .db, .sqlite or .sqlite3.
// Throws std::runtime_error for a text that is none of these.
connection_target target_for(const QString& connection_string, const QString& odbc_driver);

// The ADO-to-ODBC mapping alone: Data Source "host,port" or "host\instance" becomes
// Server and Port, Initial Catalog Database, User ID/Password UID/PWD, Integrated
// Security=SSPI Trusted_Connection=yes. Values are braced where ODBC needs it.
QString ado_to_odbc(const QString& ado_connection_string, const QString& odbc_driver);

// Whether the ODBC string names the TDS library's driver, itself or through the definition
// of the data source it names.
bool uses_freetds(const QString& odbc_connection_string);
// The ODBC string with "TDS_Version=7.4" added when it uses the TDS library's driver and
// neither the string nor its data source gives a version, so the login timeout bounds the
// connection attempt.
QString with_tds_version(const QString& odbc_connection_string);

// "host\instance" of an ODBC string for the TDS library (or of the data source it names)
// that gives no port: the port is asked from the server's browser service before
// connecting.
struct instance_address {
    QString host;
    QString instance;
};
std::optional<instance_address> unresolved_instance(const QString& odbc_connection_string);
// The string with Server=host and Port=`port` in place of Server=host\instance.
QString with_instance_port(const QString& odbc_connection_string, int port);

// The database name to hand Qt's ODBC driver for an ODBC connection string; a string that
// names a data source ("DSN=name;UID=...") gets the form the driver completes correctly.
QString qt_odbc_database_name(const QString& odbc_connection_string);

// `text` with every password of `connection_string` and every value after a PWD= or
// Password= key replaced by "****".
QString masked_passwords(const QString& text, const QString& connection_string);

// The SQL Server ODBC driver of this machine: FreeTDS on Linux, the newest installed
// Microsoft driver on Windows.
QString sql_server_odbc_driver();

// Seconds an SQL Server connection may take to log in before it fails.
constexpr int login_timeout_seconds = 5;

} // namespace database
