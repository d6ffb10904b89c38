// The custom controls in real dialogs under an X server.
#include "controls.h"

#include "ctrls.h"
#include "resids.h"

#include "profile.h"
#include "reslang.h"
#include "testutil.h"
#include "win/wintest.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char kTestBase[] = "SOFTWARE\\Brantel SoftWare\\Kitwright\\ControlsTest";

// Builds an in-memory dialog template ("MS Sans Serif" 8).
class Template {
 public:
  Template(int cx, int cy) {
    Align(4);
    DWORD style = DS_SETFONT | WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Put32(style);
    Put32(0);
    count_ = data_.size();
    Put16(0);
    Put16(10), Put16(10), Put16(cx), Put16(cy);
    Put16(0), Put16(0);  // no menu, default class
    PutText("Test");
    Put16(8);
    PutText("MS Sans Serif");
  }
  void Add(const char* cls, int id, DWORD style, int x, int y, int cx, int cy,
           const char* text = "") {
    Align(4);
    Put32(style | WS_CHILD | WS_VISIBLE);
    Put32(0);
    Put16(x), Put16(y), Put16(cx), Put16(cy);
    Put16(static_cast<WORD>(id));
    PutText(cls);
    PutText(text);
    Put16(0);
    ++items_;
    std::memcpy(&data_[count_], &items_, 2);
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  void Put16(int v) {
    WORD w = static_cast<WORD>(v);
    data_.insert(data_.end(), reinterpret_cast<BYTE*>(&w), reinterpret_cast<BYTE*>(&w) + 2);
  }
  void Put32(DWORD v) {
    data_.insert(data_.end(), reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 4);
  }
  void PutText(const char* s) {
    for (; *s; ++s)
      Put16(static_cast<unsigned char>(*s));
    Put16(0);
  }
  void Align(size_t n) {
    while (data_.size() % n)
      data_.push_back(0);
  }
  std::vector<BYTE> data_;
  size_t count_ = 0;
  WORD items_ = 0;
};

std::vector<UINT> g_measured;  // control ids the dialog procedure measured
std::vector<WPARAM> g_commands;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      g_measured.push_back(m->CtlID);
      m->itemHeight = 20;
      ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_COMMAND:
      g_commands.push_back(wParam);
      return TRUE;
  }
  return FALSE;
}

using kwtest::Pump;

class ControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
    ProfileSetRegistryBase(kTestBase);
    ProfileWriteInt("U:Settings", "Language", 1033);
    folder_ = new kwtest::TempDir;
    fs::copy_file(fs::path(KW_LNG_DIR) / "KWRENG32.DLL",
                  fs::path(folder_->path()) / "KWRENG32.DLL");
    theLanguageArray.SetFolder(folder_->path() + "\\");
    ASSERT_TRUE(theLanguageArray.Load());
    ASSERT_NE(RegisterCheckListBox(::GetModuleHandleA(nullptr)), 0);
    // Registered once per process: a second suite set up here finds it.
    static const ATOM bitmapClass = RegisterBitmapControl(::GetModuleHandleA(nullptr));
    ASSERT_NE(bitmapClass, 0);
  }
  static void TearDownTestSuite() {
    UnregisterCheckListBox();
    theLanguageArray.Unload();
    delete folder_;
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
  }
  void SetUp() override {
    g_measured.clear();
    g_commands.clear();
  }
  void TearDown() override {
    if (dialog)
      ::DestroyWindow(dialog);
    Pump();
  }
  void Open(const Template& t) {
    dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), t.get(), nullptr,
                                          &TestDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    ::UpdateWindow(dialog);
    Pump();
  }
  HWND dialog = nullptr;
  static kwtest::TempDir* folder_;
};
kwtest::TempDir* ControlsTest::folder_ = nullptr;

constexpr DWORD kCheckListStyle =
    LBS_OWNERDRAWFIXED | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP;

Template TwoCheckListsAndAPlainList() {
  Template t(300, 120);
  t.Add(kCheckListClass, 2816, kCheckListStyle, 5, 5, 90, 100);
  t.Add(kCheckListClass, 2817, kCheckListStyle | LBS_SORT, 100, 5, 90, 100);
  t.Add("ListBox", 2818, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_BORDER, 200, 5, 90, 100);
  return t;
}

