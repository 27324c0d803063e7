#include "shared/basics/text_fields.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct field_case {
    const char16_t* text;
    int n;
    const char16_t* expected;
};

void expect_fields(QString (*field)(const QString&, int), const std::vector<field_case>& cases) {
    for (const field_case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString() + " / field " + std::to_string(c.n));
        EXPECT_EQ(field(text, c.n), QString::fromUtf16(c.expected));
    }
}

} // namespace

TEST(text_fields, tab_field_extracts_and_trims) {
    expect_fields(tab_field, {
                                 {u"a\tb\t\tc", 1, u"a"},
                                 {u"a\tb\t\tc", 2, u"b"},
                                 {u"a\tb\t\tc", 3, u""}, // adjacent separators
                                 {u"a\tb\t\tc", 4, u"c"},
                                 {u"a\tb\t\tc", 5, u""}, // beyond the last field
                                 {u"a\tb", 3, u""},
                                 {u"  a \tb", 1, u"a"},
                                 {u"x\ty", 0, u"x"}, // 0 and below read as 1
                                 {u"x\ty", -7, u"x"},
                                 {u"", 1, u""},
                                 {u"", 2, u""},
                                 {u"no separator", 1, u"no separator"},
                                 {u"no separator", 2, u""},
                             });
}

TEST(text_fields, trimming_removes_control_characters_but_keeps_inner_blanks) {
    expect_fields(semicolon_field, {
                                       {u"\r\n\x01 a b \x1f;x", 1, u"a b"},
                                       {u"x; \u00a0y\u00a0 ", 2, u"\u00a0y\u00a0"}, // code > 32
                                   });
}

TEST(text_fields, semicolon_and_backslash_fields) {
    expect_fields(semicolon_field, {
                                       {u"a;b;", 2, u"b"},
                                       {u"a;b;", 3, u""}, // trailing separator: empty last field
                                       {u";a", 1, u""},
                                       {u";a", 2, u"a"},
                                       {u"a\tb;c", 1, u"a\tb"}, // other separators are text
                                   });
    expect_fields(backslash_field, {
                                       {u"C:\\data\\in\\", 1, u"C:"},
                                       {u"C:\\data\\in\\", 3, u"in"},
                                       {u"C:\\data\\in\\", 4, u""},
                                       {u"\\\\server\\share", 3, u"server"},
                                   });
}

TEST(text_fields, delimited_field_serves_any_separator) {
    EXPECT_EQ(delimited_field(QStringLiteral("product___2018_07_05.csv"), u'_', 4),
              QStringLiteral("2018"));
    EXPECT_EQ(delimited_field(QStringLiteral("product___x"), u'_', 2), QString());
    EXPECT_EQ(char_count(QStringLiteral("product___2018_07"), u'_'), 4);
}

TEST(text_fields, splitting_once_gives_every_field_the_single_field_routine_gives) {
    struct split_case {
        const char16_t* text;
        char16_t separator;
    };
    const std::vector<split_case> cases = {
        {u"a\tb\t\tc", u'\t'},
        {u"", u'\t'},
        {u"\t", u'\t'},
        {u"  a \t b\x01\t\r\n", u'\t'},
        {u"no separator", u'\t'},
        {u"a;b;", u';'},
        {u";;;", u';'},
        {u"a\tb;c", u';'},
        {u"C:\\data\\in\\", u'\\'},
        {u"\\\\server\\share", u'\\'},
        {u"x; \u00a0y\u00a0 ", u';'},
    };
    for (const split_case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        const QStringList fields = delimited_fields(text, c.separator);
        ASSERT_EQ(fields.size(), char_count(text, c.separator) + 1);
        for (int n = 1; n <= fields.size(); ++n)
            EXPECT_EQ(fields[n - 1], delimited_field(text, c.separator, n)) << "field " << n;
    }
    EXPECT_EQ(tab_fields(QStringLiteral(" a\tb \t")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString()}));
}

TEST(text_fields, a_line_of_65536_tabs_splits_into_empty_fields) {
    const QStringList fields = tab_fields(QString(65536, u'\t') + QStringLiteral("last"));
    ASSERT_EQ(fields.size(), 65537);
    EXPECT_TRUE(fields[65535].isEmpty());
    EXPECT_EQ(fields.back(), QStringLiteral("last"));
}

TEST(text_fields, counts_are_the_number_of_separators) {
    struct count_case {
        int (*count)(const QString&);
        QString text;
        int expected;
    };
    const std::vector<count_case> cases = {
        {semicolon_count, QStringLiteral("a;b;"), 2},
        {semicolon_count, QString(), 0},
        {semicolon_count, QStringLiteral(";;;"), 3},
        {tab_count, QStringLiteral("a\tb\t\tc"), 3},
        {tab_count, QStringLiteral("a b"), 0},
        {backslash_count, QStringLiteral("C:\\data\\in\\x.csv"), 3},
    };
    for (const count_case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(c.count(c.text), c.expected);
    }
}

TEST(text_fields, bit_is_set_takes_the_bit_number_modulo_32) {
    struct bit_case {
        std::uint32_t value;
        int bit;
        bool expected;
    };
    const std::vector<bit_case> cases = {
        {1u, 0, true},           {1u, 1, false}, {0x80000000u, 31, true}, {0x80000000u, 30, false},
        {0x80000000u, -1, true}, {1u, 32, true}, {2u, 33, true},          {2u, 32, false},
        {0xFFFFFFFFu, 17, true}, {0u, 5, false},
    };
    for (const bit_case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " bit " + std::to_string(c.bit));
        EXPECT_EQ(bit_is_set(c.value, c.bit), c.expected);
    }
}

TEST(text_fields, ascii_upper_leaves_other_letters_alone) {
    EXPECT_EQ(ascii_upper(QStringLiteral("Test mode 1")), QStringLiteral("TEST MODE 1"));
    EXPECT_EQ(ascii_upper(QString::fromUtf16(u"gr\u00fc\u00dfe")),
              QString::fromUtf16(u"GR\u00fc\u00dfE"));
}

TEST(text_fields, trim_blanks_handles_all_blank_text) {
    EXPECT_EQ(trim_blanks(QStringLiteral(" \t\r\n ")), QString());
    EXPECT_EQ(trim_blanks(QStringLiteral("\tx y\n")), QStringLiteral("x y"));
}
