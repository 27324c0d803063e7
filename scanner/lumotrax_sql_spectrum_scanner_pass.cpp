#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/pass_engine.h"
#include "scanner/bridge/record_cursor.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/bridge/step_health.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_engine_view.h"
#include "scanner/operator_view/spectrum_plot.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "scanner/window_record_source.h"
#include "shared/basics/program_folders.h"
#include "shared/basics/sprachen.h"
#include "shared/database/sql_dataset.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/message_board/message_board.h"
#include "shared/platform/operator_interface.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int board_lines_kept = 100;

bool configured(const record_source_parts& source) {
    return !source.connection_string_editor->text().isEmpty();
}

} // namespace

TLumotrax_spectrum_scanner_main::engine_view::engine_view(TLumotrax_spectrum_scanner_main& window)
    : window_(window) {}

void TLumotrax_spectrum_scanner_main::engine_view::product_read(const QString& product) {
    window_.product = product;
    window_.product_label->setText(product);
}

void TLumotrax_spectrum_scanner_main::engine_view::progress(const QString& text) {
    // A long loop lets no input through, but the operator sees it move.
    window_.progress_shown_ = true;
    window_.action_label->setText(text);
    window_.action_label->repaint();
    window_.messages->show_held_lines();
    window_.messages->viewport()->repaint();
}

void TLumotrax_spectrum_scanner_main::engine_view::new_error_kind(const QString& text) {
    // Shown once the pass is over, never inside it.
    if (window_.pending_box_.isEmpty())
        window_.pending_box_ = text;
}

void TLumotrax_spectrum_scanner_main::engine_view::spectrum_written(const QString& channel,
                                                                    const QString& file_name,
                                                                    const QString& wavelengths,
                                                                    const QString& values) {
    // The UTC clock needs no look at the time zone for every file; the plot shows local time.
    window_.spectrum_plot_view->spectrum_written(
        channel, file_name, QDateTime::currentDateTimeUtc(), wavelengths, values);
}

TLumotrax_spectrum_scanner_main::~TLumotrax_spectrum_scanner_main() {
    // The editor asks its closing question while it is still whole.
    if (language_editor)
        language_editor->FormDestroy();
}

void TLumotrax_spectrum_scanner_main::create_engine() {
    engine_view_ = std::make_unique<engine_view>(*this);
    engine_ = std::make_unique<pass_engine>(messages->board(), *engine_view_);
    engine_->set_aside_file = set_aside_file();
    const auto progress = [](const QString& name, source_kind kind, const QString& index_file,
                             const QString& handled_file) {
        return std::make_unique<source_progress>(name, kind, program_file_name(index_file),
                                                 program_file_name(handled_file));
    };
    q_progress_ = progress(QStringLiteral("Lumotrax Q"), source_kind::lumotrax_q,
                           QStringLiteral("last_lumotrax_q_index.ini"),
                           QStringLiteral("last_lumotrax_q_handled.ini"));
    p_progress_ = progress(QStringLiteral("Lumotrax P"), source_kind::lumotrax_p,
                           QStringLiteral("last_lumotrax_p_index.ini"),
                           QStringLiteral("last_lumotrax_p_handled.ini"));
    sr_progress_ = progress(QStringLiteral("Sheet resistance"), source_kind::sheet_resistance,
                            QStringLiteral("last_lumotrax_sheetresistance_index.ini"),
                            QStringLiteral("last_lumotrax_sheetresistance_handled.ini"));
    csv_health_ = std::make_unique<step_health>(QStringLiteral("Lumotrax Q"));
    Tlumotrax_sql_access_form* q = lumotrax_q_sql_access_form;
    q_source_ = std::make_unique<window_record_source>(*q, [q](const QString& ids) {
        return spectra_record_query_in(ids, q->SQL_where_phrase, false);
    });
    Tlumotrax_sql_access_form* p = lumotrax_p_sql_access_form;
    p_source_ = std::make_unique<window_record_source>(*p, [p](const QString& ids) {
        return spectra_record_query_in(ids, p->SQL_where_phrase, true);
    });
    Tsheetresistance_sql_access_form* sr = sheetresistance_sql_access_form;
    sr_source_ = std::make_unique<window_record_source>(*sr, [sr](const QString& ids) {
        return scalar_results_record_query_in(ids, sr->sheet_resistance_keyphrase);
    });
}

QString TLumotrax_spectrum_scanner_main::set_aside_file() const {
    return QDir(board::home_log_folder()).filePath(QStringLiteral("records_not_delivered.csv"));
}

