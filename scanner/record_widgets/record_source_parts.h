#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class record_grid;
class record_navigator;

namespace database {
class sql_connection;
class sql_dataset;
} // namespace database

// What a window hands to the shared parts when it creates them.
struct record_source_design {
    // The initial lines of sql_command_editor.
    QStringList sql_command_lines;
    // Execute stays enabled after Disconnect (the thin-process windows).
    bool execute_kept_enabled = false;
    // The window's own buttons that connecting enables and disconnecting disables.
    std::vector<QPushButton*> connected_buttons;
    // The window's own grids, each showing a query of its own on the connection.
    std::vector<record_grid*> query_grids;
};

// What the Q/P window and the thin-process window have in common: the connection with its
// editor and buttons, the record query and its grid, the bookkeeping of the last processed
// and the newest record, the connection files, and what the window does when it is shown
// and closed. Both windows derive from it beside QWidget; neither derives from the other.
// Every widget belongs to the window, also the ones the window hands over.
class record_source_parts {
public:
    virtual ~record_source_parts();
    record_source_parts(const record_source_parts&) = delete;
    record_source_parts& operator=(const record_source_parts&) = delete;

    QLabel* Label1 = nullptr;
    QLineEdit* connection_string_editor = nullptr;
    QPushButton* connect_button = nullptr;
    QPushButton* disconnect_button = nullptr;
    QPlainTextEdit* sql_command_editor = nullptr;
    QPushButton* execute_sql_button = nullptr;
    QPushButton* show_all_button = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* last_processed_record_label = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* last_measured_record_label = nullptr;
    QPushButton* set_start_index_button = nullptr;
    QPushButton* Get_last_index_button = nullptr;
    record_grid* DBGrid1 = nullptr;
    record_navigator* DBNavigator1 = nullptr;

    // The connection is declared before the queries, so they are gone before it.
    std::unique_ptr<database::sql_connection> Lumotrax_sql_connection;
    std::unique_ptr<database::sql_dataset> Lumotrax_query;
    std::unique_ptr<database::sql_dataset> Lumotrax_wavelength_query;

    std::int64_t last_processed_record = 0;
    std::int64_t last_measured_record = 0;
    // Whether last_measured_record was fetched from the database at least once.
    bool last_measured_record_known = false;
    QString SQL_where_phrase;
    // The record query delivers new records in Id order instead of by load and point.
    bool records_in_id_order = false;

    virtual void show_all();
    // The text of the record query.
    virtual QString sql_query();
    // The newest Id into last_measured_record; the record query keeps its text and stays
    // closed.
    virtual void get_last_measured_record();

    // The creator calls FormCreate right after construction; closing the window calls
    // FormClose and only hides it.
    virtual void FormCreate();
    void FormClose();

    // Errors of the database client reach the caller.
    void connect_to_lumotrax();
    void disconnect_from_corona();
    // Opens the record query: afterwards Lumotrax_query holds all new records.
    void update_query();
    void execute_sql_command();
    void update_last_processed_label();
    void fill_last_measured_record_label();

    void connect_buttonClick();
    void disconnect_buttonClick();
    void execute_sql_buttonClick();
    void show_all_buttonClick();
    void set_start_index_buttonClick();
    void Get_last_index_buttonClick();

protected:
    record_source_parts(QWidget& window, record_source_design design);

    // The query shown in the window's own grid `index` of its design.
    database::sql_dataset& window_query(std::size_t index);

    // The label, editor and buttons of the connection, and the bookkeeping row.
    QHBoxLayout* connection_row();
    QHBoxLayout* bookkeeping_row();

    // The newest Id by `newest_record_query` (see get_last_measured_record).
    void fetch_last_measured_record(const QString& newest_record_query);
    // Runs `text` on `query`, shows its result in `grid` and executes it once more.
    void browse(database::sql_dataset& query, record_grid& grid, const QString& text);

    // Runs the handler on a click; its errors are shown to the operator once, and a
    // connection the client lost brings Connect back.
    void on_click(QPushButton* button, std::function<void()> handler);

    // An SQL memo `lines` lines high, without line wrapping.
    static QPlainTextEdit* sql_memo(QPlainTextEdit* memo, int lines);

private:
    class window_events;

    QWidget& window_;
    const bool execute_kept_enabled_;
    const std::vector<QPushButton*> window_buttons_;
    const std::vector<record_grid*> window_grids_;
    std::vector<std::unique_ptr<database::sql_dataset>> window_queries_;
    std::unique_ptr<window_events> events_;
    bool grid_stale_ = false;

    void set_connected_state(bool connected);
    void show_lost_connection();
    // The record grid shows the record set if it was opened while the window was hidden.
    void refresh_stale_grid();
};
