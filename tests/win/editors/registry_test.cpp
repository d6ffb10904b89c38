// The Registry tab driven in the running program: the key tree, the value
// rows and their texts, the commands with their enable rules and keys, label
// edits, the value sheet, and Save and Open.
#include "editortest.h"
#include "itemsheets.h"
#include "registryview.h"

#include <string>
#include <vector>

namespace {

using kweditors::EditorTest;
using kweditors::TheSeams;
using RegView = CRegistryView;

const std::vector<std::string> kRoots = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                         "HKEY_CURRENT_CONFIG"};

class RegistryTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    page_ = Show<RegView>(kweditors::kRegistryTab);
    ASSERT_NE(page_, nullptr);
  }
  HWND Page() { return page_->Handle(); }
  HWND Tree() { return page_->Keys().Handle(); }
  HWND List() { return page_->Values().Handle(); }
  CRegistryKey* Root() { return Project().m_pRegistry; }
  CRegistryKey* Hklm() { return Root()->m_pChild->m_pNext->m_pNext; }
  void Refresh() { page_->UpdateFromProject(&Project(), 0); }
  void SelectKey(const std::string& label) {
    HTREEITEM item = Find(page_->Keys(), label);
    ASSERT_NE(item, nullptr) << label;
    page_->Keys().Select(item);
  }
  std::vector<std::string> ValueRows() { return Rows(page_->Values(), 2); }
  int ImageOfRow(int row) {
    LVITEMA it = {};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    ::SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return it.iImage;
  }
  void TreeImages(HTREEITEM item, int* image, int* selected) {
    TVITEMA it = {};
    it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = item;
    ::SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    *image = it.iImage;
    *selected = it.iSelectedImage;
  }

  RegView* page_ = nullptr;
};

TEST_F(RegistryTest, ANewProjectShowsTheFivePredefinedKeysThatKeepTheirNames) {
  EXPECT_EQ(Labels(page_->Keys()), kRoots);
  EXPECT_EQ(page_->Keys().GetSelection(), nullptr);
  EXPECT_EQ(page_->Values().GetItemCount(), 0);
  // With no key selected the New commands and Properties change nothing.
  for (UINT id : {RegView::kCmdNewKey, RegView::kCmdNewString, RegView::kCmdKeyProperties})
    page_->RunViewCommand(id);
  EXPECT_EQ(Labels(page_->Keys()), kRoots);
  EXPECT_TRUE(TheSeams().sheets.empty());
  EXPECT_FALSE(Project().IsModified());

  for (const std::string& root : kRoots) {
    SCOPED_TRACE(root);
    SelectKey(root);
    std::vector<kweditors::MenuItem> menu = ContextMenu(Page(), Tree());
    ASSERT_NE(Item(menu, RegView::kCmdDeleteKey), nullptr);
    EXPECT_FALSE(Item(menu, RegView::kCmdDeleteKey)->enabled);
    EXPECT_FALSE(Item(menu, RegView::kCmdRenameKey)->enabled);
    EXPECT_TRUE(Item(menu, RegView::kCmdNewKey)->enabled);
    EXPECT_TRUE(Item(menu, RegView::kCmdNewDword)->enabled);  // in the New sub-menu
    EXPECT_TRUE(Item(menu, RegView::kCmdKeyProperties)->enabled);
    EXPECT_TRUE(Item(menu, RegView::kCmdExpand)->isDefault);
    Key(Page(), Tree(), VK_DELETE);
    Key(Page(), Tree(), VK_F2);
    EXPECT_EQ(page_->Keys().GetEditControl(), nullptr);
    EXPECT_EQ(page_->Keys().EditLabel(page_->Keys().GetSelection()), nullptr);
  }
  EXPECT_EQ(Labels(page_->Keys()), kRoots);
  EXPECT_FALSE(Project().IsModified());
  int image = -1, selected = -1;
  TreeImages(page_->Keys().GetRoot(), &image, &selected);
  EXPECT_EQ(image, 1);
  EXPECT_EQ(selected, 2);
}

