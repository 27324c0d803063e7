// Renders a record source window connected to a demo in-line database into a PNG, for the
// README and for checking the layout without a desktop: the Q window after "Show last 100",
// or the sheet-resistance window after "Show all":
//   record_window_screenshot <picture.png> [q|sheetresistance]
#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/sheetresistance_sql_access_form_unit.h"
#include "tools/demo_database/inline_database.h"
#include "tools/runner/headless_run.h"
#include "tools/runner/window_picture.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

namespace {

// Three loads of demo spectra and sheet-resistance results.
void write_demo_database(const QString& file) {
    const QString name = QStringLiteral("record_window_screenshot");
    {
        QSqlDatabase db = demo_db::open_database_file(file, name);
        demo_db::generator generator(db);
        const QDateTime start = QDateTime::currentDateTime().addSecs(-3600);
        for (int load = 0; load < 3; ++load)
            generator.append_load(start.addSecs(600 * load));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Connects the window to the demo database.
void connect_to_demo(record_source_parts& window, const QString& database) {
    window.connection_string_editor->setText(QStringLiteral("Provider=SQLite;Data Source=") +
                                             database);
    window.connect_to_lumotrax();
}

} // namespace

int main(int argc, char* argv[]) {
    const bool sheet_resistance = argc == 3 && qstrcmp(argv[2], "sheetresistance") == 0;
    if (argc < 2 || argc > 3 || (argc == 3 && !sheet_resistance && qstrcmp(argv[2], "q") != 0)) {
        std::fprintf(stderr, "usage: record_window_screenshot <picture.png> [q|sheetresistance]\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString picture = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    const QString folder = QDir::toNativeSeparators(scratch.path());
    runner::headless_run run(
        folder + QDir::separator() + QStringLiteral("Lumotrax_SQL_spectrum_scanner"), folder);

    bool saved = false;
    try {
        const QString database = folder + QDir::separator() + QStringLiteral("demo_inline.db");
        write_demo_database(database);

        if (sheet_resistance) {
            Tsheetresistance_sql_access_form window;
            window.FormCreate();
            window.setWindowTitle(QStringLiteral("Sheetresistance database access"));
            window.sheet_resistance_keyphrase = QStringLiteral("Sheet resistance");
            window.show();
            connect_to_demo(window, database);
            window.get_last_measured_record();
            window.show_all();
            saved = runner::save_window_picture(window, picture);
        } else {
            Tlumotrax_sql_access_form window;
            window.FormCreate();
            window.setWindowTitle(QStringLiteral("Lumotrax Q database access"));
            window.show();
            connect_to_demo(window, database);
            window.get_last_measured_record();
            window.last_processed_record = window.last_measured_record - 7;
            window.update_last_processed_label();
            window.show_last_100();
            saved = runner::save_window_picture(window, picture);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return saved ? 0 : 1;
}
