#include "shared/language_editor/language_editor_unit.h"

#include "tests/support/scratch_fixture.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

sprachen table_of(const vokabel_liste& rows) {
    sprachen table;
    table.meine_liste = rows;
    table.anzahl_vokabeln = static_cast<std::int32_t>(rows.size());
    table.anzahl_sprachen = rows.empty() ? 0 : static_cast<std::int32_t>(rows.front().size());
    return table;
}

const vokabel_liste animals{{"Nickname", "English", "Deutsch", "Francais"},
                            {"dog", "Dog", "Hund", "chien"},
                            {"cat", "Cat", "Katze", "chat"},
                            {"cow", "Cow", "Kuh", "vache"}};

class language_editor : public scratch_fixture {
protected:
    // A window on a copy of `rows`; it will not ask about saving unless a test wants it to.
    Tlanguage_editor_form& start(const vokabel_liste& rows = animals) {
        window_ = std::make_unique<Tlanguage_editor_form>();
        window_->save_question = false;
        *window_->my_words = table_of(rows);
        window_->refresh_display();
        return *window_;
    }

    // The window on screen at its size, so cells have places to be pressed and dropped on.
    Tlanguage_editor_form& start_shown(const vokabel_liste& rows = animals) {
        Tlanguage_editor_form& w = start(rows);
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }

    QModelIndex cell(int r, int c) const { return window_->grid1->model()->index(r, c); }

    QPoint centre_of(int r, int c) const { return window_->grid1->visualRect(cell(r, c)).center(); }

    QString saved_path(const QString& name) const { return path(name); }

    std::unique_ptr<Tlanguage_editor_form> window_;
};

