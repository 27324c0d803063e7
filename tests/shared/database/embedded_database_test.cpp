#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/file_ops.h"

#include "tests/support/scratch_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* record_query =
    "Select * from Spectra where Id>1200 order by loadId,MeasPointIndex,resultname desc";

// Runs `statements` on a connection of its own, so the database under test starts closed.
void run_statements(const QString& file, const QStringList& statements) {
    const QString name = QStringLiteral("embedded_database_test_setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery query(db);
        for (const QString& statement : statements)
            ASSERT_TRUE(query.exec(statement))
                << statement.toStdString() << ": " << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

// A few columns of the in-line system's Spectra and WavelengtsArrays tables.
void create_spectra(const QString& file) {
    run_statements(
        file, {QStringLiteral("create table Spectra (Id integer primary key, Timestamp text, "
                              "LoadId text, ResultName text, MeasPointIndex integer, "
                              "LateralPositionRelativeMm real, Run_Id integer, ResultId text, "
                              "\"Values\" text)"),
               QStringLiteral("create table WavelengtsArrays (ResultID text, Run_ID text, "
                              "Wavelengths text)"),
               QStringLiteral("insert into Spectra values "
                              "(1200, '2016-05-16 08:00:00', 'L0815', 'RG', 1, 10.0, 7, "
                              "'{00000000-0000-0000-0000-000000001200}', '1;2'),"
                              "(1201, '2016-05-16 08:01:00.250', 'L0815', 'RG', 2, 260.4, 7, "
                              "'{00000000-0000-0000-0000-000000001201}', '3;4'),"
                              "(1202, '2016-05-16T08:01:30', 'L0815', 'R55', 2, '-10.5', 7, "
                              "'{00000000-0000-0000-0000-000000001202}', '5;6'),"
                              "(1203, '2016-05-16 08:02:00', 'L0815', 'R55', 1, 20.0, 7, "
                              "'{00000000-0000-0000-0000-000000001203}', '7;8'),"
                              "(1204, '2016-05-17 00:00:01', 'L0816', 'RG', 1, NULL, 8, "
                              "'{00000000-0000-0000-0000-000000001204}', NULL),"
                              "(1205, 'not a date', 'L0815', 'RG', 3, 0, 8, '', '')"),
               QStringLiteral("insert into WavelengtsArrays values "
                              "('{00000000-0000-0000-0000-000000001201}', '7', '400;401'),"
                              "('{00000000-0000-0000-0000-000000001201}', '8', 'wrong run')")});
}

class embedded_database : public scratch_fixture {
protected:
    embedded_database() {
        file = path(QStringLiteral("lumotrax_q.db"));
        create_spectra(file);
        connection.open(file);
    }

    std::vector<int> ids(database::sql_dataset& query) {
        std::vector<int> result;
        for (query.open(); !query.eof(); query.next())
            result.push_back(query.field_integer(QStringLiteral("Id")));
        return result;
    }

    QString file;
    database::sql_connection connection;
};

template <typename F> std::string error_of(F&& action) {
    try {
        action();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST_F(embedded_database, reads_the_record_query_forward_in_its_order) {
    ASSERT_TRUE(connection.connected());
    EXPECT_TRUE(connection.embedded());
    database::sql_dataset query(connection);
    query.set_text(QString::fromUtf8(record_query));
    EXPECT_EQ(ids(query), (std::vector<int>{1203, 1201, 1202, 1205, 1204}));
    EXPECT_TRUE(query.active());
    EXPECT_TRUE(query.eof());
    query.next(); // past the end stays at the end
    EXPECT_TRUE(query.eof());
}

TEST_F(embedded_database, gives_fields_by_name_in_any_case) {
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select * from Spectra where Id=1202"));
    query.open();
    ASSERT_FALSE(query.eof());
    EXPECT_EQ(query.field_text(QStringLiteral("loadid")), QStringLiteral("L0815"));
    EXPECT_EQ(query.field_text(QStringLiteral("RESULTID")),
              QStringLiteral("{00000000-0000-0000-0000-000000001202}"));
    EXPECT_EQ(query.field_text(QStringLiteral("Run_ID")), QStringLiteral("7"));
    EXPECT_EQ(query.field_integer(QStringLiteral("MeasPointIndex")), 2);
    // Stored as text in this row: read with the "." of the system, whatever the locale.
    EXPECT_DOUBLE_EQ(query.field_float(QStringLiteral("LateralPositionRelativeMm")), -10.5);
    EXPECT_EQ(query.field_text(QStringLiteral("Values")), QStringLiteral("5;6"));
    EXPECT_TRUE(query.field_names().contains(QStringLiteral("Timestamp")));

    query.set_text(QStringLiteral("select * from Spectra where Id=1204"));
    query.open();
    EXPECT_TRUE(query.field(QStringLiteral("Values")).isNull());
    EXPECT_EQ(query.field_text(QStringLiteral("Values")), QString());
    EXPECT_DOUBLE_EQ(query.field_float(QStringLiteral("LateralPositionRelativeMm")), 0.0);
}

TEST_F(embedded_database, runs_the_texts_of_the_system_as_written) {
    database::sql_dataset query(connection);
    struct sql_case {
        const char* sql;
        std::vector<int> ids;
    };
    const sql_case cases[] = {
        {"select top 1 * from spectra order by Id desc", {1205}},
        {"Select top 2 * from Spectra order by id desc", {1205, 1204}},
        {"select top 100 * from Spectra\r\norder by ID desc", {1205, 1204, 1203, 1202, 1201, 1200}},
        // The re-run of one pane: date parts with and without fractions or a 'T'; a text
        // that is no date matches nothing.
        {"select * from Spectra \n\rwhere LoadID='L0815'\n\rand year(timestamp)=2016\n\r"
         "and month(timestamp)=5\n\rand day(timestamp)=16\n\r"
         "order by MeasPointIndex,resultname desc",
         {1200, 1203, 1201, 1202}},
        {"select * from Spectra where day(timestamp)=17 or year(timestamp) is null", {1204, 1205}},
    };
    for (const sql_case& c : cases) {
        SCOPED_TRACE(c.sql);
        query.set_text(QString::fromUtf8(c.sql));
        EXPECT_EQ(ids(query), c.ids);
    }
}

TEST_F(embedded_database, finds_the_wavelength_grid_of_a_record) {
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select * from WavelengtsArrays\n\r"
                                  "where ResultID='{00000000-0000-0000-0000-000000001201}'\n\r"
                                  "and Run_ID='7'"));
    EXPECT_EQ(query.sql.size(), 3);
    EXPECT_EQ(query.text(),
              QStringLiteral("select * from WavelengtsArrays\r\n"
                             "where ResultID='{00000000-0000-0000-0000-000000001201}'\r\n"
                             "and Run_ID='7'"));
    query.open();
    ASSERT_FALSE(query.eof());
    EXPECT_EQ(query.field_text(QStringLiteral("Wavelengths")), QStringLiteral("400;401"));
    query.next();
    EXPECT_TRUE(query.eof());
}

TEST(sql_dataset_text, splits_at_every_kind_of_line_break) {
    database::sql_connection connection;
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("a\r\nb\n\rc\rd\ne"));
    EXPECT_EQ(query.sql, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                      QStringLiteral("d"), QStringLiteral("e")}));
    EXPECT_EQ(query.text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\ne"));
}

