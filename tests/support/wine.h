#pragma once

// True when the test runs under Wine rather than on Windows (never on other platforms).
// A case that fails only because Wine differs from Windows skips itself with the reason.
bool running_under_wine();
