#include "shared/language_editor/language_editor_unit.h"

#include "shared/language_editor/grid_cells/language_grid_cells.h"
#include "shared/language_editor/language_grid_view.h"
#include "shared/platform/file_ops.h"
#include "shared/platform_widgets/exact_text_box.h"
#include "shared/platform_widgets/guarded_handler.h"
#include "shared/platform_widgets/named_control.h"

#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableView>
#include <QVBoxLayout>

#include <initializer_list>

namespace {

constexpr int panel_height = 225;
constexpr int grid_row_height = 18;
constexpr int number_column_width = 30;

const QColor panel_grey(0x80, 0x80, 0x80);
const QColor panel_teal(0x00, 0x80, 0x80);
const QColor grid_grey(0x80, 0x80, 0x80);
const QColor fixed_silver(0xC0, 0xC0, 0xC0);

// The system writes a dialog filter as "description|pattern"; Qt wants "description (pattern)".
QString qt_filter(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + u')';
}

QPushButton* button(const QString& caption, const char* name) {
    return platform::named(new QPushButton(caption), name);
}

void fill_background(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

Tlanguage_editor_form::Tlanguage_editor_form(QWidget* parent)
    : QDialog(parent), my_words(std::make_unique<sprachen>()) {
    setObjectName(QStringLiteral("language_editor_form"));
    setWindowTitle(QStringLiteral("Language editor"));
    setSizeGripEnabled(true);
    resize(606, 553);

    OpenDialog1.filter = qt_filter(QStringLiteral("Word list|*.bin"));
    SaveDialog1.filter = qt_filter(QStringLiteral("Word list|*.bin"));
    import_dialog.filter = qt_filter(QStringLiteral("Testfile|*.txt"));
    import_dialog.default_suffix = QStringLiteral("txt");
    export_dialog.filter = qt_filter(QStringLiteral("Textfile|*.txt"));
    export_dialog.default_suffix = QStringLiteral("txt");

    Panel1 = platform::named(new QFrame, "Panel1");
    Panel1->setFixedHeight(panel_height);
    fill_background(Panel1, panel_grey);
    Panel2 = platform::named(new QFrame(Panel1), "Panel2");
    fill_background(Panel2, panel_teal);
    load_button = button(QStringLiteral("Load"), "load_button");
    Save_button = button(QStringLiteral("Save"), "Save_button");
    saveas_button = button(QStringLiteral("Save as"), "saveas_button");
    Button10 = button(QStringLiteral("Sort"), "Button10");
    file_label = platform::named(new QLabel, "file_label");
    file_label->setTextFormat(Qt::PlainText);
    // A long file name is cut off rather than widening the window.
    file_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QPalette on_teal = file_label->palette();
    on_teal.setColor(QPalette::WindowText, Qt::white);
    file_label->setPalette(on_teal);
    Label2 = platform::named(new QLabel(QStringLiteral("Language editor")), "Label2");
    QFont title_font = Label2->font();
    title_font.setPointSizeF(title_font.pointSizeF() * 1.8);
    title_font.setBold(true);
    Label2->setFont(title_font);
    QPalette yellow = Label2->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    Label2->setPalette(yellow);
    Label3 = platform::named(new QLabel(QStringLiteral("Word")), "Label3");
    word_index_label = platform::named(new QLabel(QStringLiteral("0")), "word_index_label");
    word_index_label->setMinimumWidth(40);
    Button1 = button(QStringLiteral("Prev"), "Button1");
    Button2 = button(QStringLiteral("Next"), "Button2");
    Button3 = button(QStringLiteral("New word"), "Button3");
    Button9 = button(QStringLiteral("Delete word"), "Button9");
    Button11 = button(QStringLiteral("Duplicate word"), "Button11");
    language1_label = platform::named(new QLabel, "language1_label");
    dec_language1 = button(QStringLiteral("<"), "dec_language1");
    inc_language1 = button(QStringLiteral(">"), "inc_language1");
    Memo1 = platform::named(new QPlainTextEdit, "Memo1");
    language2_label = platform::named(new QLabel, "language2_label");
    dec_language2 = button(QStringLiteral("<"), "dec_language2");
    inc_language2 = button(QStringLiteral(">"), "inc_language2");
    Memo2 = platform::named(new QPlainTextEdit, "Memo2");
    Button4 = button(QStringLiteral("New language"), "Button4");
    Button8 = button(QStringLiteral("Translation test"), "Button8");
    Button5 = button(QStringLiteral("Import from textfile (tab separated)"), "Button5");
    Button7 = button(QStringLiteral("Append from textfile (tab separated)"), "Button7");
    Button6 = button(QStringLiteral("Export to textfile (tab separated)"), "Button6");

    auto* view = new language_grid_view(*this, this);
    grid1 = platform::named(view, "grid1");
    grid_model = new language_grid_model(my_words, *this, this);
    grid1->setModel(grid_model);
    grid1->setItemDelegate(new language_grid_delegate(*this, grid1));
    grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    grid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid1->setShowGrid(true);
    grid1->setCornerButtonEnabled(false);
    grid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette grid_palette = grid1->palette();
    grid_palette.setColor(QPalette::Base, grid_grey);
    grid_palette.setColor(QPalette::Button, fixed_silver);
    grid1->setPalette(grid_palette);
    for (QHeaderView* header : {grid1->horizontalHeader(), grid1->verticalHeader()}) {
        header->setMinimumSectionSize(1);
        header->setDefaultSectionSize(grid_row_height);
    }
    grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid1->verticalHeader()->setFixedWidth(number_column_width);
    grid1->horizontalHeader()->setFixedHeight(grid_row_height);

    auto* bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(4, 3, 4, 3);
    for (QWidget* w :
         std::initializer_list<QWidget*>{load_button, Save_button, saveas_button, Button10})
        bar->addWidget(w);
    bar->addSpacing(8);
    bar->addWidget(file_label, 1);

    auto* title_row = new QHBoxLayout;
    title_row->addWidget(Label2);
    title_row->addStretch(1);
    title_row->addWidget(Button4);
    title_row->addWidget(Button8);

    auto* word_row = new QHBoxLayout;
    word_row->addWidget(Label3);
    word_row->addWidget(word_index_label);
    for (QWidget* w : std::initializer_list<QWidget*>{Button1, Button2, Button3, Button9, Button11})
        word_row->addWidget(w);
    word_row->addStretch(1);

    const auto language_box = [](QLabel* label, QPushButton* dec, QPushButton* inc,
                                 QPlainTextEdit* memo) {
        for (QPushButton* arrow : {dec, inc})
            arrow->setFixedWidth(28);
        auto* head = new QHBoxLayout;
        head->addWidget(label, 1);
        head->addWidget(dec);
        head->addWidget(inc);
        auto* box = new QVBoxLayout;
        box->setSpacing(2);
        box->addLayout(head);
        box->addWidget(memo, 1);
        return box;
    };
    auto* text_column = new QVBoxLayout;
    text_column->setSpacing(3);
    for (QWidget* w : std::initializer_list<QWidget*>{Button5, Button7, Button6})
        text_column->addWidget(w);
    text_column->addStretch(1);
    auto* words_row = new QHBoxLayout;
    words_row->addLayout(language_box(language1_label, dec_language1, inc_language1, Memo1), 1);
    words_row->addLayout(language_box(language2_label, dec_language2, inc_language2, Memo2), 1);
    words_row->addLayout(text_column);

    auto* panel_layout = new QVBoxLayout(Panel1);
    panel_layout->setContentsMargins(0, 0, 0, 4);
    panel_layout->setSpacing(4);
    panel_layout->addWidget(Panel2);
    for (QLayout* row : std::initializer_list<QLayout*>{title_row, word_row, words_row}) {
        row->setContentsMargins(6, 0, 6, 0);
        panel_layout->addLayout(row);
    }
    panel_layout->setStretch(3, 1);

    auto* main_layout = new QVBoxLayout(this);
    main_layout->setContentsMargins(0, 0, 0, 0);
    main_layout->setSpacing(0);
    main_layout->addWidget(Panel1);
    main_layout->addWidget(grid1, 1);

    Memo1->installEventFilter(this);
    Memo2->installEventFilter(this);

    for (auto [source, handler] :
         std::initializer_list<std::pair<QPushButton*, void (Tlanguage_editor_form::*)()>>{
             {load_button, &Tlanguage_editor_form::load_buttonClick},
             {Save_button, &Tlanguage_editor_form::Save_buttonClick},
             {saveas_button, &Tlanguage_editor_form::saveas_buttonClick},
             {Button10, &Tlanguage_editor_form::Button10Click},
             {Button1, &Tlanguage_editor_form::Button1Click},
             {Button2, &Tlanguage_editor_form::Button2Click},
             {Button3, &Tlanguage_editor_form::Button3Click},
             {Button9, &Tlanguage_editor_form::Button9Click},
             {Button11, &Tlanguage_editor_form::Button11Click},
             {dec_language1, &Tlanguage_editor_form::dec_language1Click},
             {inc_language1, &Tlanguage_editor_form::inc_language1Click},
             {dec_language2, &Tlanguage_editor_form::dec_language2Click},
             {inc_language2, &Tlanguage_editor_form::inc_language2Click},
             {Button4, &Tlanguage_editor_form::Button4Click},
             {Button8, &Tlanguage_editor_form::Button8Click},
             {Button5, &Tlanguage_editor_form::Button5Click},
             {Button7, &Tlanguage_editor_form::Button7Click},
             {Button6, &Tlanguage_editor_form::Button6Click}})
        platform::connect_guarded(source, &QPushButton::clicked, this,
                                  [this, h = handler] { (this->*h)(); });
    // The selection model has taken the new current cell when it reports the change.
    grid_connections_.append(platform::connect_guarded(
        grid1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
            const QModelIndex current = grid1->currentIndex();
            if (current.isValid() && !syncing_grid_)
                grid_select_cell(current.row(), current.column());
        }));

    refresh_display();
    // The selected cell agrees with the word and the right-hand language from the start.
    grid1->selectionModel()->setCurrentIndex(grid_model->index(word_index + 1, language2 + 1),
                                             QItemSelectionModel::ClearAndSelect);
}

Tlanguage_editor_form::~Tlanguage_editor_form() {
    FormDestroy();
    // The controls outlive this body and the table; hidden and cut off from the table now,
    // nothing they do while the base window takes them down can reach it.
    hide();
    for (const QMetaObject::Connection& connection : grid_connections_)
        disconnect(connection);
    Memo1->removeEventFilter(this);
    Memo2->removeEventFilter(this);
    grid1->setModel(nullptr);
}

void Tlanguage_editor_form::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    if (save_question &&
        platform::operator_ui().ask_yes_no(QStringLiteral("´Closing language editor"),
                                           QStringLiteral("Save word list?")))
        saveas_buttonClick();
}

