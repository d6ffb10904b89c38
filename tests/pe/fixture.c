/* Code of the fixture DLL: one export, so that it is a proper library. */
__declspec(dllexport) int FixtureValue(void) { return 42; }
