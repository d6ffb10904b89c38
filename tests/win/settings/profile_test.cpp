// The settings store against the real registry and profile files of the
// test prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../../testutil.h"
#include "profile.h"

namespace {

// Every test works below its own company key, so that runs in parallel and
// leftovers of earlier runs cannot meet.
std::string TestCompanyKey() {
  return "SOFTWARE\\Kitwright Settings Test " + std::to_string(GetCurrentProcessId());
}
std::string TestBase() { return TestCompanyKey() + "\\Kitwright\\97b"; }

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void SetRaw(HKEY root, const std::string& path, const char* name, DWORD type,
            const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

bool QueryRaw(HKEY root, const std::string& path, const char* name, DWORD* type,
              std::vector<BYTE>* data) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  BYTE buf[512];
  DWORD size = sizeof buf;
  LONG rc = RegQueryValueExA(key, name, nullptr, type, buf, &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS)
    return false;
  data->assign(buf, buf + size);
  return true;
}

bool g_fakeWin32s = false;
bool FakePlatform() { return g_fakeWin32s; }

std::string WindowsFile(const char* name) {
  char dir[MAX_PATH];
  UINT n = GetWindowsDirectoryA(dir, sizeof dir);
  return std::string(dir, n) + "\\" + name;
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fakeWin32s = false;
    ProfileSetPlatformQuery(FakePlatform);
    ProfileSetRegistryBase(TestBase().c_str());
    ProfileSetIniFile(kProfileIniFile);
  }
  void TearDown() override {
    SHDeleteKeyA(HKEY_CURRENT_USER, TestCompanyKey().c_str());
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, TestCompanyKey().c_str());
    ProfileSetPlatformQuery(nullptr);
  }
};

TEST_F(ProfileTest, PerMachineDefaultsOnAFreshPrefix) {
  // The program's own key: nobody writes its per-machine section.
  ProfileSetPlatformQuery(nullptr);
  ProfileSetRegistryBase(kProfileKeyPath);
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kProfileKeyPath) + "\\Settings"));
  EXPECT_EQ(ProfileGetInt("Settings", "DisplayExtensionsPage", 1), 1u);
  EXPECT_EQ(ProfileGetInt("Settings", "DeleteReadOnly", 0), 0u);
  EXPECT_EQ(ProfileGetInt("Debugging", "LoadBitmapEx", 15), 15u);
  EXPECT_EQ(ProfileGetInt("U:Settings", "FlatToolbar", 1), 1u);
  char buf[32];
  EXPECT_EQ(ProfileGetString("Settings", "Missing", "dflt", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "dflt");
}

TEST_F(ProfileTest, FirstUserWriteCreatesTheWholeKeyPath) {
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, TestCompanyKey()));
  EXPECT_NE(ProfileWriteInt("U:Settings", "XPos", 42), 0);

  DWORD type = 0;
  std::vector<BYTE> data;
  ASSERT_TRUE(QueryRaw(HKEY_CURRENT_USER, TestBase() + "\\Settings", "XPos", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, kwtest::Bytes({42, 0, 0, 0}));
  EXPECT_EQ(ProfileGetInt("U:Settings", "XPos", 7), 42u);
  EXPECT_EQ(ProfileGetInt("u:Settings", "XPos", 7), 42u);
  // The per-user write leaves the per-machine side alone.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TestCompanyKey()));
  EXPECT_EQ(ProfileGetInt("Settings", "XPos", 7), 7u);
}

