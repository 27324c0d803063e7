#include "scanner/record_widgets/record_source_parts.h"

#include "scanner/record_sources/connection_files.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform_widgets/guarded_handler.h"
#include "shared/platform_widgets/named_control.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>

#include <cstdint>
#include <limits>
#include <utility>

// What the window does when it is shown and closed, written once for every record source
// window.
class record_source_parts::window_events final : public QObject {
    Q_OBJECT
public:
    explicit window_events(record_source_parts& parts) : parts_(parts) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            parts_.refresh_stale_grid();
        else if (event->type() == QEvent::Close)
            parts_.FormClose(); // the window then only hides
        return QObject::eventFilter(watched, event);
    }

private:
    record_source_parts& parts_;
};

namespace {

QPushButton* named_button(const QString& caption, const char* name, bool enabled, QWidget& window) {
    auto* button = platform::named(new QPushButton(caption, &window), name);
    button->setEnabled(enabled);
    return button;
}

QLabel* named_label(const QString& caption, const char* name, QWidget& window) {
    return platform::named(new QLabel(caption, &window), name);
}

} // namespace

record_source_parts::record_source_parts(QWidget& window, record_source_design design)
    : window_(window), execute_kept_enabled_(design.execute_kept_enabled),
      window_buttons_(std::move(design.connected_buttons)),
      window_grids_(std::move(design.query_grids)),
      events_(std::make_unique<window_events>(*this)) {
    Lumotrax_sql_connection = std::make_unique<database::sql_connection>();
    Lumotrax_query = std::make_unique<database::sql_dataset>(*Lumotrax_sql_connection);
    Lumotrax_query->set_text(QStringLiteral("select * from Spectra"));
    Lumotrax_wavelength_query = std::make_unique<database::sql_dataset>(*Lumotrax_sql_connection);
    for (record_grid* grid : window_grids_) {
        grid->setParent(&window_);
        auto query = std::make_unique<database::sql_dataset>(*Lumotrax_sql_connection);
        query->keep_copy(grid_row_limit);
        window_queries_.push_back(std::move(query));
    }
    for (QPushButton* button : window_buttons_) {
        button->setParent(&window_);
        button->setEnabled(false);
    }

    Label1 = named_label(QStringLiteral("Connection string:"), "Label1", window);
    connection_string_editor = platform::named(new QLineEdit(&window), "connection_string_editor");
    connect_button = named_button(QStringLiteral("Connect"), "connect_button", true, window);
    disconnect_button =
        named_button(QStringLiteral("Disconnect"), "disconnect_button", false, window);
    sql_command_editor = platform::named(
        new QPlainTextEdit(design.sql_command_lines.join(u'\n'), &window), "sql_command_editor");
    execute_sql_button =
        named_button(QStringLiteral("Execute"), "execute_sql_button", false, window);
    show_all_button = named_button(QStringLiteral("Show all"), "show_all_button", false, window);
    Label7 = named_label(QStringLiteral("Last processed record:"), "Label7", window);
    last_processed_record_label =
        named_label(QStringLiteral("---"), "last_processed_record_label", window);
    Label8 = named_label(QStringLiteral("Last measured record:"), "Label8", window);
    last_measured_record_label =
        named_label(QStringLiteral("---"), "last_measured_record_label", window);
    set_start_index_button = named_button(QStringLiteral("Set record to start with"),
                                          "set_start_index_button", true, window);
    Get_last_index_button =
        named_button(QStringLiteral("Get newest record"), "Get_last_index_button", true, window);
    DBGrid1 = platform::named(new record_grid(&window), "DBGrid1");
    DBGrid1->refresh = [this] {
        // The record set is read afresh and shown; one that was closed is closed again.
        const bool was_active = Lumotrax_query->active();
        Lumotrax_query->keep_copy(grid_row_limit);
        const auto keep_closed = qScopeGuard([&] {
            if (!was_active)
                Lumotrax_query->close();
        });
        Lumotrax_query->open();
        DBGrid1->show_result(Lumotrax_query->kept_copy());
        grid_stale_ = false;
    };
    DBNavigator1 = platform::named(new record_navigator(*DBGrid1, &window), "DBNavigator1");

    on_click(connect_button, [this] { connect_buttonClick(); });
    on_click(disconnect_button, [this] { disconnect_buttonClick(); });
    on_click(execute_sql_button, [this] { execute_sql_buttonClick(); });
    on_click(show_all_button, [this] { show_all_buttonClick(); });
    on_click(set_start_index_button, [this] { set_start_index_buttonClick(); });
    on_click(Get_last_index_button, [this] { Get_last_index_buttonClick(); });

    window_.installEventFilter(events_.get());
}

record_source_parts::~record_source_parts() = default;

database::sql_dataset& record_source_parts::window_query(std::size_t index) {
    return *window_queries_.at(index);
}

QHBoxLayout* record_source_parts::connection_row() {
    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(connection_string_editor, 1);
    row->addWidget(connect_button);
    row->addWidget(disconnect_button);
    return row;
}

QHBoxLayout* record_source_parts::bookkeeping_row() {
    auto* row = new QHBoxLayout;
    row->addWidget(Label7);
    row->addWidget(last_processed_record_label);
    row->addSpacing(16);
    row->addWidget(Label8);
    row->addWidget(last_measured_record_label);
    row->addSpacing(16);
    row->addWidget(set_start_index_button);
    row->addWidget(Get_last_index_button);
    return row;
}

void record_source_parts::show_all() {
    browse(*Lumotrax_query, *DBGrid1, spectra_show_all_query());
}

