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

TEST(sql_server_odbc_driver, is_freetds_on_linux_and_a_microsoft_driver_on_windows) {
    const QString driver = database::sql_server_odbc_driver();
#ifdef Q_OS_WIN
    // Microsoft's own driver (the newest installed), or the one every Windows carries.
    EXPECT_TRUE(driver == QStringLiteral("SQL Server") ||
                (driver.startsWith(QStringLiteral("ODBC Driver ")) &&
                 driver.endsWith(QStringLiteral(" for SQL Server"))))
        << driver.toStdString();
#else
    EXPECT_EQ(driver, QStringLiteral("FreeTDS"));
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
        // The limit goes before a trailing comment, never into it.
        {"select top 5 * from Spectra -- newest first",
         "select * from Spectra limit 5 -- newest first"},
        {"select top 5 * from Spectra order by Id desc /* newest */;",
         "select * from Spectra order by Id desc limit 5 /* newest */;"},
        {"select top 5 * from Spectra\r\n-- order by Id\r\n",
         "select * from Spectra limit 5\r\n-- order by Id\r\n"},
        // Literals, quoted names and comments are not rewritten.
        {"select * from t where Note='year(' and year(ts)=2016",
         "select * from t where Note='year(' and cast(strftime('%Y', ts) as integer)=2016"},
        {"select 'it''s month(x)', [day(x)], \"year(y)\" from t -- day(z)",
         "select 'it''s month(x)', [day(x)], \"year(y)\" from t -- day(z)"},
        {"select * from t /* select top 1 */ where day(ts)=1",
         "select * from t /* select top 1 */ where cast(strftime('%d', ts) as integer)=1"},
        // Nested brackets in the argument; a date part inside another.
        {"where year(coalesce(ts, date('now')))=2016",
         "where cast(strftime('%Y', coalesce(ts, date('now'))) as integer)=2016"},
        {"where day(max(month(ts)))=1",
         "where cast(strftime('%d', max(cast(strftime('%m', ts) as integer))) as integer)=1"},
        {"where year (ts)=2016", "where cast(strftime('%Y', ts) as integer)=2016"},
        {"select yearly(ts), t.day_count from t", "select yearly(ts), t.day_count from t"},
        // The bracketed and distinct forms, and top in a subquery.
        {"select top(5) * from t", "select * from t limit 5"},
        {"select top (5) * from t", "select * from t limit 5"},
        {"select top(5)Id from t", "select Id from t limit 5"},
        {"select distinct top 3 LoadId from t", "select distinct LoadId from t limit 3"},
        {"SELECT ALL TOP 3 LoadId FROM t", "SELECT ALL LoadId FROM t limit 3"},
        {"select * from (select top 2 Id from t order by Id) s",
         "select * from (select Id from t order by Id limit 2) s"},
        {"select top 1 * from t where Id in (select top 3 Id from u where (a=1)) order by Id",
         "select * from t where Id in (select Id from u where (a=1) limit 3) order by Id limit 1"},
        {"select top from t", "select top from t"},
    };
    for (const dialect_case& c : cases) {
        SCOPED_TRACE(c.sql);
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(database::dialect_text(sql, true), QString::fromUtf8(c.embedded));
        EXPECT_EQ(database::dialect_text(sql, false), sql);
    }
}

} // namespace

namespace {

TEST(dialect_text, refuses_what_the_embedded_database_cannot_run) {
    const char* const cases[] = {
        "select top 10 percent * from Spectra",
        "select top (10) percent * from Spectra",
        "select top 5 with ties * from Spectra order by LoadId",
        "select top (@n) * from Spectra",
        "select top 5 Id from Spectra union select Id from Old",
    };
    for (const char* sql : cases) {
        SCOPED_TRACE(sql);
        try {
            const QString text = database::dialect_text(QString::fromUtf8(sql), true);
            ADD_FAILURE() << "sent as " << text.toStdString();
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("embedded database has no form"),
                      std::string::npos)
                << e.what();
        }
        // SQL Server gets the text as written.
        EXPECT_EQ(database::dialect_text(QString::fromUtf8(sql), false), QString::fromUtf8(sql));
    }
}

TEST(target_for, reads_a_huge_string_in_one_pass) {
    // Strings of a megabyte once took many seconds each: every part was searched for from
    // the start of the string.
    const qsizetype size = 1 << 20;
    QString stray_words;
    while (stray_words.size() < size)
        stray_words += QStringLiteral("a;");
    QString pairs;
    while (pairs.size() < size)
        pairs += QStringLiteral("Key=value;");
    const QString unclosed = QStringLiteral("Provider=SQLOLEDB;Password={") + QString(size, u'x');
    for (const QString& text : {stray_words, pairs, unclosed, QString(size, u'=')})
        EXPECT_THROW(database::target_for(text, QStringLiteral("FreeTDS")), std::runtime_error);
    EXPECT_EQ(database::masked_passwords(unclosed, unclosed),
              QStringLiteral("Provider=SQLOLEDB;Password=****"));
    const QString ado = QStringLiteral("Provider=SQLOLEDB;Data Source=srv;") + pairs;
    EXPECT_TRUE(database::target_for(ado, QStringLiteral("FreeTDS")).sql_server);
    const QString dsn = QStringLiteral("DSN=q;") + pairs;
    EXPECT_TRUE(database::qt_odbc_database_name(dsn).startsWith(QStringLiteral("q;Key=value;")));
}

struct rewrite_case {
    const char* given;
    const char* expected;
};

