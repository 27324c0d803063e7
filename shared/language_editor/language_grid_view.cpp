#include "shared/language_editor/language_grid_view.h"

#include "shared/basics/sprachen.h"
#include "shared/language_editor/grid_cells/language_grid_cells.h"
#include "shared/language_editor/language_grid_operations.h"
#include "shared/platform_widgets/guarded_handler.h"

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

#include <algorithm>

namespace {

const QColor fixed_background(0xC0, 0xC0, 0xC0); // silver
const QColor grid_line(0x80, 0x80, 0x80);
const QColor ink(Qt::black);
constexpr int text_indent = 2;

void draw_cell_text(QPainter& painter, const QRect& cell, const QString& text) {
    painter.drawText(cell.adjusted(text_indent, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

QColor colour_or(const QVariant& value, const QColor& otherwise) {
    const QColor colour = value.value<QColor>();
    return colour.isValid() ? colour : otherwise;
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

language_grid_model::language_grid_model(const std::unique_ptr<sprachen>& table,
                                         const language_grid_operations& cells, QObject* parent)
    : QAbstractTableModel(parent), table_(table), cells_(cells), rows_(grid_row_count(*table)),
      columns_(grid_column_count(*table)) {}

int language_grid_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int language_grid_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant language_grid_model::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cells_.cell_name(index.row(), index.column());
    case Qt::BackgroundRole:
        return cells_.cell_color(index.row(), index.column());
    case Qt::ForegroundRole:
        return ink;
    default:
        return {};
    }
}

QVariant language_grid_model::headerData(int section, Qt::Orientation orientation, int role) const {
    switch (role) {
    case Qt::DisplayRole:
        return orientation == Qt::Horizontal ? cells_.column_name(section)
                                             : cells_.row_name(section);
    case Qt::BackgroundRole:
        return fixed_background;
    case Qt::ForegroundRole:
        return ink;
    default:
        return {};
    }
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

language_grid_delegate::language_grid_delegate(language_grid_operations& cells, QObject* parent)
    : QStyledItemDelegate(parent), cells_(cells) {}

void language_grid_delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const QColor fill = colour_or(index.data(Qt::BackgroundRole), Qt::white);
    const QColor text_colour = colour_or(index.data(Qt::ForegroundRole), ink);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->fillRect(option.rect, fill);
    painter->setPen(text_colour);
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
    language_grid_operations* cells = &cells_;
    const QPersistentModelIndex cell(index);
    platform::connect_guarded(editor, &QLineEdit::textEdited, editor, [cells, cell, editor] {
        if (cell.isValid())
            cells->grid_edit_text(cell.row(), cell.column(), editor->text());
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

language_grid_header::language_grid_header(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
}

void language_grid_header::paintSection(QPainter* painter, const QRect& rect,
                                        int logicalIndex) const {
    const QAbstractItemModel* cells = model();
    const auto header = [&](int role) {
        return cells ? cells->headerData(logicalIndex, orientation(), role) : QVariant();
    };
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, colour_or(header(Qt::BackgroundRole), fixed_background));
    painter->setPen(grid_line);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(colour_or(header(Qt::ForegroundRole), ink));
    draw_cell_text(*painter, rect, header(Qt::DisplayRole).toString());
    painter->restore();
}

language_grid_dragging::language_grid_dragging(language_grid_operations& cells, QObject* parent)
    : QObject(parent), cells_(cells) {}

void language_grid_dragging::watch(QWidget* surface, cell_locator cell_at, bool mouse_passes_on) {
    surfaces_.append({surface, std::move(cell_at), mouse_passes_on});
    surface->setAcceptDrops(true);
    surface->installEventFilter(this);
}

bool language_grid_dragging::eventFilter(QObject* watched, QEvent* event) {
    const auto found = std::find_if(surfaces_.cbegin(), surfaces_.cend(),
                                    [watched](const surface& s) { return s.widget == watched; });
    if (found == surfaces_.cend())
        return QObject::eventFilter(watched, event);
    const bool keep_mouse = !found->mouse_passes_on;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        const auto [r, c] = found->cell_at(at);
        cells_.grid_mouse_down(r, c);
        press_position_ = at;
        pressed_ = mouse->button() == Qt::LeftButton;
        return keep_mouse;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressed_ && (mouse->buttons() & Qt::LeftButton) &&
            beyond_drag_threshold(press_position_, mouse->position().toPoint())) {
            pressed_ = false;
            start_text_drag(found->widget, cells_.picked_up_text());
            return true;
        }
        // A press that may still become a drag selects no further cells.
        return pressed_ || keep_mouse;
    }
    case QEvent::MouseButtonRelease:
        pressed_ = false;
        return keep_mouse;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::Drop: {
        auto* dropped = static_cast<QDropEvent*>(event);
        const auto [r, c] = found->cell_at(dropped->position().toPoint());
        cells_.grid_drop(r, c);
        dropped->acceptProposedAction();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

language_grid_view::language_grid_view(language_grid_operations& cells, QWidget* parent)
    : QTableView(parent) {
    auto* titles = new language_grid_header(Qt::Horizontal, this);
    auto* numbers = new language_grid_header(Qt::Vertical, this);
    setHorizontalHeader(titles);
    setVerticalHeader(numbers);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    auto* dragging = new language_grid_dragging(cells, this);
    dragging->watch(
        viewport(),
        [this](const QPoint& at) {
            return std::pair{rowAt(at.y()), columnAt(at.x())};
        },
        true);
    dragging->watch(
        titles->viewport(),
        [titles](const QPoint& at) {
            return std::pair{0, titles->logicalIndexAt(at)};
        },
        false);
    dragging->watch(
        numbers->viewport(),
        [numbers](const QPoint& at) {
            return std::pair{numbers->logicalIndexAt(at), 0};
        },
        false);
}
