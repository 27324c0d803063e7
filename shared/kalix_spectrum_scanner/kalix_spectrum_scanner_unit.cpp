#include "shared/kalix_spectrum_scanner/kalix_spectrum_scanner_unit.h"

#include "shared/basics/file_routines.h"
#include "shared/basics/ini_lines.h"
#include "shared/basics/program_folders.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_paths.h"
#include "shared/kalix_spectrum_scanner/settings/kalix_scanner_settings.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/folders.h"
#include "shared/platform/line_list.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"
#include "shared/platform_widgets/guarded_handler.h"
#include "shared/platform_widgets/named_control.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

using platform::named;

const QString scanner_settings_file = QStringLiteral("kalix_scanner.ini");

QLabel* path_label(const QString& text, const char* name) {
    auto* label = named(new QLabel(text), name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(320);
    return label;
}

void set_button_text_colour(QPushButton* button, Qt::GlobalColor colour) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
}

} // namespace

TKALIX_spectrum_scanner::TKALIX_spectrum_scanner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("KALIX_spectrum_scanner"));
    setWindowTitle(QStringLiteral("KALIX  scanner"));

    input_path_editor =
        named(new QLineEdit(QStringLiteral("Specify input path here")), "input_path_editor");
    output_path_editor =
        named(new QLineEdit(QStringLiteral("Specify OVIX name here")), "output_path_editor");
    Label1 = named(new QLabel(QStringLiteral("Input path:")), "Label1");
    ovix_lab = named(new QLabel(QStringLiteral("OVIX:")), "ovix_lab");
    Label3 = named(new QLabel(QStringLiteral("Last action:")), "Label3");
    action_label = path_label(QStringLiteral("------"), "action_label");
    Label5 = named(new QLabel(QStringLiteral("KALIX spectrum import")), "Label5");
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);
    clear_button = named(new QPushButton(QStringLiteral("Clear input")), "clear_button");
    active_button = named(new QPushButton(QStringLiteral("Active")), "active_button");
    bp_lb = named(new QLabel(QStringLiteral("KALIX path:")), "bp_lb");
    KALIX_path_label = path_label(QString(), "KALIX_path_label");
    cp_lab = named(new QLabel(QStringLiteral("Current product:")), "cp_lab");
    product_label = path_label(QString(), "product_label");
    dgt_lab = named(new QLabel(QStringLiteral("Data go to:")), "dgt_lab");
    total_output_path_label = path_label(QStringLiteral("---"), "total_output_path_label");
    alive_timer = named(new QTimer(this), "alive_timer");
    alive_timer->setInterval(5000);
    start_active_check_box =
        named(new QCheckBox(QStringLiteral("Start active")), "start_active_check_box");
    automatic_product_identification =
        named(new QCheckBox(QStringLiteral("Automatic product identification")),
              "automatic_product_identification");
    postbake_output_path_editor = named(new QLineEdit(QStringLiteral("Specify OVIX name here")),
                                        "postbake_output_path_editor");
    kalix_postbake_path_label = path_label(QStringLiteral("---"), "kalix_postbake_path_label");
    postbake_product_label = path_label(QStringLiteral("---"), "postbake_product_label");
    postbake_total_output_path_label =
        path_label(QStringLiteral("---"), "postbake_total_output_path_label");
    Label4b = named(new QLabel(QStringLiteral("OVIX insitu:")), "Label4b");
    ovix_insitu_editor =
        named(new QLineEdit(QStringLiteral("Specify OVIX name here")), "ovix_insitu_editor");

    QFont title_font = Label5->font();
    title_font.setPointSizeF(title_font.pointSizeF() * 1.5);
    title_font.setBold(true);
    Label5->setFont(title_font);

    main_layout = new QVBoxLayout(this);
    main_layout->addWidget(Label5);
    path_grid = new QGridLayout;
    path_grid->setColumnStretch(1, 1);
    int row = 0;
    for (auto [label, field] : {std::pair<QWidget*, QWidget*>{Label1, input_path_editor},
                                {ovix_lab, output_path_editor},
                                {Label4b, ovix_insitu_editor},
                                {bp_lb, KALIX_path_label},
                                {cp_lab, product_label},
                                {dgt_lab, total_output_path_label},
                                {nullptr, postbake_output_path_editor},
                                {nullptr, kalix_postbake_path_label},
                                {nullptr, postbake_product_label},
                                {nullptr, postbake_total_output_path_label},
                                {Label3, action_label}}) {
        if (label)
            path_grid->addWidget(label, row, 0);
        path_grid->addWidget(field, row, 1);
        ++row;
    }
    main_layout->addLayout(path_grid);
    button_row = new QHBoxLayout;
    button_row->addWidget(active_button);
    button_row->addWidget(clear_button);
    button_row->addWidget(start_active_check_box);
    button_row->addWidget(automatic_product_identification);
    button_row->addStretch(1);
    main_layout->addLayout(button_row);

    for (QWidget* hidden : std::initializer_list<QWidget*>{
             start_active_check_box, automatic_product_identification, postbake_output_path_editor,
             kalix_postbake_path_label, postbake_product_label, postbake_total_output_path_label,
             Label4b, ovix_insitu_editor})
        hidden->setVisible(false);

    platform::connect_guarded(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    platform::connect_guarded(alive_timer, &QTimer::timeout, this, [this] { alive_timerTimer(); });
    platform::connect_guarded(active_button, &QPushButton::clicked, this,
                              [this] { active_buttonClick(); });
    platform::connect_guarded(clear_button, &QPushButton::clicked, this,
                              [this] { clear_buttonClick(); });
}

