#pragma once

namespace platform {

// Makes "." the decimal separator of every number formatted or parsed in this
// process (Qt's default locale and the C library), whatever the regional setting.
void use_point_decimal_separator();

} // namespace platform
