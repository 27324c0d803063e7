#include "cleaner/kalix_cleaner_unit.h"

#include "shared/basics/program_folders.h"
#include "shared/message_board/memo/message_memo.h"
#include "tests/support/scratch_fixture.h"
#include "tests/support/separator.h"
#include "tests/support/unreadable_file.h"
#include "tests/support/wine.h"
#include "tests/support/zip_check/zip_check.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <zip.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr qint64 one_day = 24 * 60 * 60;

// The values of a kalix_cleaner.ini, written in its file layout.
struct cleaner_ini {
    QString input_path;
    QStringList input_lines;
    QStringList output_lines;
    QStringList lifetimes{"1", "0", "0", "1", "0", "0"};
    bool active = true;
    bool minimized = false;

    QByteArray bytes() const {
        QStringList lines{"Version", "1", input_path, QString::number(input_lines.size())};
        lines << input_lines << QString::number(output_lines.size()) << output_lines << lifetimes;
        lines << (active ? "Active at start" : "Not active at start");
        lines << (minimized ? "Start minimized" : "Start normal");
        return lines.join("\r\n").toUtf8() + "\r\n";
    }
};

QStringList zip_entry_names(const QString& archive_path) {
    QStringList names;
    int code = 0;
    zip_t* archive = open_archive(archive_path, ZIP_RDONLY, &code);
    EXPECT_NE(archive, nullptr) << archive_path.toStdString() << " error " << code;
    if (archive == nullptr)
        return names;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        names.append(QString::fromUtf8(zip_get_name(archive, static_cast<zip_uint64_t>(i), 0)));
    zip_discard(archive);
    return names;
}

class cleaner_window : public scratch_fixture {
protected:
    TKALIX_cleaner_form& start() {
        window_.reset();
        window_ = std::make_unique<TKALIX_cleaner_form>();
        window_->FormCreate();
        return *window_;
    }

    // The current product ProductA with channel OVIX1 below `relative`, used by the window.
    QString install_kalix(const QString& relative = "kalix") {
        const QString kalix = make_kalix_installation(relative, "ProductA", {"OVIX1"});
        write_file("program/kalix_path.ini", path(relative).toUtf8() + "\r\n");
        return kalix;
    }

    QString measurements(const QString& kalix) const {
        return kalix + "database" + sep() + "products" + sep() + "ProductA" + sep() +
               "measurements" + sep();
    }

    // The archive folder configured in the program folder's kalix.ini, with its product folder.
    QString configure_archive(const QString& relative = "archive") {
        const QString archive = path(relative) + sep();
        QDir().mkpath(path(relative + "/ProductA"));
        write_file("program/kalix.ini",
                   "External archive directory\r\n" + archive.toUtf8() + "\r\n");
        return archive;
    }

    static QString today_relative() {
        const QDate today = QDate::currentDate();
        return QString("%1/%2/%3").arg(today.year()).arg(today.month()).arg(today.day());
    }

    // Answers the first tick's question with yes.
    void confirm(TKALIX_cleaner_form& w) {
        ui().answer_yes_no(true);
        w.Timer1Timer();
        ASSERT_FALSE(w.first_warning);
    }

    static QStringList board_lines(const TKALIX_cleaner_form& w) {
        return w.messages->toPlainText().split(u'\n');
    }

    std::unique_ptr<TKALIX_cleaner_form> window_;
};

// What the settings file sets, in file order.
QString settings_state(const TKALIX_cleaner_form& w) {
    return QStringList{QString::number(w.file_version),
                       w.input_path_editor->text(),
                       w.input_subfolders->toPlainText(),
                       w.output_subfolders->toPlainText(),
                       w.input_days->text(),
                       w.input_hours->text(),
                       w.input_minutes->text(),
                       w.output_days->text(),
                       w.output_hours->text(),
                       w.output_minutes->text(),
                       w.start_active_check_box->isChecked() ? "active" : "not active",
                       w.start_minimized ? "minimized" : "normal"}
        .join(u'|');
}

