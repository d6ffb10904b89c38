// The About slot: a real modal dialog, answered by a watcher thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "../../testutil.h"
#include "extension.h"

namespace {

struct Seen {
  std::atomic<bool> found{false};
  RECT rect{};
  char caption[64] = {};
  char line[128] = {};
};

// Waits for a dialog owned by parent, notes where it is and presses OK.
void AnswerDialog(HWND parent, Seen* seen) {
  for (int i = 0; i < 500 && !seen->found; ++i) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr) {
      if (GetWindow(dialog, GW_OWNER) != parent || !IsWindowVisible(dialog))
        continue;
      GetWindowRect(dialog, &seen->rect);
      GetWindowTextA(dialog, seen->caption, sizeof seen->caption);
      GetDlgItemTextA(dialog, 1001, seen->line, sizeof seen->line);
      seen->found = true;
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return;
    }
    Sleep(20);
  }
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyFileA(kwtest::HostPath(KW_EXT_ENGLISH).c_str(), (dir_.path() + "\\KWRXT329.DLL").c_str(), FALSE);
    CopyFileA(kwtest::HostPath(KW_EXT_GERMAN).c_str(), (dir_.path() + "\\KWRXT327.DLL").c_str(), FALSE);
    host_ = std::make_unique<CIKitwrightExtension>(dir_.path());
  }
  HWND MakeParent(int x, int y, int w, int h) {
    HWND wnd = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w,
                               h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return wnd;
  }
  kwtest::TempDir dir_;
  std::unique_ptr<CIKitwrightExtension> host_;
};

TEST_F(AboutTest, CentredOnTheParentAndClosedByOk) {
  HWND parent = MakeParent(100, 80, 600, 400);
  if (!parent)
    GTEST_SKIP() << "no window station here";
  struct Case {
    WORD language;
    const char* caption;
    const char* line;
  } cases[] = {{1033, "About Extension", "English Language Extension."},
               {1031, "Info \xFC" "ber Erweiterung", "Deutsche Spracherweiterung."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    Seen seen;
    std::thread watcher(AnswerDialog, parent, &seen);
    BOOL shown = host_->Find(c.language)->About(parent);
    watcher.join();
    EXPECT_TRUE(shown);
    ASSERT_TRUE(seen.found);
    EXPECT_STREQ(seen.caption, c.caption);
    EXPECT_STREQ(seen.line, c.line);
    RECT p;
    GetWindowRect(parent, &p);
    const LONG cx = (seen.rect.left + seen.rect.right) / 2;
    const LONG cy = (seen.rect.top + seen.rect.bottom) / 2;
    EXPECT_NEAR(cx, (p.left + p.right) / 2, 1);
    EXPECT_NEAR(cy, (p.top + p.bottom) / 2, 1);
  }
  DestroyWindow(parent);
}

TEST_F(AboutTest, KeptOnTheScreenBesideAParentAtTheEdge) {
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  // Most of the parent hangs off the bottom right corner.
  HWND parent = MakeParent(area.right - 60, area.bottom - 40, 200, 200);
  if (!parent)
    GTEST_SKIP() << "no window station here";
  Seen seen;
  std::thread watcher(AnswerDialog, parent, &seen);
  EXPECT_TRUE(host_->Find(1033)->About(parent));
  watcher.join();
  ASSERT_TRUE(seen.found);
  EXPECT_STREQ(seen.caption, "About Extension");
  EXPECT_LE(seen.rect.right, area.right);
  EXPECT_LE(seen.rect.bottom, area.bottom);
  EXPECT_GE(seen.rect.left, area.left);
  EXPECT_GE(seen.rect.top, area.top);
  DestroyWindow(parent);
}

}  // namespace
