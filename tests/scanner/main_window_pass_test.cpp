#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/xy_file.h"
#include "scanner/historic_pane_selection_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/operator_view/health_strip.h"
#include "scanner/operator_view/spectrum_plot.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/sprachen.h"
#include "shared/message_board/message_board.h"
#include "shared/platform/paths.h"
#include "tests/scanner/main_window_site.h"
#include "tests/support/input_files.h"
#include "tools/demo_database/inline_database.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>

#include <utility>
#include <vector>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

struct spectrum {
    std::int64_t id;
    const char* load;
    int point;
    const char* name;
    double longitudinal = 0;
    double lateral = 0;
    const char* values = "0.1;0.2;0.3";
};

// Passes of the main window over a Q database, a P database and sheet resistances in
// the Q database, with translation tables that send the demo names to T, RF and RC.
class main_window_pass : public main_window_site {
protected:
    main_window_pass() {
        write_table(path(QStringLiteral("program/ovix_assignment.bin")),
                    {{"Transmission", "T"},
                     {"Reflection Film", "RF"},
                     {"Reflection Glass", "RC"},
                     {"Sheet Resistance", "T"}});
        write_table(path(QStringLiteral("program/spectrum_nicknames.bin")),
                    {{"Transmission", "T"},
                     {"Reflection Film", "RF"},
                     {"Reflection Glass", "RG"},
                     {"Sheet Resistance", "R_sq"}});
        database(QStringLiteral("q"));
        database(QStringLiteral("p"));
        QDir().mkpath(path("kalix/database/products/DemoCoating/measurements/new_results"));
    }

    void add(const QString& db, const spectrum& s, const char* wavelengths = "380;381;382") {
        demo_db::spectrum_row row;
        row.id = s.id;
        row.load_id = QString::fromUtf8(s.load);
        row.meas_point_index = s.point;
        row.result_name = QString::fromUtf8(s.name);
        row.longitudinal_position_relative_mm = s.longitudinal;
        row.lateral_position_relative_mm = s.lateral;
        row.values = QString::fromUtf8(s.values);
        row.timestamp = stamp_;
        row.result_id = QStringLiteral("{R-%1}").arg(s.id);
        row.run_id = 1000 + s.id;
        demo_db::insert_spectrum(database(db), row);
        if (wavelengths)
            demo_db::insert_wavelengths(database(db), row.result_id, row.run_id,
                                        QString::fromUtf8(wavelengths));
    }

    void add_sheet_resistance(std::int64_t id, const char* load, int point, double longitudinal,
                              double lateral, double value) {
        demo_db::scalar_row row;
        row.id = id;
        row.load_id = QString::fromUtf8(load);
        row.meas_point_index = point;
        row.longitudinal_position_relative_mm = longitudinal;
        row.lateral_position_relative_mm = lateral;
        row.value = value;
        row.result_name = QStringLiteral("Sheet resistance");
        demo_db::insert_scalar(database(QStringLiteral("q")), row);
    }

    // The window after its start-up, scanning from the stored indices (none: from 0).
    main_window& started(QStringList extra_settings = {}) {
        settings(QStringList{QStringLiteral("Lumotrax Q connection string"),
                             connection_string(QStringLiteral("q")),
                             QStringLiteral("Lumotrax P connection string"),
                             connection_string(QStringLiteral("p")),
                             QStringLiteral("Sheetresistance connection string"),
                             connection_string(QStringLiteral("q"))} +
                 extra_settings);
        main_window& w = create();
        w.start_with_latest_processed_record->setChecked(true);
        w.active_button->click();
        return w;
    }

    // The production time of the records added next.
    QDateTime stamp_{QDate(2016, 5, 16), QTime(10, 30)};

    // Answers the selection window of the re-run once it is shown.
    void rerun(main_window& w, const QString& load_id, const QDate& date) {
        QTimer::singleShot(0, &w, [&w, load_id, date] {
            w.my_pane_selection->LoadID_editor->setText(load_id);
            w.my_pane_selection->DateTimePicker1->setDate(date);
            w.my_pane_selection->ok_button->click();
        });
        w.rerun_pane_button->click();
    }

