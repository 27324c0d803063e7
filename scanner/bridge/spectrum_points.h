#pragma once

#include <QPointF>
#include <QString>

#include <vector>

// A spectrum's payload as points to draw: fields that are empty, not a number or NaN (in
// either column) are left out and counted.
struct spectrum_points {
    std::vector<QPointF> points;
    int left_out = 0;
};
spectrum_points prepare_spectrum(const QString& wavelengths, const QString& values);
