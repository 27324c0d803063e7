#include "tools/runner/scanner_run.h"

#include "scanner/Lumotrax_SQL_unit.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

namespace runner {

scanner_run::scanner_run(const QString& site, const QString& home)
    : run_(site_program_file(site, QStringLiteral("Lumotrax_SQL_spectrum_scanner")), home),
      window_(std::make_unique<TLumotrax_spectrum_scanner_main>()) {
    window_->FormCreate();
}

scanner_run::~scanner_run() = default;

void scanner_run::start() {
    window_->start_with_latest_processed_record->setChecked(true);
    window_->active_button->click();
}

void scanner_run::pass() {
    window_->timer_action();
    window_->Timer1->stop();
    QCoreApplication::processEvents();
}

void scanner_run::passes(int count, int every_ms) {
    for (int done = 0; done < count; ++done) {
        if (done > 0 && every_ms > 0) {
            QEventLoop wait;
            QTimer::singleShot(every_ms, &wait, &QEventLoop::quit);
            wait.exec();
        }
        pass();
    }
}

qint64 scanner_run::q_index() const {
    return window_->lumotrax_q_sql_access_form->last_processed_record;
}

qint64 scanner_run::p_index() const {
    return window_->lumotrax_p_sql_access_form->last_processed_record;
}

} // namespace runner
