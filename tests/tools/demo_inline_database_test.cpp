#include "tests/support/scratch_fixture.h"
#include "tools/demo_database/inline_database.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class demo_inline_database : public scratch_fixture {
protected:
    ~demo_inline_database() override {
        for (const QString& name : opened_) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }

    // A fresh connection to the file; several may be open on the same file at once.
    QSqlDatabase open(const QString& file = QStringLiteral("inline.db")) {
        const QString name = QStringLiteral("demo_test_%1").arg(opened_.size());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path(file));
        EXPECT_TRUE(db.open());
        opened_ << name;
        return db;
    }

    static QSqlQuery select(QSqlDatabase& db, const QString& sql) {
        QSqlQuery query(db);
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
        return query;
    }

    static QStringList columns(QSqlDatabase& db, const QString& table) {
        const QSqlRecord record = db.record(table);
        QStringList names;
        for (int i = 0; i < record.count(); ++i)
            names << record.fieldName(i);
        return names;
    }

    // The reader's literal lookup of a record's wavelength grid.
    static QString wavelengths_of(QSqlDatabase& db, const QString& result_id,
                                  const QString& run_id) {
        const QString line_break = QStringLiteral("\n\r");
        QSqlQuery query = select(
            db, QStringLiteral("select * from WavelengtsArrays") + line_break +
                    QStringLiteral("where ResultID='") + result_id + QStringLiteral("'") +
                    line_break + QStringLiteral("and Run_ID='") + run_id + QStringLiteral("'"));
        return query.next() ? query.value(QStringLiteral("Wavelengths")).toString() : QString();
    }

private:
    QStringList opened_;
};

TEST_F(demo_inline_database, tables_have_the_columns_the_readers_name) {
    QSqlDatabase db = open();
    demo_db::create_inline_tables(db);
    demo_db::create_inline_tables(db); // again on existing tables: no error

    EXPECT_EQ(columns(db, QStringLiteral("Spectra")),
              (QStringList{"Id", "Timestamp", "LoadId", "ResultName", "MeasPointIndex",
                           "LongitudinalPositionMm", "LateralPositionMm", "GroupInfo", "Run_Id",
                           "Unit_Id", "Tolerance", "LateralPositionRelativeMm",
                           "LongitudinalPositionRelativeMm", "MetaData_Id", "GlobalResultId",
                           "ResultId", "Values", "UsedInClusterStatistics"}));
    EXPECT_EQ(columns(db, QStringLiteral("WavelengtsArrays")),
              (QStringList{"ResultID", "Run_ID", "Wavelengths"}));
    EXPECT_EQ(columns(db, QStringLiteral("ScalarResults")),
              (QStringList{"Id",
                           "ResultId",
                           "GlobalResultId",
                           "Timestamp",
                           "LoadId",
                           "GroupInfo",
                           "ResultName",
                           "Source",
                           "LowerError",
                           "LowerWarning",
                           "Nominal",
                           "UpperWarning",
                           "UpperError",
                           "Value",
                           "Tolerance",
                           "MeasPointIndex",
                           "LateralPositionRelativeMm",
                           "LongitudinalPositionRelativeMm",
                           "LateralPositionMm",
                           "LongitudinalPositionMm",
                           "UsedInClusterStatistics",
                           "MetaData_Id",
                           "Run_Id",
                           "Unit_Id"}));
}

