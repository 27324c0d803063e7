#include "shared/message_board/memo/message_memo.h"
#include "shared/message_board/message_board.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>

namespace {

class message_board_test : public scratch_fixture {
protected:
    QString log_folder() const { return path(QStringLiteral("home/logs")); }
    QDateTime now{QDate(2026, 12, 10), QTime(8, 30, 5)};
    board::message_board::clock clock() {
        return [this] { return now; };
    }
    QString log_text(const QDate& day) const {
        return QString::fromUtf8(read_file(board::message_log(log_folder()).file_for(day)));
    }
};

TEST_F(message_board_test, line_breaks_of_every_kind_start_new_lines) {
    board::message_board messages(QString{});
    messages.post(QStringLiteral("one\n\rtwo\r\nthree\rfour\nfive"));
    messages.post(QString{});
    EXPECT_EQ(messages.lines(),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                           QStringLiteral("four"), QStringLiteral("five"), QString{}}));
}

TEST_F(message_board_test, trimming_keeps_the_newest_lines) {
    board::message_board messages(QString{});
    for (int i = 1; i <= 150; ++i)
        messages.post(QString::number(i));
    messages.trim(100);
    ASSERT_EQ(messages.line_count(), 100);
    EXPECT_EQ(messages.lines().first(), QStringLiteral("51"));
    EXPECT_EQ(messages.lines().last(), QStringLiteral("150"));
    messages.trim(200);
    EXPECT_EQ(messages.line_count(), 100);
    messages.trim(0);
    EXPECT_EQ(messages.line_count(), 0);
}

TEST_F(message_board_test, line_limit_drops_the_oldest_line_first) {
    board::message_board messages(QString{});
    messages.set_line_limit(3);
    for (int i = 1; i <= 5; ++i)
        messages.post(QString::number(i));
    EXPECT_EQ(messages.lines(),
              (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}));
}

TEST_F(message_board_test, a_repeated_error_folds_into_its_line_until_another_line_comes) {
    board::message_board messages(log_folder(), clock());
    const QString error = QStringLiteral("Cannot read D:\\archive\\a.csv");
    messages.post_error(error);
    messages.post_error(error);
    messages.post_error(error);
    ASSERT_EQ(messages.line_count(), 1);
    EXPECT_TRUE(messages.lines().last().endsWith(error + QStringLiteral(" (repeated 2 times)")));

    messages.post(QStringLiteral("Start-up finished."));
    messages.post_error(error);
    ASSERT_EQ(messages.line_count(), 3);
    EXPECT_TRUE(messages.lines().last().endsWith(error));

    // An error of another kind in between leaves the line folding.
    messages.post_error(QStringLiteral("another error"));
    messages.post_error(error);
    ASSERT_EQ(messages.line_count(), 4);
    EXPECT_TRUE(messages.lines()[2].endsWith(error + QStringLiteral(" (repeated once)")));

    // The log has each occurrence's first line and how often it came.
    const QString log = log_text(now.date());
    EXPECT_EQ(log.count(error), 2);
    EXPECT_TRUE(log.contains(QStringLiteral("(the line before came 3 times)")));
}

