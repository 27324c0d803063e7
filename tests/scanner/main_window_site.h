#pragma once

#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "tests/support/scratch_fixture.h"

#include <QSqlDatabase>
#include <QStringList>

#include <memory>

// The main window on a site in the scratch directory: a KALIX installation with product
// "DemoCoating" and the channel folders T, RF and RC, kalix_path.ini in the program folder,
// and embedded in-line databases the test fills.
class main_window_site : public scratch_fixture {
protected:
    main_window_site();
    ~main_window_site() override;

    // An embedded in-line database file in the scratch directory with its tables, open
    // for the test under its own connection; its connection string for the window.
    QSqlDatabase& database(const QString& name);
    QString connection_string(const QString& name) const;

    // lumotrax_sql_spectrum_scanner.ini in the installation: key and value lines.
    void settings(const QStringList& lines);

    TLumotrax_spectrum_scanner_main& create();
    // One pass as the scan timer runs it; the timer's own ticks stay out of the test.
    void pass();
    QStringList board() const;

    QString kalix_;
    std::unique_ptr<TLumotrax_spectrum_scanner_main> window_;

private:
    std::vector<std::pair<QString, QSqlDatabase>> databases_;
};
