#pragma once

#include <QString>

// The last processed record of each database, kept across restarts in a one-line file
// in the program folder.
struct index_reading {
    int value = 0;
    bool valid = false; // false: missing, empty, unreadable or not an integer
};

index_reading read_index_file(const QString& path);
// Replaces the file atomically, so a crash or a full disk never leaves it empty.
bool write_index_file(const QString& path, int value);
// The board line for an index that could not be read.
QString index_problem_line(const QString& file_name);
