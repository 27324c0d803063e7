#pragma once

#include <QString>

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

// The SQL Server ODBC driver of this machine: FreeTDS on Linux, the newest installed
// Microsoft driver on Windows.
QString sql_server_odbc_driver();

// Seconds an SQL Server connection may take to log in before it fails.
constexpr int login_timeout_seconds = 5;

} // namespace database
