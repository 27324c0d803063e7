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

// What the Q/P window and the thin-process window have in common: the connection with its
// editor and buttons, the record query and its grid, the bookkeeping of the last processed
// and the newest record, and the connection files. Both windows derive from it beside
// QWidget; neither derives from the other.
class record_source_parts {
public:
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

    std::int32_t last_processed_record = 0;
    std::int32_t last_measured_record = 0;
    QString SQL_where_phrase;

    // Errors of the database client reach the caller.
    void connect_to_lumotrax();
    void disconnect_from_corona();
    void execute_sql_command();
    void update_last_processed_label();
    void fill_last_measured_record_label();

    void connect_buttonClick();
    void disconnect_buttonClick();
    void execute_sql_buttonClick();
    void set_start_index_buttonClick();

protected:
    record_source_parts(QWidget& window, const QStringList& sql_command_lines);
    ~record_source_parts();

    // Buttons enabled by connecting and disabled by disconnecting, and buttons that
    // connecting enables and disconnecting leaves enabled.
    std::vector<QPushButton*> connected_buttons;
    std::vector<QPushButton*> kept_buttons;
    // Queries on the connection besides the record query, with the grids showing them.
    std::vector<database::sql_dataset*> other_queries;
    std::vector<record_grid*> other_grids;

    // The label, editor and buttons of the connection, and the bookkeeping row.
    QHBoxLayout* connection_row();
    QHBoxLayout* bookkeeping_row();

    // Opens `text` as the forward-only record query; the grid copies it only while the
    // window is shown, otherwise when it is shown next.
    void open_record_query(const QString& text);
    // The newest Id by `newest_record_query`; the record query keeps its text and stays closed.
    void fetch_last_measured_record(const QString& newest_record_query);
    // Runs `text` on `query`, shows its result in `grid` and executes it once more.
    void browse(database::sql_dataset& query, record_grid& grid, const QString& text);
    // The record grid copied again if a record query was opened while the window was hidden.
    void refresh_stale_grid();

    void read_connection_file();
    void write_connection_file();

    // Runs the handler on a click; its errors are shown to the operator once.
    void on_click(QPushButton* button, std::function<void()> handler);

    static QPushButton* named_button(const QString& caption, const char* name, bool enabled);
    // An SQL memo `lines` lines high, without line wrapping.
    static QPlainTextEdit* sql_memo(QPlainTextEdit* memo, int lines);

private:
    QWidget& window_;
    bool grid_stale_ = false;
    void set_connected_state(bool connected);
    void show_lost_connection();
};
