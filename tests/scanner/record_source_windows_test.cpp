#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/ThinProcess_SQL_access_unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"

#include "scanner/record_sources/connection_files.h"
#include "scanner/record_widgets/record_grid.h"
#include "shared/basics/password_file.h"
#include "shared/basics/program_folders.h"
#include "shared/database/sql_connection.h"
#include "shared/database/sql_dataset.h"
#include "shared/platform/file_ops.h"
#include "tests/support/scratch_fixture.h"
#include "tools/demo_database/inline_database.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The windows against an embedded in-line database in the scratch directory.
class record_source_windows : public scratch_fixture {
protected:
    record_source_windows() {
        basics_start_up();
        database_file_ = path("inline.db");
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), fixture_connection);
        db_.setDatabaseName(database_file_);
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        EXPECT_TRUE(db_.open());
        // Write-ahead logging lets the fixture add records while a window's record set is open.
        QSqlQuery(db_).exec(QStringLiteral("pragma journal_mode=WAL"));
        demo_db::create_inline_tables(db_);
    }

    ~record_source_windows() override {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(fixture_connection);
        basics_shut_down();
    }

    QString connection_string() const {
        return QStringLiteral("Provider=SQLite;Data Source=") + database_file_;
    }

    void add_spectrum(std::int64_t id, const QString& load, int point, const QString& name) {
        demo_db::spectrum_row row;
        row.id = id;
        row.timestamp = QDateTime(QDate(2024, 5, 6), QTime(10, 0, 0));
        row.load_id = load;
        row.result_name = name;
        row.meas_point_index = point;
        row.values = QStringLiteral("1;2;3");
        demo_db::insert_spectrum(db_, row);
    }

    void add_scalar(std::int64_t id, const QString& name, double value = 12.5) {
        demo_db::scalar_row row;
        row.id = id;
        row.result_name = name;
        row.load_id = QStringLiteral("L1");
        row.value = value;
        demo_db::insert_scalar(db_, row);
    }

    // A window as its creator makes it: constructed, then FormCreate.
    template <typename window_type> std::unique_ptr<window_type> create() {
        auto window = std::make_unique<window_type>();
        window->FormCreate();
        return window;
    }

    template <typename window_type> std::unique_ptr<window_type> connected() {
        auto window = create<window_type>();
        window->connection_string_editor->setText(connection_string());
        window->connect_button->click();
        EXPECT_TRUE(window->Lumotrax_sql_connection->connected());
        return window;
    }

    // The Ids of the open record set from its current record on, read forward.
    static std::vector<std::int32_t> ids(database::sql_dataset& query) {
        std::vector<std::int32_t> result;
        for (; !query.eof(); query.next())
            result.push_back(query.field_integer(QStringLiteral("Id")));
        return result;
    }

    static QAbstractButton* button(QWidget& window, const QString& name) {
        auto* found = window.findChild<QAbstractButton*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    // Rows of a table, read through the fixture's own connection.
    int row_count(const QString& table) {
        QSqlQuery query(db_);
        EXPECT_TRUE(query.exec("select count(*) from " + table)) << table.toStdString();
        return query.next() ? query.value(0).toInt() : -1;
    }

    QSqlDatabase db_;

private:
    static constexpr const char* fixture_connection = "record_source_fixture";
    QString database_file_;
};

struct control_state {
    const char* name;
    const char* caption;
    bool enabled;
};

void expect_controls(QWidget& window, const std::vector<control_state>& controls) {
    for (const control_state& c : controls) {
        SCOPED_TRACE(c.name);
        if (auto* b = window.findChild<QAbstractButton*>(QLatin1String(c.name))) {
            EXPECT_EQ(b->text(), QLatin1String(c.caption));
            EXPECT_EQ(b->isEnabled(), c.enabled);
        } else if (auto* l = window.findChild<QLabel*>(QLatin1String(c.name))) {
            EXPECT_EQ(l->text(), QLatin1String(c.caption));
        } else if (auto* m = window.findChild<QPlainTextEdit*>(QLatin1String(c.name))) {
            EXPECT_EQ(m->toPlainText(), QLatin1String(c.caption));
        } else if (auto* e = window.findChild<QLineEdit*>(QLatin1String(c.name))) {
            EXPECT_EQ(e->text(), QLatin1String(c.caption));
        } else {
            ADD_FAILURE() << "no control " << c.name;
        }
    }
}

