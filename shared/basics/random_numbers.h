#pragma once

#include <cstdint>

// The process-wide pseudo-random generator (temporary names, password file filler).
void seed_random_numbers(std::uint64_t seed);
// Uniform in 0..limit-1.
std::uint32_t random_below(std::uint32_t limit);
// Uniform single in [0, 1).
float random_unit_single();
