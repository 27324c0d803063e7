#include "scanner/record_widgets/record_grid.h"

#include "scanner/record_sources/record_display.h"
#include "shared/platform_widgets/guarded_handler.h"
#include "shared/platform_widgets/named_control.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

struct shown_column {
    QString name;
    int result_index = 0;
    int width = 0;
    record_grid::display_rule rule;
};

} // namespace

class record_grid::table_model final : public QAbstractTableModel {
    Q_OBJECT
public:
    std::vector<record_grid::column> declared;
    database::result_copy copy;
    std::vector<shown_column> shown;

    void set_copy(database::result_copy new_copy) {
        beginResetModel();
        copy = std::move(new_copy);
        arrange();
        endResetModel();
    }

    void set_declared(std::vector<record_grid::column> columns) {
        beginResetModel();
        declared = std::move(columns);
        arrange();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(copy.rows.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(shown.size());
    }

    QString text(int row, int column) const {
        const shown_column& c = shown[static_cast<std::size_t>(column)];
        const auto& cells = copy.rows[static_cast<std::size_t>(row)];
        if (c.result_index >= static_cast<int>(cells.size()))
            return {};
        const QVariant& value = cells[static_cast<std::size_t>(c.result_index)];
        return c.rule ? c.rule(value) : plain_field_text(value);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return text(index.row(), index.column());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Horizontal)
            return shown[static_cast<std::size_t>(section)].name;
        return {};
    }

    int shown_index(const QString& name) const {
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (shown[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }

private:
    void arrange() {
        shown.clear();
        std::vector<bool> placed(static_cast<std::size_t>(copy.columns.size()), false);
        for (const record_grid::column& c : declared) {
            const auto at =
                std::find_if(copy.columns.begin(), copy.columns.end(), [&](const QString& name) {
                    return name.compare(c.name, Qt::CaseInsensitive) == 0;
                });
            if (at == copy.columns.end())
                continue;
            const int index = static_cast<int>(at - copy.columns.begin());
            placed[static_cast<std::size_t>(index)] = true;
            shown.push_back({*at, index, c.width, c.rule});
        }
        for (int i = 0; i < copy.columns.size(); ++i)
            if (!placed[static_cast<std::size_t>(i)])
                shown.push_back({copy.columns[i], i, 0, {}});
    }
};

record_grid::record_grid(QWidget* parent) : QTableView(parent), model_(new table_model) {
    model_->setParent(this);
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

record_grid::~record_grid() = default;

void record_grid::set_columns(std::vector<column> columns) {
    model_->set_declared(std::move(columns));
    apply_widths();
}

void record_grid::show_result(database::result_copy copy) {
    const bool truncated = copy.truncated;
    model_->set_copy(std::move(copy));
    apply_widths();
    setToolTip(truncated ? QStringLiteral("Only the first %1 records of the result are shown.")
                               .arg(grid_row_limit)
                         : QString());
    go_first();
}

void record_grid::clear_result() {
    show_result({});
}

const database::result_copy& record_grid::result() const {
    return model_->copy;
}

QString record_grid::display_text(int row, const QString& column_name) const {
    const int column = model_->shown_index(column_name);
    if (column < 0 || row < 0 || row >= model_->rowCount({}))
        return {};
    return model_->text(row, column);
}

QStringList record_grid::shown_columns() const {
    QStringList names;
    for (const shown_column& c : model_->shown)
        names.append(c.name);
    return names;
}

int record_grid::current_record() const {
    if (model_->rowCount({}) == 0)
        return -1;
    return std::max(currentIndex().row(), 0);
}

void record_grid::go_to(int row) {
    const int rows = model_->rowCount({});
    if (rows == 0 || model_->columnCount({}) == 0)
        return;
    const int target = std::clamp(row, 0, rows - 1);
    const int column = std::max(currentIndex().column(), 0);
    setCurrentIndex(model_->index(target, column));
    scrollTo(currentIndex());
}

void record_grid::go_first() {
    go_to(0);
}

void record_grid::go_prior() {
    go_to(current_record() - 1);
}

void record_grid::go_next() {
    go_to(current_record() + 1);
}

void record_grid::go_last() {
    go_to(model_->rowCount({}) - 1);
}

void record_grid::apply_widths() {
    // Columns without a width of their own are wide enough for their title.
    // Titles may be drawn bold.
    QFont title_font = horizontalHeader()->font();
    title_font.setBold(true);
    const QFontMetrics metrics(title_font);
    for (std::size_t i = 0; i < model_->shown.size(); ++i) {
        const shown_column& c = model_->shown[i];
        const int width = c.width > 0 ? c.width
                                      : std::max(horizontalHeader()->defaultSectionSize(),
                                                 metrics.horizontalAdvance(c.name) + 20);
        setColumnWidth(static_cast<int>(i), width);
    }
}

namespace {

QPushButton* navigator_button(const QString& caption, const QString& tip, const char* name,
                              QWidget* navigator) {
    auto* button = platform::named(new QPushButton(caption, navigator), name);
    button->setToolTip(tip);
    button->setFixedWidth(36);
    return button;
}

} // namespace

record_navigator::record_navigator(record_grid& grid, QWidget* parent)
    : QWidget(parent), grid_(grid) {
    first_button = navigator_button(QStringLiteral("|<"), QStringLiteral("First record"),
                                    "first_button", this);
    prior_button =
        navigator_button(QStringLiteral("<"), QStringLiteral("Prior record"), "prior_button", this);
    next_button =
        navigator_button(QStringLiteral(">"), QStringLiteral("Next record"), "next_button", this);
    last_button =
        navigator_button(QStringLiteral(">|"), QStringLiteral("Last record"), "last_button", this);
    refresh_button = navigator_button(QString(QChar(0x21BB)), QStringLiteral("Refresh data"),
                                      "refresh_button", this);
    rows_label = platform::named(new QLabel(this), "rows_label");

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    for (QPushButton* button :
         {first_button, prior_button, next_button, last_button, refresh_button})
        row->addWidget(button);
    row->addSpacing(8);
    row->addWidget(rows_label);
    row->addStretch(1);

    connect(first_button, &QPushButton::clicked, this, [this] { grid_.go_first(); });
    connect(prior_button, &QPushButton::clicked, this, [this] { grid_.go_prior(); });
    connect(next_button, &QPushButton::clicked, this, [this] { grid_.go_next(); });
    connect(last_button, &QPushButton::clicked, this, [this] { grid_.go_last(); });
    platform::connect_guarded(refresh_button, &QPushButton::clicked, this, [this] {
        if (grid_.refresh)
            grid_.refresh();
    });
    connect(grid_.model(), &QAbstractItemModel::modelReset, this, [this] { show_row_count(); });
    show_row_count();
}

void record_navigator::show_row_count() {
    const auto& copy = grid_.result();
    const auto rows = static_cast<qsizetype>(copy.rows.size());
    rows_label->setText(copy.truncated ? QStringLiteral("first %1 records shown").arg(rows)
                                       : QStringLiteral("%1 records").arg(rows));
}

#include "record_grid.moc"
