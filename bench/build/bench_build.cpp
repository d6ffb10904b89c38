// Builds a project of about 100 MB in a few hundred files and compares the
// time with a reference measured in the same run: every file deflated by
// zlib at level 9 in 2048-byte blocks into memory.
//
// usage: bench_build [--runs N] [--disk-size BYTES] [WORKDIR]
// The corpus: programs and libraries of this machine (real code), text of
// this repository's sources, random bytes, runs of zeros, and many tiny and
// empty files.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "build/engine.h"
#include "model/project.h"
#include "platform/clock.h"
#include "projfile/projfile.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

struct NoStrings : kw::IStringSource {
  bool Text(uint16_t, std::string&) override { return false; }
};

struct StubLoader : kw::ILoaderSource {
  bool DropSetup(uint16_t, const std::string& folder, uint32_t, uint32_t& offset) override {
    Bytes image(4096, 0);
    image[0] = 'M';
    image[1] = 'Z';
    std::ofstream(folder + "/SETUP.EXE", std::ios::binary).write(reinterpret_cast<char*>(image.data()), 4096);
    offset = 1024;
    return true;
  }
};

struct Quiet : kw::IBuildReporter {
  void LogLine(const std::string& l) override { log.push_back(l); }
  void CurrentFile(const std::string&) override {}
  void Progress(unsigned, unsigned) override {}
  std::vector<std::string> log;
};

void Put(const fs::path& p, const Bytes& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes Read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

// Files of at least min bytes below dir, until limit bytes are collected.
std::vector<fs::path> Collect(const fs::path& dir, uint64_t limit, uint64_t min, size_t maxFiles) {
  std::vector<fs::path> out;
  uint64_t total = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end && total < limit && out.size() < maxFiles; it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    uint64_t size = it->file_size(ec);
    if (ec || size < min || size > 8u << 20) continue;
    out.push_back(it->path());
    total += size;
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<fs::path> MakeCorpus(const fs::path& work, const fs::path& repo) {
  fs::path dir = work / "corpus";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<fs::path> files;
  std::mt19937 g(1997);
  int n = 0;
  auto add = [&](const Bytes& b) {
    fs::path p = dir / ("f" + std::to_string(n++) + ".dat");
    Put(p, b);
    files.push_back(p);
  };
  for (const auto& p : Collect("/usr/lib", 45u << 20, 20000, 220)) add(Read(p));  // code
  Bytes text;
  for (const auto& p : Collect(repo / "src", 1u << 30, 1, 100000)) {
    Bytes t = Read(p);
    text.insert(text.end(), t.begin(), t.end());
  }
  for (int i = 0; i < 40 && !text.empty(); ++i) {  // text, about 20 MB
    Bytes t;
    while (t.size() < 500000) t.insert(t.end(), text.begin() + g() % (text.size() / 2), text.end());
    t.resize(500000);
    add(t);
  }
  for (int i = 0; i < 20; ++i) {  // incompressible, 20 MB
    Bytes r(1u << 20);
    for (auto& c : r) c = uint8_t(g());
    add(r);
  }
  for (int i = 0; i < 4; ++i) add(Bytes(2500000, 0));  // zeros
  for (int i = 0; i < 150; ++i) {                      // tiny and empty
    Bytes t(g() % 300);
    for (auto& c : t) c = uint8_t('a' + g() % 26);
    add(i % 10 == 0 ? Bytes() : t);
  }
  return files;
}

double Reference(const std::vector<fs::path>& files, uint64_t& packed) {
  packed = 0;
  auto t0 = Clock::now();
  Bytes out(1u << 16);
  for (const auto& p : files) {
    Bytes data = Read(p);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    size_t pos = 0;
    int flush = Z_NO_FLUSH;
    do {
      size_t n = std::min<size_t>(2048, data.size() - pos);
      z.next_in = data.data() + pos;
      z.avail_in = uInt(n);
      pos += n;
      flush = pos == data.size() ? Z_FINISH : Z_NO_FLUSH;
      int r;
      do {
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        r = deflate(&z, flush);
        packed += out.size() - z.avail_out;
      } while (z.avail_out == 0 || (flush == Z_FINISH && r != Z_STREAM_END));
    } while (flush != Z_FINISH);
    deflateEnd(&z);
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  uint32_t disk = 713031680;
  fs::path work = fs::temp_directory_path() / "kw-bench-build";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--disk-size" && i + 1 < argc) disk = uint32_t(std::strtoul(argv[++i], nullptr, 10));
    else work = a;
  }
  fs::path repo = fs::path(__FILE__).parent_path().parent_path().parent_path();
  fs::create_directories(work);
  kw::SetFixedClock(1000000000);
  std::vector<fs::path> files = MakeCorpus(work, repo);
  uint64_t total = 0;
  for (const auto& p : files) total += fs::file_size(p);

  CKitwrightProject project;
  project.OnNewDocument();
  project.m_strProductName = "Bench";
  project.m_strCompanyName = "Brantel";
  project.m_pGroups->m_pChild->AddIcon("Bench", "%INSTALLDIR%\\BENCH.EXE");
  for (const auto& p : files) project.m_pPackages->AddFile(p.string().c_str());
  project.m_dwDiskSize = disk;
  if (kw::SaveProject(project, (work / "bench.kwr").string()) != kw::kProjectOk) {
    std::fprintf(stderr, "cannot save the project in %s\n", work.string().c_str());
    return 1;
  }

  double best = 1e9, bestRef = 1e9;
  uint64_t refPacked = 0, built = 0;
  for (int r = 0; r < runs; ++r) {
    bestRef = std::min(bestRef, Reference(files, refPacked));
    NoStrings strings;
    StubLoader loader;
    Quiet reporter;
    kw::BuildParams p;
    p.project = &project;
    p.outputDir = project.GetOutputDirectory();
    p.capacity = disk;
    p.strings = &strings;
    p.loader = &loader;
    p.reporter = &reporter;
    auto t0 = Clock::now();
    kw::BuildResult res = kw::RunBuildOnThread(p);
    double t = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!res.succeeded()) {
      std::fprintf(stderr, "build failed:\n");
      for (const auto& l : reporter.log) std::fprintf(stderr, "  %s\n", l.c_str());
      return 1;
    }
    best = std::min(best, t);
    built = 0;
    for (const auto& e : fs::recursive_directory_iterator(p.outputDir))
      if (e.is_regular_file()) built += e.file_size();
  }
  std::printf("corpus          %zu files, %.1f MB\n", files.size(), total / 1e6);
  std::printf("reference       %.3f s, %.1f MB (zlib level 9, 2048-byte blocks, in memory)\n", bestRef,
              refPacked / 1e6);
  std::printf("build           %.3f s, %.1f MB (all volumes, loader included)\n", best, built / 1e6);
  std::printf("time ratio      %.3f\n", best / bestRef);
  std::printf("size ratio      %.4f\n", double(built) / double(refPacked));
  return 0;
}
