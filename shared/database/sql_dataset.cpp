#include "shared/database/sql_dataset.h"

#include "shared/basics/number_text.h"
#include "shared/database/sql_connection.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

#include <atomic>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace database {

namespace {

// ODBC's SQL_GUID: Qt delivers it as bare text, the system's keys carry braces.
constexpr int odbc_guid_type = -11;

[[noreturn]] void raise(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

QString client_text(const QSqlError& error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error.") : text;
}

// Some clients deliver numbers as text; those are read with "." whatever the locale.
bool delivered_as_text(const QVariant& value) {
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

// A value shown in a message: a text of any length may come from the database.
QString readable(const QString& value) {
    constexpr qsizetype shown = 60;
    return value.size() > shown ? value.left(shown) + QStringLiteral("...") : value;
}

// Strict real number text as the system writes it: optional sign, digits with an optional
// "." and fraction, an optional exponent; no group separators, nothing after it.
bool strict_real(const QString& text, double& number) {
    static const QRegularExpression form(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!form.match(text).hasMatch())
        return false;
    const QByteArray latin = text.toLatin1();
    const char* first = latin.constData();
    const char* const last = first + latin.size();
    const bool negative = *first == '-';
    if (*first == '+' || *first == '-')
        ++first;
    double magnitude = 0.0;
    const auto parsed = std::from_chars(first, last, magnitude);
    if (parsed.ec != std::errc{} || parsed.ptr != last)
        return false;
    number = negative ? -magnitude : magnitude;
    return true;
}

std::atomic<std::uint64_t> sent{0};

QSqlQuery run(sql_connection& connection, const QString& sql, bool forward_only) {
    if (!connection.connected())
        raise(QStringLiteral("The database connection is not open."));
    sent.fetch_add(1, std::memory_order_relaxed);
    QSqlQuery query(connection.handle());
    query.setForwardOnly(forward_only);
    if (!query.exec(dialect_text(sql, connection.embedded()))) {
        const QSqlError error = query.lastError();
        query.finish();
        connection.note_error(error);
        raise(client_text(error));
    }
    return query;
}

} // namespace

std::uint64_t statements_sent() {
    return sent.load(std::memory_order_relaxed);
}

sql_dataset::sql_dataset(sql_connection& connection) : connection_(&connection) {
    connection_->datasets_.push_back(this);
}

sql_dataset::~sql_dataset() {
    if (connection_)
        std::erase(connection_->datasets_, this);
}

sql_connection& sql_dataset::connection() const {
    if (!connection_)
        raise(QStringLiteral("The database connection of this query no longer exists."));
    return *connection_;
}

QString sql_dataset::text() const {
    return sql.join(QStringLiteral("\r\n"));
}

void sql_dataset::set_text(const QString& text) {
    static const QRegularExpression line_break(QStringLiteral("\r\n|\n\r|\r|\n"));
    sql = text.split(line_break);
}

void sql_dataset::open() {
    close();
    query_ = std::make_unique<QSqlQuery>(run(connection(), text(), true));
    read_ahead();
}

void sql_dataset::close() {
    query_.reset();
    columns_.reset();
    places_.clear();
    eof_ = true;
}

bool sql_dataset::active() const {
    return query_ != nullptr;
}

bool sql_dataset::eof() const {
    return eof_;
}

void sql_dataset::next() {
    if (!query_) {
        connection(); // a connection that is gone says so first
        raise(QStringLiteral("The query is not open."));
    }
    if (eof_ || replay_next())
        return;
    advance();
}

void sql_dataset::advance() {
    // The end of the records and a failed fetch look alike until the error is asked for.
    eof_ = !query_->next();
    if (eof_ && query_->lastError().isValid()) {
        const QSqlError error = query_->lastError();
        close();
        connection().note_error(error);
        raise(client_text(error));
    }
}

void sql_dataset::exec_sql() {
    run(connection(), text(), true).finish();
}

QVariant sql_dataset::field(const QString& name) const {
    if (!query_) {
        connection();
        fail(QStringLiteral("The query is not open; field %1 cannot be read.").arg(name));
    }
    const int index = column_index(name);
    if (index < 0)
        fail(QStringLiteral("Field '%1' not found.").arg(name));
    if (eof_)
        fail(QStringLiteral("The query has no current record; field %1 cannot be read.").arg(name));
    if (kept_ && replayed_ < kept_->rows.size())
        return kept_->rows[replayed_][static_cast<std::size_t>(index)];
    return query_->value(index);
}

const QSqlRecord& sql_dataset::columns() const {
    // QSqlQuery::record() copies every value of the current row; the columns are the same
    // for every row, so they are taken once per open record set.
    if (!columns_)
        columns_ = query_->record();
    return *columns_;
}

int sql_dataset::column_index(const QString& name) const {
    for (const auto& [known, index] : places_)
        if (known == name)
            return index;
    const int index = columns().indexOf(name);
    places_.emplace_back(name, index);
    return index;
}

bool sql_dataset::has_column(const QString& name) const {
    return query_ && column_index(name) >= 0;
}

QString sql_dataset::field_text(const QString& name) const {
    const QVariant value = field(name);
    if (value.isNull())
        return {};
    QString text = value.toString();
    if (columns().field(column_index(name)).typeID() == odbc_guid_type && text.size() == 36)
        text = u'{' + text.toUpper() + u'}';
    return text;
}

std::int32_t sql_dataset::field_integer(const QString& name) const {
    return static_cast<std::int32_t>(integer_field(name, 32));
}

std::int64_t sql_dataset::field_integer64(const QString& name) const {
    return integer_field(name, 64);
}

std::int64_t sql_dataset::integer_field(const QString& name, int bits) const {
    const QVariant value = field(name);
    if (value.isNull())
        return 0;
    const auto beyond_range = [&](const QString& shown) {
        fail(QStringLiteral("%1 %2 is beyond the %3-bit range.")
                 .arg(name, readable(shown))
                 .arg(bits));
    };
    const auto not_an_integer = [&](const QString& shown) {
        fail(QStringLiteral("%1 '%2' is not an integer.").arg(name, readable(shown)));
    };
    const std::int64_t lowest = bits == 32 ? std::numeric_limits<std::int32_t>::min()
                                           : std::numeric_limits<std::int64_t>::min();
    const std::int64_t highest = bits == 32 ? std::numeric_limits<std::int32_t>::max()
                                            : std::numeric_limits<std::int64_t>::max();
    const auto in_range = [&](std::int64_t number, const QString& shown) {
        if (number < lowest || number > highest)
            beyond_range(shown);
        return number;
    };
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return in_range(value.toLongLong(), QString::number(value.toLongLong()));
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number > static_cast<qulonglong>(highest))
            beyond_range(QString::number(number));
        return static_cast<std::int64_t>(number);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // A real value is an integer only when it has no fraction; rounding would hide a
        // wrong column.
        const double number = value.toDouble();
        const QString shown = QString::number(number, 'g', QLocale::FloatingPointShortest);
        if (!std::isfinite(number) || std::trunc(number) != number)
            not_an_integer(shown);
        // 2^63 itself is the first double beyond the range.
        if (number < -9223372036854775808.0 || number >= 9223372036854775808.0)
            beyond_range(shown);
        return in_range(static_cast<std::int64_t>(number), shown);
    }
    default:
        break;
    }
    if (!delivered_as_text(value))
        not_an_integer(value.toString());
    // Char columns come padded with blanks.
    const QString text = value.toString().trimmed();
    std::int64_t number = 0;
    if (text_to_integer64(text, number))
        return in_range(number, text);
    static const QRegularExpression decimal_integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (decimal_integer.match(text).hasMatch())
        beyond_range(text);
    not_an_integer(value.toString());
    return 0;
}