TEST_F(message_board_test, errors_of_several_kinds_keep_a_counting_line_each) {
    {
        board::message_board messages(log_folder(), clock());
        messages.post(QStringLiteral("Scanning."));
        for (int pass = 1; pass <= 3; ++pass) {
            messages.post_error(QStringLiteral("P: no such table: Spectra"));
            messages.post_error(QStringLiteral("Cannot create file \"/k/%1_4_5.tmp\".").arg(pass),
                                QStringLiteral("Q: cannot create"));
        }
        EXPECT_EQ(messages.line_count(), 3);
        EXPECT_TRUE(messages.lines()[1].endsWith(
            QStringLiteral("P: no such table: Spectra (repeated 2 times)")));
        // The newest text is shown.
        EXPECT_TRUE(messages.lines()[2].endsWith(
            QStringLiteral("Cannot create file \"/k/3_4_5.tmp\". (repeated 2 times)")));

        // Trimming a folded line away ends its folding; the other goes on at its new place.
        messages.trim(1);
        messages.post_error(QStringLiteral("P: no such table: Spectra"));
        messages.post_error(QStringLiteral("Cannot create file \"/k/4_4_5.tmp\"."),
                            QStringLiteral("Q: cannot create"));
        ASSERT_EQ(messages.line_count(), 2);
        EXPECT_TRUE(
            messages.lines()[0].endsWith(QStringLiteral("4_4_5.tmp\". (repeated 3 times)")));
        EXPECT_TRUE(messages.lines()[1].endsWith(QStringLiteral("P: no such table: Spectra")));

        // An ordinary line ends the folding of a plain error; an error of a kind keeps
        // counting on its line while that stands on the board.
        messages.post(QStringLiteral("Lumotrax P working again."));
        messages.post_error(QStringLiteral("Cannot create file \"/k/5_4_5.tmp\"."),
                            QStringLiteral("Q: cannot create"));
        messages.post_error(QStringLiteral("P: no such table: Spectra"));
        ASSERT_EQ(messages.line_count(), 4);
        EXPECT_TRUE(
            messages.lines()[0].endsWith(QStringLiteral("5_4_5.tmp\". (repeated 4 times)")));
        EXPECT_TRUE(messages.lines()[3].endsWith(QStringLiteral("P: no such table: Spectra")));
    }
    // A count logged after lines of other kinds names its line.
    const QString log = log_text(now.date());
    EXPECT_TRUE(log.contains(QStringLiteral("(\"P: no such table: Spectra\" came 3 times)")))
        << log.toStdString();
    EXPECT_TRUE(
        log.contains(QStringLiteral("(\"Cannot create file \"/k/1_4_5.tmp\".\" came 5 times)")))
        << log.toStdString();
}

TEST_F(message_board_test, passwords_never_reach_board_or_log) {
    board::message_board messages(log_folder(), clock());
    messages.post(QStringLiteral("Connecting: Provider=SQLOLEDB.1;User ID=a;Password=geheim;X=1"));
    messages.post_error(QStringLiteral("Login failed: DSN=q;PWD={ge;heim}"));
    for (const QString& line : messages.lines())
        EXPECT_FALSE(line.contains(QStringLiteral("heim"))) << line.toStdString();
    EXPECT_FALSE(log_text(now.date()).contains(QStringLiteral("heim")));
    EXPECT_TRUE(messages.lines().first().contains(QStringLiteral("Password=****")));
}

TEST_F(message_board_test, every_line_goes_to_the_daily_log_with_date_and_time) {
    // Also while a pass keeps the file open: every line is in the file at once.
    for (const bool kept_open : {false, true}) {
        SCOPED_TRACE(kept_open ? "kept open" : "opened per line");
        QDir(log_folder()).removeRecursively();
        now = QDateTime(QDate(2026, 12, 10), QTime(8, 30, 5));
        board::message_board messages(log_folder(), clock());
        messages.keep_log_open(kept_open);
        messages.post(QStringLiteral("Größe µm\nzweite"));
        EXPECT_EQ(
            log_text(QDate(2026, 12, 10)),
            QStringLiteral("2026-12-10 08:30:05  Größe µm\r\n2026-12-10 08:30:05  zweite\r\n"));
        now = QDateTime(QDate(2026, 12, 11), QTime(0, 0, 1));
        messages.post(QStringLiteral("next day"));
        EXPECT_EQ(log_text(QDate(2026, 12, 11)),
                  QStringLiteral("2026-12-11 00:00:01  next day\r\n"));
        // The folder goes away in the middle of a pass: made again for the next line.
        QDir(log_folder()).removeRecursively();
        // (Windows keeps an open file and its folder.)
        messages.post(QStringLiteral("again"));
        EXPECT_TRUE(log_text(QDate(2026, 12, 11))
                        .endsWith(QStringLiteral("2026-12-11 00:00:01  again\r\n")));
        messages.keep_log_open(false);
        // Trimming the board leaves the history alone.
        messages.trim(0);
        EXPECT_TRUE(log_text(QDate(2026, 12, 11)).contains(QStringLiteral("again")));
    }
}

TEST_F(message_board_test, logs_older_than_thirty_days_go_at_start_up) {
    for (const char* name :
         {"2026-11-09.log", "2026-11-10.log", "2026-12-09.log", "notes.log", "2026-01-01.txt"})
        write_file(QStringLiteral("home/logs/") + QLatin1String(name), "x");
    board::message_board messages(log_folder(), clock());
    const QStringList left = QDir(log_folder()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{QStringLiteral("2026-01-01.txt"), QStringLiteral("2026-11-10.log"),
                                 QStringLiteral("2026-12-09.log"), QStringLiteral("notes.log")}));
}

