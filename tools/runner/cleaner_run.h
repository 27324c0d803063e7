#pragma once

#include "tools/runner/headless_run.h"

#include <QString>

#include <memory>

class TKALIX_cleaner_form;

namespace runner {

// kalix_cleaner's window on a demo site, shown and after its start-up.
class cleaner_run {
public:
    // `home` as for headless_run. The window is not closed at the end: closing is the
    // operator's act and rewrites the settings files.
    explicit cleaner_run(const QString& site, const QString& home = {});
    ~cleaner_run();
    cleaner_run(const cleaner_run&) = delete;
    cleaner_run& operator=(const cleaner_run&) = delete;

    TKALIX_cleaner_form& window() { return *window_; }

    // One cleaning pass of the timer, as if the operator had agreed to the folder list.
    void pass();

private:
    headless_run run_;
    std::unique_ptr<TKALIX_cleaner_form> window_;
};

} // namespace runner
