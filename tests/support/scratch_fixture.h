#pragma once

#include "tests/support/scripted_operator.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Every test runs in a scratch directory of its own: the program folder, the roaming
// application data and the temporary folder all point into it, and the scripted operator
// answers every dialog.
class scratch_fixture : public ::testing::Test {
protected:
    scratch_fixture();
    ~scratch_fixture() override;

    // Full path of `relative` inside the scratch directory (native separators).
    QString path(const QString& relative) const;
    QString program_folder() const { return path(QStringLiteral("program")); }
    QString app_data_folder() const { return path(QStringLiteral("appdata")); }
    QString temp_folder() const { return path(QStringLiteral("temp")); }

    // Creates the file (and its folders) with the given content; returns its full path.
    QString write_file(const QString& relative, const QByteArray& content = {}) const;
    static QByteArray read_file(const QString& full_path);
    // Makes the file's last-write time lie `seconds` in the past.
    static void age_file(const QString& full_path, qint64 seconds);

    // A KALIX installation below `relative`: the product marker (none when `product` is
    // empty) and a "new" folder for every channel. Returns the folder with a trailing separator.
    QString make_kalix_installation(const QString& relative, const QString& product,
                                    const QStringList& channels = {}) const;

    scripted_operator& ui() { return *ui_; }

private:
    QTemporaryDir scratch_;
    scripted_operator* ui_ = nullptr;
    std::unique_ptr<platform::operator_interface> previous_ui_;
};
