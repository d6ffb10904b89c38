#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "../testutil.h"
#include "build/engine.h"
#include "build/sources.h"
#include "model/project.h"
#include "platform/clock.h"
#include "platform/filesys.h"
#include "projfile/projfile.h"
#include "setupinf/setupdata.h"
#include "zpk/reader.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The English texts, as the UI resource library carries them.
class Strings : public kw::IStringSource {
 public:
  bool Text(uint16_t id, std::string& out) override {
    static const std::map<uint16_t, std::string> t = {
        {0x2000, "WARNING 100: No program icons will be created on the Start Menu."},
        {0x2001, "WARNING 101: No application name has been specified in the General tab."},
        {0x2002, "WARNING 102: No company name has been specified in the General tab."},
        {0x2080, "ERROR 200: Kitwright could not locate the file \"%1\" specified in the \"%2\" folder."},
        {0x2081, "ERROR 201: User break."},
        {0x2082, "ERROR 202: The current project must be saved before creating a setup program."},
        {0x2085, "INTERNAL ERROR 205: Kitwright could not write SETUP.EXE. Please ensure the \"%1\" directory is not read-only."},
        {0x2089, "ERROR 209: The file \"%1\" specified in the \"%2\" folder is 4 GB or larger; a setup cannot hold it."},
        {0x208A, "ERROR 210: The setup needs more than %u disks. Choose a larger disk size in the Build Options."},
        {0x208B, "ERROR 211: The path of the file \"%1\" specified in the \"%2\" folder is longer than 255 characters."},
        {0x208C, "INTERNAL ERROR 212: The build stopped on an unexpected error: %s"},
        {0x208D, "ERROR 213: The file \"%1\" specified in the \"%2\" folder changed while it was being compressed."},
        {0x208E, "ERROR 214: \"%1\" specified in the \"%2\" folder is not a file that can be compressed (a folder, a device or a pipe)."},
        {0x208F, "ERROR 215: Kitwright cannot read the file \"%1\" specified in the \"%2\" folder: %3."},
        {0x2090, "ERROR 216: Kitwright could not write \"%1\": %2."},
        {0x2083, "ERROR 203: Kitwright could not locate the file \"%s\" specified as the readme file."},
        {0x3000, "Setup build process started."},
        {0x3001, "Compressing the \"%s\" folder."},
        {0x3003, "Validating data."},
        {0x3004, "Build finished - %u warning(s)."},
        {0x3005, "For more information on error messages and warnings see \"Error Messages and Warnings\" in the Kitwright User's Guide."},
        {0x3006, "Build cancelled - %u error(s)."},
        {0x3007, "Compressing Billboards."},
        {0x3008, "Checking dependencies..."},
        {32, "Main"},
    };
    auto it = t.find(id);
    if (it == t.end()) return false;
    out = it->second;
    return true;
  }
};

// A stand-in loader: "MZ", then a 1024-byte disk-map area at offset 64.
class Loader : public kw::ILoaderSource {
 public:
  bool DropSetup(uint16_t language, const std::string& folder, uint32_t loader, uint32_t& offset) override {
    ++calls;
    lastLanguage = language;
    lastLoader = loader;
    Bytes image(64 + 1024, 0);
    image[0] = 'M';
    image[1] = 'Z';
    kwtest::WriteFile(folder + kw::kPathSep + "SETUP.EXE", image);
    offset = 64;
    return true;
  }
  int calls = 0;
  uint16_t lastLanguage = 0;
  uint32_t lastLoader = 0;
};

