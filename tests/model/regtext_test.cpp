#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/regtext.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct RoundTrip {
  Bytes bytes;
  std::string text;
};

// Bytes and the text that shows them; each text parses back to its bytes.
const RoundTrip kRoundTrips[] = {
    {{}, ""},
    {{0x41, 0x00, 0x5C, 0x7F}, "A\\00\\\\\\7F"},
    {{'0', '9', 'A', 'Z', 'a', 'z'}, "09AZaz"},
    {{0x0A, 0x20, 0x2E, 0x5B, 0x60, 0x7B}, "\\0A\\20\\2E\\5B\\60\\7B"},
    {{0x80, 0xC4, 0xFF}, "\\80\\C4\\FF"},
    {{0x5C, 0x5C}, "\\\\\\\\"},
    {{0x00, 'A', 0x0B, 'c'}, "\\00A\\0Bc"},
};

TEST(RegText, BinaryShowsLettersDigitsEscapesAndParsesBack) {
  for (const RoundTrip& c : kRoundTrips) {
    EXPECT_EQ(kw::BinaryToRegText(c.bytes), c.text);
    EXPECT_EQ(kw::RegTextToBinary(c.text), c.bytes) << c.text;
  }
  EXPECT_EQ(kw::BinaryToRegText({0x41, 0x00, 0x5C, 0x7F}).size(), 9u);
}

TEST(RegText, EveryByteSurvivesTheRoundTrip) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
  std::string text = kw::BinaryToRegText(all);
  EXPECT_EQ(kw::RegTextToBinary(text), all);
}

struct Typed {
  std::string text;
  Bytes bytes;
};

// Text a person types, which the value sheet never shows itself.
const Typed kTyped[] = {
    {"\\4", {0x04}},                       // one digit at the end
    {"\\a", {0x0A}},                       // lower-case hex
    {"\\fe", {0xFE}},
    {"\\4Z", {0x04, 'Z'}},                 // one digit: the character after it is kept
    {"\\4ZB", {0x04, 'Z', 'B'}},
    {"\\G1", {0x5C, 'G', '1'}},            // no hex digit: a plain backslash
    {"\\ ", {0x5C, ' '}},
    {"\\", {0x5C}},                        // a backslash at the end
    {"x\\", {'x', 0x5C}},
    {"\\\\4", {0x5C, '4'}},                // two backslashes, then a digit
    {"a b", {'a', ' ', 'b'}},              // other characters as themselves
    {"\xE4\\E4", {0xE4, 0xE4}},
    {"\\123", {0x12, '3'}},                // at most two digits
};

TEST(RegText, TypedTextParsesLeniently) {
  for (const Typed& c : kTyped) EXPECT_EQ(kw::RegTextToBinary(c.text), c.bytes) << c.text;
}

struct Number {
  uint32_t value;
  std::string text;
};

TEST(RegText, NumbersShowAsSignedDecimal) {
  const Number cases[] = {
      {0, "0"}, {42, "42"}, {0x7FFFFFFF, "2147483647"}, {0x80000000, "-2147483648"},
      {0xFFFFFFFF, "-1"}, {0xFFFFFF85, "-123"},
  };
  for (const Number& c : cases) {
    EXPECT_EQ(kw::DecimalText(c.value), c.text);
    EXPECT_EQ(kw::ParseDecimal(c.text), c.value) << c.text;
  }
}

TEST(RegText, TextToNumberLikeTheCLibrary) {
  const Number cases[] = {
      {0, ""}, {0, "abc"}, {0, "-"}, {0, "0x10"}, {12, "12abc"}, {7, "  \t+7"},
      {0xFFFFFFF9, " -7 "}, {0, "- 7"}, {0x7FFFFFFF, "2147483648"},
      {0x7FFFFFFF, "99999999999999999999"},
      {0x80000000, "-2147483649"}, {0x80000000, "-99999999999999999999"}, {1000, "0001000"},
  };
  for (const Number& c : cases)
    EXPECT_EQ(kw::ParseDecimal(c.text), c.value) << "'" << c.text << "'";
}

}  // namespace
