// The Files tab.
#include "filesview.h"

#include "app.h"
#include "itemsheets.h"
#include "model/project.h"
#include "profile.h"
#include "reslang.h"

#include <ole2.h>
#include <shellapi.h>

#include <climits>
#include <cstring>

namespace {

constexpr char kViewProperty[] = "kwf.FilesView";
constexpr char kOldProcProperty[] = "kwf.DropOldProc";
constexpr char kDropTargetProperty[] = "kwf.DropTarget";
constexpr LPARAM kFirstObject = 0x10000;

// Signed coordinates of a mouse message.
POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

std::string Clip(std::string s, size_t most) {
  if (s.size() > most)
    s.resize(most);
  return s;
}

std::string FileRowText(const CFileItem& file) {
  size_t slash = file.m_strSource.rfind('\\');
  return Clip(slash == std::string::npos ? file.m_strSource : file.m_strSource.substr(slash + 1), 259);
}

std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH] = {};
    if (::DragQueryFileA(drop, i, path, sizeof path))
      paths.push_back(path);
  }
  return paths;
}

// A drop on one of the view's controls (client coordinates of the control).
void Deliver(HWND control, POINT at, const std::vector<std::string>& paths) {
  auto* view = reinterpret_cast<CFilesView*>(::GetPropA(control, kViewProperty));
  if (!view)
    return;
  if (control == view->Packages().Handle())
    view->DropOnPackageTree(at, paths);
  else
    view->DropOnFileList(paths);
}

// The shell's OLE drops: what a file manager dragging by OLE offers, as
// files (a window that only accepts WM_DROPFILES gets nothing from it under
// Wine).
class ShellDropTarget : public IDropTarget {
 public:
  explicit ShellDropTarget(HWND control) : control_(control) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0)
      delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = Files();
    files_ = data && data->QueryGetData(&format) == S_OK;
    *effect = files_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = files_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    files_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL screen, DWORD* effect) override {
    *effect = DROPEFFECT_NONE;
    files_ = false;
    FORMATETC format = Files();
    STGMEDIUM medium = {};
    if (!data || data->GetData(&format, &medium) != S_OK)
      return S_OK;
    std::vector<std::string> paths;
    if (void* block = ::GlobalLock(medium.hGlobal)) {
      paths = DroppedPaths(static_cast<HDROP>(block));
      ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    POINT at = {screen.x, screen.y};
    ::ScreenToClient(control_, &at);
    if (!paths.empty()) {
      Deliver(control_, at, paths);
      *effect = DROPEFFECT_COPY;
    }
    return S_OK;
  }

 private:
  static FORMATETC Files() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }
  virtual ~ShellDropTarget() = default;
  HWND control_;
  ULONG refs_ = 1;
  bool files_ = false;
};

// The old-style drops reach the control; the view above it acts on them.
LRESULT CALLBACK DropProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(::GetPropA(hwnd, kOldProcProperty));
  if (msg == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(wParam);
    POINT at = {};
    ::DragQueryPoint(drop, &at);
    std::vector<std::string> paths = DroppedPaths(drop);
    ::DragFinish(drop);
    Deliver(hwnd, at, paths);
    return 0;
  }
  if (msg == WM_NCDESTROY && old) {
    ::DragAcceptFiles(hwnd, FALSE);
    ::RevokeDragDrop(hwnd);
    ::RemovePropA(hwnd, kDropTargetProperty);
    ::RemovePropA(hwnd, kViewProperty);
    ::RemovePropA(hwnd, kOldProcProperty);
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  }
  return old ? ::CallWindowProcA(old, hwnd, msg, wParam, lParam) : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

void AcceptDrops(HWND control) {
  if (!control || ::GetPropA(control, kOldProcProperty))
    return;
  LONG_PTR old = ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DropProc));
  ::SetPropA(control, kOldProcProperty, reinterpret_cast<HANDLE>(old));
  ::DragAcceptFiles(control, TRUE);
  auto* target = new ShellDropTarget(control);
  if (::RegisterDragDrop(control, target) == S_OK)  // holds its own reference
    ::SetPropA(control, kDropTargetProperty, target);
  target->Release();
}

}  // namespace

IDropTarget* CFilesView::ShellDropTargetOf(HWND control) {
  return static_cast<IDropTarget*>(::GetPropA(control, kDropTargetProperty));
}

