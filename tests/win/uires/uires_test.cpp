// The UI resource libraries as the program sees them: the exports, the
// object's slots, and the resources both languages must carry.
#include "resource_library.h"

#include "controls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Library {
  explicit Library(const char* name) {
    std::string path = std::string(KW_LNG_DIR) + "/" + name;
    module = ::LoadLibraryA(path.c_str());
    if (module) {
      get = reinterpret_cast<GetResourceObjectProc>(
          reinterpret_cast<void*>(::GetProcAddress(module, kGetResourceObjectExport)));
      release = reinterpret_cast<ReleaseResourceObjectProc>(
          reinterpret_cast<void*>(::GetProcAddress(module, kReleaseResourceObjectExport)));
    }
  }
  ~Library() {
    if (module)
      ::FreeLibrary(module);
  }
  HMODULE module = nullptr;
  GetResourceObjectProc get = nullptr;
  ReleaseResourceObjectProc release = nullptr;
};

const char* const kLibraries[] = {"KWRENG32.DLL", "KWRDEU32.DLL"};

std::string String(IResourceLibrary* lib, UINT id) {
  char buffer[4096] = {};
  int n = lib->LoadString(nullptr, id, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, n) : std::string();
}

std::vector<int> Ranges(std::initializer_list<std::pair<int, int>> ranges) {
  std::vector<int> ids;
  for (auto [a, b] : ranges)
    for (int i = a; i <= b; ++i)
      ids.push_back(i);
  return ids;
}

TEST(ResourceObject, UseCountKeepsObjectUntilLastRelease) {
  for (const char* name : kLibraries) {
    Library lib(name);
    ASSERT_TRUE(lib.module && lib.get && lib.release) << name;
    IResourceLibrary* first = lib.get();
    IResourceLibrary* second = lib.get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_FALSE(lib.release());
    // Still alive after one release.
    EXPECT_EQ(first->GetVersion(nullptr), 0x011C6101u);
    EXPECT_TRUE(lib.release());
    EXPECT_FALSE(lib.release()) << "a release without a get must not count";
  }
}

