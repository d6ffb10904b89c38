#include "stream/qvarchive.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "stream/qvstring.h"

CQVArchive::~CQVArchive() { Close(); }

void CQVArchive::Open(const std::string& path, uint32_t mode, const char signature[4]) {
  Close();
  mode_ = mode;
  pos_ = 0;
  size_ = 0;
  if (IsLoading()) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw CXQVArchive();
    if (std::fseek(file_, 0, SEEK_END) == 0) {
      long end = std::ftell(file_);
      size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    std::fseek(file_, 0, SEEK_SET);
    char sig[4];
    try {
      Read(sig, 4);
    } catch (...) {
      Close();
      throw;
    }
    if (std::memcmp(sig, signature, 4) != 0) {
      Close();
      throw CXQVArchive();
    }
  } else {
    file_ = std::fopen(path.c_str(), "w+b");
    if (!file_) throw CXQVArchive(errno);
    try {
      Write(signature, 4);
    } catch (...) {
      Close();
      throw;
    }
  }
}

bool CQVArchive::Close() {
  if (!file_) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

void CQVArchive::Flush() {
  if (file_ && std::fflush(file_) != 0) throw CXQVArchive(errno);
}

size_t CQVArchive::RawWrite(const void* buf, size_t n) {
  return std::fwrite(buf, 1, n, file_);
}

size_t CQVArchive::RawRead(void* buf, size_t n) { return std::fread(buf, 1, n, file_); }

void CQVArchive::Require(uint64_t n) const {
  if (n > Remaining()) throw CXQVArchive();
}

size_t CQVArchive::Read(void* buf, size_t n) {
  if (!file_ || !IsLoading()) throw CXQVArchive();
  if (n == 0) return 1;
  if (RawRead(buf, n) != n) throw CXQVArchive();
  pos_ += n;
  return 1;
}

size_t CQVArchive::Write(const void* buf, size_t n) {
  if (!file_ || IsLoading()) throw CXQVArchive();
  if (n == 0) return 1;
  if (RawWrite(buf, n) != n) throw CXQVArchive(errno);
  pos_ += n;
  return 1;
}

size_t CQVArchive::ReadLarge(void* buf, size_t n) {
  auto* p = static_cast<uint8_t*>(buf);
  Require(n);
  while (n > 0) {
    size_t piece = n < kLargePiece ? n : kLargePiece;
    Read(p, piece);
    p += piece;
    n -= piece;
  }
  return 1;
}

size_t CQVArchive::WriteLarge(const void* buf, size_t n) {
  auto* p = static_cast<const uint8_t*>(buf);
  while (n > 0) {
    size_t piece = n < kLargePiece ? n : kLargePiece;
    Write(p, piece);
    p += piece;
    n -= piece;
  }
  return 1;
}

void CQVArchive::WriteText(const char* text) {
  if (!text) text = "";
  Write(text, std::strlen(text) + 1);
}

void CQVArchive::ReadText(char* buf, size_t limit) {
  size_t kept = 0;
  for (;;) {
    char c;
    Read(&c, 1);
    if (kept <= limit) buf[kept++] = c;
    if (c == '\0') break;
  }
  buf[kept <= limit ? kept : limit] = '\0';
}

CQVArchive& CQVArchive::operator<<(uint8_t v) {
  Write(&v, 1);
  return *this;
}
CQVArchive& CQVArchive::operator<<(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  Write(b, 2);
  return *this;
}
CQVArchive& CQVArchive::operator<<(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                  static_cast<uint8_t>(v >> 24)};
  Write(b, 4);
  return *this;
}
CQVArchive& CQVArchive::operator>>(uint8_t& v) {
  Read(&v, 1);
  return *this;
}
CQVArchive& CQVArchive::operator>>(uint16_t& v) {
  uint8_t b[2];
  Read(b, 2);
  v = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return *this;
}
CQVArchive& CQVArchive::operator>>(uint32_t& v) {
  uint8_t b[4];
  Read(b, 4);
  v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
      (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return *this;
}
CQVArchive& CQVArchive::operator>>(int32_t& v) {
  uint32_t u;
  *this >> u;
  v = static_cast<int32_t>(u);
  return *this;
}

CQVArchive& CQVArchive::operator<<(const CQVString& s) {
  size_t n = s.GetLength();
  if (n > 0xFFFF) throw CXQVArchive();
  if (n < 0xFF) {
    *this << static_cast<uint8_t>(n);
  } else {
    *this << static_cast<uint8_t>(0xFF) << static_cast<uint16_t>(n);
  }
  WriteText(s.c_str());
  return *this;
}

CQVArchive& CQVArchive::operator>>(CQVString& s) {
  uint8_t b;
  *this >> b;
  size_t n = b;
  if (b == 0xFF) {
    uint16_t w;
    *this >> w;
    n = w;
  }
  // The text and its terminator must still be there.
  Require(static_cast<uint64_t>(n) + 1);
  std::vector<char> buf(n + 1);
  ReadText(buf.data(), n);
  s = buf.data();
  return *this;
}
