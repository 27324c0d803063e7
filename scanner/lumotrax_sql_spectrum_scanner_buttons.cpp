#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/message_board/memo/message_memo.h"

#include <QCheckBox>
#include <QLabel>

void TLumotrax_spectrum_scanner_main::active_buttonClick() {
    if (!start_with_latest_processed_record->isChecked()) {
        // A source whose newest record is unknown keeps its stored index: an unknown 0
        // would export that database's whole history again.
        for (record_source_parts* source : std::initializer_list<record_source_parts*>{
                 lumotrax_q_sql_access_form, lumotrax_p_sql_access_form,
                 sheetresistance_sql_access_form}) {
            if (source->last_measured_record_known)
                source->last_processed_record = source->last_measured_record;
        }
    }
    start_flag = false;
    TFS_scanner_main::active_buttonClick();
    action_label->setText(QStringLiteral("Scan inline folder ..."));
}

void TLumotrax_spectrum_scanner_main::Button2Click() {
    messages->board().clear();
}

void TLumotrax_spectrum_scanner_main::lumotraxQ_sql_access_form_buttonClick() {
    lumotrax_q_sql_access_form->show();
    lumotrax_q_sql_access_form->raise();
}

void TLumotrax_spectrum_scanner_main::LumotraxP_SQL_access_fomr_buttonClick() {
    lumotrax_p_sql_access_form->show();
    lumotrax_p_sql_access_form->raise();
}

void TLumotrax_spectrum_scanner_main::sheet_resistance_buttonClick() {
    sheetresistance_sql_access_form->show();
    sheetresistance_sql_access_form->raise();
}

void TLumotrax_spectrum_scanner_main::ovix_assign_buttonClick() {
    edit_translation_table(ovix_assignment_file());
}

void TLumotrax_spectrum_scanner_main::nickname_buttonClick() {
    edit_translation_table(spectrum_nicknames_file());
}

void TLumotrax_spectrum_scanner_main::edit_translation_table(const QString& file_name) {
    // Edits reach the tables in use at the next start of the program.
    if (!language_editor) {
        language_editor = new Tlanguage_editor_form(this);
        language_editor->setObjectName(QStringLiteral("language_editor_form"));
    }
    language_editor->load_file(file_name);
    language_editor->exec();
}

void TLumotrax_spectrum_scanner_main::test_mode_0_buttonClick() {
    test_mode = 0;
}

void TLumotrax_spectrum_scanner_main::test_mode_1_buttonClick() {
    test_mode = 1;
}