TEST_F(RegistryTest, RowsShowEachKindOfValueByItsRules) {
  const uint8_t bytes[] = {'A', 0, 0x5C, 0x7F};
  CRegistryKey* key = Hklm()->AddChildKey("Software", 0);
  key->m_pValues->SetString("x");
  key->AppendValue(new CRegistryValue("Text", "hello"));
  key->AppendValue(new CRegistryValue("Empty", ""));
  key->AppendValue(new CRegistryValue("Unset", CRegistryValue::kString));
  key->AppendValue(new CRegistryValue("NoBytes", CRegistryValue::kBinary));
  auto* blob = new CRegistryValue("Blob", CRegistryValue::kBinary);
  blob->SetBinary(bytes, sizeof bytes);
  key->AppendValue(blob);
  auto* number = new CRegistryValue("Number", CRegistryValue::kNumber);
  number->SetNumber(42);
  key->AppendValue(number);
  key->AppendValue(new CRegistryValue("Long", std::string(300, 'y').c_str()));
  Refresh();
  SelectKey("Software");
  struct Case { const char* name; std::string data; int image; } cases[] = {
      {"(Default)", "\"x\"", 3},
      {"Blob", "A\\00\\\\\\7F", 4},
      {"Empty", "\"\"", 3},
      {"Long", "\"" + std::string(255, 'y') + "\"", 3},
      {"NoBytes", "(zero-length binary value)", 4},
      {"Number", "42", 4},
      {"Text", "\"hello\"", 3},
      {"Unset", "(value not set)", 3},
  };
  ASSERT_EQ(page_->Values().GetItemCount(), static_cast<int>(std::size(cases))) << ::testing::PrintToString(ValueRows());
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    const int row = static_cast<int>(i);  // sorted by name
    EXPECT_EQ(page_->Values().GetItemText(row, 0), cases[i].name);
    EXPECT_EQ(page_->Values().GetItemText(row, 1), cases[i].data);
    EXPECT_EQ(ImageOfRow(row), cases[i].image);
  }
  // Another key shows only its own values; no key, no rows.
  SelectKey("HKEY_USERS");
  EXPECT_EQ(ValueRows(), std::vector<std::string>{"(Default) | (value not set)"});
  Refresh();
  EXPECT_EQ(page_->Values().GetItemCount(), 0);
}