void CFilesView::CDragDropTreeCtrl::Attach(HWND hwnd) {
  kwf::TreeView::Attach(hwnd);
  AcceptDrops(hwnd);
}

void CFilesView::CDragDropListCtrl::Attach(HWND hwnd) {
  kwf::ListView::Attach(hwnd);
  AcceptDrops(hwnd);
}

const kwf::Command<CFilesView> CFilesView::kCommands[] = {
    {kCmdNewPackage, kCmdNewPackage, &CFilesView::OnNewPackage, &CFilesView::Always},
    {kCmdNewFile, kCmdNewFile, &CFilesView::OnNewFile, &CFilesView::Always},
    {kCmdDeletePackage, kCmdDeletePackage, &CFilesView::OnDeletePackage, &CFilesView::PackageEditable},
    {kCmdRenamePackage, kCmdRenamePackage, &CFilesView::OnRenamePackage, &CFilesView::PackageEditable},
    {kCmdPackageProperties, kCmdPackageProperties, &CFilesView::OnPackageProperties, &CFilesView::Always},
    {kCmdDeleteFiles, kCmdDeleteFiles, &CFilesView::OnDeleteFiles, &CFilesView::FileRowSelected},
    {kCmdRenameFile, kCmdRenameFile, &CFilesView::OnRenameFile, &CFilesView::FileRowSelected},
    {kCmdFileProperties, kCmdFileProperties, &CFilesView::OnFileProperties, &CFilesView::FileRowSelected},
    {kCmdNewOption, kCmdNewOption, &CFilesView::OnNewOption, &CFilesView::CustomNodeSelected},
    {kCmdRenameOption, kCmdRenameOption, &CFilesView::OnRenameOption, &CFilesView::OptionSelected},
    {kCmdOptionProperties, kCmdOptionProperties, &CFilesView::OnOptionProperties, &CFilesView::OptionSelected},
    {kCmdDeleteType, kCmdDeleteType, &CFilesView::OnDeleteType, &CFilesView::TypeDeletable},
};

CFilesView::CFilesView() : CTabClientEx(IDD_FILES) {}

CFilesView::~CFilesView() {
  if (packageImages_)
    ImageList_Destroy(packageImages_);
  if (fileImages_)
    ImageList_Destroy(fileImages_);
  if (dragImage_)
    ImageList_Destroy(dragImage_);
}

bool CFilesView::OnInitDialog() {
  CTabClientEx::OnInitDialog();
  packages_.Attach(::GetDlgItem(hwnd_, kPackageTree));
  files_.Attach(::GetDlgItem(hwnd_, kFileList));
  for (HWND control : {packages_.Handle(), files_.Handle()})
    ::SetPropA(control, kViewProperty, this);
  types_.Attach(::GetDlgItem(hwnd_, kTypesTree));
  tabs_.Attach(::GetDlgItem(hwnd_, kTabs));
  packageImages_ = kwf::LoadImageStrip(IDB_FILES_IMAGES, 16);
  fileImages_ = kwf::LoadImageStrip(IDB_FILE_IMAGES, 16);
  packages_.SetImageList(packageImages_);
  types_.SetImageList(packageImages_);
  files_.SetImageList(fileImages_, LVSIL_SMALL);
  RECT r;
  ::GetClientRect(files_.Handle(), &r);
  const int width = r.right - r.left;
  files_.InsertColumn(0, kwf::LoadResString(IDS_COL_NAME).c_str(), width * 30 / 100);
  files_.InsertColumn(1, kwf::LoadResString(IDS_COL_DESTINATION).c_str(), width * 70 / 100);
  tabs_.InsertItem(0, kwf::LoadResString(IDS_TAB_FILES).c_str());
  tabs_.InsertItem(1, kwf::LoadResString(IDS_TAB_SETUPTYPES).c_str());
  ShowTab(0);
  return false;
}

void CFilesView::UpdateFromProject(CKitwrightProject* project, uint32_t hint) {
  project_ = project;
  if ((hint & 0x80000000u) && !(hint & 0x40000000u))
    return;
  if (hwnd_)
    RebuildTrees();
}

CFileFolder* CFilesView::SelectedPackage() const {
  HTREEITEM item = packages_.GetSelection();
  return item ? reinterpret_cast<CFileFolder*>(packages_.GetItemData(item)) : nullptr;
}

