#pragma once

#include "scanner/bridge/spectrum_points.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <map>

class QTimer;

// The last spectrum written per channel, wavelength against value, one colour a channel;
// above the curves a title line per channel with its file name, time and the points left
// out. Payloads are taken as they come and drawn at most once a second.
class spectrum_plot : public QWidget {
    Q_OBJECT
public:
    explicit spectrum_plot(QWidget* parent = nullptr);

    struct channel_plot {
        QString file_name;
        QDateTime written;
        spectrum_points data;
    };
    static constexpr int refresh_interval_ms = 1000;

    void spectrum_written(const QString& channel, const QString& file_name,
                          const QDateTime& written, const QString& wavelengths,
                          const QString& values);
    // Draws what came in when the last drawing is a second old; later otherwise.
    void refresh_when_due();
    // The channels as drawn now.
    const std::map<QString, channel_plot>& channels() const { return shown_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct payload {
        QString file_name;
        QDateTime written;
        QString wavelengths;
        QString values;
    };
    std::map<QString, payload> pending_;
    std::map<QString, channel_plot> shown_;
    QElapsedTimer since_refresh_;
    QTimer* later_ = nullptr;
    void refresh();
};
