// The Requirements tab.
#include "requirementsview.h"

#include "generalview.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

using View = CRequirementsView;

struct SystemBox {
  int id;
  uint16_t bit;
};
const SystemBox kSystems[] = {
    {View::kWinNT, View::kSysWinNT}, {View::kWin95, View::kSysWin95}, {View::kWin32s, View::kSysWin32s}};

struct VersionPair {
  int major;
  int minor;
  uint16_t CKitwrightProject::*field;
};
const VersionPair kVersions[] = {
    {View::kNTMajor, View::kNTMinor, &CKitwrightProject::m_wMinNTVersion},
    {View::k95Major, View::k95Minor, &CKitwrightProject::m_wMin95Version},
    {View::kWin32sMajor, View::kWin32sMinor, &CKitwrightProject::m_wMinWin32sVersion},
};
// The standard conversion reads no more of a version text than this.
constexpr int kVersionChars = 15;

const CFormPage::ListEntry kCpus[] = {
    {IDS_CPU_386, 386}, {IDS_CPU_486, 486}, {IDS_CPU_PENTIUM, 586}, {IDS_CPU_PENTIUMPRO, 686}};
const CFormPage::ListEntry kColorDepths[] = {
    {IDS_COLORS_NONE, 0},    {IDS_COLORS_16, 16}, {IDS_COLORS_256, 256}, {IDS_COLORS_HI, 65536},
    {IDS_COLORS_TRUE, 16777216}};
const CFormPage::ListEntry kResolutions[] = {
    {IDS_RES_NONE, 0}, {IDS_RES_640, 1}, {IDS_RES_800, 2}, {IDS_RES_1024, 3}, {IDS_RES_1280, 4}};

// The lists and the field each edits (a word or a double word).
struct ListField {
  int id;
  const CFormPage::ListEntry* entries;
  size_t count;
  uint16_t CKitwrightProject::*word;
  uint32_t CKitwrightProject::*dword;
};
const ListField kLists[] = {
    {View::kCpu, kCpus, std::size(kCpus), &CKitwrightProject::m_wProcessor, nullptr},
    {View::kColors, kColorDepths, std::size(kColorDepths), nullptr, &CKitwrightProject::m_dwColors},
    {View::kResolution, kResolutions, std::size(kResolutions), &CKitwrightProject::m_wResolution, nullptr},
};

// What a 16-bit setup cannot ask for: the Windows 95 and Win32s checks.
const int kWin32Only[] = {View::kWin95, View::kWin32s, View::k95Major, View::kWin32sMajor,
                          View::k95Minor, View::kWin32sMinor};

}  // namespace

uint16_t CRequirementsView::VersionFromText(const char* major, const char* minor) {
  unsigned high = static_cast<unsigned>(std::atoi(major));
  unsigned low = static_cast<unsigned>(std::atoi(minor));
  if (minor[0] != '0' && low < 10)
    low *= 10;
  return static_cast<uint16_t>((high << 8) + (low & 0xFF));
}

bool CRequirementsView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  ntText_ = ItemText(kWinNT);
  for (const ListField& list : kLists)
    FillList(list.id, list.entries, list.count);
  for (const VersionPair& v : kVersions) {
    LimitText(v.major, kVersionChars);
    LimitText(v.minor, kVersionChars);
  }
  LimitText(kCheckApps);
  return false;
}

void CRequirementsView::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  CFormPage::UpdateFromProject(project, hint);
  if (hwnd_ && project_)
    AdjustToPlatform();
}

void CRequirementsView::Fill() {
  for (const SystemBox& box : kSystems)
    SetCheck(box.id, (project_->m_wRequiredSystems & box.bit) != 0);
  for (const ListField& list : kLists)
    SelectValue(list.id, list.word ? project_->*list.word : project_->*list.dword);
  SetCheck(kMath, project_->m_dwMathCoprocessor != 0);
  SetItemText(kCheckApps, project_->m_strCheckApps);
  for (const VersionPair& v : kVersions) {
    unsigned version = project_->*v.field;
    char text[8];
    std::snprintf(text, sizeof text, "%u", version >> 8);
    SetItemText(v.major, text);
    std::snprintf(text, sizeof text, "%02u", version & 0xFF);
    SetItemText(v.minor, text);
  }
}

void CRequirementsView::AdjustToPlatform() {
  bool win16 = project_->m_wOperatingSystem == CGeneralView::kWin16;
  std::string label = ntText_;
  size_t space = label.rfind(' ');
  // "Microsoft Windows NT" reads "Microsoft Windows" for a 16-bit setup.
  if (win16 && space != std::string::npos)
    label.erase(space);
  SetItemText(kWinNT, label.c_str());
  for (int id : kWin32Only)
    ::EnableWindow(Item(id), win16 ? FALSE : TRUE);
}

void CRequirementsView::ReadVersions() {
  for (const VersionPair& v : kVersions) {
    std::string major = ItemText(v.major, kVersionChars);
    std::string minor = ItemText(v.minor, kVersionChars);
    Store(project_->*v.field, VersionFromText(major.c_str(), minor.c_str()));
  }
}

bool CRequirementsView::OnCommand(WORD id, WORD code, HWND control) {
  if (!Editing())
    return CTabClientEx::OnCommand(id, code, control);
  for (const SystemBox& box : kSystems)
    if (id == box.id && code == BN_CLICKED) {
      uint16_t systems = project_->m_wRequiredSystems;
      Store(project_->m_wRequiredSystems, Checked(id) ? (systems | box.bit) : (systems & ~box.bit));
      return true;
    }
  for (const VersionPair& v : kVersions)
    if ((id == v.major || id == v.minor) && code == EN_CHANGE) {
      ReadVersions();
      return true;
    }
  for (const ListField& list : kLists)
    if (id == list.id) {
      uint32_t value;
      if (code == CBN_SELCHANGE && SelectedValue(id, &value)) {
        if (list.word)
          Store(project_->*list.word, value);
        else
          Store(project_->*list.dword, value);
      }
      return true;
    }
  switch (id) {
    case kMath:
      if (code == BN_CLICKED)
        Store(project_->m_dwMathCoprocessor, Checked(kMath) ? 1 : 0);
      return true;
    case kCheckApps:
      if (code == EN_CHANGE)
        StoreText(project_->m_strCheckApps, kCheckApps);
      return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}
