#include "cleaner/kalix_cleaner_unit.h"

#include "cleaner/browseforfolderunit.h"
#include "cleaner/cleaning/cleaner_settings.h"
#include "cleaner/cleaning/cleaning_rules.h"
#include "shared/basics/file_routines.h"
#include "shared/basics/ini_lines.h"
#include "shared/basics/program_folders.h"
#include "shared/cleaner_routines/cleaner_routines.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/message_board/memo/message_memo.h"
#include "shared/message_board/message_board.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/folders.h"
#include "shared/platform/line_list.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"
#include "shared/platform/program_version.h"
#include "shared/platform_widgets/exact_text_box.h"
#include "shared/platform_widgets/guarded_handler.h"
#include "shared/platform_widgets/named_control.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString cleaner_settings_file = QStringLiteral("kalix_cleaner.ini");
const QString line_break = QStringLiteral("\n\r");

QLineEdit* lifetime_editor(const char* name) {
    auto* editor = platform::named(new QLineEdit(QStringLiteral("1")), name);
    editor->setMaximumWidth(60);
    return editor;
}

// "Lifetime:" with the three editors, each over its unit.
QGridLayout* lifetime_row(QLineEdit* days, QLineEdit* hours, QLineEdit* minutes) {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Lifetime:")), 0, 0);
    int column = 1;
    for (auto [editor, unit] : {std::pair<QLineEdit*, const char*>{days, "days"},
                                {hours, "hours"},
                                {minutes, "minutes"}}) {
        grid->addWidget(editor, 0, column);
        grid->addWidget(new QLabel(QLatin1String(unit)), 1, column);
        ++column;
    }
    grid->setColumnStretch(column, 1);
    return grid;
}

} // namespace

TKALIX_cleaner_form::TKALIX_cleaner_form(QWidget* parent) : TKALIX_tarvo_scanner(parent) {
    setObjectName(QStringLiteral("KALIX_cleaner_form"));
    setWindowTitle(QStringLiteral("KALIX cleaner"));
    Label5->setText(QStringLiteral("KALIX file cleaning"));
    dgt_lab->setText(QStringLiteral("Results deleted in:"));
    Timer1->setInterval(4000);
    resize(900, 680);

    input_days = lifetime_editor("input_days");
    input_hours = lifetime_editor("input_hours");
    input_minutes = lifetime_editor("input_minutes");
    output_days = lifetime_editor("output_days");
    output_hours = lifetime_editor("output_hours");
    output_minutes = lifetime_editor("output_minutes");
    zip_day_button = platform::named(new QPushButton(QStringLiteral("Zip files in day folder")),
                                     "zip_day_button");
    messages = platform::named(new message_memo(board::home_log_folder()), "messages");
    messages->board().set_line_limit(10000); // the oldest line goes first
    zip_month_button = platform::named(new QPushButton(QStringLiteral("Zip files in month folder")),
                                       "zip_month_button");
    last_run_label = platform::named(new QLabel(last_run_line(std::nullopt)), "last_run_label");
    last_run_label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    input_column->addLayout(lifetime_row(input_days, input_hours, input_minutes));
    output_column->addLayout(lifetime_row(output_days, output_hours, output_minutes));
    button_row->insertWidget(button_row->indexOf(clear_button) + 1, zip_day_button);
    button_row->insertWidget(button_row->indexOf(zip_day_button) + 1, zip_month_button);
    start_active_check_box->setVisible(true);
    main_layout->addWidget(last_run_label);
    main_layout->addWidget(messages, 2);

    clear_button->setVisible(false);
    action_label->setVisible(false);
    Label3->setVisible(false);
    Memo1->setVisible(false);

    platform::connect_guarded(zip_day_button, &QPushButton::clicked, this,
                              [this] { zip_day_buttonClick(); });
    platform::connect_guarded(zip_month_button, &QPushButton::clicked, this,
                              [this] { zip_month_buttonClick(); });

    timer_packing_.message = [this](const QString& text) { message(text); };
    timer_packing_.pass_over_failures = true;
}

TKALIX_cleaner_form::~TKALIX_cleaner_form() {
    FormDestroy();
}

void TKALIX_cleaner_form::FormCreate() {
    first_warning = true;
    TKALIX_tarvo_scanner::FormCreate();
    file_version = 1;
    read_ini_file();
    set_timer_state(start_active_check_box->isChecked());
    first_action = start_minimized;

    QStringList kalix_ini;
    platform::load_lines(program_file_name(QStringLiteral("kalix.ini")), kalix_ini);
    my_archive_path =
        archive_folder(ini_text(QStringLiteral("External archive directory"), kalix_ini, QString()),
                       with_trailing_separator(platform::program_folder()));
}

