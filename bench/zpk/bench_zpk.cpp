// Adds a mixed corpus of about 100 MB to one archive and compares the time
// and size with a reference measured in the same run: the same files
// deflated by zlib at level 9 in 2048-byte blocks into memory.
//
// usage: bench_zpk [--runs N] [--scale PERCENT] [WORKDIR]
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "zpk/zpk.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

struct File {
  std::string path;
  Bytes data;
};

Bytes TextLike(size_t n, std::mt19937& g) {
  static const char* const words[] = {"the ", "setup ", "program ", "installs ", "files ", "into ",
                                      "folder ", "registry ", "key ", "value ", "Windows ", "version ",
                                      "error ", "disk ", "copy ", "\r\n", "= ", "[Section]\r\n"};
  Bytes b;
  b.reserve(n);
  while (b.size() < n) {
    const char* w = words[g() % (sizeof words / sizeof *words)];
    while (*w) b.push_back(uint8_t(*w++));
    if (g() % 5 == 0) {
      std::string num = std::to_string(g() % 100000) + " ";
      b.insert(b.end(), num.begin(), num.end());
    }
  }
  b.resize(n);
  return b;
}

// Code-like bytes: runs copied from a small dictionary of random chunks,
// with mutations and sprinkled tables of small integers.
Bytes BinaryLike(size_t n, std::mt19937& g) {
  std::vector<Bytes> dict(64);
  for (auto& d : dict) {
    d.resize(16 + g() % 240);
    for (auto& x : d) x = uint8_t(g() % 4 ? g() % 64 : g());
  }
  Bytes b;
  b.reserve(n);
  while (b.size() < n) {
    const Bytes& d = dict[g() % dict.size()];
    b.insert(b.end(), d.begin(), d.end());
    if (g() % 3 == 0) b.push_back(uint8_t(g()));
    if (g() % 50 == 0) b.insert(b.end(), 32 + g() % 200, 0);
  }
  b.resize(n);
  return b;
}

Bytes Random(size_t n, std::mt19937& g) {
  Bytes b(n);
  for (auto& x : b) x = uint8_t(g());
  return b;
}

Bytes Compressed(size_t n, std::mt19937& g) {
  Bytes src = TextLike(n * 4, g);
  uLongf len = compressBound(uLong(src.size()));
  Bytes out(len);
  compress2(out.data(), &len, src.data(), uLong(src.size()), 1);
  out.resize(std::min<size_t>(len, n));
  return out;
}

std::vector<File> MakeCorpus(const fs::path& dir, int scale) {
  std::mt19937 g(12345);
  std::vector<File> files;
  auto add = [&](const std::string& name, Bytes data) {
    files.push_back({(dir / name).string(), std::move(data)});
  };
  auto sz = [&](size_t n) { return std::max<size_t>(1, n * size_t(scale) / 100); };
  for (int i = 0; i < 40; ++i) add("bin" + std::to_string(i) + ".dll", BinaryLike(sz(1000000 + g() % 200000), g));
  for (int i = 0; i < 100; ++i) add("doc" + std::to_string(i) + ".txt", TextLike(sz(150000 + g() % 100000), g));
  add("big.log", TextLike(sz(12000000), g));
  for (int i = 0; i < 12; ++i) add("pack" + std::to_string(i) + ".cab", Compressed(sz(1200000), g));
  for (int i = 0; i < 5; ++i) add("noise" + std::to_string(i) + ".bin", Random(sz(3000000), g));
  for (int i = 0; i < 300; ++i) add("tiny" + std::to_string(i) + ".ini", TextLike(1 + g() % 500, g));
  for (int i = 0; i < 20; ++i) add("empty" + std::to_string(i) + ".dat", {});
  fs::create_directories(dir);
  for (const File& f : files) {
    std::ofstream o(f.path, std::ios::binary);
    o.write(reinterpret_cast<const char*>(f.data.data()), std::streamsize(f.data.size()));
  }
  return files;
}

// The reference: zlib level 9, 2048-byte blocks, output into memory.
size_t Reference(const Bytes& in) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  Bytes out;
  uint8_t buf[2048];
  size_t pos = 0;
  int flush = Z_NO_FLUSH;
  do {
    size_t n = std::min<size_t>(2048, in.size() - pos);
    z.next_in = const_cast<Bytef*>(in.data() + pos);
    z.avail_in = uInt(n);
    pos += n;
    flush = pos == in.size() ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = buf;
      z.avail_out = sizeof buf;
      deflate(&z, flush);
      out.insert(out.end(), buf, buf + (sizeof buf - z.avail_out));
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&z);
  return out.size();
}

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

}  // namespace