TEST_F(RegistryTest, NewKeysAndValuesStartALabelEditAndTakeTheNameTyped) {
  SelectKey("HKEY_LOCAL_MACHINE");
  ASSERT_TRUE(page_->RunViewCommand(RegView::kCmdNewKey));
  EXPECT_TRUE(Project().IsModified());
  ASSERT_NE(Hklm()->m_pChild, nullptr);
  EXPECT_EQ(Hklm()->m_pChild->m_strName, "New Key");
  EXPECT_EQ(Hklm()->m_pChild->m_dwRoot, 0u);
  EXPECT_TRUE(page_->Keys().IsExpanded(Find(page_->Keys(), "HKEY_LOCAL_MACHINE")));
  EXPECT_EQ(page_->Keys().GetItemText(page_->Keys().GetSelection()), "New Key");
  EndEdit(page_->Keys().GetEditControl(), "Acme");
  EXPECT_EQ(Hklm()->m_pChild->m_strName, "Acme");
  EXPECT_EQ(Labels(page_->Keys())[3], "  Acme");
  // A second rename by F2, ended by Escape, changes nothing.
  Project().SetModifiedFlag(false);
  Key(Page(), Tree(), VK_F2);
  EndEdit(page_->Keys().GetEditControl(), "Other", false);
  EXPECT_EQ(Hklm()->m_pChild->m_strName, "Acme");
  EXPECT_FALSE(Project().IsModified());

  // Each New value: its type, row text and image, a label edit on its row.
  struct Case { UINT command; uint32_t type; const char* data; int image; const char* name; } cases[] = {
      {RegView::kCmdNewString, CRegistryValue::kString, "(value not set)", 3, "Path"},
      {RegView::kCmdNewBinary, CRegistryValue::kBinary, "(zero-length binary value)", 4, "Blob"},
      {RegView::kCmdNewDword, CRegistryValue::kNumber, "0", 4, "Count"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Project().SetModifiedFlag(false);
    ASSERT_TRUE(page_->RunViewCommand(c.command));
    EXPECT_TRUE(Project().IsModified());
    CRegistryValue* last = Hklm()->m_pChild->m_pValues;
    while (last->m_pNext)
      last = last->m_pNext;
    EXPECT_EQ(last->m_dwType, c.type);
    EXPECT_EQ(*last->m_name, "New Value");
    int row = FindRow(page_->Values(), "New Value");
    ASSERT_GE(row, 0);
    EXPECT_EQ(page_->Values().GetItemText(row, 1), c.data);
    EXPECT_EQ(ImageOfRow(row), c.image);
    EndEdit(page_->Values().GetEditControl(), c.name);
    EXPECT_EQ(*last->m_name, c.name);
  }
  EXPECT_EQ(ValueRows(), (std::vector<std::string>{"(Default) | (value not set)", "Blob | (zero-length binary value)",
                                                   "Count | 0", "Path | (value not set)"}));
  // The default value takes no name; a named one takes a new one by F2.
  Pick(page_->Values(), 0);
  Key(Page(), List(), VK_F2);
  EXPECT_EQ(page_->Values().GetEditControl(), nullptr);
  EXPECT_FALSE(Hklm()->m_pChild->m_pValues->m_name.has_value());
  Pick(page_->Values(), FindRow(page_->Values(), "Count"));
  Key(Page(), List(), VK_F2);
  EndEdit(page_->Values().GetEditControl(), "Total");
  EXPECT_EQ(FindRow(page_->Values(), "Count"), -1);
  EXPECT_GE(FindRow(page_->Values(), "Total"), 0);
}

TEST_F(RegistryTest, DeletingKeepsTheDefaultValueAndTakesKeysWithEverythingBelow) {
  CRegistryKey* software = Hklm()->AddChildKey("Software", 0);
  software->AddChildKey("Acme", 0)->AddChildKey("Tool", 0);
  software->m_pValues->SetString("x");
  software->AppendValue(new CRegistryValue("Name", "v"));
  Hklm()->AddChildKey("System", 0);
  Refresh();
  SelectKey("Software");

  // The list menu: Delete and Rename need a focused selected row.
  std::vector<kweditors::MenuItem> menu = ContextMenu(Page(), List());
  EXPECT_FALSE(Item(menu, RegView::kCmdDeleteValue)->enabled);
  EXPECT_FALSE(Item(menu, RegView::kCmdRenameValue)->enabled);
  EXPECT_TRUE(Item(menu, RegView::kCmdNewString)->enabled);
  Pick(page_->Values(), 0);
  menu = ContextMenu(Page(), List(), RegView::kCmdDeleteValue);
  EXPECT_TRUE(Item(menu, RegView::kCmdDeleteValue)->enabled);
  EXPECT_EQ(ValueRows(), (std::vector<std::string>{"(Default) | (value not set)", "Name | \"v\""}));
  EXPECT_FALSE(software->m_pValues->m_strData.has_value());
  EXPECT_TRUE(software->m_pValues->IsDefault());
  EXPECT_TRUE(Project().IsModified());
  Pick(page_->Values(), 1);
  Key(Page(), List(), VK_DELETE);
  EXPECT_EQ(ValueRows(), std::vector<std::string>{"(Default) | (value not set)"});
  EXPECT_EQ(software->ValueCount(), 1u);

  // A key goes with its subkeys, by the menu and by the Delete key.
  Project().SetModifiedFlag(false);
  SelectKey("Acme");
  ContextMenu(Page(), Tree(), RegView::kCmdDeleteKey);
  EXPECT_EQ(software->m_pChild, nullptr);
  EXPECT_EQ(Find(page_->Keys(), "Tool"), nullptr);
  EXPECT_TRUE(Project().IsModified());
  SelectKey("System");
  Key(Page(), Tree(), VK_DELETE);
  std::vector<std::string> labels = Labels(page_->Keys());
  EXPECT_EQ(labels, (std::vector<std::string>{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                              "  Software", "HKEY_USERS", "HKEY_CURRENT_CONFIG"}));
  EXPECT_EQ(Hklm()->m_pChild, software);
  EXPECT_EQ(software->m_pNext, nullptr);
}

TEST_F(RegistryTest, ExpandReadsCollapseOnAnExpandedKeyAndNeedsSubkeys) {
  Hklm()->AddChildKey("Software", 0);
  Refresh();
  SelectKey("HKEY_USERS");
  const kweditors::MenuItem* entry = nullptr;
  std::vector<kweditors::MenuItem> menu = ContextMenu(Page(), Tree());
  ASSERT_NE(entry = Item(menu, RegView::kCmdExpand), nullptr);
  EXPECT_FALSE(entry->enabled);
  SelectKey("HKEY_LOCAL_MACHINE");
  HTREEITEM hklm = page_->Keys().GetSelection();
  menu = ContextMenu(Page(), Tree(), RegView::kCmdExpand);
  EXPECT_TRUE(Item(menu, RegView::kCmdExpand)->enabled);
  EXPECT_EQ(Item(menu, RegView::kCmdExpand)->label, "Expand");
  EXPECT_TRUE(page_->Keys().IsExpanded(hklm));
  menu = ContextMenu(Page(), Tree(), RegView::kCmdExpand);
  EXPECT_EQ(Item(menu, RegView::kCmdExpand)->label, "Collapse");
  EXPECT_FALSE(page_->Keys().IsExpanded(hklm));
}

TEST_F(RegistryTest, ValuePropertiesRewriteTheRowByItsNewType) {
  CRegistryKey* key = Hklm()->AddChildKey("Software", 0);
  key->AppendValue(new CRegistryValue("Size", "big"));
  Refresh();
  SelectKey("Software");
  const int row = FindRow(page_->Values(), "Size");
  Pick(page_->Values(), row);
  // Cancelled: nothing changes.
  AnswerSheet([](HWND, HWND page) { ::SetDlgItemTextA(page, CRegistryValuePropPage::kValue, "ignored"); },
              PSBTN_CANCEL);
  Notify(Page(), List(), NM_DBLCLK);
  EXPECT_EQ(page_->Values().GetItemText(row, 1), "\"big\"");
  EXPECT_FALSE(Project().IsModified());
  // The type becomes DWORD (first entry of the list) with the value typed.
  AnswerSheet([](HWND, HWND page) {
    HWND type = ::GetDlgItem(page, CRegistryValuePropPage::kType);
    ::SendMessageA(type, CB_SETCURSEL, 0, 0);
    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(CRegistryValuePropPage::kType, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(type));
    ::SetDlgItemTextA(page, CRegistryValuePropPage::kValue, "1234");
  });
  // Enter, as the dialog turns it into IDOK while the list has the focus.
  ::SetFocus(List());
  ::SendMessageA(Page(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_EQ(TheSeams().sheets.size(), 2u);
  EXPECT_EQ(key->m_pValues->m_pNext->m_dwType, CRegistryValue::kNumber);
  EXPECT_EQ(page_->Values().GetItemText(row, 1), "1234");
  EXPECT_EQ(ImageOfRow(row), 4);
  EXPECT_TRUE(Project().IsModified());
}

TEST_F(RegistryTest, KeysAndValuesSurviveSaveAndOpenAndANewProjectShowsNoneOfThem) {
  kwtest::TempDir dir;
  SelectKey("HKEY_CURRENT_USER");
  page_->RunViewCommand(RegView::kCmdNewKey);
  EndEdit(page_->Keys().GetEditControl(), "Acme");
  page_->RunViewCommand(RegView::kCmdNewDword);
  EndEdit(page_->Values().GetEditControl(), "Runs");
  page_->RunViewCommand(RegView::kCmdNewString);
  EndEdit(page_->Values().GetEditControl(), "Path");
  const std::vector<std::string> labels = Labels(page_->Keys()), rows = ValueRows();
  const std::string path = dir.file("registry.kwr");
  SaveAs(path);
  ASSERT_FALSE(Project().IsModified());

  Command(ID_FILE_NEW);
  EXPECT_EQ(Labels(page_->Keys()), kRoots);
  EXPECT_EQ(page_->Values().GetItemCount(), 0);
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(Labels(page_->Keys()), labels);
  SelectKey("Acme");
  EXPECT_EQ(ValueRows(), rows);
  EXPECT_EQ(rows, (std::vector<std::string>{"(Default) | (value not set)", "Path | (value not set)", "Runs | 0"}));
}

}  // namespace
