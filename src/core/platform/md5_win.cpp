#include <windows.h>
#include <wincrypt.h>

#include <stdexcept>

#include "platform/md5.h"

namespace kw {

Md5Digest Md5(const void* data, size_t size) {
  HCRYPTPROV prov = 0;
  if (!CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
    throw std::runtime_error("MD5 is not available");
  HCRYPTHASH hash = 0;
  Md5Digest out{};
  DWORD len = static_cast<DWORD>(out.size());
  bool ok = CryptCreateHash(prov, CALG_MD5, 0, 0, &hash) &&
            CryptHashData(hash, static_cast<const BYTE*>(data), static_cast<DWORD>(size), 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, out.data(), &len, 0) && len == out.size();
  if (hash) CryptDestroyHash(hash);
  CryptReleaseContext(prov, 0);
  if (!ok) throw std::runtime_error("MD5 is not available");
  return out;
}

}  // namespace kw