const std::vector<control_state> common_controls = {
    {"Label1", "Connection string:", true},
    {"connection_string_editor", "", true},
    {"connect_button", "Connect", true},
    {"disconnect_button", "Disconnect", false},
    {"execute_sql_button", "Execute", false},
    {"show_all_button", "Show all", false},
    {"Label7", "Last processed record:", true},
    {"last_processed_record_label", "---", true},
    {"Label8", "Last measured record:", true},
    {"last_measured_record_label", "---", true},
    {"set_start_index_button", "Set record to start with", true},
    {"Get_last_index_button", "Get newest record", true},
};

TEST_F(record_source_windows, initial_controls_and_captions) {
    auto q = create<Tlumotrax_sql_access_form>();
    EXPECT_EQ(q->windowTitle(), "Lumotrax SQL database");
    expect_controls(*q, common_controls);
    expect_controls(
        *q, {
                {"sql_command_editor", "select top 100 * from Spectra\norder by ID desc", true},
                {"show_last_100_button", "Show last 100", false},
                {"start_with_newest_record_button",
                 "Forget the past and start analyzing new records", true},
                {"memo_test", "select * from Spectra\norder by ID desc", true},
                {"test_button", "Execute", false},
            });
    EXPECT_EQ(q->findChild<record_grid*>("DBGrid1"), q->DBGrid1);
    EXPECT_EQ(q->findChild<record_grid*>("DBGrid2"), q->DBGrid2);
    EXPECT_EQ(q->findChild<record_navigator*>("DBNavigator1"), q->DBNavigator1);
    EXPECT_EQ(q->Lumotrax_query->text(), "select * from Spectra");
    EXPECT_EQ(q->last_processed_record, 0);
    EXPECT_TRUE(q->SQL_where_phrase.isEmpty());

    auto thin = create<TThinProcess_sql_access_form>();
    EXPECT_EQ(thin->windowTitle(), "ThinProcess SQL database");
    expect_controls(*thin, common_controls);
    expect_controls(*thin,
                    {{"sql_command_editor", "select * from Spectra\norder by ID desc", true}});

    auto sr = create<Tsheetresistance_sql_access_form>();
    EXPECT_EQ(sr->windowTitle(), "sheetresistance_sql_access_form");
    expect_controls(*sr, common_controls);
    expect_controls(
        *sr, {
                 {"sql_command_editor", "select * from Scalarresults\norder by ID desc", true},
                 {"Button1", "Show last SQL command", true},
             });
    EXPECT_EQ(sr->sheet_resistance_keyphrase, "Sheet Resistance");
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, connected_and_disconnected_buttons) {
    struct state_case {
        const char* window;
        std::vector<control_state> connected, disconnected;
    };
    const std::vector<control_state> q_connected = {{"connect_button", "Connect", false},
                                                    {"disconnect_button", "Disconnect", true},
                                                    {"execute_sql_button", "Execute", true},
                                                    {"show_all_button", "Show all", true},
                                                    {"show_last_100_button", "Show last 100", true},
                                                    {"test_button", "Execute", true}};
    const std::vector<control_state> q_disconnected = {
        {"connect_button", "Connect", true},
        {"disconnect_button", "Disconnect", false},
        {"execute_sql_button", "Execute", false},
        {"show_all_button", "Show all", false},
        {"show_last_100_button", "Show last 100", false},
        {"test_button", "Execute", false}};
    const std::vector<control_state> sr_connected = {{"connect_button", "Connect", false},
                                                     {"disconnect_button", "Disconnect", true},
                                                     {"execute_sql_button", "Execute", true},
                                                     {"show_all_button", "Show all", true}};
    // Execute stays enabled after Disconnect in the thin-process windows.
    const std::vector<control_state> sr_disconnected = {{"connect_button", "Connect", true},
                                                        {"disconnect_button", "Disconnect", false},
                                                        {"execute_sql_button", "Execute", true},
                                                        {"show_all_button", "Show all", false}};

    auto check = [&](QWidget& window, record_source_parts& parts,
                     const std::vector<control_state>& on, const std::vector<control_state>& off) {
        parts.connection_string_editor->setText(connection_string());
        button(window, "connect_button")->click();
        EXPECT_TRUE(parts.Lumotrax_sql_connection->connected());
        expect_controls(window, on);
        // Connecting again while connected only sets the buttons.
        parts.connect_to_lumotrax();
        expect_controls(window, on);
        button(window, "disconnect_button")->click();
        EXPECT_FALSE(parts.Lumotrax_sql_connection->connected());
        EXPECT_FALSE(parts.Lumotrax_query->active());
        expect_controls(window, off);
    };
    {
        SCOPED_TRACE("Q/P window");
        auto q = create<Tlumotrax_sql_access_form>();
        check(*q, *q, q_connected, q_disconnected);
    }
    {
        SCOPED_TRACE("sheet-resistance window");
        auto sr = create<Tsheetresistance_sql_access_form>();
        check(*sr, *sr, sr_connected, sr_disconnected);
    }
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, empty_connection_string_does_nothing) {
    auto q = create<Tlumotrax_sql_access_form>();
    q->last_measured_record = 9;
    q->connect_button->click();
    q->Get_last_index_button->click();
    EXPECT_FALSE(q->Lumotrax_sql_connection->connected());
    EXPECT_TRUE(q->connect_button->isEnabled());
    EXPECT_FALSE(q->disconnect_button->isEnabled());
    EXPECT_EQ(q->last_measured_record, 9);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, unreachable_database_is_reported_once_and_stays_disconnected) {
    auto q = create<Tlumotrax_sql_access_form>();
    q->connection_string_editor->setText(QStringLiteral("Provider=SQLite;Data Source=") +
                                         path("no such folder/inline.db"));
    q->connect_button->click();
    ASSERT_EQ(ui().messages.size(), 1);
    EXPECT_FALSE(ui().messages[0].isEmpty());
    EXPECT_FALSE(q->Lumotrax_sql_connection->connected());
    EXPECT_TRUE(q->connect_button->isEnabled());
    EXPECT_FALSE(q->disconnect_button->isEnabled());
    EXPECT_FALSE(q->show_all_button->isEnabled());

    // The main window's call lets the client's error through.
    EXPECT_THROW(q->connect_to_lumotrax(), std::runtime_error);
    EXPECT_EQ(ui().messages.size(), 1);
}

