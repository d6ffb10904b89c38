#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

#include "platform/md5.h"

namespace kw {

Md5Digest Md5(const void* data, size_t size) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  Md5Digest out{};
  unsigned int len = 0;
  if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1 ||
      EVP_DigestUpdate(ctx.get(), data, size) != 1 ||
      EVP_DigestFinal_ex(ctx.get(), out.data(), &len) != 1 || len != out.size())
    throw std::runtime_error("MD5 is not available");
  return out;
}

}  // namespace kw
