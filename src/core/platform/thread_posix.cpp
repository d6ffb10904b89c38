#include "platform/thread.h"

namespace kw {
// Raising a thread above its process needs privileges a builder should not
// ask for; it runs at the process's priority.
void RaiseCurrentThreadPriority() {}
}  // namespace kw
