#include "scanner/operator_view/spectrum_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

QColor channel_colour(std::size_t n) {
    static const std::array<QColor, 6> colours{QColor(0x1f, 0x5f, 0xbf), QColor(0xc0, 0x39, 0x2b),
                                               QColor(0x27, 0x8e, 0x3c), QColor(0x8e, 0x44, 0xad),
                                               QColor(0xd3, 0x7a, 0x00), QColor(0x11, 0x86, 0x8f)};
    return colours[n % colours.size()];
}

QString number(double value) {
    return QString::number(value, 'g', 4);
}

} // namespace

spectrum_plot::spectrum_plot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("spectrum_plot"));
    setMinimumHeight(130);
    later_ = new QTimer(this);
    later_->setSingleShot(true);
    connect(later_, &QTimer::timeout, this, [this] { refresh(); });
}

QSize spectrum_plot::sizeHint() const {
    return {360, 130};
}

void spectrum_plot::spectrum_written(const QString& channel, const QString& file_name,
                                     const QDateTime& written, const QString& wavelengths,
                                     const QString& values) {
    // Only the newest payload of a channel is kept; it is parsed when it is drawn.
    pending_[channel] = payload{file_name, written, wavelengths, values};
}

void spectrum_plot::refresh_when_due() {
    if (pending_.empty())
        return;
    if (!since_refresh_.isValid() || since_refresh_.elapsed() >= refresh_interval_ms) {
        refresh();
        return;
    }
    if (!later_->isActive())
        later_->start(static_cast<int>(refresh_interval_ms - since_refresh_.elapsed()));
}

void spectrum_plot::refresh() {
    since_refresh_.start();
    for (const auto& [channel, p] : pending_) {
        const QString name = p.file_name.mid(p.file_name.lastIndexOf(u'/') + 1).section(u'\\', -1);
        shown_[channel] =
            channel_plot{name, p.written.toLocalTime(), prepare_spectrum(p.wavelengths, p.values)};
    }
    pending_.clear();
    update();
}

void spectrum_plot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.lineSpacing();
    if (shown_.empty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No spectrum written yet"));
        return;
    }

    // Title lines, one per channel in its colour.
    int y = 4;
    std::size_t n = 0;
    double x_min = INFINITY, x_max = -INFINITY, y_min = INFINITY, y_max = -INFINITY;
    for (const auto& [channel, plot] : shown_) {
        QString title =
            QStringLiteral("%1: %2  %3")
                .arg(channel, plot.written.toString(QStringLiteral("HH:mm:ss")), plot.file_name);
        if (plot.data.left_out > 0)
            title += QStringLiteral("  (%1 points left out)").arg(plot.data.left_out);
        painter.setPen(channel_colour(n++));
        painter.drawText(QRect(6, y, width() - 12, line), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(title, Qt::ElideMiddle, width() - 12));
        y += line;
        for (const QPointF& p : plot.data.points) {
            x_min = std::min(x_min, p.x());
            x_max = std::max(x_max, p.x());
            y_min = std::min(y_min, p.y());
            y_max = std::max(y_max, p.y());
        }
    }

    // The plot area, with room for the value and wavelength scales.
    const int scale_width = metrics.horizontalAdvance(QStringLiteral("-0.0000")) + 6;
    const QRect area(scale_width + 4, y + 4, width() - scale_width - 14, height() - y - line - 12);
    if (area.width() < 20 || area.height() < 20 || !std::isfinite(x_min))
        return;
    if (x_max <= x_min)
        x_max = x_min + 1;
    if (y_max <= y_min) {
        // A flat line sits in the middle.
        y_min -= 0.5;
        y_max += 0.5;
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, area.top() - line / 2, scale_width, line),
                     Qt::AlignRight | Qt::AlignVCenter, number(y_max));
    painter.drawText(QRect(0, area.bottom() - line / 2, scale_width, line),
                     Qt::AlignRight | Qt::AlignVCenter, number(y_min));
    painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), line),
                     Qt::AlignLeft | Qt::AlignTop, number(x_min));
    painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), line),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("wavelength"));
    painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), line),
                     Qt::AlignRight | Qt::AlignTop, number(x_max));

    const auto to_area = [&](const QPointF& p) {
        return QPointF(area.left() + (p.x() - x_min) / (x_max - x_min) * area.width(),
                       area.bottom() - (p.y() - y_min) / (y_max - y_min) * area.height());
    };
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    n = 0;
    for (const auto& [channel, plot] : shown_) {
        painter.setPen(QPen(channel_colour(n++), 1.5));
        const auto& points = plot.data.points;
        if (points.size() == 1) {
            painter.drawEllipse(to_area(points.front()), 2.0, 2.0);
            continue;
        }
        QPainterPath path;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i == 0)
                path.moveTo(to_area(points[i]));
            else
                path.lineTo(to_area(points[i]));
        }
        painter.drawPath(path);
    }
}
