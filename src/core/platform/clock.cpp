#include "platform/clock.h"

#include <atomic>
#include <cstdlib>
#include <ctime>

namespace kw {
namespace {
std::atomic<bool> g_fixed{false};
std::atomic<uint32_t> g_fixedValue{0};
}  // namespace

uint32_t Now() {
  if (g_fixed.load()) return g_fixedValue.load();
  return static_cast<uint32_t>(std::time(nullptr));
}

void SetFixedClock(std::optional<uint32_t> t) {
  if (t) g_fixedValue.store(*t);
  g_fixed.store(t.has_value());
}

bool FixClockFromEnvironment() {
  const char* s = std::getenv("SOURCE_DATE_EPOCH");
  if (!s || !*s) return false;
  char* end = nullptr;
  unsigned long long v = std::strtoull(s, &end, 10);
  if (*end != '\0' || v > 0xFFFFFFFFull) return false;
  SetFixedClock(static_cast<uint32_t>(v));
  return true;
}

}  // namespace kw
