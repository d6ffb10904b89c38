// libgsf builds and parses the compound file in memory; the file itself is
// read and written here so that every system error keeps its cause.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-utils.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/compound.h"

namespace kw {
namespace {

void InitGsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

CompoundError FromErrno(int e) {
  switch (e) {
    case ENOENT: case ENOTDIR: return CompoundError::NotFound;
    case ENAMETOOLONG: case EINVAL: case EISDIR: return CompoundError::BadPath;
    case EACCES: case EPERM: case EROFS: return CompoundError::AccessDenied;
    case ETXTBSY: case EBUSY: return CompoundError::Sharing;
    case ENOSPC: case EDQUOT: case EFBIG: return CompoundError::DiskFull;
    default: return CompoundError::Io;
  }
}

template <typename T>
struct GObj {
  T* p = nullptr;
  explicit GObj(T* q) : p(q) {}
  ~GObj() { if (p) g_object_unref(p); }
  GObj(const GObj&) = delete;
  GObj& operator=(const GObj&) = delete;
};

CompoundError ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return FromErrno(errno);
  bytes.clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (bytes.size() + n > limit) {
      std::fclose(f);
      return CompoundError::TooLarge;
    }
    bytes.insert(bytes.end(), buf, buf + n);
  }
  bool bad = std::ferror(f) != 0;
  int e = errno;
  std::fclose(f);
  return bad ? FromErrno(e) : CompoundError::None;
}

// Opens the root storage of a compound file held in memory.
CompoundError OpenRoot(const std::vector<uint8_t>& file, GsfInfile*& root) {
  InitGsf();
  root = nullptr;
  static const uint8_t sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (file.size() < 512 || !std::equal(sig, sig + 8, file.begin())) return CompoundError::NotCompound;
  GsfInput* in = gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE);
  if (!in) return CompoundError::Io;
  GError* err = nullptr;
  root = gsf_infile_msole_new(in, &err);
  g_object_unref(in);
  if (err) g_error_free(err);
  return root ? CompoundError::None : CompoundError::NotCompound;
}

}  // namespace

CompoundError WriteCompoundStream(const std::string& path, const std::string& stream,
                                  const std::vector<uint8_t>& data) {
  InitGsf();
  GObj<GsfOutput> mem(gsf_output_memory_new());
  const guint8* image = nullptr;
  gsf_off_t imageSize = 0;
  {
    GObj<GsfOutfile> ole(gsf_outfile_msole_new(mem.p));
    if (!ole.p) return CompoundError::Io;
    GObj<GsfOutput> child(gsf_outfile_new_child(ole.p, stream.c_str(), FALSE));
    if (!child.p) return CompoundError::Io;
    if (!data.empty() && !gsf_output_write(child.p, data.size(), data.data())) return CompoundError::Io;
    if (!gsf_output_close(child.p) || !gsf_output_close(GSF_OUTPUT(ole.p))) return CompoundError::Io;
  }
  image = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem.p));
  imageSize = gsf_output_size(mem.p);
  if (!image || imageSize <= 0) return CompoundError::Io;

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return FromErrno(errno);
  size_t want = static_cast<size_t>(imageSize);
  bool ok = std::fwrite(image, 1, want, f) == want && std::fflush(f) == 0 && fsync(fileno(f)) == 0;
  int e = errno;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    e = errno;
  }
  return ok ? CompoundError::None : FromErrno(e);
}

CompoundError ReadCompoundStream(const std::string& path, const std::string& stream,
                                 std::vector<uint8_t>& out, uint64_t maxSize) {
  std::vector<uint8_t> file;
  // The stream cannot be larger than the file that holds it.
  CompoundError r = ReadWholeFile(path, file, maxSize + (1u << 20) + maxSize / 4);
  if (r != CompoundError::None) return r;
  GsfInfile* rootRaw = nullptr;
  r = OpenRoot(file, rootRaw);
  if (r != CompoundError::None) return r;
  GObj<GsfInfile> root(rootRaw);
  GObj<GsfInput> child(gsf_infile_child_by_name(root.p, stream.c_str()));
  if (!child.p || gsf_infile_num_children(GSF_INFILE(root.p)) < 0) return CompoundError::NoStream;
  gsf_off_t size = gsf_input_size(child.p);
  if (size < 0) return CompoundError::Io;
  if (static_cast<uint64_t>(size) > maxSize) return CompoundError::TooLarge;
  out.resize(static_cast<size_t>(size));
  if (size > 0 && !gsf_input_read(child.p, static_cast<size_t>(size), out.data())) {
    out.clear();
    return CompoundError::NotCompound;
  }
  return CompoundError::None;
}

CompoundError ListCompoundRoot(const std::string& path, std::vector<std::string>& names) {
  std::vector<uint8_t> file;
  CompoundError r = ReadWholeFile(path, file, 1ull << 30);
  if (r != CompoundError::None) return r;
  GsfInfile* rootRaw = nullptr;
  r = OpenRoot(file, rootRaw);
  if (r != CompoundError::None) return r;
  GObj<GsfInfile> root(rootRaw);
  names.clear();
  int n = gsf_infile_num_children(root.p);
  for (int i = 0; i < n; ++i) {
    const char* name = gsf_infile_name_by_index(root.p, i);
    names.emplace_back(name ? name : "");
  }
  return CompoundError::None;
}

}  // namespace kw
