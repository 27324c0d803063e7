#include "tools/runner/headless_run.h"

#include "shared/basics/program_folders.h"
#include "shared/platform/folders.h"

#include <QDir>

namespace runner {

QString site_program_file(const QString& site, const QString& program) {
    return QDir::toNativeSeparators(QDir(site).absolutePath() + QStringLiteral("/program/") +
                                    program);
}

headless_run::headless_run(const QString& program_file, const QString& home)
    : home_(home.isEmpty() ? temporary_home_.path() : QDir(home).absolutePath()) {
    QDir().mkpath(home_);
    platform::redirect_folders({program_file, home_, home_});
    basics_start_up();
}

headless_run::~headless_run() {
    basics_shut_down();
}

} // namespace runner
