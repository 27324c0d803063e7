#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>

#include <iostream>

void file_size_limit::report_row_left_out(const char* row) {
    std::cout << "[ SKIPPED  ] row \"" << row << "\": " << unsupported_reason << std::endl;
}

#ifdef _WIN32

file_size_limit::file_size_limit(std::int64_t) {}

file_size_limit::~file_size_limit() = default;

#else

#include <csignal>
#include <sys/resource.h>

file_size_limit::file_size_limit(std::int64_t bytes) {
    // Writing past the limit raises a signal that would end the test; the write fails instead.
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    previous_current_ = static_cast<std::int64_t>(limit.rlim_cur);
    previous_maximum_ = static_cast<std::int64_t>(limit.rlim_max);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

file_size_limit::~file_size_limit() {
    rlimit limit{};
    limit.rlim_cur = static_cast<rlim_t>(previous_current_);
    limit.rlim_max = static_cast<rlim_t>(previous_maximum_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous_handler_);
}

#endif
