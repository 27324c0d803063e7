#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/basics/scan_data.h"
#include "tests/scanner/main_window_site.h"
#include "tests/support/input_files.h"
#include "tests/support/unreadable_file.h"
#include "tests/support/wine.h"
#include "tests/support/writer_process.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

// The csv path: no Q database; the input folder "input" and the channel T of DemoCoating,
// with an archive folder in the installation.
class main_window_csv : public main_window_site {
protected:
    main_window_csv() {
        const QString input = path("input");
        QDir().mkpath(input);
        QDir().mkpath(path("kalix/archive"));
        write_file("program/kalix_scanner.ini",
                   (QStringList{input, "T", "False", "1", "125", "", "Insitu input path", "\\", "",
                                "0", "", "true"}
                        .join("\r\n") +
                    "\r\n")
                       .toUtf8());
        measurement_ = production_csv(20);
    }

    main_window& started() {
        main_window& w = create();
        w.active_button->click();
        return w;
    }
    QString drop(const QString& name, const QByteArray& content) {
        return write_file("input/" + name, content);
    }
    QStringList input_files() const {
        return QDir(path("input")).entryList({"*.csv"}, QDir::Files, QDir::Name);
    }
    QString scan_folder() const {
        return path("kalix/database/products/DemoCoating/measurements/T/new");
    }
    QString archive_day(const QDate& day) const {
        return path(QStringLiteral("kalix/archive/DemoCoating/%1/%2/%3/T")
                        .arg(day.year())
                        .arg(day.month())
                        .arg(day.day()));
    }

    QByteArray measurement_;
};

TEST_F(main_window_csv, a_measurement_becomes_a_scan_file_and_is_archived_and_deleted) {
    drop("line4_0815.csv", measurement_);
    main_window& w = started();
    pass();
    EXPECT_TRUE(input_files().isEmpty());
    const QString scan = scan_folder() + "/4711.scn";
    ASSERT_TRUE(QFile::exists(scan)) << board().join('\n').toStdString();
    scan_data read;
    read.loadfromfile(scan);
    EXPECT_EQ(read.no_positions, 20);
    EXPECT_EQ(read.positions.front(), 100);
    EXPECT_EQ(read.positions.back(), 2000);
    EXPECT_EQ(read_file(archive_day(QDate::currentDate()) + "/line4_0815.csv"), measurement_);
    EXPECT_TRUE(board().contains("Product identification: production") ||
                !board().filter("Product identification").isEmpty());
    EXPECT_EQ(w.zeiss_plate, 4711);
    EXPECT_EQ(w.postbake_mode, -1);
    // Nothing is left to process: the count stays on the status line, no box is shown.
    pass();
    EXPECT_EQ(w.action_label->text(), "No files to process ...");
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(main_window_csv, forty_files_take_two_passes) {
    for (int i = 0; i < 40; ++i)
        drop(QStringLiteral("m%1.csv").arg(i, 2, 10, QLatin1Char('0')), measurement_);
    started();
    pass();
    EXPECT_EQ(input_files().size(), 9);
    pass();
    EXPECT_TRUE(input_files().isEmpty());
    EXPECT_EQ(QDir(archive_day(QDate::currentDate())).entryList({"*.csv"}, QDir::Files).size(), 40);
}

TEST_F(main_window_csv, short_and_broken_files_leave_the_input_without_a_scan_file) {
    QByteArray ten;
    for (int i = 0; i < 10; ++i)
        ten += "line\r\n";
    // A production file first: files that are not routed are archived where the last
    // routed file went.
    drop("0_production.csv", measurement_);
    drop("a_ten.csv", ten);
    drop("b_eleven.csv", ten + "Stamp;Plate;Kind;Position\r\n");
    drop("c_noise.csv", QByteArray(5000, ';') + "\r\n" + QByteArray(200, '\x01') + "\r\n" + ten);
    started();
    pass();
    EXPECT_TRUE(input_files().isEmpty());
    EXPECT_EQ(QDir(scan_folder()).entryList(QDir::Files), QStringList{"4711.scn"});
    EXPECT_EQ(QDir(archive_day(QDate::currentDate())).entryList({"*.csv"}, QDir::Files),
              (QStringList{"0_production.csv", "a_ten.csv", "b_eleven.csv", "c_noise.csv"}));
    EXPECT_FALSE(board().filter("b_eleven.csv").isEmpty()) << board().join('\n').toStdString();
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(main_window_csv, archive_by_date_of_measurement) {
    write_file("kalix/kalix.ini", "Archive using date of measurement\r\n1\r\n");
    const QString file = drop("late.csv", measurement_);
    const QDate new_year_eve(QDate::currentDate().year() - 1, 12, 31);
    QFile touched(file);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime(new_year_eve, QTime(23, 0)),
                                    QFileDevice::FileModificationTime));
    touched.close();
    started();
    pass();
    EXPECT_TRUE(QFile::exists(archive_day(new_year_eve) + "/late.csv"));
}

TEST_F(main_window_csv, a_name_already_in_the_archive_keeps_the_archived_copy) {
    write_file(QStringLiteral("kalix/archive/DemoCoating/%1/%2/%3/T/same.csv")
                   .arg(QDate::currentDate().year())
                   .arg(QDate::currentDate().month())
                   .arg(QDate::currentDate().day()),
               "first");
    drop("same.csv", measurement_);
    main_window& w = started();
    pass();
    EXPECT_EQ(read_file(archive_day(QDate::currentDate()) + "/same.csv"), "first");
    EXPECT_TRUE(w.action_label->text().startsWith("Error renaming file ") ||
                w.action_label->text() == "No files to process ...");
    // The scan file holds the content, so the csv file goes.
    EXPECT_TRUE(input_files().isEmpty());
    EXPECT_TRUE(QFile::exists(scan_folder() + "/4711.scn"));
}

