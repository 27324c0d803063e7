#include "scanner/record_sources/record_display.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct display_case {
    const char* what;
    QString actual;
    QString expected;
};

void expect_all(const std::vector<display_case>& cases) {
    for (const display_case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(record_display, shortened_texts) {
    const QString long_text = QString(120, u'x') + "END";
    expect_all({
        {"50 of a long text", shortened_text(long_text, 50), QString(50, u'x')},
        {"100 of a long text", shortened_text(long_text, 100), QString(100, u'x')},
        {"a short text unchanged", shortened_text("L0815", 50), "L0815"},
        {"exactly the length", shortened_text(QString(20, u'r'), 20), QString(20, u'r')},
        {"UTF-16 characters count", shortened_text(QString::fromUtf8("Ä€ÖÜß"), 3),
         QString::fromUtf8("Ä€Ö")},
        {"null field", shortened_text(QVariant(), 50), ""},
    });
}

TEST(record_display, positions_rounded_to_millimetres_ties_to_even) {
    expect_all({
        {"1234.5", millimetre_text(1234.5), "1234"},
        {"1235.5", millimetre_text(1235.5), "1236"},
        {"1234.51", millimetre_text(1234.51), "1235"},
        {"-0.4 shows no minus sign", millimetre_text(-0.4), "0"},
        {"-2.5", millimetre_text(-2.5), "-2"},
        {"-2.6", millimetre_text(-2.6), "-3"},
        {"beyond 32 bits", millimetre_text(5e12), "5000000000000"},
        {"number as text from the client", millimetre_text(QStringLiteral("12.7")), "13"},
        {"null field", millimetre_text(QVariant()), ""},
    });
}

TEST(record_display, sheet_resistance_value_10_3_trimmed) {
    expect_all({
        {"three decimals", sheet_resistance_value_text(12.3456), "12.346"},
        {"padded decimals", sheet_resistance_value_text(7.0), "7.000"},
        {"negative", sheet_resistance_value_text(-0.25), "-0.250"},
        {"1.23456", sheet_resistance_value_text(1.23456), "1.235"},
        // Only "-0.0" loses its sign in float_to_text; three decimals keep it.
        {"small negative", sheet_resistance_value_text(-0.0001), "-0.000"},
        {"wider than 10", sheet_resistance_value_text(123456789.0), "123456792.000"},
        {"null field", sheet_resistance_value_text(QVariant()), ""},
    });
}

TEST(record_display, plain_fields) {
    expect_all({
        {"date-time", plain_field_text(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))),
         "2024-03-05 07:08:09"},
        {"64-bit integer", plain_field_text(QVariant(qint64(5000000000))), "5000000000"},
        {"null", plain_field_text(QVariant()), ""},
    });
}

} // namespace
