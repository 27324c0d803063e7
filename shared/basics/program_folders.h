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
// folder of the running program file \ name
QString program_file_name(const QString& name);
// folder \ n1_n2_n3.tmp with three random numbers 0..999999; no file is created.
QString unique_temp_name(const QString& folder);
// folder \ <prefix>n1_n2_n3.tmp: a name that tells whose temporary file it is.
QString unique_temp_name(const QString& folder, const QString& prefix);
// A new empty file "tpf<number>.tmp" in the system's temporary folder; on failure a
// message and the empty text.
QString temp_file_name();

// Once at program start, before any window: home folder and its sub-folders, empty undo
// history, "." as decimal separator, random generator seeded from the clock.
void basics_start_up();
// Once at program end: empties the undo history.
void basics_shut_down();
