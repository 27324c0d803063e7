#include "database/sql_connection.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <atomic>
#include <stdexcept>

namespace database {

namespace {

QString next_connection_name() {
    static std::atomic<int> counter{0};
    return QStringLiteral("kalix_database_%1").arg(++counter);
}

QString error_text(const QSqlError& error) {
    QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error.") : text;
}

// The date part of an ISO date-time text as the system's SQL texts use it on SQL Server
// (timestamp columns); anything else gives NULL, as SQL Server would fail to convert.
QDate date_of(sqlite3_value* value) {
    if (sqlite3_value_type(value) != SQLITE_TEXT)
        return {};
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const QString text = QString::fromUtf8(raw, sqlite3_value_bytes(value)).trimmed();
    static const char* const formats[] = {"yyyy-MM-dd hh:mm:ss.zzz", "yyyy-MM-dd hh:mm:ss",
                                          "yyyy-MM-ddThh:mm:ss.zzz", "yyyy-MM-ddThh:mm:ss",
                                          "yyyy-MM-dd hh:mm",        "yyyy-MM-dd"};
    for (const char* format : formats) {
        const QDateTime moment = QDateTime::fromString(text, QLatin1String(format));
        if (moment.isValid())
            return moment.date();
    }
    return {};
}

template <int (QDate::*part)() const>
void date_part(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const QDate date = argc == 1 ? date_of(argv[0]) : QDate();
    if (date.isValid())
        sqlite3_result_int(context, (date.*part)());
    else
        sqlite3_result_null(context);
}

void register_date_functions(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw std::runtime_error("The embedded database gives no handle for its date functions.");
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.data());
    if (!sqlite)
        throw std::runtime_error("The embedded database is not open.");
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    struct function {
        const char* name;
        void (*body)(sqlite3_context*, int, sqlite3_value**);
    };
    for (const function& f :
         {function{"year", &date_part<&QDate::year>}, function{"month", &date_part<&QDate::month>},
          function{"day", &date_part<&QDate::day>}}) {
        if (sqlite3_create_function_v2(sqlite, f.name, 1, flags, nullptr, f.body, nullptr, nullptr,
                                       nullptr) != SQLITE_OK)
            throw std::runtime_error(
                QStringLiteral("The embedded database refused the function %1(): %2")
                    .arg(QLatin1String(f.name), QString::fromUtf8(sqlite3_errmsg(sqlite)))
                    .toStdString());
    }
}

// SQLSTATE class 08 (connection exception) or the TDS library's socket errors. Qt's ODBC
// driver puts the native code into nativeErrorCode(); newer versions also append the
// SQLSTATE to the database text.
bool means_connection_lost(const QSqlError& error) {
    if (error.type() == QSqlError::ConnectionError)
        return true;
    static const QRegularExpression sqlstate_08(
        QStringLiteral("(^|[^0-9A-Z])08[0-9A-Z]{3}($|[^0-9A-Z])"));
    if (sqlstate_08.match(error.databaseText()).hasMatch() ||
        sqlstate_08.match(error.nativeErrorCode()).hasMatch())
        return true;
    // Native codes of the TDS client: read from / write to the server failed, server
    // connection timed out, unable to connect.
    for (const QString& code : error.nativeErrorCode().split(u';')) {
        const QString c = code.trimmed();
        if (c == u"20004" || c == u"20006" || c == u"20003" || c == u"20009" || c == u"20047")
            return true;
    }
    return false;
}

} // namespace

sql_connection::sql_connection() : name_(next_connection_name()) {}

sql_connection::~sql_connection() {
    close();
}

void sql_connection::open(const QString& connection_string) {
    if (connected())
        return;
    const connection_target target = target_for(connection_string, sql_server_odbc_driver());
    if (target.kind == connection_kind::sqlite_file && !QFileInfo(target.database_name).isFile())
        throw std::runtime_error(QStringLiteral("The database file \"%1\" does not exist.")
                                     .arg(target.database_name)
                                     .toStdString());
    // A fresh registration every time: the previous open may have used another driver.
    close();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(target.kind == connection_kind::sqlite_file
                                                        ? QStringLiteral("QSQLITE")
                                                        : QStringLiteral("QODBC"),
                                                    name_);
        if (!db.isValid())
            failure = error_text(db.lastError());
        else {
            db.setDatabaseName(target.database_name);
            if (target.kind == connection_kind::sqlite_file)
                // The demo generator appends while the scanner reads.
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            else
                db.setConnectOptions(
                    QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(login_timeout_seconds));
            if (!db.open())
                failure = error_text(db.lastError());
            else if (target.kind == connection_kind::sqlite_file) {
                try {
                    register_date_functions(db);
                } catch (const std::exception& e) {
                    failure = QString::fromStdString(e.what());
                }
            }
        }
    }
    if (!failure.isEmpty()) {
        close();
        throw std::runtime_error(failure.toStdString());
    }
    target_ = target;
}

void sql_connection::close() {
    if (QSqlDatabase::contains(name_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    target_ = connection_target{};
}

bool sql_connection::connected() const {
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase sql_connection::handle() const {
    if (!QSqlDatabase::contains(name_))
        throw std::runtime_error("The database connection is not open.");
    return QSqlDatabase::database(name_, false);
}

void sql_connection::note_error(const QSqlError& error) {
    if (means_connection_lost(error))
        close();
}

QString dialect_text(const QString& sql, bool embedded) {
    if (!embedded)
        return sql;
    static const QRegularExpression top(QStringLiteral("^(\\s*select)\\s+top\\s+(\\d+)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = top.match(sql);
    if (!match.hasMatch())
        return sql;
    QString rest = sql.mid(match.capturedEnd());
    // Trailing blanks, line breaks and a closing ';' stay behind the limit clause.
    qsizetype end = rest.size();
    while (end > 0 && (rest[end - 1].isSpace() || rest[end - 1] == u';'))
        --end;
    return match.captured(1) + rest.left(end) + QStringLiteral(" limit ") + match.captured(2) +
           rest.mid(end);
}

} // namespace database
