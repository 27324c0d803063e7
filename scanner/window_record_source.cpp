#include "scanner/window_record_source.h"

#include "scanner/bridge/id_ranges.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_source_parts.h"
#include "shared/database/sql_dataset.h"

window_record_source::window_record_source(record_source_parts& window,
                                           std::function<QString(const QString&)> restricted_query)
    : window_(window), restricted_query_(std::move(restricted_query)),
      cursor_(*window.Lumotrax_query) {}

void window_record_source::connect() {
    window_.connect_to_lumotrax();
}

record_cursor& window_record_source::new_records(std::int64_t index) {
    grids_.clear();
    window_.last_processed_record = index;
    window_.update_query();
    return cursor_;
}

record_cursor& window_record_source::records_in(const id_ranges& ids, int max_ranges) {
    database::sql_dataset& records = *window_.Lumotrax_query;
    records.close();
    records.set_text(restricted_query_(ids.sql_condition(max_ranges)));
    records.open();
    return cursor_;
}

QString window_record_source::wavelengths(const QString& result_id, const QString& run_id) {
    std::pair<QString, QString> key{result_id, run_id};
    if (const auto known = grids_.constFind(key); known != grids_.cend())
        return *known;
    database::sql_dataset& grid = *window_.Lumotrax_wavelength_query;
    grid.close();
    grid.set_text(wavelength_query(result_id, run_id));
    grid.open();
    const QString text = grid.eof() ? QString() : grid.field_text(QStringLiteral("Wavelengths"));
    grid.close();
    grids_.insert(std::move(key), text);
    return text;
}

void window_record_source::step_done() {
    grids_.clear();
    window_.update_last_processed_label();
}

record_cursor& window_record_source::current_records() {
    grids_.clear();
    return cursor_;
}
