#pragma once

#include "tools/runner/headless_run.h"

#include <QString>
#include <QtGlobal>

#include <memory>

class TLumotrax_spectrum_scanner_main;

namespace runner {

// Lumotrax_SQL_spectrum_scanner's main window on a demo site after its start-up, as the
// unattended program runs it. Passes are called one at a time instead of by the scan
// timer, so a run does the same work on every machine however slow.
class scanner_run {
public:
    // `home` as for headless_run. The window is not closed at the end: closing is the
    // operator's act and rewrites the settings files.
    explicit scanner_run(const QString& site, const QString& home = {});
    ~scanner_run();
    scanner_run(const scanner_run&) = delete;
    scanner_run& operator=(const scanner_run&) = delete;

    TLumotrax_spectrum_scanner_main& window() { return *window_; }
    QString home() const { return run_.home(); }

    // "Start scan" from the stored indices, as the operator would with the box ticked; the
    // scan timer runs from here on until the first pass().
    void start();
    // One pass of the scan timer, which stays stopped afterwards.
    void pass();
    // `count` passes; `every_ms` apart when given, since the health strip's states depend
    // on the time between passes.
    void passes(int count, int every_ms = 0);

    qint64 q_index() const;
    qint64 p_index() const;

private:
    headless_run run_;
    std::unique_ptr<TLumotrax_spectrum_scanner_main> window_;
};

} // namespace runner
