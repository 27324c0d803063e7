#pragma once

#include "scanner/bridge/record_cursor.h"

namespace database {
class sql_dataset;
}

// The records of the dataset's open record set. The column check comes first, so a column the table
// lacks (the environment's fault) is told apart from a value that does not convert (the
// record's).
class dataset_cursor final : public record_cursor {
public:
    explicit dataset_cursor(database::sql_dataset& records);

    bool eof() const override;
    void next() override;
    QString text(const QString& column) const override;
    std::int64_t integer(const QString& column) const override;
    double number(const QString& column) const override;

private:
    database::sql_dataset& records_;
    void require(const QString& column) const;
};