TEST(ResourceObject, SlotsAnswerForTheirLibrary) {
  const WORD languages[] = {1033, 1031};
  for (int i = 0; i < 2; ++i) {
    Library lib(kLibraries[i]);
    ASSERT_TRUE(lib.get);
    IResourceLibrary* object = lib.get();
    void* out = &out;
    const GUID anyInterface = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    EXPECT_EQ(object->QueryInterface(anyInterface, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->GetLanguage(nullptr), languages[i]);
    EXPECT_EQ(object->GetModuleHandle(), lib.module);
    // The module argument is ignored: the program's own module is passed.
    char text[64] = {};
    EXPECT_GT(object->LoadString(::GetModuleHandleA(nullptr), 16385, text, sizeof text), 0);
    EXPECT_EQ(std::to_string(languages[i]), text);
    EXPECT_TRUE(lib.release());
  }
}

TEST(ResourceObject, LoadBitmapFlagAndSystemIds) {
  Library lib("KWRENG32.DLL");
  ASSERT_TRUE(lib.get);
  IResourceLibrary* object = lib.get();
  // Flag clear, system id: the system's close-box bitmap.
  HBITMAP system = object->LoadBitmap(FALSE, MAKEINTRESOURCEA(32754));
  EXPECT_NE(system, nullptr);
  // Flag set with the same id: looked up in the library, which has none.
  EXPECT_EQ(object->LoadBitmap(TRUE, MAKEINTRESOURCEA(32754)), nullptr);
  // Flag clear, library id below 32513: from the library.
  HBITMAP toolbar = object->LoadBitmap(FALSE, MAKEINTRESOURCEA(16));
  EXPECT_NE(toolbar, nullptr);
  // Icons follow the same rule; cursors need the flag for the library.
  EXPECT_NE(object->LoadIcon(FALSE, MAKEINTRESOURCEA(32513)), nullptr);
  EXPECT_NE(object->LoadIcon(FALSE, MAKEINTRESOURCEA(28671)), nullptr);
  EXPECT_EQ(object->LoadIcon(FALSE, "IDI_FOLDER"), nullptr) << "a named icon with the flag clear is the system's";
  EXPECT_NE(object->LoadIcon(TRUE, "IDI_FOLDER"), nullptr);
  EXPECT_NE(object->LoadCursor(FALSE, MAKEINTRESOURCEA(32512)), nullptr);
  EXPECT_NE(object->LoadCursor(TRUE, MAKEINTRESOURCEA(30977)), nullptr);
  if (system) ::DeleteObject(system);
  if (toolbar) ::DeleteObject(toolbar);
  lib.release();
}

TEST(ResourceObject, BuildMessagesAreExact) {
  Library lib("KWRENG32.DLL");
  ASSERT_TRUE(lib.get);
  IResourceLibrary* o = lib.get();
  const std::pair<UINT, const char*> cases[] = {
      {0x2000, "WARNING 100: No program icons will be created on the Start Menu."},
      {0x2080, "ERROR 200: Kitwright could not locate the file \"%1\" specified in the \"%2\" folder."},
      {0x2085, "INTERNAL ERROR 205: Kitwright could not write SETUP.EXE. Please ensure the \"%1\" directory is not read-only."},
      {0x2088, "ERROR 208: Unable to open the file \"%s\" specified as the bitmap for all dialogs on the UI Components tab."},
      {0x3001, "Compressing the \"%s\" folder."},
      {0x3005, "For more information on error messages and warnings see \"Error Messages and Warnings\" in the Kitwright User's Guide."},
      {0x300A, "Please wait while Kitwright is launching the setup program."},
      {120, "1.44 MB (3\xBD\" HD)"},
      {124, "1.2 MB (5\xBC\" HD)"},
      {0x1103, "Pentium\xAE"},
      {0x6FFF, "Kitwright\nUntitled\nProject\nKitwright Projects (*.kwr)\n.kwr\nKitwrightProject\nKitwright Project"},
      {16384, "{27EA14CC-A778-11CF-9FA9-F01420DF9D3B}"},
      {0x402, "No language extensions available.  Please re-install Kitwright."},
  };
  for (auto& [id, text] : cases)
    EXPECT_EQ(String(o, id), text) << "string " << id;
  lib.release();
}

// The ids every library must carry.
std::vector<int> StringIds() {
  return Ranges({{1, 3}, {10, 11}, {20, 20}, {32, 39}, {48, 52}, {64, 64}, {100, 102},
                 {120, 125}, {360, 363}, {502, 504}, {1024, 1027}, {3072, 3083},
                 {3584, 3584}, {4176, 4181}, {4352, 4356}, {4368, 4370}, {4372, 4373},
                 {4384, 4388}, {4608, 4612}, {4864, 4868}, {5120, 5123}, {6144, 6144},
                 {8192, 8195}, {8320, 8328}, {8448, 8452}, {8704, 8704}, {12288, 12298},
                 {16384, 16386}, {28671, 28671}, {34048, 34049}, {35076, 35076},
                 {36864, 36872}, {57344, 57345}});
}

// printf and positional placeholders of a text, in order.
std::vector<std::string> Placeholders(const std::string& text) {
  static const std::regex re("%[0-9]+|%[-0-9.]*h?[sudxXc]|%%");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it)
    found.push_back(it->str());
  std::sort(found.begin(), found.end());
  return found;
}

TEST(ResourceLists, EveryStringInBothLanguagesWithTheSamePlaceholders) {
  Library eng("KWRENG32.DLL"), deu("KWRDEU32.DLL");
  ASSERT_TRUE(eng.get && deu.get);
  IResourceLibrary* e = eng.get();
  IResourceLibrary* d = deu.get();
  int same = 0;
  for (int id : StringIds()) {
    std::string te = String(e, id), td = String(d, id);
    EXPECT_FALSE(te.empty()) << "English string " << id;
    EXPECT_FALSE(td.empty()) << "German string " << id;
    EXPECT_EQ(Placeholders(te), Placeholders(td)) << "string " << id << ": " << te << " / " << td;
    if (te == td)
      ++same;
  }
  // Names, numbers and ids stay; the texts are translated.
  EXPECT_LT(same, 40);
  EXPECT_NE(String(e, 0x2080), String(d, 0x2080));
  EXPECT_EQ(String(d, 16384), "{27EA14CD-A778-11CF-9FA9-F01420DF9D3B}");
  eng.release();
  deu.release();
}