QString Tlanguage_editor_form::column_name(int i) const {
    return grid_column_name(*my_words, i);
}

QString Tlanguage_editor_form::row_name(int i) const {
    return grid_row_name(grid_model->rowCount(), i);
}

QString Tlanguage_editor_form::cell_name(int r, int c) const {
    return grid_cell_name(*my_words, r, c);
}

QColor Tlanguage_editor_form::cell_color(int r, int c) const {
    return QColor::fromRgb(grid_cell_color(r, c));
}

void Tlanguage_editor_form::load_file(const QString& the_file) {
    if (!platform::file_exists(the_file)) {
        platform::operator_ui().show_message(QStringLiteral("Error: File not found!\n\r") +
                                             the_file);
        return;
    }
    my_words->load_from_file(the_file);
    file_label->setText(the_file);
    import_dialog.file_name = the_file;
    refresh_display();
}

void Tlanguage_editor_form::save_file(const QString& the_file) {
    // The label names the file the table is saved in: a failed save leaves it as it was.
    if (!my_words->save_to_file(the_file)) {
        platform::operator_ui().show_message(QStringLiteral("Error: word list could not be "
                                                            "saved!\n\r") +
                                             the_file);
        return;
    }
    file_label->setText(the_file);
    SaveDialog1.file_name = the_file;
}