class Reporter : public kw::IBuildReporter {
 public:
  void LogLine(const std::string& line) override { log.push_back(line); }
  void CurrentFile(const std::string& path) override { files.push_back(path); }
  void Progress(unsigned file, unsigned total) override {
    EXPECT_LE(file, 100u);
    EXPECT_LE(total, 100u);
    progress.push_back({file, total});
    if (onProgress) onProgress();
    if (cancelAfter && ++reports >= cancelAfter) cancel->store(1);
  }
  bool Has(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
  size_t Count(const std::string& prefix) const {
    return std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
  std::vector<std::string> log, files;
  std::vector<std::pair<unsigned, unsigned>> progress;
  std::function<void()> onProgress;
  int cancelAfter = 0, reports = 0;
  std::atomic<int>* cancel = nullptr;
};

Bytes Random(size_t n, uint32_t seed) {
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
  return b;
}

struct Fixture : ::testing::Test {
  kwtest::TempDir dir;
  CKitwrightProject project;
  Strings strings;
  Loader loader;
  Reporter reporter;
  std::atomic<int> cancel{0};

  void SetUp() override {
    kw::SetFixedClock(1000000000);
    project.OnNewDocument(1031);
    project.m_strProductName = "Demo";
    project.m_strCompanyName = "Brantel";
    project.m_pGroups->m_pChild->AddIcon("Demo", "%INSTALLDIR%\\DEMO.EXE");
  }
  void TearDown() override { kw::SetFixedClock(std::nullopt); }

  std::string AddFile(CFileFolder* pkg, const std::string& name, const Bytes& data) {
    std::string path = dir.file(name);
    kwtest::WriteFile(path, data);
    pkg->AddFile(path.c_str());
    return path;
  }
  void Save() { ASSERT_EQ(kw::SaveProject(project, dir.file("demo.kwr")), kw::kProjectOk); }
  kw::BuildParams Params(kw::ILoaderSource* source, uint32_t capacity = 1457664) {
    kw::BuildParams p;
    p.project = &project;
    p.outputDir = project.GetOutputDirectory();
    p.capacity = capacity;
    p.strings = &strings;
    p.loader = source;
    p.reporter = &reporter;
    p.cancel = &cancel;
    return p;
  }
  kw::BuildResult Build(uint32_t capacity = 1457664) { return kw::RunBuildOnThread(Params(&loader, capacity)); }
  std::string Out(const std::string& rel) {
    std::string s = project.GetOutputDirectory() + kw::kPathSep + rel;
    for (char& c : s)
      if (c == '/' || c == '\\') c = kw::kPathSep;
    return s;
  }
};

TEST(Messages, Formatting) {
  struct Case { const char* text; std::vector<std::string> args; const char* want; } cases[] = {
      {"file \"%1\" in \"%2\"", {"a.exe", "Main"}, "file \"a.exe\" in \"Main\""},
      {"%2 before %1", {"x", "y"}, "y before x"},
      {"Build finished - %u warning(s).", {"3"}, "Build finished - 3 warning(s)."},
      {"Compressing the \"%s\" folder.", {"Samples"}, "Compressing the \"Samples\" folder."},
      {"100%% sure %s %s", {"only-one"}, "100% sure only-one "},
      {"odd %n %x stays", {"a"}, "odd %n %x stays"},
  };
  for (const auto& c : cases) EXPECT_EQ(kw::FormatBuildMessage(c.text, c.args), c.want) << c.text;
}

TEST(DiskMap, Runs) {
  EXPECT_EQ(kw::EncodeDiskMap(Bytes(300, 1)), (Bytes{'Q', 'V', 'P', 'L', 0x2C, 1, 0, 0, 0xFF, 0x2C, 0x01, 1}));
  Bytes mixed = {1, 1, 2, 3, 3, 3};
  EXPECT_EQ(kw::EncodeDiskMap(mixed), (Bytes{'Q', 'V', 'P', 'L', 6, 0, 0, 0, 2, 1, 1, 2, 3, 3}));
  EXPECT_EQ(kw::EncodeDiskMap({}), (Bytes{'Q', 'V', 'P', 'L', 0, 0, 0, 0}));
  // A run longer than a u16 is split.
  Bytes big = kw::EncodeDiskMap(Bytes(70000, 2));
  EXPECT_EQ(Bytes(big.begin() + 8, big.end()), (Bytes{0xFF, 0xFF, 0xFF, 2, 0xFF, 0x71, 0x11, 2}));
}

TEST_F(Fixture, UnsavedProjectIsRefused) {
  AddFile(project.m_pPackages, "a.txt", Bytes(10, 'a'));
  kw::BuildResult r = Build();
  EXPECT_EQ(r.errors, 1u);
  EXPECT_TRUE(reporter.Has("ERROR 202: The current project must be saved before creating a setup program."));
  EXPECT_TRUE(reporter.Has("Build cancelled - 1 error(s)."));
  EXPECT_EQ(reporter.log.back(), "For more information on error messages and warnings see \"Error Messages and Warnings\" in the Kitwright User's Guide.");
  EXPECT_EQ(loader.calls, 0);
  EXPECT_TRUE(reporter.files.empty());
}

TEST_F(Fixture, MissingFilesAreEachReported) {
  Save();
  project.m_pPackages->AddFile(dir.file("gone1.dll").c_str());
  AddFile(project.m_pPackages, "here.txt", Bytes(5, 'h'));
  project.m_pPackages->AddFile(dir.file("gone2.dll").c_str());
  const uint32_t stamp = project.m_dwFingerprint;
  kw::BuildResult r = Build();
  EXPECT_EQ(r.errors, 2u);
  EXPECT_EQ(reporter.Count("ERROR 200: "), 2u);
  EXPECT_TRUE(reporter.Has("ERROR 200: Kitwright could not locate the file \"" + dir.file("gone1.dll") +
                           "\" specified in the \"Main\" folder."));
  EXPECT_EQ(loader.calls, 0);
  EXPECT_TRUE(reporter.files.empty());
  EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
  EXPECT_EQ(project.m_dwFingerprint, stamp);
}

TEST_F(Fixture, NoIconsIsAWarning) {
  Save();
  project.m_pGroups->m_pChild->RemoveIcon(project.m_pGroups->m_pChild->m_pIcons);
  AddFile(project.m_pPackages, "a.txt", Bytes(100, 'a'));
  kw::BuildResult r = Build();
  EXPECT_EQ(r.errors, 0u);
  EXPECT_EQ(r.warnings, 1u);
  EXPECT_TRUE(reporter.Has("WARNING 100: No program icons will be created on the Start Menu."));
  EXPECT_TRUE(reporter.Has("Build finished - 1 warning(s)."));
  EXPECT_EQ(reporter.log.back().rfind("For more information", 0), 0u);
  EXPECT_EQ(loader.lastLanguage, 1031);
  EXPECT_EQ(loader.lastLoader, 2u);
}

TEST_F(Fixture, ThreeDisksWithDiskMapAndReadableArchive) {
  Save();
  auto* billboards = new CFileFolder(":Billboard", 0x1300, project.TakeNextPackageId());
  project.m_pPackages->AppendPackage(billboards);
  std::map<std::string, Bytes> content;
  content[AddFile(billboards, "bb1.bmp", Random(3000, 9))] = Random(3000, 9);
  std::vector<std::string> ordinary;
  for (int i = 0; i < 6; ++i) {
    Bytes data = Random(15000 + i * 100, 100 + i);  // incompressible: stored
    std::string path = AddFile(project.m_pPackages, "f" + std::to_string(i) + ".bin", data);
    content[path] = data;
    ordinary.push_back(path);
  }
  const uint32_t capacity = 40000;
  kw::BuildResult r = Build(capacity);
  ASSERT_EQ(r.errors, 0u) << ::testing::PrintToString(reporter.log);
  EXPECT_TRUE(reporter.Has("Compressing Billboards."));
  EXPECT_TRUE(reporter.Has("Compressing the \"Main\" folder."));
  // Billboards go first; SETUP.INF before everything and deleted afterwards.
  ASSERT_GE(reporter.files.size(), 2u);
  EXPECT_NE(reporter.files[0].find("SETUP.INF"), std::string::npos);
  EXPECT_EQ(reporter.files[1], dir.file("bb1.bmp"));
  EXPECT_FALSE(kw::CanOpenForReading(project.GetOutputDirectory() + kw::kPathSep + "SETUP.INF"));

  for (const char* v : {"DISK1/SETUP.EXE", "DISK2/SETUP.2", "DISK3/SETUP.3"}) {
    kw::FileStatus st;
    ASSERT_TRUE(kw::GetFileStatus(Out(v), st)) << v;
    EXPECT_LE(st.size, capacity) << v;
  }

  kw::zpk::ArchiveReader reader;
  kw::zpk::ReadError e = reader.Open(Out("DISK1/SETUP.EXE"));
  ASSERT_TRUE(e.ok()) << e.message;
  ASSERT_GE(reader.volumes().size(), 3u);
  std::map<std::string, size_t> firstVolume;
  for (const auto& f : reader.files()) {
    Bytes got;
    e = reader.Unpack(f, [&](const uint8_t* d, size_t n) {
      got.insert(got.end(), d, d + n);
      return true;
    });
    ASSERT_TRUE(e.ok()) << f.name << ": " << e.message;
    // Stored names are whole paths in the archive's own form.
    std::string name = f.name;
    for (const auto& c : content)
      if (kw::zpk::SafeRelativePath(c.first) == kw::zpk::SafeRelativePath(f.name)) name = c.first;
    firstVolume[name] = reader.volumes()[f.pieces[0].volume].number;
    if (name.find("SETUP.INF") != std::string::npos) continue;
    ASSERT_TRUE(content.count(name)) << f.name;
    EXPECT_EQ(got, content[name]) << f.name;
  }
  EXPECT_EQ(reader.files().size(), content.size() + 1);  // and SETUP.INF

  // The map names, for each ordinary file, the disk on which it begins.
  Bytes exe = kwtest::ReadFile(Out("DISK1/SETUP.EXE"));
  ASSERT_EQ(std::string(exe.begin() + 64, exe.begin() + 68), "QVPL");
  EXPECT_EQ(exe[68], ordinary.size());
  Bytes volumes;
  for (size_t pos = 72; volumes.size() < ordinary.size();) {
    size_t count = exe[pos++];
    if (count == 0xFF) {
      count = exe[pos] | (exe[pos + 1] << 8);
      pos += 2;
    }
    volumes.insert(volumes.end(), count, exe[pos++]);
  }
  for (size_t i = 0; i < ordinary.size(); ++i) EXPECT_EQ(volumes[i], firstVolume[ordinary[i]]) << ordinary[i];
  EXPECT_EQ(volumes.back(), 3);

  // Stamped: nothing to do until a source changes.
  EXPECT_FALSE(project.NeedsRebuild());
  kwtest::WriteFile(ordinary[2], Random(15201, 1));
  EXPECT_TRUE(project.NeedsRebuild());
}

// Unpacks SETUP.INF, the archive's first entry, and reads it.
void ReadSetupInf(const kw::zpk::ArchiveReader& reader, const kwtest::TempDir& dir, CSetupData& out) {
  ASSERT_FALSE(reader.files().empty());
  Bytes bytes;
  ASSERT_TRUE(reader.Unpack(reader.files()[0], [&](const uint8_t* d, size_t n) {
    bytes.insert(bytes.end(), d, d + n);
    return true;
  }).ok());
  const std::string path = dir.file("unpacked.inf");
  kwtest::WriteFile(path, bytes);
  out.ReadFile(path);
}

// Reads the disk map back from DISK1\SETUP.EXE.
Bytes ReadDiskMap(const std::string& exe, size_t n) {
  Bytes b = kwtest::ReadFile(exe), volumes;
  for (size_t pos = 72; volumes.size() < n && pos + 1 < b.size();) {
    size_t count = b[pos++];
    if (count == 0xFF) {
      count = b[pos] | (b[pos + 1] << 8);
      pos += 2;
    }
    volumes.insert(volumes.end(), count, b[pos++]);
  }
  return volumes;
}

TEST_F(Fixture, DiskMapFollowsEntriesMovedToTheNextVolume) {
  // Sizes around a volume's end: some leave too little room for the next
  // entry, which then begins on the next disk.
  Save();
  const std::string a = AddFile(project.m_pPackages, "a.bin", Random(100, 1));
  const std::string b = AddFile(project.m_pPackages, "b.bin", Random(100, 2));
  for (size_t size = 14000; size < 15000; size += 37) {
    kwtest::WriteFile(a, Random(size, 7));
    ASSERT_EQ(Build(16384).errors, 0u) << size;
    kw::zpk::ArchiveReader reader;
    ASSERT_TRUE(reader.Open(Out("DISK1/SETUP.EXE")).ok()) << size;
    ASSERT_EQ(reader.files().size(), 3u);
    Bytes want;
    for (size_t i = 1; i < 3; ++i) want.push_back(reader.volumes()[reader.files()[i].pieces[0].volume].number);
    EXPECT_EQ(ReadDiskMap(Out("DISK1/SETUP.EXE"), 2), want) << size;
  }
}

TEST_F(Fixture, StaleDisksGoAndBuildsRepeatByteForByte) {
  Save();
  AddFile(project.m_pPackages, "a.txt", Bytes(20000, 'a'));
  AddFile(project.m_pPackages, "b.bin", Random(5000, 3));
  std::filesystem::create_directories(Out("DISK7"));
  kwtest::WriteFile(Out("DISK7/SETUP.7"), std::string("stale"));
  kwtest::WriteFile(Out("KEEP.TXT"), std::string("not a disk"));
  ASSERT_EQ(Build().errors, 0u);
  EXPECT_FALSE(std::filesystem::exists(Out("DISK7")));
  EXPECT_TRUE(std::filesystem::exists(Out("KEEP.TXT")));
  Bytes first = kwtest::ReadFile(Out("DISK1/SETUP.EXE"));
  // Every time the build itself writes is the clock's, however late the
  // build runs: the fixed clock is years away from the real time.
  {
    kw::zpk::ArchiveReader reader;
    ASSERT_TRUE(reader.Open(Out("DISK1/SETUP.EXE")).ok());
    ASSERT_FALSE(reader.files().empty());
    EXPECT_EQ(reader.files()[0].name, "SETUP.INF");
    EXPECT_EQ(reader.files()[0].entry.mtime, 1000000000u);
    EXPECT_EQ(reader.volumes()[0].header.created, 1000000000u);
    EXPECT_EQ(reader.volumes()[0].header.modified, 1000000000u);
    CSetupData inf;
    ReadSetupInf(reader, dir, inf);
    EXPECT_EQ(inf.m_tBuildTime, 1000000000u);
  }
  ASSERT_EQ(Build().errors, 0u);
  EXPECT_EQ(kwtest::ReadFile(Out("DISK1/SETUP.EXE")), first);
}

TEST_F(Fixture, ArchiveNamesAreTheSetupDescriptionsSources) {
  Save();
  auto* billboards = new CFileFolder(":Billboard", 0x1300, project.TakeNextPackageId());
  project.m_pPackages->AppendPackage(billboards);
  AddFile(billboards, "bb.bmp", Random(100, 4));
  AddFile(project.m_pPackages, "App.exe", Random(300, 5));
  // A path relative to the project, in the project's Windows form.
  kwtest::WriteFile(dir.file("Readme.txt"), Bytes(40, 'r'));
  project.m_pPackages->AddFile("Readme.txt");
  ASSERT_EQ(Build().errors, 0u) << ::testing::PrintToString(reporter.log);
  kw::zpk::ArchiveReader reader;
  ASSERT_TRUE(reader.Open(Out("DISK1/SETUP.EXE")).ok());
  CSetupData inf;
  ReadSetupInf(reader, dir, inf);
  std::vector<std::string> sources, names;
  for (CFileFolder* pkg = inf.m_pPackages; pkg; pkg = pkg->m_pNext)
    if (pkg->m_dwFlags & CFileFolder::kEarly)
      for (CFileItem* f = pkg->m_pFiles; f; f = f->m_pNext) sources.push_back(f->m_strSource);
  for (CFileFolder* pkg = inf.m_pPackages; pkg; pkg = pkg->m_pNext)
    if (!(pkg->m_dwFlags & CFileFolder::kEarly))
      for (CFileItem* f = pkg->m_pFiles; f; f = f->m_pNext) sources.push_back(f->m_strSource);
  for (size_t i = 1; i < reader.files().size(); ++i) names.push_back(reader.files()[i].entry.longName);
  EXPECT_EQ(names, sources);
  ASSERT_EQ(sources.size(), 3u);
  for (const std::string& n : sources) {
    EXPECT_EQ(n.find('/'), std::string::npos) << n;  // the form the setup runs with
    EXPECT_NE(n.find("\\"), std::string::npos) << n;
  }
  EXPECT_EQ(sources[2].substr(sources[2].size() - 11), "\\Readme.txt");
}

TEST_F(Fixture, PackagesKeepTheirIdsInTheSetupDescription) {
  Save();
  // Added since the last save: in memory the flags lack the id bit.
  auto* extra = new CFileFolder("Extra", 0x0010, project.TakeNextPackageId());
  project.m_pPackages->AppendPackage(extra);
  AddFile(extra, "x.txt", Bytes(30, 'x'));
  project.m_pOptions->At(0)->AddPackageId(extra->m_dwId);
  ASSERT_FALSE(extra->m_dwFlags & CFileFolder::kHasId);
  ASSERT_EQ(Build().errors, 0u);
  kw::zpk::ArchiveReader reader;
  ASSERT_TRUE(reader.Open(Out("DISK1/SETUP.EXE")).ok());
  CSetupData inf;
  ReadSetupInf(reader, dir, inf);
  std::vector<uint32_t> want, got;
  for (CFileFolder* pkg = project.m_pPackages; pkg; pkg = pkg->m_pNext) want.push_back(pkg->m_dwId);
  for (CFileFolder* pkg = inf.m_pPackages; pkg; pkg = pkg->m_pNext) got.push_back(pkg->m_dwId);
  EXPECT_EQ(got, want);
  EXPECT_EQ(inf.m_pOptions->At(0)->m_packageIds.back(), extra->m_dwId);
}

TEST_F(Fixture, WhatTheFormatCannotHoldIsRefusedInValidation) {
  Save();
  // A sparse file past 4 GiB: its size would not fit the 32-bit fields.
  const std::string big = dir.file("big.iso");
  kwtest::WriteFile(big, Bytes(1, 'b'));
  std::filesystem::resize_file(big, (uint64_t(1) << 32) + 100 * 1024 * 1024);
  project.m_pPackages->AddFile(big.c_str());
  // A path longer than an archive name field holds (258 characters: still
  // short enough for Windows to open).
  std::string deep = dir.path();
  while (deep.size() < 180) deep += kw::kPathSep + std::string(60, 'd');
  std::filesystem::create_directories(deep);
  const std::string longPath = deep + kw::kPathSep + std::string(258 - deep.size() - 5, 'n') + ".txt";
  ASSERT_EQ(longPath.size(), 258u);
  kwtest::WriteFile(longPath, Bytes(3, 'n'));
  project.m_pPackages->AddFile(longPath.c_str());
  AddFile(project.m_pPackages, "fine.txt", Bytes(3, 'f'));
  kw::BuildResult r = Build();
  EXPECT_EQ(r.errors, 2u);
  EXPECT_TRUE(reporter.Has("ERROR 209: The file \"" + big +
                           "\" specified in the \"Main\" folder is 4 GB or larger; a setup cannot hold it."))
      << ::testing::PrintToString(reporter.log);
  EXPECT_TRUE(reporter.Has("ERROR 211: The path of the file \"" + longPath +
                           "\" specified in the \"Main\" folder is longer than 255 characters."));
  EXPECT_EQ(loader.calls, 0);
  EXPECT_TRUE(reporter.files.empty());
  EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
}

TEST_F(Fixture, MoreDisksThanTheMapHoldsAreRefused) {
  Save();
  // Incompressible, more than 256 volumes of 64 KiB.
  AddFile(project.m_pPackages, "huge.bin", Random(260 * 65536, 11));
  kw::BuildResult r = Build(65536);
  EXPECT_EQ(r.errors, 1u);
  EXPECT_TRUE(reporter.Has("ERROR 210: The setup needs more than 255 disks. Choose a larger disk size in the Build Options."))
      << ::testing::PrintToString(reporter.log);
  EXPECT_FALSE(reporter.Has("ERROR 201: User break."));
  EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
  EXPECT_FALSE(std::filesystem::exists(Out("DISK256")));
}

TEST_F(Fixture, AnExceptionEndsTheBuildAsFailed) {
  struct Throwing : kw::ILoaderSource {
    bool standard = true;
    bool DropSetup(uint16_t, const std::string& folder, uint32_t, uint32_t&) override {
      kwtest::WriteFile(folder + kw::kPathSep + "SETUP.EXE", std::string("MZ half written"));
      if (standard) throw std::runtime_error("disk on fire");
      throw 42;
    }
  };
  struct Case { bool standard; const char* line; } cases[] = {
      {true, "INTERNAL ERROR 212: The build stopped on an unexpected error: disk on fire"},
      {false, "INTERNAL ERROR 212: The build stopped on an unexpected error: (unknown)"},
  };
  Save();
  AddFile(project.m_pPackages, "a.txt", Bytes(1, 'a'));
  const uint32_t stamp = project.m_dwFingerprint;
  for (const Case& c : cases) {
    Throwing throwing;
    throwing.standard = c.standard;
    reporter.log.clear();
    kw::BuildResult r = kw::RunBuildOnThread(Params(&throwing));
    EXPECT_EQ(r.errors, 1u) << c.line;
    EXPECT_TRUE(reporter.Has(c.line)) << ::testing::PrintToString(reporter.log);
    EXPECT_TRUE(reporter.Has("Build cancelled - 1 error(s)."));
    EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
    EXPECT_EQ(project.m_dwFingerprint, stamp);
  }
}

TEST_F(Fixture, ProgressIsReportedWhenThePercentageChanges) {
  Save();
  // About 1000 blocks of 2 KiB: a report for each would be ten times too many.
  AddFile(project.m_pPackages, "big.bin", Random(2000 * 1024, 12));
  AddFile(project.m_pPackages, "small.txt", Bytes(10, 's'));
  ASSERT_EQ(Build().errors, 0u);
  // SETUP.INF, big.bin and small.txt: each percentage of each file once.
  EXPECT_LE(reporter.progress.size(), 3u * 101u);
  EXPECT_GE(reporter.progress.size(), 50u);
  for (size_t i = 1; i < reporter.progress.size(); ++i)
    EXPECT_FALSE(reporter.progress[i] == reporter.progress[i - 1]) << i;
  EXPECT_EQ(reporter.progress.back().first, 100u);
}

TEST_F(Fixture, ASourceThatChangesWhileCompressedFailsTheBuild) {
  struct Case { const char* name; bool grow; } cases[] = {{"grows", true}, {"shrinks", false}};
  Save();
  const std::string path = AddFile(project.m_pPackages, "log.txt", Bytes(200000, 'l'));
  const uint32_t stamp = project.m_dwFingerprint;
  for (const Case& c : cases) {
    kwtest::WriteFile(path, Bytes(200000, 'l'));
    reporter.log.clear();
    bool changed = false;
    // Between the status the entry's size comes from and the end of reading.
    reporter.onProgress = [&] {
      if (changed || reporter.files.empty() || reporter.files.back() != path) return;
      changed = true;
      if (c.grow) {
        std::ofstream f(path, std::ios::binary | std::ios::app);
        f << std::string(5000, 'g');
      } else {
        std::filesystem::resize_file(path, 1000);
      }
    };
    kw::BuildResult r = Build();
    reporter.onProgress = nullptr;
    ASSERT_TRUE(changed) << c.name;
    EXPECT_EQ(r.errors, 1u) << c.name;
    EXPECT_TRUE(reporter.Has("ERROR 213: The file \"" + path +
                             "\" specified in the \"Main\" folder changed while it was being compressed."))
        << c.name << ::testing::PrintToString(reporter.log);
    EXPECT_FALSE(reporter.Has("Build finished - 0 warning(s)."));
    EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
    EXPECT_EQ(project.m_dwFingerprint, stamp) << c.name;
  }
}

TEST_F(Fixture, WhatIsNoFileIsRefusedAndNeverWaitedFor) {
  Save();
  const std::string folder = dir.file("folder.dat");
  std::filesystem::create_directories(folder);
  project.m_pPackages->AddFile(folder.c_str());
  std::vector<std::string> refused = {folder};
#ifndef _WIN32
  // A FIFO would block an open until someone writes to it.
  const std::string fifo = dir.file("pipe.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  project.m_pPackages->AddFile(fifo.c_str());
  refused.push_back(fifo);
#endif
  AddFile(project.m_pPackages, "fine.txt", Bytes(3, 'f'));
  kw::BuildResult r = Build();
  EXPECT_EQ(r.errors, refused.size());
  for (const std::string& f : refused)
    EXPECT_TRUE(reporter.Has("ERROR 214: \"" + f + "\" specified in the \"Main\" folder is not a file that can be compressed (a folder, a device or a pipe)."))
        << f << ::testing::PrintToString(reporter.log);
  EXPECT_EQ(reporter.Count("ERROR 200: "), 0u);
  EXPECT_EQ(loader.calls, 0);
}

#ifndef _WIN32
TEST_F(Fixture, AFifoAsTheReadmeIsNotWaitedFor) {
  Save();
  const std::string fifo = dir.file("readme.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  project.m_strReadmeFile = fifo;
  project.ChangeFlags(CKitwrightProject::kDlgReadme, 0);
  AddFile(project.m_pPackages, "fine.txt", Bytes(3, 'f'));
  kw::BuildResult r = Build();
  EXPECT_EQ(r.errors, 1u);
  EXPECT_TRUE(reporter.Has("ERROR 203: Kitwright could not locate the file \"" + fifo + "\" specified as the readme file."));
}
#endif

#ifdef _WIN32
TEST_F(Fixture, AnUnreadableSourceIsNotAMissingOne) {
  Save();
  const std::string path = AddFile(project.m_pPackages, "locked.txt", Bytes(10, 'k'));
  // Held open without sharing, as a running program holds its files.
  HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  kw::BuildResult r = Build();
  ::CloseHandle(lock);
  EXPECT_EQ(r.errors, 1u);
  EXPECT_EQ(reporter.Count("ERROR 215: Kitwright cannot read the file \"" + path + "\" specified in the \"Main\" folder: "), 1u)
      << ::testing::PrintToString(reporter.log);
  EXPECT_EQ(reporter.Count("ERROR 200: "), 0u);
}
#else
TEST_F(Fixture, AFullDiskIsAWriteErrorWithItsReason) {
  // /dev/full refuses every write with ENOSPC: planted where the build
  // writes SETUP.INF, or where it begins the second volume.
  struct Case { const char* where; } cases[] = {{"SETUP.INF"}, {"DISK2/SETUP.2"}};
  Save();
  for (int i = 0; i < 6; ++i) AddFile(project.m_pPackages, "f" + std::to_string(i), Random(15000, 40 + i));
  for (const Case& c : cases) {
    struct Planting : Loader {
      std::string target;
      bool DropSetup(uint16_t l, const std::string& folder, uint32_t o, uint32_t& off) override {
        std::filesystem::create_directories(std::filesystem::path(target).parent_path());
        std::filesystem::create_symlink("/dev/full", target);
        return Loader::DropSetup(l, folder, o, off);
      }
    } planting;
    planting.target = Out(c.where);
    reporter.log.clear();
    kw::BuildResult r = kw::RunBuild(Params(&planting, 40000));
    EXPECT_EQ(r.errors, 1u) << c.where << ::testing::PrintToString(reporter.log);
    EXPECT_TRUE(reporter.Has("ERROR 216: Kitwright could not write \"" + Out(c.where) + "\": " +
                             kw::ErrnoText(ENOSPC) + "."))
        << c.where << ::testing::PrintToString(reporter.log);
    EXPECT_EQ(reporter.Count("ERROR 201"), 0u);
    EXPECT_EQ(reporter.Count("BUG 10001"), 0u);
    EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
    std::error_code ec;
    std::filesystem::remove(Out(c.where), ec);
  }
}
#endif

#ifdef KW_LNG_DIR
TEST(LibrarySources, ALibraryPassedOverLeavesNoError) {
  kwtest::TempDir dir;
  // The UI library carries language 1033 too, but no loader: it is passed over.
  kw::DllLoaderSource source(kwtest::HostPath(KW_LNG_DIR));
  uint32_t offset = 0;
  ASSERT_TRUE(source.DropSetup(1033, dir.path(), 2, offset)) << source.error;
  EXPECT_EQ(source.error, "");
  EXPECT_GT(offset, 0u);
  EXPECT_FALSE(source.DropSetup(1036, dir.path(), 2, offset));
  EXPECT_NE(source.error.find("1036"), std::string::npos) << source.error;
}
#endif

TEST_F(Fixture, CancelEndsWithUserBreak) {
  Save();
  for (int i = 0; i < 4; ++i) AddFile(project.m_pPackages, "c" + std::to_string(i), Random(200000, i));
  reporter.cancel = &cancel;
  reporter.cancelAfter = 3;
  const uint32_t built = project.m_tBuilt;
  kw::SetFixedClock(1000000500);
  kw::BuildResult r = Build();
  EXPECT_GE(r.errors, 1u);
  EXPECT_TRUE(reporter.Has("ERROR 201: User break."));
  EXPECT_FALSE(kw::CanOpenForReading(Out("DISK1/SETUP.EXE")));
  EXPECT_EQ(project.m_tBuilt, built);
}

TEST_F(Fixture, LoaderFailureIsError205) {
  struct Failing : kw::ILoaderSource {
    bool DropSetup(uint16_t, const std::string&, uint32_t, uint32_t&) override { return false; }
  } failing;
  Save();
  AddFile(project.m_pPackages, "a.txt", Bytes(1, 'a'));
  EXPECT_EQ(kw::RunBuild(Params(&failing)).errors, 1u);
  EXPECT_EQ(reporter.Count("INTERNAL ERROR 205: "), 1u);
}

}  // namespace
