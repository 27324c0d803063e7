#include "shared/basics/string_records.h"

#include "shared/basics/little_endian.h"
#include "shared/platform/code_page.h"

#include <QByteArray>

#include <limits>
#include <stdexcept>

namespace {

float g_read_version = 0.0f;

// Bytes that can still be read without blocking; for files the rest of the file.
qint64 remaining_bytes(const QIODevice& stream) {
    return stream.bytesAvailable();
}

QByteArray read_old_layout_or_throw(QIODevice& stream, qint64 count) {
    QByteArray bytes;
    if (!read_exactly(stream, count, bytes))
        throw std::runtime_error("String record ends before its announced length");
    return bytes;
}

QString read_new_layout(QIODevice& stream) {
    if (remaining_bytes(stream) < 4)
        return {};
    QByteArray count_bytes;
    if (!read_exactly(stream, 4, count_bytes))
        return {};
    const qint32 byte_count = int32_at(count_bytes, 0);
    // The count is not trusted: a record that claims more than the stream holds reads
    // as empty text and nothing beyond the count is consumed.
    if (byte_count <= 0 || byte_count > remaining_bytes(stream))
        return {};
    QByteArray bytes;
    if (!read_exactly(stream, byte_count, bytes))
        return {};
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(uint16_at(bytes, 2 * i));
    return text;
}

QString read_old_layout(QIODevice& stream) {
    const qint32 char_count = int32_at(read_old_layout_or_throw(stream, 4), 0);
    const qint32 extra_blocks = char_count / 255;
    if (extra_blocks < 0)
        return {};
    // Grown block by block so a corrupt count never reserves more than the stream holds.
    QString text;
    for (qint64 k = 0; k <= extra_blocks; ++k) {
        const QByteArray block = read_old_layout_or_throw(stream, 256);
        const int used = static_cast<unsigned char>(block[0]);
        text += platform::from_8bit(block.mid(1, used));
    }
    return text;
}

} // namespace

float read_version() {
    return g_read_version;
}

void set_read_version(float version) {
    g_read_version = version;
}

bool uses_old_string_layout(float version) {
    // Compared at full precision: a stored 3.18f is slightly above 3.18 and is new layout.
    return static_cast<double>(version) <= 3.18;
}

void write_string_to_stream(const QString& text, QIODevice& stream) {
    const qsizetype units = text.size();
    if (units > std::numeric_limits<qint32>::max() / 2)
        throw std::runtime_error("Text too long for a string record");
    QByteArray record = int32_bytes(static_cast<qint32>(2 * units));
    record.reserve(4 + 2 * units);
    for (const QChar c : text)
        record += uint16_bytes(c.unicode());
    write_all(stream, record);
}

QString read_string_from_stream(QIODevice& stream) {
    if (uses_old_string_layout(g_read_version))
        return read_old_layout(stream);
    return read_new_layout(stream);
}