TEST_F(demo_inline_database, rows_read_back_as_the_readers_take_them) {
    QSqlDatabase db = open();
    demo_db::create_inline_tables(db);
    demo_db::spectrum_row row;
    row.timestamp = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2, 40));
    row.load_id = QStringLiteral("L0815");
    row.result_name = QStringLiteral("Transmission");
    row.meas_point_index = 3;
    row.run_id = 17;
    row.lateral_position_relative_mm = 250.5;
    row.result_id = QStringLiteral("{0f8fad5b-d9cb-469f-a165-70867728950e}");
    row.values = QStringLiteral("0.1;0.2");
    row.used_in_cluster_statistics = true;
    demo_db::insert_spectrum(db, row);
    row.id = 40; // an explicit Id is kept
    demo_db::insert_spectrum(db, row);
    demo_db::insert_wavelengths(db, row.result_id, row.run_id, QStringLiteral("380;385"));

    QSqlQuery query = select(db, QStringLiteral("select * from Spectra order by Id"));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(QStringLiteral("Id")).toLongLong(), 1);
    EXPECT_EQ(query.value(QStringLiteral("Timestamp")).toString(), "2024-03-07 09:05:02.040");
    EXPECT_EQ(query.value(QStringLiteral("Values")).toString(), "0.1;0.2");
    EXPECT_EQ(query.value(QStringLiteral("LateralPositionRelativeMm")).toDouble(), 250.5);
    EXPECT_TRUE(query.value(QStringLiteral("UsedInClusterStatistics")).toBool());
    EXPECT_EQ(wavelengths_of(db, query.value(QStringLiteral("ResultId")).toString(),
                             query.value(QStringLiteral("Run_Id")).toString()),
              "380;385");
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(QStringLiteral("Id")).toLongLong(), 40);

    EXPECT_EQ(wavelengths_of(db, row.result_id, QStringLiteral("18")), "");

    demo_db::scalar_row scalar;
    scalar.result_name = QStringLiteral("Sheet resistance");
    scalar.value = 5.25;
    demo_db::insert_scalar(db, scalar);
    QSqlQuery scalars = select(db, QStringLiteral("select Id, Value from ScalarResults where "
                                                  "resultname = 'Sheet resistance'"));
    ASSERT_TRUE(scalars.next());
    EXPECT_EQ(scalars.value(0).toLongLong(), 1);
    EXPECT_EQ(scalars.value(1).toString(), "5.25");
}

TEST_F(demo_inline_database, errors_carry_the_clients_text) {
    QSqlDatabase db = open();
    try {
        demo_db::insert_spectrum(db, {}); // no tables yet
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Spectra"), std::string::npos) << error.what();
    }
}