TEST_F(embedded_database, reports_an_id_beyond_32_bits_instead_of_wrapping) {
    run_statements(file, {QStringLiteral("insert into Spectra (Id, LoadId) values "
                                         "(4294967296, 'L1'), (2147483647, 'L2')")});
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select top 2 * from Spectra order by Id desc"));
    query.open();
    const std::string error = error_of([&] { query.field_integer(QStringLiteral("Id")); });
    EXPECT_NE(error.find("Id 4294967296 is beyond the 32-bit range"), std::string::npos) << error;
    query.next();
    EXPECT_EQ(query.field_integer(QStringLiteral("Id")), 2147483647);
}

TEST_F(embedded_database, raises_the_errors_of_fields_and_of_the_client) {
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select * from Spectra"));
    query.open();
    std::string error = error_of([&] { query.field(QStringLiteral("Wavelength")); });
    EXPECT_NE(error.find("Wavelength"), std::string::npos) << error;
    error = error_of([&] { query.field_integer(QStringLiteral("LoadId")); });
    EXPECT_NE(error.find("LoadId"), std::string::npos) << error;

    query.set_text(QStringLiteral("select * from Spektra"));
    error = error_of([&] { query.open(); });
    EXPECT_NE(error.find("no such table: Spektra"), std::string::npos) << error;
    EXPECT_FALSE(query.active());
    // An ordinary SQL error leaves the connection alone.
    EXPECT_TRUE(connection.connected());

    query.set_text(QStringLiteral("delete from Nowhere"));
    error = error_of([&] { query.exec_sql(); });
    EXPECT_NE(error.find("no such table: Nowhere"), std::string::npos) << error;
}

