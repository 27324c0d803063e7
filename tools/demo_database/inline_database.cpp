#include "tools/demo_database/inline_database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cmath>
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

std::int64_t single_integer(QSqlDatabase& db, const QString& sql) {
    QSqlQuery query(db);
    if (!query.exec(sql))
        fail(query.lastError());
    return query.next() ? query.value(0).toLongLong() : 0;
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

QSqlDatabase open_database_file(const QString& file, const QString& connection_name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        fail(db.lastError());
    exec(db, QStringLiteral("pragma journal_mode=WAL"));
    create_inline_tables(db);
    return db;
}

QString wavelength_grid_text() {
    QStringList fields;
    for (int i = 0; i < grid_points; ++i)
        fields << QString::number(380.0 + 5.0 * i, 'f', 1);
    return fields.join(u';');
}

namespace {

constexpr double pane_length_mm = 6000;
constexpr double pane_width_mm = 3210;

double logistic(double x) {
    return 1 / (1 + std::exp(-x));
}

// Plausible curves of a low-emissivity coating on float glass, as fractions.
double curve(const QString& result_name, double nm) {
    if (result_name.contains(QStringLiteral("Transmission"), Qt::CaseInsensitive))
        return 0.08 + 0.78 * std::exp(-std::pow((nm - 560) / 260, 2));
    if (result_name.contains(QStringLiteral("Film"), Qt::CaseInsensitive))
        return 0.04 + 0.5 * logistic((nm - 760) / 55) +
               0.03 * std::exp(-std::pow((nm - 420) / 40, 2));
    if (result_name.contains(QStringLiteral("Glass"), Qt::CaseInsensitive))
        return 0.06 + 0.35 * logistic((nm - 780) / 60);
    return 0.5 + 0.1 * std::sin(nm / 50);
}

double tenth(double mm) {
    return std::round(mm * 10) / 10;
}

} // namespace

generator::generator(QSqlDatabase& db, generator_options options)
    : db_(db), options_(std::move(options)) {
    create_inline_tables(db_);
    // Load ids look like L20240307-0012; the number goes on across days and runs.
    next_load_number_ =
        1 + int(single_integer(db_, QStringLiteral("select max(cast(substr(LoadId, 11) as "
                                                   "integer)) from Spectra where LoadId like "
                                                   "'L________-%'")));
    next_run_id_ = 1 + std::max(single_integer(db_, QStringLiteral("select max(Run_Id) from "
                                                                   "Spectra")),
                                single_integer(db_, QStringLiteral("select max(Run_Id) from "
                                                                   "ScalarResults")));
    // Mixed with what is there already, so a re-opened file does not get the GUIDs again.
    const auto existing =
        std::uint32_t(single_integer(db_, QStringLiteral("select max(Id) from Spectra")));
    std::seed_seq seed{options_.seed, existing};
    random_.seed(seed);
    next_point_ = options_.points_per_load + 1;
}

double generator::uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
}

// Upper-case, as the production client renders its GUID columns.
QString generator::guid() {
    std::array<char, 16> bytes;
    for (char& byte : bytes)
        byte = char(random_() & 0xff);
    bytes[6] = char((bytes[6] & 0x0f) | 0x40); // version 4
    bytes[8] = char((bytes[8] & 0x3f) | 0x80); // RFC 4122 variant
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), bytes.size()))
        .toString(QUuid::WithBraces)
        .toUpper();
}

void generator::start_load(const QDateTime& at) {
    load_id_ = QStringLiteral("L%1-%2")
                   .arg(at.toString(QStringLiteral("yyyyMMdd")))
                   .arg(next_load_number_, 4, 10, QLatin1Char('0'));
    // The pane's place on the line: panes follow each other with a gap.
    load_offset_mm_ = next_load_number_ * (pane_length_mm + 500);
    ++next_load_number_;
    run_id_ = next_run_id_++;
    run_result_ids_.clear();
    load_sheet_resistance_ = uniform(5.0, 5.4);
    next_point_ = 1;
}

