#pragma once

#include "shared/basics/sprachen.h"
#include "shared/language_editor/language_grid_operations.h"
#include "shared/platform/operator_interface.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QMetaObject>
#include <QString>

#include <memory>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class language_grid_model;

// The vocabulary editor: a whole table in a grid, one word at a time in two text boxes for
// two chosen languages, file loading, saving, text import and export, and a translation
// test. The window works on a table of its own; edits reach other tables only through the
// file. Closing only hides it. Its owner calls FormDestroy() before deleting it, so the
// closing question is asked while the window is still whole; the destructor asks only if
// that did not happen.
class Tlanguage_editor_form : public QDialog, public language_grid_operations {
    Q_OBJECT

public:
    explicit Tlanguage_editor_form(QWidget* parent = nullptr);
    ~Tlanguage_editor_form() override;

    // Controls, in the order the window declares them.
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QPushButton* load_button = nullptr;
    QPushButton* Save_button = nullptr;
    QPushButton* saveas_button = nullptr;
    QPushButton* Button10 = nullptr;
    QLabel* file_label = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* word_index_label = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button11 = nullptr;
    QLabel* language1_label = nullptr;
    QPushButton* dec_language1 = nullptr;
    QPushButton* inc_language1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* language2_label = nullptr;
    QPushButton* dec_language2 = nullptr;
    QPushButton* inc_language2 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button6 = nullptr;
    QTableView* grid1 = nullptr;
    language_grid_model* grid_model = nullptr;

    // The four file dialogs; the window presets their file names as it goes.
    platform::file_dialog_request OpenDialog1;
    platform::file_dialog_request SaveDialog1;
    platform::file_dialog_request import_dialog;
    platform::file_dialog_request export_dialog;

    QString drag_text;
    std::unique_ptr<sprachen> my_words;
    int word_index = 0;
    int language1 = 0;
    int language2 = 1;
    bool save_question = true;

    QString column_name(int i) const override;
    QString row_name(int i) const override;
    QString cell_name(int r, int c) const override;
    QColor cell_color(int r, int c) const override;

    void load_file(const QString& the_file);
    void save_file(const QString& the_file);
    void refresh_display();
    void save_vocabulary();
    // The closing question; asked once, however often this is called.
    void FormDestroy();

    void load_buttonClick();
    void Save_buttonClick();
    void saveas_buttonClick();
    void Button10Click(); // sort
    void Button1Click();  // previous word
    void Button2Click();  // next word
    void Button3Click();  // new word
    void Button9Click();  // delete word
    void Button11Click(); // duplicate word
    void dec_language1Click();
    void inc_language1Click();
    void dec_language2Click();
    void inc_language2Click();
    void Memo1Exit();
    void Memo2Exit();
    void Button4Click(); // new language
    void Button8Click(); // translation test
    void Button5Click(); // import
    void Button7Click(); // append
    void Button6Click(); // export

    // Grid cell (r, c) became the selected cell.
    void grid_select_cell(int r, int c);
    // Makes grid cell (r, c) the selected cell, as a click on it would.
    void select_grid_cell(int r, int c);
    void grid_mouse_down(int r, int c) override;
    QString picked_up_text() const override;
    void grid_drop(int r, int c) override;
    void grid_edit_text(int r, int c, const QString& text) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool destroyed_ = false;
    // The grid moving its selected cell while it shrinks is no choice of the operator's.
    bool syncing_grid_ = false;
    // Connections whose handlers use the table; cut before the table goes.
    QList<QMetaObject::Connection> grid_connections_;
};
