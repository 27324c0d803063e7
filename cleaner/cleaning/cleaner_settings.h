#pragma once

#include <QString>
#include <QStringList>

// The values of kalix_cleaner.ini, as the window's controls hold them.
struct cleaner_settings {
    int file_version = 1;
    QString input_path;
    QStringList input_subfolders;
    QStringList output_subfolders;
    // Lifetime texts as typed: input days, hours, minutes, then output days, hours, minutes.
    QString input_days = QStringLiteral("1");
    QString input_hours = QStringLiteral("1");
    QString input_minutes = QStringLiteral("1");
    QString output_days = QStringLiteral("1");
    QString output_hours = QStringLiteral("1");
    QString output_minutes = QStringLiteral("1");
    bool active_at_start = false;
    bool start_minimized = false;
};

// Reads the lines of the file into `settings` in file order. Stops at the first problem
// and returns its message; what was read before it stays in `settings`. Returns the empty
// text when everything was read.
QString read_cleaner_settings(const QStringList& lines, cleaner_settings& settings);

// The lines of the file for the given settings.
QStringList cleaner_settings_lines(const cleaner_settings& settings);