TEST_F(record_source_windows, lost_connection_brings_connect_back) {
    add_spectrum(1, QStringLiteral("L1"), 1, QStringLiteral("RG"));
    auto q = connected<Tlumotrax_sql_access_form>();
    // The client reports the server gone, as a query of the scan cycle would.
    q->Lumotrax_sql_connection->note_error(
        QSqlError(QStringLiteral("QODBC: Unable to fetch next"),
                  QStringLiteral("Communication link failure, 01000;08S01"),
                  QSqlError::StatementError, QStringLiteral("0")));
    q->show_all_button->click();
    ASSERT_EQ(ui().messages.size(), 1);
    EXPECT_TRUE(ui().messages[0].contains(QLatin1String("not open")));
    EXPECT_TRUE(q->connect_button->isEnabled());
    EXPECT_FALSE(q->show_all_button->isEnabled());

    q->connect_button->click();
    EXPECT_TRUE(q->Lumotrax_sql_connection->connected());
    EXPECT_FALSE(q->connect_button->isEnabled());
    EXPECT_EQ(ui().messages.size(), 1);
}

TEST_F(record_source_windows, record_query_reads_new_records_in_order) {
    // Inserted in Id order, deliberately not in the order of the query.
    add_spectrum(1, "L2", 1, "Transmission");
    add_spectrum(2, "L1", 2, "Transmission");
    add_spectrum(3, "L1", 1, "Reflection Film");
    add_spectrum(4, "L1", 1, "Transmission");
    add_spectrum(5, "L1", 3, "Reflection Glass");
    add_spectrum(6, "L2", 1, "Reflection Film");
    add_spectrum(7, "L1", 2, "Reflection Film");

    struct order_case {
        const char* what;
        std::int32_t last_processed_record;
        QString where_phrase;
        std::vector<std::int32_t> ids;
    };
    const std::vector<order_case> cases = {
        // Load, then measurement point, then result name descending.
        {"whole table", 0, {}, {4, 3, 2, 7, 5, 1, 6}},
        {"after record 2", 2, {}, {4, 3, 7, 5, 6}},
        {"where phrase", 0, " and MeasPointIndex<3", {4, 3, 2, 7, 1, 6}},
        {"nothing new", 7, {}, {}},
    };
    auto q = connected<Tlumotrax_sql_access_form>();
    for (const order_case& c : cases) {
        SCOPED_TRACE(c.what);
        q->last_processed_record = c.last_processed_record;
        q->SQL_where_phrase = c.where_phrase;
        q->update_query();
        EXPECT_TRUE(q->Lumotrax_query->active());
        EXPECT_EQ(q->Lumotrax_query->text(), q->sql_query());
        EXPECT_EQ(ids(*q->Lumotrax_query), c.ids);
    }
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, record_grid_copies_only_while_shown) {
    add_spectrum(1, "L1", 1, "Transmission");
    add_spectrum(2, "L1", 2, "Transmission");
    auto q = connected<Tlumotrax_sql_access_form>();
    q->update_query();
    EXPECT_TRUE(q->DBGrid1->result().rows.empty());
    q->show();
    EXPECT_EQ(q->DBGrid1->result().rows.size(), 2u);

    add_spectrum(3, "L1", 3, "Transmission");
    q->update_query();
    EXPECT_EQ(q->DBGrid1->result().rows.size(), 3u);
    EXPECT_EQ(ids(*q->Lumotrax_query), (std::vector<std::int32_t>{1, 2, 3}));
    q->hide();
}

