#include "tests/scanner/bridge/memory_source.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <stdexcept>

void memory_cursor::next() {
    ++at;
    if (fail_at >= 0 && at == static_cast<std::size_t>(fail_at))
        throw std::runtime_error("The connection was lost.");
}

QString memory_cursor::text(const QString& column) const {
    const auto& fields = rows.at(at).fields;
    const auto it = fields.find(column.toLower());
    if (it == fields.end())
        throw std::runtime_error(("no column " + column).toStdString());
    return *it;
}

std::int64_t memory_cursor::integer(const QString& column) const {
    bool ok = false;
    const std::int64_t value = text(column).toLongLong(&ok);
    if (!ok)
        throw record_fault(QStringLiteral("%1 is no integer: %2").arg(column, text(column)));
    return value;
}

double memory_cursor::number(const QString& column) const {
    bool ok = false;
    const double value = QLocale::c().toDouble(text(column), &ok);
    if (!ok || !std::isfinite(value))
        throw record_fault(QStringLiteral("%1 is no number: %2").arg(column, text(column)));
    return value;
}

void memory_source::add(std::int64_t id, const QString& load, int point, double longitudinal,
                        double lateral, const QString& result_name) {
    memory_row r;
    r.id = id;
    r.fields[QStringLiteral("id")] = QString::number(id);
    r.fields[QStringLiteral("loadid")] = load;
    r.fields[QStringLiteral("measpointindex")] = QString::number(point);
    r.fields[QStringLiteral("resultname")] = result_name;
    r.fields[QStringLiteral("longitudinalpositionrelativemm")] = QString::number(longitudinal);
    r.fields[QStringLiteral("lateralpositionrelativemm")] = QString::number(lateral);
    r.fields[QStringLiteral("resultid")] = QStringLiteral("{R-%1}").arg(id);
    r.fields[QStringLiteral("run_id")] = QString::number(1000 + id);
    r.fields[QStringLiteral("values")] = QStringLiteral("0.1;0.2;0.3");
    r.fields[QStringLiteral("value")] = QStringLiteral("12.5");
    table.push_back(r);
}

memory_row& memory_source::row(std::int64_t id) {
    for (memory_row& r : table)
        if (r.id == id)
            return r;
    throw std::logic_error("no such row");
}

void memory_source::connect() {
    if (down)
        throw std::runtime_error("The server cannot be reached.");
}

record_cursor& memory_source::open(const std::function<bool(std::int64_t)>& wanted) {
    if (down)
        throw std::runtime_error("The server cannot be reached.");
    cursor_.rows.clear();
    for (const memory_row& r : table)
        if (wanted(r.id))
            cursor_.rows.push_back(r);
    const auto field = [](const memory_row& r, const char* name) {
        return r.fields.value(QString::fromLatin1(name));
    };
    switch (kind_) {
    case source_kind::lumotrax_q:
        std::stable_sort(
            cursor_.rows.begin(), cursor_.rows.end(), [&](const auto& a, const auto& b) {
                if (field(a, "loadid") != field(b, "loadid"))
                    return field(a, "loadid") < field(b, "loadid");
                if (field(a, "measpointindex") != field(b, "measpointindex"))
                    return field(a, "measpointindex").toInt() < field(b, "measpointindex").toInt();
                return field(a, "resultname") > field(b, "resultname");
            });
        break;
    case source_kind::lumotrax_p:
        std::stable_sort(cursor_.rows.begin(), cursor_.rows.end(),
                         [](const auto& a, const auto& b) { return a.id < b.id; });
        break;
    case source_kind::sheet_resistance:
        std::stable_sort(cursor_.rows.begin(), cursor_.rows.end(),
                         [](const auto& a, const auto& b) { return a.id > b.id; });
        break;
    }
    cursor_.at = 0;
    cursor_.fail_at = fail_reading_at;
    return cursor_;
}

record_cursor& memory_source::new_records(std::int64_t index) {
    ++record_queries;
    return open([index](std::int64_t id) { return id > index; });
}

record_cursor& memory_source::records_in(const id_ranges& ids, int) {
    ++restricted_queries;
    last_restriction = ids;
    return open([&ids](std::int64_t id) { return ids.contains(id); });
}

QString memory_source::wavelengths(const QString& result_id, const QString&) {
    if (on_wavelengths)
        on_wavelengths(result_id);
    return QStringLiteral("380;381;382");
}
