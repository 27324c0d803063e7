#pragma once

#include <QString>
#include <QTemporaryDir>

namespace runner {

// The program file a program pretends to be started from on a demo site:
// <site>/program/<program>, so that its settings and indices are the site's.
QString site_program_file(const QString& site, const QString& program);

// One run of a program without a desktop: its program file, roaming application-data and
// temporary folders point where the run says, and the basics are started; both are undone
// when the run ends. Nothing is written into the real home.
class headless_run {
public:
    // An empty `home` is a temporary folder that lives as long as the run.
    explicit headless_run(const QString& program_file, const QString& home = {});
    ~headless_run();
    headless_run(const headless_run&) = delete;
    headless_run& operator=(const headless_run&) = delete;

    QString home() const { return home_; }

private:
    QTemporaryDir temporary_home_;
    QString home_;
};

} // namespace runner