std::string CFilesView::PackageLabel(const CFileFolder* package) const {
  if (package->m_dwFlags & CFileFolder::kMain)
    return kwf::LoadResString(IDS_PACKAGE_MAIN);
  return Clip(package->m_strName, 255);
}

HTREEITEM CFilesView::AddTypeItem(HTREEITEM parent, const std::string& text, LPARAM value) {
  return types_.InsertItem(parent ? parent : TVI_ROOT, TVI_LAST, text.c_str(), 0, 1, value);
}

void CFilesView::RebuildTrees() {
  ::SendMessageA(packages_.Handle(), WM_SETREDRAW, FALSE, 0);
  packages_.DeleteAllItems();
  files_.DeleteAllItems();
  if (!project_) {
    ::SendMessageA(packages_.Handle(), WM_SETREDRAW, TRUE, 0);
    return;
  }
  for (CFileFolder* p = project_->m_pPackages; p; p = p->m_pNext)
    if (!(p->m_dwFlags & CFileFolder::kHidden))
      packages_.InsertItem(TVI_ROOT, TVI_LAST, PackageLabel(p).c_str(), 0, 1, reinterpret_cast<LPARAM>(p));
  ::SendMessageA(packages_.Handle(), WM_SETREDRAW, TRUE, 0);
  if (HTREEITEM first = packages_.GetRoot())
    packages_.Select(first);
  FillFileList();

  types_.DeleteAllItems();
  for (HTREEITEM& n : nodes_)
    n = nullptr;
  const bool s = project_->m_dwFlags & 0x40, c = project_->m_dwFlags & 0x80;
  if (s) {
    nodes_[kNodeTypical] = AddTypeItem(nullptr, kwf::LoadResString(IDS_TYPE_TYPICAL), kNodeTypical);
    nodes_[kNodeCompact] = AddTypeItem(nullptr, kwf::LoadResString(IDS_TYPE_COMPACT), kNodeCompact);
  }
  if (!s && !c)
    nodes_[kNodeTypical] = AddTypeItem(nullptr, kwf::LoadResString(IDS_TYPE_COMPLETE), kNodeTypical);
  if (c) {
    nodes_[kNodeCustom] = AddTypeItem(nullptr, kwf::LoadResString(IDS_TYPE_CUSTOM), kNodeCustom);
    nodes_[kNodeAlways] = AddTypeItem(nodes_[kNodeCustom], kwf::LoadResString(IDS_TYPE_ALWAYS), kNodeAlways);
  }
  for (CFileFolder* p = project_->m_pPackages; p; p = p->m_pNext)
    AddToTypeNodes(p);
  if (nodes_[kNodeCustom]) {
    for (size_t i = 0; i < project_->m_pOptions->Count(); ++i) {
      CCustomSetupOption* o = project_->m_pOptions->At(i);
      HTREEITEM item = AddTypeItem(nodes_[kNodeCustom], o->m_strName.str(), reinterpret_cast<LPARAM>(o));
      for (CFileFolder* p = project_->m_pPackages; p; p = p->m_pNext)
        if (o->HasPackageId(p->m_dwId))
          AddTypeItem(item, Clip(p->m_strName, 255), reinterpret_cast<LPARAM>(p));
    }
  }
}

// A copy of the package under each fixed setup type that its flags name.
void CFilesView::AddToTypeNodes(CFileFolder* p) {
  const LPARAM value = reinterpret_cast<LPARAM>(p);
  const std::string label = PackageLabel(p);
  if ((p->m_dwFlags & CFileFolder::kTypical) && nodes_[kNodeTypical])
    AddTypeItem(nodes_[kNodeTypical], label, value);
  if ((p->m_dwFlags & CFileFolder::kCompact) && nodes_[kNodeCompact])
    AddTypeItem(nodes_[kNodeCompact], label, value);
  if ((p->m_dwFlags & CFileFolder::kAlways) && nodes_[kNodeAlways])
    AddTypeItem(nodes_[kNodeAlways], label, value);
}

void CFilesView::AppendFileRow(CFileItem* file) {
  // An index past the end appends (a sorted list finds the place itself).
  int row = files_.InsertItem(INT_MAX, FileRowText(*file).c_str(), 0, reinterpret_cast<LPARAM>(file));
  files_.SetItemText(row, 1, Clip(file->m_strDestination, 259).c_str());
}

