// Draws the bitmaps, icons and cursors of the UI resource libraries in the
// manner of a Windows 95 program: the 20 system colours, bevelled edges,
// magenta where image lists take their mask. Run on the build machine:
//   draw_art <output folder>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using u8 = uint8_t;
using u32 = uint32_t;

struct Rgb {
  u8 r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator<(const Rgb& o) const {
    return (r << 16 | g << 8 | b) < (o.r << 16 | o.g << 8 | o.b);
  }
};

const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kGrey{192, 192, 192}, kDark{128, 128, 128},
    kNavy{0, 0, 128}, kBlue{0, 0, 255}, kTeal{0, 128, 128}, kCyan{0, 255, 255},
    kYellow{255, 255, 0}, kOlive{128, 128, 0}, kRed{255, 0, 0}, kMaroon{128, 0, 0},
    kGreen{0, 128, 0}, kLime{0, 255, 0}, kMagenta{255, 0, 255}, kPurple{128, 0, 128};

struct Canvas {
  int w, h;
  std::vector<Rgb> px;
  Canvas(int w_, int h_, Rgb fill) : w(w_), h(h_), px(w_ * h_, fill) {}
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < w && y < h)
      px[y * w + x] = c;
  }
  Rgb Get(int x, int y) const { return px[y * w + x]; }
  void Fill(int x, int y, int cx, int cy, Rgb c) {
    for (int j = y; j < y + cy; ++j)
      for (int i = x; i < x + cx; ++i)
        Set(i, j, c);
  }
  void HLine(int x, int y, int cx, Rgb c) { Fill(x, y, cx, 1, c); }
  void VLine(int x, int y, int cy, Rgb c) { Fill(x, y, 1, cy, c); }
  void Frame(int x, int y, int cx, int cy, Rgb c) {
    HLine(x, y, cx, c);
    HLine(x, y + cy - 1, cx, c);
    VLine(x, y, cy, c);
    VLine(x + cx - 1, y, cy, c);
  }
  // Raised edge of a button or window; sunken when in is set.
  void Bevel(int x, int y, int cx, int cy, bool in = false) {
    Rgb a = in ? kDark : kWhite, b = in ? kWhite : kBlack, c = in ? kBlack : kGrey,
        d = in ? kGrey : kDark;
    HLine(x, y, cx, a);
    VLine(x, y, cy, a);
    HLine(x, y + cy - 1, cx, b);
    VLine(x + cx - 1, y, cy, b);
    HLine(x + 1, y + 1, cx - 2, c);
    VLine(x + 1, y + 1, cy - 2, c);
    HLine(x + 1, y + cy - 2, cx - 2, d);
    VLine(x + cx - 2, y + 1, cy - 2, d);
  }
  void Line(int x0, int y0, int x1, int y1, Rgb c) {
    int dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y0 - y1 : y1 - y0;
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
      Set(x0, y0, c);
      if (x0 == x1 && y0 == y1)
        break;
      int e2 = 2 * err;
      if (e2 >= dy) { err += dy; x0 += sx; }
      if (e2 <= dx) { err += dx; y0 += sy; }
    }
  }
  void Blit(const Canvas& s, int x, int y) {
    for (int j = 0; j < s.h; ++j)
      for (int i = 0; i < s.w; ++i)
        Set(x + i, y + j, s.Get(i, j));
  }
};

// A 5 x 7 face for the few words the pictures carry.
const std::map<char, std::vector<const char*>> kGlyphs = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", "     ", "  #  "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
};


void Text(Canvas& c, int x, int y, const std::string& s, int scale, Rgb colour) {
  for (char ch : s) {
    auto it = kGlyphs.find(ch);
    if (it != kGlyphs.end())
      for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 5; ++i)
          if (it->second[j][i] == '#')
            c.Fill(x + i * scale, y + j * scale, scale, scale, colour);
    x += 6 * scale;
  }
}

// ---- file writers ----

void Put16(std::vector<u8>& v, unsigned x) { v.push_back(x & 255); v.push_back((x >> 8) & 255); }
void Put32(std::vector<u8>& v, u32 x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }

void Save(const std::string& path, const std::vector<u8>& data) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  std::fclose(f);
}

void InfoHeader(std::vector<u8>& v, int w, int h, int bits, u32 colours, u32 imageSize) {
  Put32(v, 40); Put32(v, w); Put32(v, h); Put16(v, 1); Put16(v, bits);
  Put32(v, 0); Put32(v, imageSize); Put32(v, 2835); Put32(v, 2835);
  Put32(v, colours); Put32(v, colours);
}

