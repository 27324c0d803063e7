#include "scanner/bridge/record_cursor.h"

record_fault::record_fault(const QString& text, bool hopeless)
    : std::runtime_error(text.toStdString()), hopeless_(hopeless) {}

record_cursor::~record_cursor() = default;

record_source::~record_source() = default;