TEST_F(ControlsTest, TwoCheckListsSubclassTheDialogOnce) {
  Open(TwoCheckListsAndAPlainList());
  auto previous = reinterpret_cast<LONG_PTR>(::GetPropA(dialog, "CheckLBox"));
  ASSERT_NE(previous, 0);
  LONG_PTR current = ::GetWindowLongPtrA(dialog, GWLP_WNDPROC);
  EXPECT_NE(previous, current);
  // The kept procedure is the dialog's own, not the subclass itself.
  WNDCLASSA dialogClass = {};
  ASSERT_TRUE(::GetClassInfoA(nullptr, MAKEINTRESOURCEA(0x8002), &dialogClass));
  EXPECT_EQ(previous, reinterpret_cast<LONG_PTR>(dialogClass.lpfnWndProc));
  // Only the ordinary owner-drawn list was measured by the dialog.
  EXPECT_EQ(g_measured, std::vector<UINT>{2818});
  EXPECT_EQ(::SendDlgItemMessageA(dialog, 2816, LB_GETITEMHEIGHT, 0, 0), 16);
  EXPECT_EQ(::SendDlgItemMessageA(dialog, 2818, LB_GETITEMHEIGHT, 0, 0), 20);
}

TEST_F(ControlsTest, ItemsChecksAndData) {
  Open(TwoCheckListsAndAPlainList());
  HWND sorted = ::GetDlgItem(dialog, 2817);
  int data[3];
  EXPECT_EQ(AddCheckListItem(sorted, "Readme", 0, &data[0]), 0);
  EXPECT_EQ(AddCheckListItem(sorted, "Billboards", 1, &data[1]), 0);
  EXPECT_EQ(AddCheckListItem(sorted, "Uninstall", 7, &data[2]), 2);
  EXPECT_EQ(GetCheckListData(sorted, 0), &data[1]);
  EXPECT_EQ(GetCheckListData(sorted, 1), &data[0]);
  EXPECT_EQ(GetCheckListCheck(sorted, 0), 1);
  EXPECT_EQ(GetCheckListCheck(sorted, 2), 7);
  EXPECT_EQ(SetCheckListCheck(sorted, 1, 1), 1);
  EXPECT_EQ(GetCheckListCheck(sorted, 1), 1);
  // Indexes without an item.
  EXPECT_EQ(GetCheckListCheck(sorted, 3), 0);
  EXPECT_EQ(SetCheckListCheck(sorted, 3, 1), 0);
  EXPECT_EQ(GetCheckListData(sorted, -1), nullptr);
  EXPECT_EQ(::SendMessageA(sorted, LB_DELETESTRING, 0, 0), 2);
  EXPECT_EQ(GetCheckListData(sorted, 0), &data[0]);
}

TEST_F(ControlsTest, HeldSpaceTogglesOnceAndNotifies) {
  Open(TwoCheckListsAndAPlainList());
  HWND list = ::GetDlgItem(dialog, 2816);
  AddCheckListItem(list, "Welcome Message", 0, nullptr);
  AddCheckListItem(list, "Setup Type", 0, nullptr);
  ::SendMessageA(list, LB_SETCURSEL, 1, 0);
  ::SetFocus(list);
  g_commands.clear();
  const LPARAM first = 1 | (0x39 << 16);
  const LPARAM repeat = first | (1 << 30);
  ::SendMessageA(list, WM_KEYDOWN, VK_SPACE, first);
  ::SendMessageA(list, WM_KEYDOWN, VK_SPACE, repeat);
  ::SendMessageA(list, WM_KEYDOWN, VK_SPACE, repeat);
  ::SendMessageA(list, WM_KEYUP, VK_SPACE, first | (3u << 30));
  EXPECT_EQ(GetCheckListCheck(list, 1), 1);
  EXPECT_EQ(GetCheckListCheck(list, 0), 0);
  ASSERT_EQ(g_commands.size(), 1u);
  EXPECT_EQ(g_commands[0], MAKEWPARAM(2816, 1));
  // A second press toggles back.
  ::SendMessageA(list, WM_KEYDOWN, VK_SPACE, first);
  EXPECT_EQ(GetCheckListCheck(list, 1), 0);
}