// An 8-bit bitmap with the picture's own palette (at most 256 colours).
std::vector<u8> Dib8(const Canvas& c) {
  std::map<Rgb, int> index;
  for (const Rgb& p : c.px)
    if (!index.count(p) && index.size() < 256)
      index.emplace(p, static_cast<int>(index.size()));
  std::vector<Rgb> table(index.size());
  for (auto& [rgb, i] : index)
    table[i] = rgb;
  int stride = (c.w + 3) & ~3;
  std::vector<u8> v;
  InfoHeader(v, c.w, c.h, 8, static_cast<u32>(table.size()), stride * c.h);
  for (const Rgb& t : table) { v.push_back(t.b); v.push_back(t.g); v.push_back(t.r); v.push_back(0); }
  for (int y = c.h - 1; y >= 0; --y) {
    for (int x = 0; x < c.w; ++x) {
      auto it = index.find(c.Get(x, y));
      v.push_back(it != index.end() ? static_cast<u8>(it->second) : 0);
    }
    for (int x = c.w; x < stride; ++x)
      v.push_back(0);
  }
  return v;
}

void SaveBmp(const std::string& path, const Canvas& c) {
  std::vector<u8> dib = Dib8(c);
  std::vector<u8> file;
  file.push_back('B'); file.push_back('M');
  Put32(file, static_cast<u32>(14 + dib.size()));
  Put32(file, 0);
  u32 colours = dib[32] | dib[33] << 8 | dib[34] << 16 | dib[35] << 24;
  Put32(file, 14 + 40 + colours * 4);
  file.insert(file.end(), dib.begin(), dib.end());
  Save(path, file);
}

// Icon or cursor image: 24-bit colours, the transparent colour in the mask.
std::vector<u8> IconImage(const Canvas& c, Rgb transparent, bool mono) {
  std::vector<u8> v;
  int maskStride = ((c.w + 31) / 32) * 4;
  if (mono) {
    InfoHeader(v, c.w, c.h * 2, 1, 2, maskStride * c.h * 2);
    Put32(v, 0); Put32(v, 0x00FFFFFF);
    for (int y = c.h - 1; y >= 0; --y) {
      std::vector<u8> row(maskStride, 0);
      for (int x = 0; x < c.w; ++x)
        if (c.Get(x, y) == kWhite)
          row[x / 8] |= 0x80 >> (x % 8);
      v.insert(v.end(), row.begin(), row.end());
    }
  } else {
    int stride = (c.w * 3 + 3) & ~3;
    InfoHeader(v, c.w, c.h * 2, 24, 0, (stride + maskStride) * c.h);
    for (int y = c.h - 1; y >= 0; --y) {
      for (int x = 0; x < c.w; ++x) {
        Rgb p = c.Get(x, y) == transparent ? kBlack : c.Get(x, y);
        v.push_back(p.b); v.push_back(p.g); v.push_back(p.r);
      }
      for (int x = c.w * 3; x < stride; ++x)
        v.push_back(0);
    }
  }
  for (int y = c.h - 1; y >= 0; --y) {
    std::vector<u8> row(maskStride, 0);
    for (int x = 0; x < c.w; ++x)
      if (c.Get(x, y) == transparent)
        row[x / 8] |= 0x80 >> (x % 8);
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

void SaveIcon(const std::string& path, const std::vector<Canvas>& sizes) {
  std::vector<std::vector<u8>> images;
  for (const Canvas& c : sizes)
    images.push_back(IconImage(c, kMagenta, false));
  std::vector<u8> file;
  Put16(file, 0); Put16(file, 1); Put16(file, static_cast<unsigned>(images.size()));
  u32 offset = 6 + 16 * static_cast<u32>(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<u8>(sizes[i].w)); file.push_back(static_cast<u8>(sizes[i].h));
    file.push_back(0); file.push_back(0);
    Put16(file, 1); Put16(file, 24);
    Put32(file, static_cast<u32>(images[i].size())); Put32(file, offset);
    offset += static_cast<u32>(images[i].size());
  }
  for (auto& img : images)
    file.insert(file.end(), img.begin(), img.end());
  Save(path, file);
}

// Cursor: black and white on magenta (transparent), hot spot given.
void SaveCursor(const std::string& path, const Canvas& c, int hx, int hy) {
  std::vector<u8> img = IconImage(c, kMagenta, true);
  std::vector<u8> file;
  Put16(file, 0); Put16(file, 2); Put16(file, 1);
  file.push_back(static_cast<u8>(c.w)); file.push_back(static_cast<u8>(c.h));
  file.push_back(2); file.push_back(0);
  Put16(file, hx); Put16(file, hy);
  Put32(file, static_cast<u32>(img.size())); Put32(file, 22);
  file.insert(file.end(), img.begin(), img.end());
  Save(path, file);
}

Canvas Half(const Canvas& c) {
  Canvas s(c.w / 2, c.h / 2, kMagenta);
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) {
      // Keep outlines: a dark pixel of the 2 x 2 block wins.
      Rgb best = c.Get(2 * x, 2 * y);
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
          Rgb p = c.Get(2 * x + i, 2 * y + j);
          if (best == kMagenta || (!(p == kMagenta) && p.r + p.g + p.b < best.r + best.g + best.b))
            best = p;
        }
      s.Set(x, y, best);
    }
  return s;
}