void TKALIX_cleaner_form::FormClose() {
    write_ini_file();
    TKALIX_tarvo_scanner::FormClose();
}

void TKALIX_cleaner_form::FormDestroy() {
    write_ini_file();
}

cleaner_settings TKALIX_cleaner_form::settings_from_controls() const {
    cleaner_settings settings;
    settings.file_version = file_version;
    settings.input_path = input_path_editor->text();
    settings.input_subfolders = exact_lines(input_subfolders);
    settings.output_subfolders = exact_lines(output_subfolders);
    settings.input_days = input_days->text();
    settings.input_hours = input_hours->text();
    settings.input_minutes = input_minutes->text();
    settings.output_days = output_days->text();
    settings.output_hours = output_hours->text();
    settings.output_minutes = output_minutes->text();
    settings.active_at_start = start_active_check_box->isChecked();
    settings.start_minimized = start_minimized;
    return settings;
}

void TKALIX_cleaner_form::read_ini_file() {
    start_active_check_box->setChecked(false);
    const QString file = program_file_name(cleaner_settings_file);
    if (!platform::file_exists(file))
        return;
    QStringList lines;
    platform::load_lines(file, lines);

    // Whatever the file does not reach keeps what the controls hold.
    cleaner_settings settings = settings_from_controls();
    const QString problem = read_cleaner_settings(lines, settings);

    file_version = settings.file_version;
    input_path_editor->setText(settings.input_path);
    set_exact_lines(input_subfolders, settings.input_subfolders);
    set_exact_lines(output_subfolders, settings.output_subfolders);
    input_days->setText(settings.input_days);
    input_hours->setText(settings.input_hours);
    input_minutes->setText(settings.input_minutes);
    output_days->setText(settings.output_days);
    output_hours->setText(settings.output_hours);
    output_minutes->setText(settings.output_minutes);
    start_active_check_box->setChecked(settings.active_at_start);
    start_minimized = settings.start_minimized;
    if (!problem.isEmpty())
        platform::operator_ui().show_message(problem);
}

void TKALIX_cleaner_form::write_ini_file() {
    const QString file = program_file_name(cleaner_settings_file);
    if (!platform::save_lines(file, cleaner_settings_lines(settings_from_controls()),
                              platform::text_encoding::windows_1252,
                              platform::write_mode::atomic_or_in_place))
        settings_not_saved(
            QStringLiteral("Error: %1 could not be saved!").arg(platform::native_path(file)));
}

void TKALIX_cleaner_form::settings_not_saved(const QString& the_message) {
    message(the_message);
}

void TKALIX_cleaner_form::message(const QString& the_message) {
    // The texts break lines with LF CR; the board shows every part as a line of its own.
    messages->board().post(the_message);
    QCoreApplication::processEvents();
}

bool TKALIX_cleaner_form::lifetimes_valid() {
    lifetime input{in_days, in_hours, in_minutes};
    lifetime output{out_days, out_hours, out_minutes};
    const bool valid =
        validate_lifetime(input_days->text(), input_hours->text(), input_minutes->text(), input) &&
        validate_lifetime(output_days->text(), output_hours->text(), output_minutes->text(),
                          output);
    in_days = input.days;
    in_hours = input.hours;
    in_minutes = input.minutes;
    out_days = output.days;
    out_hours = output.hours;
    out_minutes = output.minutes;
    return valid;
}

void TKALIX_cleaner_form::timer_action() {
    if (first_warning) {
        Timer1->stop();
        compose_total_output_path();
        QStringList folders;
        if (lifetimes_valid())
            folders = question_folder_list(input_path_editor->text(), exact_lines(input_subfolders),
                                           total_output_path, exact_lines(output_subfolders));
        if (platform::operator_ui().ask_yes_no(QStringLiteral("Cleaning ..."),
                                               cleaning_question(folders))) {
            first_warning = false;
            timer_on();
        } else {
            timer_off();
        }
        return;
    }
    cleaning_step();
}

