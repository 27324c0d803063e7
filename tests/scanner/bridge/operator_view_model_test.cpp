#include "scanner/bridge/source_health.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/bridge/spectrum_points.h"
#include "scanner/bridge/status_file.h"
#include "shared/message_board/message_board.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QDateTime noon(QDate(2026, 3, 4), QTime(12, 0, 0));

struct state_case {
    const char* what;
    bool configured;
    bool failing;
    int failing_for_s;
    std::optional<std::int64_t> newest_id;
    std::int64_t set_aside;
    health_mark mark;
    const char* text;
};

TEST(source_health, state_of_a_row) {
    const state_case cases[] = {
        {"not configured", false, false, 0, std::nullopt, 0, health_mark::none, "not configured"},
        {"caught up", true, false, 0, 500, 0, health_mark::green, "up to date"},
        {"newest unknown yet", true, false, 0, std::nullopt, 0, health_mark::green, "up to date"},
        {"index beyond newest", true, false, 0, 400, 0, health_mark::green, "up to date"},
        {"behind", true, false, 0, 537, 0, health_mark::amber, "catching up: 37 records"},
        {"set aside only", true, false, 0, 500, 2, health_mark::amber, "up to date"},
        {"failing briefly", true, true, 30, 600, 0, health_mark::amber,
         "error since 11:59:30: Server gone"},
        {"failing a minute exactly", true, true, 60, 600, 0, health_mark::amber,
         "error since 11:59:00: Server gone"},
        {"failing long, behind too", true, true, 61, 600, 0, health_mark::red,
         "error since 11:58:59: Server gone"},
    };
    for (const state_case& c : cases) {
        SCOPED_TRACE(c.what);
        source_status status;
        status.configured = c.configured;
        status.index = 500;
        status.newest_id = c.newest_id;
        status.failing = c.failing;
        status.failing_since = noon.addSecs(-c.failing_for_s);
        status.last_error = QStringLiteral("Server gone\n[driver] details");
        status.set_aside = c.set_aside;
        const source_state state = evaluate(status, noon);
        EXPECT_EQ(state.mark, c.mark);
        EXPECT_EQ(state.text, QString::fromUtf8(c.text));
    }
}

TEST(source_health, long_reasons_are_cut_to_one_short_line) {
    const QString reason = short_reason(QString(200, u'x') + QStringLiteral("\nsecond line"));
    EXPECT_EQ(reason.size(), 80);
    EXPECT_TRUE(reason.endsWith(QChar(0x2026)));
    EXPECT_EQ(short_reason(QStringLiteral("  a   b \n c")), QStringLiteral("a b"));
}

TEST(source_health, newest_id_is_asked_at_most_every_ten_seconds) {
    source_health health;
    EXPECT_TRUE(health.newest_id_due(noon));
    health.newest_id_asked(noon, 42);
    EXPECT_FALSE(health.newest_id_due(noon.addSecs(9)));
    EXPECT_TRUE(health.newest_id_due(noon.addSecs(10)));
    // A failed question keeps the last answer and still waits its ten seconds.
    health.newest_id_asked(noon.addSecs(10), std::nullopt);
    EXPECT_EQ(health.newest_id(), 42);
    EXPECT_FALSE(health.newest_id_due(noon.addSecs(15)));
    // A clock set back does not stop the questions.
    EXPECT_TRUE(health.newest_id_due(noon.addSecs(-3600)));
}

TEST(source_health, rate_counts_the_last_ten_minutes) {
    source_health health;
    EXPECT_EQ(health.rate(noon), 0.0);
    // The first step's records count; those of the first half minute count as a minute's
    // worth, not 200 a minute.
    health.step_seen(noon, 40, false, QString());
    health.step_seen(noon.addSecs(30), 100, false, QString());
    EXPECT_DOUBLE_EQ(health.rate(noon.addSecs(30)), 100.0);
    // 10 a minute for twenty minutes: only the last ten count.
    source_health steady;
    for (int minute = 0; minute <= 20; ++minute)
        steady.step_seen(noon.addSecs(60 * minute), 1000 + 10 * minute, false, QString());
    EXPECT_DOUBLE_EQ(steady.rate(noon.addSecs(1200)), 10.0);
    // A source that stopped delivering drops to zero once the window has passed.
    for (int minute = 21; minute <= 31; ++minute)
        steady.step_seen(noon.addSecs(60 * minute), 1200, false, QString());
    EXPECT_DOUBLE_EQ(steady.rate(noon.addSecs(1860)), 0.0);
}

