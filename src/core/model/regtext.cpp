#include "model/regtext.h"

#include <cstdio>

namespace kw {

namespace {

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string BinaryToRegText(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  for (uint8_t b : bytes) {
    if (IsAsciiAlnum(b)) {
      text += static_cast<char>(b);
    } else if (b == '\\') {
      text += "\\\\";
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "\\%02X", b);
      text += hex;
    }
  }
  return text;
}

std::vector<uint8_t> RegTextToBinary(const std::string& text) {
  std::vector<uint8_t> bytes;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    char c = text[i];
    if (c != '\\' || i + 1 >= n) {
      bytes.push_back(static_cast<uint8_t>(c));
      ++i;
      continue;
    }
    char next = text[i + 1];
    int high = HexDigit(next);
    if (high >= 0) {
      int value = high;
      int low = i + 2 < n ? HexDigit(text[i + 2]) : -1;
      if (low >= 0) value = value * 16 + low;
      bytes.push_back(static_cast<uint8_t>(value));
      // The escape takes the digits it used: "\4Z" is 04 then Z, the Z is not lost.
      i += low >= 0 ? 3 : 2;
    } else if (next == '\\') {
      bytes.push_back('\\');
      i += 2;
    } else {
      bytes.push_back('\\');
      ++i;
    }
  }
  return bytes;
}

std::string DecimalText(uint32_t number) {
  return std::to_string(static_cast<int32_t>(number));
}

uint32_t ParseDecimal(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a magnitude up to 2^31, the largest any 32-bit bound needs.
  const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > limit) magnitude = limit;
  }
  int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return static_cast<uint32_t>(static_cast<int32_t>(value));
}

}  // namespace kw
