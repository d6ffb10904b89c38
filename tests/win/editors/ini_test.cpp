// The INI Files tab driven in the running program: the tree of files and
// sections, the key rows and their texts, the commands with their enable
// rules and keys, label edits, the key sheet, and Save and Open.
#include "editortest.h"
#include "iniview.h"
#include "itemsheets.h"

#include <string>
#include <vector>

namespace {

using kweditors::EditorTest;
using kweditors::MenuItem;
using kweditors::TheSeams;

class IniTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    page_ = Show<CIniView>(kweditors::kIniTab);
    ASSERT_NE(page_, nullptr);
  }
  HWND Page() { return page_->Handle(); }
  HWND Tree() { return page_->Tree().Handle(); }
  HWND List() { return page_->Keys().Handle(); }
  kwf::TreeView& TreeCtl() { return page_->Tree(); }
  kwf::ListView& ListCtl() { return page_->Keys(); }
  CIniFiles& Ini() { return *Project().m_pIniFiles; }

  // Shows the project's INI files again, as after loading.
  void Reload() { page_->UpdateFromProject(&Project(), 0); }
  // A file "APP.INI" with the sections Options (keys b, a, C) and Paths.
  CIniFile* AddAppIni() {
    CIniFile* file = Ini().Add("APP.INI");
    CIniSection* options = file->Add("Options");
    options->Add("b", "2");
    options->Add("a", "");
    options->Add("C", "x y");
    file->Add("Paths")->Add("Data", "C:\\DATA");
    Reload();
    return file;
  }
  HTREEITEM Node(const std::string& label) { return Find(TreeCtl(), label); }
  void Select(const std::string& label) {
    HTREEITEM item = Node(label);
    ASSERT_NE(item, nullptr) << label;
    TreeCtl().Select(item);
  }
  void SelectNothing() { TreeCtl().Select(nullptr); }
  std::vector<std::string> KeyRows() { return Rows(ListCtl(), 2); }
  bool ListEnabled() { return ::IsWindowEnabled(List()) != FALSE; }
  std::pair<int, int> ImagesOf(HTREEITEM item) {
    TVITEMA it = {};
    it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = item;
    ::SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return {it.iImage, it.iSelectedImage};
  }
  int RowImage(int row) {
    LVITEMA it = {};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    ::SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return it.iImage;
  }
  static std::string TextOf(HWND hwnd) {
    char text[512] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
  }
  HWND TreeEdit() { return TreeCtl().GetEditControl(); }
  HWND ListEdit() { return ListCtl().GetEditControl(); }
  void PickKey(const std::string& key) {
    int row = FindRow(ListCtl(), key);
    ASSERT_GE(row, 0) << key;
    Pick(ListCtl(), row);
  }
  std::vector<MenuItem> TreeMenu(UINT choice = 0) { return ContextMenu(Page(), Tree(), choice); }
  std::vector<MenuItem> ListMenu(UINT choice = 0) { return ContextMenu(Page(), List(), choice); }
  static bool Enabled(const std::vector<MenuItem>& menu, UINT id) {
    const MenuItem* m = Item(menu, id);
    return m && m->enabled;
  }
  // Answers the key sheet by typing value into its edit.
  void AnswerValue(const std::string& value, int button = PSBTN_OK) {
    AnswerSheet([value](HWND, HWND page) { ::SetDlgItemTextA(page, CIniValuePropPage::kValue, value.c_str()); },
                button);
  }

  CIniView* page_ = nullptr;
};

// ---------------------------------------------------------------- showing

TEST_F(IniTest, NewProjectShowsWinIniAndSystemIni) {
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "SYSTEM.INI"}));
  EXPECT_EQ(ImagesOf(Node("WIN.INI")), std::make_pair(0, 1));
  EXPECT_EQ(ImagesOf(Node("SYSTEM.INI")), std::make_pair(0, 1));
  EXPECT_TRUE(KeyRows().empty());
  EXPECT_FALSE(Project().IsModified());
}