TEST_F(record_source_windows, newest_record_and_forget_the_past) {
    auto q = connected<Tlumotrax_sql_access_form>();
    q->Get_last_index_button->click();
    EXPECT_EQ(q->last_measured_record, 0) << "empty table";

    add_spectrum(10, "L1", 1, "Transmission");
    add_spectrum(12, "L1", 2, "Transmission");
    add_spectrum(11, "L1", 3, "Transmission");
    q->Lumotrax_query->set_text(QStringLiteral("select Id from Spectra"));
    q->Get_last_index_button->click();
    EXPECT_EQ(q->last_measured_record, 12);
    EXPECT_EQ(q->last_measured_record_label->text(), "12");
    EXPECT_EQ(q->last_processed_record, 0);
    // The record query keeps its text and stays closed.
    EXPECT_EQ(q->Lumotrax_query->text(), "select Id from Spectra");
    EXPECT_FALSE(q->Lumotrax_query->active());

    add_spectrum(13, "L2", 1, "Transmission");
    q->start_with_newest_record_button->click();
    EXPECT_EQ(q->last_measured_record, 13);
    EXPECT_EQ(q->last_processed_record, 13);
    EXPECT_EQ(q->last_processed_record_label->text(), "13");

    // Records measured up to that moment are skipped; later ones come.
    add_spectrum(14, "L2", 2, "Transmission");
    q->update_query();
    EXPECT_EQ(ids(*q->Lumotrax_query), std::vector<std::int32_t>{14});

    auto sr = connected<Tsheetresistance_sql_access_form>();
    add_scalar(40, "Sheet Resistance");
    add_scalar(41, "Other");
    sr->Get_last_index_button->click();
    EXPECT_EQ(sr->last_measured_record, 41);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, ids_beyond_32_bits_are_read_whole) {
    add_spectrum(5, "L1", 1, "Transmission");
    add_spectrum(5000000000LL, "L1", 2, "Transmission");
    add_spectrum(5000000001LL, "L1", 3, "Transmission");
    auto q = connected<Tlumotrax_sql_access_form>();
    q->Get_last_index_button->click();
    EXPECT_TRUE(ui().messages.isEmpty());
    EXPECT_EQ(q->last_measured_record, 5000000001LL);
    EXPECT_EQ(q->last_measured_record_label->text(), "5000000001");

    q->last_processed_record = 5000000000LL;
    q->update_query();
    ASSERT_FALSE(q->Lumotrax_query->eof());
    EXPECT_EQ(q->Lumotrax_query->field_integer64(QStringLiteral("Id")), 5000000001LL);
    q->Lumotrax_query->next();
    EXPECT_TRUE(q->Lumotrax_query->eof());
}

TEST_F(record_source_windows, a_database_file_replaced_under_its_name_is_read_at_the_next_connect) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows does not let a database file in use be replaced";
#endif
    add_spectrum(1, "L1", 1, "Transmission");
    auto q = connected<Tlumotrax_sql_access_form>();
    q->update_query();
    EXPECT_EQ(ids(*q->Lumotrax_query), (std::vector<std::int32_t>{1}));

    // A new database under a temporary name, renamed over the one in use.
    const QString fresh = path("inline.db.new");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fresh");
        db.setDatabaseName(fresh);
        ASSERT_TRUE(db.open());
        demo_db::create_inline_tables(db);
        demo_db::spectrum_row row;
        row.id = 2;
        row.load_id = QStringLiteral("L2");
        row.result_name = QStringLiteral("Transmission");
        row.values = QStringLiteral("1;2;3");
        demo_db::insert_spectrum(db, row);
    }
    QSqlDatabase::removeDatabase("fresh");
    ASSERT_TRUE(platform::rename_replacing(fresh, path("inline.db")));
    // SQLite finds the write-ahead log and its index by the file's name: a replacement takes
    // the old ones away, or the new file is read through the old file's log.
    QFile::remove(path("inline.db-wal"));
    QFile::remove(path("inline.db-shm"));
    EXPECT_TRUE(q->Lumotrax_sql_connection->file_replaced());

    q->connect_to_lumotrax();
    q->update_query();
    EXPECT_EQ(ids(*q->Lumotrax_query), (std::vector<std::int32_t>{2}));
    EXPECT_TRUE(q->Lumotrax_sql_connection->connected());
}