// ---- small pictures (16 x 16, magenta background unless said) ----

void Folder(Canvas& c, int x, int y, bool open) {
  c.Fill(x + 1, y + 3, 6, 2, kYellow);
  c.Frame(x + 1, y + 2, 6, 3, kBlack);
  c.Fill(x + 1, y + 4, 13, 9, kYellow);
  c.Frame(x + 0, y + 4, 15, 10, kBlack);
  c.HLine(x + 1, y + 5, 13, kWhite);
  c.HLine(x + 1, y + 12, 13, kOlive);
  if (open) {
    for (int j = 0; j < 6; ++j)
      c.HLine(x + 3 + (5 - j), y + 7 + j, 11, kOlive);
    c.Line(x + 8, y + 7, x + 15, y + 7, kBlack);
    c.Line(x + 8, y + 7, x + 3, y + 13, kBlack);
  }
}

void Page(Canvas& c, int x, int y, Rgb lines) {
  c.Fill(x + 3, y + 1, 9, 14, kWhite);
  c.Frame(x + 2, y + 0, 10, 16, kBlack);
  c.Line(x + 9, y + 0, x + 11, y + 2, kBlack);
  c.Set(x + 10, y + 0, kMagenta); c.Set(x + 11, y + 0, kMagenta); c.Set(x + 11, y + 1, kMagenta);
  for (int j = 4; j < 14; j += 2)
    c.HLine(x + 4, y + j, 6, lines);
}

void Key(Canvas& c, int x, int y) {
  c.Fill(x + 2, y + 5, 5, 5, kYellow);
  c.Frame(x + 1, y + 4, 7, 7, kBlack);
  c.Fill(x + 3, y + 6, 2, 2, kBlack);
  c.Fill(x + 8, y + 7, 7, 2, kOlive);
  c.HLine(x + 8, y + 6, 7, kBlack);
  c.HLine(x + 8, y + 9, 7, kBlack);
  c.VLine(x + 12, y + 10, 2, kBlack);
  c.VLine(x + 14, y + 10, 3, kBlack);
}

void ValueBadge(Canvas& c, int x, int y, const char* text, Rgb colour) {
  c.Fill(x + 1, y + 3, 14, 10, kWhite);
  c.Frame(x + 0, y + 2, 16, 12, kDark);
  // Letters drawn by hand at this size.
  if (std::strcmp(text, "ab") == 0) {
    c.Fill(x + 3, y + 6, 3, 1, colour); c.Fill(x + 6, y + 7, 1, 4, colour);
    c.Fill(x + 3, y + 8, 3, 1, colour); c.Fill(x + 2, y + 9, 1, 1, colour);
    c.Fill(x + 3, y + 10, 3, 1, colour);
    c.VLine(x + 9, y + 4, 7, colour); c.HLine(x + 10, y + 7, 3, colour);
    c.VLine(x + 13, y + 8, 2, colour); c.HLine(x + 10, y + 10, 3, colour);
  } else {
    for (int i = 0; i < 3; ++i) {
      int px = x + 2 + i * 4;
      if (i == 1) {
        c.VLine(px + 1, y + 5, 6, colour);
      } else {
        c.Frame(px, y + 5, 3, 6, colour);
      }
    }
  }
}

void Shortcut(Canvas& c, int x, int y) {
  c.Fill(x + 1, y + 1, 14, 11, kGrey);
  c.Bevel(x + 1, y + 1, 14, 11);
  c.Fill(x + 3, y + 3, 10, 2, kNavy);
  c.Fill(x + 3, y + 6, 10, 4, kWhite);
  c.Fill(x + 0, y + 10, 6, 6, kWhite);
  c.Frame(x + 0, y + 10, 6, 6, kBlack);
  c.Line(x + 2, y + 13, x + 4, y + 11, kBlack);
  c.HLine(x + 3, y + 11, 2, kBlack);
}

