#include "scanner/bridge/status_file.h"

#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue time_value(const QDateTime& time) {
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

QJsonValue number_value(const std::optional<std::int64_t>& value) {
    return value ? QJsonValue(static_cast<qint64>(*value)) : QJsonValue();
}

QJsonValue text_value(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QString mark_name(health_mark mark) {
    switch (mark) {
    case health_mark::green:
        return QStringLiteral("green");
    case health_mark::amber:
        return QStringLiteral("amber");
    case health_mark::red:
        return QStringLiteral("red");
    case health_mark::none:
        break;
    }
    return QStringLiteral("none");
}

QJsonObject source_object(const source_status& source, const QDateTime& now) {
    const source_state state = evaluate(source, now);
    QJsonObject o;
    o[QStringLiteral("name")] = source.name;
    o[QStringLiteral("configured")] = source.configured;
    o[QStringLiteral("state")] = state.text;
    o[QStringLiteral("mark")] = mark_name(state.mark);
    o[QStringLiteral("index")] = number_value(source.index);
    o[QStringLiteral("newest_id")] = number_value(source.newest_id);
    o[QStringLiteral("backlog")] = number_value(source.backlog());
    o[QStringLiteral("last_delivery_time")] = time_value(source.last_delivery);
    o[QStringLiteral("last_delivery_file")] = text_value(
        source.last_file.isEmpty() ? QString() : platform::native_path(source.last_file));
    o[QStringLiteral("in_error")] = source.failing;
    o[QStringLiteral("error_since")] =
        source.failing ? time_value(source.failing_since) : QJsonValue();
    o[QStringLiteral("last_error")] = text_value(source.last_error);
    o[QStringLiteral("last_error_time")] = time_value(source.last_error_time);
    o[QStringLiteral("set_aside")] = static_cast<qint64>(source.set_aside);
    o[QStringLiteral("late_delivered")] = static_cast<qint64>(source.late_delivered);
    o[QStringLiteral("rate_per_minute")] = qRound(source.rate * 10.0) / 10.0;
    return o;
}

} // namespace

QByteArray status_json(const program_status& status, const QDateTime& now) {
    QJsonObject root;
    root[QStringLiteral("program")] = status.program;
    root[QStringLiteral("version")] = status.version;
    root[QStringLiteral("started")] = time_value(status.started);
    root[QStringLiteral("last_pass")] = time_value(status.last_pass);
    root[QStringLiteral("last_pass_duration_ms")] = status.pass_duration_ms;
    QJsonArray sources;
    for (const source_status& source : status.sources)
        sources.append(source_object(source, now));
    root[QStringLiteral("sources")] = sources;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool write_status_file(const QString& path, const program_status& status, const QDateTime& now) {
    return platform::write_file_atomically(path, status_json(status, now));
}

namespace {

// What a monitor must see at once: whether each source is configured and in error, why,
// and how many records it set aside.
QString states_of(const program_status& status) {
    QString states;
    for (const source_status& source : status.sources)
        states += source.name + u'|' + QString::number(source.configured) +
                  QString::number(source.failing) + u'|' + source.last_error + u'|' +
                  QString::number(source.set_aside) + u'\n';
    return states;
}

} // namespace

bool status_file_writer::after_pass(const QString& path, const program_status& status,
                                    const QDateTime& now) {
    QString states = states_of(status);
    const bool due =
        !written_ || states != states_ || now < *written_ || written_->msecsTo(now) >= 1000;
    if (!due)
        return true;
    if (!write_status_file(path, status, now))
        return false;
    written_ = now;
    states_ = std::move(states);
    return true;
}
