#include "shared/database/sql_connection.h"

#include "shared/database/instance_port.h"
#include "shared/database/sql_dataset.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

namespace database {

namespace {

// How long the browser service of a named instance may take to name its port.
constexpr int browser_wait_ms = 2000;

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
// Qt's drivers report every failed fetch as a connection error (an overflow as much as a
// lost link), so the type alone decides nothing.
bool means_connection_lost(const QSqlError& error) {
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
    // Datasets may outlive the connection (record sets shared by a window); they learn that
    // it is gone instead of reaching into freed memory.
    for (sql_dataset* dataset : datasets_)
        dataset->connection_ = nullptr;
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
    // Taken before the client opens the file: a replacement in between shows as one more
    // reopen, never as a replacement that goes unseen.
    std::optional<platform::file_identity> opened_file;
    if (target.kind == connection_kind::sqlite_file)
        opened_file = platform::identity_of_file(target.database_name);
    QString failure;
    QString database_name = target.database_name;
    int login_timeout = login_timeout_seconds;
    if (target.kind == connection_kind::odbc) {
        database_name = with_tds_version(database_name);
        if (const auto instance = unresolved_instance(database_name)) {
            QElapsedTimer asked;
            asked.start();
            const int port =
                instance_port(instance->host, instance->instance, browser_wait_ms, failure);
            if (port > 0) {
                database_name = with_instance_port(database_name, port);
                // The question counts against the login timeout.
                login_timeout =
                    std::max(1, login_timeout - static_cast<int>(asked.elapsed() / 1000));
            }
        }
        database_name = qt_odbc_database_name(database_name);
    }
    if (failure.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::addDatabase(target.kind == connection_kind::sqlite_file
                                                        ? QStringLiteral("QSQLITE")
                                                        : QStringLiteral("QODBC"),
                                                    name_);
        if (!db.isValid())
            failure = error_text(db.lastError());
        else {
            db.setDatabaseName(database_name);
            if (target.kind == connection_kind::sqlite_file)
                // The demo generator appends while the scanner reads.
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            else
                db.setConnectOptions(
                    QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(login_timeout));
            if (!db.open())
                failure = error_text(db.lastError());
        }
    }
    if (!failure.isEmpty()) {
        close();
        // Some clients repeat the connection string in their text.
        throw std::runtime_error(masked_passwords(failure, connection_string).toStdString());
    }
    target_ = target;
    opened_file_ = opened_file;
}

bool sql_connection::file_replaced() const {
    if (!embedded() || !opened_file_ || !connected())
        return false;
    // The client holds the opened file, so its inode cannot be reused by another file.
    return platform::identity_of_file(target_.database_name) != opened_file_;
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
    opened_file_.reset();
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
    // An error the checks above do not know: a connection that cannot run the simplest
    // statement is gone, whatever the error said.
    const bool doubtful = error.type() == QSqlError::ConnectionError ||
                          (!embedded() && error.type() == QSqlError::StatementError);
    if (doubtful && !answers())
        close();
}

bool sql_connection::answers() const {
    QSqlQuery probe(QSqlDatabase::database(name_, false));
    probe.setForwardOnly(true);
    const bool alive = probe.exec(QStringLiteral("select 1")) && probe.next();
    probe.finish();
    return alive;
}

namespace {

// The SQL text in tokens, so the rewriting never looks into literals, quoted names or
// comments.
enum class token_kind { blank, comment, literal, word, symbol };

struct token {
    token_kind kind;
    qsizetype begin;
    qsizetype end;
};

bool word_char(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

std::vector<token> tokens_of(const QString& sql) {
    std::vector<token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    // Up to the closing character; a doubled one stands for itself.
    const auto quoted = [&](QChar close) {
        ++i;
        while (i < n) {
            if (sql[i] == close) {
                if (i + 1 < n && sql[i + 1] == close) {
                    i += 2;
                    continue;
                }
                ++i;
                return;
            }
            ++i;
        }
    };
    while (i < n) {
        const qsizetype begin = i;
        const QChar c = sql[i];
        token_kind kind = token_kind::symbol;
        if (c.isSpace()) {
            kind = token_kind::blank;
            while (i < n && sql[i].isSpace())
                ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            kind = token_kind::comment;
            while (i < n && sql[i] != u'\n' && sql[i] != u'\r')
                ++i;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            kind = token_kind::comment;
            const qsizetype close = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`') {
            kind = token_kind::literal;
            quoted(c);
        } else if (c == u'[') {
            kind = token_kind::literal;
            quoted(u']');
        } else if (word_char(c)) {
            kind = token_kind::word;
            while (i < n && word_char(sql[i]))
                ++i;
        } else {
            ++i;
        }
        tokens.push_back({kind, begin, i});
    }
    return tokens;
}

class token_reader {
public:
    explicit token_reader(const QString& sql) : sql_(sql), tokens_(tokens_of(sql)) {}

    qsizetype size() const { return static_cast<qsizetype>(tokens_.size()); }
    const token& at(qsizetype i) const { return tokens_[static_cast<std::size_t>(i)]; }
    QStringView text(qsizetype i) const {
        return QStringView(sql_).mid(at(i).begin, at(i).end - at(i).begin);
    }
    bool significant(qsizetype i) const {
        return at(i).kind != token_kind::blank && at(i).kind != token_kind::comment;
    }
    // The next token after `i` that is neither blank nor comment; size() when none is.
    qsizetype next(qsizetype i) const {
        for (++i; i < size(); ++i)
            if (significant(i))
                break;
        return i;
    }
    bool is_word(qsizetype i, const char* word) const {
        return i < size() && at(i).kind == token_kind::word &&
               text(i).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool is_symbol(qsizetype i, char16_t symbol) const {
        return i < size() && at(i).kind == token_kind::symbol && sql_[at(i).begin] == symbol;
    }
    bool is_number(qsizetype i) const {
        if (i >= size() || at(i).kind != token_kind::word)
            return false;
        for (const QChar c : text(i))
            if (c < u'0' || c > u'9')
                return false;
        return true;
    }
    // The ')' that closes the '(' at `open`; size() when there is none.
    qsizetype closing(qsizetype open) const {
        int depth = 0;
        for (qsizetype i = open; i < size(); ++i) {
            if (is_symbol(i, u'('))
                ++depth;
            else if (is_symbol(i, u')') && --depth == 0)
                return i;
        }
        return size();
    }

private:
    const QString& sql_;
    std::vector<token> tokens_;
};

[[noreturn]] void untranslatable(const char* form) {
    throw std::runtime_error(
        QStringLiteral("The embedded database has no form of \"%1\"; the statement is not sent.")
            .arg(QLatin1String(form))
            .toStdString());
}

// year(x), month(x), day(x) of SQL Server: the date parts of an ISO date-time text, NULL
// for anything else.
QString with_date_parts(const QString& sql) {
    const token_reader tokens(sql);
    QString text;
    qsizetype done = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const char* format = tokens.is_word(i, "year")    ? "%Y"
                             : tokens.is_word(i, "month") ? "%m"
                             : tokens.is_word(i, "day")   ? "%d"
                                                          : nullptr;
        const qsizetype open = tokens.next(i);
        if (!format || !tokens.is_symbol(open, u'('))
            continue;
        const qsizetype close = tokens.closing(open);
        if (close >= tokens.size())
            continue;
        const qsizetype argument_begin = tokens.at(open).end;
        const QString argument =
            with_date_parts(sql.mid(argument_begin, tokens.at(close).begin - argument_begin));
        text += sql.mid(done, tokens.at(i).begin - done) +
                QStringLiteral("cast(strftime('%1', %2) as integer)")
                    .arg(QLatin1String(format), argument.trimmed());
        done = tokens.at(close).end;
        i = close;
    }
    return text + sql.mid(done);
}

struct text_edit {
    qsizetype begin;
    qsizetype end;
    QString replacement;
};

// "select [distinct|all] top N" and "top (N)", also in subqueries, become a limit clause at
// the end of their select.
QString with_limits(const QString& sql) {
    const token_reader tokens(sql);
    std::vector<text_edit> edits;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens.is_word(i, "select"))
            continue;
        qsizetype before_top = i;
        qsizetype top = tokens.next(i);
        if (tokens.is_word(top, "distinct") || tokens.is_word(top, "all")) {
            before_top = top;
            top = tokens.next(top);
        }
        if (!tokens.is_word(top, "top"))
            continue;
        qsizetype count = tokens.next(top);
        qsizetype clause_end = count;
        if (tokens.is_symbol(count, u'(')) {
            count = tokens.next(count);
            clause_end = tokens.next(count);
            if (!tokens.is_number(count) || !tokens.is_symbol(clause_end, u')'))
                untranslatable("select top (expression)");
        }
        // "top" as a column name ("select top from ...") is left alone.
        if (!tokens.is_number(count))
            continue;
        const qsizetype after = tokens.next(clause_end);
        if (tokens.is_word(after, "percent"))
            untranslatable("select top ... percent");
        if (tokens.is_word(after, "with") && tokens.is_word(tokens.next(after), "ties"))
            untranslatable("select top ... with ties");
        // The end of this select: the ')' around a subquery, a ';' or the end of the text.
        // Blanks, comments and a ';' behind the last word stay behind the limit clause.
        qsizetype last = clause_end;
        int depth = 0;
        for (qsizetype j = clause_end + 1; j < tokens.size(); ++j) {
            if (tokens.is_symbol(j, u'('))
                ++depth;
            else if (tokens.is_symbol(j, u')') && --depth < 0)
                break;
            else if (depth == 0 && tokens.is_symbol(j, u';'))
                break;
            if (depth == 0 && (tokens.is_word(j, "union") || tokens.is_word(j, "except") ||
                               tokens.is_word(j, "intersect")))
                untranslatable("select top ... union");
            if (tokens.significant(j))
                last = j;
        }
        if (last == clause_end)
            continue; // nothing follows "top N": no statement to limit
        // "top(5)Id" must not leave "selectId" behind.
        const bool blank_follows =
            clause_end + 1 < tokens.size() && tokens.at(clause_end + 1).kind == token_kind::blank;
        edits.push_back({tokens.at(before_top).end, tokens.at(clause_end).end,
                         blank_follows ? QString() : QStringLiteral(" ")});
        edits.push_back({tokens.at(last).end, tokens.at(last).end,
                         QStringLiteral(" limit ") + tokens.text(count).toString()});
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const text_edit& a, const text_edit& b) { return a.begin > b.begin; });
    QString text = sql;
    for (const text_edit& edit : edits)
        text.replace(edit.begin, edit.end - edit.begin, edit.replacement);
    return text;
}

} // namespace

QString dialect_text(const QString& sql, bool embedded) {
    if (!embedded)
        return sql;
    return with_limits(with_date_parts(sql));
}

} // namespace database
