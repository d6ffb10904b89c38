// Registry value data and number fields as the item sheets' edits show them.
//
// Binary data: ASCII letters and digits stand for themselves, a backslash
// byte is written as two backslashes, every other byte as a backslash and
// two upper-case hex digits. So 41 00 5C 7F reads  A\00\\\7F  and back.
// Parsing is lenient, as people type: a backslash and one or two hex digits
// give one byte, a backslash before anything else is a backslash.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kw {

// The bytes of a binary value as edit text ("" for none).
std::string BinaryToRegText(const std::vector<uint8_t>& bytes);
// The bytes that edit text stands for.
std::vector<uint8_t> RegTextToBinary(const std::string& text);

// A number field's text: the 32 bits as a signed decimal.
std::string DecimalText(uint32_t number);
// The C library's decimal conversion: leading blanks, a sign, digits; text
// that is no number gives 0, numbers out of range the nearest 32-bit bound.
uint32_t ParseDecimal(const std::string& text);

}  // namespace kw
