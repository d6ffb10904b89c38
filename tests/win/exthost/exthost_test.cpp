// The extension host with the real extension libraries, loaded from LNG
// folders made for each test.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "../../testutil.h"
#include "extension.h"

namespace {

// Build paths are the build machine's; under Wine its root is drive Z:.
const std::string kEnglish = kwtest::HostPath(KW_EXT_ENGLISH);
const std::string kGerman = kwtest::HostPath(KW_EXT_GERMAN);
const std::string kResourceLibrary = kwtest::HostPath(KW_RES_FIXTURE);

// A temporary LNG folder filled with copies of the given libraries.
class LngFolder {
 public:
  std::string path() const { return dir_.path() + "\\"; }
  std::string Add(const std::string& from, const std::string& name) {
    std::string to = path() + name;
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
    return to;
  }
  std::string AddText(const std::string& name, const std::string& text) {
    std::string to = path() + name;
    kwtest::WriteFile(to, text);
    return to;
  }

 private:
  kwtest::TempDir dir_;
};

bool IsLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

std::string String(HMODULE module, UINT id) {
  char text[128] = {};
  LoadStringA(module, id, text, sizeof text);
  return text;
}

std::vector<uint8_t> Resource(HMODULE module, WORD type, WORD name) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(name), MAKEINTRESOURCEA(type));
  if (!found)
    return {};
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  return std::vector<uint8_t>(data, data + SizeofResource(module, found));
}

TEST(ExtensionHostTest, KeepsOnlyLibrariesWithTheExtensionEntryPoint) {
  LngFolder lng;
  const std::string english = lng.Add(kEnglish, "KWRXT329.DLL");
  const std::string german = lng.Add(kGerman, "KWRXT327.DLL");
  const std::string resources = lng.Add(kResourceLibrary, "KWRENG32.DLL");
  lng.AddText("NOTALIB.DLL", "This file is no library.\r\n");
  lng.AddText("README.TXT", "not a DLL name");
  lng.Add(kEnglish, "KWRXT329.BAK");
  ASSERT_TRUE(CreateDirectoryA((lng.path() + "FOLDER.DLL").c_str(), nullptr));
  {
    CIKitwrightExtension host(lng.path());
    ASSERT_EQ(host.GetSize(), 2u);
    std::set<WORD> languages;
    for (size_t i = 0; i < host.GetSize(); ++i) {
      ASSERT_NE(host.GetAt(i)->extension, nullptr);
      languages.insert(host.GetAt(i)->extension->GetLanguage());
    }
    EXPECT_EQ(languages, (std::set<WORD>{1031, 1033}));
    EXPECT_TRUE(IsLoaded(english));
    EXPECT_TRUE(IsLoaded(german));
    EXPECT_FALSE(IsLoaded(resources)) << "a resource library stays loaded";
  }
  EXPECT_FALSE(IsLoaded(english));
  EXPECT_FALSE(IsLoaded(german));
}

TEST(ExtensionHostTest, NoExtensionRaises) {
  LngFolder lng;
  const std::string resources = lng.Add(kResourceLibrary, "KWRDEU32.DLL");
  lng.AddText("BROKEN.DLL", "MZ but nothing more");
  EXPECT_THROW(CIKitwrightExtension host(lng.path()), CIKitwrightExtension::CXNoExtensions);
  EXPECT_FALSE(IsLoaded(resources));
  EXPECT_THROW(CIKitwrightExtension host(lng.path() + "MISSING\\"),
               CIKitwrightExtension::CXNoExtensions);
}

TEST(ExtensionHostTest, DefaultFolderIsLngBesideTheProgram) {
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string program(exe, n);
  std::string expected = program.substr(0, program.find_last_of('\\')) + "\\LNG\\";
  EXPECT_EQ(CIKitwrightExtension::ProgramLngFolder(), expected);
}