void Tlanguage_editor_form::refresh_display() {
    // A table loaded or imported in another shape must not leave the current word or a
    // language outside it.
    word_index = inside_count(word_index, my_words->anzahl_vokabeln);
    language1 = inside_count(language1, my_words->anzahl_sprachen);
    language2 = inside_count(language2, my_words->anzahl_sprachen);

    word_index_label->setText(QString::number(word_index));
    language1_label->setText(my_words->wort(0, language1));
    language2_label->setText(my_words->wort(0, language2));
    // The boxes give back a cell's text byte for byte unless the operator edits it.
    set_exact_text(Memo1, my_words->wort(word_index, language1));
    set_exact_text(Memo2, my_words->wort(word_index, language2));

    {
        const QScopedValueRollback syncing(syncing_grid_, true);
        grid_model->sync();
    }
    grid1->setRowHidden(0, true);
    grid1->setColumnHidden(0, true);
    const int columns = grid_model->columnCount();
    const int width = grid_column_width(grid1->width(), columns);
    for (int c = 1; c < columns; ++c)
        grid1->setColumnWidth(c, width);
    grid1->viewport()->update();
}

void Tlanguage_editor_form::save_vocabulary() {
    set_table_cell(*my_words, word_index, language1, exact_text(Memo1));
    set_table_cell(*my_words, word_index, language2, exact_text(Memo2));
}

