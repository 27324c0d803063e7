#include "scanner/csv/csv_archive.h"
#include "scanner/csv/csv_reader.h"
#include "scanner/csv/csv_routing.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "shared/basics/file_routines.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/line_list.h"
#include "shared/platform/paths.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace {

// At most this many files a pass, so the databases' steps and the board get their turn.
constexpr int csv_files_per_pass = 31;
// A file of this many lines or fewer holds no measurement.
constexpr qsizetype csv_min_lines = 11;

} // namespace

void TLumotrax_spectrum_scanner_main::read_additional_postbake_ini_data(const QStringList& sl) {
    set_position_offsets(::read_additional_postbake_ini_data(sl, position_offsets()));
}

postbake_offsets TLumotrax_spectrum_scanner_main::position_offsets() const {
    return {position_offset_4points_0, position_offset_4points_1, position_offset_4points_2,
            position_offset_4points_3, position_offset_A,         position_offset_B,
            position_offset_C};
}

void TLumotrax_spectrum_scanner_main::set_position_offsets(const postbake_offsets& offsets) {
    position_offset_4points_0 = offsets.position_offset_4points_0;
    position_offset_4points_1 = offsets.position_offset_4points_1;
    position_offset_4points_2 = offsets.position_offset_4points_2;
    position_offset_4points_3 = offsets.position_offset_4points_3;
    position_offset_A = offsets.position_offset_A;
    position_offset_B = offsets.position_offset_B;
    position_offset_C = offsets.position_offset_C;
}

void TLumotrax_spectrum_scanner_main::settings_not_saved(const QString& the_message) {
    send_message(the_message);
}

void TLumotrax_spectrum_scanner_main::csv_step() {
    Timer1->setInterval(1000);
    extension = QStringLiteral("*.csv");
    compose_total_output_path();
    if (!platform::folder_exists(input_path) || !platform::folder_exists(total_output_path))
        return;
    // The count goes to the status line only: a box would stop the converter every second.
    int remaining = count_files(input_path, extension);
    if (remaining == 0) {
        action_label->setText(QStringLiteral("No files to process ..."));
        return;
    }
    action_label->setText(QStringLiteral("Number of files to process: ") +
                          QString::number(remaining));
    Timer1->stop();
    int counter = 0;
    bool free = true;
    do {
        first_file(input_path, extension, old_filename);
        action_label->setText(old_filename);
        const QString full_name = platform::join_path(input_path, old_filename);
        free = file_is_free(full_name);
        if (free) {
            action_label->setText(temp_filename_r);
            process_csv_file(full_name);
        } else {
            action_label->setText(full_name +
                                  QStringLiteral(" could not be copied - the file is open"));
        }
        QCoreApplication::processEvents();
        remaining = count_files(input_path, extension);
        ++counter;
    } while (free && remaining != 0 && counter < csv_files_per_pass);
}