TEST_F(embedded_database, executes_a_text_without_a_result_and_copies_results) {
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("delete from Spectra where Id>=1204"));
    query.exec_sql();
    EXPECT_FALSE(query.active());

    database::result_copy copy = database::copy_result(
        connection, QStringLiteral("select top 100 Id, LoadId from Spectra order by Id"), 3);
    EXPECT_EQ(copy.columns, (QStringList{QStringLiteral("Id"), QStringLiteral("LoadId")}));
    ASSERT_EQ(copy.rows.size(), 3u);
    EXPECT_EQ(copy.rows[2][0].toInt(), 1202);
    EXPECT_TRUE(copy.truncated);

    copy = database::copy_result(connection, QStringLiteral("select Id from Spectra"), 4);
    EXPECT_EQ(copy.rows.size(), 4u);
    EXPECT_FALSE(copy.truncated);

    copy =
        database::copy_result(connection, QStringLiteral("select Id from Spectra where Id<0"), 4);
    EXPECT_EQ(copy.columns, QStringList{QStringLiteral("Id")});
    EXPECT_TRUE(copy.rows.empty());
}

TEST_F(embedded_database, opens_afresh_after_close_and_refuses_queries_while_closed) {
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select * from Spectra"));
    query.open();
    connection.close();
    EXPECT_FALSE(connection.connected());
    // The open record set went with the connection.
    EXPECT_FALSE(query.active());
    const std::string error = error_of([&] { query.open(); });
    EXPECT_NE(error.find("not open"), std::string::npos) << error;

    connection.open(file);
    query.open();
    EXPECT_EQ(query.field_integer(QStringLiteral("Id")), 1200);
}

TEST_F(embedded_database, closes_only_when_the_connection_is_gone) {
    struct error_case {
        const char* title;
        QSqlError error;
        bool client_gone; // the client connection no longer runs any statement
        bool closes;
    };
    const error_case cases[] = {
        {"ordinary SQL error",
         QSqlError(QStringLiteral("QODBC: Unable to execute statement"),
                   QStringLiteral("[SQLite]no such table: Spektra (1)"), QSqlError::StatementError,
                   QStringLiteral("1")),
         false, false},
        {"server error number that looks like a SQLSTATE",
         QSqlError(QStringLiteral("QODBC: Unable to execute statement"),
                   QStringLiteral("Invalid object name 'Spektra, 08001x'., 42S02"),
                   QSqlError::StatementError, QStringLiteral("208")),
         false, false},
        {"SQLSTATE 08S01 in the text",
         QSqlError(QStringLiteral("QODBC: Unable to execute statement"),
                   QStringLiteral("Communication link failure, 01000;08S01"),
                   QSqlError::StatementError, QStringLiteral("0")),
         false, true},
        {"TDS client: read from the server failed",
         QSqlError(QStringLiteral("QODBC: Unable to fetch next"),
                   QStringLiteral("[FreeTDS][SQL Server]Read from the server failed"),
                   QSqlError::StatementError, QStringLiteral("20004")),
         false, true},
        // Qt's drivers report every failed fetch as a connection error.
        {"fetch error of a connection that still answers",
         QSqlError(QStringLiteral("Unable to fetch row"), QStringLiteral("integer overflow"),
                   QSqlError::ConnectionError, QStringLiteral("1")),
         false, false},
        {"connection error of a connection that no longer answers",
         QSqlError(QStringLiteral("lost"), QStringLiteral("server went away"),
                   QSqlError::ConnectionError),
         true, true},
    };
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select * from Spectra"));
    for (const error_case& c : cases) {
        SCOPED_TRACE(c.title);
        if (!connection.connected())
            connection.open(file);
        query.open();
        if (c.client_gone)
            connection.handle().close();
        connection.note_error(c.error);
        // Closing the connection closes its record sets.
        EXPECT_EQ(query.active(), !c.closes);
        if (!c.client_gone) {
            EXPECT_EQ(connection.connected(), !c.closes);
        }
    }
}

