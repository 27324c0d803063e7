#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace database {

class sql_connection;
struct result_copy;

// A query component over one connection: an SQL text, opened into a record set that is
// read forward from its first record (memory stays small whatever the result's size).
// Errors of the client are raised as std::runtime_error with the client's text. The
// dataset may outlive its connection: it is closed then, and every use raises an error.
class sql_dataset {
public:
    explicit sql_dataset(sql_connection& connection);
    ~sql_dataset();
    sql_dataset(const sql_dataset&) = delete;
    sql_dataset& operator=(const sql_dataset&) = delete;

    // The SQL text, as lines (joined with line breaks when sent).
    QStringList sql;
    QString text() const;
    void set_text(const QString& text);

    // Runs the text and positions on the first record (eof() when there is none).
    void open();
    void close();
    bool active() const;
    bool eof() const;
    void next();
    // Runs the text once without keeping a result.
    void exec_sql();

    // Fields of the current record by column name (case-insensitive). A missing column
    // raises an error naming it.
    QVariant field(const QString& name) const;
    QString field_text(const QString& name) const;
    // A 32-bit integer; a value with a fraction, outside the 32-bit range or a text that is
    // not strictly an integer raises an error naming the column and the value.
    std::int32_t field_integer(const QString& name) const;
    // The same for a 64-bit integer (identity columns may be bigint).
    std::int64_t field_integer64(const QString& name) const;
    // A number; a text must be strictly one ("." as decimal separator, no group
    // separators).
    double field_float(const QString& name) const;
    QStringList field_names() const;
    // Whether the open record set has the column (names ignore case).
    bool has_column(const QString& name) const;

    // From now on every open() also keeps a copy of the first `row_limit` rows (0: none),
    // so a grid can show the result without running the text again. The rows are read
    // ahead once; readers still get every record, in order, from the first.
    void keep_copy(int row_limit);
    // The copy made by the last open() (empty when none was kept).
    const result_copy& kept_copy() const;

private:
    friend class sql_connection;
    // Null once the connection object is gone.
    sql_connection* connection_;
    sql_connection& connection() const;
    std::unique_ptr<QSqlQuery> query_;
    bool eof_ = true;
    // The columns of the open record set (names and types), read once.
    mutable std::optional<QSqlRecord> columns_;
    const QSqlRecord& columns() const;
    // The places of the columns asked for by name: a pass reads the same few of every record.
    mutable std::vector<std::pair<QString, int>> places_;
    int column_index(const QString& name) const;
    void fail(const QString& what) const;
    // A field as an integer of `bits` (32 or 64) bits, with the errors of field_integer.
    std::int64_t integer_field(const QString& name, int bits) const;
    // Moves to the next record; a failed fetch closes the record set and raises the error.
    void advance();

    int kept_row_limit_ = 0;
    std::unique_ptr<result_copy> kept_;
    // The current record while it lies in the copy; at the copy's end the query itself
    // stands on the next record (or is at its end).
    std::size_t replayed_ = 0;
    void read_ahead();
    bool replay_next();
};

// A copy of (the first `row_limit` rows of) a result, for showing in a grid while the
// query itself goes on being read forward.
struct result_copy {
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;
    bool truncated = false; // the result had more rows than were copied
};
result_copy copy_result(sql_connection& connection, const QString& sql, int row_limit);

// Statements this process has sent to any database through this layer. On a server across
// the network each one is a round trip, so the benchmarks count them.
std::uint64_t statements_sent();

} // namespace database
