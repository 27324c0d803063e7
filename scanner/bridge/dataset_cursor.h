#pragma once

#include "scanner/bridge/record_cursor.h"

#include <QSet>

namespace database {
class sql_dataset;
}

// The records of an open dataset. The column check comes first, so a column the table
// lacks (the environment's fault) is told apart from a value that does not convert (the
// record's).
class dataset_cursor final : public record_cursor {
public:
    explicit dataset_cursor(database::sql_dataset& records);
    // Takes the columns of the dataset's new record set.
    void opened();

    bool eof() const override;
    void next() override;
    QString text(const QString& column) const override;
    std::int64_t integer(const QString& column) const override;
    double number(const QString& column) const override;

private:
    database::sql_dataset& records_;
    QSet<QString> columns_; // lower case
    void require(const QString& column) const;
};
