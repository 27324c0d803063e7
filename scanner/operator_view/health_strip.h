#pragma once

#include "scanner/bridge/source_health.h"

#include <QFrame>

#include <vector>

class QGridLayout;
class QLabel;

// One row per source: a coloured mark, the source, its state, the last delivery, the rate
// and the records set aside. Rows are named health_row_<n> (n from 0, in the order given),
// their parts health_mark_<n>, health_state_<n>, health_delivery_<n>, health_rate_<n> and
// health_set_aside_<n>.
class health_strip : public QFrame {
    Q_OBJECT
public:
    explicit health_strip(QWidget* parent = nullptr);
    void show_sources(const std::vector<source_status>& sources, const QDateTime& now);
    int rows() const { return static_cast<int>(rows_.size()); }
    static constexpr std::size_t max_rows = 8;

private:
    struct row {
        QWidget* mark = nullptr;
        QLabel* name = nullptr;
        QLabel* state = nullptr;
        QLabel* delivery = nullptr;
        QLabel* rate = nullptr;
        QLabel* set_aside = nullptr;
    };
    QGridLayout* grid_ = nullptr;
    std::vector<row> rows_;
    void add_row();
};
