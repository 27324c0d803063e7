// The production path: Qt's ODBC driver through the ODBC driver manager.
#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"

#include "tests/support/scratch_fixture.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef Q_OS_WIN
#include <arpa/inet.h>
#include <netinet/in.h>
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

class odbc_connection : public scratch_fixture {
protected:
    void SetUp() override {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
            GTEST_SKIP() << "Qt's ODBC driver is not installed";
    }
};

TEST_F(odbc_connection, reads_the_record_query_through_the_sqlite_odbc_driver) {
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
