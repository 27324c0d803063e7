#pragma once

class QString;
class QWidget;

namespace runner {

// Renders `window` as it stands after the pending events into a PNG; false when the file
// could not be written.
bool save_window_picture(QWidget& window, const QString& file);

} // namespace runner
