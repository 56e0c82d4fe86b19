// The engine's pseudo-random generator: exactly 15 bits per call, seedable,
// so position keys and the book's choice repeat for a given seed.
#pragma once

#include <cstdint>

namespace board {

constexpr int RANDOM_MAX = 32767;

void seedRandom(std::uint32_t seed);
// A value from 0 to RANDOM_MAX.
int random15();

}  // namespace board
