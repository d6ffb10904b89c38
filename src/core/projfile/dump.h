// A readable listing of a whole project, every field and tree, one item per
// line, so that two projects can be compared with diff.
#pragma once
#include <string>

class CKitwrightProject;

namespace kw {
std::string DumpProject(const CKitwrightProject& project);
}