TKALIX_spectrum_scanner::~TKALIX_spectrum_scanner() = default;

void TKALIX_spectrum_scanner::FormCreate() {
    process_file_delay_time_in_seconds = 0.0f;
    start_minimized = false;
    save_ini_file = true;

    const QString settings_file = program_file_name(scanner_settings_file);
    if (platform::file_exists(settings_file)) {
        QStringList lines;
        platform::load_lines(settings_file, lines);
        kalix_scanner_settings settings;
        settings.process_file_delay_time_in_seconds = process_file_delay_time_in_seconds;
        if (!read_kalix_scanner_settings(lines, settings)) {
            platform::operator_ui().show_message(QStringLiteral(
                "Error: kalix_scanner.ini does not contain sufficient information!"));
        } else {
            input_path = settings.input_path;
            input_path_editor->setText(input_path);
            ovix_name = settings.ovix_name;
            output_path_editor->setText(ovix_name);
            automatic_product_identification->setChecked(settings.automatic_product_identification);
            no_scan_files = settings.no_scan_files;
            no_spectral_positions = settings.no_spectral_positions;
            no_spectral_positions_backup = no_spectral_positions;
            ovix_insitu_name = settings.ovix_insitu_name;
            process_file_delay_time_in_seconds = settings.process_file_delay_time_in_seconds;
            save_ini_file = settings.save_ini_file;
            ovix_insitu_editor->setText(ovix_insitu_name);
            read_additional_kalix_scanner_ini_data(lines);
        }
    } else {
        input_path.clear();
        ovix_name.clear();
        input_path_editor->clear();
        output_path_editor->clear();
    }

    // An empty folder settings file says as little as a missing one.
    kalix_path = folder_from_settings_file(program_file_name(QStringLiteral("kalix_path.ini")));
    if (kalix_path.isEmpty())
        kalix_path = with_trailing_separator(platform::program_folder());
    KALIX_path_label->setText(kalix_path);

    const QString postbake_file = program_file_name(QStringLiteral("kalix_postbake_path.ini"));
    kalix_postbake_path = folder_from_settings_file(postbake_file);
    if (!kalix_postbake_path.isEmpty()) {
        QStringList lines;
        platform::load_lines(postbake_file, lines);
        if (lines.size() > 1) {
            postbake_ovix_name = lines[1];
            postbake_output_path_editor->setText(postbake_ovix_name);
        }
        read_additional_postbake_ini_data(lines);
    }
    kalix_postbake_path_label->setText(kalix_postbake_path);

    compose_total_output_path();
    live_signal_file =
        live_signal_file_name(kalix_path, QFileInfo(platform::program_file_path()).fileName());
    read_kalix_ini();
    switch_timer_state();
    alive_timer->start();
}

void TKALIX_spectrum_scanner::FormClose() {
    kalix_scanner_settings settings;
    settings.input_path = input_path_editor->text();
    settings.ovix_name = output_path_editor->text();
    settings.automatic_product_identification = automatic_product_identification->isChecked();
    settings.no_scan_files = no_scan_files;
    settings.no_spectral_positions = no_spectral_positions_backup;
    settings.ovix_insitu_name = ovix_insitu_name;
    settings.insitu_input_path = insitu_input_path;
    settings.process_file_delay_time_in_seconds = process_file_delay_time_in_seconds;
    settings.save_ini_file = save_ini_file;
    QStringList lines = kalix_scanner_settings_lines(settings);
    write_additional_kalix_scanner_ini_data(lines);

    const QString settings_file = program_file_name(scanner_settings_file);
    if (save_ini_file && !is_read_only(settings_file) &&
        !platform::save_lines(settings_file, lines, platform::text_encoding::windows_1252,
                              platform::write_mode::atomic_or_in_place))
        settings_not_saved(QStringLiteral("Error: %1 could not be saved!")
                               .arg(platform::native_path(settings_file)));
}

void TKALIX_spectrum_scanner::settings_not_saved(const QString& the_message) {
    platform::operator_ui().show_message(the_message);
}

