#include "scanner/record_widgets/record_source_parts.h"

#include "scanner/record_sources/connection_files.h"
#include "scanner/record_sources/record_queries.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/operator_interface.h"
#include "shared/platform_widgets/error_reporting_application.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QLabel* named_label(const QString& caption, const char* name) {
    auto* label = new QLabel(caption);
    label->setObjectName(QLatin1String(name));
    return label;
}

// Closes the query and gives it back its text however the caller leaves.
class kept_query_text {
public:
    explicit kept_query_text(database::sql_dataset& query) : query_(query), text_(query.text()) {}
    ~kept_query_text() {
        query_.close();
        query_.set_text(text_);
    }
    kept_query_text(const kept_query_text&) = delete;
    kept_query_text& operator=(const kept_query_text&) = delete;

private:
    database::sql_dataset& query_;
    QString text_;
};

} // namespace

record_source_parts::record_source_parts(QWidget& window, const QStringList& sql_command_lines)
    : window_(window) {
    Lumotrax_sql_connection = std::make_unique<database::sql_connection>();
    Lumotrax_query = std::make_unique<database::sql_dataset>(*Lumotrax_sql_connection);
    Lumotrax_query->set_text(QStringLiteral("select * from Spectra"));
    Lumotrax_wavelength_query = std::make_unique<database::sql_dataset>(*Lumotrax_sql_connection);

    Label1 = named_label(QStringLiteral("Connection string:"), "Label1");
    connection_string_editor = new QLineEdit;
    connection_string_editor->setObjectName(QStringLiteral("connection_string_editor"));
    connect_button = named_button(QStringLiteral("Connect"), "connect_button", true);
    disconnect_button = named_button(QStringLiteral("Disconnect"), "disconnect_button", false);
    sql_command_editor = new QPlainTextEdit(sql_command_lines.join(u'\n'));
    sql_command_editor->setObjectName(QStringLiteral("sql_command_editor"));
    execute_sql_button = named_button(QStringLiteral("Execute"), "execute_sql_button", false);
    show_all_button = named_button(QStringLiteral("Show all"), "show_all_button", false);
    Label7 = named_label(QStringLiteral("Last processed record:"), "Label7");
    last_processed_record_label = named_label(QStringLiteral("---"), "last_processed_record_label");
    Label8 = named_label(QStringLiteral("Last measured record:"), "Label8");
    last_measured_record_label = named_label(QStringLiteral("---"), "last_measured_record_label");
    set_start_index_button =
        named_button(QStringLiteral("Set record to start with"), "set_start_index_button", true);
    Get_last_index_button =
        named_button(QStringLiteral("Get newest record"), "Get_last_index_button", true);
    DBGrid1 = new record_grid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->refresh = [this] {
        // An open record set is read again too, as the grid's copy will be.
        if (Lumotrax_query->active()) {
            Lumotrax_query->close();
            Lumotrax_query->open();
        }
        DBGrid1->load(*Lumotrax_sql_connection, Lumotrax_query->text());
    };
    DBNavigator1 = new record_navigator(*DBGrid1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));

    on_click(connect_button, [this] { connect_buttonClick(); });
    on_click(disconnect_button, [this] { disconnect_buttonClick(); });
    on_click(execute_sql_button, [this] { execute_sql_buttonClick(); });
    on_click(set_start_index_button, [this] { set_start_index_buttonClick(); });
}

record_source_parts::~record_source_parts() = default;

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

void record_source_parts::connect_to_lumotrax() {
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
    for (database::sql_dataset* query : other_queries)
        query->close();
    Lumotrax_sql_connection->close();
    DBGrid1->clear_result();
    for (record_grid* grid : other_grids)
        grid->clear_result();
    grid_stale_ = false;
    set_connected_state(false);
}

void record_source_parts::show_lost_connection() {
    // A client error may have closed a lost connection: Connect must be at hand again.
    if (!connect_button->isEnabled() && !Lumotrax_sql_connection->connected())
        set_connected_state(false);
}

void record_source_parts::set_connected_state(bool connected) {
    connect_button->setEnabled(!connected);
    for (QPushButton* button : connected_buttons)
        button->setEnabled(connected);
    for (QPushButton* button : kept_buttons)
        button->setEnabled(true);
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

void record_source_parts::set_start_index_buttonClick() {
    const QString proposal = QString::number(static_cast<qint64>(last_processed_record) + 1);
    const QString answer = platform::operator_ui().input_box(
        QStringLiteral("Start index"), QStringLiteral("Set the start index to process spectra: "),
        proposal);
    if (const auto start = start_index_answer(answer))
        last_processed_record = *start;
    update_last_processed_label();
}

void record_source_parts::open_record_query(const QString& text) {
    Lumotrax_query->close();
    Lumotrax_query->set_text(text);
    Lumotrax_query->open();
    grid_stale_ = !window_.isVisible();
    if (!grid_stale_)
        DBGrid1->load(*Lumotrax_sql_connection, text);
}

void record_source_parts::fetch_last_measured_record(const QString& newest_record_query) {
    if (connection_string_editor->text().isEmpty())
        return;
    {
        kept_query_text kept(*Lumotrax_query);
        Lumotrax_query->close();
        Lumotrax_query->set_text(newest_record_query);
        Lumotrax_query->open();
        last_measured_record =
            Lumotrax_query->eof() ? 0 : Lumotrax_query->field_integer(QStringLiteral("Id"));
    }
    fill_last_measured_record_label();
}

void record_source_parts::browse(database::sql_dataset& query, record_grid& grid,
                                 const QString& text) {
    query.close();
    query.set_text(text);
    query.open();
    grid.load(*Lumotrax_sql_connection, text);
    if (&grid == DBGrid1)
        grid_stale_ = false;
    query.exec_sql();
}

void record_source_parts::refresh_stale_grid() {
    if (!grid_stale_ || !Lumotrax_query->active())
        return;
    grid_stale_ = false;
    platform::deliver_reporting_errors([this] {
        DBGrid1->load(*Lumotrax_sql_connection, Lumotrax_query->text());
        return true;
    });
}

void record_source_parts::read_connection_file() {
    connection_string_editor->setText(read_connection_string());
}

void record_source_parts::write_connection_file() {
    write_connection_string(connection_string_editor->text());
}

void record_source_parts::on_click(QPushButton* button, std::function<void()> handler) {
    QObject::connect(button, &QPushButton::clicked, &window_, [this, handler = std::move(handler)] {
        platform::deliver_reporting_errors([&handler] {
            handler();
            return true;
        });
        show_lost_connection();
    });
}

QPushButton* record_source_parts::named_button(const QString& caption, const char* name,
                                               bool enabled) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setEnabled(enabled);
    return button;
}

QPlainTextEdit* record_source_parts::sql_memo(QPlainTextEdit* memo, int lines) {
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFixedHeight(memo->fontMetrics().lineSpacing() * lines + 12);
    return memo;
}
