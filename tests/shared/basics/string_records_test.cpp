#include "shared/basics/string_records.h"

#include "shared/basics/little_endian.h"

#include "shared/platform/code_page.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

constexpr float old_version = 3.17f;

// Restores the process-wide read version so tests do not leak layouts into each other.
class string_records : public ::testing::Test {
protected:
    string_records() : saved_(read_version()) {}
    ~string_records() override { set_read_version(saved_); }

private:
    float saved_;
};

// Byte literals keep their embedded zero bytes.
template <std::size_t N> QByteArray raw(const char (&literal)[N]) {
    return QByteArray(literal, static_cast<qsizetype>(N - 1));
}

// One old-layout record: the character count, then 256-byte blocks of up to 255 characters.
QByteArray old_record(const QByteArray& chars, qint32 announced) {
    QByteArray record = int32_bytes(announced);
    qsizetype offset = 0;
    for (qint32 k = 0; k <= announced / 255; ++k) {
        const QByteArray part = chars.mid(offset, 255);
        offset += part.size();
        QByteArray block(256, '\xAA'); // filler that must never show up in the text
        block[0] = static_cast<char>(part.size());
        block.replace(1, part.size(), part);
        record += block;
    }
    return record;
}

QByteArray old_record(const QByteArray& chars) {
    return old_record(chars, static_cast<qint32>(chars.size()));
}

QString read_from(const QByteArray& bytes, qint64* position_after = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QString text = read_string_from_stream(buffer);
    if (position_after)
        *position_after = buffer.pos();
    return text;
}

// One record read from the start of `bytes`: its text and where the stream stands after it.
struct record_case {
    const char* name;
    QByteArray bytes;
    QString text;
    qint64 position_after;
};

void expect_reads(const std::vector<record_case>& cases) {
    for (const record_case& c : cases) {
        SCOPED_TRACE(c.name);
        qint64 position = -1;
        EXPECT_EQ(read_from(c.bytes, &position), c.text);
        EXPECT_EQ(position, c.position_after);
    }
}

QByteArray written(const QString& text) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write_string_to_stream(text, buffer);
    return buffer.data();
}

TEST_F(string_records, version_rule_counts_a_stored_318_as_new_layout) {
    EXPECT_TRUE(uses_old_string_layout(0.0f));
    EXPECT_TRUE(uses_old_string_layout(3.17f));
    EXPECT_TRUE(uses_old_string_layout(std::nextafter(3.18f, 0.0f)));
    EXPECT_FALSE(uses_old_string_layout(3.18f));
    EXPECT_FALSE(uses_old_string_layout(file_format_version));
}

TEST_F(string_records, new_layout_record_bytes) {
    EXPECT_EQ(written(QStringLiteral("ab")), raw("\x04\0\0\0a\0b\0"));
    EXPECT_EQ(written(QString()), QByteArray(4, '\0'));
    // A surrogate pair is two code units, so four bytes.
    EXPECT_EQ(written(QString::fromUtf8("\xF0\x9F\x98\x80")).left(4), int32_bytes(4));
}

TEST_F(string_records, write_to_a_refusing_device_throws) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(write_string_to_stream(QStringLiteral("x"), buffer), std::runtime_error);
}

TEST_F(string_records, new_layout_round_trip_of_several_records) {
    set_read_version(file_format_version);
    const std::vector<QString> texts = {QStringLiteral("ab"), QString(),
                                        QString::fromUtf8("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC"),
                                        QString(70000, u'z')};
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    for (const QString& text : texts)
        write_string_to_stream(text, buffer);
    buffer.seek(0);
    for (const QString& text : texts)
        EXPECT_EQ(read_string_from_stream(buffer), text);
    EXPECT_TRUE(buffer.atEnd());
}

TEST_F(string_records, new_layout_damaged_records) {
    set_read_version(3.18f);
    expect_reads({
        {"fewer than 4 bytes consume nothing", raw("\x02\0\0"), {}, 0},
        {"count beyond the stream stops after the count", int32_bytes(6) + raw("a\0b\0"), {}, 4},
        {"negative count", int32_bytes(-2) + raw("a\0"), {}, 4},
        {"odd count drops the last byte", int32_bytes(3) + raw("a\0btail"), QStringLiteral("a"), 7},
        {"huge count", int32_bytes(0x7FFFFFFF) + raw("a\0"), {}, 4},
    });
}

TEST_F(string_records, old_layout_records) {
    set_read_version(old_version);
    const QByteArray chars300 = QByteArray(255, 'x') + QByteArray(45, 'y');
    const QByteArray record300 = old_record(chars300);
    ASSERT_EQ(record300.size(), 4 + 2 * 256);
    EXPECT_EQ(static_cast<unsigned char>(record300[4]), 255);
    EXPECT_EQ(static_cast<unsigned char>(record300[4 + 256]), 45);

    expect_reads({
        {"empty text is one block", old_record({}), {}, 260},
        {"Windows-1252 bytes", old_record("\x80 \xE9\x9F"),
         QString::fromUtf8("\xE2\x82\xAC \xC3\xA9\xC5\xB8"), 260},
        {"300 characters in two blocks", record300, QString::fromLatin1(chars300), 516},
        {"255 characters end with an empty block", old_record(QByteArray(255, 'q')),
         QString(255, u'q'), 516},
        {"count -254 still reads one block", old_record("abc", -254), QStringLiteral("abc"), 260},
        {"count below -254 reads nothing", int32_bytes(-255) + QByteArray(256, '\0'), {}, 4},
        // The block lengths rule; the announced count only decides the number of blocks.
        {"block lengths win over the count", old_record("abcdef", 2), QStringLiteral("abcdef"),
         260},
    });
}

TEST_F(string_records, old_layout_short_reads_throw) {
    set_read_version(0.0f);
    const std::vector<QByteArray> short_records = {
        raw("\x01\0"),                                // count cut short
        old_record("abc").left(200),                  // block cut short
        int32_bytes(0x7FFFFFFF) + QByteArray(256, 1), // huge count, a single block present
    };
    for (const QByteArray& bytes : short_records) {
        SCOPED_TRACE(bytes.size());
        EXPECT_THROW(read_from(bytes), std::runtime_error);
    }
}

} // namespace
