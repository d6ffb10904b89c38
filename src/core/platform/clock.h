// The one clock for every time written into a file.
#pragma once
#include <cstdint>
#include <optional>

namespace kw {

// Seconds since 1970-01-01 UTC, or the fixed time when one is set.
uint32_t Now();

// Fixes the clock (tests, reproducible builds); nullopt returns to real time.
void SetFixedClock(std::optional<uint32_t> t);

// Fixes the clock from SOURCE_DATE_EPOCH when that variable holds a number.
// Returns true when it did.
bool FixClockFromEnvironment();

}  // namespace kw