int CALLBACK CFilesView::CompareFiles(LPARAM a, LPARAM b, LPARAM) {
  return lstrcmpiA(FileRowText(*reinterpret_cast<const CFileItem*>(a)).c_str(),
                   FileRowText(*reinterpret_cast<const CFileItem*>(b)).c_str());
}

void CFilesView::FillFileList() {
  kwf::ListBatch batch(files_, &CompareFiles);
  files_.DeleteAllItems();
  if (CFileFolder* package = SelectedPackage())
    for (CFileItem* f = package->m_pFiles; f; f = f->m_pNext)
      AppendFileRow(f);
}

void CFilesView::ShowTab(int index) {
  tabs_.SetCurSel(index);
  ::ShowWindow(files_.Handle(), index == 0 ? SW_SHOW : SW_HIDE);
  ::EnableWindow(files_.Handle(), index == 0);
  ::ShowWindow(types_.Handle(), index == 1 ? SW_SHOW : SW_HIDE);
  ::EnableWindow(types_.Handle(), index == 1);
}

void CFilesView::Modified() {
  if (project_)
    project_->SetModifiedFlag(true);
}

// The edit gets its subclass where the tree announces it (TVN_BEGINLABELEDIT).
void CFilesView::StartLabelEdit(kwf::TreeView& tree, HTREEITEM item) {
  ::SetFocus(tree.Handle());
  tree.EditLabel(item);
}

void CFilesView::FindTypeItems(HTREEITEM from, LPARAM v, std::vector<HTREEITEM>& out) const {
  for (HTREEITEM i = from; i; i = types_.GetNextSibling(i)) {
    if (types_.GetItemData(i) == v)
      out.push_back(i);
    else
      FindTypeItems(types_.GetChild(i), v, out);
  }
}

// Rules

bool CFilesView::PackageEditable(UINT) const {
  CFileFolder* p = SelectedPackage();
  return p && !(p->m_dwFlags & CFileFolder::kProtected);
}

bool CFilesView::FileRowSelected(UINT) const {
  int focused = files_.GetNextItem(-1, LVNI_FOCUSED);
  return focused >= 0 && (::SendMessageA(files_.Handle(), LVM_GETITEMSTATE, focused, LVIS_SELECTED) & LVIS_SELECTED);
}

bool CFilesView::CustomNodeSelected(UINT) const {
  HTREEITEM item = types_.GetSelection();
  return item && types_.GetItemData(item) == kNodeCustom;
}

bool CFilesView::OptionSelected(UINT) const {
  HTREEITEM item = types_.GetSelection();
  if (!item || types_.GetItemData(item) < kFirstObject)
    return false;
  HTREEITEM parent = types_.GetParent(item);
  return parent && types_.GetItemData(parent) == kNodeCustom;
}

bool CFilesView::TypeDeletable(UINT) const {
  HTREEITEM item = types_.GetSelection();
  if (!item || types_.GetItemData(item) < kFirstObject)
    return false;
  if (OptionSelected(0))
    return true;
  auto* p = reinterpret_cast<CFileFolder*>(types_.GetItemData(item));
  return !(p->m_dwFlags & CFileFolder::kProtected);
}

bool CFilesView::CommandEnabled(UINT id) const {
  bool enabled = false;
  return kwf::QueryCommand(this, kCommands, id, &enabled) && enabled;
}

bool CFilesView::OnUpdateCommand(UINT id, bool* enabled) { return kwf::QueryCommand(this, kCommands, id, enabled); }

bool CFilesView::RunViewCommand(UINT id) { return project_ && kwf::RunCommand(this, kCommands, id); }

// Commands

void CFilesView::OnNewPackage(UINT) {
  auto* package = new CFileFolder(kwf::LoadResString(IDS_NEW_PACKAGE), 0x9E, project_->TakeNextPackageId());
  project_->m_pPackages->AppendPackage(package);
  // Its flags already put it in setup types: the types tree shows it there.
  AddToTypeNodes(package);
  HTREEITEM item =
      packages_.InsertItem(TVI_ROOT, TVI_LAST, PackageLabel(package).c_str(), 0, 1, reinterpret_cast<LPARAM>(package));
  packages_.Select(item);
  Modified();
  StartLabelEdit(packages_, item);
}

