// Writes the seed corpus of fuzz_zpk: small valid archives (single and
// multi-volume, appended to a loader, stored and deflated entries) and
// damaged copies of them.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "zpk/zpk.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

const char kSep[] = "\n--ZPK-VOLUME--\n";
std::string g_tmp;

Bytes Read(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}
void Write(const std::string& p, const Bytes& b) {
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

int NextVolume(int kind, void* rec, ArchiveUserValue) {
  if (kind != kArchiveCallbackNextVolume) return 1;
  auto* r = static_cast<NextVolumeRequest*>(rec);
  std::snprintf(r->name, sizeof r->name, "%s/V.%u", g_tmp.c_str(), unsigned(r->volume));
  return 1;
}

// Builds an archive from (name, bytes) files; returns its volumes joined.
Bytes Make(const std::vector<std::pair<std::string, Bytes>>& files, uint32_t limit, const Bytes& loader) {
  fs::remove_all(g_tmp);
  fs::create_directories(g_tmp);
  std::string first = g_tmp + "/V.EXE";
  if (!loader.empty()) Write(first, loader);
  ArchiveHandle h = ArchiveOpenSized(first.c_str(), loader.empty() ? 0 : 0x10008, NextVolume, limit);
  for (auto& f : files) {
    std::string p = g_tmp + "/" + f.first;
    Write(p, f.second);
    ArchiveAddFile(h, p.c_str(), 0);
  }
  ArchiveClose(h);
  Bytes out = Read(first);
  for (unsigned v = 2; fs::exists(g_tmp + "/V." + std::to_string(v)); ++v) {
    out.insert(out.end(), kSep, kSep + sizeof kSep - 1);
    Bytes b = Read(g_tmp + "/V." + std::to_string(v));
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

Bytes Text(size_t n) {
  Bytes b;
  for (size_t i = 0; b.size() < n; ++i) {
    std::string w = "line " + std::to_string(i * 7919 % 1000) + " of setup text\r\n";
    b.insert(b.end(), w.begin(), w.end());
  }
  b.resize(n);
  return b;
}

Bytes Random(size_t n) {
  std::mt19937 g(7);
  Bytes b(n);
  for (auto& x : b) x = uint8_t(g());
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus DIR\n");
    return 1;
  }
  std::string dir = argv[1];
  g_tmp = (fs::temp_directory_path() / "zpk-corpus-work").string();
  kw::SetFixedClock(1000000000u);
  fs::create_directories(dir);
  Bytes loader(300, 'M');
  struct Seed {
    const char* name;
    Bytes bytes;
  };
  std::vector<Seed> seeds = {
      {"empty-archive", Make({}, kArchiveNoLimit, {})},
      {"one-text", Make({{"SETUP.INF", Text(600)}}, kArchiveNoLimit, {})},
      {"stored-and-deflated", Make({{"A.TXT", Text(3000)}, {"B.BIN", Random(500)}, {"E", {}}}, kArchiveNoLimit, {})},
      {"appended", Make({{"SETUP.INF", Text(900)}}, kArchiveNoLimit, loader)},
      {"three-volumes", Make({{"BIG.TXT", Random(4000)}, {"T.TXT", Text(5000)}}, 4096, {})},
      {"volumes-with-loader", Make({{"X.BIN", Random(3000)}, {"Y.TXT", Text(9000)}}, 4096, loader)},
  };
  size_t n = seeds.size();
  for (size_t i = 0; i < n; ++i) {
    const Bytes& b = seeds[i].bytes;
    std::string base = seeds[i].name;
    if (b.size() > 60) {
      Bytes cut(b.begin(), b.begin() + long(b.size() / 2));
      seeds.push_back({strdup((base + "-cut").c_str()), cut});
      Bytes flip = b;
      flip[45] ^= 0x10;
      seeds.push_back({strdup((base + "-flip").c_str()), flip});
      Bytes bigPacked = b;
      // The first entry's packed size (after a 32 + 5 byte header) set huge.
      if (bigPacked.size() > 37 + 24) bigPacked[37 + 20] = 0x7F;
      seeds.push_back({strdup((base + "-packed").c_str()), bigPacked});
    }
  }
  for (const Seed& s : seeds) Write(dir + "/" + s.name, s.bytes);
  fs::remove_all(g_tmp);
  std::printf("%zu seeds in %s\n", seeds.size(), dir.c_str());
  return 0;
}