TEST(qt_odbc_database_name, names_a_data_source_so_that_qt_does_not_name_it_twice) {
    const rewrite_case cases[] = {
        {"DSN=lumotrax_q;UID=scanner;PWD=secret", "lumotrax_q;UID=scanner;PWD=secret"},
        {"dsn = lumotrax_q ; UID=scanner", "lumotrax_q;UID=scanner"},
        {"UID=scanner;DSN=lumotrax_q;PWD={a;b}", "lumotrax_q;UID=scanner;PWD={a;b}"},
        {"DSN={odd;name};UID=u", "{odd;name};UID=u"},
        {"DSN=lumotrax_q", "lumotrax_q"},
        // Texts naming a driver or a server are passed on unchanged by Qt.
        {"Driver={FreeTDS};Server=srv;Port=1433", "Driver={FreeTDS};Server=srv;Port=1433"},
        {"DSN=lumotrax_q;Server=other", "DSN=lumotrax_q;Server=other"},
    };
    for (const rewrite_case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(database::qt_odbc_database_name(QString::fromUtf8(c.given)),
                  QString::fromUtf8(c.expected));
    }
}

TEST(with_tds_version, fixes_the_version_of_the_tds_driver_only) {
    const rewrite_case cases[] = {
        {"Driver={FreeTDS};Server=srv;Port=1433;UID=u;PWD=p",
         "Driver={FreeTDS};Server=srv;Port=1433;UID=u;PWD=p;TDS_Version=7.4"},
        {"driver=freetds;server=srv;", "driver=freetds;server=srv;TDS_Version=7.4"},
        {"Driver=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so;Server=srv",
         "Driver=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so;Server=srv;TDS_Version=7.4"},
        {"Driver={FreeTDS};Server=srv;tds_version=7.2",
         "Driver={FreeTDS};Server=srv;tds_version=7.2"},
        {"Driver={ODBC Driver 18 for SQL Server};Server=srv",
         "Driver={ODBC Driver 18 for SQL Server};Server=srv"},
        {"Driver={SQLite3};Database=/data/q.db", "Driver={SQLite3};Database=/data/q.db"},
        {"DSN=lumotrax_q", "DSN=lumotrax_q"},
    };
    for (const rewrite_case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(database::with_tds_version(QString::fromUtf8(c.given)),
                  QString::fromUtf8(c.expected));
    }
}

TEST(unresolved_instance, finds_a_named_instance_without_port) {
    struct instance_case {
        const char* odbc;
        const char* host; // nullptr: none to resolve
        const char* instance;
        const char* with_port;
    };
    const instance_case cases[] = {
        {"Driver={FreeTDS};Server=INLINE-SQL\\SQLEXPRESS;TDS_Version=7.4;PWD={a;b}", "INLINE-SQL",
         "SQLEXPRESS", "Driver={FreeTDS};Server=INLINE-SQL;Port=50123;TDS_Version=7.4;PWD={a;b}"},
        {"Driver={FreeTDS};Server=INLINE-SQL\\SQLEXPRESS;Port=1500", nullptr, nullptr, nullptr},
        {"Driver={FreeTDS};Server=INLINE-SQL;Port=1433", nullptr, nullptr, nullptr},
        {"Driver={FreeTDS};Server=\\SQLEXPRESS", nullptr, nullptr, nullptr},
        {"Driver={ODBC Driver 18 for SQL Server};Server=INLINE-SQL\\SQLEXPRESS", nullptr, nullptr,
         nullptr},
    };
    for (const instance_case& c : cases) {
        SCOPED_TRACE(c.odbc);
        const auto found = database::unresolved_instance(QString::fromUtf8(c.odbc));
        ASSERT_EQ(found.has_value(), c.host != nullptr);
        if (!found)
            continue;
        EXPECT_EQ(found->host, QString::fromUtf8(c.host));
        EXPECT_EQ(found->instance, QString::fromUtf8(c.instance));
        EXPECT_EQ(database::with_instance_port(QString::fromUtf8(c.odbc), 50123),
                  QString::fromUtf8(c.with_port));
    }
}

TEST(masked_passwords, hides_every_password_of_the_connection_string) {
    struct mask_case {
        const char* text;
        const char* connection_string;
        const char* masked;
    };
    const mask_case cases[] = {
        {"Login failed: Driver={FreeTDS};Server=srv;UID=scanner;PWD=topsecret;Port=1",
         "Driver={FreeTDS};Server=srv;UID=scanner;PWD=topsecret",
         "Login failed: Driver={FreeTDS};Server=srv;UID=scanner;PWD=****;Port=1"},
        {"cannot open 'topsecret.db'", "Provider=SQLOLEDB;Password=topsecret",
         "cannot open '****.db'"},
        {"echo: password = {a;b}}c} and pwd=\"x\"\"y\" and Password='q'", "",
         "echo: password = **** and pwd=**** and Password=****"},
        {"echo PWD=p4ss word", "PWD={p4ss word}", "echo PWD=****"},
        // A short password is hidden where it stands alone, not inside every word.
        {"user abc: wrong password abc.", "UID=x;PWD=abc", "user ****: wrong password ****."},
        {"no password in here", "UID=x", "no password in here"},
        {"unclosed PWD={abc", "PWD={abc", "unclosed PWD=****"},
    };
    for (const mask_case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(database::masked_passwords(QString::fromUtf8(c.text),
                                             QString::fromUtf8(c.connection_string)),
                  QString::fromUtf8(c.masked));
    }
}

} // namespace
