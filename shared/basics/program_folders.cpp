#include "shared/basics/program_folders.h"

#include "shared/basics/file_routines.h"
#include "shared/basics/random_numbers.h"
#include "shared/basics/text_fields.h"
#include "shared/platform/decimal_point.h"
#include "shared/platform/folders.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform/paths.h"

#include <QFile>

#include <chrono>

namespace {

QString home_folder() {
    return application_data_folder() + platform::path_separator() + program_name();
}

} // namespace

QString program_name() {
    QString folder, name;
    platform::split_path(platform::program_file_path(), folder, name);
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return ascii_upper(name);
}

QString application_data_folder() {
    return platform::roaming_app_data_folder();
}

QString home_file_name(const QString& name) {
    return home_folder() + platform::path_separator() + name;
}

QString undo_history_folder() {
    const QChar separator = platform::path_separator();
    return home_folder() + separator + QStringLiteral("undo_history") + separator;
}

QString program_file_name(const QString& name) {
    return platform::program_folder() + platform::path_separator() + name;
}

bool clear_undo_history() {
    return delete_files(undo_history_folder(), QStringLiteral("*.*"));
}

QString temp_file_name() {
    const QString folder = platform::temp_folder();
    // Collisions are retried a bounded number of times; any other failure ends at once.
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts && !folder.isEmpty(); ++attempt) {
        const QString name = platform::join_path(
            folder, QStringLiteral("tpf") + QString::number(random_below(0x10000)) +
                        QStringLiteral(".tmp"));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!QFile::exists(name))
            break;
    }
    platform::operator_ui().show_message(
        QStringLiteral("Warning - creation of temporary file failed"));
    return {};
}

void basics_start_up() {
    // Without an application data folder the home folder would land in the root folder.
    if (!application_data_folder().isEmpty()) {
        const QString home = home_folder();
        const QChar separator = platform::path_separator();
        ensure_folder(home);
        for (const char* sub : {"downloads", "uploads", "undo_history"})
            ensure_folder(home + separator + QLatin1String(sub));
        clear_undo_history();
    }
    platform::use_point_decimal_separator();
    seed_random_numbers(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void basics_shut_down() {
    clear_undo_history();
}