void ExpectResources(HMODULE module, LPCSTR type, const std::vector<int>& ids,
                     const char* what) {
  for (int id : ids)
    EXPECT_NE(::FindResourceA(module, MAKEINTRESOURCEA(id), type), nullptr)
        << what << " " << id;
}

TEST(ResourceLists, DialogsMenusPicturesInBothLibraries) {
  const std::vector<int> dialogs = {2,  5,  10, 11, 12, 15, 16, 17, 18, 19, 20,  22,  23,
                                    24, 25, 26, 27, 28, 29, 30, 31, 42, 60, 61,  71,  72,
                                    73, 74, 75, 76, 78, 79, 100, 101, 102, 30721};
  const std::vector<int> menus = {3072, 3073, 3074, 4352, 4353, 5120, 5121, 8448, 8449, 28671};
  std::vector<int> bitmaps = {11, 12, 13, 16, 3072, 3073, 4352, 5120, 6400, 8448,
                              26567, 26568, 30994, 30995, 30996};
  for (int id = 2817; id <= 2830; ++id)
    bitmaps.push_back(id);
  const std::vector<int> icons = {2, 10, 20, 5120, 28671};
  std::vector<int> cursors = {30977};
  for (int id = 30979; id <= 30988; ++id)
    cursors.push_back(id);
  for (const char* name : kLibraries) {
    Library lib(name);
    ASSERT_TRUE(lib.module) << name;
    SCOPED_TRACE(name);
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_DIALOG), dialogs, "dialog");
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_MENU), menus, "menu");
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_ACCELERATOR), {28671}, "accelerators");
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_BITMAP), bitmaps, "bitmap");
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_GROUP_ICON), icons, "icon group");
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_GROUP_CURSOR), cursors, "cursor group");
    ExpectResources(lib.module, reinterpret_cast<LPCSTR>(RT_VERSION), {1}, "version");
    for (const char* icon : {"IDI_DUMMY", "IDI_FILE", "IDI_FOLDER", "IDI_INIFILE",
                             "IDI_PROGRAMGROUP", "IDI_REGISTRY"})
      EXPECT_NE(::FindResourceA(lib.module, icon, reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr)
          << icon;
    // Every dialog uses the font of the period.
    for (int id : dialogs) {
      HRSRC r = ::FindResourceA(lib.module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
      if (!r)
        continue;
      auto* t = static_cast<const BYTE*>(::LockResource(::LoadResource(lib.module, r)));
      DWORD size = ::SizeofResource(lib.module, r);
      ASSERT_GE(size, sizeof(DLGTEMPLATE));
      // Extended templates start with 1, 0xFFFF.
      ASSERT_FALSE(t[0] == 1 && t[1] == 0 && t[2] == 0xFF && t[3] == 0xFF) << "dialog " << id;
      DWORD style = 0;
      std::memcpy(&style, t, 4);
      EXPECT_TRUE(style & DS_SETFONT) << "dialog " << id;
    }
  }
}

const int kDialogIds[] = {2,  5,  10, 11, 12, 15, 16, 17, 18, 19, 20, 22, 23, 24, 25, 26, 27, 28,
                          29, 30, 31, 42, 60, 61, 71, 72, 73, 74, 75, 76, 78, 79, 100, 101, 102,
                          30721};

INT_PTR CALLBACK QuietDialog(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

std::wstring DialogFont(const BYTE* t, DWORD size, WORD* points) {
  // DLGTEMPLATE, then menu, class and title (each 0, 0xFFFF + ordinal, or a
  // string), then the point size and the face name.
  const WORD* p = reinterpret_cast<const WORD*>(t + 18);
  const WORD* end = reinterpret_cast<const WORD*>(t + size);
  for (int field = 0; field < 3 && p < end; ++field) {
    if (*p == 0xFFFF) p += 2;
    else { while (p < end && *p) ++p; ++p; }
  }
  if (p >= end)
    return L"";
  *points = *p++;
  std::wstring face;
  while (p < end && *p)
    face += static_cast<wchar_t>(*p++);
  return face;
}

class WindowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    RegisterCheckListBox(::GetModuleHandleA(nullptr));
    RegisterBitmapControl(::GetModuleHandleA(nullptr));
  }
};

