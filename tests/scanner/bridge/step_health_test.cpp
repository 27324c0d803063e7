#include "scanner/bridge/step_health.h"
#include "shared/message_board/message_board.h"

#include <gtest/gtest.h>

namespace {

TEST(step_health, errors_that_differ_in_file_names_and_numbers_are_one_kind) {
    QDateTime now(QDate(2026, 12, 11), QTime(8, 0));
    board::message_board board(QString(), [&] { return now; });
    step_health step(QStringLiteral("Sheet resistance"));
    EXPECT_TRUE(step.failed(board,
                            QStringLiteral("Cannot create file \"/k/new_results/1_22_333.tmp\". "
                                           "No such file or directory"),
                            now));
    now = now.addSecs(1);
    EXPECT_FALSE(step.failed(board,
                             QStringLiteral("Cannot create file \"/k/new_results/9_8_7.tmp\". "
                                            "No such file or directory"),
                             now));
    ASSERT_EQ(board.line_count(), 1);
    EXPECT_TRUE(board.lines().first().contains(QStringLiteral("9_8_7.tmp")));
    EXPECT_TRUE(board.lines().first().endsWith(QStringLiteral("(repeated once)")));
    // Another kind is said anew.
    EXPECT_TRUE(step.failed(board, QStringLiteral("The server cannot be reached."), now));
    EXPECT_EQ(step.failing_since(), QDateTime(QDate(2026, 12, 11), QTime(8, 0)));

    step.succeeded(board, now);
    EXPECT_EQ(board.lines().last(), QStringLiteral("Sheet resistance working again."));
    EXPECT_FALSE(step.failing());
    // The same kind coming back at once shows no new box; after a long good run it does.
    EXPECT_FALSE(step.failed(board, QStringLiteral("The server cannot be reached."), now));
    step.succeeded(board, now);
    now = now.addSecs(3600);
    EXPECT_TRUE(step.failed(board, QStringLiteral("The server cannot be reached."), now));
}

} // namespace
