#include "shared/basics/number_text.h"

#include <QDateTime>
#include <QLocale>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <vector>

TEST(number_text, text_to_integer_is_strict) {
    struct integer_case {
        const char* text;
        bool ok;
        int value;
    };
    const std::vector<integer_case> cases = {
        {"31", true, 31},
        {"+12", true, 12},
        {"  -12", true, -12},
        {"007", true, 7},
        {"0", true, 0},
        {"$1F", true, 31},
        {"  $1F", true, 31},
        {"$1f", true, 31},
        {"x1F", true, 31},
        {"X1F", true, 31},
        {"0x1F", true, 31},
        {"0X1f", true, 31},
        {"-$1F", true, -31},
        {"$000000001", true, 1},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"$7FFFFFFF", true, INT_MAX},
        {"$80000000", true, INT_MIN},
        {"$FFFFFFFF", true, -1},
        // failures
        {"", false, 0},
        {"   ", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"$1F ", false, 0},
        {"5 ", false, 0},
        {"1 2", false, 0},
        {"- 5", false, 0},
        {"\t5", false, 0},
        {"$-1", false, 0},
        {"$1G", false, 0},
        {"0x0x1", false, 0},
        {"1.0", false, 0},
        {"1e3", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"$100000000", false, 0},
        {"\xd9\xa3", false, 0}, // a non-ASCII digit
    };
    for (const integer_case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        constexpr int untouched = 12345;
        int value = untouched;
        EXPECT_EQ(text_to_integer(QString::fromUtf8(c.text), value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : untouched);
    }
}

TEST(number_text, text_to_integer64_reaches_the_64_bit_bounds) {
    struct integer64_case {
        const char* text;
        bool ok;
        std::int64_t value;
    };
    const integer64_case cases[] = {
        {"2147483648", true, 2147483648LL},
        {" -99999999999", true, -99999999999LL},
        {"9223372036854775807", true, INT64_MAX},
        {"-9223372036854775808", true, INT64_MIN},
        {"$FFFFFFFFFFFFFFFF", true, -1},
        {"$100000000", true, 4294967296LL},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"18446744073709551616", false, 0},
        {"$10000000000000000", false, 0},
        {"12x", false, 0},
        {"", false, 0},
    };
    for (const integer64_case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        constexpr std::int64_t untouched = 12345;
        std::int64_t value = untouched;
        EXPECT_EQ(text_to_integer64(QString::fromUtf8(c.text), value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : untouched);
    }
}

TEST(number_text, text_to_float_is_strict_and_single_precision) {
    const float nan = NAN;
    struct float_case {
        const char* text;
        float expected; // NaN: does not convert
    };
    const std::vector<float_case> cases = {
        {"1.5E2", 150.0f},
        {"1.5e2", 150.0f},
        {"1.5E+2", 150.0f},
        {"1.5E-2", 0.015f},
        {"  -2.25", -2.25f},
        {"+3", 3.0f},
        {"0.1", 0.1f},
        {"5.", 5.0f},
        {".5", 0.5f},
        {"3.4028235E38", FLT_MAX},
        {"1E-50", 0.0f},
        // One conversion straight to single precision: rounding via double would give 1.
        {"1.0000000596046447755", 1.00000011920928955078125f},
        // failures
        {"1,5", nan},
        {"1.5 ", nan},
        {"", nan},
        {" ", nan},
        {".", nan},
        {"-", nan},
        {"1e", nan},
        {"1e+", nan},
        {"e5", nan},
        {"1.5.2", nan},
        {"\t1", nan},
        {"inf", nan},
        {"nan", nan},
        {"0x1p3", nan},
        {"$10", nan},
        {"1E39", nan},
        {"-1E39", nan},
        {"1e400", nan},
    };
    for (const float_case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const float result = text_to_float(QString::fromUtf8(c.text));
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(result)) << result;
        } else {
            EXPECT_EQ(result, c.expected);
        }
    }
}

