#pragma once

#include <QString>

namespace platform {

// The version of this build, as the project sets it ("1.0.0").
QString program_version();

// Answers "--version" on the command line: prints "<program> <version>" to standard output
// (on Windows to the console the program was started from) and returns true; the program
// then ends without opening a window.
bool print_version_if_asked(int argc, char** argv, const char* program);

} // namespace platform