TEST_F(cleaner_window, start_up_without_settings_file_keeps_the_designed_defaults) {
    TKALIX_cleaner_form& w = start();
    EXPECT_EQ(w.windowTitle(), "KALIX cleaner");
    EXPECT_EQ(w.Label5->text(), "KALIX file cleaning");
    EXPECT_EQ(w.Label4->text(), "Input path subfolders:");
    EXPECT_EQ(w.dgt_lab->text(), "Results deleted in:");
    EXPECT_EQ(w.zip_day_button->text(), "Zip files in day folder");
    EXPECT_EQ(w.zip_month_button->text(), "Zip files in month folder");
    EXPECT_EQ(w.Timer1->interval(), 4000);
    EXPECT_TRUE(w.clear_button->isHidden());
    EXPECT_TRUE(w.action_label->isHidden());
    EXPECT_TRUE(w.Memo1->isHidden());
    EXPECT_EQ(w.findChild<QPlainTextEdit*>("messages"), w.messages);

    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_EQ(settings_state(w).toStdString(),
              QString("1||||1|1|1|1|1|1|not active|normal").toStdString());
    // Start-up switches scanning on; the unchecked start-active box switches it off again.
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.active_button->text(), "Start scan");
    EXPECT_TRUE(w.first_warning);
    EXPECT_FALSE(w.first_action);
    EXPECT_EQ(w.my_archive_path, "");
}

TEST_F(cleaner_window, valid_settings_file_fills_the_window_and_starts_scanning) {
    write_file("program/kalix_cleaner.ini",
               "Version\r\n3\r\nC:\\in\r\n2\r\nsub1\r\nsub 2\r\n1\r\nOVIX1\r\n2\r\n3\r\n4\r\n5\r\n"
               "6\r\n7\r\nActive at start\r\nStart minimized\r\n");
    TKALIX_cleaner_form& w = start();
    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_EQ(settings_state(w).toStdString(),
              QString("3|C:\\in|sub1\nsub 2|OVIX1|2|3|4|5|6|7|active|minimized").toStdString());
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.active_button->text(), "Stop scan");
    EXPECT_TRUE(w.first_warning);
    EXPECT_TRUE(w.first_action);
}

TEST_F(cleaner_window, faulty_settings_file_reports_once_and_keeps_what_was_read) {
    const QString insufficient = "Error: ini-file does not contain sufficient information!";
    struct test_case {
        QByteArray content;
        QString message;
        QString state;
    };
    const std::vector<test_case> cases{
        {"version\r\n3\r\nIN\r\n", insufficient, "1||||1|1|1|1|1|1|not active|normal"},
        {"Version\r\nx\r\nIN\r\n0\r\n", "Error reading file version!",
         "1||||1|1|1|1|1|1|not active|normal"},
        {"Version\r\n2\r\nIN\r\nx\r\n", "Error reading length of inputfolder list!",
         "2|IN|||1|1|1|1|1|1|not active|normal"},
        {"Version\r\n2\r\nIN\r\n1\r\nsub\r\ny\r\nOV\r\n",
         "Error reading length of outputfolder list!", "2|IN|sub||1|1|1|1|1|1|not active|normal"},
        {"Version\r\n2\r\nIN\r\n1\r\nsub\r\n1\r\nOV\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n",
         insufficient, "2|IN|sub|OV|5|6|7|8|9|10|not active|normal"},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.content.toStdString());
        window_.reset(); // its destruction rewrites the settings file
        ui().messages.clear();
        write_file("program/kalix_cleaner.ini", c.content);
        TKALIX_cleaner_form& w = start();
        EXPECT_EQ(ui().messages, QStringList{c.message});
        EXPECT_EQ(settings_state(w).toStdString(), QString(c.state).toStdString());
        EXPECT_FALSE(w.Timer1->isActive());
    }
}

TEST_F(cleaner_window, archive_folder_comes_from_the_program_folder) {
    struct test_case {
        const char* name;
        std::function<void()> prepare;
        QString expected;
    };
    const std::vector<test_case> cases{
        {"configured value taken as it is",
         [this] {
             write_file("program/kalix.ini", "x\r\nExternal archive directory\r\nE:\\arch\\\r\n");
         },
         "E:\\arch\\"},
        {"own archive folder", [this] { QDir().mkpath(path("program/archive")); },
         path("program/archive") + sep()},
        {"nothing configured", [] {}, ""},
        {"kalix.ini of the installation does not count",
         [this] {
             install_kalix();
             write_file("kalix/kalix.ini", "External archive directory\r\nE:\\other\\\r\n");
         },
         ""},
    };
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.reset();
        QFile::remove(path("program/kalix.ini"));
        QDir(path("program/archive")).removeRecursively();
        c.prepare();
        EXPECT_EQ(start().my_archive_path, c.expected);
    }
}

