// CQVString: one owned single-byte text, never null.
#pragma once
#include <string>

#include "stream/qvobject.h"

class ObjectArchive;

class CQVString : public CQVObject {
 public:
  CQVString() = default;
  CQVString(const char* text) : text_(text ? text : "") {}  // NOLINT: implicit like the text it holds
  CQVString(const std::string& text) : text_(text) {}       // NOLINT
  CQVString(const CQVString&) = default;
  CQVString& operator=(const CQVString&) = default;
  CQVString& operator=(const char* text) {
    text_ = text ? text : "";
    return *this;
  }
  CQVString& operator=(const std::string& text) {
    text_ = text;
    return *this;
  }

  size_t GetLength() const { return text_.size(); }
  bool IsEmpty() const { return text_.empty(); }
  void MakeUpper();
  void MakeLower();

  CQVString operator+(const CQVString& other) const { return CQVString(text_ + other.text_); }
  CQVString operator+(const char* other) const { return CQVString(text_ + (other ? other : "")); }
  CQVString& operator+=(const CQVString& other) {
    text_ += other.text_;
    return *this;
  }
  CQVString& operator+=(const char* other) {
    if (other) text_ += other;
    return *this;
  }

  bool operator==(const CQVString& other) const { return text_ == other.text_; }
  bool operator==(const char* other) const { return text_ == (other ? other : ""); }
  bool operator==(const std::string& other) const { return text_ == other; }
  bool operator!=(const CQVString& other) const { return !(*this == other); }

  const char* c_str() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }  // NOLINT: read access to the text
  const std::string& str() const { return text_; }

  // Setup-stream form: length prefix, bytes, terminating zero.
  void Serialize(CQVArchive& ar) override;
  // Project-file form: the same prefix without terminator.
  void Serialize(ObjectArchive& ar);

 private:
  std::string text_;
};
