#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

// One scan of a pane: positions x spectra x points, written as a scan file for KALIX.
class scan_data {
public:
    std::int32_t no_positions = 0;
    std::int32_t no_spectra = 0;
    std::int32_t max_no_points = 0;
    std::vector<std::int32_t> positions;
    std::vector<float> sheet_resistance;
    std::vector<float> x_min;
    std::vector<float> x_max;
    std::vector<std::int32_t> no_points;
    std::vector<float> spectral_data;
    double time_of_measurement = 0.0; // days since 30 December 1899, local time
    float file_format = 1.2f;

    scan_data() = default;

    // Resizes every array to the counts, keeping elements that survive and zeroing new ones.
    void set_size(std::int32_t no_pos, std::int32_t no_spec, std::int32_t max_np);
    std::int32_t the_index(std::int32_t p, std::int32_t s, std::int32_t w) const;

    // Writes through a temporary file that is then copied onto a_filename in one step.
    // True when the target was written. Throws std::runtime_error when the temporary
    // file cannot be written.
    bool savetofile(const QString& a_filename) const;
    bool save_partially_to_file(const QString& a_filename, std::int32_t this_part,
                                std::int32_t no_parts) const;
    // Throws std::runtime_error when the file cannot be opened or its counts are impossible.
    void loadfromfile(const QString& a_filename);
};

// Date-time of the system's file formats (days since 30 December 1899) and back.
double to_day_number(const QDateTime& local_time);
QDateTime from_day_number(double days);