TEST_F(IniTest, ColumnsAreKeyAndValueAtThreeToSeven) {
  HWND header = ListView_GetHeader(List());
  ASSERT_EQ(Header_GetItemCount(header), 2);
  char text[64] = {};
  LVCOLUMNA c = {};
  c.mask = LVCF_TEXT | LVCF_WIDTH;
  c.pszText = text;
  c.cchTextMax = sizeof text;
  ASSERT_TRUE(ListView_GetColumn(List(), 0, &c));
  EXPECT_STREQ(text, "Key");
  const int key = c.cx;
  ASSERT_TRUE(ListView_GetColumn(List(), 1, &c));
  EXPECT_STREQ(text, "Value");
  const int value = c.cx;
  RECT r;
  ::GetClientRect(List(), &r);
  EXPECT_NEAR(key, r.right * 30 / 100, 1);
  EXPECT_NEAR(value, r.right * 70 / 100, 1);
}

TEST_F(IniTest, TreeShowsFilesWithTheirSectionsAndExpandsTheFirst) {
  Ini().At(0)->Add("Windows");
  AddAppIni();
  EXPECT_EQ(Labels(TreeCtl()),
            (std::vector<std::string>{"WIN.INI", "  Windows", "SYSTEM.INI", "APP.INI", "  Options", "  Paths"}));
  EXPECT_TRUE(TreeCtl().IsExpanded(Node("WIN.INI")));
  EXPECT_FALSE(TreeCtl().IsExpanded(Node("APP.INI")));
  EXPECT_EQ(ImagesOf(Node("Options")), std::make_pair(3, 4));
  EXPECT_EQ(ImagesOf(Node("APP.INI")), std::make_pair(0, 1));
}

TEST_F(IniTest, SectionShowsItsKeysSortedWithQuotedValues) {
  CIniFile* file = AddAppIni();
  file->At(0)->Add("quote", "say \"hi\"");
  Reload();
  Select("Options");
  EXPECT_TRUE(ListEnabled());
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"a | \"\"", "b | \"2\"", "C | \"x y\"", "quote | \"say \"hi\"\""}));
  for (int row = 0; row < ListCtl().GetItemCount(); ++row)
    EXPECT_EQ(RowImage(row), 2);
  // Each row carries its own key.
  for (int row = 0; row < ListCtl().GetItemCount(); ++row)
    EXPECT_EQ(reinterpret_cast<CIniValue*>(ListCtl().GetItemData(row))->m_strKey, ListCtl().GetItemText(row, 0));
  Select("Paths");
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"Data | \"C:\\DATA\""}));
}

TEST_F(IniTest, LongKeyNamesAreCutTo255Characters) {
  CIniFile* file = Ini().Add("APP.INI");
  file->Add("Long")->Add(std::string(300, 'k').c_str(), "v");
  Reload();
  Select("Long");
  ASSERT_EQ(ListCtl().GetItemCount(), 1);
  EXPECT_EQ(ListCtl().GetItemText(0, 0), std::string(255, 'k'));
}

TEST_F(IniTest, SelectingAnIniFileDisablesTheKeyListAndLeavesItEmpty) {
  AddAppIni();
  Select("Options");
  ASSERT_TRUE(ListEnabled());
  ASSERT_EQ(ListCtl().GetItemCount(), 3);
  Select("APP.INI");
  EXPECT_FALSE(ListEnabled());
  EXPECT_EQ(ListCtl().GetItemCount(), 0);
  Select("Options");
  EXPECT_TRUE(ListEnabled());
  SelectNothing();
  Reload();
  EXPECT_FALSE(ListEnabled());
  EXPECT_EQ(ListCtl().GetItemCount(), 0);
}

TEST_F(IniTest, UpdateWithBit31LeavesTheControlsAlone) {
  Ini().Add("LATER.INI");
  page_->UpdateFromProject(&Project(), 0x80000000u);
  EXPECT_EQ(Node("LATER.INI"), nullptr);
  page_->UpdateFromProject(&Project(), 0);
  EXPECT_NE(Node("LATER.INI"), nullptr);
}

// ---------------------------------------------------------------- enable rules

