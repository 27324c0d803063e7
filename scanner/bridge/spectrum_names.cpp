#include "scanner/bridge/spectrum_names.h"

#include "shared/platform/paths.h"

#include <cmath>
#include <limits>

double round_half_even(double value) {
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest < 0.5)
        return down;
    if (rest > 0.5)
        return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

namespace {

// A position value comes from a database record and may be anything a float holds; the
// conversion to int is only defined inside its range.
int saturated_int(double value) {
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

} // namespace

int position_field_1mm(float value) {
    return saturated_int(round_half_even(value));
}

int position_field_grid(double value, int step) {
    return saturated_int(step * round_half_even(value * (1.0 / step)));
}

QString spectrum_file_name(const QString& folder, const QString& load_id, const QString& nickname,
                           int longitudinal, int lateral) {
    const QString separator = QStringLiteral("___");
    return folder + platform::path_separator() + load_id + separator + nickname + separator +
           QString::number(longitudinal) + separator + QString::number(lateral) + separator +
           QStringLiteral("0.xy");
}

bool is_postbake_load(const QString& load_id, const QString& postbake_key_phrase) {
    return !postbake_key_phrase.isEmpty() && load_id.contains(postbake_key_phrase);
}
