#pragma once

#include "shared/database/sql_dataset.h"

#include <QTableView>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

// Rows a grid shows of a result at most; the record loops read the query itself.
constexpr int grid_row_limit = 10000;

// A grid over its own copy of a query result, as the query's dataset kept it on opening. Declared
// columns come first, in their order, with their widths and display rules; columns of the result
// that are not declared follow as they come, shown as plain text.
class record_grid : public QTableView {
    Q_OBJECT
public:
    using display_rule = std::function<QString(const QVariant&)>;
    struct column {
        QString name;
        int width = 0; // 0: the grid's default width
        display_rule rule;
    };

    explicit record_grid(QWidget* parent = nullptr);
    ~record_grid() override;

    void set_columns(std::vector<column> columns);
    // Shows the copy from its first row.
    void show_result(database::result_copy copy);
    void clear_result();
    const database::result_copy& result() const;

    // The text a cell shows; the column by its name in the result (case-insensitive).
    QString display_text(int row, const QString& column_name) const;
    // Names of the shown columns, left to right.
    QStringList shown_columns() const;

    // The current row (-1 when the grid is empty) and the navigator's moves.
    int current_record() const;
    void go_to(int row);
    void go_first();
    void go_prior();
    void go_next();
    void go_last();

    // Run by the navigator's refresh button: shows the query's result afresh.
    std::function<void()> refresh;

private:
    class table_model;
    table_model* model_ = nullptr;
    void apply_widths();
};

// First, prior, next, last and refresh for a record grid, and how many rows it holds.
class record_navigator : public QWidget {
    Q_OBJECT
public:
    record_navigator(record_grid& grid, QWidget* parent = nullptr);

    QPushButton* first_button = nullptr;
    QPushButton* prior_button = nullptr;
    QPushButton* next_button = nullptr;
    QPushButton* last_button = nullptr;
    QPushButton* refresh_button = nullptr;
    QLabel* rows_label = nullptr;

private:
    record_grid& grid_;
    void show_row_count();
};
