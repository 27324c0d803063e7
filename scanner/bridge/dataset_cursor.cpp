#include "scanner/bridge/dataset_cursor.h"

#include "shared/database/sql_dataset.h"

dataset_cursor::dataset_cursor(database::sql_dataset& records) : records_(records) {}

bool dataset_cursor::eof() const {
    return records_.eof();
}

void dataset_cursor::next() {
    records_.next();
}

void dataset_cursor::require(const QString& column) const {
    if (!records_.has_column(column))
        throw std::runtime_error(
            QStringLiteral("The record set has no column %1.").arg(column).toStdString());
}

QString dataset_cursor::text(const QString& column) const {
    require(column);
    return records_.field_text(column);
}

std::int64_t dataset_cursor::integer(const QString& column) const {
    require(column);
    try {
        return records_.field_integer64(column);
    } catch (const std::runtime_error& error) {
        throw record_fault(QString::fromUtf8(error.what()));
    }
}

double dataset_cursor::number(const QString& column) const {
    require(column);
    try {
        return records_.field_float(column);
    } catch (const std::runtime_error& error) {
        throw record_fault(QString::fromUtf8(error.what()));
    }
}
