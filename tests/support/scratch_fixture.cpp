#include "tests/support/scratch_fixture.h"

#include "shared/platform/folders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

scratch_fixture::scratch_fixture() {
    EXPECT_TRUE(scratch_.isValid());
    QDir root(scratch_.path());
    for (const char* folder : {"program", "appdata", "temp"})
        root.mkpath(QString::fromLatin1(folder));
    platform::redirect_folders(
        {path(QStringLiteral("program/test_program.exe")), app_data_folder(), temp_folder()});
    auto ui = std::make_unique<scripted_operator>();
    ui_ = ui.get();
    previous_ui_ = platform::install_operator(std::move(ui));
}

scratch_fixture::~scratch_fixture() {
    platform::install_operator(std::move(previous_ui_));
    platform::reset_folders();
}

QString scratch_fixture::path(const QString& relative) const {
    return QDir::toNativeSeparators(scratch_.path() + u'/' + relative);
}

QString scratch_fixture::write_file(const QString& relative, const QByteArray& content) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    file.write(content);
    return full;
}

QByteArray scratch_fixture::read_file(const QString& full_path) {
    QFile file(full_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void scratch_fixture::age_file(const QString& full_path, qint64 seconds) {
    QFile file(full_path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << full_path.toStdString();
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                                 QFileDevice::FileModificationTime));
}

QString scratch_fixture::make_kalix_installation(const QString& relative, const QString& product,
                                                 const QStringList& channels) const {
    QDir root(scratch_.path());
    root.mkpath(relative + QStringLiteral("/database/current_product"));
    if (!product.isEmpty())
        write_file(relative + QStringLiteral("/database/current_product/") + product);
    for (const QString& channel : channels)
        root.mkpath(relative + QStringLiteral("/database/products/") + product +
                    QStringLiteral("/measurements/") + channel + QStringLiteral("/new"));
    return path(relative) + QDir::separator();
}
