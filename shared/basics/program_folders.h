#pragma once

#include <QString>

// The program file's name without folder and ".exe", ASCII letters upper-cased.
QString program_name();
// The user's roaming application-data folder without trailing separator; empty if unknown.
QString application_data_folder();
// application data folder \ PROGRAM NAME \ name
QString home_file_name(const QString& name);
// application data folder \ PROGRAM NAME \ undo_history \ (with trailing separator)
QString undo_history_folder();
// Deletes the files of the undo history folder; false when there is no such folder.
bool clear_undo_history();
// folder of the running program file \ name
QString program_file_name(const QString& name);
// A new empty file "tpf<number>.tmp" in the system's temporary folder; on failure a
// message and the empty text.
QString temp_file_name();

// Once at program start, before any window: home folder and its sub-folders, empty undo
// history, "." as decimal separator, random generator seeded from the clock.
void basics_start_up();
// Once at program end: empties the undo history.
void basics_shut_down();
