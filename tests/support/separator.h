#pragma once

#include <QString>

// The native path separator as text, for building the paths a test expects.
QString sep();
