#pragma once

#include <QString>

namespace board {

// The text with the value of every `Password` and `PWD` key of a connection string
// (any case; plain, braced or quoted) shown as "****", so no secret reaches the
// board, the log or standard output.
QString mask_passwords(const QString& text);

} // namespace board
