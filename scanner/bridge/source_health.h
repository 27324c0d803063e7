#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

class source_progress;

// The colour of a source's row: none for a source that is not configured.
enum class health_mark { none, green, amber, red };

// What the operator's view and status.json say of one source after a pass.
struct source_status {
    QString name;
    bool configured = false;
    // Absent for the csv folder, which keeps no index.
    std::optional<std::int64_t> index;
    std::optional<std::int64_t> newest_id;
    QDateTime last_delivery;
    QString last_file;
    bool failing = false;
    QDateTime failing_since;
    // The last error, kept after the source recovered, with the time it was last seen.
    QString last_error;
    QDateTime last_error_time;
    std::int64_t set_aside = 0;
    std::int64_t late_delivered = 0;
    double rate = 0.0; // records a minute over the last ten minutes

    // Records the database has beyond the index; absent while the newest Id is unknown.
    std::optional<std::int64_t> backlog() const;
};

// The row's state: its mark and "up to date", "catching up: n records",
// "error since hh:mm:ss: <reason>" or "not configured".
struct source_state {
    health_mark mark = health_mark::none;
    QString text;
};
source_state evaluate(const source_status& status, const QDateTime& now);
// The first line of an error, short enough for one row.
QString short_reason(const QString& error);

// What a source's step leaves between passes beyond its source_progress: the newest Id,
// asked at most every ten seconds, the deliveries of the last ten minutes and the last
// error.
class source_health {
public:
    static constexpr qint64 newest_id_interval_ms = 10 * 1000;
    static constexpr qint64 rate_window_ms = 10 * 60 * 1000;
    static constexpr qint64 failing_red_ms = 60 * 1000;

    bool newest_id_due(const QDateTime& now) const;
    // `id` absent: the question failed; the last known answer stays.
    void newest_id_asked(const QDateTime& now, std::optional<std::int64_t> id);
    const std::optional<std::int64_t>& newest_id() const { return newest_id_; }

    // After each step: `delivered` counts every delivery since start-up.
    void step_seen(const QDateTime& now, std::int64_t delivered, bool failing,
                   const QString& error);
    double rate(const QDateTime& now) const;
    const QString& last_error() const { return last_error_; }
    const QDateTime& last_error_time() const { return last_error_time_; }

private:
    QDateTime newest_asked_;
    std::optional<std::int64_t> newest_id_;
    // (milliseconds since the epoch, deliveries so far), oldest first.
    std::deque<std::pair<qint64, std::int64_t>> samples_;
    QString last_error_;
    QDateTime last_error_time_;
};

// The status of a database source from its progress and its health.
source_status database_status(const source_progress& progress, const source_health& health,
                              bool configured, const QDateTime& now);
