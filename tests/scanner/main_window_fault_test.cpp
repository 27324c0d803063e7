// Faults during the database passes: a database that fails mid-pass or goes away between
// passes, a destination that cannot take a file. However a pass ends, no stored or kept
// index passes a record whose file was not written, and once the fault is gone every
// record's file arrives, each record handled once more at most.
#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "tests/scanner/main_window_site.h"
#include "tests/support/input_files.h"
#include "tools/demo_database/inline_database.h"

#include "tests/support/file_size_limit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

// One record of the test and the file it must give.
struct record {
    std::int64_t id;
    const char* load;
    int point;
    double longitudinal;
    const char* file;
};

class main_window_fault : public main_window_site {
protected:
    main_window_fault() {
        write_table(path(QStringLiteral("program/ovix_assignment.bin")),
                    {{"Transmission", "T"}, {"Sheet Resistance", "T"}});
        write_table(path(QStringLiteral("program/spectrum_nicknames.bin")),
                    {{"Transmission", "T"}, {"Sheet Resistance", "R_sq"}});
        database(QStringLiteral("q"));
        database(QStringLiteral("p"));
        QDir().mkpath(results());
    }

    void add(const QString& db, const record& r) {
        demo_db::spectrum_row row;
        row.id = r.id;
        row.load_id = QString::fromUtf8(r.load);
        row.meas_point_index = r.point;
        row.result_name = QStringLiteral("Transmission");
        row.longitudinal_position_relative_mm = r.longitudinal;
        row.values = QStringLiteral("0.1;0.2;0.3");
        row.timestamp = QDateTime(QDate(2016, 5, 16), QTime(10, 30));
        row.result_id = QStringLiteral("{R-%1}").arg(r.id);
        row.run_id = 1000 + r.id;
        demo_db::insert_spectrum(database(db), row);
        demo_db::insert_wavelengths(database(db), row.result_id, row.run_id,
                                    QStringLiteral("380;381;382"));
    }

    void add_sheet_resistance(const record& r) {
        demo_db::scalar_row row;
        row.id = r.id;
        row.load_id = QString::fromUtf8(r.load);
        row.meas_point_index = r.point;
        row.longitudinal_position_relative_mm = r.longitudinal;
        row.value = 10.0 + r.id;
        row.result_name = QStringLiteral("Sheet resistance");
        demo_db::insert_scalar(database(QStringLiteral("q")), row);
    }

    // The next case starts without indices, also without their previous copies.
    void remove_index_files() const {
        for (const char* source : {"q", "p", "sheetresistance"})
            for (const char* suffix : {"", ".previous"})
                QFile::remove(path(QStringLiteral("program/last_lumotrax_%1_index.ini%2")
                                       .arg(QLatin1String(source), QLatin1String(suffix))));
    }

    void sql(const QString& db, const QString& statement) {
        QSqlQuery query(database(db));
        ASSERT_TRUE(query.exec(statement))
            << statement.toStdString() << ": " << query.lastError().text().toStdString();
    }

    main_window& started() {
        settings(QStringList{
            QStringLiteral("Lumotrax Q connection string"), connection_string(QStringLiteral("q")),
            QStringLiteral("Lumotrax P connection string"), connection_string(QStringLiteral("p")),
            QStringLiteral("Sheetresistance connection string"),
            connection_string(QStringLiteral("q"))});
        main_window& w = create();
        w.start_with_latest_processed_record->setChecked(true);
        w.active_button->click();
        return w;
    }

