#pragma once
namespace kw {
// Gives the calling thread the highest normal priority the system allows it.
void RaiseCurrentThreadPriority();
}
