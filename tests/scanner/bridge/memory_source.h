#pragma once

#include "scanner/bridge/id_ranges.h"
#include "scanner/bridge/record_cursor.h"
#include "scanner/bridge/source_progress.h"

#include <QMap>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// A database table in memory for the pass engine: rows of text fields, delivered in the
// order of the source's record query.
struct memory_row {
    std::int64_t id = 0;
    QMap<QString, QString> fields; // by lower-case column name
};

class memory_cursor final : public record_cursor {
public:
    std::vector<memory_row> rows;
    std::size_t at = 0;
    // Reading the record at this position fails as a lost connection does (-1: never).
    long fail_at = -1;

    bool eof() const override { return at >= rows.size(); }
    void next() override;
    QString text(const QString& column) const override;
    std::int64_t integer(const QString& column) const override;
    double number(const QString& column) const override;
};

class memory_source final : public record_source {
public:
    explicit memory_source(source_kind kind) : kind_(kind) {}

    std::vector<memory_row> table;
    bool down = false;
    int record_queries = 0;
    int restricted_queries = 0;
    id_ranges last_restriction;
    // Called for every wavelength query; may raise to stand for a database lost midway.
    std::function<void(const QString& result_id)> on_wavelengths;
    long fail_reading_at = -1;

    // A spectrum row (Q or P) or, for sheet resistance, a scalar row.
    void add(std::int64_t id, const QString& load, int point, double longitudinal = 0,
             double lateral = 0, const QString& result_name = QStringLiteral("Transmission"));
    memory_row& row(std::int64_t id);

    void connect() override;
    record_cursor& new_records(std::int64_t index) override;
    record_cursor& records_in(const id_ranges& ids, int max_ranges) override;
    QString wavelengths(const QString& result_id, const QString& run_id) override;

private:
    source_kind kind_;
    memory_cursor cursor_;
    record_cursor& open(const std::function<bool(std::int64_t)>& wanted);
};
