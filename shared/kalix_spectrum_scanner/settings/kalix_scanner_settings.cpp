#include "shared/kalix_spectrum_scanner/settings/kalix_scanner_settings.h"

#include "shared/basics/number_text.h"

#include <cmath>

namespace {

QString line_or_empty(const QStringList& lines, int index) {
    return index < lines.size() ? lines[index] : QString();
}

int integer_line(const QStringList& lines, int index, int default_value) {
    int value = default_value;
    if (!text_to_integer(line_or_empty(lines, index), value))
        return default_value;
    return value;
}

} // namespace

bool read_kalix_scanner_settings(const QStringList& lines, kalix_scanner_settings& settings) {
    if (lines.size() < 2)
        return false;
    settings.input_path = lines[0];
    settings.ovix_name = lines[1];
    // Exact comparison after lower-casing only: a blank before "true" leaves it off.
    settings.automatic_product_identification =
        line_or_empty(lines, 2).toLower() == QLatin1String("true");
    settings.no_scan_files = integer_line(lines, 3, 1);
    settings.no_spectral_positions = integer_line(lines, 4, 125);
    settings.ovix_insitu_name = line_or_empty(lines, 5);
    const float delay = text_to_float(line_or_empty(lines, 9));
    settings.process_file_delay_time_in_seconds = std::isnan(delay) ? 0.0f : delay;
    settings.save_ini_file =
        lines.size() <= 11 || lines[11].trimmed().toLower() == QLatin1String("true");
    return true;
}

QString general_float_text(float value) {
    return QString::number(static_cast<double>(value), 'g', 15).toUpper();
}

QStringList kalix_scanner_settings_lines(const kalix_scanner_settings& settings) {
    return {
        settings.input_path,
        settings.ovix_name,
        settings.automatic_product_identification ? QStringLiteral("True")
                                                  : QStringLiteral("False"),
        QString::number(settings.no_scan_files),
        QString::number(settings.no_spectral_positions),
        settings.ovix_insitu_name,
        QStringLiteral("Insitu input path"),
        settings.insitu_input_path,
        QString(),
        general_float_text(settings.process_file_delay_time_in_seconds),
        QString(),
        settings.save_ini_file ? QStringLiteral("true") : QStringLiteral("false"),
    };
}
