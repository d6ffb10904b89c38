// Loading the UI resource libraries from a folder and choosing the language.
#include "reslang.h"

#include "profile.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char kTestBase[] = "SOFTWARE\\Brantel SoftWare\\Kitwright\\ReslangTest";

HINSTANCE g_switched = nullptr;
int g_switches = 0;
void RecordSwitch(HINSTANCE module) {
  g_switched = module;
  ++g_switches;
}
WORD g_systemLanguage = 1033;
WORD SystemLanguage() { return g_systemLanguage; }

class LanguageArrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
    ProfileSetRegistryBase(kTestBase);
    languages.SetFolder(folder.path() + "\\");
    languages.SetModuleSwitch(&RecordSwitch);
    languages.SetSystemLanguageQuery(&SystemLanguage);
    g_switched = nullptr;
    g_switches = 0;
    g_systemLanguage = 1033;
  }
  void TearDown() override {
    while (languages.GetLoadCount() > 0)
      languages.Unload();
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
  }
  void Copy(const char* name) {
    fs::copy_file(fs::path(KW_LNG_DIR) / name, fs::path(folder.path()) / name);
  }
  bool IsLoaded(const char* name) {
    return ::GetModuleHandleA((folder.path() + "\\" + name).c_str()) != nullptr;
  }
  std::string String(UINT id) {
    char buffer[512] = {};
    languages.LoadString(id, buffer, sizeof buffer);
    return buffer;
  }

  kwtest::TempDir folder;
  CIKitwrightLanguageArray languages;
};

TEST_F(LanguageArrayTest, OnlyGermanWithEnglishSettingStartsGerman) {
  Copy("KWRDEU32.DLL");
  ProfileWriteInt("U:Settings", "Language", 1033);
  ASSERT_TRUE(languages.Load());
  EXPECT_EQ(languages.GetCurrentLanguage(), 1031);
  EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 0), 1031u);
  EXPECT_EQ(g_switched, languages.GetAt(0)->module);
  EXPECT_EQ(String(0x3009), "Das Projekt ist auf dem neuesten Stand.");
}

TEST_F(LanguageArrayTest, LanguageChoiceOrder) {
  Copy("KWRENG32.DLL");
  Copy("KWRDEU32.DLL");
  struct Case {
    int setting;  // -1: no setting
    WORD system;
    WORD expected;
  };
  const Case cases[] = {
      {1031, 1033, 1031},  // the setting wins
      {1033, 1031, 1033},
      {-1, 1031, 1031},    // no setting: the system language
      {1040, 1033, 1033},  // a language without library: the system's
  };
  for (const Case& c : cases) {
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kTestBase);
    if (c.setting >= 0)
      ProfileWriteInt("U:Settings", "Language", c.setting);
    g_systemLanguage = c.system;
    ASSERT_TRUE(languages.Load());
    EXPECT_EQ(languages.GetCurrentLanguage(), c.expected) << c.setting << "/" << c.system;
    EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 0), c.expected);
    EXPECT_EQ(languages.GetResourceModule(), languages.Find(c.expected)->module);
    languages.Unload();
  }
}

TEST_F(LanguageArrayTest, NeitherSettingNorSystemLanguageTakesTheFirstLibrary) {
  Copy("KWRENG32.DLL");
  Copy("KWRDEU32.DLL");
  ProfileWriteInt("U:Settings", "Language", 1040);
  g_systemLanguage = 1036;
  ASSERT_TRUE(languages.Load());
  WORD first = languages.GetAt(0)->object->GetLanguage(nullptr);
  EXPECT_EQ(languages.GetCurrentLanguage(), first);
  EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 0), first);
}

TEST_F(LanguageArrayTest, LoadCountKeepsLibrariesLoaded) {
  Copy("KWRENG32.DLL");
  ASSERT_TRUE(languages.Load());
  ASSERT_TRUE(languages.Load());
  languages.Unload();
  EXPECT_TRUE(IsLoaded("KWRENG32.DLL"));
  EXPECT_EQ(languages.GetSize(), 1);
  EXPECT_EQ(String(0x3009), "The project is up-to-date.");
  languages.Unload();
  EXPECT_FALSE(IsLoaded("KWRENG32.DLL"));
  EXPECT_EQ(languages.GetSize(), 0);
  // Without a library the program's own module serves.
  EXPECT_EQ(languages.GetResourceModule(), ::GetModuleHandleA(nullptr));
  EXPECT_EQ(String(0x3009), "");
}