void Group(Canvas& c, int x, int y, bool open) {
  Folder(c, x, y, open);
  c.Fill(x + 5, y + 7, 6, 4, kWhite);
  c.Frame(x + 4, y + 6, 8, 6, kNavy);
}

void Computer(Canvas& c, int x, int y) {
  c.Fill(x + 2, y + 1, 12, 9, kGrey);
  c.Bevel(x + 2, y + 1, 12, 9);
  c.Fill(x + 4, y + 3, 8, 5, kTeal);
  c.Fill(x + 1, y + 11, 14, 4, kGrey);
  c.Frame(x + 1, y + 11, 14, 4, kBlack);
  c.HLine(x + 3, y + 13, 4, kLime);
}

void Gear(Canvas& c, int x, int y, Rgb colour) {
  for (int j = -5; j <= 5; ++j)
    for (int i = -5; i <= 5; ++i) {
      int d = i * i + j * j;
      bool tooth = (i == 0 || j == 0 || i == j || i == -j) && d <= 36;
      if ((d <= 16 && d > 4) || (tooth && d > 16))
        c.Set(x + 8 + i, y + 8 + j, colour);
    }
}

Canvas Strip(int images) { return Canvas(16 * images, 16, kMagenta); }

// ---- setup dialog previews ----

// A miniature setup wizard page: caption, side picture, text and buttons.
Canvas Preview(int kind) {
  Canvas c(216, 152, kGrey);
  c.Bevel(0, 0, 216, 152);
  c.Fill(3, 3, 210, 11, kNavy);
  c.Fill(5, 5, 60 + (kind % 4) * 10, 7, kWhite);  // caption text
  c.Fill(199, 4, 11, 9, kGrey);
  c.Bevel(199, 4, 11, 9);
  c.Line(202, 6, 206, 10, kBlack);
  c.Line(206, 6, 202, 10, kBlack);
  bool picture = kind != 12;
  int tx = picture ? 78 : 12;
  if (picture) {
    // Side picture: a teal landscape behind a computer.
    c.Fill(10, 22, 60, 96, kTeal);
    c.Bevel(9, 21, 62, 98, true);
    for (int j = 0; j < 40; ++j)
      c.HLine(10, 78 + j, 60, j % 3 == 0 ? kGreen : kTeal);
    c.Fill(22, 50, 36, 26, kGrey);
    c.Bevel(22, 50, 36, 26);
    c.Fill(26, 54, 28, 18, kNavy);
    c.Fill(18, 80, 44, 10, kGrey);
    c.Bevel(18, 80, 44, 10);
  }
  auto lines = [&](int y, int n, int width) {
    for (int i = 0; i < n; ++i)
      c.Fill(tx, y + i * 7, width - (i % 3) * 14, 3, kBlack);
  };
  int tw = 204 - tx;
  switch (kind) {
    case 0:  // welcome
      lines(24, 9, tw);
      break;
    case 1:  // licence: a scrolling text box
    case 2:  // readme
      lines(22, 2, tw);
      c.Fill(tx, 40, tw, 70, kWhite);
      c.Bevel(tx - 1, 39, tw + 2, 72, true);
      c.Fill(tx + tw - 10, 41, 9, 68, kGrey);
      for (int i = 0; i < 9; ++i)
        c.Fill(tx + 3, 44 + i * 7, tw - 20 - (i % 2) * 16, 2, kDark);
      break;
    case 3:  // password
    case 4:  // user information
    case 5: {  // destination
      lines(24, 3, tw);
      int fields = kind == 4 ? 3 : 1;
      for (int i = 0; i < fields; ++i) {
        c.Fill(tx, 52 + i * 18, 30, 3, kBlack);
        c.Fill(tx + 34, 48 + i * 18, tw - 34, 11, kWhite);
        c.Bevel(tx + 33, 47 + i * 18, tw - 32, 13, true);
      }
      if (kind == 5) {
        c.Fill(tx + tw - 40, 70, 40, 14, kGrey);
        c.Bevel(tx + tw - 40, 70, 40, 14);
        c.Fill(tx + tw - 30, 76, 20, 2, kBlack);
      }
      break;
    }
    case 6:  // setup type: radio buttons
      lines(24, 2, tw);
      for (int i = 0; i < 3; ++i) {
        int y = 46 + i * 20;
        c.Fill(tx + 1, y + 1, 8, 8, kWhite);
        c.Frame(tx, y, 10, 10, kDark);
        if (i == 0)
          c.Fill(tx + 3, y + 3, 4, 4, kBlack);
        c.Fill(tx + 14, y + 3, 40, 3, kBlack);
        c.Fill(tx + 60, y + 3, tw - 62, 2, kDark);
      }
      break;
    case 7:  // custom setup: a list with check marks
      lines(24, 2, tw);
      c.Fill(tx, 42, tw, 64, kWhite);
      c.Bevel(tx - 1, 41, tw + 2, 66, true);
      for (int i = 0; i < 5; ++i) {
        int y = 45 + i * 12;
        c.Frame(tx + 3, y, 9, 9, kBlack);
        if (i != 3) { c.Line(tx + 5, y + 4, tx + 6, y + 6, kBlack); c.Line(tx + 6, y + 6, tx + 10, y + 2, kBlack); }
        c.Fill(tx + 16, y + 3, 50 - i * 4, 3, kBlack);
      }
      break;
    case 8:  // program folder: an edit and a list
      lines(24, 2, tw);
      c.Fill(tx, 44, tw, 11, kWhite);
      c.Bevel(tx - 1, 43, tw + 2, 13, true);
      c.Fill(tx, 62, tw, 46, kWhite);
      c.Bevel(tx - 1, 61, tw + 2, 48, true);
      for (int i = 0; i < 5; ++i)
        c.Fill(tx + 4, 65 + i * 8, 36 + (i * 13) % 30, 3, kBlack);
      break;
    case 9:  // start copying: a summary box
      lines(24, 2, tw);
      c.Fill(tx, 42, tw, 66, kWhite);
      c.Bevel(tx - 1, 41, tw + 2, 68, true);
      for (int i = 0; i < 7; ++i)
        c.Fill(tx + 4 + (i % 2) * 8, 45 + i * 8, 60 - (i % 3) * 10, 3, kBlack);
      break;
    case 10: {  // billboards: a progress bar under a picture
      c.Fill(tx, 24, tw, 60, kBlue);
      c.Frame(tx, 24, tw, 60, kNavy);
      Text(c, tx + 8, 46, "SETUP", 2, kYellow);
      c.Fill(tx, 96, tw, 12, kWhite);
      c.Bevel(tx - 1, 95, tw + 2, 14, true);
      c.Fill(tx + 1, 97, tw * 2 / 3, 10, kNavy);
      break;
    }
    case 11:  // complete
      lines(24, 5, tw);
      c.Fill(tx + 1, 70, 8, 8, kWhite);
      c.Frame(tx, 69, 10, 10, kDark);
      c.Line(tx + 2, 73, tx + 4, 76, kBlack);
      c.Line(tx + 4, 76, tx + 8, 71, kBlack);
      c.Fill(tx + 14, 72, 60, 3, kBlack);
      break;
    case 12:  // uninstall: a progress dialog
      lines(30, 3, tw);
      c.Fill(12, 70, 192, 12, kWhite);
      c.Bevel(11, 69, 194, 14, true);
      c.Fill(13, 71, 120, 10, kNavy);
      break;
    default:  // no preview available
      c.Fill(60, 50, 96, 40, kWhite);
      c.Bevel(59, 49, 98, 42, true);
      Text(c, 72, 64, "- - -", 2, kDark);
      break;
  }
  // Separator and the wizard buttons.
  c.HLine(8, 124, 200, kDark);
  c.HLine(8, 125, 200, kWhite);
  const char* labels[] = {"BACK", "NEXT", ""};
  for (int i = 0; i < 3; ++i) {
    int x = 70 + i * 48;
    c.Fill(x, 131, 44, 15, kGrey);
    c.Bevel(x, 131, 44, 15);
    if (i == 1)
      c.Frame(x - 1, 130, 46, 17, kBlack);
    c.Fill(x + 12, 137, 20, 3, kBlack);
    (void)labels;
  }
  return c;
}