void press(QWidget* target, const QPoint& at) {
    QMouseEvent event(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void drop(QWidget* target, const QPoint& at) {
    QMimeData data;
    data.setText(QStringLiteral("ignored: the grid drops what it picked up"));
    // Qt hands a drop only to the widget that accepted the drag entering it.
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    EXPECT_TRUE(event.isAccepted());
}

TEST_F(language_editor, a_new_window_shows_a_new_table_with_the_dialogs_of_the_system) {
    Tlanguage_editor_form w;
    w.save_question = false;
    EXPECT_EQ(w.windowTitle(), "Language editor");
    EXPECT_EQ(w.size(), QSize(606, 553));
    EXPECT_EQ(w.my_words->anzahl_sprachen, 3);
    EXPECT_EQ(w.my_words->anzahl_vokabeln, 1);
    EXPECT_EQ(w.word_index, 0);
    EXPECT_EQ(w.language1, 0);
    EXPECT_EQ(w.language2, 1);
    EXPECT_EQ(w.language1_label->text(), "Nickname");
    EXPECT_EQ(w.language2_label->text(), "English");
    EXPECT_EQ(w.Memo2->toPlainText(), "English");
    EXPECT_EQ(w.word_index_label->text(), "0");
    EXPECT_EQ(w.grid1->model()->rowCount(), 2);
    EXPECT_EQ(w.grid1->model()->columnCount(), 4);
    EXPECT_EQ(w.grid1->currentIndex(), w.grid1->model()->index(1, 2));
    EXPECT_EQ(w.OpenDialog1.filter, "Word list (*.bin)");
    EXPECT_EQ(w.SaveDialog1.filter, "Word list (*.bin)");
    EXPECT_EQ(w.OpenDialog1.default_suffix, "");
    EXPECT_EQ(w.import_dialog.filter, "Testfile (*.txt)");
    EXPECT_EQ(w.import_dialog.default_suffix, "txt");
    EXPECT_EQ(w.export_dialog.filter, "Textfile (*.txt)");
    EXPECT_EQ(w.export_dialog.default_suffix, "txt");
    const std::vector<std::pair<const char*, const char*>> captions{
        {"load_button", "Load"},
        {"Save_button", "Save"},
        {"saveas_button", "Save as"},
        {"Button10", "Sort"},
        {"Button1", "Prev"},
        {"Button2", "Next"},
        {"Button3", "New word"},
        {"Button9", "Delete word"},
        {"Button11", "Duplicate word"},
        {"dec_language1", "<"},
        {"inc_language2", ">"},
        {"Button4", "New language"},
        {"Button8", "Translation test"},
        {"Button5", "Import from textfile (tab separated)"},
        {"Button7", "Append from textfile (tab separated)"},
        {"Button6", "Export to textfile (tab separated)"}};
    for (auto [name, caption] : captions) {
        SCOPED_TRACE(name);
        auto* b = w.findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QLatin1String(caption));
    }
    EXPECT_EQ(w.findChild<QLabel*>("Label2")->text(), "Language editor");
    EXPECT_EQ(w.findChild<QLabel*>("Label3")->text(), "Word");
}

TEST_F(language_editor, row_and_language_steps_wrap_around_the_table) {
    struct step_case {
        const char* button;
        int word_index, language1, language2;
        int expected; // the index the button moves
    };
    // animals: 4 rows, 4 columns.
    const std::vector<step_case> cases{
        {"Button1", 0, 0, 1, 3},       {"Button1", 2, 0, 1, 1},       {"Button2", 3, 0, 1, 0},
        {"Button2", 0, 0, 1, 1},       {"dec_language1", 0, 0, 1, 3}, {"inc_language1", 0, 3, 1, 0},
        {"inc_language1", 0, 1, 1, 2}, {"dec_language2", 0, 0, 0, 3}, {"inc_language2", 0, 0, 3, 0},
        {"dec_language2", 0, 0, 2, 1}};
    for (const step_case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.button << " from " << k.word_index << "/"
                                        << k.language1 << "/" << k.language2);
        Tlanguage_editor_form& w = start();
        w.word_index = k.word_index;
        w.language1 = k.language1;
        w.language2 = k.language2;
        w.refresh_display();
        QTest::mouseClick(w.findChild<QPushButton*>(QLatin1String(k.button)), Qt::LeftButton);
        const QString name = QLatin1String(k.button);
        const int moved = name.startsWith("Button")    ? w.word_index
                          : name.endsWith("language1") ? w.language1
                                                       : w.language2;
        EXPECT_EQ(moved, k.expected);
        EXPECT_EQ(w.word_index_label->text(), QString::number(w.word_index));
        EXPECT_EQ(w.language1_label->text(), animals[0][static_cast<std::size_t>(w.language1)]);
        EXPECT_EQ(
            w.Memo1->toPlainText(),
            animals[static_cast<std::size_t>(w.word_index)][static_cast<std::size_t>(w.language1)]);
        EXPECT_EQ(
            w.Memo2->toPlainText(),
            animals[static_cast<std::size_t>(w.word_index)][static_cast<std::size_t>(w.language2)]);
    }
}

TEST_F(language_editor, stepping_writes_both_text_boxes_back_first_also_into_the_title_row) {
    Tlanguage_editor_form& w = start();
    w.Memo1->setPlainText("key");
    w.Memo2->setPlainText("Englisch");
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    EXPECT_EQ(w.my_words->wort(0, 0), "key");
    EXPECT_EQ(w.my_words->wort(0, 1), "Englisch");
    EXPECT_EQ(w.word_index, 3);

    w.Memo1->setPlainText("ox");
    QTest::mouseClick(w.inc_language1, Qt::LeftButton);
    EXPECT_EQ(w.my_words->wort(3, 0), "ox");
    EXPECT_EQ(w.Memo1->toPlainText(), "Cow");
}

TEST_F(language_editor, leaving_a_text_box_writes_it_back_but_losing_the_window_does_not) {
    Tlanguage_editor_form& w = start();
    w.Memo2->setPlainText("Dogge");
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w.Memo2, &deactivated);
    EXPECT_EQ(w.my_words->wort(0, 1), "English");
    QFocusEvent left(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w.Memo2, &left);
    EXPECT_EQ(w.my_words->wort(0, 1), "Dogge");
}