struct TreeCase {
  const char* what;
  const char* select;  // label, or null for nothing
  bool expanded;
  bool expand, newFile, newSection, newKey, rename;
  const char* expandLabel;
};

TEST_F(IniTest, TreeMenuEnablesByWhatIsSelected) {
  const TreeCase cases[] = {
      {"nothing", nullptr, false, false, true, false, false, false, "Expand"},
      {"file without sections", "WIN.INI", false, false, true, true, false, true, "Expand"},
      {"file with sections, collapsed", "APP.INI", false, true, true, true, false, true, "Expand"},
      {"file with sections, expanded", "APP.INI", true, true, true, true, false, true, "Collapse"},
      {"section", "Options", false, false, false, false, true, true, "Expand"},
  };
  AddAppIni();
  for (const TreeCase& c : cases) {
    SCOPED_TRACE(c.what);
    TreeCtl().Expand(Node("APP.INI"), TVE_COLLAPSE);
    if (c.select)
      Select(c.select);
    else
      SelectNothing();
    if (c.expanded)
      TreeCtl().Expand(Node("APP.INI"), TVE_EXPAND);
    std::vector<MenuItem> menu = TreeMenu();
    EXPECT_EQ(Enabled(menu, CIniView::kCmdExpand), c.expand);
    EXPECT_EQ(Enabled(menu, CIniView::kCmdNewIniFile), c.newFile);
    EXPECT_EQ(Enabled(menu, CIniView::kCmdNewSection), c.newSection);
    EXPECT_EQ(Enabled(menu, CIniView::kCmdNewKey), c.newKey);
    EXPECT_TRUE(Enabled(menu, CIniView::kCmdDeleteItem));
    EXPECT_EQ(Enabled(menu, CIniView::kCmdRenameItem), c.rename);
    const MenuItem* expand = Item(menu, CIniView::kCmdExpand);
    ASSERT_NE(expand, nullptr);
    EXPECT_EQ(expand->label, c.expandLabel);
    EXPECT_TRUE(expand->isDefault);
    // The view's own rules agree with the menu.
    EXPECT_EQ(page_->CommandEnabled(CIniView::kCmdNewKey), c.newKey);
  }
}

struct RowCase {
  const char* what;
  UINT state;  // of the row "b"; every other row has none
  bool rowCommands;
};

TEST_F(IniTest, ListMenuEnablesByTheFocusedSelectedRow) {
  const RowCase cases[] = {
      {"no row", 0, false},
      {"focused and selected", LVIS_FOCUSED | LVIS_SELECTED, true},
      {"selected, not focused", LVIS_SELECTED, false},
      {"focused, not selected", LVIS_FOCUSED, false},
  };
  AddAppIni();
  Select("Options");
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.what);
    ListCtl().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListCtl().SetItemState(FindRow(ListCtl(), "b"), c.state, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<MenuItem> menu = ListMenu();
    EXPECT_TRUE(Enabled(menu, CIniView::kCmdNewKey));
    EXPECT_EQ(Enabled(menu, CIniView::kCmdDeleteKey), c.rowCommands);
    EXPECT_EQ(Enabled(menu, CIniView::kCmdRenameKey), c.rowCommands);
    EXPECT_EQ(Enabled(menu, CIniView::kCmdKeyProperties), c.rowCommands);
    for (const MenuItem& m : menu)
      EXPECT_FALSE(m.isDefault) << m.label;
  }
}

TEST_F(IniTest, ExpandTogglesTheSelectedFile) {
  AddAppIni();
  Select("APP.INI");
  ASSERT_FALSE(TreeCtl().IsExpanded(Node("APP.INI")));
  TreeMenu(CIniView::kCmdExpand);
  EXPECT_TRUE(TreeCtl().IsExpanded(Node("APP.INI")));
  EXPECT_EQ(Item(TreeMenu(CIniView::kCmdExpand), CIniView::kCmdExpand)->label, "Collapse");
  EXPECT_FALSE(TreeCtl().IsExpanded(Node("APP.INI")));
  EXPECT_FALSE(Project().IsModified());
}

