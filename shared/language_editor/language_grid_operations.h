#pragma once

#include <QColor>
#include <QString>

// What the vocabulary grid needs of the window that shows it: the texts and fill colours of
// its cells, which a derived window may change, and the operator's actions on the cells.
// Rows and columns are grid rows and columns (row 0 and column 0 the fixed title row and
// number column).
class language_grid_operations {
public:
    virtual QString column_name(int i) const = 0;
    virtual QString row_name(int i) const = 0;
    virtual QString cell_name(int r, int c) const = 0;
    virtual QColor cell_color(int r, int c) const = 0;

    // A mouse press on grid cell (r, c) picks up its text for a drag; -1 stands for a
    // position beside the cells.
    virtual void grid_mouse_down(int r, int c) = 0;
    // The text the last press picked up.
    virtual QString picked_up_text() const = 0;
    // A drop on grid cell (r, c) copies the picked-up text into it.
    virtual void grid_drop(int r, int c) = 0;
    // The in-place editor of grid cell (r, c) now holds `text`.
    virtual void grid_edit_text(int r, int c, const QString& text) = 0;

protected:
    ~language_grid_operations() = default;
};