TEST_F(LanguageArrayTest, EmptyFolderFails) {
  EXPECT_FALSE(languages.Load());
  EXPECT_EQ(languages.GetSize(), 0);
}

#ifdef KW_EXTENSION_DLL
TEST_F(LanguageArrayTest, ExtensionLibraryIsSkippedAndUnloaded) {
  Copy("KWRENG32.DLL");
  fs::copy_file(KW_EXTENSION_DLL, fs::path(folder.path()) / "KWRXT329.DLL");
  ASSERT_TRUE(languages.Load());
  EXPECT_EQ(languages.GetSize(), 1);
  EXPECT_EQ(languages.GetAt(0)->object->GetLanguage(nullptr), 1033);
  EXPECT_FALSE(IsLoaded("KWRXT329.DLL"));
}
#endif

TEST_F(LanguageArrayTest, SetLanguageSwitchesAndWrites) {
  Copy("KWRENG32.DLL");
  Copy("KWRDEU32.DLL");
  ProfileWriteInt("U:Settings", "Language", 1033);
  ASSERT_TRUE(languages.Load());
  EXPECT_EQ(String(16385), "1033");
  languages.SetLanguage(1031);
  EXPECT_EQ(ProfileGetInt("U:Settings", "Language", 0), 1031u);
  EXPECT_EQ(g_switched, languages.Find(1031)->module);
  EXPECT_EQ(String(16385), "1031");
  // Routed calls reach the current library.
  HMENU menu = languages.LoadMenu(MAKEINTRESOURCEA(0x6FFF));
  EXPECT_NE(menu, nullptr);
  if (menu) ::DestroyMenu(menu);
  HCURSOR arrow = languages.LoadCursor(MAKEINTRESOURCEA(30977));
  EXPECT_NE(arrow, nullptr);
  // Named icons come from the library, system ids from the system.
  for (const char* name : {"IDI_FILE", "IDI_FOLDER", "IDI_INIFILE", "IDI_PROGRAMGROUP", "IDI_REGISTRY"})
    EXPECT_NE(languages.LoadIcon(name), nullptr) << name;
  EXPECT_NE(languages.LoadIcon(MAKEINTRESOURCEA(5120)), nullptr);  // the shortcut overlay
  EXPECT_NE(languages.LoadIcon(IDI_QUESTION), nullptr);
  HBITMAP own = languages.LoadBitmap(MAKEINTRESOURCEA(16));
  HBITMAP system = languages.LoadBitmap(MAKEINTRESOURCEA(32754));  // OBM_CLOSE
  EXPECT_NE(own, nullptr);
  EXPECT_NE(system, nullptr);
  if (own) ::DeleteObject(own);
  if (system) ::DeleteObject(system);
}

}  // namespace

namespace {

bool g_win32s = false;
bool Win32s() { return g_win32s; }
LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcA(w, m, wp, lp);
}

TEST_F(LanguageArrayTest, WindowClassRegistrationByPlatform) {
  Copy("KWRENG32.DLL");
  languages.SetWin32sQuery(&Win32s);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &PlainProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "KwrReslangTestClass";
  // Win32s without its support library: nothing can register.
  g_win32s = true;
  ASSERT_TRUE(languages.Load());
  EXPECT_EQ(languages.RegisterWindowClass(&wc), 0);
  languages.Unload();
  g_win32s = false;
  ASSERT_TRUE(languages.Load());
  EXPECT_NE(languages.RegisterWindowClass(&wc), 0);
  // A class that exists already fails both forms.
  EXPECT_EQ(languages.RegisterWindowClass(&wc), 0);
  EXPECT_EQ(languages.RegisterWindowClass(nullptr), 0);
  ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
  languages.SetWin32sQuery(nullptr);
}

}  // namespace