// ---------------------------------------------------------------- new items

TEST_F(IniTest, NewIniFileIsAddedSelectedAndEditedByName) {
  for (const char* from : {static_cast<const char*>(nullptr), "SYSTEM.INI"}) {
    SCOPED_TRACE(from ? from : "nothing selected");
    Project().SetModifiedFlag(false);
    if (from)
      Select(from);
    else
      SelectNothing();
    const size_t before = Ini().Count();
    TreeMenu(CIniView::kCmdNewIniFile);
    ASSERT_EQ(Ini().Count(), before + 1);
    EXPECT_EQ(Ini().At(before)->m_strName, "New INI File.INI");
    EXPECT_TRUE(Project().IsModified());
    HTREEITEM item = TreeCtl().GetSelection();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(TreeCtl().GetItemText(item), "New INI File.INI");
    EXPECT_EQ(TreeCtl().GetParent(item), nullptr);
    EXPECT_EQ(TreeCtl().GetNextSibling(item), nullptr) << "appended at the end";
    EXPECT_EQ(ImagesOf(item), std::make_pair(0, 1));
    ASSERT_NE(TreeEdit(), nullptr);
    EXPECT_EQ(TextOf(TreeEdit()), "New INI File.INI");
    const std::string name = from ? "CONTROL.INI" : "APP.INI";
    EndEdit(TreeEdit(), name);
    EXPECT_EQ(TreeEdit(), nullptr);
    EXPECT_EQ(TreeCtl().GetItemText(item), name);
    EXPECT_EQ(Ini().At(before)->m_strName, name);
  }
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "SYSTEM.INI", "APP.INI", "CONTROL.INI"}));
}

TEST_F(IniTest, NewSectionIsAddedUnderTheFileSelectedAndEdited) {
  Select("SYSTEM.INI");
  TreeMenu(CIniView::kCmdNewSection);
  CIniFile* system = Ini().At(1);
  ASSERT_EQ(system->Count(), 1u);
  EXPECT_EQ(system->At(0)->m_strName, "New Section");
  EXPECT_TRUE(Project().IsModified());
  HTREEITEM item = TreeCtl().GetSelection();
  EXPECT_EQ(TreeCtl().GetParent(item), Node("SYSTEM.INI"));
  EXPECT_TRUE(TreeCtl().IsExpanded(Node("SYSTEM.INI")));
  EXPECT_EQ(TreeCtl().GetItemText(item), "New Section");
  EXPECT_EQ(ImagesOf(item), std::make_pair(3, 4));
  ASSERT_NE(TreeEdit(), nullptr);
  EXPECT_EQ(TextOf(TreeEdit()), "New Section");
  EndEdit(TreeEdit(), "boot");
  EXPECT_EQ(TreeCtl().GetItemText(item), "[boot]");
  EXPECT_EQ(system->At(0)->m_strName, "boot");
  // The new section is selected: its (empty) key list is open.
  EXPECT_TRUE(ListEnabled());
  EXPECT_EQ(ListCtl().GetItemCount(), 0);
}

TEST_F(IniTest, NewSectionCancelledKeepsTheDefaultNameInBrackets) {
  Select("WIN.INI");
  TreeMenu(CIniView::kCmdNewSection);
  Project().SetModifiedFlag(false);
  EndEdit(TreeEdit(), "ignored", false);
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "  [New Section]", "SYSTEM.INI"}));
  EXPECT_EQ(Ini().At(0)->At(0)->m_strName, "New Section");
  EXPECT_FALSE(Project().IsModified());
}

