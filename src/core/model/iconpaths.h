// The program paths a shortcut's path field offers: every .EXE file the
// project installs, as its destination, a backslash and its file name.
#pragma once
#include <string>
#include <vector>

class CFileFolder;

namespace kw {

// Walks the package list from its head, packages in order, then their files.
std::vector<std::string> ExecutablePaths(const CFileFolder* packages);

}  // namespace kw
