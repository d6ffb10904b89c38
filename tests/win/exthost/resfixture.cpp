// A stand-in UI resource library: the other kind of library that lives in
// LNG. It hands out a dummy object and counts the calls in a shared place.
#include <windows.h>

namespace {
int g_object;
}

extern "C" void* DllGetResourceObject() { return &g_object; }