void TLumotrax_spectrum_scanner_main::timer_action() {
    if (start_flag)
        return;
    Timer1->stop();
    const message_memo::appends_held held(*messages);
    const QDateTime pass_start = QDateTime::currentDateTime();
    QElapsedTimer pass_time;
    pass_time.start();
    QCoreApplication::processEvents();
    compose_total_output_path();
    pass_engine& engine = *engine_;
    engine.site.kalix_path = kalix_path;
    engine.site.postbake_kalix_path = kalix_postbake_path;
    engine.site.postbake_total_output_path = postbake_total_output_path;
    engine.site.postbake_key_phrase = postbake_key_phrase;
    engine.site.offset_rfilm_probehead = offset_rfilm_probehead;
    engine.site.ovix_assignment = ovix_assignment.get();
    engine.site.spectrum_nickname = spectrum_nickname.get();
    engine.product = product;
    // Every source on its own: one that fails keeps none of the others from running.
    if (configured(*lumotrax_q_sql_access_form)) {
        process_all_lumotrax_q_records();
    } else {
        try {
            csv_step();
            csv_health_->succeeded(messages->board(), QDateTime::currentDateTime());
        } catch (const std::exception& error) {
            const QString text = QString::fromUtf8(error.what());
            if (csv_health_->failed(messages->board(), text, QDateTime::currentDateTime()) &&
                pending_box_.isEmpty())
                pending_box_ = text;
        }
        note_csv_step();
    }
    if (configured(*lumotrax_p_sql_access_form))
        run_source_step(*p_progress_, *lumotrax_p_sql_access_form, *p_source_);
    if (configured(*sheetresistance_sql_access_form))
        process_all_sheetresistance_records();
    write_last_lumotrax_indices();
    this_longitudinalpositionmm = engine.point_longitudinal;
    this_lateralpositionmm = engine.point_lateral;
    engine.post_unwritten_folders();
    update_operator_view(pass_start, pass_time.elapsed());
    show_pass_status();
    QCoreApplication::processEvents();
    Timer1->start();
    clean_message_board(board_lines_kept);
    show_pending_box();
}

void TLumotrax_spectrum_scanner_main::run_source_step(source_progress& progress,
                                                      record_source_parts& window,
                                                      window_record_source& source) {
    take_window_index(progress, window);
    engine_->run_step(progress, source);
    window.last_processed_record = progress.index;
    window.update_last_processed_label();
    note_step(progress, window);
}

void TLumotrax_spectrum_scanner_main::process_all_lumotrax_q_records() {
    // A re-run hands its own record set over; the pass reads new records.
    if (rerun_running_) {
        engine_->rerun_q(*q_source_, q_source_->current_records(),
                         lumotrax_q_sql_access_form->last_processed_record);
        return;
    }
    run_source_step(*q_progress_, *lumotrax_q_sql_access_form, *q_source_);
}

void TLumotrax_spectrum_scanner_main::process_all_sheetresistance_records() {
    run_source_step(*sr_progress_, *sheetresistance_sql_access_form, *sr_source_);
}

void TLumotrax_spectrum_scanner_main::take_window_index(source_progress& progress,
                                                        record_source_parts& window) {
    // The operator set the index in the record source window: go on from there.
    if (window.last_processed_record != progress.index)
        progress.restart_at(window.last_processed_record);
}

bool TLumotrax_spectrum_scanner_main::write_last_lumotrax_indices() {
    take_window_index(*q_progress_, *lumotrax_q_sql_access_form);
    take_window_index(*p_progress_, *lumotrax_p_sql_access_form);
    take_window_index(*sr_progress_, *sheetresistance_sql_access_form);
    bool written = engine_->store(*q_progress_);
    written &= engine_->store(*p_progress_);
    written &= engine_->store(*sr_progress_);
    return written;
}

void TLumotrax_spectrum_scanner_main::show_pass_status() {
    const std::array<const source_progress*, 3> sources{q_progress_.get(), p_progress_.get(),
                                                        sr_progress_.get()};
    QString failing;
    if (csv_health_->failing())
        failing = csv_health_->step() + QStringLiteral(": ") + csv_health_->last_error();
    std::int64_t set_aside = 0;
    for (const source_progress* source : sources) {
        set_aside += source->set_aside.size();
        if (failing.isEmpty() && source->health.failing())
            failing = source->name + QStringLiteral(": ") + source->health.last_error();
    }
    // The csv step's word on its files stays until something else has to be said.
    QString status;
    if (!failing.isEmpty()) {
        status = failing;
        failing_shown_ = true;
    } else if (progress_shown_ || failing_shown_ || set_aside != shown_set_aside_) {
        status = QStringLiteral("Scan inline folder ...");
        failing_shown_ = false;
    }
    progress_shown_ = false;
    shown_set_aside_ = set_aside;
    if (status.isEmpty())
        return;
    if (set_aside > 0)
        status += QStringLiteral(" - %1 records set aside").arg(set_aside);
    action_label->setText(status);
}

void TLumotrax_spectrum_scanner_main::show_pending_box() {
    if (pending_box_.isEmpty() || box_open_)
        return;
    const QString text = pending_box_;
    pending_box_.clear();
    box_open_ = true;
    platform::operator_ui().show_notice(text, [this] { box_open_ = false; });
}

void TLumotrax_spectrum_scanner_main::retry_set_aside_buttonClick() {
    for (source_progress* source : {q_progress_.get(), p_progress_.get(), sr_progress_.get()})
        engine_->retry_set_aside(*source);
    send_message(QStringLiteral("The records set aside are tried again at the next pass."));
}