QString record_source_parts::sql_query() {
    return records_in_id_order ? spectra_record_query_by_id(last_processed_record, SQL_where_phrase)
                               : spectra_record_query(last_processed_record, SQL_where_phrase);
}

void record_source_parts::get_last_measured_record() {
    fetch_last_measured_record(spectra_newest_record_query());
}

void record_source_parts::FormCreate() {
    connection_string_editor->setText(read_connection_string());
    last_processed_record = 0;
}

void record_source_parts::FormClose() {
    write_connection_string(connection_string_editor->text());
}

void record_source_parts::connect_to_lumotrax() {
    // A database file replaced under its name (a restore, a copy from elsewhere) is read
    // only after opening it again.
    if (Lumotrax_sql_connection->connected() && Lumotrax_sql_connection->file_replaced())
        Lumotrax_sql_connection->close();
    if (!Lumotrax_sql_connection->connected()) {
        const QString connection_string = connection_string_editor->text();
        if (connection_string.isEmpty())
            return;
        Lumotrax_sql_connection->open(connection_string);
    }
    set_connected_state(true);
}

void record_source_parts::disconnect_from_corona() {
    Lumotrax_query->close();
    Lumotrax_wavelength_query->close();
    for (const auto& query : window_queries_)
        query->close();
    Lumotrax_sql_connection->close();
    DBGrid1->clear_result();
    for (record_grid* grid : window_grids_)
        grid->clear_result();
    grid_stale_ = false;
    set_connected_state(false);
}

void record_source_parts::update_query() {
    Lumotrax_query->close();
    Lumotrax_query->set_text(sql_query());
    // A hidden window's grid is filled when the window is shown; until then the record
    // set is only read forward, without a copy, however many records it holds.
    grid_stale_ = !window_.isVisible();
    Lumotrax_query->keep_copy(grid_stale_ ? 0 : grid_row_limit);
    Lumotrax_query->open();
    if (!grid_stale_)
        DBGrid1->show_result(Lumotrax_query->kept_copy());
}

void record_source_parts::show_lost_connection() {
    // A client error may have closed a lost connection: Connect must be at hand again.
    if (!connect_button->isEnabled() && !Lumotrax_sql_connection->connected())
        set_connected_state(false);
}

void record_source_parts::set_connected_state(bool connected) {
    connect_button->setEnabled(!connected);
    disconnect_button->setEnabled(connected);
    show_all_button->setEnabled(connected);
    execute_sql_button->setEnabled(connected || execute_kept_enabled_);
    for (QPushButton* button : window_buttons_)
        button->setEnabled(connected);
}

void record_source_parts::execute_sql_command() {
    browse(*Lumotrax_query, *DBGrid1, sql_command_editor->toPlainText());
}

void record_source_parts::update_last_processed_label() {
    last_processed_record_label->setText(QString::number(last_processed_record));
}

void record_source_parts::fill_last_measured_record_label() {
    last_measured_record_label->setText(QString::number(last_measured_record));
}

void record_source_parts::connect_buttonClick() {
    connect_to_lumotrax();
}

void record_source_parts::disconnect_buttonClick() {
    disconnect_from_corona();
}

void record_source_parts::execute_sql_buttonClick() {
    execute_sql_command();
}

void record_source_parts::show_all_buttonClick() {
    show_all();
}

void record_source_parts::set_start_index_buttonClick() {
    // The next record's Id; an index at the very top of the range cannot go further.
    const QString proposal = QString::number(
        last_processed_record < std::numeric_limits<std::int64_t>::max() ? last_processed_record + 1
                                                                         : last_processed_record);
    const QString answer = platform::operator_ui().input_box(
        QStringLiteral("Start index"), QStringLiteral("Set the start index to process spectra: "),
        proposal);
    if (const auto start = start_index_answer(answer))
        last_processed_record = *start;
    update_last_processed_label();
}

void record_source_parts::Get_last_index_buttonClick() {
    get_last_measured_record();
}

void record_source_parts::fetch_last_measured_record(const QString& newest_record_query) {
    if (connection_string_editor->text().isEmpty())
        return;
    {
        const QString kept_text = Lumotrax_query->text();
        const auto put_back = qScopeGuard([&] {
            Lumotrax_query->close();
            Lumotrax_query->set_text(kept_text);
        });
        Lumotrax_query->close();
        Lumotrax_query->set_text(newest_record_query);
        Lumotrax_query->open();
        last_measured_record =
            Lumotrax_query->eof() ? 0 : Lumotrax_query->field_integer64(QStringLiteral("Id"));
        last_measured_record_known = true;
    }
    fill_last_measured_record_label();
}

void record_source_parts::browse(database::sql_dataset& query, record_grid& grid,
                                 const QString& text) {
    query.close();
    query.set_text(text);
    query.keep_copy(grid_row_limit);
    query.open();
    grid.show_result(query.kept_copy());
    if (&grid == DBGrid1)
        grid_stale_ = false;
    query.exec_sql();
}

void record_source_parts::refresh_stale_grid() {
    if (!grid_stale_ || !Lumotrax_query->active())
        return;
    grid_stale_ = false;
    platform::run_guarded(DBGrid1->refresh);
}

void record_source_parts::on_click(QPushButton* button, std::function<void()> handler) {
    platform::connect_guarded(
        button, &QPushButton::clicked, &window_, [this, handler = std::move(handler)] {
            const auto check = qScopeGuard([this] { show_lost_connection(); });
            handler();
        });
}

QPlainTextEdit* record_source_parts::sql_memo(QPlainTextEdit* memo, int lines) {
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFixedHeight(memo->fontMetrics().lineSpacing() * lines + 12);
    return memo;
}

#include "record_source_parts.moc"
