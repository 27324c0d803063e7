#include "basics/string_records.h"

#include "platform/code_page.h"

#include <QByteArray>
#include <QtEndian>

#include <array>
#include <limits>
#include <stdexcept>

namespace {

float g_read_version = 0.0f;

// Bytes that can still be read without blocking; for files the rest of the file.
qint64 remaining_bytes(const QIODevice& stream) {
    return stream.bytesAvailable();
}

bool read_exactly(QIODevice& stream, char* data, qint64 count) {
    return stream.read(data, count) == count;
}

void read_old_layout_or_throw(QIODevice& stream, char* data, qint64 count) {
    if (!read_exactly(stream, data, count))
        throw std::runtime_error("String record ends before its announced length");
}

QString read_new_layout(QIODevice& stream) {
    if (remaining_bytes(stream) < 4)
        return {};
    std::array<char, 4> count_bytes{};
    if (!read_exactly(stream, count_bytes.data(), 4))
        return {};
    const qint32 byte_count = qFromLittleEndian<qint32>(count_bytes.data());
    // The count is not trusted: a record that claims more than the stream holds reads
    // as empty text and nothing beyond the count is consumed.
    if (byte_count <= 0 || byte_count > remaining_bytes(stream))
        return {};
    const QByteArray bytes = stream.read(byte_count);
    if (bytes.size() != byte_count)
        return {};
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    return text;
}

QString read_old_layout(QIODevice& stream) {
    std::array<char, 4> count_bytes{};
    read_old_layout_or_throw(stream, count_bytes.data(), 4);
    const qint32 char_count = qFromLittleEndian<qint32>(count_bytes.data());
    const qint32 extra_blocks = char_count / 255;
    if (extra_blocks < 0)
        return {};
    // Grown block by block so a corrupt count never reserves more than the stream holds.
    QString text;
    std::array<char, 256> block{};
    for (qint64 k = 0; k <= extra_blocks; ++k) {
        read_old_layout_or_throw(stream, block.data(), 256);
        const int used = static_cast<unsigned char>(block[0]);
        text += platform::from_8bit(QByteArray(block.data() + 1, used));
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
    QByteArray record(4 + 2 * units, Qt::Uninitialized);
    qToLittleEndian<qint32>(static_cast<qint32>(2 * units), record.data());
    for (qsizetype i = 0; i < units; ++i)
        qToLittleEndian<quint16>(text[i].unicode(), record.data() + 4 + 2 * i);
    if (stream.write(record) != record.size())
        throw std::runtime_error("Could not write string record: " +
                                 stream.errorString().toStdString());
}

QString read_string_from_stream(QIODevice& stream) {
    if (uses_old_string_layout(g_read_version))
        return read_old_layout(stream);
    return read_new_layout(stream);
}
