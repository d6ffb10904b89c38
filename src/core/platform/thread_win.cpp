#include <windows.h>

#include "platform/thread.h"

namespace kw {
void RaiseCurrentThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST); }
}  // namespace kw
