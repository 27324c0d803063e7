#include "shared/language_editor/grid_cells/language_grid_cells.h"

#include "shared/basics/number_text.h"

#include <algorithm>

namespace {

constexpr int number_column_width = 30;
constexpr int scroll_bar_width = 16;
constexpr int grid_line_allowance = 3;

} // namespace

int grid_row_count(const sprachen& table) {
    return std::max(table.anzahl_vokabeln, 0) + 1;
}

int grid_column_count(const sprachen& table) {
    return std::max(table.anzahl_sprachen, 0) + 1;
}

QString grid_column_name(const sprachen& table, int i) {
    if (i < 1 || i > table.anzahl_sprachen)
        return {};
    return table.wort(0, i - 1);
}

QString grid_row_name(int grid_rows, int i) {
    if (i > grid_rows)
        return {};
    return integer_to_text(i - 1, 3);
}

QString grid_cell_name(const sprachen& table, int r, int c) {
    if (!grid_cell_in_table(table, r, c))
        return {};
    return table.wort(r - 1, c - 1);
}

std::uint32_t grid_cell_color(int r, int c) {
    if (r == 0 || c == 0)
        return 0xC8C8C8;
    if (r == 1 || c == 1)
        return 0xAAAAAA;
    return 0xFFFFFF;
}

bool grid_cell_in_table(const sprachen& table, int r, int c) {
    return r >= 1 && r <= table.anzahl_vokabeln && c >= 1 && c <= table.anzahl_sprachen;
}

QString grid_drag_text(const sprachen& table, int r, int c) {
    const int row = r >= 1 && r <= table.anzahl_vokabeln ? r - 1 : 0;
    const int column = c >= 1 && c <= table.anzahl_sprachen ? c - 1 : 0;
    return table.wort(row, column);
}

bool set_table_cell(sprachen& table, int row, int column, const QString& text) {
    if (row < 0 || row >= table.anzahl_vokabeln || column < 0 || column >= table.anzahl_sprachen)
        return false;
    vokabel& cells = table.meine_liste[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(column) >= cells.size())
        return false;
    cells[static_cast<std::size_t>(column)] = text;
    return true;
}

void duplicate_table_row(sprachen& table, int row) {
    table.anzahl_vokabeln_plus();
    for (int c = 0; c < table.anzahl_sprachen; ++c)
        set_table_cell(table, table.anzahl_vokabeln - 1, c, table.wort(row, c));
}

bool delete_table_row(sprachen& table, int row) {
    if (row < 1 || row >= table.anzahl_vokabeln)
        return false;
    table.meine_liste.erase(table.meine_liste.begin() + row);
    --table.anzahl_vokabeln;
    return true;
}

int previous_wrapping(int index, int count) {
    if (count <= 0)
        return 0;
    return index <= 0 ? count - 1 : std::min(index, count) - 1;
}

int next_wrapping(int index, int count) {
    if (count <= 0)
        return 0;
    return index < 0 || index >= count - 1 ? 0 : index + 1;
}

int inside_count(int index, int count) {
    return std::clamp(index, 0, std::max(count - 1, 0));
}

int grid_column_width(int grid_width, int grid_columns) {
    if (grid_columns <= 1)
        return 0;
    const int width = (grid_width - number_column_width - scroll_bar_width) / (grid_columns - 1) -
                      grid_line_allowance;
    return std::max(width, 0);
}
