#pragma once

#include <cstdint>

// Lets no file of this process grow beyond `bytes` while the object lives, as a full disk
// would; it holds for root too, so the failure paths of writers run in every test run.
class file_size_limit {
public:
    // Windows has no per-process file-size limit: there the object does nothing and the
    // full-disk cases are skipped.
#ifdef _WIN32
    static constexpr bool supported = false;
#else
    static constexpr bool supported = true;
#endif

    // Why the full-disk cases cannot run where `supported` is false.
    static constexpr const char* unsupported_reason =
        "Windows has no per-process file-size limit to stand in for a full disk";
    // For a table test that leaves out its full-disk row: says so in the test's output.
    static void report_row_left_out(const char* row);

    explicit file_size_limit(std::int64_t bytes);
    ~file_size_limit();
    file_size_limit(const file_size_limit&) = delete;
    file_size_limit& operator=(const file_size_limit&) = delete;

private:
    std::int64_t previous_current_ = 0;
    std::int64_t previous_maximum_ = 0;
    void (*previous_handler_)(int) = nullptr;
};
