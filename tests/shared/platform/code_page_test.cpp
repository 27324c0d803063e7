#include "shared/platform/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(code_page, windows_1252_round_trip_of_every_assigned_byte) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const QByteArray byte(1, static_cast<char>(b));
        EXPECT_EQ(platform::to_8bit(platform::from_8bit(byte)), byte);
    }
}

TEST(code_page, characters_of_the_high_range) {
    EXPECT_EQ(platform::from_8bit(QByteArray("\x80\x9F\xE4\xB5")), QStringLiteral("€Ÿäµ"));
    EXPECT_EQ(platform::to_8bit(QStringLiteral("€ ä Ω")), QByteArray("\x80 \xE4 ?"));
}

TEST(code_page, decode_honours_byte_order_marks) {
    struct case_t {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const std::vector<case_t> cases = {
        {"utf-8 mark", QByteArray("\xEF\xBB\xBF\xC3\xA4x"), QStringLiteral("äx")},
        {"utf-16 le mark", QByteArray("\xFF\xFE\xE4\x00x\x00", 6), QStringLiteral("äx")},
        {"utf-16 be mark", QByteArray("\xFE\xFF\x00\xE4\x00x", 6), QStringLiteral("äx")},
        // Exactly one mark goes: a text that begins with U+FEFF keeps it.
        {"utf-8 mark twice",
         QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                    "a"),
         QString(QChar(0xFEFF)) + u'a'},
        {"utf-16 le mark twice",
         QByteArray("\xFF\xFE\xFF\xFE"
                    "a\x00",
                    6),
         QString(QChar(0xFEFF)) + u'a'},
        {"utf-16 be mark twice",
         QByteArray("\xFE\xFF\xFE\xFF\x00"
                    "a",
                    6),
         QString(QChar(0xFEFF)) + u'a'},
        {"utf-8 mark alone", QByteArray("\xEF\xBB\xBF"), QString()},
        {"no mark is windows-1252", QByteArray("\xC3\xA4\x80"), QStringLiteral("Ã¤€")},
        {"empty", QByteArray(), QString()},
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::decode_text(c.bytes), c.text);
    }
}

} // namespace
