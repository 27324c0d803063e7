#include "cleaner/cleaning/cleaner_status.h"

#include "tests/support/scratch_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QJsonObject parse(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

cleaning_run sample_run() {
    cleaning_run run;
    run.started = QDateTime(QDate(2024, 3, 5), QTime(14, 3, 12), QTimeZone(3600));
    run.duration_ms = 250;
    run.files_deleted = 3;
    run.files_zipped = 1;
    run.archives_written = 1;
    run.bytes_freed = 12345;
    run.files_passed_over = 2;
    run.next_run = run.started.addMSecs(4250);
    return run;
}

class cleaner_status_file : public scratch_fixture {};

TEST_F(cleaner_status_file, written_and_parsed_back) {
    cleaner_status status;
    status.program = "kalix_cleaner";
    status.version = "1.2.3";
    status.started = QDateTime(QDate(2024, 3, 5), QTime(8, 0), QTimeZone(3600));
    status.last_run = sample_run();
    const QString file = path("logs/kalix_cleaner_status.json");
    write_file("logs/placeholder");
    ASSERT_TRUE(write_cleaner_status_file(file, status));

    const QJsonObject root = parse(read_file(file));
    EXPECT_EQ(root["program"].toString(), "kalix_cleaner");
    EXPECT_EQ(root["version"].toString(), "1.2.3");
    // UTC, so a monitor compares without the plant's zone.
    EXPECT_EQ(root["started"].toString(), "2024-03-05T07:00:00.000Z");
    EXPECT_EQ(root["next_run"].toString(), "2024-03-05T13:03:16.250Z");
    const QJsonObject run = root["last_run"].toObject();
    EXPECT_EQ(run["time"].toString(), "2024-03-05T13:03:12.000Z");
    EXPECT_EQ(run["duration_ms"].toInteger(), 250);
    EXPECT_EQ(run["files_deleted"].toInteger(), 3);
    EXPECT_EQ(run["files_zipped"].toInteger(), 1);
    EXPECT_EQ(run["archives_written"].toInteger(), 1);
    EXPECT_EQ(run["bytes_freed"].toInteger(), 12345);
    EXPECT_EQ(run["files_passed_over"].toInteger(), 2);

    // Replaced, not appended to.
    status.last_run->files_deleted = 0;
    ASSERT_TRUE(write_cleaner_status_file(file, status));
    EXPECT_EQ(parse(read_file(file))["last_run"].toObject()["files_deleted"].toInteger(), 0);
}

TEST_F(cleaner_status_file, before_the_first_run_the_run_fields_are_null) {
    cleaner_status status;
    status.program = "kalix_cleaner";
    const QJsonObject root = parse(cleaner_status_json(status));
    EXPECT_TRUE(root["last_run"].isNull());
    EXPECT_TRUE(root["next_run"].isNull());
    EXPECT_TRUE(root["started"].isNull());
}

TEST_F(cleaner_status_file, a_folder_that_does_not_exist_fails) {
    EXPECT_FALSE(write_cleaner_status_file(path("missing/status.json"), cleaner_status{}));
}

TEST(byte_count_text, reads_as_an_operator_expects) {
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},     {1, "1 byte"},         {999, "999 bytes"},
        {1000, "1.0 kB"},   {1550, "1.6 kB"},      {999949, "999.9 kB"},
        {999999, "1.0 MB"}, {12345678, "12.3 MB"}, {5'000'000'000, "5.0 GB"},
        {-2048, "-2.0 kB"}, {-1, "-1 byte"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(byte_count_text(c.bytes), c.text) << c.bytes;
}

TEST(last_run_line, says_when_what_and_the_next_run) {
    EXPECT_EQ(last_run_line(std::nullopt), "Last run: none yet");
    cleaning_run run = sample_run();
    EXPECT_EQ(last_run_line(run), "Last run 2024-03-05 14:03:12: 3 files deleted, 1 file zipped, "
                                  "1 archive written, 12.3 kB freed, 2 files passed over; "
                                  "next run 14:03:16");
    run.bytes_freed = -1300;
    EXPECT_NE(last_run_line(run).indexOf("1 archive written, 1.3 kB more used, 2 files"), -1)
        << last_run_line(run).toStdString();
}

} // namespace
