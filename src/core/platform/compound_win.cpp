#include <objbase.h>
#include <windows.h>

#include "platform/compound.h"

namespace kw {
namespace {

std::wstring Wide(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

CompoundError FromHresult(HRESULT hr) {
  switch (hr) {
    case STG_E_FILENOTFOUND: case STG_E_PATHNOTFOUND: return CompoundError::NotFound;
    case STG_E_INVALIDNAME: return CompoundError::BadPath;
    case STG_E_ACCESSDENIED: return CompoundError::AccessDenied;
    case STG_E_SHAREVIOLATION: case STG_E_LOCKVIOLATION: return CompoundError::Sharing;
    case STG_E_MEDIUMFULL: return CompoundError::DiskFull;
    case STG_E_FILEALREADYEXISTS: case STG_E_INVALIDHEADER: case STG_E_OLDFORMAT:
    case STG_E_OLDDLL: case STG_E_DOCFILECORRUPT: return CompoundError::NotCompound;
    default:
      if (HRESULT_FACILITY(hr) == FACILITY_WIN32) {
        switch (HRESULT_CODE(hr)) {
          case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return CompoundError::NotFound;
          case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return CompoundError::AccessDenied;
          case ERROR_SHARING_VIOLATION: return CompoundError::Sharing;
          case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return CompoundError::DiskFull;
          case ERROR_INVALID_NAME: return CompoundError::BadPath;
        }
      }
      return CompoundError::Io;
  }
}

template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() { if (p) p->Release(); }
};

CompoundError OpenRoot(const std::string& path, Com<IStorage>& root) {
  std::wstring w = Wide(path);
  DWORD attr = GetFileAttributesW(w.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return FromHresult(HRESULT_FROM_WIN32(GetLastError()));
  HRESULT hr = StgIsStorageFile(w.c_str());
  if (hr == S_FALSE) return CompoundError::NotCompound;
  if (FAILED(hr)) return FromHresult(hr);
  hr = StgOpenStorage(w.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE | STGM_TRANSACTED,
                      nullptr, 0, &root.p);
  return SUCCEEDED(hr) ? CompoundError::None : FromHresult(hr);
}

}  // namespace

CompoundError WriteCompoundStream(const std::string& path, const std::string& stream,
                                  const std::vector<uint8_t>& data) {
  Com<IStorage> root;
  HRESULT hr = StgCreateDocfile(Wide(path).c_str(),
                                STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED,
                                0, &root.p);
  if (FAILED(hr)) return FromHresult(hr);
  {
    Com<IStream> s;
    hr = root.p->CreateStream(Wide(stream).c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE,
                              0, 0, &s.p);
    if (FAILED(hr)) return FromHresult(hr);
    size_t done = 0;
    while (done < data.size()) {
      ULONG piece = static_cast<ULONG>(std::min<size_t>(data.size() - done, 1u << 20));
      ULONG written = 0;
      hr = s.p->Write(data.data() + done, piece, &written);
      if (FAILED(hr)) return FromHresult(hr);
      if (written != piece) return CompoundError::DiskFull;
      done += written;
    }
    hr = s.p->Commit(STGC_DEFAULT);
    if (FAILED(hr)) return FromHresult(hr);
  }
  hr = root.p->Commit(STGC_DEFAULT);
  return SUCCEEDED(hr) ? CompoundError::None : FromHresult(hr);
}

CompoundError ReadCompoundStream(const std::string& path, const std::string& stream,
                                 std::vector<uint8_t>& out, uint64_t maxSize) {
  Com<IStorage> root;
  CompoundError r = OpenRoot(path, root);
  if (r != CompoundError::None) return r;
  Com<IStream> s;
  HRESULT hr = root.p->OpenStream(Wide(stream).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s.p);
  if (hr == STG_E_FILENOTFOUND) return CompoundError::NoStream;
  if (FAILED(hr)) return FromHresult(hr);
  STATSTG st{};
  hr = s.p->Stat(&st, STATFLAG_NONAME);
  if (FAILED(hr)) return FromHresult(hr);
  if (st.cbSize.QuadPart > maxSize) return CompoundError::TooLarge;
  out.resize(static_cast<size_t>(st.cbSize.QuadPart));
  size_t done = 0;
  while (done < out.size()) {
    ULONG got = 0;
    hr = s.p->Read(out.data() + done, static_cast<ULONG>(out.size() - done), &got);
    if (FAILED(hr) || got == 0) {
      out.clear();
      return FAILED(hr) ? FromHresult(hr) : CompoundError::NotCompound;
    }
    done += got;
  }
  return CompoundError::None;
}

CompoundError ListCompoundRoot(const std::string& path, std::vector<std::string>& names) {
  Com<IStorage> root;
  CompoundError r = OpenRoot(path, root);
  if (r != CompoundError::None) return r;
  Com<IEnumSTATSTG> e;
  HRESULT hr = root.p->EnumElements(0, nullptr, 0, &e.p);
  if (FAILED(hr)) return FromHresult(hr);
  names.clear();
  STATSTG st;
  while (e.p->Next(1, &st, nullptr) == S_OK) {
    char buf[256] = {0};
    if (st.pwcsName) {
      WideCharToMultiByte(CP_ACP, 0, st.pwcsName, -1, buf, sizeof buf - 1, nullptr, nullptr);
      CoTaskMemFree(st.pwcsName);
    }
    names.emplace_back(buf);
  }
  return CompoundError::None;
}

}  // namespace kw
