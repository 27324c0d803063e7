#pragma once

#include <QString>
#include <QVariant>

// How the record grids show a field; a null field shows as the empty text.

// The first `length` characters of the field's text.
QString shortened_text(const QVariant& value, int length);
// The value rounded to whole millimetres, a tie going to the even number.
QString millimetre_text(const QVariant& value);
// The sheet resistance as float_to_text with width 10 and 3 decimals, without the blanks.
QString sheet_resistance_value_text(const QVariant& value);
// Any other field: date-times as "yyyy-MM-dd hh:mm:ss", everything else as its text.
QString plain_field_text(const QVariant& value);
