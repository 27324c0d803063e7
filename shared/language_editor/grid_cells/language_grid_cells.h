#pragma once

#include "shared/basics/sprachen.h"

#include <QString>

#include <cstdint>

// The arithmetic between the vocabulary editor's grid and its table. The grid has one fixed
// title row (grid row 0) and one fixed number column (grid column 0) in front of the table,
// so grid cell (r, c) shows table cell (r - 1, c - 1).

// Grid rows and columns that show the table, fixed ones included.
int grid_row_count(const sprachen& table);
int grid_column_count(const sprachen& table);

// Title of table column i - 1 for 1 <= i <= anzahl_sprachen, else empty.
QString grid_column_name(const sprachen& table, int i);
// Number of grid row i (the table's title row is 0), three characters wide; empty beyond
// the grid's `grid_rows` rows.
QString grid_row_name(int grid_rows, int i);
// Table cell (r - 1, c - 1), empty outside the table.
QString grid_cell_name(const sprachen& table, int r, int c);
// Fill colour as 0xRRGGBB: fixed cells light grey, title row and key column grey, words white.
std::uint32_t grid_cell_color(int r, int c);

// True when grid cell (r, c) shows a table cell.
bool grid_cell_in_table(const sprachen& table, int r, int c);
// The text a mouse press on grid cell (r, c) picks up: a row or column outside the table
// counts as table row 0 or column 0.
QString grid_drag_text(const sprachen& table, int r, int c);

// Sets table cell (row, column); false (and nothing changes) outside the table.
bool set_table_cell(sprachen& table, int row, int column, const QString& text);
// Appends a copy of table row `row` (an empty row when `row` is outside the table).
void duplicate_table_row(sprachen& table, int row);
// Removes table row `row`. The title row and the last remaining row stay: false then.
bool delete_table_row(sprachen& table, int row);

// One step back or forward through 0 .. count - 1, wrapping at both ends; 0 when count is 0.
int previous_wrapping(int index, int count);
int next_wrapping(int index, int count);
// `index` moved into 0 .. count - 1 (0 when count is 0).
int inside_count(int index, int count);

// Width of every table column of a grid `grid_width` pixels wide with `grid_columns`
// columns: what is left beside the 30-pixel number column and a 16-pixel scroll bar, shared
// out, less 3 pixels of grid line each; never negative.
int grid_column_width(int grid_width, int grid_columns);
