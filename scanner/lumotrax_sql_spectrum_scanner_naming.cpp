#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/delivery.h"
#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/pass_engine.h"
#include "scanner/bridge/sheetresistance_file.h"
#include "scanner/bridge/spectrum_names.h"
#include "scanner/bridge/xy_file.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "scanner/window_record_source.h"
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

} // namespace

QString TLumotrax_spectrum_scanner_main::destination_path(const QString& lumotrax_name) {
    product = product_marker_name(kalix_path);
    product_label->setText(product);
    return channel_new_folder(kalix_path, product,
                              ovix_assignment->translation(lumotrax_name, 1, QString()));
}

QString TLumotrax_spectrum_scanner_main::spectrum_name_q() {
    const database::sql_dataset& record = *lumotrax_q_sql_access_form->Lumotrax_query;
    const QString name = record.field_text(result_name_column);
    const QString load = record.field_text(load_column);
    // Postbake samples go to the postbake installation; without one their files count as
    // having no folder.
    const QString folder = is_postbake_load(load, postbake_key_phrase) ? postbake_total_output_path
                                                                       : destination_path(name);
    return spectrum_file_name(folder, engine().load_in_file_name(load),
                              file_name_part(spectrum_nickname->translation(name, 1, QString())),
                              position_field_1mm(this_longitudinalpositionmm),
                              position_field_1mm(this_lateralpositionmm));
}

QString TLumotrax_spectrum_scanner_main::spectrum_name_p() {
    const database::sql_dataset& record = *lumotrax_p_sql_access_form->Lumotrax_query;
    const QString name = record.field_text(result_name_column);
    return spectrum_file_name(destination_path(name),
                              engine().load_in_file_name(record.field_text(load_column)),
                              file_name_part(spectrum_nickname->translation(name, 1, QString())),
                              position_field_grid(record.field_float(longitudinal_column), 20),
                              position_field_grid(record.field_float(lateral_column), 20));
}

QString TLumotrax_spectrum_scanner_main::spectrum_name_p_shifted_RF() {
    const database::sql_dataset& record = *lumotrax_p_sql_access_form->Lumotrax_query;
    const QString name = record.field_text(result_name_column);
    const double offset = offset_rfilm_probehead;
    return spectrum_file_name(
        destination_path(name), engine().load_in_file_name(record.field_text(load_column)),
        file_name_part(spectrum_nickname->translation(name, 1, QString())),
        position_field_grid(record.field_float(longitudinal_column) - offset, 10),
        position_field_grid(record.field_float(lateral_column) - offset, 10));
}

void TLumotrax_spectrum_scanner_main::write_q_spectrum_file(const QString& file_name) {
    write_spectrum_file(*lumotrax_q_sql_access_form, *q_source_, file_name, false);
}

void TLumotrax_spectrum_scanner_main::write_p_spectrum_file(const QString& file_name) {
    write_spectrum_file(*lumotrax_p_sql_access_form, *p_source_, file_name, true);
}

void TLumotrax_spectrum_scanner_main::write_spectrum_file(record_source_parts& source,
                                                          window_record_source& reader,
                                                          const QString& file_name, bool trimmed) {
    destination where;
    where.folder = folder_of(file_name);
    if (where.folder.isEmpty() || !platform::folder_exists(where.folder))
        return;
    const database::sql_dataset& record = *source.Lumotrax_query;
    const QByteArray content =
        xy_file_content(reader.wavelengths(record.field_text(QStringLiteral("ResultID")),
                                           record.field_text(QStringLiteral("Run_ID"))),
                        record.field_text(QStringLiteral("Values")),
                        trimmed ? xy_fields::trimmed : xy_fields::unchanged);
    deliver_file(where, file_name.mid(where.folder.size() + 1), content);
}

void TLumotrax_spectrum_scanner_main::delete_action() {
    delete_files(destination_path(QStringLiteral("Transmission")), QStringLiteral("*.*"));
}

QString TLumotrax_spectrum_scanner_main::sheetresistance_target_folder() {
    return sheetresistance_folder(kalix_path, product);
}

QString TLumotrax_spectrum_scanner_main::sheetresistance_filename() {
    const database::sql_dataset& record = *sheetresistance_sql_access_form->Lumotrax_query;
    return sheetresistance_file_name(engine().load_in_file_name(record.field_text(load_column)),
                                     record.field_float(longitudinal_column),
                                     record.field_float(lateral_column));
}
