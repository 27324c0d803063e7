#include "shared/basics/file_routines.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/random_numbers.h"

#include "shared/platform/folders.h"
#include "shared/platform/paths.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

class program_folders_test : public scratch_fixture {
protected:
    QString home() const { return app_data_folder() + platform::path_separator() + "TEST_PROGRAM"; }
};

TEST_F(program_folders_test, names_derive_from_program_file_and_app_data) {
    const QChar sep = platform::path_separator();
    EXPECT_EQ(program_name(), "TEST_PROGRAM");
    EXPECT_EQ(application_data_folder(), app_data_folder());
    EXPECT_EQ(home_file_name("connection.bin"), home() + sep + "connection.bin");
    EXPECT_EQ(undo_history_folder(), home() + sep + "undo_history" + sep);
    EXPECT_EQ(program_file_name("kalix_scanner.ini"), program_folder() + sep + "kalix_scanner.ini");
}

TEST_F(program_folders_test, program_name_keeps_non_ascii_letters_and_inner_points) {
    struct test_case {
        const char* file;
        const char* expected;
    };
    const std::vector<test_case> cases = {
        {"program/Lumotrax_SQL_spectrum_scanner.exe", "LUMOTRAX_SQL_SPECTRUM_SCANNER"},
        {"program/cleaner.EXE", "CLEANER"},
        {"program/kalix_cleaner", "KALIX_CLEANER"},
        {"program/m\u00e4ss.v2.exe", "M\u00e4SS.V2"},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.file);
        platform::redirect_folders(
            {path(QString::fromUtf8(c.file)), app_data_folder(), temp_folder()});
        EXPECT_EQ(program_name(), QString::fromUtf8(c.expected));
    }
}

TEST_F(program_folders_test, start_up_creates_home_and_empties_undo_history) {
    const QChar sep = platform::path_separator();
    const QString undo = home() + sep + "undo_history";
    QDir().mkpath(undo + sep + "kept_folder");
    write_file("appdata/TEST_PROGRAM/undo_history/step1.bin", "x");
    write_file("appdata/TEST_PROGRAM/undo_history/no_extension", "x");
    write_file("appdata/TEST_PROGRAM/downloads/keep.txt", "x");

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    basics_start_up();
    const QString formatted = QLocale().toString(1.5);
    QLocale::setDefault(previous);

    for (const char* sub : {"downloads", "uploads", "undo_history"})
        EXPECT_TRUE(QFileInfo(home() + sep + sub).isDir()) << sub;
    EXPECT_TRUE(QDir(undo).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QFileInfo(undo + sep + "kept_folder").isDir());
    EXPECT_TRUE(QFileInfo::exists(home() + sep + "downloads" + sep + "keep.txt"));
    EXPECT_EQ(formatted, "1.5");

    write_file("appdata/TEST_PROGRAM/undo_history/step2.bin", "x");
    basics_shut_down();
    EXPECT_TRUE(QDir(undo).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(program_folders_test, start_up_without_app_data_parent_fails_silently) {
    platform::redirect_folders(
        {path("program/test_program.exe"), path("missing/appdata"), temp_folder()});
    basics_start_up();
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(program_folders_test, seeded_generator_repeats_and_varies) {
    seed_random_numbers(42);
    const QString first = unique_temp_name(temp_folder());
    const QString second = unique_temp_name(temp_folder());
    seed_random_numbers(42);
    EXPECT_EQ(unique_temp_name(temp_folder()), first);
    EXPECT_NE(first, second);

    for (int i = 0; i < 100000; ++i) {
        const float unit = random_unit_single();
        ASSERT_GE(unit, 0.0f);
        ASSERT_LT(unit, 1.0f);
        ASSERT_LT(random_below(3), 3u);
    }
    EXPECT_EQ(random_below(1), 0u);
}

TEST_F(program_folders_test, temp_file_name_creates_new_empty_files) {
    const QString first = temp_file_name();
    const QString second = temp_file_name();
    for (const QString& name : {first, second}) {
        SCOPED_TRACE(name.toStdString());
        const QFileInfo info(name);
        EXPECT_EQ(native(info.absolutePath()), temp_folder());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^tpf[0-9]+\\.tmp$"))
                        .match(info.fileName())
                        .hasMatch());
        EXPECT_TRUE(info.isFile());
        EXPECT_EQ(info.size(), 0);
        EXPECT_TRUE(info.permissions().testFlag(QFileDevice::WriteOwner));
    }
    EXPECT_NE(first, second);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(program_folders_test, temp_file_name_reports_a_missing_temp_folder) {
    ASSERT_TRUE(QDir(temp_folder()).removeRecursively());
    EXPECT_EQ(temp_file_name(), QString());
    EXPECT_EQ(ui().messages, QStringList{"Warning - creation of temporary file failed"});
}

} // namespace