TEST_F(embedded_database, does_not_create_a_missing_database_file) {
    database::sql_connection other;
    const QString missing = path(QStringLiteral("missing.db"));
    const std::string error = error_of([&] { other.open(missing); });
    EXPECT_NE(error.find("missing.db"), std::string::npos) << error;
    EXPECT_FALSE(other.connected());
    EXPECT_FALSE(QFileInfo::exists(missing));
}

} // namespace

namespace {

TEST_F(embedded_database, a_dataset_outlives_its_connection_without_harm) {
    // The main window shares record sets; whichever goes first, nothing touches freed memory.
    auto shared = std::make_unique<database::sql_connection>();
    shared->open(file);
    database::sql_dataset open_query(*shared);
    open_query.set_text(QStringLiteral("select * from Spectra"));
    open_query.open();
    database::sql_dataset closed_query(*shared);
    closed_query.set_text(QStringLiteral("select * from Spectra"));
    shared.reset();

    EXPECT_FALSE(open_query.active());
    EXPECT_TRUE(open_query.eof());
    const std::function<void()> uses[] = {
        [&] { open_query.open(); },
        [&] { open_query.next(); },
        [&] { open_query.field(QStringLiteral("Id")); },
        [&] { open_query.field_integer(QStringLiteral("Id")); },
        [&] { closed_query.exec_sql(); },
        [&] { closed_query.open(); },
    };
    for (const auto& use : uses) {
        const std::string error = error_of(use);
        EXPECT_NE(error.find("connection of this query no longer exists"), std::string::npos)
            << error;
    }
    open_query.close();
    EXPECT_TRUE(open_query.field_names().isEmpty());
}

TEST_F(embedded_database, a_connection_outlives_its_datasets) {
    auto query = std::make_unique<database::sql_dataset>(connection);
    query->set_text(QStringLiteral("select * from Spectra"));
    query->open();
    query.reset();
    // The connection no longer knows the dataset when it closes.
    connection.close();
    EXPECT_FALSE(connection.connected());
}

TEST_F(embedded_database, converts_fields_strictly_and_names_column_and_value) {
    run_statements(file, {QStringLiteral("create table Numbers (Id integer, Value)"),
                          QStringLiteral("insert into Numbers values "
                                         "(1, 3.7), (2, 1e20), (3, '1,000'), (4, ' 42 '), "
                                         "(5, '-17'), (6, '2.5e3'), (7, 'abc'), (8, -3.0), "
                                         "(9, '1 000'), (10, '1e400'), (11, '0x10'), (12, '.5'), "
                                         "(13, '4294967296'), (14, -2147483648), (15, '1.5.'), "
                                         "(16, '12abc'), (17, '')")});
    struct conversion_case {
        int id;
        const char* integer; // the value, or the error's text
        const char* real;
    };
    const conversion_case cases[] = {
        {1, "Value '3.7' is not an integer.", "3.7"},
        {2, "Value 1e+20 is beyond the 32-bit range.", "1e+20"},
        {3, "Value '1,000' is not an integer.", "Value '1,000' is not a number."},
        {4, "42", "42"},
        {5, "-17", "-17"},
        {6, "Value '2.5e3' is not an integer.", "2500"},
        {7, "Value 'abc' is not an integer.", "Value 'abc' is not a number."},
        {8, "-3", "-3"},
        {9, "Value '1 000' is not an integer.", "Value '1 000' is not a number."},
        {10, "Value '1e400' is not an integer.", "Value '1e400' is not a number."},
        {11, "16", "Value '0x10' is not a number."},
        {12, "Value '.5' is not an integer.", "0.5"},
        {13, "Value 4294967296 is beyond the 32-bit range.", "4294967296"},
        {14, "-2147483648", "-2147483648"},
        {15, "Value '1.5.' is not an integer.", "Value '1.5.' is not a number."},
        {16, "Value '12abc' is not an integer.", "Value '12abc' is not a number."},
        {17, "Value '' is not an integer.", "Value '' is not a number."},
    };
    database::sql_dataset query(connection);
    std::string integer_result;
    std::string real_result;
    for (const conversion_case& c : cases) {
        SCOPED_TRACE(c.id);
        query.set_text(QStringLiteral("select Value from Numbers where Id=%1").arg(c.id));
        query.open();
        ASSERT_FALSE(query.eof());
        std::string integer = error_of(
            [&] { integer_result = std::to_string(query.field_integer(QStringLiteral("Value"))); });
        EXPECT_EQ(integer == "(no error)" ? integer_result : integer, c.integer);
        std::string real = error_of([&] {
            real_result = QString::number(query.field_float(QStringLiteral("Value")), 'g',
                                          QLocale::FloatingPointShortest)
                              .toStdString();
        });
        EXPECT_EQ(real == "(no error)" ? real_result : real, c.real);
    }
}

TEST_F(embedded_database, reads_64_bit_integers_as_strictly_as_32_bit_ones) {
    run_statements(file, {QStringLiteral("create table Wide (Id integer, Value)"),
                          QStringLiteral("insert into Wide values "
                                         "(1, 4294967296), (2, '9223372036854775807'), "
                                         "(3, ' -42 '), (4, 3.7), (5, 1e20), "
                                         "(6, '9223372036854775808'), (7, '12abc'), (8, 2.0)")});
    const std::pair<int, const char*> cases[] = {
        {1, "4294967296"},
        {2, "9223372036854775807"},
        {3, "-42"},
        {4, "Value '3.7' is not an integer."},
        {5, "Value 1e+20 is beyond the 64-bit range."},
        {6, "Value 9223372036854775808 is beyond the 64-bit range."},
        {7, "Value '12abc' is not an integer."},
        {8, "2"},
    };
    database::sql_dataset query(connection);
    for (const auto& [id, expected] : cases) {
        SCOPED_TRACE(id);
        query.set_text(QStringLiteral("select Value from Wide where Id=%1").arg(id));
        query.open();
        ASSERT_FALSE(query.eof());
        std::string result;
        const std::string error = error_of(
            [&] { result = std::to_string(query.field_integer64(QStringLiteral("Value"))); });
        EXPECT_EQ(error == "(no error)" ? result : error, expected);
    }
    const std::string error =
        error_of([&] { query.field_integer64(QStringLiteral("Wavelength")); });
    EXPECT_NE(error.find("Wavelength"), std::string::npos) << error;
}

TEST_F(embedded_database, sees_a_database_file_replaced_under_its_name) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not let a database file in use be replaced";
#endif
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select Id from Spectra where Id>1203"));
    EXPECT_EQ(ids(query), (std::vector<int>{1204, 1205}));
    // Writing to the open file is no replacement.
    run_statements(file, {QStringLiteral("insert into Spectra (Id) values (1206)")});
    EXPECT_FALSE(connection.file_replaced());