void TLumotrax_spectrum_scanner_main::process_csv_file(const QString& full_name) {
    my_file_content->clear();
    const bool readable = platform::load_lines(full_name, *my_file_content);
    const QDateTime file_time = csv_file_time(full_name);
    // Until scan files hold its content, only the archive copy keeps the file.
    bool scan_files_safe = false;
    if (readable && my_file_content->size() >= csv_min_lines) {
        const csv_layout layout =
            read_csv_layout(*my_file_content, old_filename, file_time, no_spectral_positions);
        no_spectral_positions = layout.no_spectral_positions;
        for (const QString& line : layout.board_lines)
            send_message(line);
        if (layout.complete()) {
            glass_present.fill(false);
            std::copy_n(layout.glass_rows.begin(),
                        std::min<std::size_t>(layout.glass_rows.size(), glass_present.size()),
                        glass_present.begin());
            const csv_plate plate = read_csv_plate(layout);
            zeiss_plate = plate.zeiss_plate;
            zeiss_plate_id = plate.zeiss_plate_id;
            if (!plate.board_line.isEmpty())
                send_message(plate.board_line);

            csv_route_input in;
            in.file_name = old_filename;
            in.zeiss_plate = zeiss_plate;
            in.zeiss_plate_id = zeiss_plate_id;
            in.plate_text = layout.plate_text;
            in.position_count = layout.no_positions;
            in.x_scan = layout.x_scan != x_scan_kind::none;
            in.product = product;
            in.postbake_product = postbake_product;
            in.no_scan_files = no_scan_files;
            const csv_route route = route_csv_file(in);
            postbake_mode = route.postbake_mode;
            if (route.change_product) {
                product = route.new_product;
                set_new_product();
                compose_total_output_path();
            }
            for (const QString& line : identification_lines(in, postbake_mode, product))
                send_message(line);
            for (const QString& line : route.name_lines)
                send_message(line);
            for (const QString& line :
                 read_csv_values(*my_file_content, layout, old_filename, *sc_data))
                send_message(line);
            apply_position_offsets(*sc_data, postbake_mode, position_offsets());
            scan_files_safe = write_scan_files(route);
        }
    }

    const csv_archive_home home = csv_archive_home_for(postbake_mode, kalix_path, product,
                                                       kalix_postbake_path, postbake_product);
    const QDate date =
        csv_archive_date(archive_using_date_of_measurement, file_time, QDate::currentDate());
    const csv_archive_result archived =
        archive_csv_file(full_name, home.home, home.product, date, ovix_name);
    archive_path = archived.archive_path;
    this_year = static_cast<std::uint16_t>(date.year());
    this_month = static_cast<std::uint16_t>(date.month());
    this_day = static_cast<std::uint16_t>(date.day());
    for (const QString& text : archived.status_texts)
        action_label->setText(text);

    // The file goes only when its content is safe: in its scan files or in the archive.
    if (scan_files_safe || archived.archived)
        platform::delete_file(full_name);
    else
        put_aside_unprocessed(full_name);
}

bool TLumotrax_spectrum_scanner_main::write_scan_files(const csv_route& route) {
    const std::vector<scan_file_target> targets =
        scan_file_targets(route, total_output_path, postbake_total_output_path);
    // A route without scan files keeps nothing of the file.
    bool all_written = !targets.empty();
    for (const scan_file_target& target : targets) {
        bool written = false;
        QString reason;
        // Without a postbake installation a sample has no folder: nothing is written
        // relative to the working folder.
        if (QFileInfo(target.file_name).isRelative()) {
            all_written = false;
            send_message(QStringLiteral("Scan file %1 not written: no postbake installation is "
                                        "configured.")
                             .arg(target.file_name));
            continue;
        }
        try {
            written = target.part == 0 ? sc_data->savetofile(target.file_name)
                                       : sc_data->save_partially_to_file(
                                             target.file_name, target.part, target.no_parts);
        } catch (const std::exception& error) {
            reason = QStringLiteral(" (") + QString::fromUtf8(error.what()) + u')';
        }
        if (!written) {
            all_written = false;
            send_message(QStringLiteral("Scan file %1 could not be written%2.")
                             .arg(target.file_name, reason));
        }
    }
    return all_written;
}

void TLumotrax_spectrum_scanner_main::put_aside_unprocessed(const QString& full_name) {
    // Neither scan file nor archive copy holds the content: the file is kept, out of the
    // way of the next files.
    const QString folder = platform::join_path(input_path, QStringLiteral("unprocessed"));
    platform::make_folder(folder);
    QString target = platform::join_path(folder, old_filename);
    if (platform::file_exists(target))
        target = platform::join_path(
            folder, QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz_")) +
                        old_filename);
    if (platform::rename_no_overwrite(full_name, target))
        send_message(QStringLiteral("%1 could not be converted or archived; kept as %2")
                         .arg(full_name, target));
    else
        send_message(QStringLiteral("%1 could not be converted, archived or set aside; it stays "
                                    "in the input folder")
                         .arg(full_name));
}
