#include "shared/basics/number_text.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

int decimal_digit(QChar c) {
    return c >= u'0' && c <= u'9' ? c.unicode() - u'0' : -1;
}

int hex_digit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

qsizetype skip_spaces(const QString& text, qsizetype i) {
    while (i < text.size() && text[i] == u' ')
        ++i;
    return i;
}

// Reads an optional sign at i; true when it is a minus.
bool read_sign(const QString& text, qsizetype& i) {
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        return text[i++] == u'-';
    return false;
}

std::string read_digits(const QString& text, qsizetype& i) {
    std::string digits;
    while (i < text.size() && decimal_digit(text[i]) >= 0)
        digits += static_cast<char>(text[i++].unicode());
    return digits;
}

// Cuts the decimal digit string to `keep` digits, rounding half away from zero. The digits
// are an exact expansion, so a '5' at the cut is at least half a unit. True when the carry
// ran out of the front and added a leading '1'.
bool round_digits(std::string& digits, std::size_t keep) {
    if (keep >= digits.size()) {
        digits.append(keep - digits.size(), '0');
        return false;
    }
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (!up)
        return false;
    for (std::size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// A float's exact value never needs more than 149 fractional or 105 significant digits, so
// these precisions give the exact decimal expansion to round from.
constexpr int exact_fraction_digits = 160;
constexpr int exact_significant_digits = 120;

QString fixed_text(double magnitude, int decimals) {
    char buffer[256];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                       std::chars_format::fixed, exact_fraction_digits);
    const std::string exact(buffer, written.ptr);
    const std::size_t point = exact.find('.');
    std::size_t integer_length = point;
    std::string digits = exact.substr(0, point) + exact.substr(point + 1);
    if (round_digits(digits, integer_length + static_cast<std::size_t>(decimals)))
        ++integer_length;
    std::string text = digits.substr(0, integer_length);
    if (decimals > 0)
        text += '.' + digits.substr(integer_length);
    return QString::fromLatin1(text);
}

// Mantissa of 15 significant digits and an exponent of at least four digits, the layout of
// the classic real-to-text conversion: " 1.50000000000000E+0002".
QString scientific_text(double magnitude) {
    constexpr std::size_t significant = 15;
    char buffer[256];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                       std::chars_format::scientific, exact_significant_digits);
    const std::string exact(buffer, written.ptr);
    const std::size_t e = exact.find('e');
    std::string digits = exact.substr(0, 1) + exact.substr(2, e - 2);
    int exponent = std::stoi(exact.substr(e + 1));
    if (round_digits(digits, significant)) {
        digits.pop_back();
        ++exponent;
    }
    std::string exponent_text = std::to_string(exponent < 0 ? -exponent : exponent);
    exponent_text.insert(0, exponent_text.size() < 4 ? 4 - exponent_text.size() : 0, '0');
    return QString::fromLatin1(digits.substr(0, 1) + '.' + digits.substr(1) + 'E' +
                               (exponent < 0 ? '-' : '+') + exponent_text);
}

// Drops the time-zone token ('t' outside quotes) from a time format.
QString without_time_zone(const QString& format) {
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u't')
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace

namespace {

// Reads a strict integer of `bits` bits (32 or 64) as the magnitude and the sign; false when
// the text is not one or lies beyond the range.
bool read_integer(const QString& text, int bits, std::uint64_t& result) {
    qsizetype i = skip_spaces(text, 0);
    const bool negative = read_sign(text, i);
    bool hex = false;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return false;

    // Hexadecimal may fill all bits; decimal must stay within the signed range.
    const std::uint64_t sign_bit = std::uint64_t{1} << (bits - 1);
    const std::uint64_t limit =
        hex ? sign_bit + (sign_bit - 1) : (negative ? sign_bit : sign_bit - 1);
    const std::uint64_t base = hex ? 16 : 10;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? hex_digit(text[i]) : decimal_digit(text[i]);
        if (digit < 0)
            return false;
        const auto d = static_cast<std::uint64_t>(digit);
        if (magnitude > (limit - d) / base)
            return false;
        magnitude = magnitude * base + d;
    }
    result = negative ? 0u - magnitude : magnitude;
    return true;
}

} // namespace

bool text_to_integer(const QString& text, int& value) {
    std::uint64_t bits = 0;
    if (!read_integer(text, 32, bits))
        return false;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    return true;
}

bool text_to_integer64(const QString& text, std::int64_t& value) {
    std::uint64_t bits = 0;
    if (!read_integer(text, 64, bits))
        return false;
    value = static_cast<std::int64_t>(bits);
    return true;
}

float text_to_float(const QString& text) {
    constexpr float not_a_number = std::numeric_limits<float>::quiet_NaN();
    qsizetype i = skip_spaces(text, 0);
    const bool negative = read_sign(text, i);
    const std::string integer_digits = read_digits(text, i);
    std::string fraction_digits;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        fraction_digits = read_digits(text, i);
    }
    if (integer_digits.empty() && fraction_digits.empty())
        return not_a_number;
    bool exponent_negative = false;
    std::string exponent_digits = "0";
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        exponent_negative = read_sign(text, i);
        exponent_digits = read_digits(text, i);
        if (exponent_digits.empty())
            return not_a_number;
    }
    if (i != text.size())
        return not_a_number;

    const std::string canonical = (integer_digits.empty() ? "0" : integer_digits) + '.' +
                                  (fraction_digits.empty() ? "0" : fraction_digits) + 'e' +
                                  (exponent_negative ? "-" : "") + exponent_digits;
    const char* const first = canonical.data();
    const char* const last = first + canonical.size();
    float result = 0.0f;
    const auto parsed = std::from_chars(first, last, result);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Too small for a float is zero (or a denormal); too large does not convert.
        long double wide = 0.0L;
        const auto wide_parsed = std::from_chars(first, last, wide);
        const bool underflow =
            wide_parsed.ec == std::errc{} ? std::fabs(wide) < 1.0L : exponent_negative;
        if (!underflow)
            return not_a_number;
        result = wide_parsed.ec == std::errc{} ? static_cast<float>(wide) : 0.0f;
    } else if (parsed.ec != std::errc{} || parsed.ptr != last) {
        return not_a_number;
    }
    return negative ? -result : result;
}

QString float_to_text(int width, int decimals, float value) {
    width = std::max(width, 0);
    QString text;
    if (std::isnan(value)) {
        text = QStringLiteral("NAN");
    } else if (std::isinf(value)) {
        text = value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    } else {
        const bool negative = std::signbit(value);
        const double magnitude = std::fabs(static_cast<double>(value));
        if (decimals >= 0) {
            text = fixed_text(magnitude, std::min(decimals, 255));
            if (negative)
                text.prepend(u'-');
        } else {
            // The classic layout keeps a place for the sign even when it is a blank.
            text =
                (negative ? QStringLiteral("-") : QStringLiteral(" ")) + scientific_text(magnitude);
        }
    }
    text = text.rightJustified(width, u' ');
    // A tiny negative value shown with one decimal must not read as "-0.0".
    if (text.trimmed() == QStringLiteral("-0.0"))
        return QStringLiteral("0.0");
    return text;
}

QString integer_to_text(int value, int width) {
    return QString::number(value).rightJustified(std::max(width, 0), u' ');
}

QString date_time_text() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("  ") +
           locale.toString(now.time(), without_time_zone(locale.timeFormat(QLocale::LongFormat)));
}
