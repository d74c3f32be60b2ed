#include "random.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

namespace {

struct Generator {
  bool seeded;
  std::uint32_t state[17][2];
  int p1, p2;
} generator;

std::uint32_t RotateLeft(std::uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }

void Step(std::uint32_t& y, std::uint32_t& z) {
  std::uint32_t* a = generator.state[generator.p1];
  const std::uint32_t* b = generator.state[generator.p2];
  y = RotateLeft(a[0], 19) + b[0];
  z = RotateLeft(a[1], 27) + b[1];
  a[0] = z;
  a[1] = y;
  generator.p1 = generator.p1 ? generator.p1 - 1 : 16;
  generator.p2 = generator.p2 ? generator.p2 - 1 : 16;
}

std::uint32_t TickCount() {
#ifdef _WIN32
  return GetTickCount();
#else
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
#endif
}

}  // namespace

void SeedRandom(std::uint32_t seed) {
  std::uint32_t x = seed;
  for (auto& pair : generator.state) {
    for (std::uint32_t& word : pair) {
      x = x * 2891336453u + 1;
      word = x;
    }
  }
  generator.p1 = 0;
  generator.p2 = 10;
  generator.seeded = true;
  std::uint32_t y, z;
  for (int i = 0; i < 31; ++i) Step(y, z);
}

std::int32_t RandomUpTo(std::int32_t maximum) {
  if (!generator.seeded) SeedRandom(TickCount());
  std::uint32_t y, z;
  Step(y, z);
  if (maximum < 0) return INT32_MIN;
  std::uint64_t range = static_cast<std::uint32_t>(maximum) + 1u;
  std::uint64_t high = (static_cast<std::uint64_t>(z) * range) >> 32;
  return static_cast<std::int32_t>((static_cast<std::uint64_t>(y) * range + high) >> 32);
}