TEST_F(cleaner_window, closing_writes_the_settings_file_from_the_controls) {
    struct test_case {
        const char* name;
        QByteArray content; // empty: no file
        std::function<void(TKALIX_cleaner_form&)> change;
        QByteArray expected;
    };
    const std::vector<test_case> cases{
        {"defaults", "", [](TKALIX_cleaner_form&) {},
         "Version\r\n1\r\n\r\n0\r\n0\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\nNot active at start\r\n"
         "Start normal\r\n"},
        {"edited controls",
         "Version\r\n7\r\nIN\r\n1\r\nold\r\n1\r\nOVIX1\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
         "Active at start\r\nStart minimized\r\n",
         [](TKALIX_cleaner_form& w) {
             w.input_subfolders->setPlainText("a\nb\n");
             w.output_subfolders->clear();
             w.output_days->setText("x");
             w.start_active_check_box->setChecked(false);
         },
         "Version\r\n7\r\nIN\r\n2\r\na\r\nb\r\n0\r\n1\r\n0\r\n0\r\nx\r\n0\r\n0\r\n"
         "Not active at start\r\nStart minimized\r\n"},
        {"active, normal start",
         "Version\r\n1\r\n\r\n0\r\n2\r\nO1\r\nO2\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"
         "Active at start\r\n",
         [](TKALIX_cleaner_form&) {},
         "Version\r\n1\r\n\r\n0\r\n2\r\nO1\r\nO2\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"
         "Active at start\r\nStart normal\r\n"},
        // An empty line names the input path itself; a box alone would drop the last one
        // and turn the no-break space into a blank.
        {"lists with empty lines, also the last, and a no-break space",
         "Version\r\n1\r\nIN\r\n3\r\ncsv\r\nscan\r\n\r\n1\r\n\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
         "Active at start\r\nStart normal\r\n",
         [](TKALIX_cleaner_form&) {},
         "Version\r\n1\r\nIN\r\n3\r\ncsv\r\nscan\r\n\r\n1\r\n\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
         "Active at start\r\nStart normal\r\n"},
        {"a no-break space",
         "Version\r\n1\r\nIN\r\n1\r\na\xa0"
         "b\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
         "Active at start\r\nStart normal\r\n",
         [](TKALIX_cleaner_form&) {},
         "Version\r\n1\r\nIN\r\n1\r\na\xa0"
         "b\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
         "Active at start\r\nStart normal\r\n"},
        {"an edited list counts as the box shows it",
         "Version\r\n1\r\nIN\r\n3\r\ncsv\r\nscan\r\n\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
         "Active at start\r\nStart normal\r\n",
         [](TKALIX_cleaner_form& w) { w.input_subfolders->appendPlainText("more"); },
         "Version\r\n1\r\nIN\r\n4\r\ncsv\r\nscan\r\n\r\nmore\r\n0\r\n1\r\n0\r\n0\r\n1\r\n0\r\n"
         "0\r\nActive at start\r\nStart normal\r\n"},
    };
    const QString file = path("program/kalix_cleaner.ini");
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.reset();
        QFile::remove(file);
        if (!c.content.isEmpty())
            write_file("program/kalix_cleaner.ini", c.content);
        TKALIX_cleaner_form& w = start();
        c.change(w);
        w.close();
        EXPECT_EQ(read_file(file), c.expected);
    }
}

