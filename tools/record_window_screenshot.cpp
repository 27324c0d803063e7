// Renders the Q record source window connected to a demo in-line database, after
// "Show last 100", into a PNG for the README and for checking the layout without a desktop:
//   record_window_screenshot <picture.png>
#include "Lumotrax_SQL_unit.h"
#include "basics/program_folders.h"
#include "demo_database/inline_database.h"
#include "platform/folders.h"

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

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: record_window_screenshot <picture.png>\n");
        return 2;
    }
    QApplication application(argc, argv);
    const QString picture = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    const QString folder = QDir::toNativeSeparators(scratch.path());
    platform::redirect_folders(
        {folder + QDir::separator() + QStringLiteral("Lumotrax_SQL_spectrum_scanner"), folder,
         folder});
    basics_start_up();

    bool saved = false;
    try {
        const QString database = folder + QDir::separator() + QStringLiteral("demo_inline.db");
        write_demo_database(database);

        Tlumotrax_sql_access_form window;
        window.FormCreate();
        window.setWindowTitle(QStringLiteral("Lumotrax Q database access"));
        window.connection_string_editor->setText(QStringLiteral("Provider=SQLite;Data Source=") +
                                                 database);
        window.show();
        window.connect_to_lumotrax();
        window.get_last_measured_record();
        window.last_processed_record = window.last_measured_record - 7;
        window.update_last_processed_label();
        window.show_last_100();
        QApplication::processEvents();
        saved = window.grab().save(picture);
        window.hide();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    basics_shut_down();
    return saved ? 0 : 1;
}
