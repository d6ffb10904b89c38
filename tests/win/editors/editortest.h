// The tree-and-list tabs driven in the running program: a fixture that
// starts it on a new project, answers message boxes, file names, sheets and
// context menus through seams, and reads trees and lists as the user sees
// them.
#pragma once

#include "app.h"
#include "ctrls.h"
#include "errors.h"
#include "framework.h"
#include "mainwnd.h"
#include "model/project.h"
#include "profile.h"
#include "resids.h"
#include "reslang.h"
#include "tabview.h"
#include "testutil.h"
#include "win/wintest.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kweditors {

// The tabs, in the order of the view.
enum Tab : int { kRegistryTab = 5, kIniTab = 6, kIconsTab = 7 };

// A context menu as the seam saw it: each item's id, label and state.
struct MenuItem {
  UINT id;
  std::string label;
  bool enabled;
  bool isDefault;
};

struct Seams {
  std::vector<std::string> boxes;
  std::deque<int> answers;                                // next message boxes; IDCANCEL when none
  std::deque<std::string> fileNames;                      // none: Cancel
  std::vector<std::string> sheets;                        // captions of the sheets run
  std::function<INT_PTR(kwf::PropSheet&)> sheetAnswer;    // none: Cancel
  std::vector<MenuItem> menu;                             // the last context menu, sub-menus flattened
  UINT menuChoice = 0;                                    // what the user picks in it
};

inline Seams& TheSeams() {
  static Seams seams;
  return seams;
}

