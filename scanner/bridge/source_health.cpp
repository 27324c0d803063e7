#include "scanner/bridge/source_health.h"

#include "scanner/bridge/source_progress.h"

#include <algorithm>

std::optional<std::int64_t> source_status::backlog() const {
    if (!index || !newest_id)
        return std::nullopt;
    return std::max<std::int64_t>(0, *newest_id - *index);
}

QString short_reason(const QString& error) {
    constexpr qsizetype longest = 80;
    QString line = error.section(u'\n', 0, 0).simplified();
    if (line.size() > longest)
        line = line.left(longest - 1).trimmed() + QChar(0x2026);
    return line;
}

source_state evaluate(const source_status& status, const QDateTime& now) {
    source_state state;
    if (!status.configured) {
        state.text = QStringLiteral("not configured");
        return state;
    }
    if (status.failing) {
        const bool long_failing = !status.failing_since.isValid() ||
                                  status.failing_since.msecsTo(now) > source_health::failing_red_ms;
        state.mark = long_failing ? health_mark::red : health_mark::amber;
        state.text = QStringLiteral("error since %1: %2")
                         .arg(status.failing_since.toString(QStringLiteral("HH:mm:ss")),
                              short_reason(status.last_error));
        return state;
    }
    const std::int64_t backlog = status.backlog().value_or(0);
    if (backlog > 0) {
        state.text = QStringLiteral("catching up: %1 records").arg(backlog);
        state.mark = health_mark::amber;
    } else {
        state.text = QStringLiteral("up to date");
        state.mark = status.set_aside > 0 ? health_mark::amber : health_mark::green;
    }
    return state;
}

bool source_health::newest_id_due(const QDateTime& now) const {
    return !newest_asked_.isValid() || newest_asked_.msecsTo(now) >= newest_id_interval_ms ||
           now < newest_asked_;
}

void source_health::newest_id_asked(const QDateTime& now, std::optional<std::int64_t> id) {
    newest_asked_ = now;
    if (id)
        newest_id_ = id;
}

void source_health::step_seen(const QDateTime& now, std::int64_t delivered, bool failing,
                              const QString& error) {
    const qint64 ms = now.toMSecsSinceEpoch();
    // The count starts at zero with the program, so the first step's deliveries count too.
    if (samples_.empty())
        samples_.emplace_back(ms, 0);
    samples_.emplace_back(ms, delivered);
    // One sample at or before the window's start stays as the base of the count.
    while (samples_.size() > 1 && samples_[1].first <= ms - rate_window_ms)
        samples_.pop_front();
    if (failing) {
        last_error_ = error;
        last_error_time_ = now;
    }
}

double source_health::rate(const QDateTime& now) const {
    if (samples_.size() < 2)
        return 0.0;
    const qint64 ms = now.toMSecsSinceEpoch();
    const auto& [base_ms, base_count] = samples_.front();
    const qint64 span = std::min(ms - base_ms, rate_window_ms);
    if (span <= 0)
        return 0.0;
    // Past the first ten minutes the rate covers exactly that window.
    return static_cast<double>(samples_.back().second - base_count) * 60000.0 /
           static_cast<double>(std::max<qint64>(span, 60000));
}

source_status database_status(const source_progress& progress, const source_health& health,
                              bool configured, const QDateTime& now) {
    source_status status;
    status.name = progress.name;
    status.configured = configured;
    status.index = progress.index;
    status.newest_id = health.newest_id();
    status.last_delivery = progress.last_delivery;
    status.last_file = progress.last_file;
    status.failing = progress.health.failing();
    status.failing_since = progress.health.failing_since();
    status.last_error = health.last_error();
    status.last_error_time = health.last_error_time();
    status.set_aside = progress.set_aside.size();
    status.late_delivered = progress.late_delivered;
    status.rate = health.rate(now);
    return status;
}
