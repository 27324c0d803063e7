#pragma once

#include <QString>
#include <QStringList>

// What the base scanner window keeps in kalix_scanner.ini (positional lines 0 to 11).
struct kalix_scanner_settings {
    QString input_path;
    QString ovix_name;
    bool automatic_product_identification = false;
    int no_scan_files = 0;
    int no_spectral_positions = 0;
    QString ovix_insitu_name;
    QString insitu_input_path;
    float process_file_delay_time_in_seconds = 0.0f;
    bool save_ini_file = true;
};

// Takes lines 0 to 11 into `settings`; missing or invalid lines give their defaults.
// A list of fewer than two lines is not enough to run on: false, `settings` untouched.
bool read_kalix_scanner_settings(const QStringList& lines, kalix_scanner_settings& settings);

// The twelve lines written back on close.
QStringList kalix_scanner_settings_lines(const kalix_scanner_settings& settings);

// General number format: up to 15 significant digits, "." as decimal separator.
QString general_float_text(float value);