void TKALIX_cleaner_form::cleaning_step() {
    if (first_action) {
        first_action = false;
        showMinimized();
        return;
    }
    // The next tick starts afresh whatever happened here.
    scan_pass_guard guard(*this);
    cleaning_run run;
    run.started = QDateTime::currentDateTime();
    deletion_tally deleted;
    int no_zip_files = 0;
    int zipped = 0;
    timer_packing_.bytes_freed = 0;
    try {
        Timer1->setInterval(4000);
        compose_total_output_path();
        if (lifetimes_valid()) {
            action_label->setText(QStringLiteral("Deleting ..."));
            const QString all = QStringLiteral("*.*");
            for (const QString& folder :
                 input_folders(input_path_editor->text(), exact_lines(input_subfolders))) {
                input_path = folder;
                if (platform::folder_exists(folder))
                    delete_old_files(folder, all, in_days, in_hours, in_minutes, 0,
                                     QDateTime::currentDateTime(), &deleted);
            }
            if (platform::folder_exists(total_output_path)) {
                for (const QString& folder :
                     channel_folders(total_output_path, exact_lines(output_subfolders)))
                    delete_old_files(folder, all, out_days, out_hours, out_minutes, 0,
                                     QDateTime::currentDateTime(), &deleted);
            }
        }
        // Without a current product there is no product archive to pack; the archive
        // root itself must not grow date folders. A packing started from a button
        // owns the archive until it ends.
        if (!my_archive_path.isEmpty() && !product.isEmpty() && !zipping_on_demand_) {
            const QString day = date_folder(my_archive_path + product + platform::path_separator());
            zip_day_button->setEnabled(false);
            zip_month_button->setEnabled(false);
            const auto enable_buttons = qScopeGuard([this] {
                zip_day_button->setEnabled(true);
                zip_month_button->setEnabled(true);
            });
            zipped = no_kalix_files_moved_to_zip_files(day, no_zip_files, timer_packing_);
        }
    } catch (...) {
        // An unreadable file or a full disk must not stop the unattended cleaning.
    }
    action_label->setText(QStringLiteral("Scanning ..."));
    const QDateTime end = QDateTime::currentDateTime();
    run.duration_ms = run.started.msecsTo(end);
    run.files_deleted = deleted.files;
    run.files_zipped = zipped;
    run.archives_written = no_zip_files;
    run.bytes_freed = deleted.bytes + timer_packing_.bytes_freed;
    run.files_passed_over = static_cast<int>(
        std::count_if(timer_packing_.passed_over.cbegin(), timer_packing_.passed_over.cend(),
                      [&end](const QDateTime& until) { return end < until; }));
    run.next_run = end.addMSecs(Timer1->interval());
    report_run(run);
}

QString TKALIX_cleaner_form::status_file() const {
    return QDir(board::home_log_folder()).filePath(QStringLiteral("kalix_cleaner_status.json"));
}

void TKALIX_cleaner_form::report_run(const cleaning_run& run) {
    last_run_ = run;
    last_run_label->setText(last_run_line(last_run_));
    cleaner_status status;
    status.program = QStringLiteral("kalix_cleaner");
    status.version = platform::program_version();
    status.started = started_;
    status.last_run = last_run_;
    QDir().mkpath(board::home_log_folder());
    if (!write_cleaner_status_file(status_file(), status))
        messages->board().post_error(QStringLiteral("The status file %1 could not be written.")
                                         .arg(platform::native_path(status_file())),
                                     QStringLiteral("kalix_cleaner_status.json"));
}

void TKALIX_cleaner_form::zip_one_day_folder(const QString& folder, int& no_zip_files) {
    const int files = no_kalix_files_moved_to_zip_files(
        folder, no_zip_files, [this](const QString& text) { message(text); });
    message(line_break + QStringLiteral("All together ") + QString::number(files) +
            QStringLiteral(" files have been zipped."));
    message(QString::number(no_zip_files) + QStringLiteral(" zip files were created.") +
            line_break + line_break);
}

void TKALIX_cleaner_form::zip_day_folder() {
    const QString folder =
        browse_for_folder(QStringLiteral("Select day folder"), my_archive_path, false);
    const QScopedValueRollback<bool> on_demand(zipping_on_demand_, true);
    message(QStringLiteral("Zip files in folder ") + folder + QStringLiteral(" ..."));
    int no_zip_files = 0;
    zip_one_day_folder(folder, no_zip_files);
}

void TKALIX_cleaner_form::zip_month_folder() {
    const QString month =
        browse_for_folder(QStringLiteral("Select month folder"), my_archive_path, false);
    const QScopedValueRollback<bool> on_demand(zipping_on_demand_, true);
    QStringList days;
    no_subfolders = list_subfolders(month, days);
    int no_zip_files = 0;
    for (const QString& day : days) {
        const QString folder = platform::join_path(month, day);
        message(QStringLiteral("Zip files in folder ") + folder + QStringLiteral(" ..."));
        zip_one_day_folder(folder, no_zip_files);
    }
}

void TKALIX_cleaner_form::zip_day_buttonClick() {
    zip_day_folder();
}

void TKALIX_cleaner_form::zip_month_buttonClick() {
    zip_month_folder();
}
