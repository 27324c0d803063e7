// The main window run unattended: no box holds up a pass, one source that fails keeps
// none of the others, and what the operator chose survives a restart.
#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/sprachen.h"
#include "tests/scanner/main_window_site.h"
#include "tools/demo_database/inline_database.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

class main_window_unattended : public main_window_site {
protected:
    main_window_unattended() {
        sprachen ovix;
        sprachen nicknames;
        for (auto [name, channel, nickname] :
             {std::tuple{"Transmission", "T", "T"}, {"Sheet Resistance", "RC", "R_sq"}}) {
            for (auto [table, mapped] : {std::pair{&ovix, channel}, {&nicknames, nickname}}) {
                table->anzahl_vokabeln_plus();
                table->meine_liste.back()[0] = QString::fromUtf8(name);
                table->meine_liste.back()[1] = QString::fromUtf8(mapped);
            }
        }
        ovix.save_to_file(path(QStringLiteral("program/ovix_assignment.bin")));
        nicknames.save_to_file(path(QStringLiteral("program/spectrum_nicknames.bin")));
        database(QStringLiteral("q"));
        database(QStringLiteral("p"));
        QDir().mkpath(results());
    }

    void add(const char* db, std::int64_t id, const QString& load, int point) {
        demo_db::spectrum_row row;
        row.id = id;
        row.load_id = load;
        row.meas_point_index = point;
        row.result_name = QStringLiteral("Transmission");
        row.longitudinal_position_relative_mm = 100.0 * point;
        row.values = QStringLiteral("0.1;0.2");
        row.timestamp = QDateTime(QDate(2026, 12, 11), QTime(8, 0));
        row.result_id = QStringLiteral("{R-%1}").arg(id);
        row.run_id = 1000 + id;
        demo_db::insert_spectrum(database(QString::fromLatin1(db)), row);
        demo_db::insert_wavelengths(database(QString::fromLatin1(db)), row.result_id, row.run_id,
                                    QStringLiteral("380;381"));
    }
    void add_sheet_resistance(std::int64_t id, const QString& load, int point) {
        demo_db::scalar_row row;
        row.id = id;
        row.load_id = load;
        row.meas_point_index = point;
        row.longitudinal_position_relative_mm = 100.0 * point;
        row.value = 10.0 + id;
        row.result_name = QStringLiteral("Sheet resistance");
        demo_db::insert_scalar(database(QStringLiteral("q")), row);
    }
    void sql(const char* db, const QString& text) {
        QSqlQuery query(database(QString::fromLatin1(db)));
        ASSERT_TRUE(query.exec(text)) << text.toStdString();
    }

    main_window& started(bool with_sheet_resistance = true) {
        QStringList lines{
            QStringLiteral("Lumotrax Q connection string"), connection_string(QStringLiteral("q")),
            QStringLiteral("Lumotrax P connection string"), connection_string(QStringLiteral("p"))};
        if (with_sheet_resistance)
            lines << QStringLiteral("Sheetresistance connection string")
                  << connection_string(QStringLiteral("q"));
        settings(lines);
        main_window& w = create();
        w.start_with_latest_processed_record->setChecked(true);
        w.active_button->click();
        return w;
    }

    QString channel() const {
        return path(QStringLiteral("kalix/database/products/DemoCoating/measurements/T/new"));
    }
    QString results() const {
        return path(QStringLiteral("kalix/database/products/DemoCoating/measurements/new_results"));
    }
    QStringList take_files(const QString& folder) const {
        const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
        for (const QString& name : names)
            QFile::remove(folder + u'/' + name);
        return names;
    }
};

TEST_F(main_window_unattended, a_box_left_open_holds_up_no_pass) {
    add("q", 1, QStringLiteral("L1"), 1);
    main_window& w = started(false);
    sql("p", QStringLiteral("alter table Spectra rename to spectra_away"));
    pass();
    EXPECT_EQ(take_files(channel()), QStringList{QStringLiteral("L1___T___100___0___0.xy")});
    ASSERT_EQ(ui().open_notices(), 1);

    // Nobody answers; Q records go on arriving, and the same error shows no second box.
    for (int id = 2; id <= 4; ++id) {
        add("q", id, QStringLiteral("L1"), id);
        pass();
        EXPECT_EQ(take_files(channel()).size(), 1) << id;
    }
    EXPECT_EQ(ui().open_notices(), 1);
    EXPECT_EQ(ui().messages.size(), 1);
    // Four passes, a line for each kind of error (the client words its first failure on a
    // vanished table differently), the repeats counted on it.
    const QStringList errors = board().filter(QStringLiteral("Lumotrax P: "));
    EXPECT_LE(errors.size(), 2) << errors.join(u'\n').toStdString();
    EXPECT_TRUE(errors.last().contains(QStringLiteral("(repeated ")))
        << errors.join(u'\n').toStdString();
    EXPECT_TRUE(w.action_label->text().startsWith(QStringLiteral("Lumotrax P: ")));

    sql("p", QStringLiteral("alter table spectra_away rename to Spectra"));
    add("p", 1, QStringLiteral("L9"), 1);
    pass();
    EXPECT_TRUE(board().contains(QStringLiteral("Lumotrax P working again.")));
    EXPECT_EQ(take_files(channel()), QStringList{QStringLiteral("L9___T___100___0___0.xy")});
    ui().close_notices();
}

