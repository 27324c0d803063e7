#include "tests/scanner/main_window_site.h"

#include "shared/basics/program_folders.h"
#include "shared/message_board/memo/message_memo.h"
#include "tools/demo_database/inline_database.h"

#include <QCoreApplication>
#include <QTimer>

main_window_site::main_window_site() {
    basics_start_up();
    kalix_ =
        make_kalix_installation(QStringLiteral("kalix"), QStringLiteral("DemoCoating"),
                                {QStringLiteral("T"), QStringLiteral("RF"), QStringLiteral("RC")});
    write_file(QStringLiteral("program/kalix_path.ini"), (kalix_ + "\r\n").toUtf8());
}

main_window_site::~main_window_site() {
    window_.reset();
    for (auto& [name, db] : databases_) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("site_") + name);
    }
    basics_shut_down();
}

QSqlDatabase& main_window_site::database(const QString& name) {
    for (auto& [known, db] : databases_)
        if (known == name)
            return db;
    databases_.emplace_back(name, demo_db::open_database_file(path(name + QStringLiteral(".db")),
                                                              QStringLiteral("site_") + name));
    return databases_.back().second;
}

QString main_window_site::connection_string(const QString& name) const {
    return QStringLiteral("Provider=SQLite;Data Source=") + path(name + QStringLiteral(".db"));
}

void main_window_site::settings(const QStringList& lines) {
    write_file(QStringLiteral("kalix/lumotrax_sql_spectrum_scanner.ini"),
               (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

TLumotrax_spectrum_scanner_main& main_window_site::create() {
    window_ = std::make_unique<TLumotrax_spectrum_scanner_main>();
    window_->FormCreate();
    return *window_;
}

void main_window_site::pass() {
    window_->timer_action();
    window_->Timer1->stop();
    QCoreApplication::processEvents();
}

QStringList main_window_site::board() const {
    return window_->messages->board().lines();
}