    QString channel(const char* name) const {
        return path(QStringLiteral("kalix/database/products/DemoCoating/measurements/") +
                    QLatin1String(name) + QStringLiteral("/new"));
    }
    QStringList files(const char* channel_name) const {
        return QDir(channel(channel_name)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray content(const char* channel_name, const char* file) const {
        return read_file(channel(channel_name) + QDir::separator() + QLatin1String(file));
    }
};

TEST_F(main_window_pass, q_records_become_xy_files_named_by_their_measurement_point) {
    // Three spectra of one point at differing positions; the point's first record in query
    // order (result names descending) gives the position of all three.
    add(QStringLiteral("q"), {1, "L0815", 1, "Reflection Film", 1300.2, 260.7, " 0.1 ;0.2;"});
    add(QStringLiteral("q"), {2, "L0815", 1, "Transmission", 1234.5, 250.0});
    add(QStringLiteral("q"), {3, "L0815", 1, "Reflection Glass", 1400.0, 270.0});
    add(QStringLiteral("q"), {4, "L0815", 2, "Transmission", 1235.5, -10.5});
    add(QStringLiteral("q"), {5, "L0816", 1, "Transmission", 0.4, 0.0}, nullptr);
    main_window& w = started();
    pass();

    EXPECT_EQ(files("T"),
              (QStringList{"L0815___T___1234___250___0.xy", "L0815___T___1236___-10___0.xy",
                           "L0816___T___0___0___0.xy"}));
    EXPECT_EQ(files("RF"), QStringList{"L0815___RF___1234___250___0.xy"});
    EXPECT_EQ(files("RC"), QStringList{"L0815___RG___1234___250___0.xy"});
    // Q keeps blanks; a trailing separator gives a line with only the TAB; no wavelength row
    // gives empty wavelength fields.
    EXPECT_EQ(content("RF", "L0815___RF___1234___250___0.xy"),
              QByteArray("380\t 0.1 \r\n381\t0.2\r\n382\t\r\n"));
    EXPECT_EQ(content("T", "L0815___T___1234___250___0.xy"),
              QByteArray("380\t0.1\r\n381\t0.2\r\n382\t0.3\r\n"));
    EXPECT_EQ(content("T", "L0816___T___0___0___0.xy"), QByteArray("\t0.1\r\n\t0.2\r\n\t0.3\r\n"));

    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 5);
    EXPECT_EQ(read_file(path(QStringLiteral("program/last_lumotrax_q_index.ini"))), "5\r\n");
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record_label->text(), "5");
    EXPECT_TRUE(board().contains("5 Lumotrax Q records processed."));
    EXPECT_TRUE(board().contains("Last processed index: 5"));

    // Nothing new: no files, no Q lines.
    const int lines = board().size();
    pass();
    EXPECT_EQ(board().size(), lines);
}

// What one wavelength query per record would write: the grid the database holds now.
QByteArray one_query_per_record(QSqlDatabase& db, const QString& result_id, std::int64_t run_id,
                                const QString& values) {
    QSqlQuery grid(db);
    grid.prepare(QStringLiteral("select Wavelengths from WavelengtsArrays "
                                "where ResultID = ? and Run_ID = ?"));
    grid.addBindValue(result_id);
    grid.addBindValue(QString::number(run_id));
    EXPECT_TRUE(grid.exec());
    return xy_file_content(grid.next() ? grid.value(0).toString() : QString(), values,
                           xy_fields::unchanged);
}

