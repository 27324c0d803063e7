#pragma once

#include <QString>

// A single secret text hidden among random filler; failures are shown to the operator.
void write_password_file(const QString& text, const QString& file_name);
QString read_password_file(const QString& file_name);
