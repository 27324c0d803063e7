#pragma once

#include <QString>

#include <cstdint>

// Strict conversion: leading blanks, optional sign, decimal digits or hexadecimal digits
// after "$", "x", "X", "0x", "0X"; nothing may follow. Decimal values must fit 32 bits;
// hexadecimal ones may use all 32 bits and are read as two's complement.
// On failure `value` is left unchanged and the result is false.
bool text_to_integer(const QString& text, int& value);
// The same for 64 bits.
bool text_to_integer64(const QString& text, std::int64_t& value);
// Strict conversion with "." as decimal separator and an optional exponent, rounded to
// single precision; NaN when the text does not convert.
float text_to_float(const QString& text);
// Fixed-point text with `decimals` digits (scientific notation for negative decimals),
// right-aligned to `width`; "-0.0" becomes "0.0".
QString float_to_text(int width, int decimals, float value);
// Decimal text right-aligned with blanks to at least `width` characters.
QString integer_to_text(int value, int width);
// Local date (short format), two blanks, local time (long format).
QString date_time_text();