// A poison record in Q, behind good ones: they arrive once, P and sheet resistance are not
// held up, and the poison record ends in the list of records set aside.
TEST_F(main_window_unattended, a_poison_record_stops_no_source) {
    add("q", 1, QStringLiteral("L1"), 1);
    add("q", 2, QString(260, u'x'), 1);
    add("q", 3, QStringLiteral("L3"), 1);
    add("p", 1, QStringLiteral("P1"), 1);
    add_sheet_resistance(10, QStringLiteral("S1"), 1);
    main_window& w = started();
    pass();
    EXPECT_EQ(take_files(channel()), (QStringList{QStringLiteral("L1___T___100___0___0.xy"),
                                                  QStringLiteral("L3___T___100___0___0.xy"),
                                                  QStringLiteral("P1___T___100___0___0.xy")}));
    EXPECT_EQ(take_files(results()), QStringList{QStringLiteral("S1___100___0___0___SR.txt")});
    const QString list = QString::fromUtf8(read_file(w.set_aside_file()));
    EXPECT_TRUE(list.contains(QStringLiteral(",Lumotrax Q,2,") + QString(260, u'x')))
        << list.toStdString();
    EXPECT_TRUE(w.action_label->text().endsWith(QStringLiteral("1 records set aside")))
        << w.action_label->text().toStdString();
    EXPECT_EQ(read_file(path(QStringLiteral("program/last_lumotrax_q_index.ini"))), "3\r\n");
    pass();
    EXPECT_TRUE(take_files(channel()).isEmpty());
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(main_window_unattended, ending_the_program_writes_no_connection_file) {
    main_window& w = started();
    w.FormClose();
    EXPECT_FALSE(QFile::exists(home_file_name(QStringLiteral("lumotrax_sql_connection.bin"))));
    // Closing a record source window does.
    w.lumotrax_p_sql_access_form->FormClose();
    EXPECT_TRUE(QFile::exists(home_file_name(QStringLiteral("lumotrax_sql_connection.bin"))));
}

TEST_F(main_window_unattended, the_start_choice_outlives_the_program) {
    write_file(QStringLiteral("program/kalix_scanner.ini"),
               "input\r\nOVIX1\r\nFalse\r\n1\r\n1\r\n\r\nInsitu input path\r\n\r\n\r\n0\r\n\r\n"
               "true\r\n");
    main_window& first = create();
    EXPECT_FALSE(first.start_with_latest_processed_record->isChecked());
    first.start_with_latest_processed_record->setChecked(true);
    // Kept at once: a crash now still finds it.
    window_.reset();
    main_window& second = create();
    EXPECT_TRUE(second.start_with_latest_processed_record->isChecked());
}

TEST_F(main_window_unattended, an_index_beyond_the_newest_record_is_said) {
    add("q", 1, QStringLiteral("L1"), 1);
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"), "99999999\r\n");
    settings(
        {QStringLiteral("Lumotrax Q connection string"), connection_string(QStringLiteral("q"))});
    main_window& w = create();
    ASSERT_EQ(ui().messages.size(), 1);
    EXPECT_TRUE(ui().messages.first().contains(QStringLiteral("99999999")));
    EXPECT_TRUE(ui().messages.first().contains(QStringLiteral("\"Get newest record\"")));
    EXPECT_EQ(board().filter(QStringLiteral("lies beyond the newest record 1")).size(), 1);
    EXPECT_TRUE(w.action_label->text().contains(QStringLiteral("99999999")));
    ui().close_notices();
}

TEST_F(main_window_unattended, a_garbage_index_falls_back_to_its_previous_copy) {
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini"), "\x01garbage");
    write_file(QStringLiteral("program/last_lumotrax_q_index.ini.previous"), "41\r\n");
    main_window& w = create();
    EXPECT_EQ(w.lumotrax_q_sql_access_form->last_processed_record, 41);
    EXPECT_FALSE(board().filter(QStringLiteral("last_lumotrax_q_index.ini")).isEmpty());
}

TEST_F(main_window_unattended, leftovers_of_a_killed_run_are_removed_and_nobody_elses) {
    write_file(QStringLiteral("kalix/database/products/DemoCoating/measurements/T/new/"
                              "lsq_12_345_6789.tmp"),
               "half");
    write_file(QStringLiteral("kalix/database/products/DemoCoating/measurements/T/new/"
                              "12_345_6789.tmp"),
               "somebody else's");
    create();
    EXPECT_EQ(QDir(channel()).entryList(QDir::Files),
              QStringList{QStringLiteral("12_345_6789.tmp")});
}

} // namespace
