#include "scanner/record_sources/record_display.h"

#include "shared/basics/number_text.h"

#include <QDateTime>

#include <cmath>

QString shortened_text(const QVariant& value, int length) {
    if (value.isNull())
        return {};
    return value.toString().left(length);
}

QString millimetre_text(const QVariant& value) {
    if (value.isNull())
        return {};
    bool is_number = false;
    const double number = value.toDouble(&is_number);
    if (!is_number || !std::isfinite(number))
        return value.toString();
    // nearbyint rounds ties to even in the default rounding mode; adding 0.0 turns -0 into 0.
    return QString::number(std::nearbyint(number) + 0.0, 'f', 0);
}

QString sheet_resistance_value_text(const QVariant& value) {
    if (value.isNull())
        return {};
    return float_to_text(10, 3, static_cast<float>(value.toDouble())).trimmed();
}

QString plain_field_text(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return value.toString();
}