    // As a restore does it: a new database under a temporary name, renamed over the old one.
    const QString fresh = path(QStringLiteral("lumotrax_q.db.new"));
    create_spectra(fresh);
    run_statements(fresh, {QStringLiteral("insert into Spectra (Id) values (1300)")});
    ASSERT_TRUE(platform::rename_replacing(fresh, file));
    EXPECT_TRUE(connection.file_replaced());
    EXPECT_EQ(ids(query), (std::vector<int>{1204, 1205, 1206})) << "still the file it opened";

    connection.close();
    connection.open(file);
    EXPECT_FALSE(connection.file_replaced());
    EXPECT_EQ(ids(query), (std::vector<int>{1204, 1205, 1300}));

    // Gone counts as replaced; a closed connection has no file to compare.
    ASSERT_TRUE(QFile::rename(file, file + QStringLiteral(".away")));
    EXPECT_TRUE(connection.file_replaced());
    connection.close();
    EXPECT_FALSE(connection.file_replaced());
}

TEST_F(embedded_database, cuts_a_long_value_in_the_error_text) {
    const QString long_value = QString(1 << 20, u'7') + u'x';
    run_statements(
        file, {QStringLiteral("update Spectra set LoadId='%1' where Id=1200").arg(long_value)});
    database::sql_dataset query(connection);
    query.set_text(QStringLiteral("select LoadId from Spectra where Id=1200"));
    query.open();
    for (const auto& read : std::initializer_list<std::function<void()>>{
             [&] { query.field_integer(QStringLiteral("LoadId")); },
             [&] { query.field_float(QStringLiteral("LoadId")); }}) {
        const std::string error = error_of(read);
        EXPECT_LT(error.size(), 120u);
        EXPECT_NE(error.find("LoadId '" + std::string(60, '7') + "...'"), std::string::npos)
            << error;
    }
}

