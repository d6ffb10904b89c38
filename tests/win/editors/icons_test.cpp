// The Program Icons tab driven in the running program: the folder tree and
// its fixed folders, the commands with their enable rules and keys, label
// edits, the shortcut images, the shortcut sheet, and Save and Open.
#include "editortest.h"
#include "itemsheets.h"
#include "programiconsview.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using kweditors::EditorTest;
using kweditors::MenuItem;
using kweditors::TheSeams;
using IconsView = CProgramIconsView;

const std::vector<std::string> kNewTree = {"Programs", "  Default"};

// A program every Wine prefix holds, found where this system keeps it.
std::string SystemProgram() {
  char dir[MAX_PATH] = {};
  ::GetSystemDirectoryA(dir, sizeof dir);
  return std::string(dir) + "\\notepad.exe";
}

// The pixels of one image drawn over magenta, row by row.
std::vector<uint32_t> Pixels(HIMAGELIST list, int index) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = cx;
  bi.bmiHeader.biHeight = -cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> out;
  if (bmp && bits) {
    HGDIOBJ old = ::SelectObject(dc, bmp);
    auto* p = static_cast<uint32_t*>(bits);
    std::fill(p, p + cx * cy, 0x00FF00FFu);
    ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    ::GdiFlush();
    out.assign(p, p + cx * cy);
    ::SelectObject(dc, old);
  }
  if (bmp)
    ::DeleteObject(bmp);
  ::DeleteDC(dc);
  return out;
}

// An icon as an image list like the view's keeps it.
std::vector<uint32_t> IconPixels(HIMAGELIST like, HICON icon) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(like, &cx, &cy);
  HIMAGELIST list = ImageList_Create(cx, cy, ILC_COLOR4 | ILC_MASK, 1, 1);
  std::vector<uint32_t> out;
  if (icon && ImageList_AddIcon(list, icon) == 0)
    out = Pixels(list, 0);
  ImageList_Destroy(list);
  return out;
}

// A file's own icon as the shell gives it.
std::vector<uint32_t> ShellPixels(HIMAGELIST like, const std::string& path) {
  SHFILEINFOA info = {};
  if (!::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON))
    return {};
  std::vector<uint32_t> out = IconPixels(like, info.hIcon);
  ::DestroyIcon(info.hIcon);
  return out;
}

// The pixels of one part of an image, in tenths of its width and height.
std::vector<uint32_t> Part(HIMAGELIST like, const std::vector<uint32_t>& pixels, int left, int top, int right,
                           int bottom) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(like, &cx, &cy);
  std::vector<uint32_t> out;
  if (pixels.size() != static_cast<size_t>(cx) * static_cast<size_t>(cy))
    return out;
  for (int y = cy * top / 10; y < cy * bottom / 10; ++y)
    for (int x = cx * left / 10; x < cx * right / 10; ++x)
      out.push_back(pixels[static_cast<size_t>(y) * cx + x]);
  return out;
}

// A shortcut image shows the program's own icon, and a shortcut arrow over
// its bottom left corner.
::testing::AssertionResult ShowsWithArrow(HIMAGELIST like, const std::vector<uint32_t>& shown,
                                          const std::vector<uint32_t>& program) {
  if (program.empty() || shown.size() != program.size())
    return ::testing::AssertionFailure() << "no image";
  if (Part(like, shown, 0, 0, 10, 5) != Part(like, program, 0, 0, 10, 5))
    return ::testing::AssertionFailure() << "the top half is not the program's icon";
  if (Part(like, shown, 6, 5, 10, 10) != Part(like, program, 6, 5, 10, 10))
    return ::testing::AssertionFailure() << "the bottom right corner is not the program's icon";
  if (Part(like, shown, 0, 6, 3, 10) == Part(like, program, 0, 6, 3, 10))
    return ::testing::AssertionFailure() << "no arrow in the bottom left corner";
  return ::testing::AssertionSuccess();
}

class IconsTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    page_ = Show<IconsView>(kweditors::kIconsTab);
    ASSERT_NE(page_, nullptr);
  }
  HWND Page() { return page_->Handle(); }
  HWND Tree() { return page_->Groups().Handle(); }
  HWND List() { return page_->Icons().Handle(); }
  CProgramGroup* Root() { return Project().m_pGroups; }
  CProgramGroup* DefaultGroup() { return Root()->m_pChild; }
  void Refresh() { page_->UpdateFromProject(&Project(), 0); }
  void SelectGroup(const std::string& label) {
    HTREEITEM item = Find(page_->Groups(), label);
    ASSERT_NE(item, nullptr) << label;
    page_->Groups().Select(item);
  }
  std::vector<std::string> IconRows() { return Rows(page_->Icons(), 1); }
  int ImageOfRow(int row) {
    LVITEMA it = {};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    ::SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return it.iImage;
  }
  // The pixels a row shows, from the list's own image list.
  std::vector<uint32_t> RowPixels(int row) {
    auto images = reinterpret_cast<HIMAGELIST>(::SendMessageA(List(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    return Pixels(images, ImageOfRow(row));
  }
  std::vector<uint32_t> DefaultPixels() {
    return IconPixels(page_->ShortcutImages(), theLanguageArray.LoadIcon(MAKEINTRESOURCEA(IDI_SHORTCUT)));
  }
  static std::vector<std::string> Names(const CProgramGroup* g) {
    std::vector<std::string> out;
    for (const CProgramIcon* i = g->m_pIcons; i; i = i->m_pNext)
      out.push_back(i->m_strName);
    return out;
  }
  // Every folder's label path with its rows, as the user would click through them.
  std::vector<std::string> Everything() {
    std::vector<std::string> out;
    std::vector<std::pair<HTREEITEM, std::string>> todo;
    for (HTREEITEM i = page_->Groups().GetRoot(); i; i = page_->Groups().GetNextSibling(i))
      todo.emplace_back(i, "");
    while (!todo.empty()) {
      auto [item, prefix] = todo.back();
      todo.pop_back();
      const std::string path = prefix + "/" + page_->Groups().GetItemText(item);
      page_->Groups().Select(item);
      out.push_back(path);
      for (const std::string& row : IconRows())
        out.push_back(path + ": " + row);
      for (HTREEITEM c = page_->Groups().GetChild(item); c; c = page_->Groups().GetNextSibling(c))
        todo.emplace_back(c, path);
    }
    return out;
  }

  IconsView* page_ = nullptr;
};

TEST_F(IconsTest, ANewProjectShowsProgramsAndDefaultThatKeepTheirNames) {
  EXPECT_EQ(Labels(page_->Groups()), kNewTree);
  EXPECT_EQ(page_->Groups().GetSelection(), nullptr);
  EXPECT_EQ(page_->Icons().GetItemCount(), 0);
  // With no folder selected the commands change nothing.
  for (UINT id : {IconsView::kCmdNewFolder, IconsView::kCmdNewIcon, IconsView::kCmdDeleteGroup, IconsView::kCmdRenameGroup})
    page_->RunViewCommand(id);
  EXPECT_EQ(Labels(page_->Groups()), kNewTree);
  EXPECT_EQ(page_->Icons().GetItemCount(), 0);
  EXPECT_FALSE(Project().IsModified());

  struct Case { const char* label; CProgramGroup* group; const char* name; uint32_t flags; } cases[] = {
      {"Programs", Root(), "Start Menu", 2},
      {"Default", DefaultGroup(), "Default", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SelectGroup(c.label);
    EXPECT_EQ(page_->SelectedGroup(), c.group);
    std::vector<MenuItem> menu = ContextMenu(Page(), Tree(), IconsView::kCmdDeleteGroup);
    ASSERT_NE(Item(menu, IconsView::kCmdDeleteGroup), nullptr);
    EXPECT_FALSE(Item(menu, IconsView::kCmdDeleteGroup)->enabled);
    EXPECT_FALSE(Item(menu, IconsView::kCmdRenameGroup)->enabled);
    ContextMenu(Page(), Tree(), IconsView::kCmdRenameGroup);
    page_->RunViewCommand(IconsView::kCmdDeleteGroup);
    page_->RunViewCommand(IconsView::kCmdRenameGroup);
    Key(Page(), Tree(), VK_DELETE);
    Key(Page(), Tree(), VK_F2);
    EXPECT_EQ(page_->Groups().GetEditControl(), nullptr);
    // A direct edit of the label, as a click on a selected label starts it.
    EXPECT_EQ(page_->Groups().EditLabel(page_->Groups().GetSelection()), nullptr);
    EXPECT_EQ(page_->Groups().GetEditControl(), nullptr);
    EXPECT_EQ(c.group->m_strName, c.name);
    EXPECT_EQ(c.group->m_dwFlags, c.flags);
  }
  EXPECT_EQ(Labels(page_->Groups()), kNewTree);
  EXPECT_EQ(DefaultGroup()->m_pNext, nullptr);
  EXPECT_FALSE(Project().IsModified());

  TVITEMA it = {};
  it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  it.hItem = Find(page_->Groups(), "Default");
  ::SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  EXPECT_EQ(it.iImage, IconsView::kImageClosed);
  EXPECT_EQ(it.iSelectedImage, IconsView::kImageOpen);
}

TEST_F(IconsTest, FoldersShowTheirNamesAndTheFlaggedOnesTheFixedLabels) {
  CProgramGroup* tools = DefaultGroup()->AddChildGroup("Tools", 0);
  tools->AddChildGroup(std::string(300, 'x').c_str(), 0);
  Root()->AddChildGroup("Chosen", CProgramGroup::kDefaultFolder);
  Root()->AddChildGroup("Locked", CProgramGroup::kFixed);
  Refresh();
  EXPECT_EQ(Labels(page_->Groups()), (std::vector<std::string>{"Programs", "  Default", "    Tools",
                                                               "      " + std::string(255, 'x'), "  Default",
                                                               "  Programs"}));
}

TEST_F(IconsTest, MenusEnableTheirCommandsByTheSelection) {
  DefaultGroup()->AddChildGroup("Tools", 0)->AddChildGroup("Sub", 0);
  CProgramGroup* tools = DefaultGroup()->m_pChild;
  tools->AddIcon("Alpha", "");
  tools->AddIcon("Beta", "");
  Refresh();

  struct TreeCase { const char* group; bool expand, edit; } trees[] = {
      {"Programs", true, false},
      {"Default", true, false},
      {"Tools", true, true},
      {"Sub", false, true},
  };
  for (const TreeCase& c : trees) {
    SCOPED_TRACE(c.group);
    SelectGroup(c.group);
    std::vector<MenuItem> menu = ContextMenu(Page(), Tree());
    struct Want { UINT id; bool enabled; } wants[] = {
        {IconsView::kCmdExpand, c.expand},      {IconsView::kCmdNewFolder, true},     {IconsView::kCmdNewIcon, true},
        {IconsView::kCmdDeleteGroup, c.edit}, {IconsView::kCmdRenameGroup, c.edit},
    };
    for (const Want& w : wants) {
      SCOPED_TRACE(w.id);
      ASSERT_NE(Item(menu, w.id), nullptr);
      EXPECT_EQ(Item(menu, w.id)->enabled, w.enabled);
      EXPECT_EQ(page_->CommandEnabled(w.id), w.enabled);
      EXPECT_EQ(Item(menu, w.id)->isDefault, w.id == IconsView::kCmdExpand);
    }
  }

  // The list's commands need a row that is both focused and selected.
  SelectGroup("Tools");
  ASSERT_EQ(IconRows(), (std::vector<std::string>{"Alpha", "Beta"}));
  struct ListCase { const char* what; UINT state; bool enabled; } lists[] = {
      {"no row", 0, false},
      {"focused only", LVIS_FOCUSED, false},
      {"selected only", LVIS_SELECTED, false},
      {"focused and selected", LVIS_FOCUSED | LVIS_SELECTED, true},
  };
  for (const ListCase& c : lists) {
    SCOPED_TRACE(c.what);
    page_->Icons().SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    page_->Icons().SetItemState(1, c.state, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<MenuItem> menu = ContextMenu(Page(), List());
    for (UINT id : {IconsView::kCmdIconProperties, IconsView::kCmdDeleteIcon, IconsView::kCmdRenameIcon}) {
      SCOPED_TRACE(id);
      ASSERT_NE(Item(menu, id), nullptr);
      EXPECT_EQ(Item(menu, id)->enabled, c.enabled);
      EXPECT_EQ(Item(menu, id)->isDefault, id == IconsView::kCmdIconProperties);
    }
    ASSERT_NE(Item(menu, IconsView::kCmdNewIcon), nullptr);
    EXPECT_TRUE(Item(menu, IconsView::kCmdNewIcon)->enabled);
    // A disabled command run by its key does nothing.
    Key(Page(), List(), VK_DELETE);
    EXPECT_EQ(Names(tools).size(), c.enabled ? 1u : 2u);
  }
  EXPECT_EQ(Names(tools), std::vector<std::string>{"Alpha"});
}

TEST_F(IconsTest, EnterTogglesAGroupAndTheMenuNamesTheNextStep) {
  HTREEITEM programs = Find(page_->Groups(), "Programs");
  SelectGroup("Programs");
  ASSERT_FALSE(page_->Groups().IsExpanded(programs));
  // By the tree's key notification, by the menu, and by Enter as the
  // keyboard delivers it to the page's controls.
  auto byNotification = [&](bool) { Key(Page(), Tree(), VK_RETURN); };
  auto byMenu = [&](bool) { ContextMenu(Page(), Tree(), IconsView::kCmdExpand); };
  auto byKeyboard = [&](bool expanded) {
    ::SetFocus(Tree());
    ASSERT_EQ(::GetFocus(), Tree());
    ::PostMessageA(Tree(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageA(Tree(), WM_KEYUP, VK_RETURN, 0xC01C0001);
    PumpUntil([&] { return page_->Groups().IsExpanded(programs) == expanded; }, 3000);
  };
  struct Case { const char* how; std::function<void(bool)> press; } cases[] = {
      {"notification", byNotification}, {"menu", byMenu}, {"keyboard", byKeyboard}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    for (bool expanded : {true, false}) {
      c.press(expanded);
      EXPECT_EQ(page_->Groups().IsExpanded(programs), expanded);
      std::vector<MenuItem> menu = ContextMenu(Page(), Tree());
      ASSERT_NE(Item(menu, IconsView::kCmdExpand), nullptr);
      EXPECT_EQ(Item(menu, IconsView::kCmdExpand)->label, expanded ? "Collapse" : "Expand");
      EXPECT_TRUE(Item(menu, IconsView::kCmdExpand)->enabled);
    }
  }
  // A folder without subfolders offers nothing to expand.
  SelectGroup("Default");
  std::vector<MenuItem> menu = ContextMenu(Page(), Tree());
  EXPECT_EQ(Item(menu, IconsView::kCmdExpand)->label, "Expand");
  EXPECT_FALSE(Item(menu, IconsView::kCmdExpand)->enabled);
  EXPECT_EQ(Labels(page_->Groups()), kNewTree);
  EXPECT_FALSE(Project().IsModified());
}

TEST_F(IconsTest, NewFolderStartsALabelEditAndTakesTheNameTyped) {
  struct Case { const char* text; bool keep; const char* name; } cases[] = {
      {"Tools", true, "Tools"},
      {"Ignored", false, "New Folder"},
      {"", true, "New Folder"},  // no folder without a name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Project().SetModifiedFlag(false);
    SelectGroup("Default");
    HTREEITEM parent = page_->Groups().GetSelection();
    std::vector<MenuItem> menu = ContextMenu(Page(), Tree(), IconsView::kCmdNewFolder);
    EXPECT_TRUE(Item(menu, IconsView::kCmdNewFolder)->enabled);
    CProgramGroup* added = DefaultGroup()->m_pChild;
    while (added && added->m_pNext)
      added = added->m_pNext;
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->m_strName, "New Folder");
    EXPECT_EQ(added->m_dwFlags, 0u);
    EXPECT_EQ(added->m_pIcons, nullptr);
    EXPECT_TRUE(Project().IsModified());
    EXPECT_TRUE(page_->Groups().IsExpanded(parent));
    HTREEITEM item = page_->Groups().GetSelection();
    EXPECT_EQ(page_->Groups().GetParent(item), parent);
    EXPECT_EQ(page_->SelectedGroup(), added);
    EXPECT_EQ(page_->Icons().GetItemCount(), 0);
    EndEdit(page_->Groups().GetEditControl(), c.text, c.keep);
    EXPECT_EQ(page_->Groups().GetEditControl(), nullptr);
    EXPECT_EQ(added->m_strName, c.name);
    EXPECT_EQ(page_->Groups().GetItemText(item), c.name);
  }
  EXPECT_EQ(Labels(page_->Groups()), (std::vector<std::string>{"Programs", "  Default", "    Tools", "    New Folder",
                                                               "    New Folder"}));
  // A folder of the user's takes a new name by F2, and by the menu's Rename.
  SelectGroup("Tools");
  Key(Page(), Tree(), VK_F2);
  EndEdit(page_->Groups().GetEditControl(), "Utilities");
  EXPECT_EQ(DefaultGroup()->m_pChild->m_strName, "Utilities");
  ContextMenu(Page(), Tree(), IconsView::kCmdRenameGroup);
  EndEdit(page_->Groups().GetEditControl(), "Extras");
  EXPECT_EQ(DefaultGroup()->m_pChild->m_strName, "Extras");
  EXPECT_EQ(Labels(page_->Groups())[2], "    Extras");
}

TEST_F(IconsTest, NewIconAddsADefaultShortcutWithoutALabelEdit) {
  DefaultGroup()->AddIcon("Zeta", "");
  Refresh();
  SelectGroup("Default");
  struct Case { const char* how; std::function<void()> run; } cases[] = {
      {"list menu", [&] { ContextMenu(Page(), List(), IconsView::kCmdNewIcon); }},
      {"tree menu", [&] { ContextMenu(Page(), Tree(), IconsView::kCmdNewIcon); }},
  };
  size_t count = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Project().SetModifiedFlag(false);
    c.run();
    ++count;
    std::vector<std::string> names = Names(DefaultGroup());
    ASSERT_EQ(names.size(), count);
    EXPECT_EQ(names.back(), "New Icon");
    CProgramIcon* icon = DefaultGroup()->m_pIcons;
    while (icon->m_pNext)
      icon = icon->m_pNext;
    EXPECT_EQ(icon->m_strPath, "");
    EXPECT_EQ(icon->m_strParameters, "");
    EXPECT_TRUE(Project().IsModified());
    EXPECT_EQ(page_->Icons().GetEditControl(), nullptr);
    EXPECT_EQ(page_->Groups().GetEditControl(), nullptr);
    EXPECT_EQ(page_->Icons().GetItemCount(), static_cast<int>(count));
    int row = page_->Icons().GetFocusedSelected();
    ASSERT_GE(row, 0);
    EXPECT_EQ(page_->Icons().GetItemText(row, 0), "New Icon");
    EXPECT_EQ(reinterpret_cast<CProgramIcon*>(page_->Icons().GetItemData(row)), icon);
    EXPECT_EQ(RowPixels(row), DefaultPixels());
  }
  EXPECT_EQ(IconRows(), (std::vector<std::string>{"New Icon", "New Icon", "Zeta"}));
  // Every row has an image of its own.
  EXPECT_NE(ImageOfRow(0), ImageOfRow(1));
  EXPECT_NE(ImageOfRow(1), ImageOfRow(2));
}

TEST_F(IconsTest, DeletingAGroupTakesEverythingInIt) {
  struct Case { const char* how; bool byKey; } cases[] = {{"menu", false}, {"Delete key", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    CProgramGroup* tools = DefaultGroup()->AddChildGroup("Tools", 0);
    tools->AddIcon("Inner", "");
    tools->AddChildGroup("Sub", 0)->AddIcon("Deep", "");
    CProgramGroup* keep = DefaultGroup()->AddChildGroup("Keep", 0);
    keep->AddIcon("Kept", "");
    Refresh();
    Project().SetModifiedFlag(false);
    SelectGroup("Tools");
    ASSERT_EQ(IconRows(), std::vector<std::string>{"Inner"});
    if (c.byKey)
      Key(Page(), Tree(), VK_DELETE);
    else
      ContextMenu(Page(), Tree(), IconsView::kCmdDeleteGroup);
    EXPECT_EQ(Labels(page_->Groups()), (std::vector<std::string>{"Programs", "  Default", "    Keep"}));
    ASSERT_EQ(DefaultGroup()->m_pChild, keep);
    EXPECT_EQ(keep->m_pNext, nullptr);
    EXPECT_EQ(keep->m_pPrev, nullptr);
    EXPECT_TRUE(Project().IsModified());
    // The list shows the folder now selected, never the one gone.
    CProgramGroup* shown = page_->SelectedGroup();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(IconRows(), Names(shown));
    DefaultGroup()->RemoveChildGroup(keep);
  }
}

TEST_F(IconsTest, DeletingAShortcutTakesOnlyItsRow) {
  struct Case { const char* how; bool byKey; } cases[] = {{"menu", false}, {"Delete key", true}};
  for (const char* name : {"A", "B", "C", "D"})
    DefaultGroup()->AddIcon(name, "");
  Refresh();
  SelectGroup("Default");
  std::vector<std::string> left = {"A", "B", "C", "D"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Project().SetModifiedFlag(false);
    const int row = FindRow(page_->Icons(), left[1]);
    ASSERT_GE(row, 0);
    Pick(page_->Icons(), row);
    if (c.byKey)
      Key(Page(), List(), VK_DELETE);
    else
      ContextMenu(Page(), List(), IconsView::kCmdDeleteIcon);
    left.erase(left.begin() + 1);
    EXPECT_EQ(IconRows(), left);
    EXPECT_EQ(Names(DefaultGroup()), left);
    EXPECT_TRUE(Project().IsModified());
  }
}

TEST_F(IconsTest, AShortcutShowsItsTargetsIconAndWithoutOneTheDefault) {
  const std::string program = SystemProgram();
  ASSERT_NE(::GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
  kwtest::TempDir dir;
  DefaultGroup()->AddIcon("Editor", program.c_str());
  DefaultGroup()->AddIcon("Installed", "%INSTALLDIR%\\APP.EXE");
  DefaultGroup()->AddIcon("Missing", dir.file("missing.exe").c_str());
  DefaultGroup()->AddIcon("Nothing", "");
  Refresh();
  SelectGroup("Default");
  ASSERT_EQ(IconRows(), (std::vector<std::string>{"Editor", "Installed", "Missing", "Nothing"}));
  HIMAGELIST images = page_->ShortcutImages();
  const std::vector<uint32_t> fallback = DefaultPixels(), own = ShellPixels(images, program);
  ASSERT_FALSE(fallback.empty());
  ASSERT_FALSE(own.empty());
  ASSERT_NE(own, fallback);
  EXPECT_TRUE(ShowsWithArrow(images, RowPixels(0), own));
  EXPECT_NE(RowPixels(0), fallback);
  for (int row : {1, 2, 3}) {
    SCOPED_TRACE(page_->Icons().GetItemText(row, 0));
    EXPECT_EQ(RowPixels(row), fallback);
  }
  // The images have the system's large-icon size.
  int cx = 0, cy = 0;
  ImageList_GetIconSize(page_->ShortcutImages(), &cx, &cy);
  EXPECT_EQ(cx, ::GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(cy, ::GetSystemMetrics(SM_CYICON));
}

TEST_F(IconsTest, ClickingBetweenFoldersKeepsOnlyTheImagesShown) {
  for (int i = 0; i < 5; ++i)
    DefaultGroup()->AddIcon(("Icon " + std::to_string(i)).c_str(), "");
  Root()->AddChildGroup("Other", 0)->AddIcon("Single", "");
  Refresh();
  for (int round = 0; round < 20; ++round) {
    SelectGroup("Default");
    SelectGroup("Other");
  }
  EXPECT_EQ(IconRows(), std::vector<std::string>{"Single"});
  EXPECT_EQ(ImageList_GetImageCount(page_->ShortcutImages()), 1);
  EXPECT_EQ(RowPixels(0), DefaultPixels());
  SelectGroup("Default");
  EXPECT_EQ(ImageList_GetImageCount(page_->ShortcutImages()), 5);
  EXPECT_EQ(page_->Icons().GetItemCount(), 5);
}

TEST_F(IconsTest, PropertiesThroughTheSheetChangeTheTargetAndTheImage) {
  const std::string program = SystemProgram();
  DefaultGroup()->AddIcon("Other", "");
  DefaultGroup()->AddIcon("Tool", "");
  Refresh();
  SelectGroup("Default");
  HIMAGELIST shortcutImages = page_->ShortcutImages();
  const std::vector<uint32_t> fallback = DefaultPixels(), own = ShellPixels(shortcutImages, program);
  ASSERT_FALSE(own.empty());
  CProgramIcon* tool = DefaultGroup()->m_pIcons->m_pNext;
  const int row = FindRow(page_->Icons(), "Tool"), image = ImageOfRow(row), other = FindRow(page_->Icons(), "Other");
  const int images = ImageList_GetImageCount(page_->ShortcutImages());
  auto setPath = [](const std::string& path) {
    return [path](HWND, HWND page) {
      ::SetDlgItemTextA(page, CProgramIconPropPage::kPath, path.c_str());
      ::SetDlgItemTextA(page, CProgramIconPropPage::kParameters, "/x");
    };
  };
  struct Case {
    const char* how;
    std::function<void()> open;
    std::string typed;
    int button;
    std::string path;
    bool programImage;
  } cases[] = {
      {"double click, cancelled", [&] { Notify(Page(), List(), NM_DBLCLK); }, program, PSBTN_CANCEL, "", false},
      {"double click", [&] { Notify(Page(), List(), NM_DBLCLK); }, program, PSBTN_OK, program, true},
      {"Enter, back to no path", [&] { Notify(Page(), List(), NM_RETURN); }, "", PSBTN_OK, "", false},
      {"menu", [&] { ContextMenu(Page(), List(), IconsView::kCmdIconProperties); }, program, PSBTN_OK, program, true},
      {"Enter from the keyboard",
       [&] {
         ::SetFocus(List());
         ASSERT_EQ(::GetFocus(), List());
         const size_t before = TheSeams().sheets.size();
         ::PostMessageA(List(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
         PumpUntil([&] { return TheSeams().sheets.size() > before; }, 3000);
       },
       program, PSBTN_OK, program, true},
  };
  size_t sheets = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Project().SetModifiedFlag(false);
    Pick(page_->Icons(), row);
    AnswerSheet(setPath(c.typed), c.button);
    c.open();
    ASSERT_EQ(TheSeams().sheets.size(), ++sheets);
    EXPECT_EQ(TheSeams().sheets.back(), "Tool Properties");
    EXPECT_EQ(tool->m_strPath, c.path);
    EXPECT_EQ(tool->m_strParameters, c.button == PSBTN_OK ? "/x" : "");
    EXPECT_EQ(Project().IsModified(), c.button == PSBTN_OK);
    // In place: the same image, changed; the other row and the count stay.
    EXPECT_EQ(ImageOfRow(row), image);
    if (c.programImage) {
      EXPECT_TRUE(ShowsWithArrow(shortcutImages, RowPixels(row), own));
    } else {
      EXPECT_EQ(RowPixels(row), fallback);
    }
    EXPECT_EQ(RowPixels(other), fallback);
    EXPECT_EQ(ImageList_GetImageCount(page_->ShortcutImages()), images);
  }
  // Shown again from the project, the row keeps the target's icon.
  SelectGroup("Programs");
  SelectGroup("Default");
  EXPECT_TRUE(ShowsWithArrow(shortcutImages, RowPixels(FindRow(page_->Icons(), "Tool")), own));
}

TEST_F(IconsTest, ALabelEditRenamesTheShortcut) {
  DefaultGroup()->AddIcon("Old", "");
  Refresh();
  SelectGroup("Default");
  CProgramIcon* icon = DefaultGroup()->m_pIcons;
  struct Case { const char* how; std::function<void()> start; const char* text; bool keep; const char* name; } cases[] = {
      {"F2", [&] { Key(Page(), List(), VK_F2); }, "Editor", true, "Editor"},
      {"menu", [&] { ContextMenu(Page(), List(), IconsView::kCmdRenameIcon); }, "Viewer", true, "Viewer"},
      {"command, Escape", [&] { page_->RunViewCommand(IconsView::kCmdRenameIcon); }, "Ignored", false, "Viewer"},
      {"command, empty", [&] { page_->RunViewCommand(IconsView::kCmdRenameIcon); }, "", true, "Viewer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Project().SetModifiedFlag(false);
    Pick(page_->Icons(), 0);
    c.start();
    EndEdit(page_->Icons().GetEditControl(), c.text, c.keep);
    EXPECT_EQ(page_->Icons().GetEditControl(), nullptr);
    EXPECT_EQ(icon->m_strName, c.name);
    EXPECT_EQ(IconRows(), std::vector<std::string>{c.name});
    if (c.keep && *c.text) {
      EXPECT_TRUE(Project().IsModified());
    }
  }
  EXPECT_EQ(page_->Groups().GetItemText(page_->Groups().GetSelection()), "Default");
}

TEST_F(IconsTest, FoldersAndShortcutsSurviveSaveAndOpen) {
  kwtest::TempDir dir;
  const std::string program = SystemProgram();
  SelectGroup("Default");
  page_->RunViewCommand(IconsView::kCmdNewFolder);
  EndEdit(page_->Groups().GetEditControl(), "Tools");
  page_->RunViewCommand(IconsView::kCmdNewFolder);
  EndEdit(page_->Groups().GetEditControl(), "Deeper");
  page_->RunViewCommand(IconsView::kCmdNewIcon);
  SelectGroup("Tools");
  page_->RunViewCommand(IconsView::kCmdNewIcon);
  Pick(page_->Icons(), 0);
  page_->RunViewCommand(IconsView::kCmdRenameIcon);
  EndEdit(page_->Icons().GetEditControl(), "Editor");
  Pick(page_->Icons(), 0);
  AnswerSheet([&](HWND, HWND page) { ::SetDlgItemTextA(page, CProgramIconPropPage::kPath, program.c_str()); });
  Notify(Page(), List(), NM_DBLCLK);
  page_->RunViewCommand(IconsView::kCmdNewIcon);
  const std::vector<std::string> before = Everything();
  ASSERT_EQ(before, (std::vector<std::string>{"/Programs", "/Programs/Default", "/Programs/Default/Tools",
                                              "/Programs/Default/Tools: Editor", "/Programs/Default/Tools: New Icon",
                                              "/Programs/Default/Tools/Deeper",
                                              "/Programs/Default/Tools/Deeper: New Icon"}));
  SelectGroup("Tools");
  const std::vector<uint32_t> editorImage = RowPixels(FindRow(page_->Icons(), "Editor"));
  const std::string path = dir.file("icons.kwr");
  SaveAs(path);
  ASSERT_FALSE(Project().IsModified());

  Command(ID_FILE_NEW);
  EXPECT_EQ(Labels(page_->Groups()), kNewTree);
  EXPECT_EQ(page_->Icons().GetItemCount(), 0);
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(page_->Icons().GetItemCount(), 0);
  EXPECT_EQ(Everything(), before);
  CProgramGroup* tools = DefaultGroup()->m_pChild;
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(tools->m_strName, "Tools");
  EXPECT_EQ(tools->m_dwFlags, 0u);
  EXPECT_EQ(tools->m_pIcons->m_strPath, program);
  SelectGroup("Tools");
  EXPECT_EQ(RowPixels(FindRow(page_->Icons(), "Editor")), editorImage);
  EXPECT_NE(editorImage, DefaultPixels());
}

TEST_F(IconsTest, OpeningAnotherProjectShowsNothingOfTheFirst) {
  kwtest::TempDir dir;
  DefaultGroup()->AddChildGroup("Beta", 0)->AddIcon("B1", "");
  Refresh();
  const std::string second = dir.file("second.kwr");
  SaveAs(second);
  Command(ID_FILE_NEW);
  DefaultGroup()->AddChildGroup("Alpha", 0)->AddIcon("A1", "");
  DefaultGroup()->AddIcon("A2", "");
  Refresh();
  SelectGroup("Alpha");
  ASSERT_EQ(IconRows(), std::vector<std::string>{"A1"});
  TheSeams().answers.assign({IDNO});  // the first project's changes are not kept
  ASSERT_TRUE(Open(second));
  EXPECT_EQ(Labels(page_->Groups()), (std::vector<std::string>{"Programs", "  Default", "    Beta"}));
  EXPECT_EQ(page_->Groups().GetSelection(), nullptr);
  EXPECT_EQ(page_->Icons().GetItemCount(), 0);
  EXPECT_EQ(ImageList_GetImageCount(page_->ShortcutImages()), 0);
  SelectGroup("Default");
  EXPECT_EQ(page_->Icons().GetItemCount(), 0);
  SelectGroup("Beta");
  EXPECT_EQ(IconRows(), std::vector<std::string>{"B1"});
  // An update that only passes the project leaves the page as it is.
  page_->UpdateFromProject(&Project(), 0x80000000u);
  EXPECT_EQ(IconRows(), std::vector<std::string>{"B1"});
  EXPECT_EQ(page_->SelectedGroup(), DefaultGroup()->m_pChild);
}

}  // namespace
