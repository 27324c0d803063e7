#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QList>
#include <QPoint>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <memory>
#include <utility>

class language_grid_operations;
class sprachen;

// The vocabulary editor's grid on Qt's model/view. Model row r and column c are grid row r
// and grid column c: row 0 and column 0 are the fixed title row and number column, which
// the view hides and its headers show, so they stay in place while the cells scroll.

// The window's grid cells as a model. It serves what the window's cell operations say (text,
// fill colour), so the picture and the in-place editor show the same; and it looks through
// the window's owning pointer every time, so a table loaded or replaced behind its back is
// never stale.
// sync() brings the views in line with the table's shape, keeping the selected cell where it
// still exists.
class language_grid_model : public QAbstractTableModel {
    Q_OBJECT
public:
    language_grid_model(const std::unique_ptr<sprachen>& table,
                        const language_grid_operations& cells, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void sync();

private:
    const std::unique_ptr<sprachen>& table_;
    const language_grid_operations& cells_;
    int rows_;
    int columns_;
};

// Paints every cell as the model serves it, the selected one inverted; its editor writes each
// change into the table at once.
class language_grid_delegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    language_grid_delegate(language_grid_operations& cells, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    language_grid_operations& cells_;
};

// The fixed title row (horizontal) or number column (vertical): silver cells with the texts
// the model serves for them.
class language_grid_header : public QHeaderView {
    Q_OBJECT
public:
    language_grid_header(Qt::Orientation orientation, QWidget* parent);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// Mouse presses, drags and drops on the grid's cells and on its fixed row and column, in one
// place: every press picks up the text under the mouse for the window and may become a drag
// once the mouse has moved beyond the drag threshold; every drop is accepted and handed to the
// window with the grid cell under the mouse.
class language_grid_dragging : public QObject {
    Q_OBJECT
public:
    // Grid row and column under a position on a watched surface.
    using cell_locator = std::function<std::pair<int, int>(const QPoint&)>;

    language_grid_dragging(language_grid_operations& cells, QObject* parent);

    // Watches `surface`. The grid's own surface keeps its mouse handling (selection);
    // `mouse_passes_on` false keeps the mouse to the dragging alone (the headers).
    void watch(QWidget* surface, cell_locator cell_at, bool mouse_passes_on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct surface {
        QWidget* widget;
        cell_locator cell_at;
        bool mouse_passes_on;
    };
    language_grid_operations& cells_;
    QList<surface> surfaces_;
    QPoint press_position_;
    bool pressed_ = false;
};

// The grid with its headers and the dragging on all three surfaces.
class language_grid_view : public QTableView {
    Q_OBJECT
public:
    language_grid_view(language_grid_operations& cells, QWidget* parent);
};
