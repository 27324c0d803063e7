#pragma once

// Input files of the programs, as tests prepare them.

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

// A production measurement as the in-line system writes it: plate `plate`, `positions`
// position rows 100 mm apart, four long-form blocks of five points.
QByteArray production_csv(int positions, int plate = 4711);

// Writes a translation table (vocabulary file) of two languages, one word pair a row, to
// `file_name`; fails the current test when it cannot be saved.
void write_table(const QString& file_name,
                 const std::vector<std::pair<const char*, const char*>>& words);
