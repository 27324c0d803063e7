#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/sprachen.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/message_board/memo/message_memo.h"
#include "tests/scanner/main_window_site.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/wine.h"
#include "tools/demo_database/inline_database.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTimer>

#include <memory>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

// The main window with an in-line database that holds spectra up to Id 7 and sheet
// resistances up to Id 4.
class main_window_test : public main_window_site {
protected:
    main_window_test() {
        QSqlDatabase& db = main_window_site::database(QStringLiteral("inline"));
        for (std::int64_t id = 1; id <= 7; ++id) {
            demo_db::spectrum_row row;
            row.id = id;
            row.load_id = QStringLiteral("L1");
            row.result_name = QStringLiteral("Transmission");
            row.values = QStringLiteral("1;2;3");
            demo_db::insert_spectrum(db, row);
        }
        for (std::int64_t id = 1; id <= 4; ++id) {
            demo_db::scalar_row row;
            row.id = id;
            row.result_name = QStringLiteral("Sheet resistance");
            demo_db::insert_scalar(db, row);
        }
    }

    QString database() const { return connection_string(QStringLiteral("inline")); }

    // Settings with all three databases on the embedded one.
    void all_sources(const QString& q, const QString& p, const QString& s) {
        settings({QStringLiteral("Lumotrax Q connection string"), q,
                  QStringLiteral("Lumotrax P connection string"), p,
                  QStringLiteral("Sheetresistance connection string"), s});
    }
};

TEST_F(main_window_test, start_up_with_a_complete_settings_file) {
    settings({QStringLiteral("Lumotrax Q connection string"), database(),
              QStringLiteral("Lumotrax Q where phrase"), QStringLiteral("and LoadId = 'L1'"),
              QStringLiteral("Lumotrax P connection string"), QString(),
              QStringLiteral("Sheetresistance connection string"), database(),
              QStringLiteral("Offset Rfilm probehead in mm"), QStringLiteral("120"),
              QStringLiteral("Sheet resistance key phrase"), QStringLiteral("Sheet resistance"),
              QStringLiteral("Postbake key phrase"), QStringLiteral("_PB_"),
              QStringLiteral("Test mode"), QStringLiteral("2")});
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"), "5\r\n");
    write_file(QStringLiteral("program/last_lumotrax_p_index.ini"), "0\r\n");
    write_file(QStringLiteral("program/last_lumotrax_sheetresistance_index.ini"), "3\r\n");
    main_window& w = create();

    EXPECT_EQ(board(),
              (QStringList{
                  QStringLiteral("Reading information from lumotrax_sql_spectrum_scanner.ini ..."),
                  QStringLiteral("Lumotrax Q connection string"), database(),
                  QStringLiteral("Lumotrax P connection string"), QString(),
                  QStringLiteral("Sheet resistance connection string"), database(),
                  QStringLiteral("Offset Rfilm probehead in mm"), QStringLiteral("120"),
                  QStringLiteral("Sheet resistance key phrase"), QStringLiteral("Sheet resistance"),
                  QStringLiteral("Postbake key phrase"), QStringLiteral("_PB_"), QString(),
                  QStringLiteral("Reading from ini file finished."),
                  QStringLiteral("Last processed Lumotrax Q index: 5"),
                  QStringLiteral("Last processed Lumotrax P index: 0"),
                  QStringLiteral("Last processed sheetresistance index: 3"),
                  QStringLiteral("Start-up finished.")}));
    EXPECT_EQ(w.lumotrax_q_sql_access_form->connection_string_editor->text(), database());
    EXPECT_EQ(w.lumotrax_q_sql_access_form->SQL_where_phrase, QStringLiteral("and LoadId = 'L1'"));
    EXPECT_EQ(w.lumotrax_p_sql_access_form->SQL_where_phrase, QString());
    EXPECT_EQ(w.sheetresistance_sql_access_form->sheet_resistance_keyphrase,
              QStringLiteral("Sheet resistance"));
    EXPECT_EQ(w.offset_rfilm_probehead, 120);
    EXPECT_EQ(w.postbake_key_phrase, QStringLiteral("_PB_"));
    EXPECT_EQ(w.test_mode, 2);
    EXPECT_TRUE(ui().messages.isEmpty()); // no box for test mode 2
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_measured_record, 7);
    EXPECT_EQ(w.sheetresistance_sql_access_form->last_measured_record, 4);
    // Scanning is the operator's to start.
    EXPECT_TRUE(w.start_flag);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Lumotrax SQL spectrum scanner"));
    EXPECT_EQ(w.lumotrax_q_sql_access_form->windowTitle(),
              QStringLiteral("Lumotrax Q database access"));
    EXPECT_EQ(w.lumotrax_p_sql_access_form->windowTitle(),
              QStringLiteral("Lumotrax P database access"));
    EXPECT_EQ(w.sheetresistance_sql_access_form->windowTitle(),
              QStringLiteral("Sheetresistance database access"));
    EXPECT_FALSE(w.lumotrax_q_sql_access_form->isVisible());
}

