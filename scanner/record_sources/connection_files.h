#pragma once

#include <QString>

// The connection strings of the record source windows, kept as password files in the home
// folder. Every window reads one file and writes the other; all windows share the two.

// home folder \ lumotrax_corona_connection.bin: read when a window is created.
QString connection_file_read_name();
// home folder \ lumotrax_sql_connection.bin: written when the operator closes a window.
QString connection_file_written_name();

// The connection string of a new window: the read file's text, empty when it is missing.
QString read_connection_string();
void write_connection_string(const QString& connection_string);