// ---- the larger pictures ----

Canvas Splash() {
  Canvas c(400, 260, kNavy);
  for (int y = 0; y < 260; ++y) {
    u8 v = static_cast<u8>(32 + (y * 150) / 260);
    c.HLine(0, y, 400, Rgb{0, 0, static_cast<u8>(v - v % 6)});
  }
  c.Bevel(0, 0, 400, 260);
  // The product picture: a setup box with a disk.
  c.Fill(40, 60, 110, 120, kGrey);
  c.Bevel(40, 60, 110, 120);
  c.Fill(52, 72, 86, 50, kTeal);
  c.Fill(60, 132, 70, 36, kBlack);
  c.Fill(72, 132, 46, 14, kGrey);
  c.Fill(104, 134, 8, 10, kBlack);
  c.Fill(70, 152, 50, 14, kWhite);
  Text(c, 180, 80, "KITWRIGHT", 4, kWhite);
  Text(c, 182, 82, "KITWRIGHT", 4, kWhite);
  Text(c, 180, 122, "97B", 3, kYellow);
  Text(c, 180, 200, "BRANTEL SOFTWARE", 2, kCyan);
  c.HLine(180, 190, 190, kCyan);
  // The outer ring takes the dialog colour when the splash is loaded.
  c.Frame(0, 0, 400, 260, kPurple);
  return c;
}

