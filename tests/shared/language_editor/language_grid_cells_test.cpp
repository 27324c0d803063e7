#include "shared/language_editor/grid_cells/language_grid_cells.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Titles Nickname, English, Deutsch; words dog and cat.
sprachen animals() {
    sprachen table;
    table.meine_liste = {
        {"Nickname", "English", "Deutsch"}, {"dog", "Dog", "Hund"}, {"cat", "Cat", "Katze"}};
    table.anzahl_vokabeln = 3;
    return table;
}

TEST(language_grid_cells, names_of_grid_cells_are_the_table_shifted_by_the_fixed_row_and_column) {
    const sprachen table = animals();
    struct name_case {
        int r, c;
        QString cell;
    };
    for (const name_case& k : std::vector<name_case>{{1, 1, "Nickname"},
                                                     {3, 3, "Katze"},
                                                     {2, 2, "Dog"},
                                                     {0, 1, ""},
                                                     {1, 0, ""},
                                                     {4, 1, ""},
                                                     {1, 4, ""},
                                                     {-1, 2, ""}}) {
        SCOPED_TRACE(testing::Message() << k.r << "," << k.c);
        EXPECT_EQ(grid_cell_name(table, k.r, k.c), k.cell);
        EXPECT_EQ(grid_cell_in_table(table, k.r, k.c), !k.cell.isEmpty());
    }
    EXPECT_EQ(grid_column_name(table, 0), "");
    EXPECT_EQ(grid_column_name(table, 1), "Nickname");
    EXPECT_EQ(grid_column_name(table, 3), "Deutsch");
    EXPECT_EQ(grid_column_name(table, 4), "");
    EXPECT_EQ(grid_row_count(table), 4);
    EXPECT_EQ(grid_column_count(table), 4);
}

TEST(language_grid_cells, number_column_counts_the_title_row_as_zero_in_three_characters) {
    struct row_case {
        int grid_rows, i;
        QString name;
    };
    for (const row_case& k : std::vector<row_case>{
             {4, 1, "  0"}, {4, 2, "  1"}, {4, 4, "  3"}, {4, 5, ""}, {1200, 1001, "1000"}}) {
        SCOPED_TRACE(k.i);
        EXPECT_EQ(grid_row_name(k.grid_rows, k.i), k.name);
    }
}

TEST(language_grid_cells, fixed_cells_title_row_and_key_column_have_their_colours) {
    struct colour_case {
        int r, c;
        std::uint32_t rgb;
    };
    for (const colour_case& k : std::vector<colour_case>{{0, 0, 0xC8C8C8},
                                                         {0, 5, 0xC8C8C8},
                                                         {5, 0, 0xC8C8C8},
                                                         {1, 1, 0xAAAAAA},
                                                         {1, 4, 0xAAAAAA},
                                                         {4, 1, 0xAAAAAA},
                                                         {2, 2, 0xFFFFFF},
                                                         {7, 3, 0xFFFFFF}}) {
        SCOPED_TRACE(testing::Message() << k.r << "," << k.c);
        EXPECT_EQ(grid_cell_color(k.r, k.c), k.rgb);
    }
}

TEST(language_grid_cells, a_press_beside_the_table_picks_up_row_zero_or_column_zero) {
    const sprachen table = animals();
    struct drag_case {
        int r, c;
        QString text;
    };
    for (const drag_case& k : std::vector<drag_case>{{0, 2, "English"},
                                                     {0, 0, "Nickname"},
                                                     {-1, -1, "Nickname"},
                                                     {3, 0, "cat"},
                                                     {3, 9, "cat"},
                                                     {9, 3, "Deutsch"},
                                                     {2, 3, "Hund"}}) {
        SCOPED_TRACE(testing::Message() << k.r << "," << k.c);
        EXPECT_EQ(grid_drag_text(table, k.r, k.c), k.text);
    }
}

TEST(language_grid_cells, steps_wrap_at_both_ends) {
    struct step_case {
        int index, count, previous, next;
    };
    for (const step_case& k : std::vector<step_case>{
             {0, 3, 2, 1}, {1, 3, 0, 2}, {2, 3, 1, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {7, 3, 2, 0}}) {
        SCOPED_TRACE(testing::Message() << k.index << " of " << k.count);
        EXPECT_EQ(previous_wrapping(k.index, k.count), k.previous);
        EXPECT_EQ(next_wrapping(k.index, k.count), k.next);
    }
}

TEST(language_grid_cells, table_columns_share_the_width_beside_number_column_and_scroll_bar) {
    EXPECT_EQ(grid_column_width(606, 4), 183); // (606 - 46) div 3 - 3
    EXPECT_EQ(grid_column_width(607, 3), 277); // (607 - 46) div 2 - 3
    EXPECT_EQ(grid_column_width(100, 4), 15);
    EXPECT_EQ(grid_column_width(40, 4), 0);
    EXPECT_EQ(grid_column_width(606, 1), 0);
}

TEST(language_grid_cells, cells_are_set_only_inside_the_table) {
    sprachen table = animals();
    EXPECT_TRUE(set_table_cell(table, 0, 2, "German"));
    EXPECT_EQ(table.wort(0, 2), "German");
    for (auto [row, column] : std::vector<std::pair<int, int>>{{-1, 0}, {3, 0}, {0, -1}, {0, 3}})
        EXPECT_FALSE(set_table_cell(table, row, column, "x"));
    EXPECT_EQ(table.meine_liste.size(), 3u);
}

TEST(language_grid_cells, deleting_keeps_the_title_row_and_moves_later_rows_up) {
    sprachen table = animals();
    EXPECT_FALSE(delete_table_row(table, 0));
    EXPECT_FALSE(delete_table_row(table, 3));
    EXPECT_TRUE(delete_table_row(table, 1));
    EXPECT_EQ(table.anzahl_vokabeln, 2);
    EXPECT_EQ(table.meine_liste,
              (vokabel_liste{{"Nickname", "English", "Deutsch"}, {"cat", "Cat", "Katze"}}));
    EXPECT_TRUE(delete_table_row(table, 1));
    EXPECT_FALSE(delete_table_row(table, 0)); // the title row is all that is left
    EXPECT_EQ(table.anzahl_vokabeln, 1);
}

TEST(language_grid_cells, duplicating_appends_a_copy_of_the_row) {
    sprachen table = animals();
    duplicate_table_row(table, 1);
    EXPECT_EQ(table.anzahl_vokabeln, 4);
    EXPECT_EQ(table.meine_liste.back(), (vokabel{"dog", "Dog", "Hund"}));
    duplicate_table_row(table, 0);
    EXPECT_EQ(table.meine_liste.back(), (vokabel{"Nickname", "English", "Deutsch"}));
}

} // namespace
