// The csv step on a destination that cannot take files: nothing leaves the input folder
// that is not safe in a scan file or an archive copy, no file under a final name is
// partial, and the files arrive once space returns.
#include "scanner/lumotrax_sql_spectrum_scanner_Unit.h"
#include "tests/scanner/main_window_site.h"

#include "tests/support/file_size_limit.h"
#include "tests/support/input_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

using main_window = TLumotrax_spectrum_scanner_main;

class main_window_csv_fault : public main_window_site {
protected:
    main_window_csv_fault() {
        QDir().mkpath(path("input"));
        QDir().mkpath(path("kalix/archive"));
        write_file("program/kalix_scanner.ini",
                   (QStringList{path("input"), "T", "False", "1", "125", "", "Insitu input path",
                                "\\", "", "0", "", "true"}
                        .join("\r\n") +
                    "\r\n")
                       .toUtf8());
    }

    QString scan_folder() const {
        return path("kalix/database/products/DemoCoating/measurements/T/new");
    }
    QString archive_day() const {
        const QDate day = QDate::currentDate();
        return path(QStringLiteral("kalix/archive/DemoCoating/%1/%2/%3/T")
                        .arg(day.year())
                        .arg(day.month())
                        .arg(day.day()));
    }
    // Every file below `folder`, with its path relative to it.
    QStringList tree(const QString& folder) const {
        QStringList found;
        const QDir base(folder);
        for (const QFileInfo& entry :
             QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (entry.isDir()) {
                for (const QString& inner : tree(entry.filePath()))
                    found << entry.fileName() + "/" + inner;
            } else {
                found << entry.fileName();
            }
        }
        return found;
    }
};

TEST_F(main_window_csv_fault, a_full_destination_deletes_no_csv_and_leaves_no_partial_file) {
    if (!file_size_limit::supported)
        GTEST_SKIP() << file_size_limit::unsupported_reason;
    const std::vector<std::pair<QString, int>> files{
        {"a.csv", 4711}, {"b.csv", 4712}, {"c.csv", 4713}};
    for (const auto& [name, plate] : files)
        write_file("input/" + name, production_csv(20, plate));
    create();
    window_->active_button->click();
    {
        file_size_limit limit(256); // smaller than any scan file or csv file
        pass();
    }
    // Not a file gone: each is in the input folder or set aside, whole.
    for (const auto& [name, plate] : files) {
        const QByteArray kept = QFile::exists(path("input/" + name))
                                    ? read_file(path("input/" + name))
                                    : read_file(path("input/unprocessed/" + name));
        EXPECT_EQ(kept, production_csv(20, plate)) << name.toStdString();
    }
    // Nothing under a final name: no scan file, no archive copy, partial or whole.
    EXPECT_EQ(QDir(scan_folder()).entryList({"*.scn"}, QDir::Files), QStringList());
    EXPECT_EQ(QDir(archive_day()).entryList({"*.csv"}, QDir::Files), QStringList());
    EXPECT_FALSE(board().filter("could not be written").isEmpty())
        << board().join('\n').toStdString();

    // Space returns. What was set aside waits for the operator to put it back (the step
    // never takes it up by itself); then everything arrives.
    for (const QString& name : QDir(path("input/unprocessed")).entryList(QDir::Files))
        ASSERT_TRUE(QFile::rename(path("input/unprocessed/" + name), path("input/" + name)));
    pass();
    for (const auto& [name, plate] : files) {
        EXPECT_FALSE(QFile::exists(path("input/" + name))) << name.toStdString();
        EXPECT_TRUE(QFile::exists(scan_folder() + "/" + QString::number(plate) + ".scn")) << plate;
        EXPECT_EQ(read_file(archive_day() + "/" + name), production_csv(20, plate))
            << name.toStdString();
    }
    EXPECT_EQ(tree(path("input")), QStringList()) << tree(path("input")).join(' ').toStdString();
}

} // namespace
