// Linear congruential generator; the 15 bits taken are the well-mixed high ones.
#include "board/random.h"

namespace board {

namespace {
std::uint32_t generatorState = 1;
constexpr std::uint32_t MULTIPLIER = 214013;
constexpr std::uint32_t INCREMENT = 2531011;
constexpr int OUTPUT_SHIFT = 16;
}  // namespace

void seedRandom(std::uint32_t seed) { generatorState = seed; }

int random15() {
    generatorState = generatorState * MULTIPLIER + INCREMENT;
    return static_cast<int>((generatorState >> OUTPUT_SHIFT) & RANDOM_MAX);
}

}  // namespace board
