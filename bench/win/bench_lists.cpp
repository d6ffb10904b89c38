// bench_lists: the INI Files and Registry tabs with a large list. Fills the
// key list of an INI section of 5,000 keys and the value list of a registry
// key of 5,000 values (names in shuffled order) by selecting them in their
// trees, each against a reference measured in the same run: the same rows,
// with the same texts, inserted one by one into a plain sorted list view
// with redraw off, as a straightforward view would. Prints the times and
// their ratios; exits 2 when a fill takes a second or more, or a row is
// missing or out of order.
#include "app.h"
#include "iniview.h"
#include "mainwnd.h"
#include "model/project.h"
#include "profile.h"
#include "registryview.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Numbers 0..count-1 in an order far from sorted: a stride prime to the count.
std::vector<int> Shuffled(int count) {
  int stride = 7919;
  while (count % stride == 0)
    ++stride;
  std::vector<int> out;
  for (int i = 0; i < count; ++i)
    out.push_back(static_cast<int>((static_cast<long long>(i) * stride) % count));
  return out;
}

// The plain list's time for the rows (name, data) of a view.
double Reference(HWND parent, const std::vector<std::pair<std::string, std::string>>& rows) {
  HWND plain = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 300, 200,
                                 parent, nullptr, nullptr, nullptr);
  kwf::ListView list(plain);
  list.InsertColumn(0, "Name", 100);
  list.InsertColumn(1, "Data", 200);
  auto start = std::chrono::steady_clock::now();
  ::SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    int row = list.InsertItem(static_cast<int>(i), rows[i].first.c_str(), 2, 0);
    list.SetItemText(row, 1, rows[i].second.c_str());
  }
  ::SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
  const double seconds = Seconds(start);
  ::DestroyWindow(plain);
  return seconds;
}

// Selects item in tree and times the fill of list; true when it holds
// `expected` rows starting with first and second.
bool Measure(const char* what, kwf::TreeView& tree, HTREEITEM item, const kwf::ListView& list, int expected,
             const std::string& first, const std::string& second, double reference) {
  tree.Select(tree.GetRoot());
  auto start = std::chrono::steady_clock::now();
  tree.Select(item);
  const double fill = Seconds(start);
  const int rows = list.GetItemCount();
  const bool sorted = rows > 1 && list.GetItemText(0, 0) == first && list.GetItemText(1, 0) == second;
  std::printf("%s: rows %d of %d, sorted %s\n", what, rows, expected, sorted ? "yes" : "no");
  std::printf("  reference (plain sorted list) %.3f s\n", reference);
  std::printf("  fill of the view's list       %.3f s  ratio %.3f\n", fill, fill / reference);
  return rows == expected && sorted && fill < 1.0;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
  if (count <= 1)
    return 1;

  ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
  CKitwrightApp app;
  app.SetLngFolder(std::string(KW_LNG_DIR) + "\\");
  if (!app.InitInstance("", SW_SHOWNORMAL)) {
    std::fprintf(stderr, "bench_lists: the program does not start\n");
    return 1;
  }
  CKitwrightTabView& view = app.Frame()->View();
  auto* ini = dynamic_cast<CIniView*>(view.GetClient(6));
  auto* registry = dynamic_cast<CRegistryView*>(view.GetClient(5));
  if (!ini || !registry) {
    std::fprintf(stderr, "bench_lists: no INI Files or Registry tab\n");
    return 1;
  }
  const std::vector<int> order = Shuffled(count);
  bool good = true;

  // An INI section.
  view.SetActiveTab(6);
  CIniSection* section = app.Project().m_pIniFiles->Add("BENCH.INI")->Add("Large");
  for (int n : order)
    section->Add(("Key" + std::to_string(n)).c_str(), ("value of key " + std::to_string(n)).c_str());
  ini->UpdateFromProject(&app.Project(), 0);
  std::vector<std::pair<std::string, std::string>> rows;
  for (size_t i = 0; i < section->Count(); ++i)
    rows.emplace_back(CIniView::KeyText(*section->At(i)), CIniView::QuotedValue(*section->At(i)));
  {
    kwf::TreeView& tree = ini->Tree();
    HTREEITEM file = tree.GetNextSibling(tree.GetNextSibling(tree.GetRoot()));
    tree.Expand(file);
    good &= Measure("INI section", tree, tree.GetChild(file), ini->Keys(), count, "Key0", "Key1",
                    Reference(app.MainWindow(), rows));
  }

  // A registry key (its default value first).
  view.SetActiveTab(5);
  CRegistryKey* key = app.Project().m_pRegistry->m_pChild->m_pNext->m_pNext->AddChildKey("Large", 0);
  for (int n : order) {
    auto* value = new CRegistryValue(("Value" + std::to_string(n)).c_str(), CRegistryValue::kNumber);
    value->SetNumber(static_cast<uint32_t>(n));
    key->AppendValue(value);
  }
  registry->UpdateFromProject(&app.Project(), 0);
  rows.clear();
  for (CRegistryValue* v = key->m_pValues; v; v = v->m_pNext)
    rows.emplace_back(CRegistryView::NameText(*v), CRegistryView::DataText(*v));
  {
    kwf::TreeView& tree = registry->Keys();
    HTREEITEM hklm = tree.GetNextSibling(tree.GetNextSibling(tree.GetRoot()));
    tree.Expand(hklm);
    good &= Measure("Registry key", tree, tree.GetChild(hklm), registry->Values(), count + 1, "(Default)", "Value0",
                    Reference(app.MainWindow(), rows));
  }

  app.Project().SetModifiedFlag(false);
  ::DestroyWindow(app.MainWindow());
  app.ExitInstance();
  return good ? 0 : 2;
}
