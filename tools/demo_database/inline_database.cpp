#include "demo_database/inline_database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace demo_db {

namespace {

[[noreturn]] void fail(const QSqlError& error) {
    throw std::runtime_error(error.text().toStdString());
}

void exec(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    if (!query.exec(sql))
        fail(query.lastError());
}

QSqlQuery prepare(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    if (!query.prepare(sql))
        fail(query.lastError());
    return query;
}

void run(QSqlQuery& query) {
    if (!query.exec())
        fail(query.lastError());
}

// Id 0 lets the database give the next rowid.
QVariant id_value(std::int64_t id) {
    return id == 0 ? QVariant(QMetaType::fromType<qlonglong>()) : QVariant(qlonglong(id));
}

// Stored as text so that the date functions of the reader's SQL see an ISO date.
QVariant timestamp_value(const QDateTime& timestamp) {
    if (!timestamp.isValid())
        return QVariant(QMetaType::fromType<QString>());
    return timestamp.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

// Commits on success; rolls back when the body throws.
template <typename Body> void in_transaction(QSqlDatabase& db, Body body) {
    if (!db.transaction())
        fail(db.lastError());
    try {
        body();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        fail(error);
    }
}

} // namespace

void create_inline_tables(QSqlDatabase& db) {
    exec(db, QStringLiteral("create table if not exists Spectra ("
                            "Id INTEGER PRIMARY KEY, "
                            "Timestamp TEXT, "
                            "LoadId TEXT, "
                            "ResultName TEXT, "
                            "MeasPointIndex INTEGER, "
                            "LongitudinalPositionMm REAL, "
                            "LateralPositionMm REAL, "
                            "GroupInfo TEXT, "
                            "Run_Id INTEGER, "
                            "Unit_Id INTEGER, "
                            "Tolerance INTEGER, "
                            "LateralPositionRelativeMm REAL, "
                            "LongitudinalPositionRelativeMm REAL, "
                            "MetaData_Id INTEGER, "
                            "GlobalResultId TEXT, "
                            "ResultId TEXT, "
                            "\"Values\" TEXT, "
                            "UsedInClusterStatistics BOOLEAN)"));
    // Run_ID has integer affinity: the reader's quoted decimal text is converted before
    // the comparison, so "Run_ID='17'" finds the row.
    exec(db, QStringLiteral("create table if not exists WavelengtsArrays ("
                            "ResultID TEXT, "
                            "Run_ID INTEGER, "
                            "Wavelengths TEXT)"));
    exec(db, QStringLiteral("create index if not exists WavelengtsArrays_key "
                            "on WavelengtsArrays (ResultID, Run_ID)"));
    exec(db, QStringLiteral("create table if not exists ScalarResults ("
                            "Id INTEGER PRIMARY KEY, "
                            "ResultId TEXT, "
                            "GlobalResultId TEXT, "
                            "Timestamp TEXT, "
                            "LoadId TEXT, "
                            "GroupInfo TEXT, "
                            "ResultName TEXT, "
                            "Source TEXT, "
                            "LowerError REAL, "
                            "LowerWarning REAL, "
                            "Nominal REAL, "
                            "UpperWarning REAL, "
                            "UpperError REAL, "
                            "Value REAL, "
                            "Tolerance INTEGER, "
                            "MeasPointIndex INTEGER, "
                            "LateralPositionRelativeMm REAL, "
                            "LongitudinalPositionRelativeMm REAL, "
                            "LateralPositionMm REAL, "
                            "LongitudinalPositionMm REAL, "
                            "UsedInClusterStatistics BOOLEAN, "
                            "MetaData_Id INTEGER, "
                            "Run_Id INTEGER, "
                            "Unit_Id INTEGER)"));
}

void insert_spectrum(QSqlDatabase& db, const spectrum_row& row) {
    QSqlQuery query = prepare(
        db, QStringLiteral("insert into Spectra (Id, Timestamp, LoadId, ResultName, "
                           "MeasPointIndex, LongitudinalPositionMm, LateralPositionMm, "
                           "GroupInfo, Run_Id, Unit_Id, Tolerance, LateralPositionRelativeMm, "
                           "LongitudinalPositionRelativeMm, MetaData_Id, GlobalResultId, "
                           "ResultId, \"Values\", UsedInClusterStatistics) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(id_value(row.id));
    query.addBindValue(timestamp_value(row.timestamp));
    query.addBindValue(row.load_id);
    query.addBindValue(row.result_name);
    query.addBindValue(row.meas_point_index);
    query.addBindValue(row.longitudinal_position_mm);
    query.addBindValue(row.lateral_position_mm);
    query.addBindValue(row.group_info);
    query.addBindValue(qlonglong(row.run_id));
    query.addBindValue(qlonglong(row.unit_id));
    query.addBindValue(row.tolerance);
    query.addBindValue(row.lateral_position_relative_mm);
    query.addBindValue(row.longitudinal_position_relative_mm);
    query.addBindValue(qlonglong(row.meta_data_id));
    query.addBindValue(row.global_result_id);
    query.addBindValue(row.result_id);
    query.addBindValue(row.values);
    query.addBindValue(row.used_in_cluster_statistics);
    run(query);
}

void insert_wavelengths(QSqlDatabase& db, const QString& result_id, std::int64_t run_id,
                        const QString& wavelengths) {
    QSqlQuery query = prepare(db, QStringLiteral("insert into WavelengtsArrays (ResultID, "
                                                 "Run_ID, Wavelengths) values (?, ?, ?)"));
    query.addBindValue(result_id);
    query.addBindValue(qlonglong(run_id));
    query.addBindValue(wavelengths);
    run(query);
}

void insert_scalar(QSqlDatabase& db, const scalar_row& row) {
    QSqlQuery query = prepare(
        db, QStringLiteral("insert into ScalarResults (Id, ResultId, GlobalResultId, Timestamp, "
                           "LoadId, GroupInfo, ResultName, Source, LowerError, LowerWarning, "
                           "Nominal, UpperWarning, UpperError, Value, Tolerance, MeasPointIndex, "
                           "LateralPositionRelativeMm, LongitudinalPositionRelativeMm, "
                           "LateralPositionMm, LongitudinalPositionMm, UsedInClusterStatistics, "
                           "MetaData_Id, Run_Id, Unit_Id) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                           "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(id_value(row.id));
    query.addBindValue(row.result_id);
    query.addBindValue(row.global_result_id);
    query.addBindValue(timestamp_value(row.timestamp));
    query.addBindValue(row.load_id);
    query.addBindValue(row.group_info);
    query.addBindValue(row.result_name);
    query.addBindValue(row.source);
    query.addBindValue(row.lower_error);
    query.addBindValue(row.lower_warning);
    query.addBindValue(row.nominal);
    query.addBindValue(row.upper_warning);
    query.addBindValue(row.upper_error);
    query.addBindValue(row.value);
    query.addBindValue(row.tolerance);
    query.addBindValue(row.meas_point_index);
    query.addBindValue(row.lateral_position_relative_mm);
    query.addBindValue(row.longitudinal_position_relative_mm);
    query.addBindValue(row.lateral_position_mm);
    query.addBindValue(row.longitudinal_position_mm);
    query.addBindValue(row.used_in_cluster_statistics);
    query.addBindValue(qlonglong(row.meta_data_id));
    query.addBindValue(qlonglong(row.run_id));
    query.addBindValue(qlonglong(row.unit_id));
    run(query);
}

} // namespace demo_db
