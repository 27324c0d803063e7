#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/sheetresistance_file.h"
#include "scanner/bridge/xy_file.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/number_text.h"
#include "shared/basics/sprachen.h"
#include "shared/database/sql_dataset.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/platform_widgets/error_reporting_application.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <cstdint>
#include <stdexcept>

namespace {

constexpr int p_records_per_pass = 100;
constexpr int board_lines_kept = 100;
// A long loop lets no input through, but the operator sees it move this often.
constexpr qint64 repaint_interval_ms = 500;

bool configured(const record_source_parts& source) {
    return !source.connection_string_editor->text().isEmpty();
}

// Puts an index back where it stood unless the loop that advances it runs to its end. The
// Q and sheet-resistance records do not come in Id order, so an index advanced midway may
// already stand beyond records not yet handled: the next pass would never ask for them.
// Put back, it makes the next pass handle the failed pass's records once more instead.
class index_rollback {
public:
    explicit index_rollback(std::int64_t& index) : index_(index), before_(index) {}
    ~index_rollback() {
        if (!completed_)
            index_ = before_;
    }
    index_rollback(const index_rollback&) = delete;
    index_rollback& operator=(const index_rollback&) = delete;
    void completed() { completed_ = true; }

private:
    std::int64_t& index_;
    std::int64_t before_;
    bool completed_ = false;
};

} // namespace

void TLumotrax_spectrum_scanner_main::timer_action() {
    if (start_flag)
        return;
    Timer1->stop();
    QCoreApplication::processEvents();
    painted_.start();
    QString step;
    try {
        compose_total_output_path();
        step = QStringLiteral("Lumotrax Q");
        if (configured(*lumotrax_q_sql_access_form))
            lumotrax_q_step();
        else
            csv_step();
        step = QStringLiteral("Lumotrax P");
        if (configured(*lumotrax_p_sql_access_form))
            lumotrax_p_step();
        step = QStringLiteral("Sheet resistance");
        if (configured(*sheetresistance_sql_access_form))
            sheetresistance_step();
        step = QStringLiteral("Index files");
        if (!write_last_lumotrax_indices())
            throw std::runtime_error("The processed-record index files could not be written.");
        pass_completed();
    } catch (const std::exception& error) {
        pass_failed(step, QString::fromUtf8(error.what()));
    }
    post_unwritten_folders();
    QCoreApplication::processEvents();
    Timer1->start();
    clean_message_board(board_lines_kept);
}

void TLumotrax_spectrum_scanner_main::take_point_position(const database::sql_dataset& record) {
    this_longitudinalpositionmm =
        static_cast<float>(record.field_float(QStringLiteral("LongitudinalPositionRelativeMm")));
    this_lateralpositionmm =
        static_cast<float>(record.field_float(QStringLiteral("LateralPositionRelativeMm")));
}

void TLumotrax_spectrum_scanner_main::lumotrax_q_step() {
    Tlumotrax_sql_access_form& source = *lumotrax_q_sql_access_form;
    source.connect_to_lumotrax();
    source.update_query();
    process_all_lumotrax_q_records();
    source.update_last_processed_label();
}

void TLumotrax_spectrum_scanner_main::process_all_lumotrax_q_records() {
    Tlumotrax_sql_access_form& source = *lumotrax_q_sql_access_form;
    database::sql_dataset& records = *source.Lumotrax_query;
    int counter = 0;
    QString current_load;
    int current_point = 0;
    const auto latch_point = [&] {
        current_point = records.field_integer(QStringLiteral("MeasPointIndex"));
        take_point_position(records);
    };
    index_rollback rollback(source.last_processed_record);
    if (!records.eof()) {
        current_load = records.field_text(QStringLiteral("LoadId"));
        latch_point();
    }
    while (!records.eof()) {
        ++counter;
        write_q_spectrum_file(spectrum_name_q());
        const std::int32_t id = records.field_integer(QStringLiteral("Id"));
        if (source.last_processed_record < id)
            source.last_processed_record = id;
        if (counter % 20 == 0)
            send_message(QString::number(counter) + QStringLiteral(" records processed."));
        // A long catch-up would otherwise grow the board by a line per 20 records until
        // the pass ends; trimming on the way keeps the same last lines.
        if (counter % 2000 == 0)
            clean_message_board(board_lines_kept);
        keep_board_painted(QStringLiteral("Lumotrax Q: %1 records ...").arg(counter));
        records.next();
        if (records.eof())
            break;
        const QString load = records.field_text(QStringLiteral("LoadId"));
        if (load != current_load) {
            current_load = load;
            latch_point();
        } else if (records.field_integer(QStringLiteral("MeasPointIndex")) != current_point) {
            latch_point();
        }
    }
    rollback.completed();
    if (counter > 0) {
        send_message(QString());
        send_message(date_time_text());
        send_message(QString::number(counter) + QStringLiteral(" Lumotrax Q records processed."));
        send_message(QStringLiteral("Last processed index: ") +
                     QString::number(source.last_processed_record));
    }
}

