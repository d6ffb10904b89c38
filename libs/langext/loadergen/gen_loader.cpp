// Build-machine tool: writes the stand-in setup loaders (minimal MZ + NE
// images whose resource table holds the 1024-byte disk-map area, type 260
// id 3) and the extension icon. Runs on the build host, so standard C++ only.
//
//   gen_loader loader 1|2 <out>   loader for 16-bit (1) or 32-bit (2) setups
//   gen_loader icon <out>         16x16 32-bit icon file
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, unsigned v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
void Add16(Bytes& b, unsigned v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Add32(Bytes& b, uint32_t v) {
  Add16(b, v & 0xFFFF);
  Add16(b, v >> 16);
}
void AddName(Bytes& b, const std::string& s) {
  b.push_back(static_cast<uint8_t>(s.size()));
  b.insert(b.end(), s.begin(), s.end());
}

constexpr unsigned kShift = 4;  // resources aligned to 16 bytes
constexpr uint16_t kInt = 0x8000;

struct Resource {
  uint16_t type;
  uint16_t id;
  Bytes data;
};

Bytes Filled(const char* marker, size_t size) {
  Bytes b(size, 0);
  std::memcpy(b.data(), marker, std::strlen(marker));
  return b;
}

Bytes MakeLoader(int kind) {
  std::vector<Resource> resources;
  if (kind == 1) {
    // A neighbour of the disk map in its own type: the walk must pick id 3.
    resources.push_back({260, 2, Filled("KWNOTMAP", 16)});
    resources.push_back({260, 3, Filled("KWDSKMAP", 1024)});
  } else {
    // Another type first: the walk must step over it.
    resources.push_back({10, 1, Filled("KWRCDATA", 32)});
    resources.push_back({260, 3, Filled("KWDSKMAP", 1024)});
  }
  const std::string module = kind == 1 ? "KWSETUP1" : "KWSETUP2";

  // MZ header and a DOS stub that says what this is.
  Bytes img(0x80, 0);
  static const uint8_t stub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                                 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
  static const char message[] = "This program requires Microsoft Windows.\r\n$";
  img[0] = 'M';
  img[1] = 'Z';
  Put16(img, 2, 0x80);  // bytes in the last page
  Put16(img, 4, 1);     // pages
  Put16(img, 8, 4);     // header paragraphs
  Put16(img, 12, 0xFFFF);
  Put16(img, 16, 0xB8);  // sp
  Put16(img, 24, 0x40);  // relocation table offset: new-style executable
  Put32(img, 60, 0x80);  // NE header
  std::memcpy(&img[0x40], stub, sizeof stub);
  std::memcpy(&img[0x40 + sizeof stub], message, sizeof message - 1);

  // Tables after the 64-byte NE header, offsets relative to it.
  Bytes tables;
  const size_t resTable = 0x40;
  Add16(tables, kShift);
  std::vector<size_t> infoAt;  // where each resource's offset field goes
  for (size_t i = 0; i < resources.size();) {
    size_t j = i;
    while (j < resources.size() && resources[j].type == resources[i].type)
      ++j;
    Add16(tables, kInt | resources[i].type);
    Add16(tables, static_cast<unsigned>(j - i));
    Add32(tables, 0);
    for (size_t k = i; k < j; ++k) {
      infoAt.push_back(tables.size());
      Add16(tables, 0);  // offset, set below
      Add16(tables, static_cast<unsigned>(resources[k].data.size() >> kShift));
      Add16(tables, 0x0030);  // moveable, pure
      Add16(tables, kInt | resources[k].id);
      Add32(tables, 0);
    }
    i = j;
  }
  Add16(tables, 0);       // end of types
  tables.push_back(0);    // no resource names
  const size_t resident = resTable + tables.size();
  AddName(tables, module);
  Add16(tables, 0);
  tables.push_back(0);
  const size_t modRef = resTable + tables.size();
  const size_t imported = modRef;
  tables.push_back(0);
  const size_t entry = resTable + tables.size();
  tables.push_back(0);
  const size_t entryLength = 1;
  const size_t nonResident = 0x80 + resTable + tables.size();
  const size_t nonResidentStart = tables.size();
  AddName(tables, "Kitwright setup loader");
  Add16(tables, 0);
  tables.push_back(0);
  const size_t nonResidentSize = tables.size() - nonResidentStart;

  Bytes ne(0x40, 0);
  ne[0] = 'N';
  ne[1] = 'E';
  ne[2] = 5;
  Put16(ne, 0x04, static_cast<unsigned>(entry));
  Put16(ne, 0x06, entryLength);
  Put16(ne, 0x0C, 0x0302);  // multiple data, Windows API
  Put16(ne, 0x10, 0x1000);  // heap
  Put16(ne, 0x12, 0x2000);  // stack
  Put16(ne, 0x20, static_cast<unsigned>(nonResidentSize));
  Put16(ne, 0x22, resTable);  // no segments
  Put16(ne, 0x24, resTable);
  Put16(ne, 0x26, static_cast<unsigned>(resident));
  Put16(ne, 0x28, static_cast<unsigned>(modRef));
  Put16(ne, 0x2A, static_cast<unsigned>(imported));
  Put32(ne, 0x2C, static_cast<uint32_t>(nonResident));
  Put16(ne, 0x32, kShift);
  Put16(ne, 0x34, static_cast<unsigned>(resources.size()));
  ne[0x36] = 2;              // Windows
  Put16(ne, 0x3E, 0x030A);   // Windows 3.1

  img.insert(img.end(), ne.begin(), ne.end());
  const size_t tablesAt = img.size();
  img.insert(img.end(), tables.begin(), tables.end());
  for (size_t i = 0; i < resources.size(); ++i) {
    while (img.size() % (1u << kShift))
      img.push_back(0);
    Put16(img, tablesAt + infoAt[i], static_cast<unsigned>(img.size() >> kShift));
    img.insert(img.end(), resources[i].data.begin(), resources[i].data.end());
  }
  return img;
}

Bytes MakeIcon() {
  const int w = 16, h = 16;
  Bytes img;
  Add32(img, 40);
  Add32(img, w);
  Add32(img, h * 2);  // colour and mask
  Add16(img, 1);
  Add16(img, 32);
  for (int i = 0; i < 6; ++i)
    Add32(img, 0);
  // Rows from the bottom: a dark blue disk with a lighter border.
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      int dx = 2 * x - 15, dy = 2 * y - 15;
      int r2 = dx * dx + dy * dy;
      uint32_t argb = 0;
      if (r2 <= 15 * 15)
        argb = r2 >= 12 * 12 ? 0xFF6090E0u : 0xFF102870u;
      Add32(img, argb);
    }
  }
  for (int y = 0; y < h; ++y)
    Add32(img, 0);  // AND mask: the alpha channel decides
  Bytes ico;
  Add16(ico, 0);
  Add16(ico, 1);
  Add16(ico, 1);
  ico.push_back(w);
  ico.push_back(h);
  ico.push_back(0);
  ico.push_back(0);
  Add16(ico, 1);
  Add16(ico, 32);
  Add32(ico, static_cast<uint32_t>(img.size()));
  Add32(ico, 22);
  ico.insert(ico.end(), img.begin(), img.end());
  return ico;
}

bool Write(const char* path, const Bytes& b) {
  FILE* f = std::fopen(path, "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  Bytes out;
  const char* path = nullptr;
  if (argc == 4 && std::strcmp(argv[1], "loader") == 0 &&
      (std::strcmp(argv[2], "1") == 0 || std::strcmp(argv[2], "2") == 0)) {
    out = MakeLoader(argv[2][0] - '0');
    path = argv[3];
  } else if (argc == 3 && std::strcmp(argv[1], "icon") == 0) {
    out = MakeIcon();
    path = argv[2];
  } else {
    std::fprintf(stderr, "usage: gen_loader loader 1|2 OUT | gen_loader icon OUT\n");
    return 2;
  }
  if (!Write(path, out)) {
    std::fprintf(stderr, "gen_loader: cannot write %s\n", path);
    return 1;
  }
  return 0;
}