TEST_F(main_window_pass, records_sharing_a_grid_get_the_grid_the_database_holds_at_their_pass) {
    struct shared_grid_record {
        int id;
        const char* result_id;
        std::int64_t run_id;
        const char* values;
    };
    QSqlDatabase& db = database(QStringLiteral("q"));
    const auto add_records = [&](const std::vector<shared_grid_record>& records) {
        for (const shared_grid_record& r : records) {
            demo_db::spectrum_row row;
            row.id = r.id;
            row.load_id = QStringLiteral("L1");
            row.meas_point_index = r.id;
            row.result_name = QStringLiteral("Transmission");
            row.longitudinal_position_relative_mm = 10.0 * r.id;
            row.values = QString::fromUtf8(r.values);
            row.timestamp = stamp_;
            row.result_id = QString::fromUtf8(r.result_id);
            row.run_id = r.run_id;
            demo_db::insert_spectrum(db, row);
        }
    };
    const auto expect_files = [&](const std::vector<shared_grid_record>& records) {
        for (const shared_grid_record& r : records) {
            const QString name = QStringLiteral("L1___T___%1___0___0.xy").arg(10 * r.id);
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(content("T", name.toUtf8().constData()),
                      one_query_per_record(db, QString::fromUtf8(r.result_id), r.run_id,
                                           QString::fromUtf8(r.values)));
        }
    };
    demo_db::insert_wavelengths(db, QStringLiteral("{A}"), 7, QStringLiteral("380;381;382"));
    demo_db::insert_wavelengths(db, QStringLiteral("{A}"), 8, QStringLiteral("500;501"));
    demo_db::insert_wavelengths(db, QStringLiteral("{B}"), 7, QStringLiteral("400;401;402"));
    // Two grids shared by several records, one ResultID under two runs, one grid missing.
    const std::vector<shared_grid_record> first{{1, "{A}", 7, "0.1;0.2;0.3"},
                                                {2, "{B}", 7, "1;2;3"},
                                                {3, "{A}", 7, "0.4;0.5;0.6"},
                                                {4, "{A}", 8, "7;8;9"},
                                                {5, "{C}", 7, "4;5"},
                                                {6, "{B}", 7, "3;2;1"},
                                                {7, "{C}", 7, "6"}};
    add_records(first);
    started();
    pass();
    expect_files(first);

    // Between the passes one grid changes and the missing one appears.
    QSqlQuery change(db);
    ASSERT_TRUE(change.exec(QStringLiteral(
        "update WavelengtsArrays set Wavelengths = '390;391;392' where ResultID = '{A}' "
        "and Run_ID = '7'")));
    demo_db::insert_wavelengths(db, QStringLiteral("{C}"), 7, QStringLiteral("600;601"));
    const std::vector<shared_grid_record> second{
        {8, "{A}", 7, "0.7;0.8;0.9"}, {9, "{C}", 7, "1;2"}, {10, "{A}", 8, "5"}};
    add_records(second);
    pass();
    expect_files(second);
    EXPECT_EQ(content("T", "L1___T___80___0___0.xy"),
              QByteArray("390\t0.7\r\n391\t0.8\r\n392\t0.9\r\n"));
    EXPECT_EQ(files("T").size(), 10);
}

TEST_F(main_window_pass, forty_five_q_records_post_progress_and_summary) {
    for (int id = 1; id <= 45; ++id)
        add(QStringLiteral("q"), {id, "L1", id, "Transmission", double(id), 0});
    main_window& w = started();
    w.send_message("before");
    pass();
    const QStringList lines = board();
    const int first = static_cast<int>(lines.indexOf("before")) + 1;
    ASSERT_GE(lines.size(), first + 6);
    EXPECT_EQ(lines[first], "20 records processed.");
    EXPECT_EQ(lines[first + 1], "40 records processed.");
    EXPECT_EQ(lines[first + 2], "");
    EXPECT_EQ(lines[first + 4], "45 Lumotrax Q records processed.");
    EXPECT_EQ(lines[first + 5], "Last processed index: 45");
    EXPECT_EQ(files("T").size(), 45);
}

