#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>

// Fields of delimited text. Field numbers count from 1 (0 and below give the first field);
// a field beyond the last gives the empty text; every field is trimmed of characters
// with a code of 32 or less.
QString tab_field(const QString& text, int n);
QString semicolon_field(const QString& text, int n);
QString backslash_field(const QString& text, int n);

int tab_count(const QString& text);
int semicolon_count(const QString& text);
int backslash_count(const QString& text);

// The n-th field separated by `separator`, with the rules above; the field routines of
// every separator (including those of the cleaner program) share it.
QString delimited_field(const QString& text, QChar separator, int n);
// Every field of text at once, by the rules above: count + 1 fields, field n at index n - 1.
// A caller that takes many fields of one line splits it once with these instead of walking
// the line from its start for every field.
QStringList delimited_fields(const QString& text, QChar separator);
QStringList tab_fields(const QString& text);
// Number of occurrences of `c` in text.
int char_count(const QString& text, QChar c);

// True when `bit` (taken modulo 32; 0 is the least significant) of value is 1.
bool bit_is_set(std::uint32_t value, int bit);

// Trims characters with a code of 32 or less at both ends.
// The same without a copy.
QStringView trim_blanks_view(QStringView text);
QString trim_blanks(const QString& text);
// Upper-cases the ASCII letters a..z only.
QString ascii_upper(const QString& text);

// A text as part of a file name: path separators and the characters no Windows file name
// may hold (\ / : * ? " < > | and control characters) become "_", so the name never leaves
// its folder.
QString file_name_part(const QString& text);
