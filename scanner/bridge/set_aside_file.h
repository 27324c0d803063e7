#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// records_not_delivered.csv: one line for every record the scanner set aside, appended
// and never removed, so nothing that did not reach KALIX goes unrecorded.
struct set_aside_record {
    QDateTime when;
    QString source;
    std::int64_t id = 0;
    QString load_id;
    QString result_name;
    QString destination;
    QString reason;
};

// Appends the record's line (UTF-8, fields quoted where they need it); the file and its
// header line are made when missing. False when the file could not be written.
bool append_set_aside_record(const QString& file_name, const set_aside_record& record);

// The header line, without its line end.
QString set_aside_header();
