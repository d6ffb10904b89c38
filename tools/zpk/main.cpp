// zpk: adds files to a Zestpack archive, and lists, tests and extracts one
// with all of its volumes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "zpk/names.h"
#include "zpk/reader.h"
#include "zpk/zpk.h"

namespace {

enum Exit {
  kExitOk = 0,
  kExitUsage = 1,
  kExitCannotOpen = 2,
  kExitDamaged = 3,
  kExitMissingVolume = 4,
  kExitWrite = 5,
};

const char kHelp[] =
    "usage: zpk add [--volume-size BYTES] [--full-path] ARCHIVE FILE...\n"
    "       zpk list ARCHIVE\n"
    "       zpk test ARCHIVE\n"
    "       zpk extract ARCHIVE DIR\n"
    "\n"
    "ARCHIVE is a .ZPK file (\".ZPK\" is added to a name without extension) or the\n"
    "first volume of a build, DISK1\\SETUP.EXE; further volumes are NAME.2, NAME.3,\n"
    "... beside it, or DISKn\\SETUP.n in the sibling folders of DISK1.\n"
    "\n"
    "add        adds (or replaces) files; with --volume-size the archive continues\n"
    "           in further volumes of at most BYTES each\n"
    "list       lists every file of every volume\n"
    "test       checks every record and every file's CRC\n"
    "extract    writes every file below DIR (never outside it)\n"
    "\n"
    "exit codes: 0 success, 1 usage, 2 cannot open or no archive, 3 damaged archive\n"
    "or file, 4 missing volume, 5 cannot write\n";

int Usage() {
  std::fputs(kHelp, stderr);
  return kExitUsage;
}

int ExitFor(const kw::zpk::ReadError& e) {
  using kw::zpk::ReadStatus;
  switch (e.status) {
    case ReadStatus::kOk: return kExitOk;
    case ReadStatus::kCannotOpen:
    case ReadStatus::kNotArchive: return kExitCannotOpen;
    case ReadStatus::kMissingVolume: return kExitMissingVolume;
    case ReadStatus::kWriteError: return kExitWrite;
    default: return kExitDamaged;
  }
}

// A name or message as it may reach a terminal: control characters (which
// could move the cursor or fake lines) shown as \xNN.
std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string g_firstVolume;

int AddCallback(int kind, void* record, ArchiveUserValue) {
  if (kind != kArchiveCallbackNextVolume) return 1;
  auto* req = static_cast<NextVolumeRequest*>(record);
  std::string p = kw::zpk::VolumePathFor(g_firstVolume, req->volume);
  if (p.size() >= sizeof req->name) return 0;
  std::error_code ec;
  std::filesystem::path parent = std::filesystem::path(p).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  std::strcpy(req->name, p.c_str());
  std::printf("volume %u: %s\n", unsigned(req->volume), p.c_str());
  return 1;
}

// The volume that new files go into. An archive that spans volumes goes on
// in its last one: an add to the first would start volume 2 afresh over the
// one that is there. A file stored in an earlier volume cannot be replaced
// there, so such an add is refused before anything is written.
int AddTarget(const std::vector<std::string>& files, uint32_t addOptions, std::string& target) {
  target = g_firstVolume;
  std::error_code ec;
  if (!std::filesystem::exists(g_firstVolume, ec)) return kExitOk;
  kw::zpk::ArchiveReader r;
  kw::zpk::ReadError e = r.Open(g_firstVolume);
  if (e.status == kw::zpk::ReadStatus::kNotArchive) return kExitOk;  // a loader: appended to
  if (!e.ok()) {
    std::fprintf(stderr, "zpk: cannot add to %s: %s\n", g_firstVolume.c_str(), Printable(e.message).c_str());
    return ExitFor(e);
  }
  if (r.volumes().size() < 2) return kExitOk;
  const size_t last = r.volumes().size() - 1;
  for (const std::string& file : files) {
    std::string longName, shortName;
    if (!kw::zpk::StoredNames(file, addOptions, longName, shortName)) continue;  // refused by the add
    for (const kw::zpk::ArchivedFile& f : r.files()) {
      if (f.pieces.front().volume == last) continue;
      if (kw::zpk::NameMatches(longName, f.entry.shortName) ||
          (!f.entry.longName.empty() && kw::zpk::NameMatches(longName, f.entry.longName))) {
        std::fprintf(stderr,
                     "zpk: cannot replace %s: it is stored in volume %u of an archive that spans %zu volumes\n",
                     Printable(f.name).c_str(), unsigned(r.volumes()[f.pieces.front().volume].number),
                     r.volumes().size());
        return kExitWrite;
      }
    }
  }
  target = r.volumes()[last].name;
  return kExitOk;
}

int Add(std::vector<std::string> args) {
  uint32_t limit = kArchiveNoLimit;
  uint32_t addOptions = 0;
  while (!args.empty() && args[0].compare(0, 2, "--") == 0) {
    if (args[0] == "--full-path") {
      addOptions |= kArchiveAddFullPath;
      args.erase(args.begin());
    } else if (args[0] == "--volume-size" && args.size() > 1) {
      char* end = nullptr;
      unsigned long long v = std::strtoull(args[1].c_str(), &end, 10);
      if (*end || v < 4096 || v >= kArchiveNoLimit) {
        std::fprintf(stderr, "zpk: --volume-size needs a number from 4096 to 4294967294\n");
        return kExitUsage;
      }
      limit = uint32_t(v);
      args.erase(args.begin(), args.begin() + 2);
    } else {
      return Usage();
    }
  }
  if (args.size() < 2) return Usage();
  g_firstVolume = args[0];
  if (std::filesystem::path(g_firstVolume).extension().empty()) g_firstVolume += ".ZPK";
  std::string target;
  int rc = AddTarget(std::vector<std::string>(args.begin() + 1, args.end()), addOptions, target);
  if (rc != kExitOk) return rc;
  ArchiveStartup();
  // An existing archive is continued; a file without one (a loader) gets
  // one appended; a missing file is created.
  ArchiveHandle h = ArchiveOpenSized(target.c_str(), kArchiveOpenNoCreate, AddCallback, limit);
  if (!h && ArchiveGetLastError() == kZpkNoArchive)
    h = ArchiveOpenSized(target.c_str(), kArchiveOpenAppend, AddCallback, limit);
  else if (!h && ArchiveGetLastError() == kZpkCannotOpen)
    h = ArchiveOpenSized(target.c_str(), 0, AddCallback, limit);
  if (!h) {
    std::fprintf(stderr, "zpk: cannot open archive %s (error %u)\n", target.c_str(), ArchiveGetLastError());
    return ArchiveGetLastError() == kZpkChecksum || ArchiveGetLastError() == kZpkShortRead ? kExitDamaged
                                                                                           : kExitCannotOpen;
  }
  for (size_t i = 1; i < args.size(); ++i) {
    if (!ArchiveAddFile(h, args[i].c_str(), addOptions)) {
      uint32_t e = ArchiveGetLastError();
      const char* why = e == kZpkNameTooLong ? ": its stored name is longer than 255 characters"
                        : e == kZpkTooLarge    ? ": it or the archive is too large for the format (4 GB)"
                        : e == kZpkCannotOpen  ? ": cannot open it"
                                               : "";
      std::fprintf(stderr, "zpk: cannot add %s%s (error %u)\n", args[i].c_str(), why, e);
      rc = e == kZpkCannotOpen ? kExitCannotOpen : kExitWrite;
      break;
    }
    std::printf("added %s\n", args[i].c_str());
  }
  if (!ArchiveClose(h) && rc == kExitOk) rc = kExitWrite;
  ArchiveShutdown();
  return rc;
}

bool OpenReader(kw::zpk::ArchiveReader& r, const std::string& path, int& rc) {
  kw::zpk::ReadError e = r.Open(path);
  if (!e.ok()) {
    std::fprintf(stderr, "zpk: %s\n", Printable(e.message).c_str());
    rc = ExitFor(e);
    return false;
  }
  return true;
}

int List(const std::string& path) {
  kw::zpk::ArchiveReader r;
  int rc = kExitOk;
  if (!OpenReader(r, path, rc)) return rc;
  std::printf("%-6s %-7s %10s %10s %-8s %s\n", "volume", "method", "packed", "size", "crc", "name");
  uint64_t packed = 0, size = 0;
  for (const kw::zpk::ArchivedFile& f : r.files()) {
    const char* method = f.entry.method == kw::zpk::kMethodStored ? "stored"
                         : f.entry.method == kw::zpk::kMethodDeflate ? "deflate" : "?";
    std::string vol = std::to_string(r.volumes()[f.pieces.front().volume].number);
    if (f.pieces.size() > 1) vol += "-" + std::to_string(r.volumes()[f.pieces.back().volume].number);
    std::printf("%-6s %-7s %10llu %10u %08X %s\n", vol.c_str(), method, (unsigned long long)f.packedTotal,
                unsigned(f.entry.unpacked), unsigned(f.crc), Printable(f.name).c_str());
    packed += f.packedTotal;
    size += f.entry.unpacked;
  }
  std::printf("%zu files in %zu volumes, %llu bytes packed, %llu bytes unpacked\n", r.files().size(),
              r.volumes().size(), (unsigned long long)packed, (unsigned long long)size);
  return kExitOk;
}

int TestOrExtract(const std::string& path, const std::string* dir) {
  kw::zpk::ArchiveReader r;
  int rc = kExitOk;
  if (!OpenReader(r, path, rc)) return rc;
  size_t bad = 0;
  auto report = [&](const kw::zpk::ArchivedFile& f, const kw::zpk::ReadError& e) {
    if (e.ok()) {
      std::printf("ok      %s\n", Printable(f.name).c_str());
    } else {
      ++bad;
      std::printf("FAILED  %s\n", Printable(e.message).c_str());
    }
  };
  kw::zpk::ReadError e = dir ? r.Extract(*dir, report) : r.Test(report);
  if (!e.ok()) {
    std::fprintf(stderr, "zpk: %zu of %zu files failed; first: %s\n", bad, r.files().size(),
                 Printable(e.message).c_str());
    return ExitFor(e);
  }
  std::printf("%zu files ok\n", r.files().size());
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "/?") {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  std::string cmd = args[0];
  args.erase(args.begin());
  if (cmd == "add") return Add(args);
  if (cmd == "list" && args.size() == 1) return List(args[0]);
  if (cmd == "test" && args.size() == 1) return TestOrExtract(args[0], nullptr);
  if (cmd == "extract" && args.size() == 2) return TestOrExtract(args[0], &args[1]);
  return Usage();
}