TEST_F(main_window_csv, a_file_neither_converted_nor_archived_is_set_aside) {
    QDir(path("kalix/archive")).removeRecursively();
    QDir().mkpath(scan_folder() + "/4711.scn"); // a folder stands where the scan file goes
    drop("kept.csv", measurement_);
    started();
    pass();
    EXPECT_TRUE(input_files().isEmpty());
    EXPECT_EQ(read_file(path("input/unprocessed/kept.csv")), measurement_);
    EXPECT_FALSE(board().filter("could not be written").isEmpty())
        << board().join('\n').toStdString();
    EXPECT_FALSE(board().filter("kept as").isEmpty());
}

TEST_F(main_window_csv, a_file_still_being_written_stays_for_a_later_pass) {
    const QString file = drop("busy.csv", measurement_);
    writer_process writer(file);
    ASSERT_TRUE(writer.ready());
    main_window& w = started();
    pass();
    EXPECT_EQ(input_files(), QStringList{"busy.csv"});
    EXPECT_TRUE(w.action_label->text().endsWith(" could not be copied - the file is open"));
    writer.finish();
    pass();
    EXPECT_TRUE(input_files().isEmpty());
}

} // namespace

namespace {

// A file that yields no scan file has only its archive copy: without one it is kept.
TEST_F(main_window_csv, a_file_not_routed_goes_only_with_its_archive_copy) {
    QByteArray ten;
    for (int i = 0; i < 10; ++i)
        ten += "line\r\n";
    const QByteArray no_stamp = ten + "Spectrum;1\r\n";
    struct test_case {
        const char* name;
        bool production_archive;
        bool postbake_installation; // with an archive folder
        QByteArray routed_first;    // the file before it sets the archive it goes to
        QByteArray file;
        QString archived_in; // relative archive folder; empty: set aside
    };
    const QString today = QStringLiteral("%1/%2/%3")
                              .arg(QDate::currentDate().year())
                              .arg(QDate::currentDate().month())
                              .arg(QDate::currentDate().day());
    const QString production = "kalix/archive/DemoCoating/" + today + "/T";
    const QString postbake = "pb/archive/Samples/" + today + "/T";
    // Right after start-up the mode is that of a sample: its archive is the postbake one.
    const QByteArray pane = production_csv(20);
    const QByteArray sample = production_csv(3);
    const std::vector<test_case> cases{
        {"short, production archive", true, false, pane, ten, production},
        {"short, no archive", false, true, pane, ten, {}},
        {"no stamp line, production archive", true, false, pane, no_stamp, production},
        {"no stamp line, no archive", false, false, pane, no_stamp, {}},
        {"after a sample, postbake archive", true, true, sample, ten, postbake},
        {"after a sample, no postbake installation", true, false, sample, ten, {}},
        {"first file, postbake archive", true, true, {}, ten, postbake},
        {"first file, no postbake installation", true, false, {}, ten, {}},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.reset();
        for (const char* folder : {"input", "kalix/archive", "pb"})
            QDir(path(folder)).removeRecursively();
        QDir().mkpath(path("input"));
        QFile::remove(path("program/kalix_postbake_path.ini"));
        if (c.production_archive)
            QDir().mkpath(path("kalix/archive"));
        if (c.postbake_installation) {
            make_kalix_installation("pb", "Samples", {"T"});
            QDir().mkpath(path("pb/archive"));
            write_file("program/kalix_postbake_path.ini", path("pb").toUtf8() + "\r\nT\r\n");
        }
        if (!c.routed_first.isEmpty())
            drop("a_first.csv", c.routed_first);
        drop("b_file.csv", c.file);
        started();
        pass();

        EXPECT_TRUE(input_files().isEmpty());
        if (c.archived_in.isEmpty()) {
            EXPECT_EQ(read_file(path("input/unprocessed/b_file.csv")), c.file);
            EXPECT_FALSE(board()
                             .filter("b_file.csv could not be converted or archived; kept "
                                     "as ")
                             .isEmpty())
                << board().join('\n').toStdString();
        } else {
            EXPECT_EQ(read_file(path(c.archived_in + "/b_file.csv")), c.file);
            EXPECT_FALSE(QFile::exists(path("input/unprocessed/b_file.csv")));
        }
    }
}

TEST_F(main_window_csv, an_unreadable_file_is_kept_not_deleted) {
    drop("a_first.csv", measurement_); // the archive of the production installation is there
    const QString unreadable = path("input/b_unreadable.csv");
    if (!make_unreadable_file(unreadable)) {
        if (running_under_wine())
            GTEST_SKIP() << "Wine does not enforce a file's access list";
        FAIL() << "cannot make " << unreadable.toStdString() << " unreadable";
    }
    started();
    pass();
    pass();
    EXPECT_TRUE(unreadable_file_exists(unreadable) ||
                unreadable_file_exists(path("input/unprocessed/b_unreadable.csv")))
        << board().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(archive_day(QDate::currentDate()) + "/b_unreadable.csv"));
}

TEST_F(main_window_csv, a_sample_without_postbake_installation_is_kept_not_lost) {
    QDir(path("kalix/archive")).removeRecursively();
    drop("sample.csv", production_csv(3)); // fewer than 15 positions: a postbake sample
    main_window& w = started();
    pass();
    EXPECT_EQ(w.postbake_mode, 1);
    EXPECT_TRUE(input_files().isEmpty());
    EXPECT_EQ(read_file(path("input/unprocessed/sample.csv")), production_csv(3));
    EXPECT_FALSE(board().filter("no postbake installation").isEmpty())
        << board().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists("4711___A.scn"));
}

} // namespace