TEST(ExtensionHostTest, SlotsAnswerAsTheInterfaceSays) {
  LngFolder lng;
  lng.Add(kEnglish, "KWRXT329.DLL");
  lng.Add(kGerman, "KWRXT327.DLL");
  CIKitwrightExtension host(lng.path());
  struct Case {
    WORD language;
    const char* guid;
  } cases[] = {{1033, "{27EA14D1-A778-11CF-9FA9-F01420DF9D3B}"},
               {1031, "{27EA14D2-A778-11CF-9FA9-F01420DF9D3B}"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    ILanguageExtension* ext = host.Find(c.language);
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(ext->GetLanguage(), c.language);
    EXPECT_EQ(ext->GetVersion(), 0x0100u);
    EXPECT_EQ(ext->Reserved(12345), 1u);
    void* out = &out;
    EXPECT_EQ(ext->QueryInterface(IID_IUnknown, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(ext->AddRef(), 2u);
    EXPECT_EQ(ext->Release(), 1u);

    HMODULE module = nullptr;
    for (size_t i = 0; i < host.GetSize(); ++i)
      if (host.GetAt(i)->extension == ext)
        module = host.GetAt(i)->module;
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(String(module, 16384), c.guid);
    EXPECT_EQ(String(module, 16385), std::to_string(c.language));
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(16384), MAKEINTRESOURCEA(5)), nullptr);
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr);
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr);

    // The version resource names the library's language.
    char file[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(module, file, sizeof file), 0u);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(file, 0, size, info.data()));
    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(translation)[0], c.language);
  }
}

TEST(ExtensionHostTest, UseCountKeepsTheObjectForEveryHolder) {
  LngFolder lng;
  const std::string english = lng.Add(kEnglish, "KWRXT329.DLL");
  auto first = std::make_unique<CIKitwrightExtension>(lng.path());
  {
    CIKitwrightExtension second(lng.path());
    // One library, one object, two uses.
    EXPECT_EQ(first->GetAt(0)->extension, second.GetAt(0)->extension);
    EXPECT_EQ(first->GetAt(0)->module, second.GetAt(0)->module);
  }
  // The second release left the first holder's object alive.
  EXPECT_EQ(first->GetAt(0)->extension->GetLanguage(), 1033);
  HMODULE module = first->GetAt(0)->module;
  auto release = reinterpret_cast<DllReleaseExtensionObjectProc>(
      reinterpret_cast<void*>(GetProcAddress(module, kReleaseExtensionObjectName)));
  auto get = reinterpret_cast<DllGetExtensionObjectProc>(
      reinterpret_cast<void*>(GetProcAddress(module, kGetExtensionObjectName)));
  ASSERT_NE(release, nullptr);
  ASSERT_NE(get, nullptr);
  ILanguageExtension* extra = get();
  EXPECT_EQ(extra, first->GetAt(0)->extension);
  EXPECT_FALSE(release()) << "a use is still held";
  first.reset();
  EXPECT_FALSE(IsLoaded(english));
}

TEST(ExtensionHostTest, TwoExtensionsOfOneLanguageFirstFoundWins) {
  LngFolder lng;
  lng.Add(kEnglish, "FIRST.DLL");
  lng.Add(kEnglish, "SECOND.DLL");
  lng.Add(kGerman, "KWRXT327.DLL");
  CIKitwrightExtension host(lng.path());
  ASSERT_EQ(host.GetSize(), 3u);
  std::vector<size_t> english;
  for (size_t i = 0; i < host.GetSize(); ++i)
    if (host.GetAt(i)->extension->GetLanguage() == 1033)
      english.push_back(i);
  ASSERT_EQ(english.size(), 2u);
  EXPECT_NE(host.GetAt(english[0])->module, host.GetAt(english[1])->module);
  EXPECT_EQ(host.Find(1033), host.GetAt(english[0])->extension);
  EXPECT_NE(host.Find(1033), host.GetAt(english[1])->extension);
  EXPECT_EQ(host.Find(1036), nullptr);
}

