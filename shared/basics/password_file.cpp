#include "shared/basics/password_file.h"

#include "shared/basics/little_endian.h"
#include "shared/basics/random_numbers.h"
#include "shared/basics/string_records.h"
#include "shared/platform/operator_interface.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <exception>

namespace {

constexpr int header_filler_singles = 187;
constexpr int character_filler_singles = 7;
constexpr qint64 count_offset = 4 + 4 * header_filler_singles;
constexpr qint64 character_filler_bytes = 4 * character_filler_singles;
constexpr qsizetype max_characters = 65535;
constexpr qint64 max_file_bytes = 16 * 1024 * 1024;

class file_failure {};

QByteArray filler(int singles) {
    QByteArray bytes;
    bytes.reserve(4 * singles);
    for (int i = 0; i < singles; ++i)
        bytes += single_bytes(random_unit_single());
    return bytes;
}

} // namespace

void write_password_file(const QString& text, const QString& file_name) {
    QFile file(file_name);
    bool written = false;
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        try {
            write_all(file, single_bytes(file_format_version));
            write_all(file, filler(header_filler_singles));
            if (text.size() > max_characters)
                throw file_failure{};
            write_all(file, uint16_bytes(static_cast<std::uint16_t>(text.size())));
            for (const QChar c : text) {
                write_all(file, filler(character_filler_singles));
                write_string_to_stream(QString(c), file);
            }
            written = file.flush();
        } catch (const file_failure&) {
        } catch (const std::exception&) {
        }
        // What was written so far stays on disk, also after a failure.
        file.close();
    }
    if (!written)
        platform::operator_ui().show_message(
            "Could not write password to file " + file_name +
            " - please check file properties for write protection!");
}

QString read_password_file(const QString& file_name) {
    QString text;
    QByteArray content;
    {
        QFile file(file_name);
        if (!file.open(QIODevice::ReadOnly)) {
            platform::operator_ui().show_message("Could not read password from file " + file_name);
            return text;
        }
        // Read at once: the records are walked with a seek per character. A real file is a
        // few kilobytes; the cap keeps a stray large file from filling memory. (Asked for
        // more than the file holds, read() would set up a buffer of the full cap first.)
        content = file.read(std::min(file.size(), max_file_bytes));
    }
    QBuffer file(&content);
    file.open(QIODevice::ReadOnly);
    try {
        QByteArray field;
        if (!read_exactly(file, 4, field))
            throw file_failure{};
        set_read_version(single_at(field, 0));
        if (!file.seek(count_offset) || !read_exactly(file, 2, field))
            throw file_failure{};
        const std::uint16_t count = uint16_at(field, 0);
        for (int i = 0; i < count; ++i) {
            // A file that ends early simply yields fewer characters.
            if (!file.seek(std::min(file.pos() + character_filler_bytes, file.size())))
                throw file_failure{};
            text += read_string_from_stream(file);
        }
        return text;
    } catch (const file_failure&) {
    } catch (const std::exception&) {
    }
    platform::operator_ui().show_message("Could not read password from file " + file_name);
    return text;
}