TEST_F(language_editor, number_column_and_title_row_show_the_table_around_the_cells) {
    Tlanguage_editor_form& w = start();
    EXPECT_EQ(w.row_name(1), "  0");
    EXPECT_EQ(w.row_name(2), "  1");
    EXPECT_EQ(w.row_name(5), "  4"); // beyond the grid only past its row count
    EXPECT_EQ(w.row_name(6), "");
    EXPECT_EQ(w.column_name(4), "Francais");
    EXPECT_EQ(w.column_name(5), "");
    EXPECT_EQ(w.cell_name(3, 4), "chat");
    EXPECT_EQ(w.cell_color(2, 1), QColor(0xAA, 0xAA, 0xAA));
    const QAbstractItemModel* model = w.grid1->model();
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), "  0");
    EXPECT_EQ(model->headerData(4, Qt::Vertical).toString(), "  3");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "English");
    EXPECT_EQ(model->data(model->index(2, 3)).toString(), "Hund");
    EXPECT_EQ(w.grid1->verticalHeader()->width(), 30);
    EXPECT_EQ(w.grid1->rowHeight(2), 18);
}

TEST_F(language_editor, selecting_a_cell_makes_its_row_the_word_and_its_column_the_right_box) {
    Tlanguage_editor_form& w = start();
    w.grid1->setCurrentIndex(cell(2, 4));
    EXPECT_EQ(w.word_index, 1);
    EXPECT_EQ(w.language2, 3);
    EXPECT_EQ(w.language2_label->text(), "Francais");
    EXPECT_EQ(w.Memo2->toPlainText(), "chien");
    EXPECT_EQ(w.language1, 0);
    EXPECT_EQ(w.Memo1->toPlainText(), "dog");
}

TEST_F(language_editor, a_drag_copies_the_text_picked_up_into_a_table_cell_only) {
    Tlanguage_editor_form& w = start();
    w.grid_mouse_down(0, 2); // the fixed title row holds the titles
    EXPECT_EQ(w.drag_text, "English");
    const sprachen before = *w.my_words;
    for (auto [r, c] : std::vector<std::pair<int, int>>{{0, 3}, {2, 0}, {0, 0}, {9, 2}, {2, -1}})
        w.grid_drop(r, c);
    EXPECT_EQ(w.my_words->meine_liste, before.meine_liste);

    w.grid_drop(3, 3);
    EXPECT_EQ(w.my_words->wort(2, 2), "English");
    w.grid_mouse_down(4, 1);
    w.grid_drop(2, 4);
    EXPECT_EQ(w.my_words->wort(1, 3), "cow");
}

TEST_F(language_editor, mouse_presses_and_drops_on_the_grid_reach_the_table) {
    Tlanguage_editor_form& w = start_shown();
    QHeaderView* titles = w.grid1->horizontalHeader();
    press(titles->viewport(),
          QPoint(titles->sectionViewportPosition(3) + titles->sectionSize(3) / 2, 5));
    EXPECT_EQ(w.drag_text, "Deutsch");
    drop(w.grid1->viewport(), centre_of(4, 2));
    EXPECT_EQ(w.my_words->wort(3, 1), "Deutsch");
    EXPECT_EQ(w.word_index, 0); // a drop is no selection

    press(w.grid1->viewport(), centre_of(3, 4));
    EXPECT_EQ(w.drag_text, "chat");
    EXPECT_EQ(w.word_index, 2);
    EXPECT_EQ(w.language2, 3);
    const sprachen before = *w.my_words;
    drop(titles->viewport(), QPoint(titles->sectionViewportPosition(2) + 4, 5));
    EXPECT_EQ(w.my_words->meine_liste, before.meine_liste);
}