TEST(ExtensionHostTest, DefaultLanguage) {
  // The prefix is an English system.
  ASSERT_EQ(CIKitwrightExtension::SystemLanguage(), 1033);
  {
    LngFolder lng;
    lng.Add(kGerman, "KWRXT327.DLL");
    CIKitwrightExtension host(lng.path());
    EXPECT_EQ(host.DefaultLanguage(), 1031);
  }
  LngFolder lng;
  lng.Add(kGerman, "KWRXT327.DLL");
  lng.Add(kEnglish, "KWRXT329.DLL");
  CIKitwrightExtension host(lng.path());
  const WORD first = host.GetAt(0)->extension->GetLanguage();
  EXPECT_EQ(host.DefaultLanguage(), 1033);
  EXPECT_EQ(host.DefaultLanguageFor(1031), 1031);
  EXPECT_EQ(host.DefaultLanguageFor(1033), 1033);
  EXPECT_EQ(host.DefaultLanguageFor(1036), first);
}

TEST(ExtensionHostTest, LanguageNamesComeFromTheSystem) {
  char name[64];
  ASSERT_TRUE(CIKitwrightExtension::LanguageName(1033, name, sizeof name));
  EXPECT_NE(std::strstr(name, "English"), nullptr) << name;
  ASSERT_TRUE(CIKitwrightExtension::LanguageName(1031, name, sizeof name));
  EXPECT_NE(std::strstr(name, "German"), nullptr) << name;
  char tiny[1] = {'x'};
  CIKitwrightExtension::LanguageName(1033, tiny, sizeof tiny);
  EXPECT_EQ(tiny[0], '\0');
}

class DropSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lng_.Add(kEnglish, "KWRXT329.DLL");
    lng_.Add(kGerman, "KWRXT327.DLL");
    host_ = std::make_unique<CIKitwrightExtension>(lng_.path());
  }
  HMODULE ModuleOf(WORD language) {
    for (size_t i = 0; i < host_->GetSize(); ++i)
      if (host_->GetAt(i)->extension->GetLanguage() == language)
        return host_->GetAt(i)->module;
    return nullptr;
  }
  bool SetupExists() {
    return GetFileAttributesA((out_.path() + "\\SETUP.EXE").c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  LngFolder lng_;
  kwtest::TempDir out_;
  std::unique_ptr<CIKitwrightExtension> host_;
};

TEST_F(DropSetupTest, WritesTheChosenLoaderAndFindsItsDiskMap) {
  struct Case {
    DWORD options;
    WORD name;
    bool trailingBackslash;
  } cases[] = {{0x1, 1, false}, {0x2, 2, true}, {0x3, 1, false}, {0x80000002, 2, false}};
  for (WORD language : {1033, 1031}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(language) + " options " + std::to_string(c.options));
      DeleteFileA((out_.path() + "\\SETUP.EXE").c_str());
      std::string folder = out_.path() + (c.trailingBackslash ? "\\" : "");
      DWORD offset = 0xDEADBEEF;
      ASSERT_EQ(host_->Find(language)->DropSetup(folder.c_str(), c.options, &offset), 1u);
      std::vector<uint8_t> written = kwtest::ReadFile(out_.path() + "\\SETUP.EXE");
      EXPECT_EQ(written, Resource(ModuleOf(language), 258, c.name));
      ASSERT_GE(written.size(), 2u);
      EXPECT_EQ(written[0], 'M');
      EXPECT_EQ(written[1], 'Z');
      // The offset names the 1024-byte disk-map area, not its neighbours.
      ASSERT_LE(offset + 1024u, written.size());
      EXPECT_EQ(std::string(written.begin() + offset, written.begin() + offset + 8), "KWDSKMAP");
      EXPECT_TRUE(std::all_of(written.begin() + offset + 8, written.begin() + offset + 1024,
                              [](uint8_t b) { return b == 0; }));
    }
  }
}