    QString measurements() const {
        return path(QStringLiteral("kalix/database/products/DemoCoating/measurements"));
    }
    QString channel() const { return measurements() + QStringLiteral("/T/new"); }
    QString results() const { return measurements() + QStringLiteral("/new_results"); }
    QStringList files(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void remove_files(const QString& folder) const {
        for (const QString& file : files(folder))
            QFile::remove(folder + QDir::separator() + file);
    }

    // No index, kept or stored, stands at or beyond a record whose file is missing.
    void expect_index_behind_unwritten(std::int64_t index, const QString& stored_file,
                                       const QString& folder, const std::vector<record>& records) {
        const QByteArray stored = read_file(path(QStringLiteral("program/") + stored_file));
        for (const record& r : records) {
            if (QFile::exists(folder + QDir::separator() + QLatin1String(r.file)))
                continue;
            EXPECT_LT(index, r.id) << r.file << " is missing";
            if (!stored.isEmpty()) {
                EXPECT_LT(stored.trimmed().toLongLong(), r.id) << r.file << " is missing";
            }
        }
    }
};

constexpr const char* xy = "380\t0.1\r\n381\t0.2\r\n382\t0.3\r\n";

// Ids run across the loads, so the Q query order (load, point) is not the Id order: the
// third record handled, Id 2, is the one the fault strikes.
const std::vector<record> q_records{
    {1, "L3", 1, 100, "L3___T___100___0___0.xy"}, {2, "L2", 1, 200, "L2___T___200___0___0.xy"},
    {3, "L1", 1, 300, "L1___T___300___0___0.xy"}, {4, "L3", 2, 400, "L3___T___400___0___0.xy"},
    {5, "L2", 2, 500, "L2___T___500___0___0.xy"}, {6, "L1", 2, 600, "L1___T___600___0___0.xy"},
};

class main_window_q_fault : public main_window_fault {
public:
    // The fixture's helpers for the fault table.
    using main_window_fault::channel;
    using main_window_fault::sql;
    QString big_values() const {
        QStringList values;
        for (int i = 0; i < 100; ++i)
            values << QStringLiteral("0.%1").arg(1000 + i);
        return values.join(u';');
    }
    QString big_wavelengths() const {
        QStringList wavelengths;
        for (int i = 0; i < 100; ++i)
            wavelengths << QString::number(380 + i);
        return wavelengths.join(u';');
    }
    QByteArray big_xy() const {
        QByteArray content;
        for (int i = 0; i < 100; ++i)
            content += QByteArray::number(380 + i) + "\t0." + QByteArray::number(1000 + i) + "\r\n";
        return content;
    }
};

// A fault that strikes record 2 of a pass and is lifted afterwards. A fault of the
// environment ends the step; a fault of the record lets the others of the pass through.
struct q_fault {
    const char* name;
    std::function<void(main_window_q_fault&)> strike;
    std::function<void(main_window_q_fault&)> lift;
    bool of_the_record = false;
    bool full_disk = false; // the pass runs under a file-size limit (lifted with the fault)
};

TEST_F(main_window_q_fault, a_q_pass_that_fails_midway_loses_no_record_and_resumes) {
    const std::vector<q_fault> faults{
        {"the wavelength table fails for one record",
         [](main_window_q_fault& f) {
             f.sql("q", "alter table WavelengtsArrays rename to wavelengths_kept");
             f.sql("q", "create table broken (ResultID text)");
             f.sql("q", "insert into broken values ('{R-2}')");
             // SQLite's abs() of the smallest integer is an error: the query of that one
             // result fails as a database that broke down would.
             f.sql("q", "create view WavelengtsArrays as select ResultID, Run_ID, case when "
                        "ResultID in (select ResultID from broken) then "
                        "abs(-9223372036854775807 - 1) else Wavelengths end as Wavelengths "
                        "from wavelengths_kept");
         },
         [](main_window_q_fault& f) { f.sql("q", "delete from broken"); }},
        {"a record that cannot be read",
         [](main_window_q_fault& f) {
             f.sql("q", "update Spectra set LongitudinalPositionRelativeMm = 'x' where Id = 2");
         },
         [](main_window_q_fault& f) {
             f.sql("q", "update Spectra set LongitudinalPositionRelativeMm = 200 where Id = 2");
         },
         true},
        {"a folder stands where the file must go",
         [](main_window_q_fault& f) {
             ASSERT_TRUE(QDir().mkpath(f.channel() + "/L2___T___200___0___0.xy"));
         },
         [](main_window_q_fault& f) {
             ASSERT_TRUE(QDir(f.channel() + "/L2___T___200___0___0.xy").removeRecursively());
         },
         true},
        {"the destination is full",
         [](main_window_q_fault& f) {
             f.sql("q", "update Spectra set \"Values\" = '" + f.big_values() + "' where Id = 2");
             f.sql("q", "update WavelengtsArrays set Wavelengths = '" + f.big_wavelengths() +
                            "' where ResultID = '{R-2}'");
         },
         [](main_window_q_fault&) {}, false, true},
    };
    for (const q_fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        if (fault.full_disk && !file_size_limit::supported) {
            file_size_limit::report_row_left_out(fault.name);
            continue;
        }
        for (const record& r : q_records)
            add("q", r);
        fault.strike(*this);
        main_window& w = started();
        {
            std::unique_ptr<file_size_limit> limit;
            if (fault.full_disk)
                limit = std::make_unique<file_size_limit>(512);
            pass();
        }
        if (fault.of_the_record) {
            // The other five get through.
            EXPECT_EQ(files(channel()).size(), 5);
        } else {
            EXPECT_TRUE(w.action_label->text().startsWith("Lumotrax Q: "))
                << w.action_label->text().toStdString();
            // Two of the six were written before the fault struck.
            EXPECT_EQ(files(channel()),
                      (QStringList{"L1___T___300___0___0.xy", "L1___T___600___0___0.xy"}));
        }
        expect_index_behind_unwritten(w.lumotrax_q_sql_access_form->last_processed_record,
                                      "last_lumotrax_q_index.ini", channel(), q_records);

        fault.lift(*this);
        pass();
        EXPECT_EQ(board().contains("Lumotrax Q working again."), !fault.of_the_record)
            << board().join('\n').toStdString();
        QStringList expected;
        for (const record& r : q_records)
            expected << r.file;
        expected.sort();
        EXPECT_EQ(files(channel()), expected);
        for (const record& r : q_records)
            EXPECT_EQ(read_file(channel() + "/" + r.file),
                      r.id == 2 && fault.full_disk ? big_xy() : QByteArray(xy))
                << r.file;
        EXPECT_TRUE(QDir(channel()).entryList({"*.tmp"}, QDir::Files).isEmpty());
        EXPECT_EQ(read_file(path("program/last_lumotrax_q_index.ini")), "6\r\n");

        // Nothing is handled once more.
        remove_files(channel());
        pass();
        EXPECT_TRUE(files(channel()).isEmpty());

        window_.reset();
        sql("q", "drop table Spectra");
        QString kind = QStringLiteral("table");
        {
            QSqlQuery type(database("q"));
            type.exec("select type from sqlite_master where name = 'WavelengtsArrays'");
            if (type.next())
                kind = type.value(0).toString();
        }
        sql("q", "drop " + kind + " WavelengtsArrays");
        sql("q", "drop table if exists wavelengths_kept");
        sql("q", "drop table if exists broken");
        demo_db::create_inline_tables(database("q"));
        remove_index_files();
    }
}

// Sheet resistances come newest first: the fault strikes the third, Id 3.
const std::vector<record> sr_records{
    {1, "L1", 1, 100, "L1___100___0___0___SR.txt"}, {2, "L1", 2, 200, "L1___200___0___0___SR.txt"},
    {3, "L1", 3, 300, "L1___300___0___0___SR.txt"}, {4, "L1", 4, 400, "L1___400___0___0___SR.txt"},
    {5, "L1", 5, 500, "L1___500___0___0___SR.txt"},
};

TEST_F(main_window_fault, a_sheet_resistance_pass_that_fails_midway_loses_no_record) {
    struct test_case {
        const char* name;
        const char* strike;
        const char* lift;
        bool full_disk; // a fault of the environment; the other one is the record's
    };
    const std::vector<test_case> cases{
        {"a record that cannot be read",
         "update ScalarResults set LongitudinalPositionRelativeMm = 'x' where Id = 3",
         "update ScalarResults set LongitudinalPositionRelativeMm = 300 where Id = 3", false},
        {"the destination is full", nullptr, nullptr, true},
    };
    const QString long_value(600, u'7');
    for (const test_case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.full_disk && !file_size_limit::supported) {
            file_size_limit::report_row_left_out(c.name);
            continue;
        }
        for (const record& r : sr_records)
            add_sheet_resistance(r);
        if (c.strike)
            sql("q", c.strike);
        if (c.full_disk)
            sql("q", "update ScalarResults set Value = 'x" + long_value + "' where Id = 3");
        main_window& w = started();
        {
            std::unique_ptr<file_size_limit> limit;
            if (c.full_disk)
                limit = std::make_unique<file_size_limit>(512);
            pass();
        }
        if (c.full_disk) {
            EXPECT_TRUE(w.action_label->text().startsWith("Sheet resistance: "))
                << w.action_label->text().toStdString();
            EXPECT_EQ(files(results()),
                      (QStringList{"L1___400___0___0___SR.txt", "L1___500___0___0___SR.txt"}));
        } else {
            EXPECT_EQ(files(results()).size(), 4);
        }
        expect_index_behind_unwritten(w.sheetresistance_sql_access_form->last_processed_record,
                                      "last_lumotrax_sheetresistance_index.ini", results(),
                                      sr_records);

        if (c.lift)
            sql("q", c.lift);
        pass();
        EXPECT_EQ(board().contains("Sheet resistance working again."), c.full_disk)
            << board().join('\n').toStdString();
        QStringList expected;
        for (const record& r : sr_records)
            expected << r.file;
        EXPECT_EQ(files(results()), expected);
        for (const record& r : sr_records) {
            const QStringList lines =
                QString::fromLatin1(read_file(results() + "/" + r.file)).split("\r\n");
            ASSERT_EQ(lines.size(), 12) << r.file;
            EXPECT_EQ(lines[1],
                      r.id == 3 && c.full_disk ? "x" + long_value : QString::number(10 + r.id))
                << r.file;
        }
        EXPECT_EQ(read_file(path("program/last_lumotrax_sheetresistance_index.ini")), "5\r\n");
        remove_files(results());
        pass();
        EXPECT_TRUE(files(results()).isEmpty());

        window_.reset();
        sql("q", "delete from ScalarResults");
        remove_index_files();
    }
}

