#include "shared/basics/password_file.h"

#include "shared/basics/little_endian.h"
#include "shared/basics/string_records.h"
#include "test_data_path.h"
#include "tests/support/scratch_fixture.h"

#include <QByteArray>
#include <QtEndian>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace {

class password_file : public scratch_fixture {
protected:
    password_file() : saved_version_(read_version()) {}
    ~password_file() override { set_read_version(saved_version_); }

    QString write_message(const QString& file) const {
        return "Could not write password to file " + file +
               " - please check file properties for write protection!";
    }

private:
    float saved_version_;
};

// Header of a password file with the given version and text length; filler of 0xFF bytes
// (a reader must skip it whatever it holds).
QByteArray header(float version, quint16 count) {
    return single_bytes(version) + QByteArray(748, '\xFF') + uint16_bytes(count);
}

TEST_F(password_file, layout_of_empty_and_one_character_texts) {
    const QString empty = path("empty.bin");
    write_password_file(QString(), empty);
    const QByteArray empty_bytes = read_file(empty);
    ASSERT_EQ(empty_bytes.size(), 754);
    EXPECT_EQ(empty_bytes.left(4), single_bytes(file_format_version));
    EXPECT_EQ(uint16_at(empty_bytes, 752), 0);
    EXPECT_EQ(read_password_file(empty), QString());

    const QString one = path("one.bin");
    write_password_file(QString(QChar(0x20AC)), one);
    const QByteArray one_bytes = read_file(one);
    ASSERT_EQ(one_bytes.size(), 788);
    EXPECT_EQ(uint16_at(one_bytes, 752), 1);
    EXPECT_EQ(int32_at(one_bytes, 782), 2);
    EXPECT_EQ(uint16_at(one_bytes, 786), 0x20AC);
    EXPECT_EQ(read_password_file(one), QString(QChar(0x20AC)));
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(password_file, filler_is_random_singles_in_unit_interval) {
    const QString text = QStringLiteral("Provider=SQLOLEDB;Password=s3cr\u00E9t");
    const QString first = path("first.bin");
    const QString second = path("second.bin");
    write_password_file(text, first);
    write_password_file(text, second);
    const QByteArray a = read_file(first);
    const QByteArray b = read_file(second);
    ASSERT_EQ(a.size(), 754 + 34 * text.size());
    ASSERT_EQ(b.size(), a.size());
    EXPECT_NE(a, b);
    for (qsizetype offset = 4; offset < 752; offset += 4) {
        const float filler =
            std::bit_cast<float>(qFromLittleEndian<std::uint32_t>(a.constData() + offset));
        ASSERT_GE(filler, 0.0f) << offset;
        ASSERT_LT(filler, 1.0f) << offset;
    }
    EXPECT_EQ(read_password_file(first), text);
    EXPECT_EQ(read_password_file(second), text);
    EXPECT_FLOAT_EQ(read_version(), file_format_version);
}

TEST_F(password_file, longest_text_round_trips_and_one_more_fails_after_filler) {
    const QString longest = path("longest.bin");
    write_password_file(QString(65535, u'k'), longest);
    EXPECT_EQ(read_file(longest).size(), 754 + 34 * 65535);
    EXPECT_EQ(read_password_file(longest), QString(65535, u'k'));
    EXPECT_TRUE(ui().messages.isEmpty());

    const QString too_long = path("too_long.bin");
    write_password_file(QString(65536, u'k'), too_long);
    EXPECT_EQ(read_file(too_long).size(), 752);
    EXPECT_EQ(ui().messages, QStringList{write_message(too_long)});
}

TEST_F(password_file, unwritable_and_unreadable_files_show_messages) {
    const QString no_folder = path("missing/folder/pw.bin");
    write_password_file(QStringLiteral("x"), no_folder);
    EXPECT_EQ(read_password_file(no_folder), QString());
    EXPECT_EQ(ui().messages, (QStringList{write_message(no_folder),
                                          "Could not read password from file " + no_folder}));
}

TEST_F(password_file, damaged_and_old_files) {
    const QByteArray ab_records = QByteArray(28, '\x01') + QByteArray("\x02\0\0\0a\0", 6) +
                                  QByteArray(28, '\x01') + QByteArray("\x02\0\0\0b\0", 6);
    QByteArray old_records;
    for (const char c : QByteArray("a\xE9")) {
        QByteArray block(256, '\x00');
        block[0] = 1;
        block[1] = c;
        old_records += QByteArray(28, '\x01') + QByteArray("\x01\0\0\0", 4) + block;
    }
    struct damaged_case {
        const char* name;
        QByteArray content;
        QString text;
        bool message;
    };
    const std::vector<damaged_case> cases = {
        {"stored 3.18 is new layout", header(3.18f, 2) + ab_records, QStringLiteral("ab"), false},
        {"ends inside the second record", header(4.85f, 2) + ab_records.left(34 + 28 + 4 + 1),
         QStringLiteral("a"), false},
        {"count larger than the records", header(4.85f, 5) + ab_records, QStringLiteral("ab"),
         false},
        {"old layout", header(3.17f, 2) + old_records, QString::fromUtf8("a\xC3\xA9"), false},
        {"old layout cut short", header(3.0f, 2) + old_records.left(300), QStringLiteral("a"),
         true},
        {"shorter than the header", QByteArray(100, '\0'), QString(), true},
    };
    for (const damaged_case& c : cases) {
        SCOPED_TRACE(c.name);
        ui().messages.clear();
        const QString file = write_file("damaged.bin", c.content);
        EXPECT_EQ(read_password_file(file), c.text);
        EXPECT_EQ(ui().messages.size(), c.message ? 1 : 0);
    }
}

TEST_F(password_file, golden_file_with_old_layout_records_reads_back) {
    const QString file = QStringLiteral(KALIX_TEST_DATA_DIR "/old_layout_password.bin");
    EXPECT_EQ(read_password_file(file), QString::fromUtf8("Server=line4;Pwd=\xC3\xA4\xE2\x82\xAC"));
    EXPECT_FLOAT_EQ(read_version(), 3.0f);
    EXPECT_TRUE(ui().messages.isEmpty());
}

} // namespace