TEST(source_health, last_error_stays_after_recovery) {
    source_health health;
    health.step_seen(noon, 0, true, QStringLiteral("Server gone"));
    health.step_seen(noon.addSecs(5), 0, true, QStringLiteral("Server still gone"));
    health.step_seen(noon.addSecs(10), 3, false, QString());
    EXPECT_EQ(health.last_error(), QStringLiteral("Server still gone"));
    EXPECT_EQ(health.last_error_time(), noon.addSecs(5));
}

struct payload_case {
    const char* what;
    QString wavelengths;
    QString values;
    std::size_t points;
    int left_out;
};

TEST(spectrum_points, awkward_payloads) {
    QStringList many_w, many_v;
    for (int i = 0; i < 10000; ++i) {
        many_w << QString::number(380 + i * 0.1, 'f', 1);
        many_v << (i % 1000 == 7 ? QStringLiteral("NaN") : QString::number(i % 97));
    }
    const payload_case cases[] = {
        {"empty", QString(), QString(), 0, 0},
        {"blank", QStringLiteral("380"), QStringLiteral("  "), 0, 0},
        {"one point", QStringLiteral("380"), QStringLiteral("0.5"), 1, 0},
        {"NaN and text", QStringLiteral("380;381;382;383"), QStringLiteral("NaN;abc;0.2;1e3"), 2,
         2},
        {"empty fields", QStringLiteral("380;;382;383"), QStringLiteral("0.1;0.2;;0.4;"), 2, 3},
        {"fewer wavelengths", QStringLiteral("380"), QStringLiteral("0.1;0.2"), 1, 1},
        {"blanks around numbers", QStringLiteral(" 380 ; 381"), QStringLiteral(" 1 ;-2 "), 2, 0},
        {"ten thousand", many_w.join(u';'), many_v.join(u';'), 9990, 10},
    };
    for (const payload_case& c : cases) {
        SCOPED_TRACE(c.what);
        const spectrum_points data = prepare_spectrum(c.wavelengths, c.values);
        EXPECT_EQ(data.points.size(), c.points);
        EXPECT_EQ(data.left_out, c.left_out);
        for (const QPointF& p : data.points)
            EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
    }
    const spectrum_points blanks =
        prepare_spectrum(QStringLiteral(" 380 ; 381"), QStringLiteral(" 1 ;-2 "));
    ASSERT_EQ(blanks.points.size(), 2u);
    EXPECT_EQ(blanks.points[1], QPointF(381, -2));
}