TEST_F(main_window_fault, a_database_gone_between_passes_is_picked_up_within_two_passes) {
    struct test_case {
        const char* name;
        const char* db;
        const char* step;
        const char* index_file;
    };
    for (const test_case& c : {test_case{"Q", "q", "Lumotrax Q", "last_lumotrax_q_index.ini"},
                               test_case{"P", "p", "Lumotrax P", "last_lumotrax_p_index.ini"}}) {
        SCOPED_TRACE(c.name);
        for (const record& r : {q_records[0], q_records[1], q_records[2]})
            add(c.db, r);
        main_window& w = started();
        pass();
        ASSERT_EQ(files(channel()).size(), 3);
        remove_files(channel());

        // The table goes away under the open connection, and new records wait meanwhile.
        sql(c.db, "alter table Spectra rename to spectra_away");
        pass();
        pass();
        EXPECT_TRUE(w.action_label->text().startsWith(QLatin1String(c.step) + ": "))
            << w.action_label->text().toStdString();
        EXPECT_EQ(read_file(path(QStringLiteral("program/") + c.index_file)), "3\r\n");
        sql(c.db, "alter table spectra_away rename to Spectra");
        for (const record& r : {q_records[3], q_records[4], q_records[5]})
            add(c.db, r);

        for (int i = 0; i < 2 && files(channel()).size() < 3; ++i)
            pass();
        EXPECT_TRUE(board().contains(QLatin1String(c.step) + " working again."))
            << board().join('\n').toStdString();
        EXPECT_EQ(files(channel()),
                  (QStringList{"L1___T___600___0___0.xy", "L2___T___500___0___0.xy",
                               "L3___T___400___0___0.xy"}));
        EXPECT_EQ(read_file(path(QStringLiteral("program/") + c.index_file)), "6\r\n");
        remove_files(channel());
        pass();
        EXPECT_TRUE(files(channel()).isEmpty());

        window_.reset();
        sql(c.db, "delete from Spectra");
        sql(c.db, "delete from WavelengtsArrays");
        remove_index_files();
    }
}

} // namespace