TEST_F(language_editor, the_number_column_picks_up_the_key_and_takes_no_drop) {
    Tlanguage_editor_form& w = start_shown();
    QHeaderView* numbers = w.grid1->verticalHeader();
    const auto number_cell = [numbers](int r) {
        return QPoint(5, numbers->sectionViewportPosition(r) + numbers->sectionSize(r) / 2);
    };
    press(numbers->viewport(), number_cell(3));
    EXPECT_EQ(w.drag_text, "cat");
    EXPECT_EQ(w.word_index, 0); // a press on the number column selects nothing
    const sprachen before = *w.my_words;
    drop(numbers->viewport(), number_cell(2));
    EXPECT_EQ(w.my_words->meine_liste, before.meine_liste);
    drop(w.grid1->viewport(), centre_of(2, 4));
    EXPECT_EQ(w.my_words->wort(1, 3), "cat");
}

TEST_F(language_editor, a_replaced_table_is_the_one_the_grid_shows_and_edits) {
    Tlanguage_editor_form& w = start_shown();
    w.grid1->setCurrentIndex(cell(4, 4));
    // Smaller than the table before, so the grid still has rows and columns it no longer has.
    w.my_words = std::make_unique<sprachen>(
        table_of({{"Nickname", "English"}, {"sun", "Sun"}, {"moon", "Moon"}}));
    const QAbstractItemModel* model = w.grid1->model();
    EXPECT_EQ(model->data(cell(3, 2)).toString(), "Moon");
    EXPECT_EQ(model->data(cell(4, 4)).toString(), "");
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "English");
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "");
    EXPECT_EQ(model->flags(cell(4, 4)) & Qt::ItemIsEditable, Qt::NoItemFlags);
    const QImage stale_shape = w.grab().toImage(); // every cell painted from the new table
    EXPECT_FALSE(stale_shape.isNull());

    w.grid1->setCurrentIndex(cell(2, 2));
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(w.word_index, 1);
    EXPECT_EQ(w.Memo2->toPlainText(), "Sun");

    w.grid1->edit(cell(2, 2));
    auto* editor = w.grid1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "Sun");
    editor->end(false);
    QTest::keyClicks(editor, "ny");
    EXPECT_EQ(w.my_words->wort(1, 1), "Sunny");
    QTest::keyClick(editor, Qt::Key_Escape);

    press(w.grid1->viewport(), centre_of(3, 1));
    drop(w.grid1->viewport(), centre_of(2, 2));
    EXPECT_EQ(w.my_words->wort(1, 1), "moon");
    EXPECT_EQ(model->data(cell(2, 2)).toString(), "moon");

    // A file loaded over a replaced table shows in the grid as well.
    const QString file = path("animals.bin");
    ASSERT_TRUE(table_of(animals).save_to_file(file));
    w.my_words = std::make_unique<sprachen>();
    w.load_file(file);
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->data(cell(3, 4)).toString(), "chat");
}

// A window that shows its table its own way, through the cell operations alone.
class shouting_editor : public Tlanguage_editor_form {
public:
    QString column_name(int i) const override {
        return Tlanguage_editor_form::column_name(i).toUpper();
    }
    QString row_name(int i) const override {
        return QStringLiteral("#") + Tlanguage_editor_form::row_name(i).trimmed();
    }
    QString cell_name(int r, int c) const override {
        return Tlanguage_editor_form::cell_name(r, c).toUpper();
    }
    QColor cell_color(int r, int c) const override {
        return r == 2 ? QColor(0x33, 0x66, 0x99) : Tlanguage_editor_form::cell_color(r, c);
    }
};

TEST_F(language_editor, overridden_cell_operations_change_picture_and_editor_text_alike) {
    shouting_editor w;
    w.save_question = false;
    *w.my_words = table_of(animals);
    w.refresh_display();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QAbstractItemModel* model = w.grid1->model();
    const QModelIndex hund = model->index(2, 3);
    EXPECT_EQ(model->data(hund).toString(), "HUND");
    EXPECT_EQ(model->data(hund, Qt::EditRole).toString(), "HUND");
    EXPECT_EQ(model->data(hund, Qt::BackgroundRole).value<QColor>(), QColor(0x33, 0x66, 0x99));
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "DEUTSCH");
    EXPECT_EQ(model->headerData(2, Qt::Vertical).toString(), "#1");

    w.grid1->setCurrentIndex(model->index(3, 3));
    QApplication::processEvents();
    const QImage picture = w.grid1->viewport()->grab().toImage();
    const QRect rect = w.grid1->visualRect(hund);
    EXPECT_EQ(picture.pixelColor(rect.right() - 3, rect.center().y()).rgb() & 0xFFFFFF, 0x336699u);

    w.grid1->edit(hund);
    auto* editor = w.grid1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "HUND");
}