TEST_F(message_board_test, a_log_that_cannot_be_written_is_said_once_and_the_board_goes_on) {
    // A file stands where the log folder must be.
    write_file(QStringLiteral("home/logs"), "in the way");
    board::message_board messages(log_folder(), clock());
    messages.post(QStringLiteral("first"));
    messages.post(QStringLiteral("second"));
    messages.post_error(QStringLiteral("third"));
    ASSERT_EQ(messages.line_count(), 4);
    EXPECT_TRUE(messages.lines().first().startsWith(QStringLiteral("Log file ")));
    EXPECT_TRUE(messages.lines().first().contains(QStringLiteral("cannot be written")));
    EXPECT_EQ(messages.lines()[1], QStringLiteral("first"));
    EXPECT_EQ(messages.lines()[2], QStringLiteral("second"));
}

TEST_F(message_board_test, the_memo_shows_exactly_the_board) {
    message_memo memo(QString{});
    auto& messages = memo.board();
    const auto shown = [&memo] { return memo.toPlainText(); };

    for (int i = 1; i <= 5; ++i)
        messages.post(QString::number(i));
    messages.trim(3);
    EXPECT_EQ(shown(), QStringLiteral("3\n4\n5"));
    messages.post_error(QStringLiteral("err"));
    messages.post_error(QStringLiteral("err"));
    EXPECT_EQ(shown(), messages.lines().join(u'\n'));
    EXPECT_TRUE(shown().endsWith(QStringLiteral("err (repeated once)")));
    // A line folded in place above the last one.
    messages.post_error(QStringLiteral("other"));
    messages.post_error(QStringLiteral("err"));
    EXPECT_TRUE(messages.lines()[3].endsWith(QStringLiteral("err (repeated 2 times)")));
    EXPECT_EQ(shown(), messages.lines().join(u'\n'));
    messages.trim(1);
    EXPECT_EQ(shown(), messages.lines().join(u'\n'));
    messages.trim(0);
    EXPECT_EQ(shown(), QString{});
    messages.post(QStringLiteral("a\nb"));
    EXPECT_EQ(shown(), QStringLiteral("a\nb"));
    messages.clear();
    EXPECT_EQ(shown(), QString{});
    EXPECT_TRUE(memo.isReadOnly());
}

TEST_F(message_board_test, lines_held_during_a_pass_arrive_in_order) {
    message_memo memo(QString{});
    auto& messages = memo.board();
    const auto shown = [&memo] { return memo.toPlainText(); };
    messages.post(QStringLiteral("before"));
    {
        const message_memo::appends_held pass(memo);
        const message_memo::appends_held inner(memo);
        for (int i = 1; i <= 5; ++i)
            messages.post(QString::number(i));
        EXPECT_EQ(shown(), QStringLiteral("before"));
        // Changes of earlier lines bring the waiting ones in first.
        messages.trim(3);
        EXPECT_EQ(shown(), QStringLiteral("3\n4\n5"));
        messages.post_error(QStringLiteral("err"));
        messages.post_error(QStringLiteral("err"));
        EXPECT_EQ(shown(), messages.lines().join(u'\n'));
        messages.post(QStringLiteral("a\nb"));
        memo.show_held_lines();
        EXPECT_EQ(shown(), messages.lines().join(u'\n'));
        messages.post(QStringLiteral("last"));
    }
    EXPECT_EQ(shown(), messages.lines().join(u'\n'));
    EXPECT_EQ(memo.document()->blockCount(), messages.lines().size());
}

TEST_F(message_board_test, the_memo_keeps_no_history_of_its_lines) {
    // A program that posts and trims for months must not keep every line it ever showed.
    message_memo memo(QString{});
    for (int i = 0; i < 300; ++i) {
        memo.board().post(QStringLiteral("line %1").arg(i));
        memo.board().post_error(QStringLiteral("err"));
        memo.board().trim(100);
    }
    EXPECT_EQ(memo.document()->availableUndoSteps(), 0);
    EXPECT_EQ(memo.document()->blockCount(), 100);
}

} // namespace
