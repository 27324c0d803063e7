#include "scanner/bridge/spectrum_points.h"

#include "shared/basics/number_text.h"

#include <QStringList>

#include <cmath>

spectrum_points prepare_spectrum(const QString& wavelengths, const QString& values) {
    spectrum_points result;
    // No payload at all is an empty spectrum, not one empty field.
    if (values.trimmed().isEmpty())
        return result;
    const QStringList w = wavelengths.split(u';');
    const QStringList v = values.split(u';');
    result.points.reserve(static_cast<std::size_t>(v.size()));
    for (qsizetype i = 0; i < v.size(); ++i) {
        const float x = i < w.size() ? text_to_float(w[i].trimmed()) : NAN;
        const float y = text_to_float(v[i].trimmed());
        if (std::isfinite(x) && std::isfinite(y))
            result.points.emplace_back(x, y);
        else
            ++result.left_out;
    }
    return result;
}