TEST_F(ProfileTest, PrefixSelectsTheRoot) {
  struct Case {
    const char* section;
    HKEY root;
    const char* subkey;
  } cases[] = {
      {"U:Prefs", HKEY_CURRENT_USER, "Prefs"},   {"u:Prefs", HKEY_CURRENT_USER, "Prefs"},
      {"L:Mach", HKEY_LOCAL_MACHINE, "Mach"},    {"l:Mach", HKEY_LOCAL_MACHINE, "Mach"},
      {"X:Other", HKEY_LOCAL_MACHINE, "Other"},  {"Plain", HKEY_LOCAL_MACHINE, "Plain"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    ++n;
    ASSERT_NE(ProfileWriteString(c.section, "Text", std::to_string(n).c_str()), 0);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(QueryRaw(c.root, TestBase() + "\\" + c.subkey, "Text", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    std::string expected = std::to_string(n);
    expected.push_back('\0');  // stored with its zero
    EXPECT_EQ(std::string(data.begin(), data.end()), expected);
  }
}

TEST_F(ProfileTest, IntegerReadGivesDefaultUnlessFourBytes) {
  const std::string path = TestBase() + "\\Settings";
  DWORD dword = 1234;
  SetRaw(HKEY_CURRENT_USER, path, "Dword", REG_DWORD, &dword, 4);
  SetRaw(HKEY_CURRENT_USER, path, "LongText", REG_SZ, "a longer text", 14);
  SetRaw(HKEY_CURRENT_USER, path, "Short", REG_BINARY, "\x05\x00", 2);
  SetRaw(HKEY_CURRENT_USER, path, "Empty", REG_BINARY, "", 0);
  struct Case {
    const char* entry;
    unsigned int expected;
  } cases[] = {{"Dword", 1234u}, {"LongText", 99u}, {"Short", 99u}, {"Empty", 99u},
               {"Missing", 99u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(ProfileGetInt("U:Settings", c.entry, 99), c.expected);
  }
}

TEST_F(ProfileTest, StringRoundTripAndDeletion) {
  EXPECT_NE(ProfileWriteString("U:Settings", "Name", "Kitwright"), 0);
  char buf[64];
  EXPECT_EQ(ProfileGetString("U:Settings", "Name", "x", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "Kitwright");

  // Too small a buffer for the value: the default comes back, terminated.
  char small[4];
  EXPECT_EQ(ProfileGetString("U:Settings", "Name", "defaultlong", small, sizeof small), 0);
  EXPECT_STREQ(small, "def");

  EXPECT_NE(ProfileWriteString("U:Settings", "Name", nullptr), 0);
  DWORD type;
  std::vector<BYTE> data;
  EXPECT_FALSE(QueryRaw(HKEY_CURRENT_USER, TestBase() + "\\Settings", "Name", &type, &data));
  EXPECT_EQ(ProfileGetString("U:Settings", "Name", "gone", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "gone");
  // Deleting what is not there fails and creates nothing.
  EXPECT_EQ(ProfileWriteString("U:Nowhere", "Name", nullptr), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, TestBase() + "\\Nowhere"));
}

TEST_F(ProfileTest, StringStoredWithoutZeroComesBackTerminated) {
  SetRaw(HKEY_CURRENT_USER, TestBase() + "\\Settings", "Raw", REG_SZ, "abc", 3);
  char buf[16];
  std::fill(std::begin(buf), std::end(buf), 'Z');
  EXPECT_EQ(ProfileGetString("U:Settings", "Raw", "d", buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "abc");
  // Exactly filling the buffer leaves no room for the zero: default instead.
  char four[3];
  EXPECT_EQ(ProfileGetString("U:Settings", "Raw", "d", four, sizeof four), 0);
  EXPECT_STREQ(four, "d");
}

std::vector<std::string> SplitList(const char* buf, size_t size) {
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos < size && buf[pos]) {
    std::string name(buf + pos);
    pos += name.size() + 1;
    names.push_back(name);
  }
  return names;
}

TEST_F(ProfileTest, NullEntryListsTheValueNames) {
  ASSERT_NE(ProfileWriteInt("U:List", "One", 1), 0);
  ASSERT_NE(ProfileWriteString("U:List", "Two", "2"), 0);
  ASSERT_NE(ProfileWriteInt("U:List", "Three", 3), 0);

  char buf[64];
  std::fill(std::begin(buf), std::end(buf), 'Z');
  EXPECT_EQ(ProfileGetString("U:List", nullptr, "dflt", buf, sizeof buf), 1);
  std::vector<std::string> names = SplitList(buf, sizeof buf);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
            (std::set<std::string>{"One", "Two", "Three"}));
  // "One\0Two\0Three\0" in some order, then the closing zero.
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(buf[14], '\0');
  EXPECT_EQ(buf[13], '\0');
  EXPECT_EQ(buf[15], 'Z');

  // A key without values, and a missing key, give the default.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (TestBase() + "\\Bare").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ProfileGetString("U:Bare", nullptr, "dflt", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "dflt");
  EXPECT_EQ(ProfileGetString("U:Absent", nullptr, "dflt", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "dflt");
}

TEST_F(ProfileTest, ValueListStopsBeforeANameWithoutRoomForTheEnd) {
  ASSERT_NE(ProfileWriteInt("U:List", "AAAA", 1), 0);
  ASSERT_NE(ProfileWriteInt("U:List", "BBBB", 2), 0);
  // Each name takes 5 bytes. A name goes in while length + position + 1
  // stays below size - 1.
  struct Case {
    unsigned int size;
    size_t names;
  } cases[] = {{8, 1}, {11, 1}, {12, 2}, {64, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::vector<char> buf(c.size + 4, 'Z');
    int rc = ProfileGetString("U:List", nullptr, "", buf.data(), c.size);
    EXPECT_EQ(rc, 1);
    std::vector<std::string> names = SplitList(buf.data(), c.size);
    EXPECT_EQ(names.size(), c.names);
    EXPECT_EQ(buf[c.names * 5], '\0');
    for (size_t i = c.size; i < buf.size(); ++i)
      EXPECT_EQ(buf[i], 'Z') << "written past the buffer at " << i;
  }
  // Too small for even one name: the default.
  char tiny[6];
  EXPECT_EQ(ProfileGetString("U:List", nullptr, "d", tiny, sizeof tiny), 0);
  EXPECT_STREQ(tiny, "d");
}

TEST_F(ProfileTest, SectionTooLongForTheKeyPathIsRefused) {
  std::string section = "U:" + std::string(300, 'S');
  EXPECT_EQ(ProfileWriteInt(section.c_str(), "XPos", 1), 0);
  EXPECT_EQ(ProfileGetInt(section.c_str(), "XPos", 5), 5u);
  // Nothing was written under a cut-off name either.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, TestCompanyKey()));
}

TEST_F(ProfileTest, PercentInTheKeyPathIsTakenLiterally) {
  const std::string base = TestCompanyKey() + "\\100%s done";
  ProfileSetRegistryBase(base.c_str());
  ASSERT_NE(ProfileWriteInt("U:Settings", "V", 3), 0);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, base + "\\Settings"));
  EXPECT_EQ(ProfileGetInt("U:Settings", "V", 0), 3u);
}

TEST_F(ProfileTest, FlushCallDoesNothingInTheRegistry) {
  EXPECT_EQ(ProfileWriteString(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(ProfileWriteString("U:Settings", nullptr, "x"), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, TestCompanyKey()));
}

// Win32s: every section goes to the INI file in the Windows folder.
class ProfileWin32sTest : public ProfileTest {
 protected:
  void SetUp() override {
    ProfileTest::SetUp();
    g_fakeWin32s = true;
    iniPath_ = WindowsFile(kProfileIniFile);
    DeleteFileA(iniPath_.c_str());
  }
  void TearDown() override {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath_.c_str());
    DeleteFileA(iniPath_.c_str());
    ProfileTest::TearDown();
  }
  std::string iniPath_;
};

TEST_F(ProfileWin32sTest, EverySectionGoesToTheIniFile) {
  EXPECT_NE(ProfileWriteInt("U:Settings", "XPos", -12), 0);
  EXPECT_NE(ProfileWriteString("Settings", "Name", "Kit"), 0);
  EXPECT_NE(ProfileWriteInt("L:Debugging", "LoadBitmapEx", 7), 0);
  ProfileWriteString(nullptr, nullptr, nullptr);  // flush; the platform's result says nothing

  std::vector<uint8_t> bytes = kwtest::ReadFile(iniPath_);
  std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("[Settings]"), std::string::npos) << text;
  EXPECT_NE(text.find("XPos=-12"), std::string::npos) << text;
  EXPECT_NE(text.find("Name=Kit"), std::string::npos) << text;
  EXPECT_NE(text.find("[Debugging]"), std::string::npos) << text;
  EXPECT_NE(text.find("LoadBitmapEx=7"), std::string::npos) << text;
  EXPECT_EQ(text.find("U:"), std::string::npos) << text;

  EXPECT_EQ(ProfileGetInt("U:Settings", "XPos", 0), static_cast<unsigned int>(-12));
  EXPECT_EQ(ProfileGetInt("Settings", "Missing", 31), 31u);
  char buf[16];
  EXPECT_EQ(ProfileGetString("Settings", "Name", "", buf, sizeof buf), 3);
  EXPECT_STREQ(buf, "Kit");
  // The registry saw none of it.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, TestCompanyKey()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TestCompanyKey()));
}

TEST_F(ProfileWin32sTest, NullValueDeletesTheIniEntry) {
  ASSERT_NE(ProfileWriteString("U:Settings", "Name", "Kit"), 0);
  ASSERT_NE(ProfileWriteString("U:Settings", "Name", nullptr), 0);
  char buf[16];
  ProfileGetString("U:Settings", "Name", "gone", buf, sizeof buf);
  EXPECT_STREQ(buf, "gone");
}

TEST_F(ProfileWin32sTest, EmptyIniNameMeansWinIni) {
  ProfileSetIniFile(nullptr);
  ASSERT_NE(ProfileWriteInt("U:KitwrightProfileTest", "Count", 5), 0);
  EXPECT_EQ(GetProfileIntA("KitwrightProfileTest", "Count", 0), 5u);
  EXPECT_EQ(ProfileGetInt("KitwrightProfileTest", "Count", 0), 5u);
  EXPECT_EQ(GetFileAttributesA(iniPath_.c_str()), INVALID_FILE_ATTRIBUTES);
  WriteProfileStringA("KitwrightProfileTest", nullptr, nullptr);
  EXPECT_EQ(GetProfileIntA("KitwrightProfileTest", "Count", 0), 0u);
}

TEST_F(ProfileTest, IniPrefixUsesTheCallersFileOnEveryPlatform) {
  kwtest::TempDir dir;
  const std::string file = dir.file("custom.ini");
  for (bool win32s : {false, true}) {
    SCOPED_TRACE(win32s);
    g_fakeWin32s = win32s;
    ASSERT_NE(ProfileWriteInt("I:Group", "Count", win32s ? 2 : 1, file.c_str()), 0);
    std::vector<uint8_t> bytes = kwtest::ReadFile(file);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("[Group]"), std::string::npos) << text;
    EXPECT_NE(text.find(win32s ? "Count=2" : "Count=1"), std::string::npos) << text;
    EXPECT_EQ(ProfileGetInt("i:Group", "Count", 0, file.c_str()), win32s ? 2u : 1u);
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, TestCompanyKey()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TestCompanyKey()));
  EXPECT_EQ(GetFileAttributesA(WindowsFile(kProfileIniFile).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProfileTest, EmptyRegistryBaseFallsBackToTheIniFile) {
  kwtest::TempDir dir;
  const std::string file = dir.file("fallback.ini");
  ProfileSetRegistryBase(nullptr);
  ProfileSetIniFile(file.c_str());
  ASSERT_NE(ProfileWriteInt("U:Settings", "YPos", 9), 0);
  EXPECT_EQ(ProfileGetInt("U:Settings", "YPos", 0), 9u);
  EXPECT_EQ(GetPrivateProfileIntA("Settings", "YPos", 0, file.c_str()), 9u);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

TEST_F(ProfileTest, CallsFromTwoThreadsKeepTheirOwnKeyPaths) {
  // Each thread writes and reads its own section; a key path shared between
  // calls would send values to the other thread's key.
  auto work = [](const char* section, int base, int* mismatches) {
    for (int i = 0; i < 200; ++i) {
      if (!ProfileWriteInt(section, "N", base + i) ||
          ProfileGetInt(section, "N", -1) != static_cast<unsigned int>(base + i))
        ++*mismatches;
    }
  };
  int bad1 = 0, bad2 = 0;
  std::thread a(work, "U:ThreadOne", 1000, &bad1);
  std::thread b(work, "U:ThreadTwo-with-a-longer-name", 5000, &bad2);
  a.join();
  b.join();
  EXPECT_EQ(bad1, 0);
  EXPECT_EQ(bad2, 0);
  EXPECT_EQ(ProfileGetInt("U:ThreadOne", "N", 0), 1199u);
  EXPECT_EQ(ProfileGetInt("U:ThreadTwo-with-a-longer-name", "N", 0), 5199u);
}

}  // namespace
