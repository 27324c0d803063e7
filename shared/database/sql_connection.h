#pragma once

#include "shared/database/connection_strings.h"
#include "shared/platform/file_ops.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace database {

class sql_dataset;

// One named database connection, opened from a connection string. Errors of the client
// are raised as std::runtime_error with the client's text; a connection that failed is
// closed, so the next open() connects afresh.
class sql_connection {
public:
    sql_connection();
    ~sql_connection();
    sql_connection(const sql_connection&) = delete;
    sql_connection& operator=(const sql_connection&) = delete;

    // Opens the connection (does nothing when it is open already).
    void open(const QString& connection_string);
    void close();
    bool connected() const;
    // The kind of the open connection; the embedded database gets the SQL dialect of
    // the system's texts (select top N, year/month/day).
    bool embedded() const { return target_.kind == connection_kind::sqlite_file; }

    // The embedded database's file under its name is now another file than the one opened
    // (replaced by a rename, or gone); the connection still reads the old one until it is
    // opened again. Always false for a server.
    bool file_replaced() const;

    QSqlDatabase handle() const;
    // Called by queries when the client reported an error: a lost connection is closed.
    void note_error(const class QSqlError& error);

private:
    // Whether the connection still runs the simplest statement.
    bool answers() const;
    friend class sql_dataset;
    QString name_;
    connection_target target_;
    // The embedded database's file as it was opened.
    std::optional<platform::file_identity> opened_file_;
    // The datasets over this connection: closed before the connection goes, so none keeps
    // a statement of a client connection that no longer exists, and told when this object
    // goes, so none reaches it afterwards.
    std::vector<sql_dataset*> datasets_;
};

// The text the client receives: unchanged for SQL Server, rewritten for the embedded
// database ("select top N ..." becomes "select ... limit N"; year(x), month(x), day(x)
// become the date parts of an ISO date-time text).
QString dialect_text(const QString& sql, bool embedded);

} // namespace database
