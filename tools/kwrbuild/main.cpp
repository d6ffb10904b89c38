// kwrbuild: the command-line side of Kitwright.
#include <cstdio>
#include <cstring>
#include <string>

#include "model/project.h"
#include "platform/clock.h"
#include "projfile/dump.h"
#include "projfile/projfile.h"

namespace {

void Usage(FILE* out) {
  std::fputs(
      "usage: kwrbuild --new FILE      save a new project with every default\n"
      "       kwrbuild --print FILE    print the whole project as text\n"
      "       kwrbuild --help\n"
      "Times written into files follow SOURCE_DATE_EPOCH when it is set.\n",
      out);
}

int Fail(uint16_t code, const std::string& path) {
  std::fprintf(stderr, "kwrbuild: %s\n", kw::FormatProjectFileMessage(code, path).c_str());
  if (code == kw::kProjectBadFormat || code == kw::kProjectOpenFailed)
    std::fprintf(stderr, "kwrbuild: %s is not a readable Kitwright project.\n", path.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kw::FixClockFromEnvironment();
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    Usage(stdout);
    return 0;
  }
  if (argc != 3) {
    Usage(stderr);
    return 64;
  }
  const std::string cmd = argv[1], path = argv[2];
  CKitwrightProject project;
  if (cmd == "--new") {
    project.OnNewDocument(1033);
    uint16_t code = kw::SaveProject(project, path);
    if (code != kw::kProjectOk) return Fail(code, path);
    std::printf("saved a new project as %s\n", path.c_str());
    return 0;
  }
  if (cmd == "--print") {
    uint16_t code = kw::LoadProject(project, path);
    if (code != kw::kProjectOk) return Fail(code, path);
    std::fputs(kw::DumpProject(project).c_str(), stdout);
    return 0;
  }
  Usage(stderr);
  return 64;
}
