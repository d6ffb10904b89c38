// The form pages' filling and storing.
#include "formpage.h"

#include "ctrls.h"

#include <vector>

void CFormPage::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  project_ = project;
  if (!hwnd_ || !project_ || (hint & 0x80000000u))
    return;
  // Setting a control sends its change notice; that is no edit of the user.
  filling_ = true;
  Fill();
  filling_ = false;
}

std::string CFormPage::ItemText(int id, int maxChars) const {
  std::vector<char> text(static_cast<size_t>(maxChars) + 1, '\0');
  int n = ::GetDlgItemTextA(hwnd_, id, text.data(), maxChars + 1);
  return std::string(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void CFormPage::FillList(int id, const ListEntry* entries, size_t count) {
  kwf::ComboBox list(Item(id));
  list.ResetContent();
  for (size_t i = 0; i < count; ++i)
    list.AddString(kwf::LoadResString(entries[i].text).c_str(), static_cast<LPARAM>(entries[i].value));
}

void CFormPage::SelectValue(int id, uint32_t value, bool emptyWhenNone) {
  kwf::ComboBox list(Item(id));
  if (!list.SelectByData(static_cast<LPARAM>(value)) && !emptyWhenNone)
    list.SetCurSel(0);
}

bool CFormPage::SelectedValue(int id, uint32_t* value) const {
  kwf::ComboBox list(Item(id));
  int at = list.GetCurSel();
  if (at < 0)
    return false;
  *value = static_cast<uint32_t>(list.GetItemData(at));
  return true;
}

bool CFormPage::StoreText(CQVString& field, int id) {
  std::string text = ItemText(id);
  if (!project_ || field == text)
    return false;
  field = text;
  project_->SetModifiedFlag(true);
  return true;
}

bool CFormPage::StoreFlag(uint32_t bits, bool on) {
  if (!project_)
    return false;
  uint32_t before = project_->m_dwFlags;
  project_->ChangeFlags(on ? bits : 0, on ? 0 : bits);
  if (project_->m_dwFlags == before)
    return false;
  project_->SetModifiedFlag(true);
  return true;
}