TEST_F(main_window_test, start_up_without_settings_file_leaves_the_defaults) {
    main_window& w = create();
    EXPECT_EQ(board().first(),
              QStringLiteral(
                  "Index file last_lumotrax_q_index.ini missing or unreadable: starting from 0."));
    EXPECT_EQ(board().last(), QStringLiteral("Start-up finished."));
    EXPECT_FALSE(board().contains(QStringLiteral("Reading from ini file finished.")));
    EXPECT_EQ(w.offset_rfilm_probehead, 0);
    EXPECT_EQ(w.test_mode, 0);
    EXPECT_EQ(w.sql_database, QString());
    // The window's own key phrase stays when no file replaces it.
    EXPECT_EQ(w.sheetresistance_sql_access_form->sheet_resistance_keyphrase,
              QStringLiteral("Sheet Resistance"));
}

// A 1280x800 screen less a title bar and a task bar; the window opens at no more than its
// least size allows, with every source in the strip, also when the KALIX tree lies deep on a
// server share.
TEST_F(main_window_test, fits_a_1280_by_800_screen) {
    if (running_under_wine())
        GTEST_SKIP() << "Wine's offscreen platform measures text in a wider fallback font; the "
                        "installed program on Wine's own display fits";
    all_sources(database(), database(), database());
    main_window& w = create();
    const QString deep = QStringLiteral("\\\\plant-server\\analysis\\") + QString(150, u'k') +
                         QStringLiteral("\\database\\products\\Coating\\measurements\\T\\new");
    w.KALIX_path_label->setText(deep);
    w.total_output_path_label->setText(deep);
    w.postbake_total_output_path_label->setText(deep);
    w.show();
    const QSize least = w.minimumSizeHint();
    EXPECT_LE(least.width(), 1280);
    EXPECT_LE(least.height(), 730) << least.height();
    EXPECT_LE(w.width(), 1280);
    EXPECT_LE(w.height(), 730) << w.height();
}

TEST_F(main_window_test, a_settings_file_that_cannot_be_saved_is_said_on_the_board) {
    if (!file_size_limit::supported)
        GTEST_SKIP() << file_size_limit::unsupported_reason;
    const QString file = write_file(
        "program/kalix_scanner.ini",
        (QStringList{path("input"), "T", "False", "1", "125", "", "", "\\", "", "0", "", "true"}
             .join("\r\n") +
         "\r\n")
            .toUtf8());
    const QByteArray before = read_file(file);
    main_window& w = create();
    {
        const file_size_limit full_disk(4);
        w.FormClose();
    }
    EXPECT_EQ(read_file(file), before);
    EXPECT_TRUE(
        board().contains("Error: " + QDir::toNativeSeparators(file) + " could not be saved!"))
        << board().join('\n').toStdString();
}

TEST_F(main_window_test, settings_file_without_key_phrase_takes_small_r) {
    settings({QStringLiteral("Test mode"), QStringLiteral("1")});
    main_window& w = create();
    EXPECT_EQ(w.sheetresistance_sql_access_form->sheet_resistance_keyphrase,
              QStringLiteral("Sheet resistance"));
    EXPECT_EQ(w.offset_rfilm_probehead, 109);
    EXPECT_EQ(w.sql_database, QStringLiteral("KALIX"));
    EXPECT_EQ(w.ovix_name_inline_channel_4, QStringLiteral("OVIX1"));
    EXPECT_EQ(ui().messages, QStringList{QStringLiteral("Test mode: 1")});
    EXPECT_EQ(w.test_mode, 1);
    w.test_mode_0_button->click();
    EXPECT_EQ(w.test_mode, 0);
    w.test_mode_1_button->click();
    EXPECT_EQ(w.test_mode, 1);
}