void CFilesView::OnNewFile(UINT) {
  CFileFolder* package = SelectedPackage();
  if (!package)
    return;
  CFileItem* file = package->AddFile(kwf::LoadResString(IDS_NEW_FILE).c_str(), "%INSTALLDIR%");
  AppendFileRow(file);
  Modified();
}

void CFilesView::OnDeletePackage(UINT) {
  HTREEITEM item = packages_.GetSelection();
  CFileFolder* package = SelectedPackage();
  if (!item || !package || (package->m_dwFlags & CFileFolder::kProtected))
    return;
  std::vector<HTREEITEM> copies;
  FindTypeItems(types_.GetRoot(), reinterpret_cast<LPARAM>(package), copies);
  for (HTREEITEM c : copies)
    types_.DeleteItem(c);
  packages_.DeleteItem(item);
  project_->m_pPackages->RemovePackage(package);
  FillFileList();
  Modified();
}

void CFilesView::OnRenamePackage(UINT) {
  if (HTREEITEM item = packages_.GetSelection())
    StartLabelEdit(packages_, item);
}

void CFilesView::OnPackageProperties(UINT) {
  CFileFolder* package = SelectedPackage();
  if (!package)
    return;
  CFileFolderPropSheet sheet(package);
  if (sheet.DoModal(hwnd_) == IDOK)
    Modified();
}

void CFilesView::OnDeleteFiles(UINT) {
  CFileFolder* package = SelectedPackage();
  if (!package)
    return;
  ::SendMessageA(files_.Handle(), WM_SETREDRAW, FALSE, 0);
  for (int row = files_.GetNextItem(-1, LVNI_SELECTED); row >= 0;) {
    int next = files_.GetNextItem(row, LVNI_SELECTED);
    auto* file = reinterpret_cast<CFileItem*>(files_.GetItemData(row));
    files_.DeleteItem(row);
    package->RemoveFile(file);
    row = next >= 0 ? next - 1 : -1;
  }
  ::SendMessageA(files_.Handle(), WM_SETREDRAW, TRUE, 0);
  Modified();
}

void CFilesView::OnRenameFile(UINT) {
  // The list edits no labels: what a file's new name would mean is open.
  int focused = files_.GetNextItem(-1, LVNI_FOCUSED);
  if (focused >= 0)
    files_.EditLabel(focused);
}

void CFilesView::OnFileProperties(UINT) {
  std::vector<int> rows;
  for (int row = files_.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = files_.GetNextItem(row, LVNI_SELECTED))
    rows.push_back(row);
  if (rows.empty())
    return;
  if (rows.size() == 1) {
    auto* file = reinterpret_cast<CFileItem*>(files_.GetItemData(rows[0]));
    CFileItemPropSheet sheet(file);
    if (sheet.DoModal(hwnd_) != IDOK)
      return;
    files_.SetItemText(rows[0], 0, FileRowText(*file).c_str());
    files_.SetItemText(rows[0], 1, Clip(file->m_strDestination, 259).c_str());
    Modified();
    return;
  }
  auto* first = reinterpret_cast<CFileItem*>(files_.GetItemData(rows[0]));
  CFileItem common("", first->m_strDestination);
  common.m_dwFlags = first->m_dwFlags;
  for (int row : rows) {
    auto* f = reinterpret_cast<CFileItem*>(files_.GetItemData(row));
    if (lstrcmpiA(f->m_strDestination.c_str(), first->m_strDestination.c_str()) != 0)
      common.m_strDestination.clear();
  }
  CFileItemPropSheet sheet(&common, true);
  if (sheet.DoModal(hwnd_) != IDOK)
    return;
  if (!common.m_strDestination.empty()) {
    for (int row : rows) {
      auto* f = reinterpret_cast<CFileItem*>(files_.GetItemData(row));
      f->SetDestination(common.m_strDestination.c_str());
      files_.SetItemText(row, 1, Clip(f->m_strDestination, 259).c_str());
    }
  }
  Modified();
}

void CFilesView::OnNewOption(UINT) {
  HTREEITEM custom = types_.GetSelection();
  CCustomSetupOption* option = project_->m_pOptions->AddOption(kwf::LoadResString(IDS_NEW_CUSTOM_OPTION).c_str());
  HTREEITEM item = AddTypeItem(custom, option->m_strName.str(), reinterpret_cast<LPARAM>(option));
  types_.Select(item);
  Modified();
  StartLabelEdit(types_, item);
}