Canvas AboutPicture(int which) {
  Canvas c(which == 0 ? 64 : 48, which == 0 ? 64 : 48, kMagenta);
  if (which == 0) {  // the product: a box with a disk
    c.Fill(8, 14, 44, 44, kGrey);
    c.Bevel(8, 14, 44, 44);
    for (int j = 0; j < 8; ++j)
      c.HLine(12 + j, 13 - j, 44, j % 2 ? kDark : kWhite);
    c.Fill(14, 20, 32, 18, kTeal);
    c.Fill(18, 40, 24, 16, kBlack);
    c.Fill(22, 40, 16, 6, kGrey);
    c.Fill(22, 48, 16, 6, kWhite);
  } else if (which == 1) {  // the company: a stylised B
    c.Fill(6, 6, 36, 36, kNavy);
    c.Bevel(6, 6, 36, 36);
    Text(c, 15, 14, "B", 3, kYellow);
  } else {  // the setup: a computer receiving a disk
    Canvas big(16, 16, kMagenta);
    Computer(big, 0, 0);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        c.Fill(x * 3, y * 3, 3, 3, big.Get(x, y));
  }
  return c;
}

Canvas Toolbar() {
  // New, Open, Save, Build, Test Run, Help Topics, What's This.
  Canvas c(16 * 7, 15, kGrey);
  Canvas s(16, 16, kGrey);
  auto put = [&](int i, const Canvas& img) {
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 16; ++x) {
        Rgb p = img.Get(x, y);
        c.Set(i * 16 + x, y, p == kMagenta ? kGrey : p);
      }
  };
  Canvas n = Strip(1); Page(n, 0, 0, kGrey); put(0, n);
  Canvas o = Strip(1); Folder(o, 0, 0, true); put(1, o);
  Canvas d = Strip(1);  // a diskette
  d.Fill(1, 1, 14, 14, kBlack); d.Fill(4, 1, 8, 5, kGrey); d.Fill(9, 2, 2, 3, kBlack);
  d.Fill(3, 8, 10, 6, kWhite); d.HLine(4, 10, 8, kDark); put(2, d);
  Canvas b = Strip(1); Gear(b, 0, 0, kNavy); b.Fill(7, 7, 2, 2, kNavy); put(3, b);
  Canvas t = Strip(1);  // a run arrow beside a computer
  Computer(t, 0, 0); t.Fill(9, 3, 2, 5, kLime); put(4, t);
  Canvas h = Strip(1);  // a help book
  h.Fill(3, 1, 10, 14, kBlue); h.Frame(2, 0, 12, 16, kBlack); h.VLine(4, 1, 14, kNavy);
  h.Fill(7, 4, 4, 2, kYellow); h.Fill(9, 6, 2, 2, kYellow); h.Fill(8, 8, 2, 2, kYellow);
  h.Fill(8, 11, 2, 2, kYellow); put(5, h);
  Canvas w = Strip(1);  // arrow with a question mark
  for (int j = 0; j < 10; ++j) w.HLine(1, 1 + j, j / 1 + 1 > 7 ? 7 : j + 1, kBlack);
  w.Fill(10, 3, 4, 2, kNavy); w.Fill(13, 4, 2, 3, kNavy); w.Fill(11, 7, 2, 2, kNavy);
  w.Fill(11, 11, 2, 2, kNavy); w.Line(3, 9, 6, 14, kBlack); put(6, w);
  return c;
}