TEST_F(cleaner_window, a_settings_file_that_cannot_be_saved_is_said_on_the_board) {
    // A folder where the file belongs: neither replaced nor written in place.
    QDir().mkpath(path("program/kalix_cleaner.ini"));
    TKALIX_cleaner_form& w = start();
    w.close();
    EXPECT_TRUE(board_lines(w).contains(
        "Error: " + QDir::toNativeSeparators(path("program/kalix_cleaner.ini")) +
        " could not be saved!"))
        << board_lines(w).join('\n').toStdString();
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(cleaner_window, confirmation_question_lists_the_folders_to_clean) {
    const QString header = "Cleaning ...|Do you agree to delete outdated files in the following "
                           "folders?\n\r\n\r";
    struct test_case {
        const char* name;
        bool installation;
        QStringList lifetimes;
        bool with_channels;
    };
    const std::vector<test_case> cases{
        {"input and channel folders", true, {"1", "0", "0", "1", "0", "0"}, true},
        {"no measurement folder", false, {"1", "0", "0", "1", "0", "0"}, false},
        {"input hours 24", true, {"1", "24", "0", "1", "0", "0"}, false},
        {"output minutes 60", true, {"1", "0", "0", "1", "0", "60"}, false},
    };
    QDir().mkpath(path("in/a"));
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.reset();
        QDir(path("kalix")).removeRecursively();
        QFile::remove(path("program/kalix_path.ini"));
        QString kalix;
        if (c.installation)
            kalix = install_kalix();
        cleaner_ini ini{path("in"), {"a", "missing"}, {"OVIX1", "OVIX2"}, c.lifetimes};
        write_file("program/kalix_cleaner.ini", ini.bytes());
        TKALIX_cleaner_form& w = start();

        QString expected = header;
        const bool valid = c.lifetimes.join(u',') == "1,0,0,1,0,0";
        if (valid)
            expected += "\n\r" + path("in") + sep() + "a";
        if (c.with_channels) {
            const QString m = measurements(kalix);
            for (const QString channel : {"OVIX1", "OVIX2"}) {
                for (const QString sub : {"new", "in progress", "analyzed"})
                    expected += "\n\r" + m + channel + sep() + sub;
                expected += "\n\r" + m + "new_results";
            }
        }
        ui().questions.clear();
        ui().answer_yes_no(true);
        w.Timer1Timer();
        EXPECT_EQ(ui().questions, QStringList{expected});
    }
}

TEST_F(cleaner_window, an_empty_list_line_cleans_the_input_path_itself) {
    QDir().mkpath(path("input/csv"));
    QDir().mkpath(path("input/scan"));
    const QString old_root = write_file("input/old_root.dat");
    age_file(old_root, 5 * one_day);
    write_file("program/kalix_cleaner.ini",
               cleaner_ini{path("input"), {"csv", "scan", ""}, {}}.bytes());
    TKALIX_cleaner_form& w = start();

    confirm(w);
    w.Timer1Timer();

    const QString in = path("input") + sep();
    EXPECT_EQ(ui().questions, QStringList{"Cleaning ...|Do you agree to delete outdated files in "
                                          "the following folders?\n\r\n\r\n\r" +
                                          in + "csv\n\r" + in + "scan\n\r" + in});
    EXPECT_FALSE(QFileInfo::exists(old_root));
}

TEST_F(cleaner_window, no_stops_scanning_until_the_operator_restarts_it_and_agrees) {
    QDir().mkpath(path("in/a"));
    const QString old_file = write_file("in/a/old.xy");
    age_file(old_file, 2 * one_day);
    write_file("program/kalix_cleaner.ini", cleaner_ini{path("in"), {"a"}, {}}.bytes());
    TKALIX_cleaner_form& w = start();
    ASSERT_TRUE(w.Timer1->isActive());

    ui().answer_yes_no(false);
    w.Timer1Timer();
    EXPECT_EQ(ui().questions.size(), 1);
    EXPECT_TRUE(ui().questions.value(0).startsWith("Cleaning ...|"));
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.active_button->text(), "Start scan");
    EXPECT_TRUE(w.first_warning);
    EXPECT_TRUE(QFile::exists(old_file));

    w.active_button->click();
    ASSERT_TRUE(w.Timer1->isActive());
    ui().answer_yes_no(true);
    w.Timer1Timer();
    EXPECT_EQ(ui().questions.size(), 2);
    EXPECT_FALSE(w.first_warning);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.active_button->text(), "Stop scan");
    EXPECT_TRUE(QFile::exists(old_file)); // the agreeing tick deletes nothing

    w.Timer1Timer();
    EXPECT_FALSE(QFile::exists(old_file));
    EXPECT_EQ(ui().questions.size(), 2);
}