void Tlanguage_editor_form::load_buttonClick() {
    const QString chosen = platform::operator_ui().open_file(OpenDialog1);
    if (!chosen.isEmpty())
        load_file(chosen);
}

void Tlanguage_editor_form::Save_buttonClick() {
    save_file(file_label->text());
}

void Tlanguage_editor_form::saveas_buttonClick() {
    const QString chosen = platform::operator_ui().save_file(SaveDialog1);
    if (!chosen.isEmpty())
        save_file(chosen);
}

void Tlanguage_editor_form::Button10Click() {
    my_words->sort();
    refresh_display();
}

void Tlanguage_editor_form::Button1Click() {
    save_vocabulary();
    word_index = previous_wrapping(word_index, my_words->anzahl_vokabeln);
    refresh_display();
}

void Tlanguage_editor_form::Button2Click() {
    save_vocabulary();
    word_index = next_wrapping(word_index, my_words->anzahl_vokabeln);
    refresh_display();
}

void Tlanguage_editor_form::Button3Click() {
    my_words->anzahl_vokabeln_plus();
    refresh_display();
    select_grid_cell(grid_model->rowCount() - 1, language2 + 1);
}

void Tlanguage_editor_form::Button9Click() {
    if (!delete_table_row(*my_words, word_index))
        return;
    const int row = word_index;
    int column = grid1->currentIndex().column();
    if (column < 1)
        column = language2 + 1;
    {
        const QScopedValueRollback syncing(syncing_grid_, true);
        grid_model->sync();
    }
    select_grid_cell(row, column);
    refresh_display();
}

void Tlanguage_editor_form::Button11Click() {
    duplicate_table_row(*my_words, word_index);
    refresh_display();
    select_grid_cell(grid_model->rowCount() - 1, language2 + 1);
}

void Tlanguage_editor_form::dec_language1Click() {
    save_vocabulary();
    language1 = previous_wrapping(language1, my_words->anzahl_sprachen);
    refresh_display();
}