TEST_F(IniTest, NewKeyFromEitherMenuShowsTwoQuotesAndIsEdited) {
  AddAppIni();
  for (bool fromTree : {true, false}) {
    SCOPED_TRACE(fromTree ? "tree menu" : "list menu");
    Select("Paths");
    Project().SetModifiedFlag(false);
    CIniSection* paths = Ini().At(2)->At(1);
    const size_t before = paths->Count();
    if (fromTree)
      TreeMenu(CIniView::kCmdNewKey);
    else
      ListMenu(CIniView::kCmdNewKey);
    ASSERT_EQ(paths->Count(), before + 1);
    CIniValue* key = paths->At(before);
    EXPECT_EQ(key->m_strKey, "New Key");
    EXPECT_EQ(key->m_strValue, "");
    EXPECT_TRUE(Project().IsModified());
    int row = FindRow(ListCtl(), "New Key");
    ASSERT_GE(row, 0);
    EXPECT_EQ(ListCtl().GetItemText(row, 1), "\"\"");
    EXPECT_EQ(RowImage(row), 2);
    EXPECT_EQ(reinterpret_cast<CIniValue*>(ListCtl().GetItemData(row)), key);
    ASSERT_NE(ListEdit(), nullptr);
    EXPECT_EQ(TextOf(ListEdit()), "New Key");
    const std::string name = fromTree ? "Temp" : "Backup";
    EndEdit(ListEdit(), name);
    EXPECT_EQ(ListEdit(), nullptr);
    EXPECT_EQ(key->m_strKey, name);
    EXPECT_NE(FindRow(ListCtl(), name), -1);
    EXPECT_EQ(FindRow(ListCtl(), "New Key"), -1);
  }
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"Backup | \"\"", "Data | \"C:\\DATA\"", "Temp | \"\""}));
}

TEST_F(IniTest, NewKeyCancelledKeepsItsDefaultName) {
  AddAppIni();
  Select("Paths");
  ListMenu(CIniView::kCmdNewKey);
  Project().SetModifiedFlag(false);
  EndEdit(ListEdit(), "ignored", false);
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"Data | \"C:\\DATA\"", "New Key | \"\""}));
  EXPECT_FALSE(Project().IsModified());
}

// ---------------------------------------------------------------- renames

TEST_F(IniTest, RenamedSectionShowsBracketsAndASecondRenameEditsTheBareName) {
  // The second rename starts by the command or by F2.
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "F2" : "command");
    Ini().At(0)->m_sections.Clear();
    Ini().At(0)->Add("Options");
    Reload();
    Select("Options");
    Project().SetModifiedFlag(false);
    TreeMenu(CIniView::kCmdRenameItem);
    ASSERT_NE(TreeEdit(), nullptr);
    EXPECT_EQ(TextOf(TreeEdit()), "Options");
    EndEdit(TreeEdit(), "Setup");
    HTREEITEM item = Node("[Setup]");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(Ini().At(0)->At(0)->m_strName, "Setup");
    EXPECT_TRUE(Project().IsModified());

    // Escape during a rename of Setup.
    Project().SetModifiedFlag(false);
    if (byKey)
      Key(Page(), Tree(), VK_F2);
    else
      TreeMenu(CIniView::kCmdRenameItem);
    ASSERT_NE(TreeEdit(), nullptr);
    EXPECT_EQ(TextOf(TreeEdit()), "Setup");
    EndEdit(TreeEdit(), "Other", false);
    EXPECT_EQ(TreeCtl().GetItemText(item), "[Setup]");
    EXPECT_EQ(Ini().At(0)->At(0)->m_strName, "Setup");
    EXPECT_FALSE(Project().IsModified());

    // And again: still the bare name, never "[Setup]".
    if (byKey)
      Key(Page(), Tree(), VK_F2);
    else
      TreeMenu(CIniView::kCmdRenameItem);
    ASSERT_NE(TreeEdit(), nullptr);
    EXPECT_EQ(TextOf(TreeEdit()), "Setup");
    EndEdit(TreeEdit(), "Main");
    EXPECT_EQ(TreeCtl().GetItemText(item), "[Main]");
    EXPECT_EQ(Ini().At(0)->At(0)->m_strName, "Main");
  }
}

