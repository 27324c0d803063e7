#include "shared/basics/random_numbers.h"

#include <chrono>
#include <random>

namespace {

struct process_generator {
    std::mt19937_64 engine;
    bool seeded = false;
};

process_generator& generator() {
    static process_generator instance;
    return instance;
}

// Seeds from the clock when nobody did, so two runs never draw the same temporary names.
std::mt19937_64& engine() {
    process_generator& g = generator();
    if (!g.seeded) {
        g.engine.seed(static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
        g.seeded = true;
    }
    return g.engine;
}

} // namespace

void seed_random_numbers(std::uint64_t seed) {
    process_generator& g = generator();
    g.engine.seed(seed);
    g.seeded = true;
}

std::uint32_t random_below(std::uint32_t limit) {
    if (limit <= 1)
        return 0;
    std::uniform_int_distribution<std::uint32_t> distribution(0, limit - 1);
    return distribution(engine());
}

float random_unit_single() {
    // 24 bits fit the single's mantissa exactly, so the result can never round up to 1.
    const std::uint64_t bits = engine()() >> 40;
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
}