TEST_F(record_source_windows, start_index_box) {
    struct answer_case {
        const char* what;
        bool cancel;
        QString answer;
        std::int32_t expected;
    };
    const std::vector<answer_case> cases = {
        {"1: the whole table", false, "1", 0},
        {"501", false, "501", 500},
        {"0 changes nothing", false, "0", 10},
        {"not a number", false, "abc", 10},
        {"cancel", true, {}, 10},
    };
    auto q = create<Tlumotrax_sql_access_form>();
    for (const answer_case& c : cases) {
        SCOPED_TRACE(c.what);
        q->last_processed_record = 10;
        q->last_processed_record_label->setText("---");
        ui().questions.clear();
        if (c.cancel)
            ui().cancel_input();
        else
            ui().answer_input(c.answer);
        q->set_start_index_button->click();
        EXPECT_EQ(q->last_processed_record, c.expected);
        EXPECT_EQ(q->last_processed_record_label->text(), QString::number(c.expected));
        EXPECT_EQ(ui().questions,
                  QStringList{"Start index|Set the start index to process spectra: "});
    }
    // The thin-process windows share the box.
    auto sr = create<Tsheetresistance_sql_access_form>();
    ui().answer_input("1");
    sr->last_processed_record = 3;
    sr->set_start_index_button->click();
    EXPECT_EQ(sr->last_processed_record, 0);
}

TEST_F(record_source_windows, connection_files_read_one_and_write_the_other) {
    const QString read_file = home_file_name("lumotrax_corona_connection.bin");
    const QString written_file = home_file_name("lumotrax_sql_connection.bin");
    EXPECT_EQ(connection_file_read_name(), read_file);
    EXPECT_EQ(connection_file_written_name(), written_file);

    // Without the file the editor is empty and nothing is shown.
    EXPECT_TRUE(create<Tlumotrax_sql_access_form>()->connection_string_editor->text().isEmpty());
    EXPECT_TRUE(ui().messages.isEmpty());

    write_password_file(connection_string(), read_file);
    auto q = create<Tlumotrax_sql_access_form>();
    auto p = create<Tlumotrax_sql_access_form>();
    EXPECT_EQ(q->connection_string_editor->text(), connection_string());
    EXPECT_EQ(p->connection_string_editor->text(), connection_string());

    q->connection_string_editor->setText("Q string");
    q->show();
    q->close();
    EXPECT_FALSE(q->isVisible());
    EXPECT_EQ(read_password_file(written_file), "Q string");

    p->connection_string_editor->setText("P string");
    p->show();
    p->close();
    EXPECT_EQ(read_password_file(written_file), "P string");

    // A new start reads the other file, which the windows never write.
    EXPECT_EQ(read_password_file(read_file), connection_string());
    auto restarted = create<Tlumotrax_sql_access_form>();
    EXPECT_EQ(restarted->connection_string_editor->text(), connection_string());

    // Once the written file is in the read file's place, the closed string comes back.
    QFile::remove(read_file);
    ASSERT_TRUE(QFile::rename(written_file, read_file));
    EXPECT_EQ(create<Tlumotrax_sql_access_form>()->connection_string_editor->text(), "P string");

    auto sr = create<Tsheetresistance_sql_access_form>();
    EXPECT_EQ(sr->connection_string_editor->text(), "P string");
    sr->connection_string_editor->setText("SR string");
    sr->show();
    sr->close();
    EXPECT_EQ(read_password_file(written_file), "SR string");
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, sheet_resistance_records_by_key_phrase) {
    add_scalar(1, "Operator's R");
    add_scalar(2, "Sheet Resistance");
    add_scalar(3, "Operator's R");
    add_scalar(4, "Operator");
    add_scalar(5, "Operator''s R");
    add_scalar(6, "Operator's R");
    auto sr = connected<Tsheetresistance_sql_access_form>();

    struct key_case {
        QString keyphrase;
        std::int32_t last_processed_record;
        std::vector<std::int32_t> ids; // newest first
    };
    const std::vector<key_case> cases = {
        {"Operator's R", 0, {6, 3, 1}},
        {"Operator's R", 3, {6}},
        {"Operator''s R", 0, {5}},
        {"Sheet Resistance", 0, {2}},
    };
    for (const key_case& c : cases) {
        SCOPED_TRACE(c.keyphrase.toStdString());
        sr->sheet_resistance_keyphrase = c.keyphrase;
        sr->last_processed_record = c.last_processed_record;
        sr->update_query();
        EXPECT_EQ(ids(*sr->Lumotrax_query), c.ids);
    }

    sr->sheet_resistance_keyphrase = "Operator's R";
    sr->show_all_button->click();
    EXPECT_EQ(sr->DBGrid1->result().rows.size(), 3u);
    EXPECT_TRUE(ui().messages.isEmpty());

    sr->Button1->click();
    ASSERT_EQ(ui().messages.size(), 1);
    EXPECT_EQ(ui().messages[0],
              "Select * from ScalarResults where resultname= 'Operator''s R' order by ID desc");
}