void CFilesView::OnRenameOption(UINT) {
  if (HTREEITEM item = types_.GetSelection())
    StartLabelEdit(types_, item);
}

void CFilesView::OnOptionProperties(UINT) {
  HTREEITEM item = types_.GetSelection();
  auto* option = reinterpret_cast<CCustomSetupOption*>(types_.GetItemData(item));
  COptionPropSheet sheet(option);
  if (sheet.DoModal(hwnd_) == IDOK) {
    types_.SetItemText(item, option->m_strName.c_str());
    Modified();
  }
}

void CFilesView::OnDeleteType(UINT) {
  HTREEITEM item = types_.GetSelection();
  if (!item)
    return;
  const LPARAM value = types_.GetItemData(item);
  if (value < kFirstObject)
    return;
  if (OptionSelected(0)) {
    project_->m_pOptions->RemoveOption(reinterpret_cast<CCustomSetupOption*>(value));
    types_.DeleteItem(item);
    Modified();
    return;
  }
  auto* package = reinterpret_cast<CFileFolder*>(value);
  HTREEITEM parent = types_.GetParent(item);
  const LPARAM under = parent ? types_.GetItemData(parent) : 0;
  const bool protectedPackage = package->m_dwFlags & CFileFolder::kProtected;
  if (under < kFirstObject) {
    if (protectedPackage)
      return;
    const uint32_t bit = under == kNodeTypical   ? CFileFolder::kTypical
                         : under == kNodeCompact ? CFileFolder::kCompact
                         : under == kNodeAlways  ? CFileFolder::kAlways
                                                 : 0u;
    package->ChangeFlags(bit, 0);
  } else {
    if (protectedPackage && ProfileGetInt("Settings", "DeleteReadOnly", 0) != 0)
      return;
    reinterpret_cast<CCustomSetupOption*>(under)->RemovePackageId(package->m_dwId);
  }
  types_.DeleteItem(item);
  Modified();
}

// Files by path and by folder

CFileItem* CFilesView::AddFileByPath(const std::string& path, const char* destination, CFileFolder* package) {
  if (!package)
    package = SelectedPackage();
  if (!package)
    return nullptr;
  CFileItem* file = package->AddFile(path.c_str(), destination ? destination : "%INSTALLDIR%");
  if (package == SelectedPackage())
    AppendFileRow(file);
  return file;
}