TEST_F(main_window_pass, p_records_are_named_on_their_grids_and_reflection_film_twice) {
    add(QStringLiteral("p"), {1, "L0815", 1, "Transmission", 1234.5, 255.0, " 0.1 ; 0.2\t"});
    add(QStringLiteral("p"), {2, "L0815", 1, "Reflection Film", 1234.5, 255.0});
    add(QStringLiteral("p"), {3, "L0815", 1, "reflection film", 30, 50});
    main_window& w =
        started({QStringLiteral("Offset Rfilm probehead in mm"), QStringLiteral("109")});
    pass();
    EXPECT_EQ(files("T"), QStringList{"L0815___T___1240___260___0.xy"});
    EXPECT_EQ(content("T", "L0815___T___1240___260___0.xy"),
              QByteArray("380\t0.1\r\n381\t0.2\r\n"));
    EXPECT_EQ(files("RF"),
              (QStringList{"L0815___RF___1130___150___0.xy", "L0815___RF___1240___260___0.xy"}));
    // The lower-case name is no key of the tables: no nickname, no channel folder.
    EXPECT_TRUE(
        board().contains(QStringLiteral("1 records not written: folder %1 does not exist")
                             .arg(QDir::toNativeSeparators(
                                 path("kalix/database/products/DemoCoating/measurements//new")))))
        << board().join('\n').toStdString();
    EXPECT_EQ(w.lumotrax_p_sql_access_form->last_processed_record, 3);
}

TEST_F(main_window_pass, p_records_out_of_id_order_are_each_handled_once_a_hundred_a_pass) {
    // Ids interleave across loads, so load order and Id order differ.
    for (int id = 1; id <= 250; ++id) {
        const char* load = id % 2 ? "L2" : "L1";
        add(QStringLiteral("p"), {id, load, id, "Transmission", id * 20.0, 0});
    }
    main_window& w = started();
    QStringList seen;
    for (int expected : {100, 100, 50, 0}) {
        pass();
        const QStringList made = files("T");
        EXPECT_EQ(made.size(), expected);
        for (const QString& file : made) {
            EXPECT_FALSE(seen.contains(file)) << file.toStdString();
            seen << file;
            QFile::remove(channel("T") + QDir::separator() + file);
        }
    }
    EXPECT_EQ(seen.size(), 250);
    EXPECT_EQ(w.lumotrax_p_sql_access_form->last_processed_record, 250);
}

TEST_F(main_window_pass,
       file_names_stay_in_their_folder_and_postbake_without_installation_writes_nothing) {
    add(QStringLiteral("q"), {1, "..\\..\\x/y", 1, "Transmission"});
    add(QStringLiteral("q"), {2, "L9_PB", 1, "Transmission"});
    started({QStringLiteral("Postbake key phrase"), QStringLiteral("_PB")});
    pass();
    EXPECT_EQ(files("T"), QStringList{".._.._x_y___T___0___0___0.xy"});
    EXPECT_TRUE(board().contains("1 records not written: folder  does not exist"))
        << board().join('\n').toStdString();
    EXPECT_EQ(board().filter("holds characters a file name cannot hold").size(), 1);
    EXPECT_FALSE(QFile::exists(path("L9_PB___T___0___0___0.xy")));
}