TEST_F(main_window_test, index_files_valid_missing_and_garbage) {
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"), "42\r\n");
    write_file(QStringLiteral("program/last_lumotrax_sheetresistance_index.ini"), "garbage\r\n");
    main_window& w = create();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 42);
    EXPECT_EQ(w.lumotrax_p_sql_access_form->last_processed_record, 0);
    EXPECT_EQ(w.sheetresistance_sql_access_form->last_processed_record, 0);
    EXPECT_TRUE(board().contains(QStringLiteral(
        "Index file last_lumotrax_p_index.ini missing or unreadable: starting from 0.")));
    EXPECT_TRUE(
        board().contains(QStringLiteral("Index file last_lumotrax_sheetresistance_index.ini "
                                        "missing or unreadable: starting from 0.")));
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record_label->text(),
              QStringLiteral("42"));

    w.lumotrax_p_sql_access_form->last_processed_record = 17;
    ASSERT_TRUE(w.write_last_lumotrax_indices());
    EXPECT_EQ(read_file(path(QStringLiteral("program/last_lumotrax_q_index.ini"))),
              QByteArray("42\r\n"));
    EXPECT_EQ(read_file(path(QStringLiteral("program/last_lumotrax_p_index.ini"))),
              QByteArray("17\r\n"));
    EXPECT_EQ(read_file(path(QStringLiteral("program/last_lumotrax_sheetresistance_index.ini"))),
              QByteArray("0\r\n"));
}

TEST_F(main_window_test, an_unreachable_source_does_not_stop_the_start_up) {
    const QString missing = QStringLiteral("Provider=SQLite;Data Source=") + path("missing.db");
    all_sources(missing, database(), database());
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"), "3\r\n");
    write_file(QStringLiteral("program/last_lumotrax_p_index.ini"), "1\r\n");
    main_window& w = create();

    EXPECT_EQ(board().last(), QStringLiteral("Start-up finished."));
    ASSERT_EQ(ui().messages.size(), 1); // reported once
    EXPECT_TRUE(board().filter(QStringLiteral("Lumotrax Q database: ")).size() == 1);
    EXPECT_EQ(w.lumotrax_p_sql_access_form->last_measured_record, 7);
    EXPECT_EQ(w.sheetresistance_sql_access_form->last_measured_record, 4);

    // Start: the unreachable source keeps its stored index, the others start after their
    // newest record.
    w.active_button->click();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 3);
    EXPECT_EQ(w.lumotrax_p_sql_access_form->last_processed_record, 7);
    EXPECT_EQ(w.sheetresistance_sql_access_form->last_processed_record, 4);
    EXPECT_FALSE(w.start_flag);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.action_label->text(), QStringLiteral("Scan inline folder ..."));
    w.active_button->click();

    // Once the database is back and its newest record was fetched, Start uses it.
    w.lumotrax_q_sql_access_form->connection_string_editor->setText(database());
    w.lumotrax_q_sql_access_form->connect_button->click();
    w.lumotrax_q_sql_access_form->Get_last_index_button->click();
    w.active_button->click();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 7);
    w.active_button->click();
}

TEST_F(main_window_test, start_scan_with_and_without_last_processed_record) {
    all_sources(database(), database(), database());
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"), "2\r\n");
    main_window& w = create();

    // Ticked: processing goes on after the stored index.
    w.start_with_latest_processed_record->setChecked(true);
    w.active_button->click();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 2);
    w.active_button->click();
    EXPECT_FALSE(w.Timer1->isActive());

    // Not ticked: after the newest record at start-up, again at every Start.
    w.start_with_latest_processed_record->setChecked(false);
    w.active_button->click();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 7);
    w.lumotrax_q_sql_access_form->last_processed_record = 9; // a pass went on
    w.active_button->click();
    w.active_button->click();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 7);
    w.active_button->click();
}

TEST_F(main_window_test, board_is_trimmed_and_cleared) {
    main_window& w = create();
    w.Button2->click();
    EXPECT_TRUE(board().isEmpty());
    for (int i = 1; i <= 150; ++i)
        w.send_message(QString::number(i));
    w.clean_message_board(100);
    ASSERT_EQ(board().size(), 100);
    EXPECT_EQ(board().first(), QStringLiteral("51"));
    EXPECT_EQ(w.messages->toPlainText().split(u'\n').size(), 100);
}

