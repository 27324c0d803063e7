#pragma once

#include "scanner/bridge/dataset_cursor.h"
#include "scanner/bridge/record_cursor.h"

#include <QHash>
#include <QString>

#include <functional>
#include <utility>

class record_source_parts;

// A record source window as the pass engine reads it: the window's connection, its record
// query (so its grid and labels follow) and its wavelength query.
class window_record_source final : public record_source {
public:
    // `restricted_query` gives the window's record query text over an Id condition.
    window_record_source(record_source_parts& window,
                         std::function<QString(const QString&)> restricted_query);

    void connect() override;
    record_cursor& new_records(std::int64_t index) override;
    record_cursor& records_in(const id_ranges& ids, int max_ranges) override;
    QString wavelengths(const QString& result_id, const QString& run_id) override;
    void step_done() override;

    // The window's current record set, as a re-run opened it.
    record_cursor& current_records();

private:
    record_source_parts& window_;
    std::function<QString(const QString&)> restricted_query_;
    dataset_cursor cursor_;
    QHash<std::pair<QString, QString>, QString> grids_; // by ResultID and Run_ID
};
