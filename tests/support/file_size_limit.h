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

    explicit file_size_limit(std::int64_t bytes);
    ~file_size_limit();
    file_size_limit(const file_size_limit&) = delete;
    file_size_limit& operator=(const file_size_limit&) = delete;

private:
    std::int64_t previous_current_ = 0;
    std::int64_t previous_maximum_ = 0;
    void (*previous_handler_)(int) = nullptr;
};