TEST_F(IniTest, EditStartedOnTheLabelItselfEditsTheBareSectionName) {
  Ini().At(0)->Add("Options");
  Reload();
  Select("Options");
  Key(Page(), Tree(), VK_F2);
  EndEdit(TreeEdit(), "Setup");
  // As a slow click on the label does: the control starts the edit itself.
  HTREEITEM item = Node("[Setup]");
  ::SetFocus(Tree());
  TreeCtl().EditLabel(item);
  ASSERT_NE(TreeEdit(), nullptr);
  EXPECT_EQ(TextOf(TreeEdit()), "Setup");
  EndEdit(TreeEdit(), "Setup");
  EXPECT_EQ(TreeCtl().GetItemText(item), "[Setup]");
  EXPECT_EQ(Ini().At(0)->At(0)->m_strName, "Setup");
}

TEST_F(IniTest, RenamedIniFileTakesTheTextAndEscapeChangesNothing) {
  Select("SYSTEM.INI");
  Key(Page(), Tree(), VK_F2);
  ASSERT_NE(TreeEdit(), nullptr);
  EXPECT_EQ(TextOf(TreeEdit()), "SYSTEM.INI");
  EndEdit(TreeEdit(), "CONTROL.INI", false);
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "SYSTEM.INI"}));
  EXPECT_FALSE(Project().IsModified());
  TreeMenu(CIniView::kCmdRenameItem);
  EndEdit(TreeEdit(), "CONTROL.INI");
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "CONTROL.INI"}));
  EXPECT_EQ(Ini().At(1)->m_strName, "CONTROL.INI");
  EXPECT_TRUE(Project().IsModified());
}

TEST_F(IniTest, EmptyNamesAreRefused) {
  AddAppIni();
  struct Case {
    const char* what;
    std::function<void()> start;
    std::function<HWND()> edit;
    std::vector<std::string> labels;
    std::vector<std::string> rows;
  };
  const std::vector<std::string> labels = {"WIN.INI", "SYSTEM.INI", "APP.INI", "  [Options]", "  Paths"};
  const std::vector<Case> cases = {
      {"file", [&] { Select("APP.INI"); Key(Page(), Tree(), VK_F2); }, [&] { return TreeEdit(); },
       {"WIN.INI", "SYSTEM.INI", "APP.INI", "  Options", "  Paths"}, {}},
      {"section", [&] { Select("Options"); Key(Page(), Tree(), VK_F2); }, [&] { return TreeEdit(); }, labels,
       {"a | \"\"", "b | \"2\"", "C | \"x y\""}},
      {"key", [&] { PickKey("b"); ListMenu(CIniView::kCmdRenameKey); }, [&] { return ListEdit(); }, labels,
       {"a | \"\"", "b | \"2\"", "C | \"x y\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Project().SetModifiedFlag(false);
    c.start();
    EndEdit(c.edit(), "");
    EXPECT_EQ(Labels(TreeCtl()), c.labels);
    EXPECT_EQ(KeyRows(), c.rows);
    EXPECT_FALSE(Project().IsModified());
  }
  CIniFile* app = Ini().At(2);
  EXPECT_EQ(app->m_strName, "APP.INI");
  EXPECT_EQ(app->At(0)->m_strName, "Options");
  EXPECT_EQ(app->At(0)->At(0)->m_strKey, "b");
}

TEST_F(IniTest, RenamedKeyByCommandOrF2TakesTheTextAndStaysSorted) {
  AddAppIni();
  Select("Options");
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "F2" : "command");
    Project().SetModifiedFlag(false);
    PickKey(byKey ? "z" : "a");
    if (byKey)
      Key(Page(), List(), VK_F2);
    else
      ListMenu(CIniView::kCmdRenameKey);
    ASSERT_NE(ListEdit(), nullptr);
    EXPECT_EQ(TextOf(ListEdit()), byKey ? "z" : "a");
    EndEdit(ListEdit(), byKey ? "d" : "z");
    EXPECT_TRUE(Project().IsModified());
  }
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"b | \"2\"", "C | \"x y\"", "d | \"\""}));
  CIniSection* options = Ini().At(2)->At(0);
  EXPECT_EQ(options->At(1)->m_strKey, "d");
}

// ---------------------------------------------------------------- deletes