TEST_F(main_window_pass, a_database_that_is_down_stops_its_step_and_is_picked_up_when_back) {
    add(QStringLiteral("p"), {1, "L1", 1, "Transmission"});
    const QString missing = QStringLiteral("Provider=SQLite;Data Source=") + path("later.db");
    settings({QStringLiteral("Lumotrax Q connection string"), missing,
              QStringLiteral("Lumotrax P connection string"),
              connection_string(QStringLiteral("p"))});
    main_window& w = create();
    ui().messages.clear(); // the start-up's report
    w.start_with_latest_processed_record->setChecked(true);
    w.active_button->click();

    pass();
    pass();
    pass();
    // Reported once; on the board once, folded. The P step runs on its own.
    EXPECT_EQ(ui().messages.size(), 1);
    EXPECT_EQ(board().filter("Lumotrax Q: ").size(), 1);
    EXPECT_TRUE(board().filter("Lumotrax Q: ").first().endsWith("(repeated 2 times)"))
        << board().join('\n').toStdString();
    EXPECT_TRUE(w.action_label->text().startsWith("Lumotrax Q: "));
    EXPECT_EQ(files("T"), QStringList{"L1___T___0___0___0.xy"});
    EXPECT_EQ(read_file(path("program/last_lumotrax_p_index.ini")), "1\r\n");

    // The database comes back: the next pass connects by itself and goes on.
    database(QStringLiteral("later"));
    add(QStringLiteral("later"), {1, "L5", 1, "Reflection Glass"});
    pass();
    EXPECT_TRUE(board().contains("Lumotrax Q working again."));
    EXPECT_EQ(files("RC"), QStringList{"L5___RG___0___0___0.xy"});
    EXPECT_EQ(files("T"), QStringList{"L1___T___0___0___0.xy"});
    EXPECT_EQ(read_file(path("program/last_lumotrax_p_index.ini")), "1\r\n");
    EXPECT_EQ(ui().messages.size(), 1);
}

TEST_F(main_window_pass, sheet_resistance_records_become_result_files) {
    // Newest first: 3, 2, 1 are one point; the newest gives lines 9 and 10 of all three.
    add_sheet_resistance(1, "L0815", 1, 1200.4, 250.5, 11.0);
    add_sheet_resistance(2, "L0815", 1, 1200.6, 251.5, 12.0);
    add_sheet_resistance(3, "L0815", 1, 1200.4, 250.4, 13.5);
    main_window& w = started();
    pass();
    const QString results = path("kalix/database/products/DemoCoating/measurements/new_results");
    EXPECT_EQ(QDir(results).entryList(QDir::Files, QDir::Name),
              (QStringList{"L0815___1200___250___0___SR.txt", "L0815___1201___252___0___SR.txt"}));
    const QStringList lines =
        QString::fromLatin1(read_file(results + "/L0815___1200___250___0___SR.txt")).split("\r\n");
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0], "R_sq");
    EXPECT_EQ(lines[1], "13.5"); // the newest of the colliding two is kept
    EXPECT_EQ(lines.mid(2, 3), (QStringList{"---", "0", "measured"}));
    EXPECT_EQ(lines.mid(6, 6), (QStringList{"T", "L0815", "1200", "250", "0", ""}));
    const QStringList second =
        QString::fromLatin1(read_file(results + "/L0815___1201___252___0___SR.txt")).split("\r\n");
    EXPECT_EQ(second.mid(7, 3), (QStringList{"L0815", "1200", "250"}));
    EXPECT_EQ(w.sheetresistance_sql_access_form->last_processed_record, 3);
    EXPECT_TRUE(board().contains("3 Sheet resistance records processed."));
    EXPECT_TRUE(QDir(results).entryList({"*.tmp"}, QDir::Files).isEmpty());
}

TEST_F(main_window_pass, forty_five_sheet_resistances_post_progress_and_summary) {
    for (int id = 1; id <= 45; ++id)
        add_sheet_resistance(id, "L1", id, id, 0, 1.0);
    started();
    pass();
    const QStringList lines = board();
    EXPECT_TRUE(lines.contains("20 records processed."));
    EXPECT_TRUE(lines.contains("40 records processed."));
    const int count = static_cast<int>(lines.indexOf("45 Sheet resistance records processed."));
    ASSERT_GT(count, 2);
    EXPECT_EQ(lines[count - 2], "");
    EXPECT_EQ(lines[count + 1], "Last processed index: 45");
}