TEST_F(record_source_windows, browsing_fills_the_grids) {
    db_.transaction();
    for (int id = 1; id <= 120; ++id)
        add_spectrum(id, "L" + QString::number(id / 10), id % 10, "Transmission");
    db_.commit();
    auto q = connected<Tlumotrax_sql_access_form>();

    q->show_last_100_button->click();
    EXPECT_EQ(q->Lumotrax_query->text(), "Select top 100 * from Spectra order by id desc");
    ASSERT_EQ(q->DBGrid1->result().rows.size(), 100u);
    EXPECT_EQ(q->DBGrid1->display_text(0, "Id"), "120");
    EXPECT_EQ(q->DBGrid1->display_text(99, "Id"), "21");

    q->show_all_button->click();
    EXPECT_EQ(q->Lumotrax_query->text(), "Select * from Spectra");
    EXPECT_EQ(q->DBGrid1->result().rows.size(), 120u);

    q->sql_command_editor->setPlainText("select Id, LoadId from Spectra\nwhere Id<4");
    q->execute_sql_button->click();
    EXPECT_EQ(q->DBGrid1->result().rows.size(), 3u);
    EXPECT_EQ(q->DBGrid1->shown_columns(), (QStringList{"Id", "LoadId"}));

    q->memo_test->setPlainText("select count(*) as n from Spectra");
    q->test_button->click();
    EXPECT_EQ(q->DBGrid2->display_text(0, "n"), "120");
    EXPECT_EQ(q->DBGrid1->result().rows.size(), 3u) << "the record grid is left alone";

    // The navigator moves through the grid's copy; its refresh reads the record set afresh.
    q->show_all_button->click();
    auto* navigator = q->DBNavigator1;
    navigator->last_button->click();
    EXPECT_EQ(q->DBGrid1->current_record(), 119);
    navigator->prior_button->click();
    EXPECT_EQ(q->DBGrid1->current_record(), 118);
    navigator->first_button->click();
    navigator->prior_button->click();
    EXPECT_EQ(q->DBGrid1->current_record(), 0);
    navigator->next_button->click();
    EXPECT_EQ(q->DBGrid1->current_record(), 1);
    add_spectrum(121, "L12", 1, "Transmission");
    navigator->refresh_button->click();
    EXPECT_EQ(q->DBGrid1->result().rows.size(), 121u);

    // An SQL error ends the button action with the client's text; the window goes on.
    q->sql_command_editor->setPlainText("select nonsense from nowhere");
    q->execute_sql_button->click();
    EXPECT_EQ(ui().messages.size(), 1);
    q->update_query();
    EXPECT_EQ(ids(*q->Lumotrax_query).size(), 121u);

    // Disconnecting empties both grids.
    q->disconnect_button->click();
    EXPECT_TRUE(q->DBGrid1->result().rows.empty());
    EXPECT_TRUE(q->DBGrid2->result().rows.empty());
}

