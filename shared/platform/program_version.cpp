#include "shared/platform/program_version.h"

#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

QString program_version() {
    return QStringLiteral(KALIX_VERSION);
}

bool print_version_if_asked(int argc, char** argv, const char* program) {
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || std::strcmp(argv[i], "--version") == 0;
    if (!asked)
        return false;
#ifdef Q_OS_WIN
    // A window program has no console of its own: write to the one it was started from,
    // unless standard output already goes to a file or a pipe.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
#endif
    std::printf("%s %s\n", program, KALIX_VERSION);
    std::fflush(stdout);
    return true;
}

} // namespace platform
