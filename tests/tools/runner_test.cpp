#include "shared/platform/folders.h"
#include "tests/support/scratch_fixture.h"
#include "tools/runner/headless_run.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using headless_run_test = scratch_fixture;

// A headless run must keep the program's files on the site and in its own home, never in
// the real home of whoever runs the tools.
TEST_F(headless_run_test, points_the_program_at_the_site_and_the_home_folders_at_its_home) {
    const QString site = path(QStringLiteral("site"));
    const QString home = path(QStringLiteral("run_home/not_yet_there"));
    {
        runner::headless_run run(
            runner::site_program_file(site, QStringLiteral("Lumotrax_SQL_spectrum_scanner")), home);
        EXPECT_EQ(platform::program_folder(), QDir::toNativeSeparators(site + "/program"));
        EXPECT_EQ(QDir(platform::roaming_app_data_folder()), QDir(home));
        EXPECT_EQ(QDir(platform::temp_folder()), QDir(home));
        EXPECT_TRUE(QFileInfo(home).isDir());
    }
    EXPECT_TRUE(QFileInfo(home).isDir()) << "a home the caller named is the caller's to keep";
}

TEST_F(headless_run_test, without_a_home_uses_a_temporary_one_that_goes_with_the_run) {
    QString home;
    {
        runner::headless_run run(path(QStringLiteral("program/kalix_cleaner")));
        home = run.home();
        EXPECT_FALSE(home.isEmpty());
        EXPECT_EQ(QDir(platform::roaming_app_data_folder()), QDir(home));
        EXPECT_TRUE(QFileInfo(home).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(home));
}

} // namespace
