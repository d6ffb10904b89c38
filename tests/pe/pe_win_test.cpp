// The reader against the system's own resource and version calls.
#include <windows.h>

#include <gtest/gtest.h>

#include "pe/peimage.h"
#include "pe/version.h"
#include "pe_fixture.h"

namespace {

std::vector<std::string> Images() {
  char system[MAX_PATH];
  const UINT n = GetSystemDirectoryA(system, MAX_PATH);
  return {petest::CommittedFixture(), kwtest::HostPath(KW_PE_BUILT_FIXTURE),
          std::string(system, n) + "\\kernel32.dll", std::string(system, n) + "\\user32.dll"};
}

TEST(PeWindows, VersionMatchesTheSystemCalls) {
  for (const std::string& path : Images()) {
    kw::FileVersionInfo system, reader;
    std::string error;
    ASSERT_TRUE(kw::GetFileVersion(path, system, &error)) << error;
    ASSERT_TRUE(kw::ReadFileVersion(path, reader, &error)) << error;
    EXPECT_TRUE(system == reader) << path;
    EXPECT_EQ(system.fileVersionMS, reader.fileVersionMS) << path;
    EXPECT_EQ(system.language, reader.language) << path;
    EXPECT_EQ(system.translations, reader.translations) << path;
    ASSERT_EQ(system.stringTables.size(), reader.stringTables.size()) << path;
    for (size_t i = 0; i < system.stringTables.size(); ++i)
      EXPECT_EQ(system.stringTables[i].strings, reader.stringTables[i].strings) << path;
  }
}

class DataModule {
 public:
  explicit DataModule(const std::string& path)
      : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~DataModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

TEST(PeWindows, StringsMatchLoadString) {
  for (const std::string& path : {petest::CommittedFixture(), kwtest::HostPath(KW_PE_BUILT_FIXTURE)}) {
    DataModule module(path);
    ASSERT_NE(module.get(), nullptr) << path;
    kw::PeImage image;
    ASSERT_TRUE(image.Open(path));
    for (UINT id : {1u, 17u, 0x4002u, 2u, 5000u}) {
      char buf[256];
      const int n = LoadStringA(module.get(), id, buf, sizeof buf);
      std::u16string wide;
      std::string ansi;
      const bool found = image.GetString(id, kw::kAnyLanguage, wide, ansi);
      EXPECT_EQ(found, n > 0) << id;
      EXPECT_EQ(ansi, std::string(buf, n > 0 ? n : 0)) << id;
    }
  }
}

TEST(PeWindows, RawResourcesMatchFindResource) {
  const std::string path = kwtest::HostPath(KW_PE_BUILT_FIXTURE);
  DataModule module(path);
  ASSERT_NE(module.get(), nullptr);
  for (WORD type : {WORD(10), WORD(258), WORD(16)}) {
    const WORD name = type == 10 ? 3 : 1;
    HRSRC res = FindResourceA(module.get(), MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(type));
    ASSERT_NE(res, nullptr) << type;
    const DWORD size = SizeofResource(module.get(), res);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module.get(), res)));
    ASSERT_NE(data, nullptr);
    std::vector<uint8_t> mine;
    std::string error;
    ASSERT_TRUE(kw::LoadDllResource(path, type, name, mine, &error)) << error;
    EXPECT_EQ(mine, std::vector<uint8_t>(data, data + size)) << type;
  }
}

}  // namespace
