// MD5 (RFC 1321) through the platform's crypto library.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace kw {

using Md5Digest = std::array<uint8_t, 16>;

// Throws std::runtime_error when the crypto provider is unavailable.
Md5Digest Md5(const void* data, size_t size);

}  // namespace kw
