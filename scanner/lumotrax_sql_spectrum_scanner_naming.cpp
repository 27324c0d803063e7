#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/sheetresistance_file.h"
#include "scanner/bridge/spectrum_names.h"
#include "scanner/bridge/xy_file.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/basics/file_routines.h"
#include "shared/basics/sprachen.h"
#include "shared/database/sql_dataset.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

#include <QLabel>

namespace {

const QString result_name_column = QStringLiteral("resultname");
const QString load_column = QStringLiteral("LoadID");
const QString longitudinal_column = QStringLiteral("LongitudinalPositionRelativeMm");
const QString lateral_column = QStringLiteral("LateralPositionRelativeMm");

QString folder_of(const QString& file_name) {
    const qsizetype end = file_name.lastIndexOf(platform::path_separator());
    return end > 0 ? file_name.left(end) : QString();
}

} // namespace

QString TLumotrax_spectrum_scanner_main::destination_path(const QString& lumotrax_name) {
    product = product_marker_name(kalix_path);
    product_label->setText(product);
    return channel_new_folder(kalix_path, product,
                              ovix_assignment->translation(lumotrax_name, 1, QString()));
}

QString TLumotrax_spectrum_scanner_main::load_in_file_name(const QString& load_id) {
    const QString part = file_name_part(load_id);
    if (part != load_id && !renamed_loads_.contains(load_id)) {
        if (renamed_loads_.size() > 10000)
            renamed_loads_.clear();
        renamed_loads_.insert(load_id);
        send_message(QStringLiteral("Load %1 holds characters a file name cannot hold; its files "
                                    "are named %2.")
                         .arg(load_id, part));
    }
    return part;
}

QString TLumotrax_spectrum_scanner_main::spectrum_name_q() {
    const database::sql_dataset& record = *lumotrax_q_sql_access_form->Lumotrax_query;
    const QString name = record.field_text(result_name_column);
    const QString load = record.field_text(load_column);
    // Postbake samples go to the postbake installation; without one their files count as
    // having no folder.
    const QString folder = is_postbake_load(load, postbake_key_phrase) ? postbake_total_output_path
                                                                       : destination_path(name);
    return spectrum_file_name(folder, load_in_file_name(load),
                              file_name_part(spectrum_nickname->translation(name, 1, QString())),
                              position_field_1mm(this_longitudinalpositionmm),
                              position_field_1mm(this_lateralpositionmm));
}

QString TLumotrax_spectrum_scanner_main::spectrum_name_p() {
    const database::sql_dataset& record = *lumotrax_p_sql_access_form->Lumotrax_query;
    const QString name = record.field_text(result_name_column);
    return spectrum_file_name(destination_path(name),
                              load_in_file_name(record.field_text(load_column)),
                              file_name_part(spectrum_nickname->translation(name, 1, QString())),
                              position_field_grid(record.field_float(longitudinal_column), 20),
                              position_field_grid(record.field_float(lateral_column), 20));
}

QString TLumotrax_spectrum_scanner_main::spectrum_name_p_shifted_RF() {
    const database::sql_dataset& record = *lumotrax_p_sql_access_form->Lumotrax_query;
    const QString name = record.field_text(result_name_column);
    const double offset = offset_rfilm_probehead;
    return spectrum_file_name(
        destination_path(name), load_in_file_name(record.field_text(load_column)),
        file_name_part(spectrum_nickname->translation(name, 1, QString())),
        position_field_grid(record.field_float(longitudinal_column) - offset, 10),
        position_field_grid(record.field_float(lateral_column) - offset, 10));
}

void TLumotrax_spectrum_scanner_main::write_q_spectrum_file(const QString& file_name) {
    write_spectrum_file(*lumotrax_q_sql_access_form, file_name, false);
}

void TLumotrax_spectrum_scanner_main::write_p_spectrum_file(const QString& file_name) {
    write_spectrum_file(*lumotrax_p_sql_access_form, file_name, true);
}

void TLumotrax_spectrum_scanner_main::write_spectrum_file(record_source_parts& source,
                                                          const QString& file_name, bool trimmed) {
    const QString folder = folder_of(file_name);
    if (folder.isEmpty() || !platform::folder_exists(folder)) {
        ++unwritten_[folder];
        return;
    }
    const database::sql_dataset& record = *source.Lumotrax_query;
    database::sql_dataset& grid = *source.Lumotrax_wavelength_query;
    grid.close();
    grid.set_text(wavelength_query(record.field_text(QStringLiteral("ResultID")),
                                   record.field_text(QStringLiteral("Run_ID"))));
    grid.open();
    const QString wavelengths =
        grid.eof() ? QString() : grid.field_text(QStringLiteral("Wavelengths"));
    grid.close();
    const QByteArray content =
        xy_file_content(wavelengths, record.field_text(QStringLiteral("Values")),
                        trimmed ? xy_fields::trimmed : xy_fields::unchanged);
    if (!hand_over_file(file_name, content))
        ++unwritten_[folder]; // the folder went away meanwhile
}

void TLumotrax_spectrum_scanner_main::delete_action() {
    delete_files(destination_path(QStringLiteral("Transmission")), QStringLiteral("*.*"));
}

QString TLumotrax_spectrum_scanner_main::sheetresistance_target_folder() {
    return sheetresistance_folder(kalix_path, product);
}

QString TLumotrax_spectrum_scanner_main::sheetresistance_filename() {
    const database::sql_dataset& record = *sheetresistance_sql_access_form->Lumotrax_query;
    return sheetresistance_file_name(load_in_file_name(record.field_text(load_column)),
                                     record.field_float(longitudinal_column),
                                     record.field_float(lateral_column));
}
