#include "shared/platform_widgets/guarded_handler.h"

#include "shared/platform_widgets/error_reporting_application.h"

namespace platform {

void run_guarded(const std::function<void()>& handler) {
    deliver_reporting_errors([&handler] {
        handler();
        return true;
    });
}

} // namespace platform