TEST_F(IniTest, DeleteInTheTreeByCommandOrKey) {
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Delete key" : "command");
    Ini().m_files.Clear();
    Ini().Add("WIN.INI");
    AddAppIni();
    auto remove = [&] {
      if (byKey)
        Key(Page(), Tree(), VK_DELETE);
      else
        TreeMenu(CIniView::kCmdDeleteItem);
    };
    // A section whose keys are shown.
    Select("Options");
    ASSERT_EQ(ListCtl().GetItemCount(), 3);
    Project().SetModifiedFlag(false);
    remove();
    EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "APP.INI", "  Paths"}));
    ASSERT_EQ(Ini().At(1)->Count(), 1u);
    EXPECT_EQ(Ini().At(1)->At(0)->m_strName, "Paths");
    EXPECT_TRUE(Project().IsModified());
    // The list follows the new selection, with nothing of the deleted section.
    EXPECT_EQ(FindRow(ListCtl(), "b"), -1);
    EXPECT_EQ(ListEnabled(), page_->SelectedSection() != nullptr);

    // A file with its sections.
    Select("APP.INI");
    Project().SetModifiedFlag(false);
    remove();
    EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI"}));
    ASSERT_EQ(Ini().Count(), 1u);
    EXPECT_EQ(Ini().At(0)->m_strName, "WIN.INI");
    EXPECT_TRUE(Project().IsModified());

    // Nothing selected: nothing happens.
    SelectNothing();
    Project().SetModifiedFlag(false);
    remove();
    EXPECT_EQ(Ini().Count(), 1u);
    EXPECT_FALSE(Project().IsModified());
  }
}

TEST_F(IniTest, DeleteInTheListByCommandOrKey) {
  AddAppIni();
  Select("Options");
  CIniSection* options = Ini().At(2)->At(0);
  for (bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Delete key" : "command");
    Project().SetModifiedFlag(false);
    const std::string key = byKey ? "C" : "b";
    PickKey(key);
    if (byKey)
      Key(Page(), List(), VK_DELETE);
    else
      ListMenu(CIniView::kCmdDeleteKey);
    EXPECT_EQ(FindRow(ListCtl(), key), -1);
    for (size_t i = 0; i < options->Count(); ++i)
      EXPECT_NE(options->At(i)->m_strKey, key);
    EXPECT_TRUE(Project().IsModified());
  }
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"a | \"\""}));
  ASSERT_EQ(options->Count(), 1u);
  // No focused selected row: the Delete key does nothing.
  ListCtl().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  Project().SetModifiedFlag(false);
  Key(Page(), List(), VK_DELETE);
  EXPECT_EQ(options->Count(), 1u);
  EXPECT_FALSE(Project().IsModified());
}

// ---------------------------------------------------------------- key sheet