TEST_F(DropSetupTest, OptionsWithoutALoaderOrSizeOnlyWriteNothing) {
  ILanguageExtension* ext = host_->Find(1033);
  DWORD offset = 77;
  EXPECT_EQ(ext->DropSetup(out_.path().c_str(), 0, &offset), 0u);
  EXPECT_EQ(ext->DropSetup(out_.path().c_str(), 0x40000000, &offset), 0u);
  EXPECT_FALSE(SetupExists());

  HMODULE module = ModuleOf(1033);
  for (WORD name : {1, 2}) {
    SCOPED_TRACE(name);
    DWORD size = ext->DropSetup(out_.path().c_str(), 0x40000000 | name, &offset);
    EXPECT_EQ(size, Resource(module, 258, name).size());
    EXPECT_GT(size, 1024u);
    EXPECT_FALSE(SetupExists());
  }
  EXPECT_EQ(offset, 77u);
}

TEST_F(DropSetupTest, MissingFolderFails) {
  DWORD offset = 0;
  std::string folder = out_.path() + "\\NOT\\THERE";
  EXPECT_EQ(host_->Find(1031)->DropSetup(folder.c_str(), 0x1, &offset), 0u);
}

TEST_F(DropSetupTest, LoaderSourceHelper) {
  uint32_t offset = 0;
  ASSERT_TRUE(DropSetupLoader(*host_, 1031, out_.path(), 0x2, &offset));
  std::vector<uint8_t> written = kwtest::ReadFile(out_.path() + "\\SETUP.EXE");
  ASSERT_LE(offset + 1024u, written.size());
  EXPECT_EQ(std::string(written.begin() + offset, written.begin() + offset + 8), "KWDSKMAP");
  EXPECT_FALSE(DropSetupLoader(*host_, 1036, out_.path(), 0x2, &offset));
  // The size query is no drop.
  DeleteFileA((out_.path() + "\\SETUP.EXE").c_str());
  EXPECT_TRUE(DropSetupLoader(*host_, 1033, out_.path(), 0x40000001, &offset));
  EXPECT_TRUE(SetupExists());
}

}  // namespace

namespace {

// Collects what the process writes through OutputDebugString.
class DebugOutput {
 public:
  DebugOutput() {
    text_.clear();
    handler_ = AddVectoredExceptionHandler(1, Handler);
  }
  ~DebugOutput() { RemoveVectoredExceptionHandler(handler_); }
  DebugOutput(const DebugOutput&) = delete;
  DebugOutput& operator=(const DebugOutput&) = delete;
  static const std::string& text() { return text_; }

 private:
  static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2) {
      const char* s = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
      size_t n = static_cast<size_t>(r->ExceptionInformation[0]);
      if (s && n > 0)
        text_.append(s, n - 1);  // the length counts the zero
    }
    return EXCEPTION_CONTINUE_SEARCH;
  }
  static std::string text_;
  void* handler_;
};
std::string DebugOutput::text_;

TEST(DropSetupFailureTest, MissingLoaderIsReportedAndWritesNothing) {
  LngFolder lng;
  lng.Add(kwtest::HostPath(KW_EXT_NOLOADER), "KWRXT99.DLL");
  CIKitwrightExtension host(lng.path());
  ILanguageExtension* ext = host.Find(1036);
  ASSERT_NE(ext, nullptr);
  kwtest::TempDir out;
  for (DWORD options : {0x1u, 0x2u, 0x40000001u}) {
    SCOPED_TRACE(options);
    DebugOutput debug;
    DWORD offset = 5;
    EXPECT_EQ(ext->DropSetup(out.path().c_str(), options, &offset), 0u);
    EXPECT_EQ(offset, 5u);
    EXPECT_EQ(DebugOutput::text(),
              "In DropSetup: FindResource() failed. Error code=0x00000715.\r\n");
    EXPECT_EQ(GetFileAttributesA((out.path() + "\\SETUP.EXE").c_str()), INVALID_FILE_ATTRIBUTES);
  }
  uint32_t offset = 0;
  EXPECT_FALSE(DropSetupLoader(host, 1036, out.path(), 0x1, &offset));
}

}  // namespace