void CFilesView::CollectTree(const std::string& folder, const std::string& base, FileList& out) {
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA((folder + "\\*.*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE)
    return;
  std::vector<std::string> subfolders;
  std::string destination = "%INSTALLDIR%";
  if (folder.size() >= base.size() && _strnicmp(folder.c_str(), base.c_str(), base.size()) == 0)
    destination += folder.substr(base.size());
  do {
    if (found.cFileName[0] == '.')
      continue;
    std::string path = folder + "\\" + found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      subfolders.push_back(std::move(path));
    else
      out.emplace_back(std::move(path), destination);
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
  for (const std::string& sub : subfolders)
    CollectTree(sub, base, out);
}

// One walk to the package's end for the whole batch, one row per file.
void CFilesView::AddCollected(const FileList& files, CFileFolder* package) {
  std::vector<CFileItem*> added = package->AddFiles(files);
  if (package == SelectedPackage())
    for (CFileItem* file : added)
      AppendFileRow(file);
}

void CFilesView::AddDirectoryTree(const std::string& folder, const std::string& base, CFileFolder* package) {
  if (!package)
    package = SelectedPackage();
  if (!package)
    return;
  FileList files;
  CollectTree(folder, base, files);
  AddCollected(files, package);
}

void CFilesView::DropOnFileList(const std::vector<std::string>& paths) {
  CFileFolder* package = SelectedPackage();
  if (!package || !project_)
    return;
  HCURSOR old = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  FileList files;
  for (const std::string& path : paths) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      size_t slash = path.find_last_of('\\');
      CollectTree(path, slash == std::string::npos ? std::string() : path.substr(0, slash), files);
    } else {
      files.emplace_back(path, "%INSTALLDIR%");
    }
  }
  {
    kwf::ListBatch batch(files_, &CompareFiles);
    AddCollected(files, package);
  }
  ::SetCursor(old);
  if (!paths.empty())
    Modified();
}

void CFilesView::DropOnPackageTree(POINT client, const std::vector<std::string>& paths) {
  HTREEITEM item = packages_.HitTest(client);
  if (!item) {
    ::MessageBeep(0xFFFFFFFF);
    return;
  }
  packages_.Select(item);
  DropOnFileList(paths);
}

// Dragging a package onto a setup type

HTREEITEM CFilesView::TypesItemAt(POINT viewClient) const {
  POINT p = viewClient;
  ::MapWindowPoints(hwnd_, types_.Handle(), &p, 1);
  return types_.HitTest(p);
}

void CFilesView::BeginDrag(const NMTREEVIEWA& info) {
  auto* package = reinterpret_cast<CFileFolder*>(info.itemNew.lParam);
  if (!package || (package->m_dwFlags & CFileFolder::kProtected))
    return;
  dragItem_ = info.itemNew.hItem;
  if (dragImage_)
    ImageList_Destroy(dragImage_);
  dragImage_ = reinterpret_cast<HIMAGELIST>(
      ::SendMessageA(packages_.Handle(), TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(dragItem_)));
  POINT at = info.ptDrag;
  ::MapWindowPoints(packages_.Handle(), hwnd_, &at, 1);
  if (dragImage_) {
    ImageList_BeginDrag(dragImage_, 0, 0, 0);
    ImageList_DragEnter(hwnd_, at.x, at.y);
  }
  ::ShowCursor(FALSE);
  ::SetCapture(hwnd_);
  dragging_ = true;
  dropItem_ = nullptr;
}

void CFilesView::DragMove(POINT viewClient) {
  HTREEITEM over = TypesItemAt(viewClient);
  if (over) {
    LPARAM v = types_.GetItemData(over);
    HTREEITEM parent = types_.GetParent(over);
    const bool option = v >= kFirstObject && parent && types_.GetItemData(parent) == kNodeCustom;
    if (v == kNodeTypical || v == kNodeCompact || v == kNodeAlways || option) {
      ImageList_DragShowNolock(FALSE);
      types_.SelectDropTarget(over);
      ImageList_DragShowNolock(TRUE);
      dropItem_ = over;
    }
  } else {
    types_.SelectDropTarget(nullptr);
    dropItem_ = nullptr;
  }
  ::UpdateWindow(types_.Handle());
  ImageList_DragMove(viewClient.x, viewClient.y);
}

void CFilesView::EndDrag(POINT viewClient) {
  if (dragImage_) {
    ImageList_DragLeave(hwnd_);
    ImageList_EndDrag();
  }
  ::ReleaseCapture();
  ::ShowCursor(TRUE);
  dragging_ = false;
  HTREEITEM over = TypesItemAt(viewClient);
  types_.SelectDropTarget(nullptr);
  dropItem_ = nullptr;
  if (!over || !dragItem_)
    return;
  auto* package = reinterpret_cast<CFileFolder*>(packages_.GetItemData(dragItem_));
  const LPARAM v = types_.GetItemData(over);
  const std::string text = Clip(packages_.GetItemText(dragItem_), 255);
  if (v == kNodeTypical || v == kNodeCompact || v == kNodeAlways) {
    const uint32_t bit = v == kNodeTypical ? CFileFolder::kTypical
                         : v == kNodeCompact ? CFileFolder::kCompact
                                             : CFileFolder::kAlways;
    if (!(package->m_dwFlags & bit)) {
      AddTypeItem(over, text, reinterpret_cast<LPARAM>(package));
      package->ChangeFlags(0, bit);
      Modified();
    }
    types_.Expand(over);
    return;
  }
  HTREEITEM parent = types_.GetParent(over);
  if (v >= kFirstObject && parent && types_.GetItemData(parent) == kNodeCustom) {
    auto* option = reinterpret_cast<CCustomSetupOption*>(v);
    if (option->AddPackageId(package->m_dwId))
      AddTypeItem(over, text, reinterpret_cast<LPARAM>(package));
    types_.Expand(over);
    Modified();
  }
}

// Messages

bool CFilesView::OnNotify(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  if (!hdr)
    return false;
  if (hdr->idFrom == kPackageTree) {
    switch (hdr->code) {
      case TVN_SELCHANGEDA: FillFileList(); return true;
      case TVN_BEGINLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        auto* p = reinterpret_cast<CFileFolder*>(info->item.lParam);
        *result = (!p || (p->m_dwFlags & CFileFolder::kProtected)) ? TRUE : FALSE;
        if (!*result)
          kwf::SubclassLabelEdit(packages_.GetEditControl());
        return true;
      }
      case TVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        auto* p = reinterpret_cast<CFileFolder*>(packages_.GetItemData(info->item.hItem));
        if (!info->item.pszText || !p)
          return true;
        p->SetName(info->item.pszText);
        std::vector<HTREEITEM> copies;
        FindTypeItems(types_.GetRoot(), reinterpret_cast<LPARAM>(p), copies);
        for (HTREEITEM c : copies)
          types_.SetItemText(c, Clip(p->m_strName, 255).c_str());
        Modified();
        *result = TRUE;
        return true;
      }
      case TVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMTVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE)
          RunViewCommand(kCmdDeletePackage);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenamePackage);
        return true;
      }
      case TVN_BEGINDRAGA: BeginDrag(*reinterpret_cast<NMTREEVIEWA*>(hdr)); return true;
    }
  } else if (hdr->idFrom == kTypesTree) {
    switch (hdr->code) {
      case TVN_BEGINLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        types_.Select(info->item.hItem);
        *result = OptionSelected(0) ? FALSE : TRUE;
        if (!*result)
          kwf::SubclassLabelEdit(types_.GetEditControl());
        return true;
      }
      case TVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<NMTVDISPINFOA*>(hdr);
        if (!info->item.pszText)
          return true;
        reinterpret_cast<CCustomSetupOption*>(types_.GetItemData(info->item.hItem))->SetName(info->item.pszText);
        Modified();
        *result = TRUE;
        return true;
      }
      case TVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMTVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_DELETE)
          RunViewCommand(kCmdDeleteType);
        else if (key == VK_F2)
          RunViewCommand(kCmdRenameOption);
        return true;
      }
    }
  } else if (hdr->idFrom == kFileList) {
    switch (hdr->code) {
      case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey == VK_DELETE)
          RunViewCommand(kCmdDeleteFiles);
        return true;
      case NM_DBLCLK:
      case NM_RETURN: RunViewCommand(kCmdFileProperties); return true;
    }
  } else if (hdr->idFrom == kTabs && hdr->code == TCN_SELCHANGE) {
    ShowTab(tabs_.GetCurSel());
    return true;
  }
  return false;
}

