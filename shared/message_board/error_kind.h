#pragma once

#include <QString>

namespace board {

// The kind of an error text: texts that differ only in file names or numbers (a temporary
// name, a record's Id) give the same key. Runs of digits become "#"; double-quoted parts,
// and words that hold a path separator or end in a file extension, become "<file>".
QString error_kind_key(const QString& text);

} // namespace board
