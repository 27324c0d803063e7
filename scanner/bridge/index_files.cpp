#include "scanner/bridge/index_files.h"

#include "shared/basics/number_text.h"
#include "shared/platform/line_list.h"

#include <QStringList>

index_reading read_index_file(const QString& path) {
    QStringList lines;
    index_reading reading;
    if (platform::load_lines(path, lines) && !lines.isEmpty())
        reading.valid = text_to_integer(lines.first(), reading.value);
    if (!reading.valid)
        reading.value = 0;
    return reading;
}

bool write_index_file(const QString& path, int value) {
    return platform::save_lines(path, {QString::number(value)});
}

QString index_problem_line(const QString& file_name) {
    return QStringLiteral("Index file %1 missing or unreadable: starting from 0.").arg(file_name);
}
