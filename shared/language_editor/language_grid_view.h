#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPoint>
#include <QStyledItemDelegate>
#include <QTableView>

#include <utility>

class Tlanguage_editor_form;
class sprachen;

// The vocabulary editor's grid on Qt's model/view. Model row r and column c are grid row r
// and grid column c: row 0 and column 0 are the fixed title row and number column, which
// the view hides and its headers show, so they stay in place while the cells scroll.

// The table as grid cells. The table changes behind the model's back; sync() then brings
// the views in line, keeping the selected cell where it still exists.
class language_grid_model : public QAbstractTableModel {
    Q_OBJECT
public:
    language_grid_model(const sprachen* table, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void sync();

private:
    const sprachen* table_;
    int rows_;
    int columns_;
};

// Paints every cell in its colour, the selected one inverted; its editor writes each change
// into the table at once.
class language_grid_delegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    language_grid_delegate(Tlanguage_editor_form* form, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    Tlanguage_editor_form* form_;
};

// The fixed title row (horizontal) or number column (vertical): silver cells with the
// window's texts; a press picks up text for a drag, like a press on a cell.
class language_grid_header : public QHeaderView {
    Q_OBJECT
public:
    language_grid_header(Qt::Orientation orientation, Tlanguage_editor_form* form, QWidget* parent);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Grid row and column of a position on the header.
    std::pair<int, int> grid_cell_at(const QPoint& position) const;
    Tlanguage_editor_form* form_;
    QPoint press_position_;
    bool pressed_ = false;
};

// The grid: every press picks up the text under the mouse and may become a drag once the
// mouse has moved beyond the drag threshold; every drop is accepted.
class language_grid_view : public QTableView {
    Q_OBJECT
public:
    language_grid_view(Tlanguage_editor_form* form, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    Tlanguage_editor_form* form_;
    QPoint press_position_;
    bool pressed_ = false;
};
