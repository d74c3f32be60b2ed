#pragma once
#include <cstdint>

// A RANROT type W generator (ring 17, lag 10, rotations 19 and 27), seeded once from the
// tick count on first use unless seeded before.
void SeedRandom(std::uint32_t seed);
std::int32_t RandomUpTo(std::int32_t maximum);