bool is_braced_guid(const QString& text) {
    static const QRegularExpression guid(
        QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    return text.size() == 38 && guid.match(text).hasMatch();
}

const QDateTime start(QDate(2024, 3, 7), QTime(23, 59, 50));

TEST_F(demo_inline_database, a_generated_load_is_complete_and_each_grid_is_found) {
    QSqlDatabase db =
        demo_db::open_database_file(path(QStringLiteral("line.db")), QStringLiteral("generator"));
    {
        demo_db::generator generator(db, {});
        const demo_db::appended load = generator.append_load(start);
        EXPECT_EQ(load.load_id, "L20240307-0001");
        EXPECT_EQ(load.first_point, 1);
        EXPECT_EQ(load.last_point, 5);
        EXPECT_EQ(load.spectra, 15);
        EXPECT_EQ(load.scalars, 5);
        EXPECT_EQ(load.last_spectrum_id, 15);
    }
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("generator"));

    // Read through a connection of its own, as the scanner does.
    QSqlDatabase reader = open(QStringLiteral("line.db"));
    QSqlQuery points =
        select(reader, QStringLiteral("select MeasPointIndex, count(*), count(distinct "
                                      "ResultName) from Spectra group by MeasPointIndex"));
    int point_count = 0;
    while (points.next()) {
        ++point_count;
        EXPECT_EQ(points.value(1).toInt(), 3) << "point " << points.value(0).toInt();
        EXPECT_EQ(points.value(2).toInt(), 3);
    }
    EXPECT_EQ(point_count, 5);

    QSet<QString> guids;
    QSqlQuery spectra = select(reader, QStringLiteral("select * from Spectra"));
    while (spectra.next()) {
        const QString result_id = spectra.value(QStringLiteral("ResultId")).toString();
        SCOPED_TRACE(result_id.toStdString());
        EXPECT_TRUE(is_braced_guid(result_id));
        EXPECT_TRUE(is_braced_guid(spectra.value(QStringLiteral("GlobalResultId")).toString()));
        guids << result_id << spectra.value(QStringLiteral("GlobalResultId")).toString();
        EXPECT_TRUE(QDateTime::fromString(spectra.value(QStringLiteral("Timestamp")).toString(),
                                          QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                        .isValid());

        const QStringList values = spectra.value(QStringLiteral("Values")).toString().split(u';');
        const QStringList grid =
            wavelengths_of(reader, result_id, spectra.value(QStringLiteral("Run_Id")).toString())
                .split(u';');
        EXPECT_EQ(values.size(), 125);
        EXPECT_EQ(grid.size(), 125);
        EXPECT_EQ(grid.first(), "380.0");
        EXPECT_EQ(grid.last(), "1000.0");
        for (const QString& value : values) {
            bool ok = false;
            const double v = QLocale::c().toDouble(value, &ok);
            EXPECT_TRUE(ok && v >= 0 && v <= 1) << value.toStdString();
        }
    }
    EXPECT_EQ(guids.size(), 30);

    QSqlQuery sheet = select(reader, QStringLiteral("select * from ScalarResults where "
                                                    "resultname = 'Sheet resistance'"));
    int sheet_count = 0;
    while (sheet.next()) {
        ++sheet_count;
        EXPECT_TRUE(is_braced_guid(sheet.value(QStringLiteral("ResultId")).toString()));
        EXPECT_EQ(sheet.value(QStringLiteral("LoadId")).toString(), "L20240307-0001");
        const double value = sheet.value(QStringLiteral("Value")).toDouble();
        EXPECT_TRUE(value > 4.5 && value < 6) << value;
    }
    EXPECT_EQ(sheet_count, 5);
}

TEST_F(demo_inline_database, a_reopened_file_is_continued_not_repeated) {
    QStringList first_ids;
    for (int run = 0; run < 2; ++run) {
        const QString name = QStringLiteral("run%1").arg(run);
        {
            QSqlDatabase db = demo_db::open_database_file(path(QStringLiteral("line.db")), name);
            demo_db::generator generator(db, {}); // the same seed both times
            const demo_db::appended load = generator.append_load(start);
            EXPECT_EQ(load.load_id, run == 0 ? "L20240307-0001" : "L20240307-0002");
            EXPECT_EQ(load.last_spectrum_id, 15 * (run + 1));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    QSqlDatabase reader = open(QStringLiteral("line.db"));
    QSqlQuery counts = select(reader, QStringLiteral("select count(distinct ResultId), "
                                                     "count(distinct Run_Id), count(*) from "
                                                     "Spectra"));
    ASSERT_TRUE(counts.next());
    EXPECT_EQ(counts.value(0).toInt(), 30);
    EXPECT_EQ(counts.value(1).toInt(), 2);
    EXPECT_EQ(counts.value(2).toInt(), 30);
    QSqlQuery grids = select(reader, QStringLiteral("select count(distinct ResultID) from "
                                                    "WavelengtsArrays"));
    ASSERT_TRUE(grids.next());
    EXPECT_EQ(grids.value(0).toInt(), 30);
}

TEST_F(demo_inline_database, points_appended_one_by_one_fill_a_load_then_start_the_next) {
    QSqlDatabase db = open();
    demo_db::generator_options options;
    options.points_per_load = 2;
    demo_db::generator generator(db, options);
    struct expected {
        QString load_id;
        int point;
    };
    const std::vector<expected> cases = {
        {"L20240307-0001", 1}, {"L20240307-0001", 2}, {"L20240308-0002", 1}}; // after midnight
    QDateTime at = start;
    for (const expected& c : cases) {
        const demo_db::appended point = generator.append_point(at);
        at = at.addSecs(5);
        EXPECT_EQ(point.load_id, c.load_id);
        EXPECT_EQ(point.first_point, c.point);
        EXPECT_EQ(point.last_point, c.point);
        EXPECT_EQ(point.spectra, 3);
        EXPECT_EQ(point.scalars, 1);
    }
}

} // namespace