void TLumotrax_spectrum_scanner_main::lumotrax_p_step() {
    Tlumotrax_sql_access_form& source = *lumotrax_p_sql_access_form;
    source.connect_to_lumotrax();
    source.update_query();
    // In Id order and at most a hundred a pass: the next pass goes on after the last one
    // handled, so none is skipped and none handled twice.
    database::sql_dataset& records = *source.Lumotrax_query;
    for (int counter = 0; !records.eof() && counter < p_records_per_pass; ++counter) {
        write_p_spectrum_file(spectrum_name_p());
        if (records.field_text(QStringLiteral("ResultName")) == QLatin1String("Reflection Film"))
            write_p_spectrum_file(spectrum_name_p_shifted_RF());
        source.last_processed_record = records.field_integer(QStringLiteral("Id"));
        keep_board_painted(QStringLiteral("Lumotrax P: %1 records ...").arg(counter + 1));
        records.next();
    }
    source.update_last_processed_label();
}

void TLumotrax_spectrum_scanner_main::sheetresistance_step() {
    Tsheetresistance_sql_access_form& source = *sheetresistance_sql_access_form;
    source.connect_to_lumotrax();
    source.update_query();
    process_all_sheetresistance_records();
}

void TLumotrax_spectrum_scanner_main::process_all_sheetresistance_records() {
    Tsheetresistance_sql_access_form& source = *sheetresistance_sql_access_form;
    database::sql_dataset& records = *source.Lumotrax_query;
    if (records.eof())
        return;
    const QString sheet_resistance = QStringLiteral("Sheet Resistance");
    sheetresistance_result result;
    result.nickname =
        spectrum_nickname->translation(sheet_resistance, 1, QStringLiteral("SR_test"));
    result.channel = ovix_assignment->translation(sheet_resistance, 1, QString());
    QString point_load;
    int point_index = 0;
    const auto latch_point = [&] {
        point_load = records.field_text(QStringLiteral("LoadID"));
        point_index = records.field_integer(QStringLiteral("MeasPointIndex"));
        take_point_position(records);
    };
    index_rollback rollback(source.last_processed_record);
    latch_point();
    int counter = 0;
    while (!records.eof()) {
        ++counter;
        result.value = records.field_text(QStringLiteral("Value"));
        result.date_time = date_time_text();
        result.load_id = point_load;
        result.longitudinal = this_longitudinalpositionmm;
        result.lateral = this_lateralpositionmm;
        write_sheetresistance_file(result, sheetresistance_filename());
        const std::int32_t id = records.field_integer(QStringLiteral("Id"));
        if (id > source.last_processed_record)
            source.last_processed_record = id;
        if (counter % 20 == 0) {
            send_message(QString::number(counter) + QStringLiteral(" records processed."));
            source.update_last_processed_label();
        }
        keep_board_painted(QStringLiteral("Sheet resistance: %1 records ...").arg(counter));
        records.next();
        if (records.eof())
            break;
        if (records.field_text(QStringLiteral("LoadID")) != point_load)
            latch_point();
        else if (records.field_integer(QStringLiteral("MeasPointIndex")) != point_index)
            latch_point();
    }
    rollback.completed();
    send_message(QString());
    send_message(date_time_text());
    send_message(QString::number(counter) + QStringLiteral(" Sheet resistance records processed."));
    send_message(QStringLiteral("Last processed index: ") +
                 QString::number(source.last_processed_record));
    source.update_last_processed_label();
}

void TLumotrax_spectrum_scanner_main::write_sheetresistance_file(
    const sheetresistance_result& result, const QString& file_name) {
    // A result of that name is there already: it is kept.
    hand_over_new_file(sheetresistance_target_folder(), file_name,
                       sheetresistance_file_content(result));
}

void TLumotrax_spectrum_scanner_main::pass_failed(const QString& step, const QString& text) {
    const bool repeated = step == failed_step_ && text == failed_text_;
    messages->board().post_error(step + QStringLiteral(": ") + text);
    action_label->setText(step + QStringLiteral(": ") + text);
    if (repeated)
        return;
    failed_step_ = step;
    failed_text_ = text;
    // Shown once the pass has ended, so the box never holds up the scanning.
    QTimer::singleShot(0, this, [text] { platform::report_error(text); });
}

void TLumotrax_spectrum_scanner_main::pass_completed() {
    // The progress of a long loop or an error gives the status line back; what the csv
    // step said about its files stays.
    if (progress_shown_ || !failed_step_.isEmpty())
        action_label->setText(QStringLiteral("Scan inline folder ..."));
    progress_shown_ = false;
    if (failed_step_.isEmpty())
        return;
    send_message(failed_step_ + QStringLiteral(" working again."));
    failed_step_.clear();
    failed_text_.clear();
}

void TLumotrax_spectrum_scanner_main::post_unwritten_folders() {
    for (auto i = unwritten_.cbegin(); i != unwritten_.cend(); ++i)
        send_message(QStringLiteral("%1 records not written: folder %2 does not exist")
                         .arg(i.value())
                         .arg(i.key()));
    unwritten_.clear();
}

void TLumotrax_spectrum_scanner_main::keep_board_painted(const QString& progress) {
    if (painted_.elapsed() < repaint_interval_ms)
        return;
    painted_.start();
    progress_shown_ = true;
    action_label->setText(progress);
    action_label->repaint();
    messages->viewport()->repaint();
}
