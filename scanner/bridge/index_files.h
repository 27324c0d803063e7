#pragma once

#include <QString>

#include <cstdint>

// The last processed record of each database, kept across restarts in a one-line file
// in the program folder, with the previous good index beside it (path + ".previous").
struct index_reading {
    std::int64_t value = 0;
    enum class origin { file, previous_copy, none } from = origin::none;
};

// Reads only the start of the first line, so a huge file costs nothing. A missing, empty,
// garbage or negative index falls back to the previous copy; with neither, from = none
// and value = 0.
index_reading read_index_file(const QString& path);
// Keeps the file's current content as previous copy when it holds a valid index, then
// replaces the file atomically, so a crash or a full disk never leaves it empty. False
// when the file could not be written.
bool write_index_file(const QString& path, std::int64_t value);
// The board line for an index that could not be read and has no previous copy.
QString index_problem_line(const QString& file_name);
// The board line for an index that could not be read, taken from its previous copy.
QString index_previous_copy_line(const QString& file_name, std::int64_t value);
