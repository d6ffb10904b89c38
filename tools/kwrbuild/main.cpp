// kwrbuild: builds a saved project into its disk folders, and the small
// project commands that scripts need.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <io.h>
#define KW_ISATTY _isatty
#define KW_FILENO _fileno
#else
#include <unistd.h>
#define KW_ISATTY isatty
#define KW_FILENO fileno
#endif

#include "build/engine.h"
#include "libsources.h"
#include "model/disksize.h"
#include "model/project.h"
#include "platform/clock.h"
#include "projfile/dump.h"
#include "projfile/projfile.h"

namespace {

std::atomic<int> g_cancel{0};

extern "C" void OnInterrupt(int) { g_cancel.store(1); }

void Usage(FILE* out) {
  std::fputs(
      "usage: kwrbuild [options] PROJECT.kwr   build the setup into the project's output folder\n"
      "       kwrbuild --new FILE               save a new project with every default\n"
      "       kwrbuild --print FILE             print the whole project as text\n"
      "options:\n"
      "  --check           only tell whether the project needs a build (exit 0: up to date, 1: needed)\n"
      "  --force           build even when the project is up to date\n"
      "  --disk-size N     volume size for this build: bytes, or CDROM, 288MB, 168MB, 144MB, 120MB, 720KB\n"
      "  --lng DIR         folder of the language libraries (default: LNG beside this program)\n"
      "Times written into the output follow SOURCE_DATE_EPOCH when it is set.\n"
      "Exit status: 0 built or up to date; the error count (at most 100) when the build failed;\n"
      "101 a project file that cannot be read or saved; 102 no language libraries; 64 bad usage;\n"
      "103 the setup was built, but the build stamp could not be saved in the project (the next run\n"
      "builds again).\n",
      out);
}

int FileFail(uint16_t code, const std::string& path) {
  std::fprintf(stderr, "kwrbuild: %s\n", kw::FormatProjectFileMessage(code, path).c_str());
  return 101;
}

class ConsoleReporter : public kw::IBuildReporter {
 public:
  ConsoleReporter() : tty_(KW_ISATTY(KW_FILENO(stderr)) != 0) {}
  void LogLine(const std::string& line) override {
    ClearProgress();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  void CurrentFile(const std::string& path) override { file_ = path; }
  void Progress(unsigned file, unsigned total) override {
    if (!tty_) return;
    std::string name = file_.size() > 50 ? "..." + file_.substr(file_.size() - 47) : file_;
    std::fprintf(stderr, "\r%3u%% of all, %3u%% of %-50s", total, file, name.c_str());
    shown_ = true;
  }
  void ClearProgress() {
    if (shown_) std::fprintf(stderr, "\r%78s\r", "");
    shown_ = false;
  }

 private:
  bool tty_;
  bool shown_ = false;
  std::string file_;
};

std::string DefaultLngFolder(const char* argv0) {
  std::filesystem::path self(argv0);
  return (self.parent_path() / "LNG").string();
}

}  // namespace

int main(int argc, char** argv) {
  kw::FixClockFromEnvironment();
  bool check = false, force = false;
  std::string lng, project, diskSize;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    }
    if ((a == "--new" || a == "--print") && i + 1 < argc && argc == 3) {
      CKitwrightProject p;
      std::string path = argv[i + 1];
      if (a == "--new") {
        p.OnNewDocument(1033);
        uint16_t code = kw::SaveProject(p, path);
        if (code != kw::kProjectOk) return FileFail(code, path);
        std::printf("saved a new project as %s\n", path.c_str());
      } else {
        uint16_t code = kw::LoadProject(p, path);
        if (code != kw::kProjectOk) return FileFail(code, path);
        std::fputs(kw::DumpProject(p).c_str(), stdout);
      }
      return 0;
    }
    if (a == "--check") check = true;
    else if (a == "--force") force = true;
    else if (a == "--lng" && i + 1 < argc) lng = argv[++i];
    else if (a == "--disk-size" && i + 1 < argc) diskSize = argv[++i];
    else if (!a.empty() && a[0] != '-' && project.empty()) project = a;
    else {
      Usage(stderr);
      return 64;
    }
  }
  if (project.empty()) {
    Usage(stderr);
    return 64;
  }

  {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(project, ec);
    if (!ec) project = abs.lexically_normal().string();
  }
  CKitwrightProject p;
  uint16_t code = kw::LoadProject(p, project);
  if (code != kw::kProjectOk) return FileFail(code, project);
  const uint32_t savedSize = p.m_dwDiskSize;
  if (!diskSize.empty() && !kw::ParseDiskSize(diskSize, p.m_dwDiskSize)) {
    std::fprintf(stderr, "kwrbuild: \"%s\" is no disk size\n", diskSize.c_str());
    return 64;
  }
  if (lng.empty()) lng = DefaultLngFolder(argv[0]);

  std::unique_ptr<kwrbuild::Sources> sources = kwrbuild::OpenSources(lng);
  if (!sources->error.empty()) {
    std::fprintf(stderr, "kwrbuild: %s (use --lng DIR)\n", sources->error.c_str());
    return 102;
  }
  auto text = [&](uint16_t id) {
    std::string t;
    sources->strings->Text(id, t);
    return t;
  };

  const bool needed = p.NeedsRebuild();
  if (check) {
    std::printf("%s\n", needed ? "The project needs a build." : text(kw::kMsgUpToDate).c_str());
    return needed ? 1 : 0;
  }
  if (!needed && !force) {
    std::printf("%s\n", text(kw::kMsgUpToDate).c_str());
    return 0;
  }

  ConsoleReporter reporter;
  kw::BuildParams params;
  params.project = &p;
  params.outputDir = p.GetOutputDirectory();
  params.capacity = p.m_dwDiskSize;
  params.strings = sources->strings.get();
  params.loader = sources->loader.get();
  params.reporter = &reporter;
  params.cancel = &g_cancel;
  std::signal(SIGINT, OnInterrupt);
  kw::BuildResult r = kw::RunBuildOnThread(params);
  std::signal(SIGINT, SIG_DFL);
  reporter.ClearProgress();
  if (!r.succeeded() && !sources->LoaderError().empty())
    std::fprintf(stderr, "kwrbuild: %s\n", sources->LoaderError().c_str());
  if (!r.succeeded()) return r.errors > 100 ? 100 : static_cast<int>(r.errors);

  std::printf("Output: %s\n", params.outputDir.c_str());
  // Keep the build stamp, so that the next run knows nothing changed. The
  // setup stands either way: a failure here is only the stamp's.
  p.m_dwDiskSize = savedSize;
  code = kw::SaveProject(p, project);
  if (code != kw::kProjectOk) {
    std::fprintf(stderr, "kwrbuild: the setup was built, but the build stamp was not saved: %s\n",
                 kw::FormatProjectFileMessage(code, project).c_str());
    return 103;
  }
  return 0;
}