// status.json of one database source through a pass, an error and a recovery.
TEST(status_file, written_and_read_back_through_error_and_recovery) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("status.json"));
    QDateTime now = noon;
    board::message_board board(QString(), [&] { return now; });
    source_progress p(QStringLiteral("Lumotrax P"), source_kind::lumotrax_p,
                      QDir(dir.path()).filePath(QStringLiteral("i.ini")),
                      QDir(dir.path()).filePath(QStringLiteral("h.ini")));
    source_health health;
    program_status status;
    status.program = QStringLiteral("scanner");
    status.version = QStringLiteral("1.0");
    status.started = noon.addSecs(-3600);

    const auto pass = [&](bool ok, std::int64_t index, std::int64_t delivered) {
        if (ok)
            p.health.succeeded(board, now);
        else
            p.health.failed(board, QStringLiteral("Server gone"), now);
        p.index = index;
        p.delivered = delivered;
        if (delivered > 0) {
            p.last_delivery = now;
            p.last_file = QStringLiteral("/k/T/new/L1_T_1_2.xy");
        }
        health.newest_id_asked(now, 120);
        health.step_seen(now, p.delivered, p.health.failing(), p.health.last_error());
        status.last_pass = now;
        status.pass_duration_ms = 250;
        status.sources = {database_status(p, health, true, now)};
        EXPECT_TRUE(write_status_file(path, status, now));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError);
        return document.object();
    };

    QJsonObject root = pass(true, 100, 10);
    EXPECT_EQ(root[QStringLiteral("version")].toString(), QStringLiteral("1.0"));
    EXPECT_EQ(
        QDateTime::fromString(root[QStringLiteral("last_pass")].toString(), Qt::ISODateWithMs),
        noon);
    EXPECT_EQ(root[QStringLiteral("last_pass_duration_ms")].toInt(), 250);
    QJsonObject source = root[QStringLiteral("sources")].toArray().at(0).toObject();
    EXPECT_EQ(source[QStringLiteral("name")].toString(), QStringLiteral("Lumotrax P"));
    EXPECT_EQ(source[QStringLiteral("index")].toInteger(), 100);
    EXPECT_EQ(source[QStringLiteral("newest_id")].toInteger(), 120);
    EXPECT_EQ(source[QStringLiteral("backlog")].toInteger(), 20);
    EXPECT_EQ(source[QStringLiteral("state")].toString(),
              QStringLiteral("catching up: 20 records"));
    EXPECT_EQ(source[QStringLiteral("mark")].toString(), QStringLiteral("amber"));
    EXPECT_FALSE(source[QStringLiteral("in_error")].toBool());
    EXPECT_TRUE(source[QStringLiteral("error_since")].isNull());
    EXPECT_TRUE(source[QStringLiteral("last_error")].isNull());
    EXPECT_TRUE(source[QStringLiteral("last_delivery_file")].toString().endsWith(
        QStringLiteral("L1_T_1_2.xy")));

    now = noon.addSecs(10);
    pass(false, 100, 10);
    now = noon.addSecs(80);
    source = pass(false, 100, 10)[QStringLiteral("sources")].toArray().at(0).toObject();
    EXPECT_TRUE(source[QStringLiteral("in_error")].toBool());
    EXPECT_EQ(source[QStringLiteral("mark")].toString(), QStringLiteral("red"));
    EXPECT_EQ(
        QDateTime::fromString(source[QStringLiteral("error_since")].toString(), Qt::ISODateWithMs),
        noon.addSecs(10));
    EXPECT_EQ(source[QStringLiteral("last_error")].toString(), QStringLiteral("Server gone"));

    now = noon.addSecs(90);
    source = pass(true, 120, 30)[QStringLiteral("sources")].toArray().at(0).toObject();
    EXPECT_FALSE(source[QStringLiteral("in_error")].toBool());
    EXPECT_EQ(source[QStringLiteral("state")].toString(), QStringLiteral("up to date"));
    EXPECT_EQ(source[QStringLiteral("backlog")].toInteger(), 0);
    // The last error stays for the monitor, with the time it was last seen.
    EXPECT_EQ(source[QStringLiteral("last_error")].toString(), QStringLiteral("Server gone"));
    EXPECT_EQ(QDateTime::fromString(source[QStringLiteral("last_error_time")].toString(),
                                    Qt::ISODateWithMs),
              noon.addSecs(80));
    // 30 records in the minute and a half since the first pass.
    EXPECT_DOUBLE_EQ(source[QStringLiteral("rate_per_minute")].toDouble(), 20.0);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".tmp")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral("status")).size(), 1);
}

// Passes of a catch-up follow each other: the file is written at most once a second unless a
// source's state changes, and a write that failed is due again.
TEST(status_file, written_once_a_second_or_when_a_state_changes) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("status.json"));
    status_file_writer writer;
    program_status status;
    status.sources.resize(1);
    status.sources[0].name = QStringLiteral("Lumotrax Q");
    status.sources[0].configured = true;
    const auto last_pass_written = [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QDateTime();
        return QDateTime::fromString(QJsonDocument::fromJson(file.readAll())
                                         .object()[QStringLiteral("last_pass")]
                                         .toString(),
                                     Qt::ISODateWithMs);
    };
    struct step {
        int at_ms;
        bool failing;
        std::int64_t set_aside;
        bool written;
    };
    const step steps[] = {
        {0, false, 0, true},    // the first pass
        {300, false, 0, false}, // nothing changed within the second
        {600, true, 0, true},   // the source fails
        {900, true, 0, false},  //
        {1200, true, 1, true},  // a record set aside
        {2100, true, 1, false}, //
        {2200, true, 1, true},  // a second since the last write
        {1000, true, 1, true},  // the clock went back
    };
    for (const step& s : steps) {
        SCOPED_TRACE(s.at_ms);
        const QDateTime now = noon.addMSecs(s.at_ms);
        status.last_pass = now;
        status.sources[0].failing = s.failing;
        status.sources[0].set_aside = s.set_aside;
        const QDateTime before = last_pass_written();
        EXPECT_TRUE(writer.after_pass(path, status, now));
        EXPECT_EQ(last_pass_written(), s.written ? now : before);
    }

    // A folder that is not there: the write fails, and is tried at the next pass.
    const QString nowhere = QDir(dir.path()).filePath(QStringLiteral("gone/status.json"));
    EXPECT_FALSE(writer.after_pass(nowhere, status, noon.addSecs(10)));
    QDir(dir.path()).mkdir(QStringLiteral("gone"));
    EXPECT_TRUE(writer.after_pass(nowhere, status, noon.addSecs(10).addMSecs(100)));
    EXPECT_TRUE(QFile::exists(nowhere));
}

} // namespace
