#pragma once

#include <QString>

// The least work any catch-up must do, for the floor rows of the table. Each prints its
// "key=value" figures (wall seconds first) on standard output.

// The files below `from`, read into memory beforehand, written below `to` under the same
// names with one open, write and close a file: the raw writer.
int raw_write(const QString& from, const QString& to);

// The files below `from`, read beforehand, written below `to` as the scanner hands them
// over: a look at the product marker folder `marker`, then create, write and close under a
// temporary name and a rename to the file's name.
int raw_hand_over(const QString& from, const QString& to, const QString& marker);

// The Q record query of a catch-up over the database file `db` through SQLite's own
// interface: every column of every record read as text, nothing else.
int read_records(const QString& db);