double sql_dataset::field_float(const QString& name) const {
    const QVariant value = field(name);
    if (value.isNull())
        return 0.0;
    const auto not_a_number = [&] {
        fail(QStringLiteral("%1 '%2' is not a number.").arg(name, readable(value.toString())));
    };
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    default:
        break;
    }
    if (!delivered_as_text(value))
        not_a_number();
    double number = 0.0;
    if (!strict_real(value.toString().trimmed(), number))
        not_a_number();
    return number;
}

QStringList sql_dataset::field_names() const {
    QStringList names;
    if (!query_)
        return names;
    const QSqlRecord record = query_->record();
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

void sql_dataset::keep_copy(int row_limit) {
    kept_row_limit_ = row_limit;
}

const result_copy& sql_dataset::kept_copy() const {
    static const result_copy none;
    return kept_ ? *kept_ : none;
}

void sql_dataset::read_ahead() {
    kept_.reset();
    replayed_ = 0;
    if (kept_row_limit_ <= 0) {
        advance();
        return;
    }
    kept_ = std::make_unique<result_copy>();
    const QSqlRecord record = query_->record();
    for (int i = 0; i < record.count(); ++i)
        kept_->columns << record.fieldName(i);
    for (advance(); !eof_; advance()) {
        if (static_cast<int>(kept_->rows.size()) >= kept_row_limit_) {
            // The query stays on this record; it comes after the copy.
            kept_->truncated = true;
            break;
        }
        std::vector<QVariant> row;
        row.reserve(static_cast<std::size_t>(record.count()));
        for (int i = 0; i < record.count(); ++i)
            row.push_back(query_->value(i));
        kept_->rows.push_back(std::move(row));
    }
    eof_ = kept_->rows.empty();
}

bool sql_dataset::replay_next() {
    if (!kept_ || replayed_ >= kept_->rows.size())
        return false;
    ++replayed_;
    if (replayed_ == kept_->rows.size())
        eof_ = !kept_->truncated;
    return true;
}

void sql_dataset::fail(const QString& what) const {
    raise(what);
}

result_copy copy_result(sql_connection& connection, const QString& sql, int row_limit) {
    result_copy copy;
    QSqlQuery query = run(connection, sql, true);
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        copy.columns << record.fieldName(i);
    while (query.next()) {
        if (static_cast<int>(copy.rows.size()) >= row_limit) {
            copy.truncated = true;
            break;
        }
        std::vector<QVariant> row;
        row.reserve(static_cast<std::size_t>(record.count()));
        for (int i = 0; i < record.count(); ++i)
            row.push_back(query.value(i));
        copy.rows.push_back(std::move(row));
    }
    if (!copy.truncated && query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        query.finish();
        connection.note_error(error);
        raise(client_text(error));
    }
    return copy;
}

} // namespace database