TEST_F(ControlsTest, ClickInCheckSquareToggles) {
  Open(TwoCheckListsAndAPlainList());
  HWND list = ::GetDlgItem(dialog, 2816);
  AddCheckListItem(list, "One", 0, nullptr);
  AddCheckListItem(list, "Two", 0, nullptr);
  RECT r;
  ::SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  auto click = [&](int x, int y) {
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  };
  click(r.left + 6, r.top + 6);
  EXPECT_EQ(::SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(GetCheckListCheck(list, 1), 1);
  click(r.left + 40, r.top + 6);  // on the text: selects, no toggle
  EXPECT_EQ(GetCheckListCheck(list, 1), 1);
  EXPECT_EQ(GetCheckListCheck(list, 0), 0);
}

TEST_F(ControlsTest, SelectedEntryIsDrawnDarkBlueWithItsCheckImage) {
  Open(TwoCheckListsAndAPlainList());
  HWND list = ::GetDlgItem(dialog, 2816);
  AddCheckListItem(list, "One", 1, nullptr);
  AddCheckListItem(list, "Two", 0, nullptr);
  ::SendMessageA(list, LB_SETCURSEL, 0, 0);
  ::InvalidateRect(list, nullptr, TRUE);
  ::UpdateWindow(list);
  Pump();
  RECT r0, r1;
  ::SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0));
  ::SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r1));
  HDC dc = ::GetDC(list);
  EXPECT_EQ(::GetPixel(dc, r0.right - 3, r0.top + 8), RGB(0, 0, 0x80));
  EXPECT_EQ(::GetPixel(dc, r1.right - 3, r1.top + 8), RGB(255, 255, 255));
  // The check images differ between a checked and a clear entry.
  bool differs = false;
  for (int y = 0; y < 11 && !differs; ++y)
    for (int x = 0; x < 11 && !differs; ++x)
      differs = ::GetPixel(dc, r0.left + 2 + x, r0.top + 2 + y) !=
                ::GetPixel(dc, r1.left + 2 + x, r1.top + 2 + y);
  ::ReleaseDC(list, dc);
  EXPECT_TRUE(differs);
}

HBITMAP MakeBitmap(int w, int h, const std::vector<COLORREF>& pixels) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP b = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<DWORD*>(bits);
  for (int i = 0; i < w * h; ++i)
    p[i] = (GetRValue(pixels[i]) << 16) | (GetGValue(pixels[i]) << 8) | GetBValue(pixels[i]);
  return b;
}

COLORREF PixelOf(HBITMAP b, int x, int y) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, b);
  COLORREF c = ::GetPixel(dc, x, y);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return c;
}

TEST_F(ControlsTest, RedTopLeftMakesEveryRedPixelDialogColoured) {
  const COLORREF R = RGB(255, 0, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255),
                 K = RGB(0, 0, 0);
  const std::vector<COLORREF> pixels = {R, B, R, W,
                                        K, R, B, R,
                                        R, R, W, K,
                                        B, K, R, R};
  HBITMAP source = MakeBitmap(4, 4, pixels);
  ASSERT_NE(source, nullptr);
  const COLORREF target = RGB(0xC0, 0xC0, 0xC0);
  HBITMAP result = BlendBitmapBackground(source, target, 15);
  ASSERT_NE(result, nullptr);
  for (int i = 0; i < 16; ++i) {
    COLORREF want = pixels[i] == R ? target : pixels[i];
    EXPECT_EQ(PixelOf(result, i % 4, i / 4), want) << "pixel " << i;
  }
  // The source is left as it was.
  EXPECT_EQ(PixelOf(source, 0, 0), R);
  ::DeleteObject(result);
  ::DeleteObject(source);
}