TEST_F(language_editor, in_place_editing_writes_every_keystroke_into_the_table) {
    Tlanguage_editor_form& w = start_shown();
    w.grid1->setCurrentIndex(cell(3, 3));
    w.grid1->edit(cell(3, 3));
    auto* editor = w.grid1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "Katze");
    editor->setCursorPosition(0);
    QTest::keyClicks(editor, "Wildk");
    EXPECT_EQ(w.my_words->wort(2, 2), "WildkKatze");
    EXPECT_EQ(editor->text(), "WildkKatze");
    EXPECT_EQ(w.Memo2->toPlainText(), "WildkKatze");
    EXPECT_EQ(w.grid1->model()->data(cell(3, 3)).toString(), "WildkKatze");
}

TEST_F(language_editor, painted_cells_have_their_colours_and_the_selected_one_is_inverted) {
    Tlanguage_editor_form& w = start_shown();
    w.grid1->setCurrentIndex(cell(3, 3));
    QApplication::processEvents();
    const QImage picture = w.grid1->viewport()->grab().toImage();
    // Right inside the right edge of a cell, clear of its text and of the grid lines.
    const auto colour_at = [&](int r, int c) {
        const QRect rect = w.grid1->visualRect(cell(r, c));
        return picture.pixelColor(rect.right() - 3, rect.center().y()).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(colour_at(1, 2), 0xAAAAAAu);
    EXPECT_EQ(colour_at(3, 1), 0xAAAAAAu);
    EXPECT_EQ(colour_at(2, 2), 0xFFFFFFu);
    EXPECT_EQ(colour_at(3, 3), 0x000000u);
}

TEST_F(language_editor, new_duplicate_and_delete_word_keep_the_selection_on_the_current_word) {
    Tlanguage_editor_form& w = start();
    w.language2 = 2;
    w.refresh_display();
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_vokabeln, 5);
    EXPECT_EQ(w.word_index, 4);
    EXPECT_EQ(w.grid1->currentIndex(), cell(5, 3));
    EXPECT_EQ(w.Memo1->toPlainText(), "");

    w.word_index = 2;
    w.refresh_display();
    QTest::mouseClick(w.Button11, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_vokabeln, 6);
    EXPECT_EQ(w.my_words->meine_liste.back(), animals[2]);
    EXPECT_EQ(w.word_index, 5);
    EXPECT_EQ(w.Memo2->toPlainText(), "Katze");

    // Deleting the last row makes the row above the current word.
    QTest::mouseClick(w.Button9, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_vokabeln, 5);
    EXPECT_EQ(w.word_index, 4);
    EXPECT_EQ(w.grid1->currentIndex(), cell(5, 3));

    w.select_grid_cell(3, 3); // cat
    QTest::mouseClick(w.Button9, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_vokabeln, 4);
    EXPECT_EQ(w.my_words->wort(2, 0), "cow");
    EXPECT_EQ(w.word_index, 1);
    EXPECT_EQ(w.grid1->currentIndex(), cell(2, 3));
    EXPECT_EQ(w.Memo1->toPlainText(), "dog");
}

TEST_F(language_editor, the_title_row_and_the_last_remaining_row_are_not_deleted) {
    Tlanguage_editor_form& w = start();
    const sprachen before = *w.my_words;
    QTest::mouseClick(w.Button9, Qt::LeftButton);
    EXPECT_EQ(w.my_words->meine_liste, before.meine_liste);
    EXPECT_EQ(w.word_index, 0);

    Tlanguage_editor_form& lone = start({{"Nickname", "English"}});
    QTest::mouseClick(lone.Button9, Qt::LeftButton);
    EXPECT_EQ(lone.my_words->anzahl_vokabeln, 1);
    EXPECT_TRUE(lone.grid1->currentIndex().isValid());
}