void Tlanguage_editor_form::inc_language1Click() {
    save_vocabulary();
    language1 = next_wrapping(language1, my_words->anzahl_sprachen);
    refresh_display();
}

void Tlanguage_editor_form::dec_language2Click() {
    save_vocabulary();
    language2 = previous_wrapping(language2, my_words->anzahl_sprachen);
    refresh_display();
}

void Tlanguage_editor_form::inc_language2Click() {
    save_vocabulary();
    language2 = next_wrapping(language2, my_words->anzahl_sprachen);
    refresh_display();
}

void Tlanguage_editor_form::Memo1Exit() {
    save_vocabulary();
    refresh_display();
}

void Tlanguage_editor_form::Memo2Exit() {
    save_vocabulary();
    refresh_display();
}

void Tlanguage_editor_form::Button4Click() {
    my_words->anzahl_sprachen_plus();
    save_vocabulary();
    language2 = my_words->anzahl_sprachen - 1;
    refresh_display();
}

void Tlanguage_editor_form::Button8Click() {
    platform::operator_interface& ui = platform::operator_ui();
    const QString german = ui.input_box(QStringLiteral("Translation test German-English"),
                                        QStringLiteral("Enter german word: "), QString());
    ui.show_message(my_words->wort(my_words->get_index(german, 2), 1));
    const QString nickname = ui.input_box(QStringLiteral("Translation test Nickname - Deutsch"),
                                          QStringLiteral("Enter nickname: "), QString());
    ui.show_message(my_words->translation(nickname, 2, QStringLiteral("---")));
}

void Tlanguage_editor_form::Button5Click() {
    const QString chosen = platform::operator_ui().open_file(import_dialog);
    if (!chosen.isEmpty())
        my_words->import_from_textfile(chosen);
    refresh_display();
}

void Tlanguage_editor_form::Button7Click() {
    const QString chosen = platform::operator_ui().open_file(import_dialog);
    if (!chosen.isEmpty())
        my_words->append_from_textfile(chosen);
    refresh_display();
}

void Tlanguage_editor_form::Button6Click() {
    const QString chosen = platform::operator_ui().save_file(export_dialog);
    if (!chosen.isEmpty())
        my_words->export_to_textfile(chosen);
}

void Tlanguage_editor_form::grid_select_cell(int r, int c) {
    if (r >= 1 && r <= my_words->anzahl_vokabeln)
        word_index = r - 1;
    if (c >= 1 && c <= my_words->anzahl_sprachen)
        language2 = c - 1;
    refresh_display();
}

void Tlanguage_editor_form::select_grid_cell(int r, int c) {
    const QModelIndex cell = grid_model->index(r, c);
    if (!cell.isValid())
        return;
    // Selecting the cell that is already selected changes nothing in the view, but the
    // window still takes it as the current word.
    if (grid1->currentIndex() == cell)
        grid_select_cell(r, c);
    else
        grid1->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
}

void Tlanguage_editor_form::grid_mouse_down(int r, int c) {
    drag_text = grid_drag_text(*my_words, r, c);
}

QString Tlanguage_editor_form::picked_up_text() const {
    return drag_text;
}

void Tlanguage_editor_form::grid_drop(int r, int c) {
    if (!set_table_cell(*my_words, r - 1, c - 1, drag_text))
        return;
    refresh_display();
}

void Tlanguage_editor_form::grid_edit_text(int r, int c, const QString& text) {
    if (!set_table_cell(*my_words, r - 1, c - 1, text))
        return;
    refresh_display();
}

void Tlanguage_editor_form::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    refresh_display();
}

bool Tlanguage_editor_form::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a text box for another control writes it back; the window losing the
    // activation (another program, a dialog popping up) is not leaving it.
    if (event->type() == QEvent::FocusOut && (watched == Memo1 || watched == Memo2)) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            platform::run_guarded([this, watched] {
                if (watched == Memo1)
                    Memo1Exit();
                else
                    Memo2Exit();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}