TEST_F(ControlsTest, BitmapControlShowsLibraryBitmapBlended) {
  Template t(300, 200);
  t.Add(kBitmapControlClass, 11, 0, 5, 5, 10, 10);
  Open(t);
  HWND control = ::GetDlgItem(dialog, 11);
  ASSERT_NE(control, nullptr);
  HBITMAP plain = theLanguageArray.LoadBitmap(MAKEINTRESOURCEA(11));
  ASSERT_NE(plain, nullptr);
  BITMAP info = {};
  ::GetObjectA(plain, sizeof info, &info);
  COLORREF corner = PixelOf(plain, 0, 0);
  ::DeleteObject(plain);
  RECT r;
  ::GetClientRect(control, &r);
  EXPECT_EQ(r.right, info.bmWidth);
  EXPECT_EQ(r.bottom, info.bmHeight);
  EXPECT_EQ(::SendMessageA(control, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  HBITMAP shown = LoadBitmapEx(theLanguageArray.GetResourceModule(), 11, nullptr);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(PixelOf(shown, 0, 0), DialogBackgroundColour());
  if (corner != DialogBackgroundColour()) {
    int left = 0;
    for (int y = 0; y < info.bmHeight; ++y)
      for (int x = 0; x < info.bmWidth; ++x)
        left += PixelOf(shown, x, y) == corner;
    EXPECT_EQ(left, 0);
  }
  ::DeleteObject(shown);
}

TEST_F(ControlsTest, RasterStepsFollowTheDebuggingSetting) {
  // Bit 1 alone ORs the picture onto the dialog colour: the corner becomes
  // the OR of both, not the dialog colour.
  ProfileWriteInt("Debugging", "LoadBitmapEx", 2);
  HBITMAP plain = theLanguageArray.LoadBitmap(MAKEINTRESOURCEA(11));
  ASSERT_NE(plain, nullptr);
  COLORREF corner = PixelOf(plain, 0, 0);
  ::DeleteObject(plain);
  HBITMAP some = LoadBitmapEx(theLanguageArray.GetResourceModule(), 11, nullptr);
  ProfileWriteString("Debugging", "LoadBitmapEx", nullptr);
  ASSERT_NE(some, nullptr);
  EXPECT_EQ(PixelOf(some, 0, 0), corner | DialogBackgroundColour());
  ::DeleteObject(some);
  HBITMAP all = LoadBitmapEx(theLanguageArray.GetResourceModule(), 11, nullptr);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(PixelOf(all, 0, 0), DialogBackgroundColour());
  ::DeleteObject(all);
}

TEST_F(ControlsTest, PaletteLoadReturnsThePictureAndItsPalette) {
  HPALETTE palette = nullptr;
  HBITMAP splash = LoadBitmapEx(theLanguageArray.GetResourceModule(), 6400, &palette);
  ASSERT_NE(splash, nullptr);
  ASSERT_NE(palette, nullptr);
  WORD entries = 0;
  ::GetObjectA(palette, sizeof entries, &entries);
  EXPECT_GT(entries, 16);
  EXPECT_LE(entries, 256);
  BITMAP info = {};
  ::GetObjectA(splash, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 400);
  EXPECT_EQ(info.bmHeight, 260);
  EXPECT_EQ(PixelOf(splash, 0, 0), DialogBackgroundColour());
  // Only the ring of the corner's colour changes; the white lettering stays.
  int white = 0;
  for (int y = 60; y < 140; ++y)
    for (int x = 180; x < 400; ++x)
      white += PixelOf(splash, x, y) == RGB(255, 255, 255);
  EXPECT_GT(white, 100);
  ::DeleteObject(splash);
  ::DeleteObject(palette);
  // An id the library does not have.
  palette = reinterpret_cast<HPALETTE>(1);
  EXPECT_EQ(LoadBitmapEx(theLanguageArray.GetResourceModule(), 4711, &palette), nullptr);
  EXPECT_EQ(palette, nullptr);
}

TEST_F(ControlsTest, PathTextKeepsDriveAndFileName) {
  Template t(300, 100);
  t.Add("Static", 100, SS_LEFT, 5, 5, 70, 10);
  t.Add("Static", 101, SS_LEFT, 5, 20, 280, 10);
  Open(t);
  const char* path = "C:\\Program Files\\Example\\Setup.kwr";
  SetPathText(dialog, 100, path);
  char text[260] = {};
  ::GetDlgItemTextA(dialog, 100, text, sizeof text);
  std::string shown = text;
  EXPECT_EQ(shown.rfind("C:\\...", 0), 0u) << shown;
  ASSERT_GE(shown.size(), 9u);
  EXPECT_EQ(shown.substr(shown.size() - 9), "Setup.kwr") << shown;
  EXPECT_LT(shown.size(), std::strlen(path));
  // It is the longest tail that fits: one more character would not.
  HWND control = ::GetDlgItem(dialog, 100);
  RECT r;
  ::GetClientRect(control, &r);
  HDC dc = ::GetDC(control);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE fits = {}, longer = {};
  ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &fits);
  std::string oneMore = "C:\\..." + std::string(path).substr(std::strlen(path) - (shown.size() - 5));
  ::GetTextExtentPoint32A(dc, oneMore.c_str(), static_cast<int>(oneMore.size()), &longer);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  EXPECT_LE(fits.cx, r.right);
  EXPECT_GT(longer.cx, r.right);
  // A wide control shows the whole path.
  SetPathText(dialog, 101, path);
  ::GetDlgItemTextA(dialog, 101, text, sizeof text);
  EXPECT_STREQ(text, path);
}

TEST_F(ControlsTest, MakeNonBoldFontsAndVersionAlternatives) {
  Template t(300, 100);
  t.Add("Static", 501, SS_LEFT, 5, 5, 100, 10, "New systems");
  t.Add("Static", 502, SS_LEFT, 5, 20, 100, 10, "Old systems");
  t.Add("Static", 503, SS_LEFT, 5, 35, 200, 20, "Title");
  t.Add("Button", 1, BS_PUSHBUTTON, 5, 60, 50, 14, "OK");
  Open(t);
  MakeNonBold(dialog);
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, 501)));
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, 502)));
  LOGFONTA title = {}, button = {};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendDlgItemMessageA(dialog, 503, WM_GETFONT, 0, 0)),
               sizeof title, &title);
  ::GetObjectA(reinterpret_cast<HFONT>(::SendDlgItemMessageA(dialog, 1, WM_GETFONT, 0, 0)),
               sizeof button, &button);
  EXPECT_STREQ(title.lfFaceName, "Times New Roman");
  EXPECT_EQ(title.lfHeight, -18);
  EXPECT_EQ(title.lfWeight, FW_NORMAL);
  EXPECT_STREQ(button.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(button.lfWeight, FW_NORMAL);
}

}  // namespace

