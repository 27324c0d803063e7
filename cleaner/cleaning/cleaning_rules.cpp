#include "cleaner/cleaning/cleaning_rules.h"

#include "shared/basics/number_text.h"
#include "shared/platform/file_ops.h"
#include "shared/platform/paths.h"

namespace {

bool read_bounded(const QString& text, int low, int high, int& into) {
    int value = 0;
    if (!text_to_integer(text, value) || value < low || value > high)
        return false;
    into = value;
    return true;
}

constexpr int no_limit = 2147483647;

// The confirmation text and the message board use line feed, carriage return.
const QString line_break = QStringLiteral("\n\r");

} // namespace

bool validate_lifetime(const QString& days, const QString& hours, const QString& minutes,
                       lifetime& into) {
    return read_bounded(days, 0, no_limit, into.days) && read_bounded(hours, 0, 23, into.hours) &&
           read_bounded(minutes, 0, 59, into.minutes);
}

QStringList input_folders(const QString& input_path_editor_text, const QStringList& lines) {
    QStringList folders;
    for (const QString& line : lines) {
        // The separator is always added, also after an editor text that already ends with
        // one: the doubled separator names the same folder.
        folders.append(input_path_editor_text.isEmpty()
                           ? line
                           : input_path_editor_text + platform::path_separator() + line);
    }
    return folders;
}

QStringList channel_folders(const QString& total_output_path, const QStringList& lines) {
    const QChar sep = platform::path_separator();
    QStringList folders;
    for (const QString& line : lines) {
        const QString channel = total_output_path + line + sep;
        folders << channel + QStringLiteral("new") << channel + QStringLiteral("in progress")
                << channel + QStringLiteral("analyzed")
                << total_output_path + QStringLiteral("new_results");
    }
    return folders;
}

QString cleaning_question(const QStringList& folders) {
    QString text =
        QStringLiteral("Do you agree to delete outdated files in the following folders?") +
        line_break + line_break;
    for (const QString& folder : folders)
        text += line_break + folder;
    return text;
}

QStringList question_folder_list(const QString& input_path_editor_text,
                                 const QStringList& input_lines, const QString& total_output_path,
                                 const QStringList& output_lines) {
    QStringList folders;
    for (const QString& folder : input_folders(input_path_editor_text, input_lines)) {
        if (platform::folder_exists(folder))
            folders.append(folder);
    }
    if (platform::folder_exists(total_output_path))
        folders << channel_folders(total_output_path, output_lines);
    return folders;
}