void generator::write_point(const QDateTime& at, appended& result) {
    const int count = std::max(1, options_.points_per_load);
    const int point = next_point_++;
    const double step = count > 1 ? (pane_length_mm - 600) / (count - 1) : 0;
    const double longitudinal = 300 + (point - 1) * step;
    const double lateral = 150 + ((point - 1) % 3) * (pane_width_mm - 300) / 2;
    const QString grid = wavelength_grid_text();
    // Each sensor head sits a little apart, so the records of one point differ slightly.
    auto place = [&](auto& row) {
        row.longitudinal_position_relative_mm = tenth(longitudinal + uniform(-1.5, 1.5));
        row.lateral_position_relative_mm = tenth(lateral + uniform(-1.5, 1.5));
        row.longitudinal_position_mm =
            tenth(load_offset_mm_ + row.longitudinal_position_relative_mm);
        row.lateral_position_mm = tenth(row.lateral_position_relative_mm - pane_width_mm / 2);
    };

    int k = 0;
    for (const QString& name : options_.spectrum_names) {
        spectrum_row row;
        row.timestamp = at.addMSecs(250 * k++);
        row.load_id = load_id_;
        row.result_name = name;
        row.meas_point_index = point;
        place(row);
        row.group_info = options_.group_info;
        row.run_id = run_id_;
        row.unit_id = 1;
        row.meta_data_id = run_id_;
        row.global_result_id = guid();
        row.result_id = guid();
        const bool new_grid =
            !options_.result_id_per_run || !run_result_ids_.contains(row.result_name);
        if (options_.result_id_per_run && new_grid)
            run_result_ids_.insert(row.result_name, row.result_id);
        else if (options_.result_id_per_run)
            row.result_id = run_result_ids_.value(row.result_name);
        const double shift = uniform(-8, 8), gain = uniform(0.98, 1.02);
        QStringList values;
        for (int i = 0; i < grid_points; ++i) {
            const double nm = 380.0 + 5.0 * i;
            const double v = gain * curve(name, nm - shift) + uniform(-0.002, 0.002);
            values << QString::number(std::clamp(v, 0.0, 1.0), 'f', 4);
        }
        row.values = values.join(u';');
        row.used_in_cluster_statistics = true;
        insert_spectrum(db_, row);
        if (new_grid)
            insert_wavelengths(db_, row.result_id, row.run_id, grid);
        ++result.spectra;
    }

    if (!options_.sheet_resistance_name.isEmpty()) {
        scalar_row row;
        row.result_id = guid();
        row.global_result_id = guid();
        row.timestamp = at.addMSecs(250 * k);
        row.load_id = load_id_;
        row.group_info = options_.group_info;
        row.result_name = options_.sheet_resistance_name;
        row.source = QStringLiteral("Eddy current sensor");
        row.lower_error = 4.6;
        row.lower_warning = 4.9;
        row.nominal = 5.2;
        row.upper_warning = 5.5;
        row.upper_error = 5.8;
        row.value = std::round((load_sheet_resistance_ + uniform(-0.08, 0.08)) * 1000) / 1000;
        row.tolerance = row.value < row.lower_warning || row.value > row.upper_warning ? 1 : 0;
        row.meas_point_index = point;
        place(row);
        row.used_in_cluster_statistics = true;
        row.meta_data_id = run_id_;
        row.run_id = run_id_;
        row.unit_id = 1;
        insert_scalar(db_, row);
        ++result.scalars;
    }

    if (result.first_point == 0)
        result.first_point = point;
    result.last_point = point;
}

appended generator::append_load(const QDateTime& start, int seconds_per_point) {
    appended result;
    start_load(start);
    result.load_id = load_id_;
    in_transaction(db_, [&] {
        for (int p = 0; p < std::max(1, options_.points_per_load); ++p)
            write_point(start.addSecs(qint64(p) * seconds_per_point), result);
    });
    result.last_spectrum_id = single_integer(db_, QStringLiteral("select max(Id) from Spectra"));
    return result;
}

appended generator::append_point(const QDateTime& at) {
    appended result;
    if (next_point_ > std::max(1, options_.points_per_load))
        start_load(at);
    result.load_id = load_id_;
    in_transaction(db_, [&] { write_point(at, result); });
    result.last_spectrum_id = single_integer(db_, QStringLiteral("select max(Id) from Spectra"));
    return result;
}

} // namespace demo_db
