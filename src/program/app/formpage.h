// CFormPage: the base of the tab pages whose controls mirror fields of the
// project one to one (General, Requirements, Visual Design). A full update
// refills every control; each change of a control is written into the
// project at once and marks it modified, but only when the value changed.
#pragma once

#include "tabview.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/project.h"

class CFormPage : public CTabClientEx {
 public:
  // One entry of a drop-down list: its text in the resource library and
  // the value it stands for in the project.
  struct ListEntry {
    UINT text;
    uint32_t value;
  };
  // Texts read back from an edit are cut to this many characters.
  static constexpr int kMaxText = 255;

  using CTabClientEx::CTabClientEx;

  // Attributes
  CKitwrightProject* Project() const { return project_; }

  // Overridables
  // Stores the project; unless bit 31 of hint is set, refills the page.
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;

 protected:
  // Sets every control from project_ (called with change notices ignored).
  virtual void Fill() = 0;

  // Operations
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
  // True when a control's change notice comes from the user, not from a fill.
  bool Editing() const { return project_ && !filling_; }
  std::string ItemText(int id, int maxChars = kMaxText) const;
  void SetItemText(int id, const char* text) { ::SetDlgItemTextA(hwnd_, id, text); }
  bool Checked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void SetCheck(int id, bool on) { ::CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
  // Edits take no more than what is read back from them.
  void LimitText(int id, int maxChars = kMaxText) {
    ::SendDlgItemMessageA(hwnd_, id, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
  }

  // Fills a list with the entries' texts, their values as item data.
  void FillList(int id, const ListEntry* entries, size_t count);
  // Selects the entry carrying value; when none does, entry 0, or no
  // entry at all when emptyWhenNone.
  void SelectValue(int id, uint32_t value, bool emptyWhenNone = false);
  // The value of the selected entry; false when none is selected.
  bool SelectedValue(int id, uint32_t* value) const;

  // Writes value into field when it differs and marks the project
  // modified; true when it did.
  template <typename T, typename V>
  bool Store(T& field, V value) {
    T v = static_cast<T>(value);
    if (!project_ || field == v)
      return false;
    field = v;
    project_->SetModifiedFlag(true);
    return true;
  }
  // The same for an edit's text (exact, case-sensitive comparison).
  bool StoreText(CQVString& field, int id);
  // The same for the project's flag bits: set when on, cleared when off.
  bool StoreFlag(uint32_t bits, bool on);

  CKitwrightProject* project_ = nullptr;

 private:
  bool filling_ = false;
};
