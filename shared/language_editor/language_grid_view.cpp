#include "shared/language_editor/language_grid_view.h"

#include "shared/basics/sprachen.h"
#include "shared/language_editor/grid_cells/language_grid_cells.h"
#include "shared/language_editor/language_editor_unit.h"
#include "shared/platform_widgets/error_reporting_application.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>

namespace {

const QColor fixed_background(0xC0, 0xC0, 0xC0); // silver
const QColor grid_line(0x80, 0x80, 0x80);
constexpr int text_indent = 2;

void draw_cell_text(QPainter& painter, const QRect& cell, const QString& text) {
    painter.drawText(cell.adjusted(text_indent, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

bool beyond_drag_threshold(const QPoint& from, const QPoint& to) {
    return (to - from).manhattanLength() >= QApplication::startDragDistance();
}

void start_text_drag(QWidget* source, const QString& text) {
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setText(text);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

} // namespace

language_grid_model::language_grid_model(const sprachen* table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), rows_(grid_row_count(*table)),
      columns_(grid_column_count(*table)) {}

int language_grid_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int language_grid_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant language_grid_model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return grid_cell_name(*table_, index.row(), index.column());
}

QVariant language_grid_model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? grid_column_name(*table_, section)
                                         : grid_row_name(rows_, section);
}

Qt::ItemFlags language_grid_model::flags(const QModelIndex& index) const {
    if (!index.isValid() || !grid_cell_in_table(*table_, index.row(), index.column()))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
}

void language_grid_model::sync() {
    // Rows and columns come and go at the end, so whatever stays keeps its place.
    const int rows = grid_row_count(*table_);
    const int columns = grid_column_count(*table_);
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (columns > columns_) {
        beginInsertColumns({}, columns_, columns - 1);
        columns_ = columns;
        endInsertColumns();
    } else if (columns < columns_) {
        beginRemoveColumns({}, columns, columns_ - 1);
        columns_ = columns;
        endRemoveColumns();
    }
    emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
    emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

language_grid_delegate::language_grid_delegate(Tlanguage_editor_form* form, QObject* parent)
    : QStyledItemDelegate(parent), form_(form) {}

void language_grid_delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const int r = index.row();
    const int c = index.column();
    const QColor fill = form_->cell_color(r, c);
    const QString text = form_->cell_name(r, c);
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->fillRect(option.rect, fill);
    painter->setPen(Qt::black);
    draw_cell_text(*painter, option.rect, text);
    if (option.state & QStyle::State_Selected) {
        painter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter->fillRect(option.rect, Qt::white);
        painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter->setPen(fill);
        draw_cell_text(*painter, option.rect, text);
    }
    painter->restore();
}

QWidget* language_grid_delegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                              const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    Tlanguage_editor_form* form = form_;
    const QPersistentModelIndex cell(index);
    connect(editor, &QLineEdit::textEdited, editor, [form, cell](const QString& text) {
        platform::deliver_reporting_errors([form, cell, text] {
            if (cell.isValid())
                form->grid_edit_text(cell.row(), cell.column(), text);
            return true;
        });
    });
    return editor;
}

void language_grid_delegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // Each keystroke is written to the table and comes back here; setting the same text
    // again would throw the cursor to the end.
    auto* line = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (line->text() != text)
        line->setText(text);
}

void language_grid_delegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {
    // Nothing left to commit: every change reached the table as it was typed.
}

language_grid_header::language_grid_header(Qt::Orientation orientation, Tlanguage_editor_form* form,
                                           QWidget* parent)
    : QHeaderView(orientation, parent), form_(form) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setAcceptDrops(true);
}

void language_grid_header::paintSection(QPainter* painter, const QRect& rect,
                                        int logicalIndex) const {
    const QString text = orientation() == Qt::Horizontal ? form_->column_name(logicalIndex)
                                                         : form_->row_name(logicalIndex);
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, fixed_background);
    painter->setPen(grid_line);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(Qt::black);
    draw_cell_text(*painter, rect, text);
    painter->restore();
}

std::pair<int, int> language_grid_header::grid_cell_at(const QPoint& position) const {
    const int section = logicalIndexAt(position);
    return orientation() == Qt::Horizontal ? std::pair{0, section} : std::pair{section, 0};
}

void language_grid_header::mousePressEvent(QMouseEvent* event) {
    const auto [r, c] = grid_cell_at(event->position().toPoint());
    form_->grid_mouse_down(r, c);
    press_position_ = event->position().toPoint();
    pressed_ = event->button() == Qt::LeftButton;
}

void language_grid_header::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ && (event->buttons() & Qt::LeftButton) &&
        beyond_drag_threshold(press_position_, event->position().toPoint())) {
        pressed_ = false;
        start_text_drag(this, form_->drag_text);
    }
}

void language_grid_header::mouseReleaseEvent(QMouseEvent*) {
    pressed_ = false;
}

void language_grid_header::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void language_grid_header::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void language_grid_header::dropEvent(QDropEvent* event) {
    const auto [r, c] = grid_cell_at(event->position().toPoint());
    form_->grid_drop(r, c);
    event->acceptProposedAction();
}

language_grid_view::language_grid_view(Tlanguage_editor_form* form, QWidget* parent)
    : QTableView(parent), form_(form) {
    setHorizontalHeader(new language_grid_header(Qt::Horizontal, form, this));
    setVerticalHeader(new language_grid_header(Qt::Vertical, form, this));
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void language_grid_view::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    form_->grid_mouse_down(rowAt(position.y()), columnAt(position.x()));
    press_position_ = position;
    pressed_ = event->button() == Qt::LeftButton;
    QTableView::mousePressEvent(event);
}

void language_grid_view::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ && (event->buttons() & Qt::LeftButton) &&
        beyond_drag_threshold(press_position_, event->position().toPoint())) {
        pressed_ = false;
        start_text_drag(this, form_->drag_text);
        return;
    }
    if (!pressed_)
        QTableView::mouseMoveEvent(event);
}

void language_grid_view::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = false;
    QTableView::mouseReleaseEvent(event);
}

void language_grid_view::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void language_grid_view::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void language_grid_view::dropEvent(QDropEvent* event) {
    const QPoint position = event->position().toPoint();
    form_->grid_drop(rowAt(position.y()), columnAt(position.x()));
    event->acceptProposedAction();
}