// The framework's wrappers of the common controls, the label edit and
// context menus.
namespace {

std::vector<std::string> g_labels;  // the text of each TVN_ENDLABELEDIT; "<none>" when discarded

INT_PTR CALLBACK EditorDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG)
    return TRUE;
  if (msg == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->code == TVN_ENDLABELEDITA) {
      auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
      g_labels.push_back(info->item.pszText ? info->item.pszText : "<none>");
      ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
  }
  return FALSE;
}

class EditorControlsTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    g_labels.clear();
    Template t(300, 160);
    t.Add(WC_TREEVIEWA, 100, TVS_EDITLABELS | TVS_HASLINES | WS_BORDER | WS_TABSTOP, 5, 5, 120, 100);
    t.Add(WC_LISTVIEWA, 101, LVS_REPORT | LVS_EDITLABELS | WS_BORDER | WS_TABSTOP, 130, 5, 160, 100);
    t.Add("ComboBox", 102, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 5, 110, 120, 80);
    t.Add("Button", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 130, 110, 50, 14, "OK");
    dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), t.get(), nullptr, &EditorDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    tree.Attach(::GetDlgItem(dialog, 100));
    list.Attach(::GetDlgItem(dialog, 101));
    combo.Attach(::GetDlgItem(dialog, 102));
  }
  // A key as the message loop delivers it: through the dialog's keyboard handling.
  void Key(HWND target, WPARAM key) {
    MSG msg = {target, WM_KEYDOWN, key, 0, 0, {}};
    if (!::IsDialogMessageA(dialog, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    Pump();
  }
  kwf::TreeView tree;
  kwf::ListView list;
  kwf::ComboBox combo;
};

TEST_F(EditorControlsTest, WrappersReadBackWhatTheyPutIn) {
  HTREEITEM root = tree.InsertItem(TVI_ROOT, TVI_LAST, "Main", 0, 1, 11);
  HTREEITEM child = tree.InsertItem(root, TVI_LAST, "Docs", 2, 3, 22);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(tree.GetCount(), 2);
  EXPECT_EQ(tree.GetChild(root), child);
  EXPECT_EQ(tree.GetParent(child), root);
  EXPECT_EQ(tree.GetItemData(child), 22);
  EXPECT_TRUE(tree.SetItemText(child, "Help"));
  EXPECT_EQ(tree.GetItemText(child), "Help");
  EXPECT_TRUE(tree.Select(child));
  EXPECT_EQ(tree.GetSelection(), child);

  EXPECT_EQ(list.InsertColumn(0, "Name", 80), 0);
  EXPECT_EQ(list.InsertColumn(1, "Destination", 80), 1);
  EXPECT_EQ(list.InsertItem(0, "APP.EXE", 0, 7), 0);
  EXPECT_EQ(list.InsertItem(1, "APP.HLP", 0, 8), 1);
  EXPECT_TRUE(list.SetItemText(1, 1, "%INSTALLDIR%"));
  EXPECT_EQ(list.GetItemText(1, 1), "%INSTALLDIR%");
  EXPECT_EQ(list.GetItemData(1), 8);
  EXPECT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_EQ(list.GetSelectedCount(), 1);

  combo.AddString("one", 1);
  combo.AddString("two", 2);
  EXPECT_TRUE(combo.SelectByData(2));
  EXPECT_EQ(combo.GetLBText(combo.GetCurSel()), "two");
  EXPECT_FALSE(combo.SelectByData(3));
  EXPECT_EQ(combo.GetCurSel(), -1);

  HIMAGELIST images = kwf::LoadImageStrip(IDB_FILES_IMAGES, 16);
  ASSERT_NE(images, nullptr);
  EXPECT_GT(ImageList_GetImageCount(images), 1);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(images, &cx, &cy);
  EXPECT_EQ(cx, 16);
  ImageList_Destroy(images);
}

TEST_F(EditorControlsTest, LabelEditKeepsOnEnterAndDiscardsOnEscapeInsideADialog) {
  struct Case { WPARAM key; const char* want; } cases[] = {{VK_RETURN, "Renamed"}, {VK_ESCAPE, "<none>"}};
  HTREEITEM item = tree.InsertItem(TVI_ROOT, TVI_LAST, "Package", 0, 0, 0);
  for (const Case& c : cases) {
    g_labels.clear();
    ::SetFocus(tree.Handle());
    HWND edit = tree.EditLabel(item);
    ASSERT_NE(edit, nullptr);
    kwf::SubclassLabelEdit(edit);
    EXPECT_TRUE(::SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    ::SetWindowTextA(edit, "Renamed");
    Key(edit, c.key);
    ASSERT_EQ(g_labels.size(), 1u) << c.want << ::testing::PrintToString(g_labels);
    EXPECT_EQ(g_labels[0], c.want);
    EXPECT_EQ(tree.GetEditControl(), nullptr);
    // The dialog's buttons never saw the key.
    EXPECT_TRUE(::IsWindow(dialog));
  }
}

UINT g_pick = 0;
std::vector<std::pair<UINT, bool>> g_menuItems;  // id and whether enabled
UINT g_default = 0;

TEST_F(EditorControlsTest, ContextMenusFollowTheEnableRuleAndTheirDefault) {
  kwf::SetContextMenuSeam([](HMENU popup) {
    g_menuItems.clear();
    for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
      UINT id = ::GetMenuItemID(popup, i);
      if (id != 0 && id != static_cast<UINT>(-1))
        g_menuItems.push_back({id, !(::GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED)});
    }
    g_default = ::GetMenuDefaultItem(popup, FALSE, 0);
    return g_pick;
  });
  // Delete (3076) greyed, Properties (3081) the default.
  auto rule = [](void*, UINT id) { return id != 3076; };
  POINT at = {10, 10};
  g_pick = 3081;
  EXPECT_EQ(kwf::TrackContextMenu(dialog, IDM_FILES_PACKAGE, 0, at, 3081, rule), 3081u);
  EXPECT_EQ(g_default, 3081u);
  EXPECT_EQ(g_menuItems, (std::vector<std::pair<UINT, bool>>{{3076, false}, {3078, true}, {3081, true}}));
  // A greyed item is never the answer.
  g_pick = 3076;
  EXPECT_EQ(kwf::TrackContextMenu(dialog, IDM_FILES_PACKAGE, 0, at, 3081, rule), 0u);
  kwf::SetContextMenuSeam(nullptr);
}

}  // namespace