inline void FlattenMenu(HMENU menu, std::vector<MenuItem>& out) {
  UINT byDefault = ::GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED);
  for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
    if (HMENU sub = ::GetSubMenu(menu, i)) {
      FlattenMenu(sub, out);
      continue;
    }
    UINT id = ::GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1))
      continue;
    char text[128] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    out.push_back({id, text, !(state & (MF_GRAYED | MF_DISABLED)), id == byDefault});
  }
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Seams& s = TheSeams();
    s = Seams();
    kwf::SetMessageBoxSeam([](HWND, const char* text, const char*, UINT) {
      Seams& s = TheSeams();
      s.boxes.push_back(text ? text : "");
      if (s.answers.empty())
        return IDCANCEL;
      int answer = s.answers.front();
      s.answers.pop_front();
      return answer;
    });
    SetErrorBoxSeam([](const char* text, const char*, UINT) {
      TheSeams().boxes.push_back(text ? text : "");
      return IDCANCEL;
    });
    kwf::SetModalSeam([](kwf::Dialog&) -> INT_PTR { return IDCANCEL; });
    kwf::SetFileDialogSeam([](bool, std::string* path) {
      Seams& s = TheSeams();
      if (s.fileNames.empty())
        return false;
      *path = s.fileNames.front();
      s.fileNames.pop_front();
      return true;
    });
    kwf::SetSheetSeam([](kwf::PropSheet& sheet) -> INT_PTR {
      Seams& s = TheSeams();
      s.sheets.push_back(sheet.Caption());
      return s.sheetAnswer ? s.sheetAnswer(sheet) : IDCANCEL;
    });
    kwf::SetContextMenuSeam([](HMENU popup) {
      Seams& s = TheSeams();
      s.menu.clear();
      FlattenMenu(popup, s.menu);
      UINT choice = s.menuChoice;
      s.menuChoice = 0;
      return choice;
    });
    ProfileSetRegistryBase(kProfileKeyPath);
    ProfileSetIniFile(kProfileIniFile);
    ProfileWriteInt("U:Settings", "DisplayWelcome", 0);
    app_ = std::make_unique<CKitwrightApp>();
    app_->SetLngFolder(std::string(KW_LNG_DIR) + "\\");
    ASSERT_TRUE(app_->InitInstance("", SW_SHOWNORMAL));
    Project().SetModifiedFlag(false);
  }
  void TearDown() override {
    kwf::SetContextMenuSeam(nullptr);
    if (!app_)
      return;
    if (app_->MainWindow() && ::IsWindow(app_->MainWindow())) {
      TheSeams().answers.assign({IDNO});
      ::PostMessageA(app_->MainWindow(), WM_CLOSE, 0, 0);
      PumpUntil([&] { return app_->QuitSeen(); });
    }
    app_->ExitInstance();
    app_.reset();
  }

  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    return kwtest::PumpUntil(done, timeoutMs, [&] { return app_->PumpOnce(50); });
  }
  CKitwrightProject& Project() { return app_->Project(); }
  CKitwrightTabView& View() { return app_->Frame()->View(); }
  HWND Frame() { return app_->MainWindow(); }
  void Command(UINT id) { ::SendMessageA(Frame(), WM_COMMAND, id, 0); }
  // The page of a tab, shown as the user would open it.
  template <typename Page>
  Page* Show(Tab tab) {
    View().SetActiveTab(tab);
    return dynamic_cast<Page*>(View().GetClient(tab));
  }
  void SaveAs(const std::string& path) {
    TheSeams().fileNames.assign({path});
    Command(ID_FILE_SAVE_AS);
  }
  bool Open(const std::string& path) { return app_->OpenDocumentFile(path); }

  // The context menu of a control, opened as by a right click on it; runs
  // choice (0: none) and gives what the menu offered.
  std::vector<MenuItem> ContextMenu(HWND page, HWND control, UINT choice = 0) {
    TheSeams().menuChoice = choice;
    RECT r;
    ::GetWindowRect(control, &r);
    ::SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(r.left + 5, r.top + 5));
    return TheSeams().menu;
  }
  static const MenuItem* Item(const std::vector<MenuItem>& menu, UINT id) {
    for (const MenuItem& m : menu)
      if (m.id == id)
        return &m;
    return nullptr;
  }

  // The labels of a tree, depth first, children indented by two spaces.
  static void Walk(const kwf::TreeView& tree, HTREEITEM from, int depth, std::vector<std::string>& out) {
    for (HTREEITEM i = from; i; i = tree.GetNextSibling(i)) {
      out.push_back(std::string(2 * depth, ' ') + tree.GetItemText(i));
      Walk(tree, tree.GetChild(i), depth + 1, out);
    }
  }
  static std::vector<std::string> Labels(const kwf::TreeView& tree) {
    std::vector<std::string> out;
    Walk(tree, tree.GetRoot(), 0, out);
    return out;
  }
  static HTREEITEM Find(const kwf::TreeView& tree, const std::string& label, HTREEITEM from = nullptr) {
    for (HTREEITEM i = from ? from : tree.GetRoot(); i; i = tree.GetNextSibling(i)) {
      if (tree.GetItemText(i) == label)
        return i;
      if (HTREEITEM child = tree.GetChild(i))
        if (HTREEITEM c = Find(tree, label, child))
          return c;
    }
    return nullptr;
  }
  // The rows of a list, columns joined by " | ".
  static std::vector<std::string> Rows(const kwf::ListView& list, int columns) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetItemCount(); ++i) {
      std::string row = list.GetItemText(i, 0);
      for (int c = 1; c < columns; ++c)
        row += " | " + list.GetItemText(i, c);
      out.push_back(row);
    }
    return out;
  }
  static int FindRow(const kwf::ListView& list, const std::string& text) {
    for (int i = 0; i < list.GetItemCount(); ++i)
      if (list.GetItemText(i, 0) == text)
        return i;
    return -1;
  }
  // Focuses and selects one row, as a click does.
  static void Pick(const kwf::ListView& list, int row) {
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  // A key pressed in a tree or list as the control reports it.
  static void Key(HWND page, HWND control, WORD key) {
    const bool tree = lstrcmpiA(ClassOf(control).c_str(), WC_TREEVIEWA) == 0;
    if (tree) {
      NMTVKEYDOWN info = {};
      info.hdr = {control, static_cast<UINT_PTR>(::GetDlgCtrlID(control)), static_cast<UINT>(TVN_KEYDOWN)};
      info.wVKey = key;
      ::SendMessageA(page, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    } else {
      NMLVKEYDOWN info = {};
      info.hdr = {control, static_cast<UINT_PTR>(::GetDlgCtrlID(control)), static_cast<UINT>(LVN_KEYDOWN)};
      info.wVKey = key;
      ::SendMessageA(page, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    }
  }
  // A plain notification (NM_DBLCLK, NM_RETURN) from a control.
  static void Notify(HWND page, HWND control, UINT code) {
    NMHDR hdr = {control, static_cast<UINT_PTR>(::GetDlgCtrlID(control)), code};
    ::SendMessageA(page, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
  }
  // Ends a running label edit as the keyboard would: the text typed, then
  // Enter (keep) or Escape (discard).
  static void EndEdit(HWND edit, const std::string& text, bool keep = true) {
    ASSERT_NE(edit, nullptr) << "no label edit runs";
    ::SetWindowTextA(edit, text.c_str());
    ::SendMessageA(edit, WM_KEYDOWN, keep ? VK_RETURN : VK_ESCAPE, 0);
  }
  static std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
  }
  // Answers the next sheet by driving it as the user would: created
  // modeless, changed by drive, ended with OK or Cancel.
  void AnswerSheet(const std::function<void(HWND sheet, HWND page)>& drive, int button = PSBTN_OK) {
    TheSeams().sheetAnswer = [this, drive, button](kwf::PropSheet& sheet) -> INT_PTR {
      HWND h = sheet.CreateModeless(Frame());
      if (!h)
        return IDCANCEL;
      drive(h, PropSheet_GetCurrentPageHwnd(h));
      ::SendMessageA(h, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
      PumpUntil([&] { return sheet.Finished(); }, 5000);
      sheet.DestroyModeless();
      return button == PSBTN_OK ? IDOK : IDCANCEL;
    };
  }

  std::unique_ptr<CKitwrightApp> app_;
};

}  // namespace kweditors
