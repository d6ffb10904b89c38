// bench_ini: the INI Files tab with a large section. Fills the key list of
// a section of 5,000 keys (names in shuffled order) by selecting it in the
// tree, against a reference measured in the same run: the same rows, with
// the same texts, inserted one by one into a plain sorted list view with
// redraw off, as a straightforward view would. Prints the times and their
// ratio; exits 2 when the fill takes a second or more, or a row is missing.
#include "app.h"
#include "iniview.h"
#include "mainwnd.h"
#include "model/project.h"
#include "profile.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int keys = argc > 1 ? std::atoi(argv[1]) : 5000;
  if (keys <= 0)
    return 1;

  ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
  CKitwrightApp app;
  app.SetLngFolder(std::string(KW_LNG_DIR) + "\\");
  if (!app.InitInstance("", SW_SHOWNORMAL)) {
    std::fprintf(stderr, "bench_ini: the program does not start\n");
    return 1;
  }
  CKitwrightTabView& view = app.Frame()->View();
  view.SetActiveTab(6);
  auto* page = dynamic_cast<CIniView*>(view.GetClient(6));
  if (!page) {
    std::fprintf(stderr, "bench_ini: no INI Files tab\n");
    return 1;
  }

  // Names in an order far from sorted: a stride prime to the count.
  CIniSection* section = app.Project().m_pIniFiles->Add("BENCH.INI")->Add("Large");
  int stride = 7919;
  while (keys % stride == 0)
    ++stride;
  for (int i = 0; i < keys; ++i) {
    const int n = static_cast<int>((static_cast<long long>(i) * stride) % keys);
    section->Add(("Key" + std::to_string(n)).c_str(), ("value of key " + std::to_string(n)).c_str());
  }
  page->UpdateFromProject(&app.Project(), 0);

  // Reference: the same rows into a plain sorted list view.
  HWND plain = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 300, 200,
                                 app.MainWindow(), nullptr, nullptr, nullptr);
  kwf::ListView list(plain);
  list.InsertColumn(0, "Key", 100);
  list.InsertColumn(1, "Value", 200);
  auto start = std::chrono::steady_clock::now();
  ::SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < section->Count(); ++i) {
    const CIniValue& key = *section->At(i);
    int row = list.InsertItem(static_cast<int>(i), CIniView::KeyText(key).c_str(), 2, 0);
    list.SetItemText(row, 1, CIniView::QuotedValue(key).c_str());
  }
  ::SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
  const double reference = Seconds(start);
  const int referenceRows = list.GetItemCount();
  ::DestroyWindow(plain);

  // The fill: the section is selected in the tree.
  kwf::TreeView& tree = page->Tree();
  HTREEITEM file = tree.GetNextSibling(tree.GetNextSibling(tree.GetRoot()));
  HTREEITEM large = tree.GetChild(file);
  tree.Select(file);
  start = std::chrono::steady_clock::now();
  tree.Select(large);
  const double fill = Seconds(start);
  const int rows = page->Keys().GetItemCount();
  const bool sorted = rows > 1 && page->Keys().GetItemText(0, 0) == "Key0" &&
                      page->Keys().GetItemText(1, 0) == "Key1";

  std::printf("keys %d (rows %d, reference rows %d, sorted %s)\n", keys, rows, referenceRows, sorted ? "yes" : "no");
  std::printf("reference (plain sorted list) %.3f s\n", reference);
  std::printf("fill of the key list          %.3f s  ratio %.3f\n", fill, fill / reference);
  app.Project().SetModifiedFlag(false);
  ::DestroyWindow(app.MainWindow());
  app.ExitInstance();
  return (rows == keys && sorted && fill < 1.0) ? 0 : 2;
}
