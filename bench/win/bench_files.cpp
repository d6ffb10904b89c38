// bench_files: the Files tab with a large package. Drops a folder tree of
// 10,000 files on the file list and refills the list from the package,
// against a reference measured in the same run: walking the same tree and
// inserting the same rows into a plain sorted list view with redraw off, as
// a straightforward view would. Prints the times and their ratios; exits 2
// when the refill takes a second or more, or a row is missing.
#include "app.h"
#include "filesview.h"
#include "mainwnd.h"
#include "model/project.h"
#include "profile.h"

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Walk(const std::string& folder, kwf::ListView& list, int& rows) {
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE)
    return;
  do {
    if (found.cFileName[0] == '.')
      continue;
    std::string path = folder + "\\" + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Walk(path, list, rows);
    } else {
      int row = list.InsertItem(rows++, found.cFileName, 0, 0);
      list.SetItemText(row, 1, "%INSTALLDIR%");
    }
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
  fs::path work = fs::temp_directory_path() / "kw_bench_files";
  fs::remove_all(work);
  for (int i = 0; i < files; ++i) {
    fs::path dir = work / "app" / ("sub" + std::to_string(i % 10));
    if (i < 10)
      fs::create_directories(dir);
    std::ofstream(dir / ("file" + std::to_string(i) + ".txt")) << i;
  }

  ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
  CKitwrightApp app;
  app.SetLngFolder(std::string(KW_LNG_DIR) + "\\");
  if (!app.InitInstance("", SW_SHOWNORMAL)) {
    std::fprintf(stderr, "bench_files: the program does not start\n");
    return 1;
  }
  CKitwrightTabView& view = app.Frame()->View();
  view.SetActiveTab(4);
  auto* page = dynamic_cast<CFilesView*>(view.GetClient(4));

  // Reference: the same walk and rows, into a plain list view.
  HWND plain = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 300, 200,
                                 app.MainWindow(), nullptr, nullptr, nullptr);
  kwf::ListView list(plain);
  list.InsertColumn(0, "Name", 100);
  list.InsertColumn(1, "Destination", 100);
  auto start = std::chrono::steady_clock::now();
  ::SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
  int rows = 0;
  Walk((work / "app").string(), list, rows);
  ::SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
  const double reference = Seconds(start);
  start = std::chrono::steady_clock::now();
  page->DropOnFileList({(work / "app").string()});
  const double drop = Seconds(start);
  const int added = page->Files().GetItemCount();

  // Refill: the package tree's selection changes away and back.
  HTREEITEM main = page->Packages().GetRoot();
  page->Packages().Select(page->Packages().GetNextSibling(main));
  start = std::chrono::steady_clock::now();
  page->Packages().Select(main);
  const double fill = Seconds(start);

  std::printf("files %d (rows %d, reference rows %d)\n", files, added, rows);
  std::printf("reference (walk + plain list) %.3f s\n", reference);
  std::printf("drop of the folder tree       %.3f s  ratio %.2f\n", drop, drop / reference);
  std::printf("refill of the file list       %.3f s  ratio %.2f\n", fill, fill / reference);
  app.Project().SetModifiedFlag(false);
  ::DestroyWindow(app.MainWindow());
  app.ExitInstance();
  fs::remove_all(work);
  return (added == files && fill < 1.0) ? 0 : 2;
}
