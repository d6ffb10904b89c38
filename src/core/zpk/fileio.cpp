#include "zpk/fileio.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/types.h>
#include <unistd.h>
#endif

namespace kw::zpk {
namespace {
int g_streamError = 0;
// Keeps errno of a failed call and passes its result on.
bool Noted(bool ok) {
  if (!ok) g_streamError = errno ? errno : EIO;
  return ok;
}

int SeekFile(FILE* f, int64_t off, int origin) {
#ifdef _WIN32
  return _fseeki64(f, off, origin);
#else
  return fseeko(f, static_cast<off_t>(off), origin);
#endif
}
int64_t TellFile(FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return static_cast<int64_t>(ftello(f));
#endif
}
}  // namespace

int LastStreamError() { return g_streamError; }

bool ArchiveStream::Open(const std::string& path, const char* mode) {
  Close();
  errno = 0;
  f_ = std::fopen(path.c_str(), mode);
  if (!Noted(f_ != nullptr)) return false;
  std::setvbuf(f_, nullptr, _IOFBF, 8192);
  writing_ = false;
  return true;
}

bool ArchiveStream::Close() {
  if (!f_) return true;
  errno = 0;
  bool ok = Noted(std::fclose(f_) == 0);
  f_ = nullptr;
  return ok;
}

size_t ArchiveStream::Read(void* buf, size_t n) {
  if (!f_) return 0;
  if (writing_) {
    // Switching from writing to reading needs a positioning call.
    SeekFile(f_, 0, SEEK_CUR);
    writing_ = false;
  }
  return std::fread(buf, 1, n, f_);
}

bool ArchiveStream::Write(const void* buf, size_t n) {
  if (!f_) return false;
  if (!writing_) {
    SeekFile(f_, 0, SEEK_CUR);
    writing_ = true;
  }
  errno = 0;
  return Noted(n == 0 || std::fwrite(buf, 1, n, f_) == n);
}

bool ArchiveStream::Seek(int64_t offset, Origin origin) {
  if (!f_) return false;
  errno = 0;
  return Noted(SeekFile(f_, offset, origin) == 0);
}

int64_t ArchiveStream::Tell() { return f_ ? TellFile(f_) : -1; }

bool ArchiveStream::Flush() {
  errno = 0;
  return f_ && Noted(std::fflush(f_) == 0);
}

bool ArchiveStream::AtEnd() { return !f_ || std::feof(f_) != 0; }

bool ArchiveStream::SetSize(int64_t size) {
  errno = 0;
  if (!f_ || !Noted(std::fflush(f_) == 0)) return false;
#ifdef _WIN32
  return Noted(_chsize_s(_fileno(f_), size) == 0);
#else
  return Noted(ftruncate(fileno(f_), static_cast<off_t>(size)) == 0);
#endif
}

int64_t ArchiveStream::Size() {
  if (!f_) return -1;
  int64_t here = TellFile(f_);
  if (SeekFile(f_, 0, SEEK_END) != 0) return -1;
  int64_t end = TellFile(f_);
  SeekFile(f_, here, SEEK_SET);
  return end;
}

}  // namespace kw::zpk
