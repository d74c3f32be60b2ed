#pragma once
#include <cstdint>

// Suspends the calling thread; no message is processed meanwhile.
void PauseFor(std::int32_t milliseconds);