TEST_F(main_window_pass, wavelength_grid_is_found_for_a_result_id_with_an_apostrophe) {
    demo_db::spectrum_row row;
    row.id = 1;
    row.load_id = "L1";
    row.result_name = "Transmission";
    row.values = "0.5";
    row.result_id = "{it's}";
    row.run_id = 7;
    demo_db::insert_spectrum(database("q"), row);
    demo_db::insert_wavelengths(database("q"), row.result_id, row.run_id, "400");
    started();
    pass();
    EXPECT_EQ(content("T", "L1___T___0___0___0.xy"), QByteArray("400\t0.5\r\n"));
}

TEST_F(main_window_pass, panic_flush_empties_the_transmission_folder) {
    write_file("kalix/database/products/DemoCoating/measurements/T/new/a.xy", "x");
    write_file("kalix/database/products/DemoCoating/measurements/RF/new/b.xy", "x");
    main_window& w = started();
    w.clear_button->click();
    EXPECT_TRUE(files("T").isEmpty());
    EXPECT_EQ(files("RF"), QStringList{"b.xy"});
}

TEST_F(main_window_pass, the_board_is_trimmed_to_a_hundred_lines_after_a_pass) {
    main_window& w = started();
    for (int i = 0; i < 150; ++i)
        w.send_message(QString::number(i));
    pass();
    EXPECT_EQ(board().size(), 100);
    EXPECT_EQ(board().last(), "149");
}

TEST_F(main_window_pass, a_rerun_writes_a_historic_pane_again_and_leaves_the_cycle_as_it_was) {
    add(QStringLiteral("q"), {1, "L0815", 1, "Transmission", 100, 0});
    add(QStringLiteral("q"), {2, "L0815", 2, "Transmission", 200, 0});
    add(QStringLiteral("q"), {3, "L0999", 1, "Transmission", 300, 0});
    stamp_ = QDateTime(QDate(2016, 5, 17), QTime(1, 0));
    add(QStringLiteral("q"), {4, "L0815", 3, "Transmission", 400, 0});
    stamp_ = QDateTime(QDate(2016, 5, 16), QTime(2, 0));
    add(QStringLiteral("q"), {5, "O'Brien", 1, "Transmission", 500, 0});
    main_window& w = started();
    pass();
    ASSERT_EQ(files("T").size(), 5);
    QDir(channel("T")).removeRecursively();
    QDir().mkpath(channel("T"));

    w.Timer1->start();
    rerun(w, "L0815", QDate(2016, 5, 16));
    EXPECT_EQ(files("T"),
              (QStringList{"L0815___T___100___0___0.xy", "L0815___T___200___0___0.xy"}));
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 5);
    EXPECT_TRUE(w.Timer1->isActive());

    // The load id is a text in the statement, whatever it holds.
    rerun(w, "O'Brien", QDate(2016, 5, 16));
    EXPECT_TRUE(files("T").contains("O'Brien___T___500___0___0.xy"));
    rerun(w, "x' or '1'='1", QDate(2016, 5, 16));
    EXPECT_EQ(files("T").size(), 3);
    // The window keeps what was chosen.
    EXPECT_EQ(w.my_pane_selection->LoadID_editor->text(), "x' or '1'='1");
    w.Timer1->stop();
}

TEST_F(main_window_pass, a_rerun_that_fails_midway_restores_index_and_timer) {
    add(QStringLiteral("q"), {1, "L1", 1, "Transmission"});
    main_window& w = started();
    pass();
    ASSERT_TRUE(QSqlQuery(database("q")).exec("drop table WavelengtsArrays"));
    w.lumotrax_q_sql_access_form->last_processed_record = 7;
    w.Timer1->start();
    rerun(w, "L1", QDate(2016, 5, 16));
    EXPECT_EQ(ui().messages.size(), 1); // reported once
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 7);
    EXPECT_TRUE(w.Timer1->isActive());
    w.Timer1->stop();
}

