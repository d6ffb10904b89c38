#include "build/engine.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <thread>
#include <unordered_map>

#include "layout/disklayout.h"
#include "model/project.h"
#include "pe/version.h"
#include "platform/clock.h"
#include "platform/filesys.h"
#include "platform/thread.h"
#include "setupinf/setupdata.h"
#include "stream/qvarchive.h"
#include "zpk/names.h"
#include "zpk/reader.h"
#include "zpk/zpk.h"

namespace kw {

std::string FormatBuildMessage(const std::string& text, const std::vector<std::string>& args) {
  const bool positional = text.find("%1") != std::string::npos || text.find("%2") != std::string::npos;
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '%' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    char k = text[i + 1];
    if (k == '%') {
      out += '%';
      ++i;
    } else if (positional && k >= '1' && k <= '9') {
      size_t n = static_cast<size_t>(k - '1');
      if (n < args.size()) out += args[n];
      ++i;
    } else if (!positional && (k == 's' || k == 'u' || k == 'd')) {
      if (next < args.size()) out += args[next++];
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<uint8_t> EncodeDiskMap(const std::vector<uint8_t>& volumes) {
  std::vector<uint8_t> b = {'Q', 'V', 'P', 'L'};
  const uint32_t n = static_cast<uint32_t>(volumes.size());
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(n >> (8 * i)));
  size_t i = 0;
  while (i < volumes.size()) {
    size_t j = i;
    while (j < volumes.size() && volumes[j] == volumes[i] && j - i < 0xFFFF) ++j;
    size_t count = j - i;
    if (count < 0xFF) {
      b.push_back(static_cast<uint8_t>(count));
    } else {
      b.push_back(0xFF);
      b.push_back(static_cast<uint8_t>(count));
      b.push_back(static_cast<uint8_t>(count >> 8));
    }
    b.push_back(volumes[i]);
    i = j;
  }
  return b;
}

namespace {

constexpr size_t kDiskMapArea = 1024;
constexpr unsigned kNoneShown = ~0u;

struct Build {
  const BuildParams& p;
  CKitwrightProject& project;
  BuildResult result;
  std::string volumeFormat;
  unsigned filesToProcess = 0;
  unsigned filesProcessed = 0;
  unsigned currentVolume = 1;
  unsigned lastShown = kNoneShown;
  bool tooManyVolumes = false;
  std::string volumeError;  // why the next volume's folder could not be made

  // What the end of the build must tidy, however it ends.
  std::string out, disk1, setupExe, inf;
  ArchiveHandle archive = nullptr;
  bool started = false;
  // The native path of each file of the record, whose source strings are
  // the names the archive stores.
  std::unordered_map<const CFileItem*, std::string> sources;

  explicit Build(const BuildParams& params) : p(params), project(*params.project) {}

  std::string Text(uint16_t id) {
    std::string t;
    if (p.strings && p.strings->Text(id, t)) return t;
    char buf[32];
    std::snprintf(buf, sizeof buf, "(message %04Xh)", id);
    return buf;
  }
  void Log(const std::string& line) {
    if (p.reporter) p.reporter->LogLine(line);
  }
  void Log(uint16_t id, const std::vector<std::string>& args = {}) { Log(FormatBuildMessage(Text(id), args)); }
  void Error(uint16_t id, const std::vector<std::string>& args = {}) {
    ++result.errors;
    Log(id, args);
  }
  void Warning(uint16_t id, const std::vector<std::string>& args = {}) {
    ++result.warnings;
    Log(id, args);
  }
  bool Ok() const { return result.errors == 0; }

  static int Callback(int kind, void* record, ArchiveUserValue user) {
    Build& b = *reinterpret_cast<Build*>(user);
    if (kind == kArchiveCallbackProgress) {
      auto* r = static_cast<ProgressRecord*>(record);
      // One report per percent: in the program each one crosses threads.
      if (r->total) {
        // A source that grows while it is read must not push the bars past the end.
        const uint32_t done = r->done < r->total ? r->done : r->total;
        unsigned pct = static_cast<unsigned>(static_cast<uint64_t>(done) * 100 / r->total);
        if (pct != b.lastShown && b.p.reporter) {
          unsigned files = b.filesToProcess ? b.filesToProcess : 1;
          unsigned total = b.filesProcessed * 100 / files +
                           static_cast<unsigned>(static_cast<uint64_t>(done) * 100 / r->total / files);
          b.p.reporter->Progress(pct, total > 100 ? 100 : total);
        }
        b.lastShown = pct;
      }
      return (b.p.cancel && b.p.cancel->load()) ? 2 : 1;
    }
    if (kind == kArchiveCallbackNextVolume) {
      auto* r = static_cast<NextVolumeRequest*>(record);
      if (r->volume > kMaxVolumes) {
        b.tooManyVolumes = true;
        return 0;
      }
      std::string path = VolumePath(b.volumeFormat, r->volume);
      b.currentVolume = r->volume;
      if (path.size() >= sizeof r->name) {
        b.volumeError = "the path is longer than 255 characters";
        return 0;
      }
      std::snprintf(r->name, sizeof r->name, "%s", path.c_str());
      return CreateVolumeFolder(path, b.volumeError) ? 1 : 0;
    }
    return 1;
  }

  bool AddToArchive(const std::string& path, uint32_t options) {
    if (p.reporter) p.reporter->CurrentFile(path);
    lastShown = kNoneShown;
    bool ok = ArchiveAddFile(archive, path.c_str(), options);
    ++filesProcessed;
    return ok;
  }

  std::string CurrentVolumePath() const {
    return currentVolume <= 1 ? setupExe : VolumePath(volumeFormat, currentVolume);
  }

  // A file the build could not write, with the system's reason.
  void WriteError(const std::string& path, int error) {
    Error(kMsgCannotWrite, {path, error ? ErrnoText(error) : std::string("unknown error")});
  }

  // A source that cannot be read as it is: the reason, or false when it can.
  bool SourceError(const std::string& path, const std::string& folder, FileStatus& st) {
    std::string reason;
    switch (CheckSourceFile(path, st, reason)) {
      case SourceProblem::kNone: return false;
      case SourceProblem::kMissing: Error(kMsgFileMissing, {path, folder}); break;
      case SourceProblem::kNotRegular: Error(kMsgNotRegularFile, {path, folder}); break;
      case SourceProblem::kUnreadable: Error(kMsgCannotRead, {path, folder, reason}); break;
    }
    return true;
  }

  // The error of an add that failed, told as what it is: only a cancel is a
  // user break.
  void AddFailed(const std::string& path, const std::string& folder) {
    const uint32_t code = ArchiveGetLastError();
    FileStatus st;
    if (tooManyVolumes) {
      Error(kMsgTooManyDisks, {std::to_string(kMaxVolumes)});
    } else if (!volumeError.empty()) {
      Error(kMsgCannotWrite, {CurrentVolumePath(), volumeError});
    } else if (code == kZpkTooLarge) {
      Error(kMsgFileTooLarge, {path, folder});
    } else if (code == kZpkNameTooLong) {
      Error(kMsgNameTooLong, {path, folder});
    } else if (code == kZpkSourceChanged) {
      Error(kMsgSourceChanged, {path, folder});
    } else if (code == kZpkCannotOpen) {
      // The source, or else the next volume, would not open.
      if (!SourceError(path, folder, st)) WriteError(CurrentVolumePath(), ArchiveGetSystemError());
    } else if (code == kZpkWriteFailed) {
      WriteError(CurrentVolumePath(), ArchiveGetSystemError());
    } else if (code == kZpkCancelled && p.cancel && p.cancel->load()) {
      Error(kMsgUserBreak);
    } else {
      Error(kMsgUnexpected, {"archive library error " + std::to_string(code)});
    }
  }

  BuildResult Run();
  void Steps();
  void Validate(CSetupData& data, unsigned& mapFiles);
  void Finish();

  // The archive library may move an entry that would not leave room for the
  // end record to the next volume before writing it, so the volume current
  // before an add is not always the one where the entry begins. The written
  // archive says where each one begins; its entries are in the order added.
  static void MapFromArchive(const std::string& first, size_t supportFiles, std::vector<uint8_t>& map) {
    zpk::ArchiveReader reader;
    if (!reader.Open(first).ok()) return;
    const auto& files = reader.files();
    if (files.size() != 1 + supportFiles + map.size()) return;
    for (size_t i = 0; i < map.size(); ++i) {
      const zpk::ArchivedFile& f = files[1 + supportFiles + i];
      if (f.pieces.empty()) return;
      map[i] = static_cast<uint8_t>(reader.volumes()[f.pieces[0].volume].number);
    }
  }
};

BuildResult Build::Run() {
  try {
    Steps();
  } catch (const std::exception& e) {
    Error(kMsgUnexpected, {e.what()});
  } catch (...) {
    Error(kMsgUnexpected, {"(unknown)"});
  }
  Finish();
  return result;
}

void Build::Validate(CSetupData& data, unsigned& mapFiles) {
  const bool license = project.m_dwFlags & CKitwrightProject::kDlgLicense;
  const bool readme = project.m_dwFlags & CKitwrightProject::kDlgReadme;
  if (license && !CanOpenForReading(data.m_strLicenseFile.str())) Error(kMsgNoLicense, {project.m_strLicenseFile.str()});
  if (readme && Ok() && !CanOpenForReading(data.m_strReadmeFile.str())) Error(kMsgNoReadme, {project.m_strReadmeFile.str()});
  if (project.m_strDefaultDir.IsEmpty()) Error(kMsgNoDestination);
  if (project.GetPathName().empty() || out.empty()) Error(kMsgNotSaved);
  if (project.m_strProductName.IsEmpty()) Warning(kMsgNoProductName);
  if (project.m_strCompanyName.IsEmpty()) Warning(kMsgNoCompanyName);

  if (project.m_dwFlags & CKitwrightProject::kUseCommonBitmap) {
    if (!data.m_strCommonBitmap.empty() && !CanOpenForReading(data.m_strCommonBitmap))
      Error(kMsgNoCommonBitmap, {project.m_strCommonBitmap.str()});
  } else {
    for (int i = 0; i < CKitwrightProject::kBitmapCount; ++i)
      if (!data.m_strBitmaps[i].empty() && !CanOpenForReading(data.m_strBitmaps[i]))
        Error(kMsgNoDialogBitmap, {project.m_strBitmaps[i].str()});
  }

  if (!Ok()) return;
  for (CFileFolder* pkg = data.m_pPackages; pkg; pkg = pkg->m_pNext) {
    const bool ordinary = !(pkg->m_dwFlags & CFileFolder::kEarly);
    for (CFileItem* f = pkg->m_pFiles; f; f = f->m_pNext) {
      ++filesToProcess;
      if (ordinary) ++mapFiles;
      const std::string path = project.ResolveSourcePath(f->m_strSource);
      // The setup finds each file by the name the archive stores for it.
      std::string longName, shortName;
      const bool nameFits = zpk::StoredNames(path, kArchiveAddFullPath, longName, shortName);
      f->m_strSource = longName;
      sources[f] = path;
      FileStatus st;
      if (SourceError(path, pkg->m_strName, st)) continue;
      if (!nameFits) Error(kMsgNameTooLong, {path, pkg->m_strName});
      if (st.size > UINT32_MAX) {
        Error(kMsgFileTooLarge, {path, pkg->m_strName});
        continue;
      }
      f->m_dwFileSize = static_cast<uint32_t>(st.size);
      if (f->m_dwFlags & CFileItem::kVersionCheck) {
        FileVersionInfo v;
        f->m_bHasVersion = GetFileVersion(path, v) ? 1 : 0;
        f->m_dwFileVersionMS = v.fileVersionMS;
        f->m_dwFileVersionLS = v.fileVersionLS;
        f->m_dwProductVersionMS = v.productVersionMS;
        f->m_dwProductVersionLS = v.productVersionLS;
        f->m_dwFileFlagsMask = v.fileFlagsMask;
        f->m_dwFileFlags = v.fileFlags;
        f->m_dwFileOS = v.fileOS;
        f->m_dwFileType = v.fileType;
        f->m_dwFileSubtype = v.fileSubtype;
        f->m_wLanguage = v.language;
        f->m_wCodePage = v.codePage;
      }
    }
  }
  if (data.m_pGroups->IsEmpty()) Warning(kMsgNoIcons);
  std::string folderError;
  if (!ClearDiskFolders(out, folderError)) Error(kMsgCannotWriteSetup, {DiskFolder(out, 1)});
}

void Build::Steps() {
  out = p.outputDir;
  const std::string sep(1, kPathSep);
  std::string folderError;  // the layout's reasons; the log carries the library's message
  if (!out.empty()) PrepareOutputFolder(out, folderError);  // a failure shows when DISK1 is made
  Log(kMsgCheckingDependencies);
  Log(kMsgStarted);
  Log(kMsgValidating);
  filesToProcess = filesProcessed = 0;

  CSetupData data;
  data.CopyFromProject(project);

  unsigned mapFiles = 0;
  Validate(data, mapFiles);
  ++filesToProcess;  // SETUP.INF

  if (!out.empty() && !CreateDiskFolder(out, 1, folderError) && Ok()) Error(kMsgCannotWriteSetup, {DiskFolder(out, 1)});
  disk1 = DiskFolder(out, 1);
  if (!out.empty()) setupExe = disk1 + sep + "SETUP.EXE";

  uint32_t mapOffset = 0;
  if (Ok()) {
    const uint32_t loaderOption = project.m_wOperatingSystem == 2 ? 2 : 1;
    if (!p.loader || !p.loader->DropSetup(project.m_wSetupLanguage, disk1, loaderOption, mapOffset))
      Error(kMsgCannotWriteSetup, {disk1});
  }

  std::vector<uint8_t> diskMap;
  if (Ok()) {
    inf = out + sep + "SETUP.INF";
    bool infWritten = true;  // false: a system failure, told already; nothing to add
    try {
      data.WriteFile(inf);
      // The entry carries the file's time: the build's clock, not the moment of writing.
      if (!SetFileModificationTime(inf, Now())) throw CQVArchive::CXQVArchive(errno);
    } catch (const CQVArchive::CXQVArchive& e) {
      // A system failure (a full disk) is told as such; anything else is the stream's own fault.
      if (e.systemError) {
        WriteError(inf, e.systemError);
        infWritten = false;
      } else {
        Log("BUG 10001: Cannot write Setup.inf!");
        ++result.errors;
      }
    } catch (const CSetupData::CBitmapError&) {
      Log("BUG 10001: Cannot write Setup.inf!");
      ++result.errors;
    }
    ArchiveStartup();
    started = true;
    volumeFormat = VolumePathFormat(out);
    currentVolume = 1;
    // "No limit" would let a volume outgrow the format's 32-bit distances:
    // the largest capacity spans there instead.
    const uint32_t limit = p.capacity == kArchiveNoLimit ? kArchiveNoLimit - 1 : p.capacity;
    archive = ArchiveOpenSized(setupExe.c_str(), kArchiveOpenAppend | kArchiveOpenSizedOnly, &Build::Callback,
                               limit);
    if (!archive) {
      if (ArchiveGetLastError() == kZpkWriteFailed || ArchiveGetLastError() == kZpkCannotOpen)
        WriteError(setupExe, ArchiveGetSystemError());
      else
        Error(kMsgCannotWriteSetup, {disk1});
    } else {
      ArchiveSetUserData(archive, reinterpret_cast<ArchiveUserValue>(this));
      if (infWritten && !AddToArchive(inf, 0)) AddFailed(inf, "");
    }
    RemoveFile(inf);
    inf.clear();
  }

  diskMap.assign(mapFiles, 0);
  currentVolume = 1;
  size_t supportFiles = 0;
  if (archive && Ok()) {
    // Support folders first: their files are needed before the disks are asked for.
    for (CFileFolder* pkg = data.m_pPackages; pkg && Ok(); pkg = pkg->m_pNext) {
      if (!(pkg->m_dwFlags & CFileFolder::kEarly) || !pkg->m_pFiles) continue;
      if (pkg->m_dwFlags & CFileFolder::kBillboard) Log(kMsgCompressingBillboards);
      else Log(kMsgCompressingFolder, {pkg->m_strName});
      for (CFileItem* f = pkg->m_pFiles; f; f = f->m_pNext) {
        if (!AddToArchive(sources.at(f), kArchiveAddFullPath)) {
          AddFailed(sources.at(f), pkg->m_strName);
          break;
        }
        ++supportFiles;
      }
    }
  }
  if (archive && Ok()) {
    size_t index = 0;
    for (CFileFolder* pkg = data.m_pPackages; pkg && Ok(); pkg = pkg->m_pNext) {
      if (pkg->m_dwFlags & CFileFolder::kEarly) continue;
      Log(kMsgCompressingFolder, {(pkg->m_dwFlags & CFileFolder::kMain) ? Text(kTextMain) : pkg->m_strName});
      for (CFileItem* f = pkg->m_pFiles; f; f = f->m_pNext) {
        diskMap[index++] = static_cast<uint8_t>(currentVolume);
        if (!AddToArchive(sources.at(f), kArchiveAddFullPath)) {
          AddFailed(sources.at(f), pkg->m_strName);
          break;
        }
      }
    }
  }
  if (archive) {
    const bool closed = ArchiveClose(archive);
    archive = nullptr;
    if (!closed && Ok()) WriteError(CurrentVolumePath(), ArchiveGetSystemError());
  }
  if (Ok()) MapFromArchive(setupExe, supportFiles, diskMap);

  if (Ok()) {
    std::vector<uint8_t> block = EncodeDiskMap(diskMap);
    errno = 0;
    FILE* f = std::fopen(setupExe.c_str(), "r+b");
    bool written = false;
    // The loader reserves a fixed area; a longer map would overwrite code.
    if (f && block.size() <= kDiskMapArea && std::fseek(f, static_cast<long>(mapOffset), SEEK_SET) == 0)
      written = std::fwrite(block.data(), 1, block.size(), f) == block.size();
    if (f && std::fclose(f) != 0) written = false;
    if (!written && errno) WriteError(setupExe, errno);
    else if (!written) Error(kMsgCannotWriteSetup, {disk1});
  }
}

// Closes what is open and says how the build ended. A failed build leaves no
// SETUP.EXE and keeps the project's stamp.
void Build::Finish() {
  if (archive) ArchiveClose(archive);
  archive = nullptr;
  if (started) ArchiveShutdown();
  started = false;
  if (!inf.empty()) RemoveFile(inf);
  if (!Ok()) {
    Log(kMsgCancelled, {std::to_string(result.errors)});
    if (!setupExe.empty()) RemoveFile(setupExe);
  } else {
    Log(kMsgFinished, {std::to_string(result.warnings)});
    project.MarkBuilt();
  }
  if (result.errors || result.warnings) Log(kMsgMoreInfo);
}

}  // namespace

BuildResult RunBuild(const BuildParams& params) {
  Build b(params);
  try {
    return b.Run();
  } catch (...) {
    // Only the reporter itself can fail here: the build has failed, say so.
    if (b.result.errors == 0) ++b.result.errors;
    if (!b.setupExe.empty()) RemoveFile(b.setupExe);
    return b.result;
  }
}

BuildResult RunBuildOnThread(const BuildParams& params) {
  BuildResult r;
  std::thread t([&] {
    RaiseCurrentThreadPriority();
    r = RunBuild(params);
  });
  t.join();
  return r;
}

}  // namespace kw
