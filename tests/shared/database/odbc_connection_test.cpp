// The production path: Qt's ODBC driver through the ODBC driver manager.
#include "shared/database/connection_strings.h"
#include "shared/database/instance_port.h"
#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"

#include "tests/support/scratch_fixture.h"
#include "tests/support/wine.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifndef Q_OS_WIN
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// A driver that the driver manager does not know fails with IM002 or cannot load its library.
bool driver_missing(const std::string& error) {
    return error.find("IM002") != std::string::npos ||
           error.find("Can't open lib") != std::string::npos;
}

std::string open_error(database::sql_connection& connection, const QString& connection_string) {
    try {
        connection.open(connection_string);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

// Wine hands ODBC calls to the host's driver manager, whose drivers are host programs: they
// are given Windows paths they cannot open. Windows itself has no such mix.
constexpr const char* wine_odbc_reason =
    "Wine passes ODBC to the host's driver manager, whose SQLite driver cannot open Windows "
    "paths";

class odbc_connection : public scratch_fixture {
protected:
    void SetUp() override {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            GTEST_SKIP() << "Qt's ODBC driver is not installed";
    }
};

TEST_F(odbc_connection, reads_the_record_query_through_the_sqlite_odbc_driver) {
    if (running_under_wine())
        GTEST_SKIP() << wine_odbc_reason;
    const QString file = path(QStringLiteral("lumotrax_q.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("odbc_setup"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const char* statement :
             {"create table Spectra (Id bigint, LoadId text, ResultName text, MeasPointIndex "
              "integer, "
              "LateralPositionRelativeMm double)",
              "insert into Spectra values (1200, 'L1', 'RG', 1, 1.5), (1201, 'L2', 'RG', 1, 2.5), "
              "(1202, 'L1', 'R55', 2, 3.5), (1203, 'L1', 'RG', 2, -4.5), (1204, 'L1', 'RG', 1, 0)"})
            ASSERT_TRUE(query.exec(QString::fromUtf8(statement)))
                << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("odbc_setup"));

    database::sql_connection connection;
    const std::string error =
        open_error(connection, QStringLiteral("Driver={SQLite3};Database=%1").arg(file));
    if (driver_missing(error))
        GTEST_SKIP() << "the SQLite3 ODBC driver is not registered: " << error;
    ASSERT_EQ(error, "");
    EXPECT_FALSE(connection.embedded());

    database::sql_dataset query(connection);
    query.set_text(QStringLiteral(
        "Select * from Spectra where Id>1200 order by loadId,MeasPointIndex,resultname desc"));
    std::vector<int> ids;
    std::vector<double> positions;
    for (query.open(); !query.eof(); query.next()) {
        ids.push_back(query.field_integer(QStringLiteral("id")));
        positions.push_back(query.field_float(QStringLiteral("LateralPositionRelativeMm")));
    }
    EXPECT_EQ(ids, (std::vector<int>{1204, 1203, 1202, 1201}));
    EXPECT_EQ(positions, (std::vector<double>{0, -4.5, 3.5, 2.5}));

    query.set_text(QStringLiteral("select * from Spektra"));
    try {
        query.open();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Spektra"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(connection.connected());
}

// Environment variables set for one test and restored afterwards.
class environment_override {
public:
    // The user's data sources of the driver manager. The machine's driver definitions stay:
    // the driver manager keeps the first folder it found them in for the whole process.
    void define_data_sources(const QString& odbc_ini) { set("ODBCINI", odbc_ini.toUtf8()); }
    void set(const char* name, const QByteArray& value) {
        saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value);
    }
    ~environment_override() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            if (it->was_set)
                qputenv(it->name, it->value);
            else
                qunsetenv(it->name);
    }

private:
    struct saved {
        const char* name;
        QByteArray value;
        bool was_set;
    };
    std::vector<saved> saved_;
};

TEST_F(odbc_connection, opens_a_data_source_named_in_the_connection_string) {
    if (running_under_wine())
        GTEST_SKIP() << wine_odbc_reason;
    const QString file = path(QStringLiteral("lumotrax_q.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dsn_setup"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("create table Spectra (Id integer)")));
        ASSERT_TRUE(query.exec(QStringLiteral("insert into Spectra values (1200), (1201)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("dsn_setup"));
    // Without the driver a data source over it reads as undefined, which says nothing about
    // the data source: the driver is asked for by name first.
    {
        database::sql_connection probe;
        const std::string error =
            open_error(probe, QStringLiteral("Driver={SQLite3};Database=%1").arg(file));
        if (driver_missing(error))
            GTEST_SKIP() << "the SQLite3 ODBC driver is not registered: " << error;
    }
    // The data source, defined for this test only, over the driver the machine registers.
    environment_override environment;
    environment.define_data_sources(
        write_file(QStringLiteral("odbc/odbc.ini"),
                   "[lumotrax_q]\nDriver=SQLite3\nDatabase=" + file.toUtf8() + "\n"));

    for (const char* text : {"DSN=lumotrax_q;UID=scanner;PWD=secret", "dsn = lumotrax_q",
                             "UID=scanner;DSN=lumotrax_q;PWD={se;cret}"}) {
        SCOPED_TRACE(text);
        database::sql_connection connection;
        const std::string error = open_error(connection, QString::fromUtf8(text));
        if (driver_missing(error))
            GTEST_SKIP() << "the SQLite3 ODBC driver cannot be loaded: " << error;
        ASSERT_EQ(error, "");
        database::sql_dataset query(connection);
        query.set_text(QStringLiteral("select Id from Spectra order by Id"));
        query.open();
        EXPECT_EQ(query.field_integer(QStringLiteral("Id")), 1200);
    }

    database::sql_connection connection;
    const std::string error =
        open_error(connection, QStringLiteral("DSN=lumotrax_p;UID=scanner;PWD=secret"));
    EXPECT_NE(error.find("not found"), std::string::npos) << error;
    EXPECT_FALSE(connection.connected());
}

TEST_F(odbc_connection, keeps_the_password_out_of_a_client_text_that_repeats_the_string) {
    // unixODBC repeats the driver's name when it cannot load it; a driver manager that says
    // less (Wine's without one on the host) has nothing to mask.
    database::sql_connection connection;
    const std::string error = open_error(
        connection, QStringLiteral("Driver={/nonexistent/hunter2/driver.so};UID=u;PWD=hunter2"));
    EXPECT_NE(error, "");
    if (error.find("nonexistent") != std::string::npos) {
        EXPECT_NE(error.find("****"), std::string::npos) << error;
    }
    EXPECT_EQ(error.find("hunter2"), std::string::npos) << error;
}

#ifndef Q_OS_WIN
// A local TCP port that is listening (but never answers) or, after close(), free.
class local_port {
public:
    explicit local_port(bool listening) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            number = ntohs(address.sin_port);
        if (listening)
            ::listen(socket_, 4);
        else
            close();
    }
    ~local_port() { close(); }
    local_port(const local_port&) = delete;
    local_port& operator=(const local_port&) = delete;
    void close() {
        if (socket_ >= 0)
            ::close(socket_);
        socket_ = -1;
    }
    int number = 0;

private:
    int socket_ = -1;
};

QString ado_to_port(int port) {
    return QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=scanner;"
                          "Password=secret;Initial Catalog=Lumotrax;Data Source=127.0.0.1,%1")
        .arg(port);
}

TEST_F(odbc_connection, gives_up_on_an_unreachable_server_within_the_login_timeout) {
    struct reach_case {
        const char* title;
        bool listening;
    };
    for (const reach_case c : {reach_case{"nothing listens", false},
                               reach_case{"a listener that never answers", true}}) {
        SCOPED_TRACE(c.title);
        local_port port(c.listening);
        ASSERT_NE(port.number, 0);
        database::sql_connection connection;
        // A failed open leaves the connection closed, and the next open tries again (once is
        // enough where every attempt costs the whole login timeout).
        for (int attempt = 0; attempt < (c.listening ? 1 : 2); ++attempt) {
            QElapsedTimer timer;
            timer.start();
            const std::string error = open_error(connection, ado_to_port(port.number));
            const qint64 elapsed = timer.elapsed();
            if (driver_missing(error))
                GTEST_SKIP() << "the FreeTDS ODBC driver is not registered: " << error;
            EXPECT_FALSE(error.empty());
            EXPECT_LT(elapsed, (database::login_timeout_seconds + 5) * 1000) << error;
            EXPECT_FALSE(connection.connected());
            std::cout << c.title << ", attempt " << attempt + 1 << ": " << elapsed
                      << " ms: " << error << '\n';
        }
    }
}
#endif

} // namespace

#ifndef Q_OS_WIN
namespace {

// A server on 127.0.0.1 that misbehaves in one way for every client, on a thread of its own
// (the connection attempt blocks the test's thread).
class misbehaving_server {
public:
    enum class behaviour { silent, garbage, closes };

    explicit misbehaving_server(behaviour what) : what_(what) {
        socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
            ::listen(socket_, 16) == 0)
            port = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~misbehaving_server() {
        stop_ = true;
        thread_.join();
        for (const int client : clients_)
            ::close(client);
        ::close(socket_);
    }
    misbehaving_server(const misbehaving_server&) = delete;
    misbehaving_server& operator=(const misbehaving_server&) = delete;

    int port = 0;

private:
    void serve() {
        while (!stop_) {
            pollfd waiting{socket_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            const int client = ::accept(socket_, nullptr, nullptr);
            if (client < 0)
                continue;
            if (what_ == behaviour::closes) {
                ::close(client);
                continue;
            }
            if (what_ == behaviour::garbage) {
                const char noise[] = "\x17\x03\x01 this is no answer of a database server \xff\xfe";
                for (int i = 0; i < 20; ++i)
                    (void)::send(client, noise, sizeof noise, MSG_NOSIGNAL);
            }
            clients_.push_back(client); // open and silent from now on
        }
    }

    behaviour what_;
    int socket_ = -1;
    std::atomic<bool> stop_{false};
    std::vector<int> clients_;
    std::thread thread_;
};

// A browser service on a UDP port of 127.0.0.1 that stays silent or names `tcp_port` for
// every instance it is asked about.
class browser_service {
public:
    browser_service(int udp_port, int tcp_port) : tcp_port_(tcp_port) {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(udp_port));
        socklen_t size = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~browser_service() {
        stop_ = true;
        thread_.join();
        ::close(socket_);
    }
    browser_service(const browser_service&) = delete;
    browser_service& operator=(const browser_service&) = delete;

    int port = 0;

private:
    void serve() {
        while (!stop_) {
            pollfd waiting{socket_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            char request[512];
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t got = ::recvfrom(socket_, request, sizeof request, 0,
                                           reinterpret_cast<sockaddr*>(&from), &size);
            if (got < 2 || request[0] != '\x04' || tcp_port_ == 0)
                continue;
            const std::string instance(request + 1, static_cast<std::size_t>(got - 1));
            const std::string text = "ServerName;LOCAL;InstanceName;" + instance +
                                     ";IsClustered;No;Version;15.0.2000.5;tcp;" +
                                     std::to_string(tcp_port_) + ";;";
            std::string answer = "\x05";
            answer += static_cast<char>(text.size() & 0xff);
            answer += static_cast<char>(text.size() >> 8);
            answer += text;
            (void)::sendto(socket_, answer.data(), answer.size(), 0,
                           reinterpret_cast<sockaddr*>(&from), size);
        }
    }

    int tcp_port_;
    int socket_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Generous: the attempt must end near the login timeout, not after minutes.
constexpr qint64 attempt_limit_ms = (database::login_timeout_seconds + 3) * 1000;

TEST_F(odbc_connection, every_tds_attempt_ends_within_the_login_timeout) {
    using behaviour = misbehaving_server::behaviour;
    struct server_case {
        const char* title;
        behaviour what;
        const char* connection_string; // %1: the port
    };
    const server_case cases[] = {
        // Without a TDS version the library probes versions, and a silent server held that
        // for minutes.
        {"no TDS version, silent server", behaviour::silent,
         "Driver={FreeTDS};Server=127.0.0.1;Port=%1;Database=Lumotrax;UID=scanner;PWD=secret"},
        {"no TDS version, server sends garbage", behaviour::garbage,
         "Driver={FreeTDS};Server=127.0.0.1;Port=%1;UID=scanner;PWD=secret"},
        {"no TDS version, server closes at once", behaviour::closes,
         "Driver={FreeTDS};Server=127.0.0.1;Port=%1;UID=scanner;PWD=secret"},
        {"ADO string, server sends garbage", behaviour::garbage,
         "Provider=SQLOLEDB.1;User ID=scanner;Password=secret;Initial Catalog=Lumotrax;"
         "Data Source=127.0.0.1,%1"},
        {"ADO string, server closes at once", behaviour::closes,
         "Provider=SQLOLEDB.1;User ID=scanner;Password=secret;Data Source=127.0.0.1,%1"},
    };
    for (const server_case& c : cases) {
        SCOPED_TRACE(c.title);
        misbehaving_server server(c.what);
        ASSERT_NE(server.port, 0);
        database::sql_connection connection;
        QElapsedTimer timer;
        timer.start();
        const std::string error =
            open_error(connection, QString::fromUtf8(c.connection_string).arg(server.port));
        const qint64 elapsed = timer.elapsed();
        if (driver_missing(error))
            GTEST_SKIP() << "the FreeTDS ODBC driver is not registered: " << error;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find("secret"), std::string::npos) << error;
        EXPECT_LT(elapsed, attempt_limit_ms) << error;
        EXPECT_FALSE(connection.connected());
    }
}

TEST_F(odbc_connection, a_tds_data_source_without_version_ends_within_the_login_timeout) {
    misbehaving_server server(misbehaving_server::behaviour::silent);
    ASSERT_NE(server.port, 0);
    const QByteArray port = QByteArray::number(server.port);
    environment_override environment;
    environment.define_data_sources(
        write_file(QStringLiteral("odbc/odbc.ini"),
                   "[inline_sql]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=" + port +
                       "\n"
                       "[inline_sql_72]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=" +
                       port + "\nTDS_Version=7.2\n"));

    // The data source's own version is kept; only a missing one is given.
    EXPECT_EQ(database::with_tds_version(QStringLiteral("DSN=inline_sql_72;UID=u")),
              QStringLiteral("DSN=inline_sql_72;UID=u"));
    EXPECT_EQ(database::with_tds_version(QStringLiteral("DSN=inline_sql;UID=u")),
              QStringLiteral("DSN=inline_sql;UID=u;TDS_Version=7.4"));

    database::sql_connection connection;
    QElapsedTimer timer;
    timer.start();
    const std::string error =
        open_error(connection, QStringLiteral("DSN=inline_sql;UID=scanner;PWD=secret"));
    const qint64 elapsed = timer.elapsed();
    if (driver_missing(error))
        GTEST_SKIP() << "the FreeTDS ODBC driver cannot be loaded: " << error;
    EXPECT_NE(error.find("Timeout"), std::string::npos) << error;
    EXPECT_LT(elapsed, attempt_limit_ms) << error;
}

TEST_F(odbc_connection, a_named_instance_without_browser_ends_within_the_login_timeout) {
    // Nothing answers on the browser's port of this machine (the TDS library waited 16 s).
    {
        browser_service probe(database::browser_port, 0);
        if (probe.port == 0)
            GTEST_SKIP() << "a browser service runs on this machine";
    }
    environment_override environment;
    environment.define_data_sources(
        write_file(QStringLiteral("odbc/odbc.ini"),
                   "[inline_sql_named]\nDriver=FreeTDS\nServer=127.0.0.1\\INLINE\n"));
    for (const char* text :
         {"Driver={FreeTDS};Server=127.0.0.1\\INLINE;UID=scanner;PWD=secret",
          "Provider=SQLOLEDB.1;User ID=scanner;Password=secret;Data Source=127.0.0.1\\INLINE",
          "DSN=inline_sql_named;UID=scanner;PWD=secret"}) {
        SCOPED_TRACE(text);
        database::sql_connection connection;
        QElapsedTimer timer;
        timer.start();
        const std::string error = open_error(connection, QString::fromUtf8(text));
        const qint64 elapsed = timer.elapsed();
        EXPECT_NE(error.find("INLINE"), std::string::npos) << error;
        EXPECT_LT(elapsed, attempt_limit_ms) << error;
        EXPECT_FALSE(connection.connected());
    }
}

TEST_F(odbc_connection, a_named_instance_is_reached_through_the_port_its_browser_names) {
    misbehaving_server server(misbehaving_server::behaviour::silent);
    browser_service browser(database::browser_port, server.port);
    if (browser.port == 0)
        GTEST_SKIP() << "the browser's port is taken on this machine";
    database::sql_connection connection;
    QElapsedTimer timer;
    timer.start();
    const std::string error = open_error(
        connection, QStringLiteral("Driver={FreeTDS};Server=127.0.0.1\\INLINE;UID=u;PWD=secret"));
    const qint64 elapsed = timer.elapsed();
    if (driver_missing(error))
        GTEST_SKIP() << "the FreeTDS ODBC driver is not registered: " << error;
    // The silent server of the named port makes the login time out.
    EXPECT_NE(error.find("Timeout"), std::string::npos) << error;
    EXPECT_GE(elapsed, 1000);
    EXPECT_LT(elapsed, attempt_limit_ms) << error;
}

TEST(instance_port, asks_the_browser_service_and_waits_a_bounded_time) {
    browser_service naming(0, 50123);
    ASSERT_NE(naming.port, 0);
    QString failure;
    EXPECT_EQ(database::instance_port(QStringLiteral("127.0.0.1"), QStringLiteral("INLINE"), 2000,
                                      failure, naming.port),
              50123)
        << failure.toStdString();

    struct silent_case {
        const char* title;
        bool listening;
    };
    for (const silent_case c :
         {silent_case{"silent service", true}, silent_case{"no service", false}}) {
        SCOPED_TRACE(c.title);
        int port = 0;
        {
            browser_service silent(0, 0);
            port = silent.port;
        }
        std::optional<browser_service> silent;
        if (c.listening) {
            silent.emplace(port, 0);
            ASSERT_EQ(silent->port, port);
        }
        QElapsedTimer timer;
        timer.start();
        failure.clear();
        EXPECT_EQ(database::instance_port(QStringLiteral("127.0.0.1"), QStringLiteral("INLINE"),
                                          1000, failure, port),
                  0);
        EXPECT_LT(timer.elapsed(), 3000);
        EXPECT_NE(failure.indexOf(QStringLiteral("INLINE")), -1) << failure.toStdString();
    }
}

} // namespace
#endif