TEST(number_text, float_to_text_golden_cases) {
    struct format_case {
        int width;
        int decimals;
        float value;
        const char* expected;
    };
    const std::vector<format_case> cases = {
        {10, 3, 1.23456f, "     1.235"},
        {4, 1, -0.04f, "0.0"},
        {8, 1, -0.04f, "0.0"}, // the -0.0 rule drops the padding as well
        {0, 1, -0.0f, "0.0"},
        {10, 3, -0.0004f, "    -0.000"},
        {0, 2, -0.004f, "-0.00"},
        {0, 0, -0.4f, "-0"},
        {3, 1, 123.45f, "123.4"}, // stored as 123.4499969..., never truncated to width
        {0, 2, 2.5f, "2.50"},
        // Exact halves round away from zero.
        {0, 0, 0.5f, "1"},
        {0, 0, 2.5f, "3"},
        {0, 0, -2.5f, "-3"},
        {0, 2, 0.125f, "0.13"},
        {0, 1, 0.25f, "0.3"},
        {0, 0, 9.5f, "10"},
        {6, 1, 99.96f, " 100.0"},
        {0, 1, 16777216.0f, "16777216.0"},
        {0, 0, FLT_MAX, "340282346638528859811704183484516925440"},
        {0, 2, 1e-45f, "0.00"},
        {0, 1, -1.0f, "-1.0"},
        {6, 1, NAN, "   NAN"},
        {0, 0, INFINITY, "INF"},
        {0, 0, -INFINITY, "-INF"},
        // Negative decimals: scientific notation with a sign place and a four-digit exponent.
        {0, -1, 150.0f, " 1.50000000000000E+0002"},
        {25, -1, 150.0f, "   1.50000000000000E+0002"},
        {0, -1, -0.1f, "-1.00000001490116E-0001"},
        {0, -1, 0.0f, " 0.00000000000000E+0000"},
        {0, -1, FLT_MAX, " 3.40282346638529E+0038"},
        {0, -1, 1e-45f, " 1.40129846432482E-0045"},
    };
    for (const format_case& c : cases) {
        SCOPED_TRACE(std::string(c.expected) + " <- " + std::to_string(c.value));
        EXPECT_EQ(float_to_text(c.width, c.decimals, c.value), QString::fromLatin1(c.expected));
    }
}

TEST(number_text, float_to_text_ignores_the_default_locale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(float_to_text(0, 2, 1234.5f), QStringLiteral("1234.50"));
    QLocale::setDefault(previous);
}

TEST(number_text, integer_to_text_pads_to_at_least_width) {
    struct integer_text_case {
        int value;
        int width;
        const char* expected;
    };
    const std::vector<integer_text_case> cases = {
        {7, 3, "  7"}, {1234, 3, "1234"}, {-5, 3, " -5"}, {0, 0, "0"}, {INT_MIN, 0, "-2147483648"},
    };
    for (const integer_text_case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(integer_to_text(c.value, c.width), QString::fromLatin1(c.expected));
    }
}

TEST(number_text, date_time_text_is_short_date_two_blanks_and_time_without_zone) {
    const QLocale locale = QLocale::system();
    const QDate before = QDate::currentDate();
    const QString text = date_time_text();
    const QDate after = QDate::currentDate();

    const QString date_before = locale.toString(before, QLocale::ShortFormat) + "  ";
    const QString date_after = locale.toString(after, QLocale::ShortFormat) + "  ";
    ASSERT_TRUE(text.startsWith(date_before) || text.startsWith(date_after)) << text.toStdString();
    const QString time =
        text.mid(text.startsWith(date_before) ? date_before.size() : date_after.size());
    EXPECT_FALSE(time.isEmpty());
    EXPECT_FALSE(time.startsWith(u' '));
    EXPECT_FALSE(time.endsWith(u' ')) << text.toStdString();
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    if (!zone.isEmpty()) {
        EXPECT_FALSE(time.contains(zone)) << text.toStdString();
    }
}
