#include "shared/platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace platform {

namespace {

std::optional<folder_redirection>& redirection() {
    static std::optional<folder_redirection> instance;
    return instance;
}

QString without_trailing_separator(QString path) {
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')) &&
           !(path.size() == 3 && path[1] == u':'))
        path.chop(1);
    return path;
}

} // namespace

QString program_file_path() {
    if (redirection())
        return QDir::toNativeSeparators(redirection()->program_file);
    if (QCoreApplication::instance())
        return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    return QDir::toNativeSeparators(
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
}

QString program_folder() {
    return QDir::toNativeSeparators(
        without_trailing_separator(QFileInfo(program_file_path()).absolutePath()));
}

QString roaming_app_data_folder() {
    if (redirection())
        return QDir::toNativeSeparators(without_trailing_separator(redirection()->app_data));
#ifdef Q_OS_WIN
    const QString folder = qEnvironmentVariable("APPDATA");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
    if (folder.isEmpty())
        return {};
    return QDir::toNativeSeparators(without_trailing_separator(folder));
}

QString temp_folder() {
    const QString folder = redirection() ? redirection()->temp : QDir::tempPath();
    return QDir::toNativeSeparators(without_trailing_separator(folder));
}

void redirect_folders(const folder_redirection& replacement) {
    redirection() = replacement;
}

void reset_folders() {
    redirection().reset();
}

} // namespace platform
