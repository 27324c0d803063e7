#include "shared/database/sql_connection.h"

#include "shared/database/sql_dataset.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

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

// Qt's ODBC driver (6.4) puts only the native code of the client into nativeErrorCode();
// later versions also append the SQLSTATE to the database text, where class 08 means the
// connection is gone.
bool means_connection_lost(const QSqlError& error) {
    if (error.type() == QSqlError::ConnectionError)
        return true;
    // "<descriptions>, <SQLSTATE>;<SQLSTATE>..." at the end of the text.
    static const QRegularExpression sqlstates(QStringLiteral(", ([0-9A-Z]{5}(?:;[0-9A-Z]{5})*)$"));
    const QRegularExpressionMatch match = sqlstates.match(error.databaseText().trimmed());
    if (match.hasMatch())
        for (const QString& state : match.captured(1).split(u';'))
            if (state.startsWith(QLatin1String("08")))
                return true;
    // The TDS client: connection failed, timeout, read or write failed, unexpected end of
    // data, unable to connect; Microsoft's client: the socket errors of a reset or dropped
    // connection and a broken pipe.
    static const QStringList lost_codes = {
        QStringLiteral("20002"), QStringLiteral("20003"), QStringLiteral("20004"),
        QStringLiteral("20006"), QStringLiteral("20009"), QStringLiteral("20017"),
        QStringLiteral("10053"), QStringLiteral("10054"), QStringLiteral("10060"),
        QStringLiteral("10061"), QStringLiteral("233")};
    for (const QString& code : error.nativeErrorCode().split(u';'))
        if (lost_codes.contains(code.trimmed()))
            return true;
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
        }
    }
    if (!failure.isEmpty()) {
        close();
        throw std::runtime_error(failure.toStdString());
    }
    target_ = target;
}

void sql_connection::close() {
    for (sql_dataset* dataset : datasets_)
        dataset->close();
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
    if (!QSqlDatabase::contains(name_))
        return;
    if (means_connection_lost(error)) {
        close();
        return;
    }
    // An ODBC error the list above does not know: a connection that cannot run the
    // simplest statement is gone, whatever the error said.
    if (!embedded() && error.type() == QSqlError::StatementError) {
        QSqlQuery probe(handle());
        probe.setForwardOnly(true);
        const bool alive = probe.exec(QStringLiteral("select 1"));
        probe.finish();
        if (!alive)
            close();
    }
}

QString dialect_text(const QString& sql, bool embedded) {
    if (!embedded)
        return sql;
    // year(x), month(x), day(x) of SQL Server: the date parts of an ISO date-time text, NULL
    // for anything else.
    static const QRegularExpression date_part(
        QStringLiteral("\\b(year|month|day)\\s*\\(([^()]*)\\)"),
        QRegularExpression::CaseInsensitiveOption);
    QString text;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : date_part.globalMatch(sql)) {
        const QString part = match.captured(1).toLower();
        const QString format = part == u"year"    ? QStringLiteral("%Y")
                               : part == u"month" ? QStringLiteral("%m")
                                                  : QStringLiteral("%d");
        text += sql.mid(done, match.capturedStart() - done) +
                QStringLiteral("cast(strftime('%1', %2) as integer)")
                    .arg(format, match.captured(2).trimmed());
        done = match.capturedEnd();
    }
    text += sql.mid(done);

    static const QRegularExpression top(QStringLiteral("^(\\s*select)\\s+top\\s+(\\d+)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = top.match(text);
    if (!match.hasMatch())
        return text;
    QString rest = text.mid(match.capturedEnd());
    // Trailing blanks, line breaks and a closing ';' stay behind the limit clause.
    qsizetype end = rest.size();
    while (end > 0 && (rest[end - 1].isSpace() || rest[end - 1] == u';'))
        --end;
    return match.captured(1) + rest.left(end) + QStringLiteral(" limit ") + match.captured(2) +
           rest.mid(end);
}

} // namespace database
