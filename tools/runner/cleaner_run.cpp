#include "tools/runner/cleaner_run.h"

#include "cleaner/kalix_cleaner_unit.h"

#include <QCoreApplication>

namespace runner {

cleaner_run::cleaner_run(const QString& site, const QString& home)
    : run_(site_program_file(site, QStringLiteral("kalix_cleaner")), home),
      window_(std::make_unique<TKALIX_cleaner_form>()) {
    // In the order the program file keeps: shown first, then the start-up.
    window_->show();
    window_->FormCreate();
}

cleaner_run::~cleaner_run() = default;

void cleaner_run::pass() {
    window_->first_warning = false;
    window_->Timer1Timer();
    QCoreApplication::processEvents();
}

} // namespace runner