TEST_F(language_editor, a_new_language_comes_from_the_prompt_and_goes_to_the_right_box) {
    Tlanguage_editor_form& w = start();
    ui().answer_input("Italiano");
    QTest::mouseClick(w.Button4, Qt::LeftButton);
    ui().cancel_input();
    QTest::mouseClick(w.Button4, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_sprachen, 6);
    EXPECT_EQ(w.my_words->wort(0, 4), "Italiano");
    EXPECT_EQ(w.my_words->wort(0, 5), "Esperanto");
    EXPECT_EQ(w.language2, 5);
    EXPECT_EQ(w.language2_label->text(), "Esperanto");
    EXPECT_EQ(w.grid1->model()->columnCount(), 7);
    EXPECT_EQ(ui().questions.first(), "New language|Enter name of new language: ");
}

TEST_F(language_editor, translation_test_looks_up_german_then_translates_a_nickname) {
    struct translation_case {
        const char* name;
        vokabel_liste table;
        QString german, nickname;
        QStringList answers;
    };
    const std::vector<translation_case> cases{
        {"two columns", {{"Nickname", "English"}, {"dog", "Dog"}}, "Dog", "dog", {"", "---"}},
        {"found", animals, "Kuh", "cat", {"Cow", "Katze"}},
        {"german is case-sensitive", animals, "kuh", "nobody", {"", "---"}},
        {"titles", animals, "Deutsch", "Nickname", {"English", "Deutsch"}}};
    for (const translation_case& k : cases) {
        SCOPED_TRACE(k.name);
        Tlanguage_editor_form& w = start(k.table);
        ui().messages.clear();
        ui().questions.clear();
        ui().answer_input(k.german);
        ui().answer_input(k.nickname);
        QTest::mouseClick(w.Button8, Qt::LeftButton);
        EXPECT_EQ(ui().messages, k.answers);
        EXPECT_EQ(ui().questions,
                  (QStringList{"Translation test German-English|Enter german word: ",
                               "Translation test Nickname - Deutsch|Enter nickname: "}));
    }
}

TEST_F(language_editor, cancelling_a_file_dialog_changes_nothing) {
    struct cancel_case {
        const char* button;
        bool save_dialog;
        QString filter;
    };
    const std::vector<cancel_case> cases{{"load_button", false, "Word list (*.bin)"},
                                         {"saveas_button", true, "Word list (*.bin)"},
                                         {"Button5", false, "Testfile (*.txt)"},
                                         {"Button7", false, "Testfile (*.txt)"},
                                         {"Button6", true, "Textfile (*.txt)"}};
    for (const cancel_case& k : cases) {
        SCOPED_TRACE(k.button);
        Tlanguage_editor_form& w = start();
        w.file_label->setText(path("words.bin"));
        ui().file_dialogs.clear();
        if (k.save_dialog)
            ui().answer_save_file({});
        else
            ui().answer_open_file({});
        QTest::mouseClick(w.findChild<QPushButton*>(QLatin1String(k.button)), Qt::LeftButton);
        ASSERT_EQ(ui().file_dialogs.size(), 1);
        EXPECT_EQ(ui().file_dialogs.first().filter, k.filter);
        EXPECT_EQ(w.my_words->meine_liste, animals);
        EXPECT_EQ(w.my_words->anzahl_vokabeln, 4);
        EXPECT_EQ(w.file_label->text(), path("words.bin"));
        EXPECT_TRUE(ui().messages.isEmpty());
        EXPECT_TRUE(QDir(path({})).entryList(QDir::Files).isEmpty());
    }
}

TEST_F(language_editor, save_before_anything_was_loaded_writes_nothing) {
    Tlanguage_editor_form& w = start();
    QTest::mouseClick(w.Save_button, Qt::LeftButton);
    EXPECT_EQ(w.file_label->text(), "");
    EXPECT_TRUE(QDir(path({})).entryList(QDir::Files).isEmpty());
}

