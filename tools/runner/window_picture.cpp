#include "tools/runner/window_picture.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace runner {

bool save_window_picture(QWidget& window, const QString& file) {
    QCoreApplication::processEvents();
    return window.grab().save(file, "PNG");
}

} // namespace runner