TEST_F(cleaner_window, cleaning_step_deletes_outdated_files_and_packs_today) {
    struct file {
        QString relative; // below the case folder; "M/" stands for the measurement folder
        qint64 age;
        bool kept;
    };
    struct test_case {
        const char* name;
        bool editor_empty; // then the input line is the full path of "<case>/in/sub"
        QStringList output_lines;
        QStringList lifetimes;
        std::vector<file> files;
    };
    const qint64 young = one_day - 5;
    const qint64 old = one_day + 5;
    const std::vector<test_case> cases{
        {"input and channel folders",
         false,
         {"OVIX1"},
         {"1", "0", "0", "1", "0", "0"},
         {{"in/sub/young.xy", young, true},
          {"in/sub/old.xy", old, false},
          {"in/sub/old without point", old, false},
          {"in/other/old.xy", old, true},
          {"M/OVIX1/new/young.xy", young, true},
          {"M/OVIX1/new/old.xy", old, false},
          {"M/OVIX1/in progress/young.xy", young, true},
          {"M/OVIX1/in progress/old.xy", old, false},
          {"M/OVIX1/analyzed/young.xy", young, true},
          {"M/OVIX1/analyzed/old.xy", old, false},
          {"M/new_results/young.xy", young, true},
          {"M/new_results/old.xy", old, false},
          {"M/OVIX2/new/old.xy", old, true}}},
        {"full path line, empty output list",
         true,
         {},
         {"1", "0", "0", "1", "0", "0"},
         {{"in/sub/young.xy", young, true},
          {"in/sub/old.xy", old, false},
          {"M/OVIX1/new/old.xy", old, true},
          {"M/new_results/old.xy", old, true}}},
        {"own lifetime per side",
         false,
         {"OVIX1"},
         {"2", "0", "0", "0", "1", "0"},
         {{"in/sub/a.xy", 2 * one_day - 5, true},
          {"in/sub/b.xy", 2 * one_day + 5, false},
          {"M/OVIX1/new/c.xy", 3600 - 5, true},
          {"M/OVIX1/new/d.xy", 3600 + 5, false}}},
        {"zero lifetime",
         false,
         {"OVIX1"},
         {"0", "0", "0", "0", "0", "0"},
         {{"in/sub/a.xy", 5, false}, {"M/new_results/b.xy", 5, false}}},
        {"invalid output minutes",
         false,
         {"OVIX1"},
         {"1", "0", "0", "1", "0", "60"},
         {{"in/sub/old.xy", old, true}, {"M/OVIX1/new/old.xy", old, true}}},
        {"invalid input days",
         false,
         {"OVIX1"},
         {"-1", "0", "0", "1", "0", "0"},
         {{"in/sub/old.xy", old, true}, {"M/OVIX1/new/old.xy", old, true}}},
    };
    int number = 0;
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        window_.reset();
        const QString root = QString("case%1/").arg(++number);
        install_kalix(root + "kalix");
        const QString archive = configure_archive(root + "archive");
        const QString day = root + "archive/ProductA/" + today_relative();
        const QString packed = write_file(day + "/OVIX1/L1___T___0___0___0.xy", "spectrum");
        const QString measurement_root = root + "kalix/database/products/ProductA/measurements/";
        QDir().mkpath(path(root + "in/sub"));

        std::vector<QString> full_paths;
        for (const file& f : c.files) {
            QString relative = f.relative;
            relative =
                relative.startsWith("M/") ? measurement_root + relative.mid(2) : root + relative;
            full_paths.push_back(write_file(relative, "x"));
            age_file(full_paths.back(), f.age);
        }
        cleaner_ini ini{c.editor_empty ? "" : path(root + "in"),
                        {c.editor_empty ? path(root + "in/sub") : "sub"},
                        c.output_lines,
                        c.lifetimes};
        write_file("program/kalix_cleaner.ini", ini.bytes());
        TKALIX_cleaner_form& w = start();
        ASSERT_EQ(w.my_archive_path, archive);
        confirm(w);
        w.Timer1Timer();

        for (std::size_t i = 0; i < c.files.size(); ++i)
            EXPECT_EQ(QFile::exists(full_paths[i]), c.files[i].kept)
                << c.files[i].relative.toStdString();
        EXPECT_FALSE(QFile::exists(packed));
        EXPECT_TRUE(QFile::exists(path(day + "/L1.zip")));
        EXPECT_EQ(board_lines(w), QStringList{"L1: 1 files zipped."});
        EXPECT_TRUE(w.Timer1->isActive());
        EXPECT_EQ(w.action_label->text(), "Scanning ...");
    }
}

TEST_F(cleaner_window, started_minimized_the_first_cleaning_tick_only_minimises) {
    QDir().mkpath(path("in/a"));
    const QString old_file = write_file("in/a/old.xy");
    age_file(old_file, 2 * one_day);
    cleaner_ini ini{path("in"), {"a"}, {}};
    ini.minimized = true;
    write_file("program/kalix_cleaner.ini", ini.bytes());
    TKALIX_cleaner_form& w = start();
    EXPECT_TRUE(w.first_action);
    confirm(w);

    w.Timer1Timer();
    EXPECT_TRUE(w.isMinimized());
    EXPECT_FALSE(w.first_action);
    EXPECT_TRUE(QFile::exists(old_file));
    EXPECT_TRUE(w.Timer1->isActive());

    w.Timer1Timer();
    EXPECT_FALSE(QFile::exists(old_file));
}

