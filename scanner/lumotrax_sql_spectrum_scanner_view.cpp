#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/source_health.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/bridge/status_file.h"
#include "scanner/bridge/step_health.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_engine_view.h"
#include "scanner/operator_view/health_strip.h"
#include "scanner/operator_view/spectrum_plot.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_source_parts.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/database/sql_dataset.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/message_board/message_board.h"
#include "shared/platform/paths.h"
#include "shared/platform/program_version.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

bool configured(const record_source_parts& source) {
    return !source.connection_string_editor->text().isEmpty();
}

// The newest Id through the window's wavelength query, which is closed between its uses,
// so the record query and its grid stay as the step left them.
std::optional<std::int64_t> newest_id(record_source_parts& window, const QString& query) {
    database::sql_dataset& dataset = *window.Lumotrax_wavelength_query;
    dataset.close();
    dataset.set_text(query);
    dataset.open();
    const QString text = dataset.eof() ? QString() : dataset.field_text(QStringLiteral("Id"));
    dataset.close();
    bool ok = false;
    const qlonglong id = text.toLongLong(&ok);
    // No record above the index: the index is the newest.
    return ok ? std::optional<std::int64_t>(id) : std::nullopt;
}

} // namespace

void TLumotrax_spectrum_scanner_main::build_operator_view() {
    started_ = QDateTime::currentDateTime();
    q_health_ = std::make_unique<source_health>();
    p_health_ = std::make_unique<source_health>();
    sr_health_ = std::make_unique<source_health>();
    status_writer_ = std::make_unique<status_file_writer>();
    csv_view_health_ = std::make_unique<source_health>();
    health_strip_view = new health_strip;
    spectrum_plot_view = new spectrum_plot;
    auto* row = new QHBoxLayout;
    row->addWidget(health_strip_view, 3);
    row->addWidget(spectrum_plot_view, 2);
    main_layout->addLayout(row);
}

QString TLumotrax_spectrum_scanner_main::status_file() const {
    return QDir(board::home_log_folder()).filePath(QStringLiteral("status.json"));
}

void TLumotrax_spectrum_scanner_main::note_step(source_progress& progress,
                                                record_source_parts& window) {
    source_health& health = progress.kind == source_kind::lumotrax_q   ? *q_health_
                            : progress.kind == source_kind::lumotrax_p ? *p_health_
                                                                       : *sr_health_;
    const QDateTime now = QDateTime::currentDateTime();
    if (!progress.health.failing() && health.newest_id_due(now)) {
        const QString query =
            progress.kind == source_kind::sheet_resistance
                ? scalar_results_newest_id_query(
                      progress.index, sheetresistance_sql_access_form->sheet_resistance_keyphrase)
                : spectra_newest_id_query(progress.index, window.SQL_where_phrase);
        std::optional<std::int64_t> id;
        try {
            id = newest_id(window, query).value_or(progress.index);
        } catch (const std::exception&) {
            // The next step meets the database's trouble and reports it.
        }
        health.newest_id_asked(now, id);
    }
    health.step_seen(now, progress.delivered, progress.health.failing(),
                     progress.health.last_error());
}

void TLumotrax_spectrum_scanner_main::note_csv_step() {
    csv_view_health_->step_seen(QDateTime::currentDateTime(), 0, csv_health_->failing(),
                                csv_health_->last_error());
}

std::vector<source_status>
TLumotrax_spectrum_scanner_main::source_statuses(const QDateTime& now) const {
    std::vector<source_status> sources;
    if (configured(*lumotrax_q_sql_access_form) || input_path.isEmpty()) {
        sources.push_back(database_status(*q_progress_, *q_health_,
                                          configured(*lumotrax_q_sql_access_form), now));
    } else {
        // Without a Q database the csv folder stands in its place; it keeps no index.
        source_status csv;
        csv.name = QStringLiteral("Lumotrax Q (csv)");
        csv.configured = true;
        csv.failing = csv_health_->failing();
        csv.failing_since = csv_health_->failing_since();
        csv.last_error = csv_view_health_->last_error();
        csv.last_error_time = csv_view_health_->last_error_time();
        sources.push_back(csv);
    }
    sources.push_back(
        database_status(*p_progress_, *p_health_, configured(*lumotrax_p_sql_access_form), now));
    sources.push_back(database_status(*sr_progress_, *sr_health_,
                                      configured(*sheetresistance_sql_access_form), now));
    return sources;
}

void TLumotrax_spectrum_scanner_main::show_source_health() {
    const QDateTime now = QDateTime::currentDateTime();
    health_strip_view->show_sources(source_statuses(now), now);
}

void TLumotrax_spectrum_scanner_main::update_operator_view(const QDateTime& pass_start,
                                                           qint64 pass_duration_ms) {
    const QDateTime now = QDateTime::currentDateTime();
    program_status status;
    status.program = QStringLiteral("Lumotrax_SQL_spectrum_scanner");
    status.version = platform::program_version();
    status.started = started_;
    status.last_pass = pass_start;
    status.pass_duration_ms = pass_duration_ms;
    status.sources = source_statuses(now);
    health_strip_view->show_sources(status.sources, now);
    spectrum_plot_view->refresh_when_due();
    if (!status_writer_->after_pass(status_file(), status, now))
        messages->board().post_error(QStringLiteral("The status file %1 could not be written.")
                                         .arg(platform::native_path(status_file())),
                                     QStringLiteral("status.json"));
}
