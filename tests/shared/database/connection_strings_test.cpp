#include "shared/database/connection_strings.h"
#include "shared/database/sql_connection.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using database::connection_kind;

struct mapping_case {
    const char* title;
    const char* ado;
    const char* driver;
    const char* odbc;
};

TEST(ado_to_odbc, maps_the_sql_server_forms) {
    const mapping_case cases[] = {
        {"SQL login, default port", //
         "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=scanner;Password=secret;"
         "Initial Catalog=Lumotrax;Data Source=INLINE-SQL",
         "FreeTDS",
         "Driver={FreeTDS};Server=INLINE-SQL;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;"
         "Database=Lumotrax;UID=scanner;PWD=secret;MARS_Connection=yes"},
        {"Integrated Security on a named instance", //
         "Provider=SQLNCLI11.1;Integrated Security=SSPI;Persist Security Info=False;"
         "Initial Catalog=Lumotrax;Data Source=INLINE-SQL\\SQLEXPRESS",
         "FreeTDS",
         "Driver={FreeTDS};Server=INLINE-SQL\\SQLEXPRESS;TDS_Version=7.4;ClientCharset=UTF-8;"
         "Database=Lumotrax;Trusted_Connection=yes;MARS_Connection=yes"},
        {"with port, quoted password holding ; and }", //
         "Provider=MSOLEDBSQL;Data Source=192.168.10.5,1500;Initial Catalog=Lumotrax;"
         "User ID=scanner;Password=\"pa;ss}\"",
         "FreeTDS",
         "Driver={FreeTDS};Server=192.168.10.5;Port=1500;TDS_Version=7.4;ClientCharset=UTF-8;"
         "Database=Lumotrax;UID=scanner;PWD={pa;ss}}};MARS_Connection=yes"},
        {"keys in any case, blanks around them, local server", //
         " provider = sqloledb ; data source = (local) ; initial catalog = Q ; "
         "integrated security = true ",
         "FreeTDS",
         "Driver={FreeTDS};Server=localhost;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;"
         "Database=Q;Trusted_Connection=yes;MARS_Connection=yes"},
        {"Microsoft driver keeps host,port in Server", //
         "Provider=SQLOLEDB;Data Source=tcp:sqlhost,1500;Initial Catalog=Lumotrax;"
         "User ID=scanner;Password=secret",
         "ODBC Driver 18 for SQL Server",
         "Driver={ODBC Driver 18 for SQL Server};Server=sqlhost,1500;Database=Lumotrax;"
         "UID=scanner;PWD=secret;Encrypt=no;MARS_Connection=yes"},
    };
    for (const mapping_case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(database::ado_to_odbc(QString::fromUtf8(c.ado), QString::fromUtf8(c.driver)),
                  QString::fromUtf8(c.odbc));
    }
}

struct target_case {
    const char* text;
    connection_kind kind;
    const char* database_name; // nullptr: the text itself
    bool sql_server;
};

TEST(target_for, tells_the_accepted_forms_apart) {
    const target_case cases[] = {
        {"Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=db;User ID=u;Password=p",
         connection_kind::odbc,
         "Driver={FreeTDS};Server=srv;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;Database=db;"
         "UID=u;PWD=p;MARS_Connection=yes",
         true},
        {"Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=u;PWD=p", connection_kind::odbc,
         nullptr, true},
        {"DRIVER={ODBC Driver 17 for SQL Server};SERVER=srv;DATABASE=db;Trusted_Connection=yes",
         connection_kind::odbc, nullptr, true},
        {"DSN=lumotrax_q;UID=u;PWD=p", connection_kind::odbc, nullptr, true},
        {"Driver={SQLite3};Database=/data/q.db", connection_kind::odbc, nullptr, false},
        {"Provider=SQLite;Data Source=/data/lumotrax q.db", connection_kind::sqlite_file,
         "/data/lumotrax q.db", false},
        {"Data Source=C:\\demo\\lumotrax_p.sqlite3", connection_kind::sqlite_file,
         "C:\\demo\\lumotrax_p.sqlite3", false},
        {"C:\\demo\\lumotrax_q.db", connection_kind::sqlite_file, "C:\\demo\\lumotrax_q.db", false},
        {"  /tmp/demo.sqlite  ", connection_kind::sqlite_file, "/tmp/demo.sqlite", false},
    };
    for (const target_case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto target =
            database::target_for(QString::fromUtf8(c.text), QStringLiteral("FreeTDS"));
        EXPECT_EQ(target.kind, c.kind);
        EXPECT_EQ(target.database_name,
                  QString::fromUtf8(c.database_name ? c.database_name : c.text));
        EXPECT_EQ(target.sql_server, c.sql_server);
    }
}

TEST(target_for, rejects_other_forms_without_repeating_the_password) {
    const char* const cases[] = {
        "",
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=q.mdb;Password=topsecret",
        "Server=srv;Password=topsecret",
        "lumotrax_q.mdb",
        "Provider=SQLOLEDB;Data Source=srv;Password={topsecret",
        "Provider=SQLite;Data Source=",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        try {
            database::target_for(QString::fromUtf8(text), QStringLiteral("FreeTDS"));
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
            EXPECT_EQ(std::string(e.what()).find("topsecret"), std::string::npos) << e.what();
        }
    }
}

TEST(sql_server_odbc_driver, is_the_tds_driver_here) {
#ifndef Q_OS_WIN
    EXPECT_EQ(database::sql_server_odbc_driver(), QStringLiteral("FreeTDS"));
#endif
}

struct dialect_case {
    const char* sql;
    const char* embedded;
};

TEST(dialect_text, turns_select_top_and_date_parts_into_their_embedded_forms) {
    const dialect_case cases[] = {
        {"select top 1 * from spectra order by Id desc",
         "select * from spectra order by Id desc limit 1"},
        {"Select top 100 * from Spectra order by id desc",
         "Select * from Spectra order by id desc limit 100"},
        {"select top 100 * from Spectra\r\norder by ID desc",
         "select * from Spectra\r\norder by ID desc limit 100"},
        {"SELECT\n\rTOP\n\r5 Id from Spectra\n\r", "SELECT Id from Spectra limit 5\n\r"},
        {"select top 3 * from Spectra;", "select * from Spectra limit 3;"},
        {"select * from Spectra \n\rwhere LoadID='L1'\n\rand year(timestamp)=2016",
         "select * from Spectra \n\rwhere LoadID='L1'\n\rand cast(strftime('%Y', timestamp) as "
         "integer)=2016"},
        {"and MONTH( timestamp )=5 and Day(timestamp)=16 and birthday(x)=1",
         "and cast(strftime('%m', timestamp) as integer)=5 and cast(strftime('%d', timestamp) as "
         "integer)=16 and birthday(x)=1"},
        {"select top 1 * from Spectra where year(timestamp)=2016",
         "select * from Spectra where cast(strftime('%Y', timestamp) as integer)=2016 limit 1"},
        {"select topic from Spectra", "select topic from Spectra"},
        {"select * from Spectra where Note='select top 1'",
         "select * from Spectra where Note='select top 1'"},
    };
    for (const dialect_case& c : cases) {
        SCOPED_TRACE(c.sql);
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(database::dialect_text(sql, true), QString::fromUtf8(c.embedded));
        EXPECT_EQ(database::dialect_text(sql, false), sql);
    }
}

} // namespace
