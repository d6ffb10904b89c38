// Single-byte text services of the system code page (Windows-1252 natively).
#pragma once
#include <string>

namespace kw {

// The system's locale-aware, case-sensitive comparison: <0, 0, >0.
int CompareTextLocale(const std::string& a, const std::string& b);

// The system's ANSI case conversion, in place.
void LowerAnsi(std::string& s);
void UpperAnsi(std::string& s);

// One character folded to upper case as the ANSI conversion does.
unsigned char AnsiUpperChar(unsigned char c);

}  // namespace kw
