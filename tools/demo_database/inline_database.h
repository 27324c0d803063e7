#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <cstdint>

// The tables of the in-line measurement system's database as the embedded demo database
// holds them: Spectra, WavelengtsArrays and ScalarResults.
namespace demo_db {

// Creates the three tables (if missing). Throws std::runtime_error with the client's text.
void create_inline_tables(QSqlDatabase& db);

// One row of Spectra; Id is given by the database when 0.
struct spectrum_row {
    std::int64_t id = 0;
    QDateTime timestamp;
    QString load_id;
    QString result_name;
    int meas_point_index = 0;
    double longitudinal_position_mm = 0;
    double lateral_position_mm = 0;
    QString group_info;
    std::int64_t run_id = 0;
    std::int64_t unit_id = 0;
    int tolerance = 0;
    double lateral_position_relative_mm = 0;
    double longitudinal_position_relative_mm = 0;
    std::int64_t meta_data_id = 0;
    QString global_result_id; // GUID in braces
    QString result_id;        // GUID in braces
    QString values;           // ";"-separated
    bool used_in_cluster_statistics = false;
};
void insert_spectrum(QSqlDatabase& db, const spectrum_row& row);
void insert_wavelengths(QSqlDatabase& db, const QString& result_id, std::int64_t run_id,
                        const QString& wavelengths);

// One row of ScalarResults; Id is given by the database when 0.
struct scalar_row {
    std::int64_t id = 0;
    QString result_id;
    QString global_result_id;
    QDateTime timestamp;
    QString load_id;
    QString group_info;
    QString result_name;
    QString source;
    double lower_error = 0, lower_warning = 0, nominal = 0, upper_warning = 0, upper_error = 0;
    double value = 0;
    int tolerance = 0;
    int meas_point_index = 0;
    double lateral_position_relative_mm = 0;
    double longitudinal_position_relative_mm = 0;
    double lateral_position_mm = 0;
    double longitudinal_position_mm = 0;
    bool used_in_cluster_statistics = false;
    std::int64_t meta_data_id = 0, run_id = 0, unit_id = 0;
};
void insert_scalar(QSqlDatabase& db, const scalar_row& row);

} // namespace demo_db
