#pragma once

#include <QDateTime>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <random>

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

// Opens (creating when missing) an SQLite file under the given connection name, with the
// tables in place, a busy timeout and write-ahead logging, so a reader that keeps its
// record set open does not stop the appends. Throws std::runtime_error.
QSqlDatabase open_database_file(const QString& file, const QString& connection_name);

// The wavelength grid of every generated result: 380 to 1000 nm in steps of 5 nm.
constexpr int grid_points = 125;
QString wavelength_grid_text();

struct generator_options {
    int points_per_load = 5;
    QStringList spectrum_names = {QStringLiteral("Transmission"), QStringLiteral("Reflection Film"),
                                  QStringLiteral("Reflection Glass")};
    QString sheet_resistance_name = QStringLiteral("Sheet resistance");
    QString group_info = QStringLiteral("DemoCoating");
    std::uint32_t seed = 1;
    // The spectra of one name in one run share one ResultID and its one wavelength row, as
    // a plant's line keeps them; otherwise every spectrum has its own.
    bool result_id_per_run = false;
};

// What one append wrote.
struct appended {
    QString load_id;
    int first_point = 0, last_point = 0; // MeasPointIndex, from 1
    int spectra = 0, scalars = 0;
    std::int64_t last_spectrum_id = 0;
};

// Writes loads of a coating line like the in-line system does: per measurement point one
// spectrum per spectrum name (with its wavelength row) and one sheet-resistance result.
// Continues after the rows already in the database (Ids, load numbers, run ids).
class generator {
public:
    generator(QSqlDatabase& db, generator_options options = {});

    // A whole new load, points `seconds_per_point` apart from `start`, in one transaction.
    appended append_load(const QDateTime& start, int seconds_per_point = 10);
    // The next measurement point of the current load (a new load when it is complete), in
    // one transaction.
    appended append_point(const QDateTime& at);

private:
    QSqlDatabase& db_;
    generator_options options_;
    std::mt19937 random_;
    int next_load_number_ = 1;
    std::int64_t next_run_id_ = 1;
    QString load_id_;
    std::int64_t run_id_ = 0;
    int next_point_ = 1; // of the current load; > points_per_load means none open
    double load_offset_mm_ = 0;
    double load_sheet_resistance_ = 0;
    QMap<QString, QString> run_result_ids_; // by spectrum name, with result_id_per_run

    void start_load(const QDateTime& at);
    void write_point(const QDateTime& at, appended& result);
    QString guid();
    double uniform(double low, double high);
};

} // namespace demo_db