// The strip, the plot and status.json over a Q and a P database; no sheet resistance.
TEST_F(main_window_pass, operator_view_follows_the_passes) {
    add(QStringLiteral("q"), {1, "L1", 1, "Transmission", 10, 0, "0.1;NaN;x;0.4"},
        "380;381;382;383");
    for (int id = 1; id <= 130; ++id)
        add(QStringLiteral("p"), {id, "L2", id, "Reflection Film", double(id), 0});
    settings(
        {QStringLiteral("Lumotrax Q connection string"), connection_string(QStringLiteral("q")),
         QStringLiteral("Lumotrax P connection string"), connection_string(QStringLiteral("p"))});
    main_window& w = create();
    auto* strip = w.findChild<health_strip*>(QStringLiteral("health_strip"));
    auto* plot = w.findChild<spectrum_plot*>(QStringLiteral("spectrum_plot"));
    ASSERT_TRUE(strip && plot);
    const auto text = [&](const char* part, int row) {
        auto* label = w.findChild<QLabel*>(QStringLiteral("%1_%2").arg(part).arg(row));
        return label ? label->text() : QStringLiteral("<missing>");
    };
    const auto mark = [&](int row) {
        auto* dot = w.findChild<QWidget*>(QStringLiteral("health_mark_%1").arg(row));
        return dot ? dot->property("mark").toString() : QStringLiteral("<missing>");
    };
    ASSERT_EQ(strip->rows(), 3);
    EXPECT_EQ(text("health_row", 0), "Lumotrax Q");
    EXPECT_EQ(text("health_row", 1), "Lumotrax P");
    EXPECT_EQ(text("health_row", 2), "Sheet resistance");
    EXPECT_EQ(text("health_state", 2), "not configured");
    EXPECT_EQ(mark(2), "none");

    w.start_with_latest_processed_record->setChecked(true);
    w.active_button->click();
    pass();
    EXPECT_EQ(text("health_state", 0), "up to date");
    EXPECT_EQ(mark(0), "green");
    EXPECT_TRUE(text("health_delivery", 0).endsWith("L1___T___10___0___0.xy"));
    // P reads a hundred records a pass.
    EXPECT_EQ(text("health_state", 1), "catching up: 30 records");
    EXPECT_EQ(mark(1), "amber");

    const auto& channels = plot->channels();
    ASSERT_EQ(channels.count(QStringLiteral("T")), 1u);
    EXPECT_EQ(channels.at(QStringLiteral("T")).file_name, "L1___T___10___0___0.xy");
    EXPECT_EQ(channels.at(QStringLiteral("T")).data.points.size(), 2u);
    EXPECT_EQ(channels.at(QStringLiteral("T")).data.left_out, 2);
    EXPECT_EQ(channels.count(QStringLiteral("RF")), 1u);

    const auto status = [&] {
        QFile file(QDir(board::home_log_folder()).filePath(QStringLiteral("status.json")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll())
            .object()[QStringLiteral("sources")]
            .toArray();
    };
    QJsonArray sources = status();
    ASSERT_EQ(sources.size(), 3);
    EXPECT_EQ(sources[1].toObject()[QStringLiteral("index")].toInteger(), 100);
    EXPECT_EQ(sources[1].toObject()[QStringLiteral("backlog")].toInteger(), 30);
    EXPECT_FALSE(sources[2].toObject()[QStringLiteral("configured")].toBool());

    // The P table goes away: its row shows the error, Q stays green.
    QSqlQuery(database(QStringLiteral("p")))
        .exec(QStringLiteral("alter table Spectra rename to gone"));
    pass();
    EXPECT_TRUE(text("health_state", 1).startsWith("error since "));
    EXPECT_EQ(text("health_state", 0), "up to date");
    EXPECT_EQ(mark(0), "green");
    sources = status();
    EXPECT_TRUE(sources[1].toObject()[QStringLiteral("in_error")].toBool());
    EXPECT_FALSE(sources[1].toObject()[QStringLiteral("last_error")].toString().isEmpty());
    EXPECT_FALSE(sources[0].toObject()[QStringLiteral("in_error")].toBool());
    w.Timer1->stop();
}

} // namespace
