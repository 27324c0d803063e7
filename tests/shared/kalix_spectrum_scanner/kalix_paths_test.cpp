#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"

#include "shared/platform/paths.h"
#include "tests/support/scratch_fixture.h"

#include <gtest/gtest.h>

namespace {

QString native(QString text) {
    return text.replace(u'\\', platform::path_separator());
}

TEST(kalix_paths, names_and_separators) {
    EXPECT_EQ(with_trailing_separator(native("D:\\kalix")), native("D:\\kalix\\"));
    EXPECT_EQ(with_trailing_separator(native("D:\\kalix\\")), native("D:\\kalix\\"));
    EXPECT_EQ(with_trailing_separator(""), native("\\"));
    EXPECT_EQ(handed_over_name("abc.dat"), "abc___R.dat");
    EXPECT_EQ(handed_over_name("a.b.dat"), "a.b___R.dat");
    EXPECT_EQ(live_signal_file_name(native("D:\\kalix\\"), "Lumotrax_SQL_spectrum_scanner.exe"),
              native("D:\\kalix\\live_signals\\Lumotrax_SQL_spectrum_scanner.alv"));
    // Program files without an extension keep their whole name.
    EXPECT_EQ(live_signal_file_name(native("D:\\kalix\\"), "kalix_cleaner"),
              native("D:\\kalix\\live_signals\\kalix_cleaner.alv"));
}

TEST(kalix_paths, missing_product_leaves_two_separators_in_a_row) {
    EXPECT_EQ(channel_new_folder(native("D:\\kalix\\"), "", "OVIX1"),
              native("D:\\kalix\\database\\products\\\\measurements\\OVIX1\\new"));
    EXPECT_EQ(measurement_folder(native("D:\\kalix\\"), "P"),
              native("D:\\kalix\\database\\products\\P\\measurements\\"));
}

class kalix_folders : public scratch_fixture {};

TEST_F(kalix_folders, folder_settings_file_missing_empty_or_without_separator) {
    EXPECT_EQ(folder_from_settings_file(path("none.ini")), "");
    EXPECT_EQ(folder_from_settings_file(write_file("empty.ini")), "");
    EXPECT_EQ(folder_from_settings_file(write_file("k.ini", "D:\\kalix\r\nignored\r\n")),
              "D:\\kalix" + QString(platform::path_separator()));
}

TEST(kalix_paths, archive_day_folder_by_date_levels) {
    // Typed date parts stay as typed; a date gives its parts without leading zeros.
    EXPECT_EQ(archive_day_folder(native("\\a\\"), "P", "2016", "05", "7", "T"),
              native("\\a\\P\\2016\\05\\7\\T\\"));
    EXPECT_EQ(archive_date_levels(QDate(2024, 3, 7)), (QStringList{"2024", "3", "7"}));
    EXPECT_EQ(archive_date_levels(QDate(2025, 12, 31)), (QStringList{"2025", "12", "31"}));
    EXPECT_EQ(archive_day_levels("X maintenance", {"2024", "3", "7"}, "OVIX1"),
              (QStringList{"X maintenance", "2024", "3", "7", "OVIX1"}));
}

TEST_F(kalix_folders, product_marker_is_the_first_file_and_can_be_renamed) {
    const QString kalix = make_kalix_installation("kalix", "ProductB");
    write_file("kalix/database/current_product/sub/ignored");
    EXPECT_EQ(product_marker_name(kalix), "ProductB");
    EXPECT_TRUE(rename_product_marker(kalix, "ProductA"));
    EXPECT_EQ(product_marker_name(kalix), "ProductA");
    EXPECT_EQ(product_marker_name(make_kalix_installation("empty", "")), "");
}

TEST_F(kalix_folders, archive_folder_prefers_the_external_one) {
    const QString kalix = make_kalix_installation("kalix", "P");
    EXPECT_EQ(archive_folder("E:\\arch\\", kalix), "E:\\arch\\");
    EXPECT_EQ(archive_folder("", kalix), "");
    write_file("kalix/archive/keep");
    EXPECT_EQ(archive_folder("", kalix), kalix + "archive" + platform::path_separator());
}

} // namespace
