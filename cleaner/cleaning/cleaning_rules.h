#pragma once

#include <QString>
#include <QStringList>

struct lifetime {
    int days = 0;
    int hours = 0;
    int minutes = 0;
};

// Checks days (>= 0), hours (0..23) and minutes (0..59) in this order; every valid value is
// stored in `into` at once, the first invalid one ends the check with false.
bool validate_lifetime(const QString& days, const QString& hours, const QString& minutes,
                       lifetime& into);

// The input folders to clean: editor text + separator + line, or the line itself when the
// editor is empty.
QStringList input_folders(const QString& input_path_editor_text, const QStringList& lines);

// The four folders of every channel line below the product's measurement folder (which
// ends with a separator): new, in progress, analyzed, and new_results.
QStringList channel_folders(const QString& total_output_path, const QStringList& lines);

// The text of the one-time confirmation question for the given folder list.
QString cleaning_question(const QStringList& folders);

// The folders the confirmation question lists, for lifetimes that passed the validation:
// the input folders that exist, then, if `total_output_path` exists, every channel folder
// whether it exists or not.
QStringList question_folder_list(const QString& input_path_editor_text,
                                 const QStringList& input_lines, const QString& total_output_path,
                                 const QStringList& output_lines);