Canvas CheckBoxes() {
  Canvas c(22, 11, kWhite);
  for (int i = 0; i < 2; ++i) {
    int x = i * 11;
    c.Fill(x + 2, x == 0 ? 2 : 2, 7, 7, kWhite);
    c.HLine(x, 0, 10, kDark); c.VLine(x, 0, 10, kDark);
    c.HLine(x + 1, 1, 8, kBlack); c.VLine(x + 1, 1, 8, kBlack);
    c.HLine(x, 10, 11, kWhite); c.VLine(x + 10, 0, 11, kWhite);
    c.HLine(x + 1, 9, 9, kGrey); c.VLine(x + 9, 1, 9, kGrey);
    if (i == 1)
      for (int k = 0; k < 3; ++k) {
        c.Line(x + 3, 4 + k, x + 4, 5 + k, kBlack);
        c.Line(x + 4, 5 + k, x + 7, 2 + k, kBlack);
      }
  }
  return c;
}

// The Visual Design view: background styles of the setup screen.
Canvas DesignPicture(int which) {
  Canvas c(96, 72, kGrey);
  c.Bevel(0, 0, 96, 72, true);
  if (which == 0) {  // gradient background with a title
    for (int y = 2; y < 70; ++y)
      c.HLine(2, y, 92, Rgb{0, 0, static_cast<u8>(255 - (y * 3) - (255 - y * 3) % 16)});
    Text(c, 8, 8, "SETUP", 1, kWhite);
  } else if (which == 1) {  // a billboard on a plain background
    c.Fill(2, 2, 92, 68, kTeal);
    c.Fill(24, 18, 48, 34, kYellow);
    c.Frame(24, 18, 48, 34, kBlack);
    Text(c, 30, 30, "SOFT", 1, kMaroon);
  } else {  // title bar only
    c.Fill(2, 2, 92, 68, kWhite);
    c.Fill(2, 2, 92, 10, kNavy);
    Text(c, 5, 4, "TITLE", 1, kWhite);
  }
  // The outer ring takes the dialog colour in a bitmap control.
  c.Frame(0, 0, 96, 72, kPurple);
  return c;
}

// ---- icons ----

Canvas Icon(int kind) {
  Canvas c(32, 32, kMagenta);
  Canvas small(16, 16, kMagenta);
  auto scaled = [&]() {
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        c.Fill(x * 2, y * 2, 2, 2, small.Get(x, y));
  };
  switch (kind) {
    case 0:  // product: setup box with disk
      c.Fill(4, 8, 24, 22, kGrey); c.Bevel(4, 8, 24, 22);
      for (int j = 0; j < 5; ++j) c.HLine(6 + j, 7 - j, 24, j % 2 ? kDark : kWhite);
      c.Fill(7, 11, 18, 9, kTeal);
      c.Fill(9, 21, 14, 8, kBlack); c.Fill(11, 21, 10, 3, kGrey); c.Fill(11, 25, 10, 3, kWhite);
      break;
    case 1: Page(small, 0, 0, kDark); scaled(); break;                      // file
    case 2: Folder(small, 0, 0, false); scaled(); break;                   // folder
    case 3: Page(small, 0, 0, kBlue); small.Fill(5, 3, 5, 2, kRed); scaled(); break;  // INI file
    case 4: Group(small, 0, 0, false); scaled(); break;                    // program group
    case 5: Key(small, 0, 0); scaled(); break;                             // registry
    case 6: Shortcut(small, 0, 0); scaled(); break;                        // shortcut
    case 7: Computer(small, 0, 0); scaled(); break;                        // general
    case 8:  // UI components: a dialog
      small.Fill(1, 2, 14, 12, kGrey); small.Bevel(1, 2, 14, 12);
      small.Fill(2, 3, 12, 2, kNavy); small.Fill(3, 7, 4, 5, kTeal);
      small.Fill(9, 10, 4, 2, kDark); scaled(); break;
    default:  // dummy: an empty frame
      small.Frame(2, 2, 12, 12, kDark); scaled(); break;
  }
  return c;
}