TEST_F(embedded_database, an_error_in_one_query_leaves_another_record_set_readable) {
    database::sql_dataset records(connection);
    records.set_text(QStringLiteral("select Id from Spectra order by Id"));
    records.open();
    EXPECT_EQ(records.field_integer(QStringLiteral("Id")), 1200);

    // The overflow happens while the rows are fetched, not when the text is prepared.
    database::sql_dataset overflow(connection);
    overflow.set_text(QStringLiteral("select sum(x) as s from (select 9223372036854775807 as x "
                                     "union all select 1)"));
    const std::string error = error_of([&] { overflow.open(); });
    EXPECT_NE(error.find("overflow"), std::string::npos) << error;
    EXPECT_FALSE(overflow.active());

    EXPECT_TRUE(connection.connected());
    ASSERT_TRUE(records.active());
    records.next();
    EXPECT_EQ(records.field_integer(QStringLiteral("Id")), 1201);
}

TEST_F(embedded_database, runs_rewritten_texts_on_the_embedded_database) {
    struct sql_case {
        const char* sql;
        std::vector<int> ids;
    };
    const sql_case cases[] = {
        {"select top 2 * from Spectra order by Id -- the first two", {1200, 1201}},
        {"select top 2 * from Spectra order by Id /* the first two */", {1200, 1201}},
        {"select top(1) * from Spectra order by Id desc", {1205}},
        {"select top (1) * from Spectra order by Id desc", {1205}},
        {"select distinct top 2 Id from Spectra order by Id desc", {1205, 1204}},
        {"select * from Spectra where Id in (select top 2 Id from Spectra order by Id) "
         "order by Id desc",
         {1201, 1200}},
        {"select * from Spectra where LoadId<>'year(' and year(timestamp)=2016 "
         "and day(date(timestamp))=17",
         {1204}},
        {"select Id from Spectra where LoadId='L0815' and 'day(x)'<>LoadId and "
         "month(timestamp)=5 order by Id",
         {1200, 1201, 1202, 1203}},
    };
    database::sql_dataset query(connection);
    for (const sql_case& c : cases) {
        SCOPED_TRACE(c.sql);
        query.set_text(QString::fromUtf8(c.sql));
        EXPECT_EQ(ids(query), c.ids);
    }
}

} // namespace
