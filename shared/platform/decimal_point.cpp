#include "shared/platform/decimal_point.h"

#include <QLocale>

#include <clocale>

namespace platform {

void use_point_decimal_separator() {
    QLocale c_locale = QLocale::c();
    c_locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(c_locale);
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace platform