void CFilesView::OnContextMenu(HWND target, POINT screen) {
  UINT menu = target == packages_.Handle() ? IDM_FILES_PACKAGE
              : target == files_.Handle()  ? IDM_FILES_FILE
              : target == types_.Handle()  ? IDM_FILES_SETUPTYPE
                                           : 0;
  if (!menu || !project_)
    return;
  auto rule = [](void* view, UINT id) { return static_cast<CFilesView*>(view)->CommandEnabled(id); };
  UINT chosen = kwf::TrackContextMenu(hwnd_, menu, 0, screen, menu == IDM_FILES_FILE ? static_cast<UINT>(kCmdFileProperties) : 0u,
                                      rule, this);
  if (chosen)
    RunViewCommand(chosen);
}

bool CFilesView::OnCommand(WORD id, WORD code, HWND control) {
  if (!control && RunViewCommand(id))
    return true;
  // Enter in a dialog becomes IDOK before the list sees it.
  if (id == IDOK && ::GetFocus() == files_.Handle()) {
    RunViewCommand(kCmdFileProperties);
    return true;
  }
  return CTabClientEx::OnCommand(id, code, control);
}

bool CFilesView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (msg) {
    case WM_NOTIFY: {
      LRESULT r = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &r))
        break;
      ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, r);
      *result = TRUE;
      return true;
    }
    case WM_CONTEXTMENU: {
      POINT at = PointOf(lParam);
      OnContextMenu(reinterpret_cast<HWND>(wParam), at);
      *result = TRUE;
      return true;
    }
    case WM_MOUSEMOVE:
      if (!dragging_)
        break;
      DragMove(PointOf(lParam));
      *result = TRUE;
      return true;
    case WM_LBUTTONUP:
      if (!dragging_)
        break;
      EndDrag(PointOf(lParam));
      *result = TRUE;
      return true;
  }
  return CTabClientEx::OnMessage(msg, wParam, lParam, result);
}
