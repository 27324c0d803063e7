#include "shared/basics/ini_lines.h"

#include "shared/basics/number_text.h"
#include "shared/basics/text_fields.h"
#include "shared/platform/operator_interface.h"

namespace {

bool is_key_line(const QString& line, const QString& upper_key) {
    return ascii_upper(line) == upper_key;
}

// Index of the first line that matches the key, -1 when there is none.
qsizetype first_key_line(const QStringList& lines, const QString& key) {
    const QString upper_key = ascii_upper(key);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (is_key_line(lines[i], upper_key))
            return i;
    }
    return -1;
}

} // namespace

namespace {

// Indices of the value lines of every matching key, first to last. A value line is never
// itself taken for a key, and a key on the last line has no value.
QList<qsizetype> value_lines(const QString& key, const QStringList& lines) {
    const QString upper_key = ascii_upper(key);
    QList<qsizetype> found;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (is_key_line(lines[i], upper_key))
            found.append(++i);
    }
    return found;
}

} // namespace

QString ini_text(const QString& key, const QStringList& lines, const QString& default_text) {
    const QList<qsizetype> found = value_lines(key, lines);
    return found.isEmpty() ? default_text : lines[found.back()];
}

int ini_integer(const QString& key, const QStringList& lines, int default_integer) {
    int result = default_integer;
    for (const qsizetype i : value_lines(key, lines))
        text_to_integer(lines[i], result);
    return result;
}

QString ini_text_first(const QStringList& lines, const QString& key, const QString& default_text) {
    const qsizetype i = first_key_line(lines, key);
    if (i < 0 || i + 1 >= lines.size())
        return default_text;
    return lines[i + 1];
}

int ini_integer_first(const QStringList& lines, const QString& key, int default_integer) {
    const qsizetype i = first_key_line(lines, key);
    if (i < 0 || i + 1 >= lines.size())
        return default_integer;
    int result = default_integer;
    if (!text_to_integer(lines[i + 1], result)) {
        platform::operator_ui().show_message(QStringLiteral("Error: ") + key +
                                             QStringLiteral(" not found in ini-file!"));
        return default_integer;
    }
    return result;
}