TEST_F(cleaner_window, daily_packing_of_todays_archive_day_folder) {
    install_kalix();
    configure_archive();
    const QString day = "archive/ProductA/" + today_relative();
    const QString file = write_file(day + "/OVIX1/L1___T___0___0___0.xy", "spectrum");
    write_file("program/kalix_cleaner.ini", cleaner_ini{}.bytes());
    TKALIX_cleaner_form& w = start();
    confirm(w);
    w.Timer1Timer();

    EXPECT_FALSE(QFile::exists(file));
    const QString zip = path(day + "/L1.zip");
    // The zip format stores the subfolder separator as a forward slash.
    EXPECT_EQ(zip_entry_names(zip), QStringList{"OVIX1/L1___T___0___0___0.xy"});
    expect_valid_zip(zip);
    // Only the per-key lines: no folder line and no summary.
    EXPECT_EQ(board_lines(w), QStringList{"L1: 1 files zipped."});
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(cleaner_window, daily_packing_creates_no_date_folders_without_product_folder) {
    install_kalix();
    configure_archive();
    QDir(path("archive/ProductA")).removeRecursively();
    write_file("program/kalix_cleaner.ini", cleaner_ini{}.bytes());
    TKALIX_cleaner_form& w = start();
    confirm(w);
    w.Timer1Timer();
    EXPECT_TRUE(QDir(path("archive")).isEmpty());
    EXPECT_TRUE(w.messages->toPlainText().isEmpty());
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(cleaner_window, packing_error_in_the_cleaning_step_is_dropped_silently) {
    install_kalix();
    configure_archive();
    const QString day = "archive/ProductA/" + today_relative();
    const QString file = write_file(day + "/OVIX1/L1___T___0___0___0.xy", "spectrum");
    QDir().mkpath(path(day + "/L1.zip")); // the archive cannot be written
    write_file("program/kalix_cleaner.ini", cleaner_ini{}.bytes());
    TKALIX_cleaner_form& w = start();
    confirm(w);
    w.Timer1Timer();
    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.action_label->text(), "Scanning ...");
    EXPECT_TRUE(w.zip_day_button->isEnabled());
    // No dialog, but one line on the board, however many ticks meet the problem.
    w.Timer1Timer();
    const QStringList board = board_lines(w);
    ASSERT_EQ(board.size(), 1);
    EXPECT_TRUE(board[0].startsWith(path(day + "/L1.zip") + ": ")) << board[0].toStdString();
}

TEST_F(cleaner_window, cleaning_step_passes_over_a_file_it_cannot_pack_for_an_hour) {
    install_kalix();
    configure_archive();
    const QString day = "archive/ProductA/" + today_relative();
    QDir().mkpath(path(day + "/OVIX1"));
    // Listed, free, but not readable; it sorts first.
    const QString unreadable = path(day + "/OVIX1/A___T.xy");
    if (!make_unreadable_file(unreadable)) {
        if (running_under_wine())
            GTEST_SKIP() << "Wine does not enforce a file's access list";
        FAIL() << "cannot make " << unreadable.toStdString() << " unreadable";
    }
    write_file(day + "/OVIX1/B___T.xy", "spectrum");
    write_file("program/kalix_cleaner.ini", cleaner_ini{}.bytes());
    TKALIX_cleaner_form& w = start();
    confirm(w);

    w.Timer1Timer();
    write_file(day + "/OVIX1/C___T.xy", "spectrum");
    w.Timer1Timer();

    const QStringList board = board_lines(w);
    ASSERT_EQ(board.size(), 3) << board.join('\n').toStdString();
    // The system's own words for the failure stand between the name and the consequence.
    EXPECT_TRUE(board[0].startsWith(unreadable + ": ")) << board[0].toStdString();
    EXPECT_TRUE(board[0].endsWith(" - passed over, tried again in an hour."))
        << board[0].toStdString();
#ifndef Q_OS_WIN
    EXPECT_EQ(board[0], unreadable + ": No such file or directory - passed over, tried again in an "
                                     "hour.");
#endif
    EXPECT_EQ(board.mid(1), (QStringList{"B: 1 files zipped.", "C: 1 files zipped."}));
    EXPECT_TRUE(unreadable_file_exists(unreadable));
    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(cleaner_window, a_run_is_shown_in_one_line_and_written_to_the_status_file) {
    install_kalix();
    configure_archive();
    const QString day = "archive/ProductA/" + today_relative();
    const QString packed = write_file(day + "/OVIX1/L1___T___0___0___0.xy", QByteArray(5000, 'a'));
    QDir().mkpath(path("in/a"));
    for (const char* name : {"in/a/old1.xy", "in/a/old2.xy"})
        age_file(write_file(name, QByteArray(700, 'x')), 2 * one_day);
    write_file("program/kalix_cleaner.ini", cleaner_ini{path("in"), {"a"}, {}}.bytes());
    TKALIX_cleaner_form& w = start();
    auto* line = w.findChild<QLabel*>("last_run_label");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "Last run: none yet");
    confirm(w);
    w.Timer1Timer();

    ASSERT_FALSE(QFile::exists(packed));
    const qint64 zip_size = QFileInfo(path(day + "/L1.zip")).size();
    const qint64 freed = 2 * 700 + 5000 - zip_size;
    // Beside the board's daily logs.
    const QString status_file = w.status_file();
    ASSERT_TRUE(QDir::fromNativeSeparators(status_file)
                    .startsWith(QDir::fromNativeSeparators(app_data_folder())))
        << status_file.toStdString();
    ASSERT_TRUE(status_file.endsWith("logs/kalix_cleaner_status.json"));
    const QJsonObject root = QJsonDocument::fromJson(read_file(status_file)).object();
    EXPECT_EQ(root["program"].toString(), "kalix_cleaner");
    EXPECT_FALSE(root["version"].toString().isEmpty());
    EXPECT_FALSE(root["started"].toString().isEmpty());
    EXPECT_FALSE(root["next_run"].toString().isEmpty());
    const QJsonObject run = root["last_run"].toObject();
    EXPECT_EQ(run["files_deleted"].toInteger(), 2);
    EXPECT_EQ(run["files_zipped"].toInteger(), 1);
    EXPECT_EQ(run["archives_written"].toInteger(), 1);
    EXPECT_EQ(run["bytes_freed"].toInteger(), freed);
    EXPECT_EQ(run["files_passed_over"].toInteger(), 0);
    EXPECT_TRUE(line->text().contains(": 2 files deleted, 1 file zipped, 1 archive written, " +
                                      byte_count_text(freed) +
                                      " freed, 0 files passed over; "
                                      "next run "))
        << line->text().toStdString();

    // The next run, with nothing left to do, replaces the counts.
    w.Timer1Timer();
    const QJsonObject again = QJsonDocument::fromJson(read_file(status_file)).object();
    EXPECT_EQ(again["last_run"].toObject()["files_deleted"].toInteger(), 0);
    EXPECT_EQ(again["last_run"].toObject()["bytes_freed"].toInteger(), 0);
    EXPECT_EQ(again["started"], root["started"]);
}

class zip_buttons : public cleaner_window {
protected:
    void SetUp() override { archive_ = configure_archive(); }

    // Not active at start: no tick interferes with the buttons.
    TKALIX_cleaner_form& start_inactive() {
        cleaner_ini ini;
        ini.active = false;
        write_file("program/kalix_cleaner.ini", ini.bytes());
        return start();
    }

    QString archive_;
};

TEST_F(zip_buttons, day_button_packs_the_chosen_day_folder) {
    const QString day = path("archive/ProductA/2023/5/7");
    write_file("archive/ProductA/2023/5/7/OVIX1/L1___T___0___0___0.xy", "a");
    write_file("archive/ProductA/2023/5/7/OVIX1/L2___T___0___0___0.xy", "b");
    write_file("archive/ProductA/2023/5/7/OVIX2/L1___RC___0___0___0.xy", "c");
    TKALIX_cleaner_form& w = start_inactive();

    ui().answer_folder(day);
    w.zip_day_button->click();
    ASSERT_EQ(ui().folder_dialogs.size(), 1);
    EXPECT_EQ(ui().folder_dialogs[0].caption, "Select day folder");
    EXPECT_EQ(ui().folder_dialogs[0].initial_folder, archive_);
    EXPECT_FALSE(ui().folder_dialogs[0].allow_new_folder);
    EXPECT_EQ(ui().questions, QStringList{"Select day folder"});

    const QStringList expected{"Zip files in folder " + day + " ...",
                               "L1: 2 files zipped.",
                               "L2: 1 files zipped.",
                               "",
                               "All together 3 files have been zipped.",
                               "2 zip files were created.",
                               "",
                               ""};
    EXPECT_EQ(board_lines(w), expected);
    EXPECT_EQ(zip_entry_names(day + sep() + "L1.zip"),
              (QStringList{"OVIX1/L1___T___0___0___0.xy", "OVIX2/L1___RC___0___0___0.xy"}));
    EXPECT_EQ(zip_entry_names(day + sep() + "L2.zip"), QStringList{"OVIX1/L2___T___0___0___0.xy"});
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(zip_buttons, cancelled_dialogs_pack_nothing) {
    TKALIX_cleaner_form& w = start_inactive();

    ui().answer_folder("");
    w.zip_day_button->click();
    EXPECT_EQ(board_lines(w),
              (QStringList{"Zip files in folder  ...", "", "All together 0 files have been zipped.",
                           "0 zip files were created.", "", ""}));
    // The board's lines also reach the daily log in the home folder.
    const QString log = board::home_log_folder() + QDir::separator() +
                        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                        QStringLiteral(".log");
    EXPECT_TRUE(read_file(log).contains("All together 0 files have been zipped."));

    w.messages->board().clear();
    ui().answer_folder("");
    w.zip_month_button->click();
    EXPECT_TRUE(w.messages->toPlainText().isEmpty());
    EXPECT_EQ(w.no_subfolders, 0);
    ASSERT_EQ(ui().folder_dialogs.size(), 2);
    EXPECT_EQ(ui().folder_dialogs[1].caption, "Select month folder");
    EXPECT_EQ(ui().folder_dialogs[1].initial_folder, archive_);
    EXPECT_FALSE(ui().folder_dialogs[1].allow_new_folder);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(zip_buttons, month_button_packs_every_day_folder_with_a_running_archive_count) {
    const QString month = path("archive/ProductA/2023/5");
    write_file("archive/ProductA/2023/5/7/OVIX1/L1___T___0___0___0.xy", "a");
    write_file("archive/ProductA/2023/5/8/OVIX1/L2___T___0___0___0.xy", "b");
    write_file("archive/ProductA/2023/5/8/OVIX1/L3___T___0___0___0.xy", "c");
    TKALIX_cleaner_form& w = start_inactive();

    ui().answer_folder(month);
    w.zip_month_button->click();
    EXPECT_EQ(ui().questions, QStringList{"Select month folder"});
    EXPECT_EQ(w.no_subfolders, 2);
    const QStringList expected{"Zip files in folder " + month + sep() + "7 ...",
                               "L1: 1 files zipped.",
                               "",
                               "All together 1 files have been zipped.",
                               "1 zip files were created.",
                               "",
                               "",
                               "Zip files in folder " + month + sep() + "8 ...",
                               "L2: 1 files zipped.",
                               "L3: 1 files zipped.",
                               "",
                               "All together 2 files have been zipped.",
                               "3 zip files were created.",
                               "",
                               ""};
    EXPECT_EQ(board_lines(w), expected);
    for (const char* archive : {"7/L1.zip", "8/L2.zip", "8/L3.zip"})
        EXPECT_TRUE(QFile::exists(month + sep() + archive)) << archive;
}

TEST_F(zip_buttons, packing_error_is_reported_to_the_operator) {
    const QString day = path("archive/ProductA/2023/5/7");
    const QString file = write_file("archive/ProductA/2023/5/7/OVIX1/L1___T___0___0___0.xy", "a");
    // A folder where the archive should go: the archive cannot be written.
    QDir().mkpath(day + sep() + "L1.zip");
    TKALIX_cleaner_form& w = start_inactive();

    ui().answer_folder(day);
    w.zip_day_button->click();
    ASSERT_EQ(ui().messages.size(), 1);
    EXPECT_TRUE(ui().messages[0].contains("L1.zip")) << ui().messages[0].toStdString();
    EXPECT_TRUE(QFile::exists(file));
    // The button works again afterwards.
    ui().answer_folder("");
    w.zip_day_button->click();
    EXPECT_EQ(ui().messages.size(), 1);
}

} // namespace
