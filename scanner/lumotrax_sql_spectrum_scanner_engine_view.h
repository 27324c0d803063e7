#pragma once

#include "scanner/bridge/pass_engine.h"
#include "scanner/bridge/source_health.h"
#include "scanner/bridge/source_progress.h"
#include "scanner/bridge/status_file.h"
#include "scanner/bridge/step_health.h"
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "scanner/window_record_source.h"

// What the pass engine tells the main window while a pass runs.
class TLumotrax_spectrum_scanner_main::engine_view final : public pass_observer {
public:
    explicit engine_view(TLumotrax_spectrum_scanner_main& window);
    void product_read(const QString& product) override;
    void progress(const QString& text) override;
    void new_error_kind(const QString& text) override;
    void spectrum_written(const QString& channel, const QString& file_name,
                          const QString& wavelengths, const QString& values) override;

private:
    TLumotrax_spectrum_scanner_main& window_;
};