void TKALIX_spectrum_scanner::closeEvent(QCloseEvent* event) {
    FormClose();
    QWidget::closeEvent(event);
}

void TKALIX_spectrum_scanner::read_kalix_ini() {
    const QString file = kalix_path + QStringLiteral("kalix.ini");
    if (!platform::file_exists(file)) {
        external_archive_directory.clear();
        return;
    }
    QStringList lines;
    platform::load_lines(file, lines);
    external_archive_directory = ini_text_first(lines, QStringLiteral("External archive directory"),
                                                external_archive_directory);
}

QString TKALIX_spectrum_scanner::compute_archive_path() {
    return archive_folder(external_archive_directory, kalix_path);
}

void TKALIX_spectrum_scanner::compose_total_output_path() {
    input_path = with_trailing_separator(input_path_editor->text());
    insitu_input_path = with_trailing_separator(insitu_input_path);
    ovix_name = output_path_editor->text();
    product = product_marker_name(kalix_path);
    product_label->setText(product);
    total_output_path = channel_new_folder(kalix_path, product, ovix_name);
    total_output_path_label->setText(total_output_path);
    total_output_path_insitu = channel_new_folder(kalix_path, product, ovix_insitu_name);
    if (kalix_postbake_path.isEmpty())
        return;
    postbake_ovix_name = postbake_output_path_editor->text();
    postbake_product = product_marker_name(kalix_postbake_path);
    postbake_product_label->setText(postbake_product);
    postbake_total_output_path =
        channel_new_folder(kalix_postbake_path, postbake_product, postbake_ovix_name);
    postbake_total_output_path_label->setText(postbake_total_output_path);
}

void TKALIX_spectrum_scanner::compose_measurement_path() {
    product = product_marker_name(kalix_path);
    product_label->setText(product);
    measurement_path = measurement_folder(kalix_path, product);
}

void TKALIX_spectrum_scanner::set_new_product() {
    // A failed rename shows itself: the next path composition reads the old product back.
    rename_product_marker(kalix_path, product);
}

QString TKALIX_spectrum_scanner::new_name(const QString& old_name) {
    return handed_over_name(old_name);
}

void TKALIX_spectrum_scanner::timer_action() {}
void TKALIX_spectrum_scanner::delete_action() {}
void TKALIX_spectrum_scanner::read_additional_postbake_ini_data(const QStringList&) {}
void TKALIX_spectrum_scanner::read_additional_kalix_scanner_ini_data(const QStringList&) {}
void TKALIX_spectrum_scanner::write_additional_kalix_scanner_ini_data(QStringList&) {}

void TKALIX_spectrum_scanner::switch_timer_state() {
    if (Timer1->isActive())
        timer_off();
    else
        timer_on();
}

void TKALIX_spectrum_scanner::set_timer_state(bool active) {
    if (active)
        timer_on();
    else
        timer_off();
}

void TKALIX_spectrum_scanner::timer_on() {
    active_button->setText(QStringLiteral("Stop scan"));
    set_button_text_colour(active_button, Qt::red);
    action_label->setText(QStringLiteral("Scanning ") + input_path + QStringLiteral(" ... "));
    Timer1->start();
}

void TKALIX_spectrum_scanner::timer_off() {
    Timer1->stop();
    set_button_text_colour(active_button, Qt::black);
    active_button->setText(QStringLiteral("Start scan"));
    action_label->setText(QStringLiteral("Not scanning ... "));
}

void TKALIX_spectrum_scanner::Timer1Timer() {
    // A click on the scan button during a pass switches the timer on again; its ticks must
    // not start a second pass inside the running one.
    if (pass_running_)
        return;
    const QScopedValueRollback<bool> running(pass_running_, true);
    timer_action();
}

void TKALIX_spectrum_scanner::alive_timerTimer() {
    if (platform::file_exists(live_signal_file))
        return;
    const QString folder = kalix_path + QStringLiteral("live_signals");
    if (!platform::folder_exists(folder))
        platform::make_folder(folder);
    const QString temp = write_unique_temp_file(folder, {});
    // Somebody may have re-created the signal meanwhile: then the spare file goes.
    if (!platform::rename_no_overwrite(temp, live_signal_file))
        platform::delete_file(temp);
}

void TKALIX_spectrum_scanner::active_buttonClick() {
    switch_timer_state();
}

void TKALIX_spectrum_scanner::clear_buttonClick() {
    delete_action();
}

TKALIX_spectrum_scanner::scan_pass_guard::scan_pass_guard(TKALIX_spectrum_scanner& window)
    : window_(window) {
    window_.Timer1->stop();
}

TKALIX_spectrum_scanner::scan_pass_guard::~scan_pass_guard() {
    window_.Timer1->start();
}