TEST_F(IniTest, KeyPropertiesRewriteTheQuotedValue) {
  AddAppIni();
  Select("Options");
  CIniSection* options = Ini().At(2)->At(0);
  struct Way {
    const char* what;
    std::function<void()> open;
  };
  const Way ways[] = {
      {"menu", [&] { ListMenu(CIniView::kCmdKeyProperties); }},
      {"double click", [&] { Notify(Page(), List(), NM_DBLCLK); }},
      {"Enter", [&] { Notify(Page(), List(), NM_RETURN); }},
      {"Enter through the dialog", [&] {
         ::SetFocus(List());
         ::SendMessageA(Page(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
       }},
  };
  int n = 0;
  for (const Way& w : ways) {
    SCOPED_TRACE(w.what);
    TheSeams().sheets.clear();
    Project().SetModifiedFlag(false);
    PickKey("b");
    const std::string value = "value " + std::to_string(++n);
    AnswerValue(value);
    w.open();
    ASSERT_EQ(TheSeams().sheets.size(), 1u);
    EXPECT_NE(TheSeams().sheets[0].find('b'), std::string::npos) << TheSeams().sheets[0];
    EXPECT_EQ(ListCtl().GetItemText(FindRow(ListCtl(), "b"), 1), "\"" + value + "\"");
    EXPECT_EQ(options->At(0)->m_strValue, value);
    EXPECT_EQ(options->At(0)->m_strKey, "b");
    EXPECT_TRUE(Project().IsModified());
  }
}

TEST_F(IniTest, KeyPropertiesCancelledChangeNothing) {
  AddAppIni();
  Select("Options");
  PickKey("C");
  AnswerValue("changed", PSBTN_CANCEL);
  ListMenu(CIniView::kCmdKeyProperties);
  EXPECT_EQ(TheSeams().sheets.size(), 1u);
  EXPECT_EQ(ListCtl().GetItemText(FindRow(ListCtl(), "C"), 1), "\"x y\"");
  EXPECT_EQ(Ini().At(2)->At(0)->At(2)->m_strValue, "x y");
  EXPECT_FALSE(Project().IsModified());
}

TEST_F(IniTest, NoSheetWithoutAFocusedSelectedRow) {
  AddAppIni();
  Select("Options");
  ListCtl().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  AnswerValue("changed");
  Notify(Page(), List(), NM_DBLCLK);
  Notify(Page(), List(), NM_RETURN);
  EXPECT_TRUE(TheSeams().sheets.empty());
}

// ---------------------------------------------------------------- save and open

TEST_F(IniTest, SaveAndOpenShowTheSameTreeAndRows) {
  kwtest::TempDir dir;
  const std::string path = dir.file("ini.kwr");
  Select("WIN.INI");
  TreeMenu(CIniView::kCmdNewSection);
  EndEdit(TreeEdit(), "Colors");
  ListMenu(CIniView::kCmdNewKey);
  EndEdit(ListEdit(), "Window");
  PickKey("Window");
  AnswerValue("255 255 255");
  ListMenu(CIniView::kCmdKeyProperties);
  SelectNothing();
  TreeMenu(CIniView::kCmdNewIniFile);
  EndEdit(TreeEdit(), "APP.INI");
  TreeMenu(CIniView::kCmdNewSection);
  EndEdit(TreeEdit(), "Options");
  ListMenu(CIniView::kCmdNewKey);
  EndEdit(ListEdit(), "Empty");
  Select("SYSTEM.INI");
  TreeMenu(CIniView::kCmdDeleteItem);

  const std::vector<std::string> saved = {"WIN.INI", "APP.INI"};
  ASSERT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "  [Colors]", "APP.INI", "  [Options]"}));
  SaveAs(path);
  ASSERT_FALSE(Project().IsModified());
  ASSERT_TRUE(Open(path));
  page_ = Show<CIniView>(kweditors::kIniTab);
  // A loaded section shows its bare name.
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "  Colors", "APP.INI", "  Options"}));
  Select("Colors");
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"Window | \"255 255 255\""}));
  Select("Options");
  EXPECT_EQ(KeyRows(), (std::vector<std::string>{"Empty | \"\""}));
  EXPECT_FALSE(Project().IsModified());
}

TEST_F(IniTest, OpeningAnotherProjectShowsNothingOfTheFirst) {
  kwtest::TempDir dir;
  const std::string other = dir.file("other.kwr");
  Ini().m_files.Clear();
  Ini().Add("OTHER.INI")->Add("Only")->Add("k", "v");
  Reload();
  SaveAs(other);

  Command(ID_FILE_NEW);
  page_ = Show<CIniView>(kweditors::kIniTab);
  AddAppIni();
  Select("Options");
  ASSERT_EQ(ListCtl().GetItemCount(), 3);
  Project().SetModifiedFlag(false);
  ASSERT_TRUE(Open(other));
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"OTHER.INI", "  Only"}));
  EXPECT_EQ(ListCtl().GetItemCount(), 0);
  EXPECT_FALSE(ListEnabled());
  EXPECT_EQ(page_->SelectedSection(), nullptr);

  // And a new project after it.
  Select("Only");
  ASSERT_EQ(ListCtl().GetItemCount(), 1);
  Command(ID_FILE_NEW);
  EXPECT_EQ(Labels(TreeCtl()), (std::vector<std::string>{"WIN.INI", "SYSTEM.INI"}));
  EXPECT_EQ(ListCtl().GetItemCount(), 0);
  EXPECT_FALSE(ListEnabled());
}

}  // namespace
