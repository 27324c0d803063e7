#include "tests/support/separator.h"

#include "shared/platform/paths.h"

QString sep() {
    return QString(platform::path_separator());
}
