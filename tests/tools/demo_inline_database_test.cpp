#include "demo_database/inline_database.h"
#include "scratch_fixture.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

#include <stdexcept>

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

} // namespace