TEST_F(WindowsTest, EveryDialogTemplateOpensInBothLanguages) {
  for (const char* name : kLibraries) {
    Library lib(name);
    ASSERT_TRUE(lib.get);
    IResourceLibrary* object = lib.get();
    HWND host = ::CreateWindowA("Static", "host", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
    for (int id : kDialogIds) {
      HRSRC r = ::FindResourceA(lib.module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
      ASSERT_NE(r, nullptr) << name << " dialog " << id;
      auto* t = static_cast<const BYTE*>(::LockResource(::LoadResource(lib.module, r)));
      WORD points = 0;
      EXPECT_EQ(DialogFont(t, ::SizeofResource(lib.module, r), &points), L"MS Sans Serif")
          << name << " dialog " << id;
      EXPECT_EQ(points, 8);
      DWORD style = 0;
      std::memcpy(&style, t, 4);
      // The module argument is ignored: a wrong one is passed on purpose.
      HWND dialog = object->CreateDialogParam(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                              (style & WS_CHILD) ? host : nullptr, &QuietDialog, 0);
      EXPECT_NE(dialog, nullptr) << name << " dialog " << id;
      if (dialog)
        ::DestroyWindow(dialog);
    }
    ::DestroyWindow(host);
    lib.release();
  }
}

TEST_F(WindowsTest, CommonControlSlotsUseTheLibrary) {
  Library lib("KWRDEU32.DLL");
  ASSERT_TRUE(lib.get);
  IResourceLibrary* o = lib.get();
  HINSTANCE wrong = ::GetModuleHandleA(nullptr);
  HIMAGELIST images = o->ImageList_LoadImage(wrong, MAKEINTRESOURCEA(4352), 16, 1,
                                             RGB(255, 0, 255), IMAGE_BITMAP, 0);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 5);
  ImageList_Destroy(images);
  HBITMAP mapped = o->CreateMappedBitmap(wrong, 16, 0, nullptr, 0);
  EXPECT_NE(mapped, nullptr);
  if (mapped) ::DeleteObject(mapped);
  HWND host = ::CreateWindowA("Static", "host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
  TBBUTTON buttons[7] = {};
  for (int i = 0; i < 7; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = 100 + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = TBSTYLE_BUTTON;
  }
  HWND toolbar = o->CreateToolbarEx(wrong, host, WS_CHILD | WS_VISIBLE, 1, 7, wrong, 16, buttons,
                                    7, 16, 15, 16, 15, sizeof(TBBUTTON));
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 7);
  HWND updown = o->CreateUpDownControl(wrong, WS_CHILD | UDS_SETBUDDYINT, 0, 0, 10, 20, host, 2,
                                       wrong, nullptr, 10, 0, 4);
  ASSERT_NE(updown, nullptr);
  EXPECT_EQ(LOWORD(::SendMessageA(updown, UDM_GETPOS, 0, 0)), 4);
  // A property sheet of the library's page templates, with wrong instances.
  PROPSHEETPAGEA pages[2] = {};
  for (int i = 0; i < 2; ++i) {
    pages[i].dwSize = sizeof pages[i];
    pages[i].hInstance = wrong;
    pages[i].pszTemplate = MAKEINTRESOURCEA(i == 0 ? 100 : 102);
    pages[i].pfnDlgProc = &QuietDialog;
  }
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
  header.hwndParent = host;
  header.hInstance = wrong;
  header.pszCaption = "Optionen";
  header.nPages = 2;
  header.ppsp = pages;
  auto sheet = reinterpret_cast<HWND>(o->PropertySheet(&header));
  EXPECT_EQ(header.hInstance, lib.module);
  EXPECT_EQ(pages[0].hInstance, lib.module);
  EXPECT_EQ(pages[1].hInstance, lib.module);
  ASSERT_NE(sheet, nullptr);
  EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
  ::DestroyWindow(sheet);
  ::DestroyWindow(host);
  lib.release();
}

}  // namespace