TEST_F(record_source_windows, grid_display_rules) {
    demo_db::spectrum_row spectrum;
    spectrum.id = 1;
    spectrum.load_id = QString(60, u'L');
    spectrum.result_name = QString(60, u'R');
    spectrum.group_info = QString(60, u'G');
    spectrum.values = QString(150, u'9');
    spectrum.lateral_position_mm = 1234.5;
    spectrum.longitudinal_position_mm = 1235.5;
    spectrum.lateral_position_relative_mm = -0.4;
    spectrum.longitudinal_position_relative_mm = 99.51;
    spectrum.meas_point_index = 4;
    demo_db::insert_spectrum(db_, spectrum);

    auto q = connected<Tlumotrax_sql_access_form>();
    q->show_all_button->click();
    const record_grid& grid = *q->DBGrid1;
    struct cell_case {
        const char* column;
        QString text;
    };
    const std::vector<cell_case> q_cells = {
        {"LoadId", QString(50, u'L')},
        {"ResultName", QString(50, u'R')},
        {"GroupInfo", QString(50, u'G')},
        {"Values", QString(100, u'9')},
        {"LateralPositionMm", "1234"},
        {"LongitudinalPositionMm", "1236"},
        {"LateralPositionRelativeMm", "0"},
        {"LongitudinalPositionRelativeMm", "100"},
        {"MeasPointIndex", "4"},
    };
    for (const cell_case& c : q_cells) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(grid.display_text(0, c.column), c.text);
    }
    EXPECT_EQ(grid.shown_columns().mid(0, 5),
              (QStringList{"Id", "Timestamp", "LoadId", "ResultName", "MeasPointIndex"}));
    EXPECT_EQ(grid.shown_columns().last(), "Tolerance");
    EXPECT_EQ(grid.columnWidth(0), 50);
    EXPECT_EQ(grid.columnWidth(3), 100);

    demo_db::scalar_row scalar;
    scalar.id = 1;
    scalar.result_name = "Sheet Resistance " + QString(20, u'x');
    scalar.load_id = QString(60, u'L');
    scalar.group_info = QString(40, u'G');
    scalar.source = QString(40, u'S');
    scalar.value = 1.23456;
    scalar.lateral_position_mm = 2.5;
    demo_db::insert_scalar(db_, scalar);
    auto sr = connected<Tsheetresistance_sql_access_form>();
    sr->sql_command_editor->setPlainText("select * from ScalarResults");
    sr->execute_sql_button->click();
    const record_grid& sr_grid = *sr->DBGrid1;
    const std::vector<cell_case> sr_cells = {
        {"LoadId", QString(50, u'L')},
        {"ResultName", "Sheet Resistance xxx"},
        {"GroupInfo", QString(30, u'G')},
        {"Source", QString(30, u'S')},
        {"Value", "1.235"},
        {"LateralPositionMm", "2"},
    };
    for (const cell_case& c : sr_cells) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(sr_grid.display_text(0, c.column), c.text);
    }
    EXPECT_EQ(sr_grid.shown_columns().mid(0, 4),
              (QStringList{"Id", "Timestamp", "ResultName", "LoadId"}));
    EXPECT_EQ(sr_grid.columnWidth(2), 114);
    EXPECT_TRUE(ui().messages.isEmpty());
}

// A Q window whose record query writes down every run: each run inserts a row into
// record_query_runs and returns that row, so the Id shown tells which run it came from.
class run_counting_form : public Tlumotrax_sql_access_form {
    Q_OBJECT
public:
    QString sql_query() override {
        return QStringLiteral("insert into record_query_runs default values returning Id");
    }
};

TEST_F(record_source_windows, record_query_runs_once_per_pass_and_the_grid_shows_that_run) {
    ASSERT_TRUE(QSqlQuery(db_).exec(
        "create table record_query_runs (Id integer primary key autoincrement)"));
    auto q = connected<run_counting_form>();

    // Hidden: the pass reads the record query forward without a copy; showing the window
    // reads it once more for the grid.
    q->update_query();
    EXPECT_TRUE(q->Lumotrax_query->kept_copy().rows.empty());
    q->show();
    EXPECT_EQ(q->DBGrid1->display_text(0, "Id"), "2");
    EXPECT_EQ(ids(*q->Lumotrax_query), std::vector<std::int32_t>{2});

    // Shown: the pass opens it once, and the grid shows what the record set read.
    q->update_query();
    EXPECT_EQ(q->DBGrid1->display_text(0, "Id"), "3");
    EXPECT_EQ(ids(*q->Lumotrax_query), std::vector<std::int32_t>{3});

    // The navigator's refresh reads the record set afresh, once.
    q->DBNavigator1->refresh_button->click();
    EXPECT_EQ(q->DBGrid1->display_text(0, "Id"), "4");
    EXPECT_EQ(ids(*q->Lumotrax_query), std::vector<std::int32_t>{4});

    // Hiding and showing again runs nothing.
    q->hide();
    q->show();
    EXPECT_EQ(q->DBGrid1->display_text(0, "Id"), "4");

    q->hide();
    q->disconnect_button->click();
    EXPECT_EQ(row_count("record_query_runs"), 4);
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, browsing_runs_a_statement_twice) {
    ASSERT_TRUE(QSqlQuery(db_).exec("create table memo_log (n integer)"));
    auto q = connected<Tlumotrax_sql_access_form>();
    auto sr = connected<Tsheetresistance_sql_access_form>();

    struct browse_case {
        const char* what;
        QPlainTextEdit* memo;
        QPushButton* button;
    };
    // Opened once for the record set and its grid, then executed once more.
    const std::vector<browse_case> cases = {
        {"Q window, Execute", q->sql_command_editor, q->execute_sql_button},
        {"Q window, test Execute", q->memo_test, q->test_button},
        {"sheet-resistance window, Execute", sr->sql_command_editor, sr->execute_sql_button},
    };
    for (const browse_case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QSqlQuery(db_).exec("delete from memo_log"));
        c.memo->setPlainText("insert into memo_log (n) values (1)");
        c.button->click();
        EXPECT_EQ(row_count("memo_log"), 2);
    }
    EXPECT_TRUE(ui().messages.isEmpty());
}