int main(int argc, char** argv) {
  int runs = 3, scale = 100;
  fs::path work = fs::temp_directory_path() / "kw-bench-zpk";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--scale" && i + 1 < argc) scale = std::max(1, std::atoi(argv[++i]));
    else work = a;
  }
  fs::remove_all(work);
  std::vector<File> files = MakeCorpus(work / "corpus", scale);
  uint64_t total = 0;
  for (const File& f : files) total += f.data.size();
  std::printf("corpus: %zu files, %.1f MB\n", files.size(), total / 1e6);

  // File by file, the two sides alternate, so that the load of a shared
  // machine falls on both alike; process CPU time is summed besides wall time.
  double refBest = 1e30, arcBest = 1e30, refCpuBest = 1e30, arcCpuBest = 1e30;
  uint64_t refSize = 0, arcSize = 0;
  std::string archive = (work / "BENCH.ZPK").string();
  for (int r = 0; r < runs; ++r) {
    fs::remove(archive);
    double refT = 0, arcT = 0, refC = 0, arcC = 0;
    std::map<std::string, std::pair<double, double>> byKind;  // cpu: reference, archive
    uint64_t size = 0;
    ArchiveHandle h = ArchiveOpen(archive.c_str(), kArchiveOpenCreate, nullptr);
    for (size_t i = 0; i < files.size(); ++i) {
      const File& f = files[i];
      for (int side = 0; side < 2; ++side) {
        bool ref = (side == 0) == ((i + size_t(r)) % 2 == 0);
        auto t0 = Clock::now();
        std::clock_t c0 = std::clock();
        if (ref) {
          size += std::min(Reference(f.data), f.data.size());
        } else if (!ArchiveAddFile(h, f.path.c_str(), 0)) {
          std::fprintf(stderr, "add %s failed: %u\n", f.path.c_str(), ArchiveGetLastError());
          return 1;
        }
        double wall = Seconds(t0, Clock::now());
        double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
        (ref ? refT : arcT) += wall;
        (ref ? refC : arcC) += cpu;
        std::string kind = fs::path(f.path).filename().string();
        kind = kind.substr(0, kind.find_first_of("0123456789."));
        (ref ? byKind[kind].first : byKind[kind].second) += cpu;
      }
    }
    auto t0 = Clock::now();
    std::clock_t c0 = std::clock();
    ArchiveClose(h);
    arcT += Seconds(t0, Clock::now());
    arcC += double(std::clock() - c0) / CLOCKS_PER_SEC;
    refSize = size;
    arcSize = fs::file_size(archive);
    std::printf("run %d: reference %.3f s (cpu %.3f), archive %.3f s (cpu %.3f)\n", r + 1, refT, refC, arcT, arcC);
    for (const auto& k : byKind)
      std::printf("  %-6s cpu reference %.3f s, archive %.3f s\n", k.first.c_str(), k.second.first, k.second.second);
    refBest = std::min(refBest, refT);
    arcBest = std::min(arcBest, arcT);
    refCpuBest = std::min(refCpuBest, refC);
    arcCpuBest = std::min(arcCpuBest, arcC);
  }
  double timeRatio = arcBest / refBest;
  double cpuRatio = arcCpuBest / refCpuBest;
  double sizeRatio = double(arcSize) / double(refSize);
  std::printf("reference: %.3f s, %llu bytes (zlib level 9, 2048-byte blocks, into memory; stored size where smaller)\n",
              refBest, (unsigned long long)refSize);
  std::printf("archive:   %.3f s, %llu bytes\n", arcBest, (unsigned long long)arcSize);
  std::printf("cpu:       reference %.3f s, archive %.3f s\n", refCpuBest, arcCpuBest);
  std::printf("time ratio %.4f, cpu ratio %.4f (goal <= 1.10), size ratio %.4f (goal <= 1.005)\n", timeRatio,
              cpuRatio, sizeRatio);
  fs::remove_all(work);
  return cpuRatio <= 1.10 && sizeRatio <= 1.005 ? 0 : 2;
}
