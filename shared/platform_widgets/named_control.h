#pragma once

#include <QLatin1String>
#include <QObject>

namespace platform {

// Gives a new control its system name, by which tests and screenshots find it:
// `auto* button = named(new QPushButton(caption), "active_button");`
template <typename T> T* named(T* control, const char* name) {
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace platform