TEST_F(record_source_windows, dataset_keeps_a_copy_and_still_reads_every_record) {
    for (int id = 1; id <= 3; ++id)
        add_spectrum(id, "L1", id, "Transmission");
    database::sql_connection connection;
    connection.open(connection_string());

    struct keep_case {
        int row_limit;
        std::size_t kept_rows;
        bool truncated;
    };
    const std::vector<keep_case> cases = {
        {0, 0, false}, {1, 1, true}, {2, 2, true}, {3, 3, false}, {10, 3, false},
    };
    for (const keep_case& c : cases) {
        SCOPED_TRACE(c.row_limit);
        database::sql_dataset query(connection);
        query.keep_copy(c.row_limit);
        query.set_text("select Id, LoadId from Spectra order by Id");
        query.open();
        const database::result_copy& copy = query.kept_copy();
        ASSERT_EQ(copy.rows.size(), c.kept_rows);
        EXPECT_EQ(copy.truncated, c.truncated);
        for (std::size_t row = 0; row < copy.rows.size(); ++row)
            EXPECT_EQ(copy.rows[row][0].toInt(), static_cast<int>(row) + 1);
        if (c.row_limit > 0) {
            EXPECT_EQ(copy.columns, (QStringList{"Id", "LoadId"}));
        }
        EXPECT_EQ(query.field_text("LoadId"), "L1");
        EXPECT_EQ(ids(query), (std::vector<std::int32_t>{1, 2, 3}));
        EXPECT_EQ(query.kept_copy().rows.size(), c.kept_rows) << "reading leaves the copy";
    }

    // An empty result keeps an empty copy and is at its end at once.
    database::sql_dataset empty(connection);
    empty.keep_copy(5);
    empty.set_text("select Id from Spectra where Id<0");
    empty.open();
    EXPECT_TRUE(empty.eof());
    EXPECT_TRUE(empty.kept_copy().rows.empty());
    EXPECT_FALSE(empty.kept_copy().truncated);
}

TEST_F(record_source_windows, window_tests_find_the_record_grids_by_their_type) {
    // A plain table view with the grid's name is no record grid.
    QWidget impostor;
    auto* plain = new QTableView(&impostor);
    plain->setObjectName("DBGrid1");
    EXPECT_EQ(impostor.findChild<record_grid*>("DBGrid1"), nullptr);
    EXPECT_EQ(qobject_cast<record_grid*>(plain), nullptr);
    EXPECT_EQ(impostor.findChild<record_navigator*>(), nullptr);

    auto q = create<Tlumotrax_sql_access_form>();
    auto thin = create<TThinProcess_sql_access_form>();
    auto sr = create<Tsheetresistance_sql_access_form>();
    struct window_case {
        const char* class_name;
        QWidget* window;
        record_source_parts* parts;
    };
    const std::vector<window_case> cases = {
        {"Tlumotrax_sql_access_form", q.get(), q.get()},
        {"TThinProcess_sql_access_form", thin.get(), thin.get()},
        {"Tsheetresistance_sql_access_form", sr.get(), sr.get()},
    };
    for (const window_case& c : cases) {
        SCOPED_TRACE(c.class_name);
        EXPECT_STREQ(c.window->metaObject()->className(), c.class_name);
        EXPECT_EQ(c.window->findChild<record_grid*>("DBGrid1"), c.parts->DBGrid1);
        QObject* grid = c.parts->DBGrid1;
        EXPECT_EQ(qobject_cast<record_grid*>(grid), c.parts->DBGrid1);
        EXPECT_EQ(c.window->findChild<record_navigator*>("DBNavigator1"), c.parts->DBNavigator1);
        QObject* navigator = c.parts->DBNavigator1;
        EXPECT_EQ(qobject_cast<record_navigator*>(navigator), c.parts->DBNavigator1);
    }
    EXPECT_EQ(q->findChild<record_grid*>("DBGrid2"), q->DBGrid2);
    QObject* sheet_window = sr.get();
    EXPECT_NE(qobject_cast<TThinProcess_sql_access_form*>(sheet_window), nullptr);
    EXPECT_EQ(qobject_cast<Tlumotrax_sql_access_form*>(sheet_window), nullptr);
}

} // namespace

#include "record_source_windows_test.moc"