TEST_F(language_editor, a_failed_save_is_said_and_keeps_the_file_label) {
    const QString file = path("words.bin");
    ASSERT_TRUE(table_of(animals).save_to_file(file));
    Tlanguage_editor_form& w = start();
    w.load_file(file);
    const QString nowhere = path("none/words.bin");
    ui().answer_save_file(nowhere);
    QTest::mouseClick(w.saveas_button, Qt::LeftButton);
    EXPECT_EQ(ui().messages, QStringList{"Error: word list could not be saved!\n\r" + nowhere});
    EXPECT_EQ(w.file_label->text(), file);
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(language_editor, loading_a_missing_file_shows_its_name_and_keeps_the_table) {
    Tlanguage_editor_form& w = start();
    w.load_file(path("missing.bin"));
    EXPECT_EQ(ui().messages, QStringList{"Error: File not found!\n\r" + path("missing.bin")});
    EXPECT_EQ(w.my_words->meine_liste, animals);
    EXPECT_EQ(w.file_label->text(), "");
}

TEST_F(language_editor, a_loaded_table_edited_and_saved_loads_again_the_same) {
    const QString file = path("words.bin");
    vokabel_liste rows = animals;
    for (int i = 0; i < 9; ++i)
        rows.push_back({QString("word%1").arg(i), "", QString("Wort%1").arg(i), ""});
    ASSERT_TRUE(table_of(rows).save_to_file(file));

    Tlanguage_editor_form& w = start({{"Nickname", "English", "Deutsch"}});
    ui().answer_open_file(file);
    QTest::mouseClick(w.load_button, Qt::LeftButton);
    EXPECT_EQ(w.file_label->text(), file);
    EXPECT_EQ(w.import_dialog.file_name, file);
    EXPECT_EQ(w.my_words->meine_liste, rows);
    EXPECT_EQ(w.grid1->model()->rowCount(), 14);

    w.select_grid_cell(5, 2); // word0
    w.Memo2->setPlainText("Word0");
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    w.grid_edit_text(14, 1, "aardvark");
    w.grid_edit_text(14, 3, "Erdferkel");
    QTest::mouseClick(w.Button11, Qt::LeftButton);
    ui().answer_input("Italiano");
    QTest::mouseClick(w.Button4, Qt::LeftButton);
    w.grid_edit_text(2, 5, "cane");
    QTest::mouseClick(w.Button10, Qt::LeftButton);
    EXPECT_EQ(w.my_words->wort(1, 0), "aardvark");
    EXPECT_EQ(w.my_words->wort(2, 0), "aardvark");

    ui().answer_save_file(path("edited.bin"));
    QTest::mouseClick(w.saveas_button, Qt::LeftButton);
    EXPECT_EQ(w.file_label->text(), path("edited.bin"));
    EXPECT_EQ(w.SaveDialog1.file_name, path("edited.bin"));
    w.grid_edit_text(3, 1, "cat");
    QTest::mouseClick(w.Save_button, Qt::LeftButton);

    sprachen again;
    again.load_from_file(path("edited.bin"));
    EXPECT_EQ(again.anzahl_vokabeln, w.my_words->anzahl_vokabeln);
    EXPECT_EQ(again.anzahl_sprachen, 5);
    EXPECT_EQ(again.meine_liste, w.my_words->meine_liste);
    EXPECT_EQ(again.wort(again.get_index("word0", 0), 1), "Word0");
    EXPECT_EQ(again.wort(again.get_index("dog", 0), 4), "cane");
}

// Keys must match byte for byte: a cell the text boxes changed would send a spectrum to the
// default channel.
TEST_F(language_editor, browsing_without_typing_changes_no_byte_of_the_table) {
    const vokabel_liste rows{
        {"Nickname", "English", "Deutsch"},
        {QStringLiteral(u"no\u00a0break"), QStringLiteral(u"\ufeffmarked"), "tab\there"},
        {"cr\r\nlf", "lone\rcr", QStringLiteral(u"line\u2028separator")},
        {"\ttrailing\n", QStringLiteral(u"para\u2029graph"), ""},
    };
    const QString file = path("special.bin");
    ASSERT_TRUE(table_of(rows).save_to_file(file));
    const QByteArray before = read_file(file);

    Tlanguage_editor_form& w = start({{"Nickname", "English"}});
    ui().answer_open_file(file);
    QTest::mouseClick(w.load_button, Qt::LeftButton);
    for (QPushButton* step : {w.Button2, w.Button2, w.Button2, w.Button2, w.inc_language1,
                              w.inc_language2, w.Button1, w.Button1, w.dec_language1}) {
        QTest::mouseClick(step, Qt::LeftButton);
        w.Memo1Exit();
        w.Memo2Exit();
    }
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            w.select_grid_cell(r, c);
    QTest::mouseClick(w.Save_button, Qt::LeftButton);

    EXPECT_EQ(w.my_words->meine_liste, rows);
    EXPECT_EQ(read_file(file), before);

    // What the operator types is taken as the box holds it.
    w.select_grid_cell(2, 2);
    ASSERT_NE(w.language1, w.language2);
    w.Memo1->setPlainText("typed");
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    EXPECT_EQ(w.my_words->wort(1, w.language1), "typed");
}

TEST_F(language_editor, text_files_replace_or_extend_the_table_and_keep_the_boxes_inside_it) {
    Tlanguage_editor_form& w = start();
    w.select_grid_cell(4, 4);
    const QString two = write_file("two.txt", "Nickname\tEnglish\r\nsun\tSun\r\nmoon\tMoon\r\n");
    ui().answer_open_file(two);
    QTest::mouseClick(w.Button5, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_sprachen, 2);
    EXPECT_EQ(w.grid1->model()->columnCount(), 3);
    EXPECT_EQ(w.word_index, 2);
    EXPECT_EQ(w.language2, 1);
    EXPECT_EQ(w.Memo2->toPlainText(), "Moon");

    ui().answer_open_file(write_file("three.txt", "a\tb\tc\r\n"));
    QTest::mouseClick(w.Button7, Qt::LeftButton);
    EXPECT_EQ(ui().messages, QStringList{"Error: Number of languages in file does not match "
                                         "current number in program"});
    ui().answer_open_file(two);
    QTest::mouseClick(w.Button7, Qt::LeftButton);
    EXPECT_EQ(w.my_words->anzahl_vokabeln, 6);
    EXPECT_EQ(w.grid1->model()->rowCount(), 7);

    ui().answer_save_file(path("out.txt"));
    QTest::mouseClick(w.Button6, Qt::LeftButton);
    sprachen exported;
    exported.import_from_textfile(path("out.txt"));
    EXPECT_EQ(exported.meine_liste, w.my_words->meine_liste);
}

TEST_F(language_editor, closing_hides_the_window_and_destroying_it_asks_once) {
    Tlanguage_editor_form& w = start_shown();
    w.save_question = true;
    w.close();
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(ui().questions.isEmpty());
    ui().answer_yes_no(false);
    window_.reset();
    EXPECT_EQ(ui().questions, QStringList{"´Closing language editor|Save word list?"});
    EXPECT_TRUE(QDir(path({})).entryList(QDir::Files).isEmpty());
}

TEST_F(language_editor, saying_yes_on_destruction_saves_under_a_chosen_name_once) {
    Tlanguage_editor_form& w = start();
    w.save_question = true;
    ui().answer_yes_no(true);
    ui().answer_save_file(path("closing.bin"));
    w.FormDestroy();
    window_.reset();
    EXPECT_EQ(ui().questions, (QStringList{"´Closing language editor|Save word list?", QString()}));
    sprachen saved;
    saved.load_from_file(path("closing.bin"));
    EXPECT_EQ(saved.meine_liste, animals);
}

} // namespace