TEST_F(main_window_test, passwords_are_masked_on_the_board_and_absent_from_the_log) {
    const QString secret_string =
        QStringLiteral("Provider=SQLOLEDB.1;User ID=scanner;Password=Geheim1;Data Source=") +
        path("missing.db");
    settings(
        {QStringLiteral("Lumotrax P connection string"), QStringLiteral("DSN=x;PWD={Geheim2}")});
    settings({QStringLiteral("Lumotrax Q connection string"), secret_string,
              QStringLiteral("Lumotrax P connection string"),
              QStringLiteral("DSN=x;PWD={Geheim2}")});
    main_window& w = create();
    ui().messages.clear(); // the connection errors
    for (const QString& line : board())
        EXPECT_FALSE(line.contains(QStringLiteral("Geheim"))) << line.toStdString();
    EXPECT_TRUE(board().contains(QStringLiteral("DSN=x;PWD=****")));
    // The editors keep what the operator typed.
    EXPECT_EQ(w.lumotrax_q_sql_access_form->connection_string_editor->text(), secret_string);

    const QStringList logs = QDir(board::home_log_folder()).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    const QByteArray log = read_file(board::home_log_folder() + QDir::separator() + logs.first());
    EXPECT_TRUE(log.contains("Start-up finished."));
    EXPECT_FALSE(log.contains("Geheim"));
}

TEST_F(main_window_test, editor_buttons_open_the_editor_on_their_table) {
    sprachen table;
    ASSERT_TRUE(table.save_to_file(path(QStringLiteral("program/ovix_assignment.bin"))));
    ASSERT_TRUE(table.save_to_file(path(QStringLiteral("program/spectrum_nicknames.bin"))));
    main_window& w = create();
    for (auto [button, file] : {std::pair{w.ovix_assign_button, w.ovix_assignment_file()},
                                {w.nickname_button, w.spectrum_nicknames_file()}}) {
        QString shown_file;
        bool modal = false;
        QTimer::singleShot(0, &w, [&w, &shown_file, &modal] {
            shown_file = w.language_editor->file_label->text();
            modal = w.language_editor->isModal();
            w.language_editor->reject();
        });
        button->click();
        EXPECT_EQ(shown_file, file);
        EXPECT_TRUE(modal);
    }
    // The closing question is asked once, before the program ends.
    ui().answer_yes_no(false);
    w.FormClose();
    w.FormClose();
    EXPECT_EQ(ui().questions.size(), 1);
    window_.reset();
}

TEST_F(main_window_test, settings_buttons_show_their_record_source_window) {
    main_window& w = create();
    w.lumotraxQ_sql_access_form_button->click();
    EXPECT_TRUE(w.lumotrax_q_sql_access_form->isVisible());
    w.LumotraxP_SQL_access_fomr_button->click();
    EXPECT_TRUE(w.lumotrax_p_sql_access_form->isVisible());
    w.sheet_resistance_button->click();
    EXPECT_TRUE(w.sheetresistance_sql_access_form->isVisible());
}

TEST_F(main_window_test, controls_and_changed_captions) {
    main_window& w = create();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Input path for csv files:"));
    EXPECT_EQ(w.Label5->text(), QStringLiteral("Lumotrax spectrum scanner"));
    EXPECT_EQ(w.clear_button->text(), QStringLiteral("Panic: Flush traverse folder"));
    EXPECT_EQ(w.Button1->text(), QStringLiteral("Historic ID"));
    EXPECT_EQ(w.active_button->text(), QStringLiteral("Start scan"));
    EXPECT_TRUE(w.postbake_output_path_editor->isVisibleTo(&w));
    EXPECT_FALSE(w.Button1->isVisibleTo(&w));
    EXPECT_FALSE(w.Button3->isVisibleTo(&w));
    EXPECT_NE(w.findChild<message_memo*>(QStringLiteral("messages")), nullptr);
    for (const char* name : {"lumotraxQ_sql_access_form_button", "LumotraxP_SQL_access_fomr_button",
                             "sheet_resistance_button", "ovix_assign_button", "nickname_button",
                             "test_mode_0_button", "test_mode_1_button", "Button2"})
        EXPECT_NE(w.findChild<QPushButton*>(QLatin1String(name)), nullptr) << name;
    EXPECT_FALSE(w.start_with_latest_processed_record->isChecked());
    EXPECT_EQ(w.sc_data->no_positions, 32);
    EXPECT_EQ(w.sc_data->no_spectra, 3);
    EXPECT_EQ(w.sc_data->max_no_points, 125);
    EXPECT_EQ(w.sc_data->x_max[2], 1000.0f);
}

} // namespace
