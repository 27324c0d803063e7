#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "tests/scanner/main_window_site.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

// Re-loading archived spectra of a pane into the output folder T/new of DemoCoating.
class main_window_archive : public main_window_site {
protected:
    main_window_archive() {
        write_file(
            "program/kalix_scanner.ini",
            (QStringList{path("input"), "T", "False", "1", "125", "", "", "\\", "", "0", "", "true"}
                 .join("\r\n") +
             "\r\n")
                .toUtf8());
    }

    QString day(const QString& name) const {
        return "kalix/archive/DemoCoating/2016/5/16/T/" + name;
    }
    QString output() const {
        return path("kalix/database/products/DemoCoating/measurements/T/new");
    }
    QStringList output_files() const { return QDir(output()).entryList(QDir::Files, QDir::Name); }
    main_window& ready_for(const char* pane) {
        main_window& w = create();
        w.archive_pane_id_edit->setText(pane);
        w.archive_year_editor->setText("2016");
        w.archive_month_editor->setText("5");
        w.archive_day_editor->setText("16");
        return w;
    }
};

TEST_F(main_window_archive, spectra_of_the_pane_come_back_with_r55_dummies_when_asked) {
    for (const char* name :
         {"L0815___RC___0___0___0.xy", "L0815___RG___0___0___0.xy", "L0815___RG___100___0___0.xy",
          "L0815___T___0___0___0.xy", "L0816___T___0___0___0.xy"})
        write_file(day(name), name);
    for (bool option : {false, true}) {
        SCOPED_TRACE(option);
        QDir(output()).removeRecursively();
        QDir().mkpath(output());
        main_window& w = ready_for("L0815");
        w.add_R55_spectrum_option->setChecked(option);
        w.load_archive_spectra_button->click();
        QStringList expected{"L0815___RC___0___0___0.xy", "L0815___RG___0___0___0.xy",
                             "L0815___RG___100___0___0.xy", "L0815___T___0___0___0.xy"};
        if (option)
            expected << "L0815___RG55___0___0___0.xy"
                     << "L0815___RG55___100___0___0.xy";
        expected.sort();
        EXPECT_EQ(output_files(), expected);
        EXPECT_EQ(read_file(output() + "/L0815___RG___100___0___0.xy"),
                  "L0815___RG___100___0___0.xy");
        if (option) {
            EXPECT_EQ(read_file(output() + "/L0815___RG55___100___0___0.xy"),
                      "300 0.0\r\n1000 0.0\r\n2500 0.0\r\n");
        }
    }
}

TEST_F(main_window_archive, archived_r55_spectra_are_copied_and_no_dummy_is_made) {
    write_file(day("L1___RG___0___0___0.xy"), "rg");
    write_file(day("L1___RG55___0___0___0.xy"), "archived r55");
    main_window& w = ready_for("L1");
    w.add_R55_spectrum_option->setChecked(true);
    w.load_archive_spectra_button->click();
    EXPECT_EQ(output_files(), (QStringList{"L1___RG55___0___0___0.xy", "L1___RG___0___0___0.xy"}));
    EXPECT_EQ(read_file(output() + "/L1___RG55___0___0___0.xy"), "archived r55");
}

TEST_F(main_window_archive, a_file_already_in_the_output_folder_is_reported_and_kept) {
    write_file(day("L1___T___0___0___0.xy"), "archived");
    write_file("kalix/database/products/DemoCoating/measurements/T/new/L1___T___0___0___0.xy",
               "current");
    main_window& w = ready_for("L1");
    w.load_archive_spectra_button->click();
    ASSERT_EQ(ui().messages.size(), 1);
    EXPECT_TRUE(ui().messages[0].endsWith(".tmp could not be renamed!"));
    EXPECT_EQ(read_file(output() + "/L1___T___0___0___0.xy"), "current");
    EXPECT_EQ(QDir(output()).entryList({"*.tmp"}, QDir::Files).size(), 1);
}

TEST_F(main_window_archive, a_missing_day_folder_is_said_on_the_board) {
    main_window& w = ready_for("L1");
    w.archive_day_editor->setText("17");
    w.load_archive_spectra_button->click();
    EXPECT_FALSE(board().filter("does not exist: nothing re-loaded.").isEmpty());
    EXPECT_TRUE(output_files().isEmpty());
}

TEST_F(main_window_archive, a_sample_file_fills_date_and_pane) {
    QDir().mkpath(path("kalix/archive"));
    main_window& w = create();
    ui().answer_open_file(path(day("L0815___T___1240___260___0.xy")));
    w.pick_archive_date_button->click();
    EXPECT_EQ(w.archive_year_editor->text(), "2016");
    EXPECT_EQ(w.archive_month_editor->text(), "5");
    EXPECT_EQ(w.archive_day_editor->text(), "16");
    EXPECT_EQ(w.archive_pane_id_edit->text(), "L0815");
    ASSERT_EQ(ui().file_dialogs.size(), 1);
    EXPECT_EQ(ui().file_dialogs[0].initial_folder,
              QDir::toNativeSeparators(path("kalix/archive/DemoCoating") + "/"));

    // A file near the root, without a key: what exists is taken, the pane id stays.
    ui().answer_open_file("/a/x/sample.xy");
    w.pick_archive_date_button->click();
    EXPECT_EQ(w.archive_year_editor->text(), "");
    EXPECT_EQ(w.archive_month_editor->text(), "");
    EXPECT_EQ(w.archive_day_editor->text(), "a");
    EXPECT_EQ(w.archive_pane_id_edit->text(), "L0815");
    // A name starting with "___" names the empty pane.
    ui().answer_open_file("/a/x/___T___0.xy");
    w.pick_archive_date_button->click();
    EXPECT_EQ(w.archive_pane_id_edit->text(), "");
    // A cancelled dialog changes nothing.
    ui().answer_open_file("");
    w.pick_archive_date_button->click();
    EXPECT_EQ(w.archive_day_editor->text(), "a");
}

TEST_F(main_window_archive, without_output_folder_copies_and_dummies_are_said_alike) {
    write_file(day("L1___RG___0___0___0.xy"), "rg");
    QDir(output()).removeRecursively();
    main_window& w = ready_for("L1");
    w.add_R55_spectrum_option->setChecked(true);
    w.load_archive_spectra_button->click();
    ASSERT_EQ(ui().messages.size(), 2);
    EXPECT_TRUE(ui().messages[0].endsWith(" could not be renamed!"));
    EXPECT_EQ(ui().messages[1], QDir::toNativeSeparators(output() + "/L1___RG55___0___0___0.xy") +
                                    " could not be renamed!");
}

} // namespace
