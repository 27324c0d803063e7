#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/bridge/archive_reload.h"
#include "scanner/bridge/hand_over.h"
#include "scanner/bridge/pass_engine.h"
#include "scanner/historic_pane_selection_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/record_sources/record_queries.h"
#include "shared/basics/file_routines.h"
#include "shared/database/sql_dataset.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTimer>

void TLumotrax_spectrum_scanner_main::rerun_pane_buttonClick() {
    if (!my_pane_selection)
        my_pane_selection = new Thistoric_pane_selection(this);
    if (my_pane_selection->exec() != QDialog::Accepted)
        return;
    // The regular cycle goes on where it was, however the re-run ends.
    Tlumotrax_sql_access_form& source = *lumotrax_q_sql_access_form;
    const bool was_scanning = Timer1->isActive();
    Timer1->stop();
    const std::int64_t kept_index = source.last_processed_record;
    rerun_running_ = true;
    const auto restore = qScopeGuard([&] {
        rerun_running_ = false;
        source.last_processed_record = kept_index;
        engine().post_unwritten_folders();
        if (was_scanning)
            Timer1->start();
    });
    const QDate date = my_pane_selection->DateTimePicker1->date();
    source.connect_to_lumotrax();
    database::sql_dataset& records = *source.Lumotrax_query;
    records.close();
    records.set_text(rerun_pane_query(my_pane_selection->LoadID_editor->text(), date.year(),
                                      date.month(), date.day()));
    records.open();
    process_all_lumotrax_q_records();
}

void TLumotrax_spectrum_scanner_main::load_archive_spectra_buttonClick() {
    load_archive_spectra();
}

void TLumotrax_spectrum_scanner_main::load_archive_spectra() {
    const QString day_folder = archive_day_folder(
        compute_archive_path(), product, archive_year_editor->text(), archive_month_editor->text(),
        archive_day_editor->text(), output_path_editor->text());
    if (!platform::folder_exists(day_folder)) {
        send_message(
            QStringLiteral("Archive folder %1 does not exist: nothing re-loaded.").arg(day_folder));
        return;
    }
    const QStringList masks = archive_spectrum_masks(archive_pane_id_edit->text());
    QStringList names;
    for (int kind = 0; kind < rg55_mask_index; ++kind) {
        list_files(day_folder, masks[kind], names);
        for (const QString& name : names)
            copy_archived_file(day_folder, name);
    }
    list_files(day_folder, masks[rg55_mask_index], names);
    if (!names.isEmpty()) {
        for (const QString& name : names)
            copy_archived_file(day_folder, name);
        return;
    }
    if (!add_R55_spectrum_option->isChecked())
        return;
    list_files(day_folder, masks[rg_mask_index], names);
    for (const QString& name : names) {
        // Said like a copy that could not be renamed, not dropped without a word.
        const QString target = platform::join_path(total_output_path, r55_name_for(name));
        if (!hand_over_file(target, dummy_r55_spectrum()))
            platform::operator_ui().show_message(target + QStringLiteral(" could not be renamed!"));
    }
}

void TLumotrax_spectrum_scanner_main::copy_archived_file(const QString& day_folder,
                                                         const QString& name) {
    const QString temp = unique_temp_name(total_output_path);
    platform::copy_file_overwrite(day_folder + name, temp);
    if (!platform::rename_no_overwrite(temp, platform::join_path(total_output_path, name)))
        platform::operator_ui().show_message(temp + QStringLiteral(" could not be renamed!"));
}

void TLumotrax_spectrum_scanner_main::pick_archive_date_buttonClick() {
    archive_file_dialog.initial_folder =
        compute_archive_path() + product + platform::path_separator();
    const QString file = platform::operator_ui().open_file(archive_file_dialog);
    if (file.isEmpty())
        return;
    const archive_sample sample = archive_sample_fields(file);
    archive_year_editor->setText(sample.year);
    archive_month_editor->setText(sample.month);
    archive_day_editor->setText(sample.day);
    if (sample.has_pane_id)
        archive_pane_id_edit->setText(sample.pane_id);
}