Canvas CursorPicture(int kind) {
  // Black outline, white inside, magenta transparent.
  Canvas c(32, 32, kMagenta);
  const char* arrow[] = {"B", "BB", "BWB", "BWWB", "BWWWB", "BWWWWB", "BWWWWWB", "BWWWWWWB",
                         "BWWWWWWWB", "BWWWWWBBBB", "BWWBWWB", "BWB BWWB", "BB  BWWB",
                         "B    BWWB", "     BWWB", "      BB"};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; arrow[y][x]; ++x)
      if (arrow[y][x] != ' ')
        c.Set(x, y, arrow[y][x] == 'B' ? kBlack : kWhite);
  auto box = [&](int x, int y) {
    c.Fill(x, y, 11, 11, kWhite);
    c.Frame(x, y, 11, 11, kBlack);
  };
  switch (kind) {
    case 0: box(12, 18); c.HLine(14, 23, 7, kBlack); c.VLine(17, 20, 7, kBlack); break;  // copy
    case 1:  // no drop: a circle with a bar
      for (int j = -7; j <= 7; ++j)
        for (int i = -7; i <= 7; ++i) {
          int d = i * i + j * j;
          if (d <= 49 && d >= 25) c.Set(20 + i, 22 + j, kBlack);
          else if (d < 25 && (i == j || i == j + 1)) c.Set(20 + i, 22 + j, kBlack);
          else if (d < 25) c.Set(20 + i, 22 + j, kWhite);
        }
      break;
    case 2: box(12, 18); break;                                                     // move
    default: {  // the other drag forms: a page with a mark per kind
      c.Fill(12, 16, 10, 13, kWhite);
      c.Frame(12, 16, 10, 13, kBlack);
      for (int i = 0; i < (kind % 4) + 1; ++i)
        c.HLine(14, 19 + i * 2, 6, kBlack);
      if (kind >= 6) { c.HLine(23, 26, 7, kBlack); c.VLine(26, 23, 7, kBlack); }
      break;
    }
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_art <output folder>\n");
    return 2;
  }
  std::string out = std::string(argv[1]) + "/";

  SaveBmp(out + "toolbar.bmp", Toolbar());
  for (int i = 0; i < 3; ++i)
    SaveBmp(out + "about" + std::to_string(i + 1) + ".bmp", AboutPicture(i));
  for (int id = 2817; id <= 2830; ++id) {
    // Row order of the dialog list: 2817 welcome ... 2827 complete, 2828 the
    // fall-back, 2829 password, 2830 uninstall.
    static const int kinds[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 99, 3, 12};
    SaveBmp(out + "preview" + std::to_string(id) + ".bmp", Preview(kinds[id - 2817]));
  }
  Canvas files = Strip(2);  // package, selected package
  Folder(files, 0, 0, false); Folder(files, 16, 0, true);
  SaveBmp(out + "files.bmp", files);
  Canvas file = Strip(1);  // a file of a package
  Page(file, 0, 0, kDark);
  SaveBmp(out + "file.bmp", file);
  Canvas reg = Strip(5);  // computer, closed key, open key, string, binary
  Computer(reg, 0, 0); Folder(reg, 16, 0, false); Folder(reg, 32, 0, true);
  ValueBadge(reg, 48, 0, "ab", kRed); ValueBadge(reg, 64, 0, "011", kBlue);
  SaveBmp(out + "registry.bmp", reg);
  Canvas icons = Strip(3);  // closed group, open group, shortcut
  Group(icons, 0, 0, false); Group(icons, 16, 0, true); Shortcut(icons, 32, 0);
  SaveBmp(out + "icons.bmp", icons);
  Canvas ini = Strip(5);  // INI file, open INI file, key, section, open section
  Page(ini, 0, 0, kBlue); Page(ini, 16, 0, kRed); ValueBadge(ini, 32, 0, "ab", kRed);
  Folder(ini, 48, 0, false); Folder(ini, 64, 0, true);
  SaveBmp(out + "ini.bmp", ini);
  SaveBmp(out + "splash.bmp", Splash());
  Canvas design = Strip(4);  // background, billboard, title, colour
  Computer(design, 0, 0); Page(design, 16, 0, kTeal); Shortcut(design, 32, 0);
  design.Fill(50, 2, 12, 12, kRed); design.Frame(49, 1, 14, 14, kBlack);
  SaveBmp(out + "design.bmp", design);
  SaveBmp(out + "checkboxes.bmp", CheckBoxes());
  for (int i = 0; i < 3; ++i)
    SaveBmp(out + "visual" + std::to_string(i + 1) + ".bmp", DesignPicture(i));

  const char* iconNames[] = {"product", "file", "folder", "inifile", "group",
                             "registry", "shortcut", "general", "uicomp", "dummy"};
  for (int i = 0; i < 10; ++i) {
    Canvas big = Icon(i);
    SaveIcon(out + std::string(iconNames[i]) + ".ico", {big, Half(big)});
  }
  for (int i = 0; i < 11; ++i)
    SaveCursor(out + "cursor" + std::to_string(i) + ".cur", CursorPicture(i), 0, 0);
  return 0;
}
