// Scrolling the control under the pointer, run against a desk of stand-in windows: the window
// calls the bridge makes are recorded and compared with the expected sequence, and its waits are
// recorded instead of slept.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "addin_suite.h"
#include "scroll_rules.h"
#include "wait_for.h"

namespace {

struct DeskWindow {
  std::string mClass;
  RECT mRect;
  int mParent;  // handle of the parent, 0 for a top-level window
  bool mIsVisible;
  SCROLLINFO mBars[2];  // SB_HORZ, SB_VERT
};

// Handles are the windows' positions in the list plus one; siblings follow each other in the
// list's order, the first one on top.
struct Desk {
  std::vector<DeskWindow> mWindows;
  int mFromPoint = 0;   // what WindowFromPoint answers
  int mForeground = 0;  // the foreground window
  POINT mCursor = {0, 0};
  std::vector<std::string> mCalls;
};

Desk sDesk;

HWND handleOf(int index) { return reinterpret_cast<HWND>(static_cast<intptr_t>(index)); }
int indexOf(HWND window) { return static_cast<int>(reinterpret_cast<intptr_t>(window)); }
DeskWindow* deskWindow(HWND window) {
  const int index = indexOf(window);
  if (index < 1 || index > static_cast<int>(sDesk.mWindows.size())) return nullptr;
  return &sDesk.mWindows[index - 1];
}

__attribute__((format(printf, 1, 2))) void record(const char* format, ...) {
  char line[128];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof(line), format, arguments);
  va_end(arguments);
  sDesk.mCalls.push_back(line);
}

int WINAPI deskClassName(HWND window, LPSTR name, int size) {
  const DeskWindow* w = deskWindow(window);
  if (!w || size < 1) return 0;
  lstrcpynA(name, w->mClass.c_str(), size);
  return lstrlenA(name);
}
BOOL WINAPI deskCursorPos(LPPOINT point) {
  record("GetCursorPos");
  *point = sDesk.mCursor;
  return TRUE;
}
HWND WINAPI deskFromPoint(POINT) { return handleOf(sDesk.mFromPoint); }
BOOL WINAPI deskRect(HWND window, LPRECT rect) {
  const DeskWindow* w = deskWindow(window);
  if (!w) return FALSE;
  *rect = w->mRect;
  return TRUE;
}
HWND WINAPI deskParent(HWND window) {
  const DeskWindow* w = deskWindow(window);
  return w ? handleOf(w->mParent) : nullptr;
}
HWND WINAPI deskRelative(HWND window, UINT relation) {
  const int self = indexOf(window);
  const DeskWindow* w = deskWindow(window);
  if (!w) return nullptr;
  const int count = static_cast<int>(sDesk.mWindows.size());
  if (relation == GW_HWNDNEXT) {
    for (int i = self + 1; i <= count; ++i)
      if (sDesk.mWindows[i - 1].mParent == w->mParent) return handleOf(i);
  } else if (relation == GW_CHILD) {
    for (int i = 1; i <= count; ++i)
      if (sDesk.mWindows[i - 1].mParent == self) return handleOf(i);
  }
  return nullptr;
}
BOOL WINAPI deskVisible(HWND window) {
  const DeskWindow* w = deskWindow(window);
  return w && w->mIsVisible;
}
HWND WINAPI deskAncestor(HWND window, UINT flags) {
  if (flags != GA_ROOT) return nullptr;
  while (deskWindow(window) && deskWindow(window)->mParent != 0)
    window = handleOf(deskWindow(window)->mParent);
  return deskWindow(window) ? window : nullptr;
}
HWND WINAPI deskForeground() { return handleOf(sDesk.mForeground); }
BOOL WINAPI deskScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
  record("GetScrollInfo %d %s size %u mask %u", indexOf(window),
         bar == SB_VERT   ? "SB_VERT"
         : bar == SB_HORZ ? "SB_HORZ"
                          : "other",
         info->cbSize, info->fMask);
  const DeskWindow* w = deskWindow(window);
  if (!w || (bar != SB_VERT && bar != SB_HORZ)) return FALSE;
  const SCROLLINFO& from = w->mBars[bar == SB_VERT ? 1 : 0];
  if (info->fMask & SIF_RANGE) {
    info->nMin = from.nMin;
    info->nMax = from.nMax;
  }
  if (info->fMask & SIF_PAGE) info->nPage = from.nPage;
  if (info->fMask & SIF_POS) info->nPos = from.nPos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = from.nPos;
  return TRUE;
}
LRESULT WINAPI deskSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  record("SendMessageA %d 0x%x %llu %lld", indexOf(window), message, wParam, lParam);
  return 0;
}
BOOL WINAPI deskPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  record("PostMessageA %d 0x%x 0x%llx 0x%llx", indexOf(window), message, wParam, lParam);
  return TRUE;
}
BOOL WINAPI deskUpdate(HWND window) {
  record("UpdateWindow %d", indexOf(window));
  return TRUE;
}
BOOL WINAPI deskRedraw(HWND window, const RECT* rect, HRGN region, UINT flags) {
  record("RedrawWindow %d %d %d %u", indexOf(window), rect != nullptr, region != nullptr, flags);
  return TRUE;
}
void deskSleep(int milliseconds) { record("Sleep %d", milliseconds); }

const CreoWindowCalls kDeskCalls = {
    &deskClassName, &deskCursorPos, &deskFromPoint, &deskRect,       &deskParent,
    &deskRelative,  &deskVisible,   &deskAncestor,  &deskForeground, &deskScrollInfo,
    &deskSend,      &deskPost,      &deskUpdate,    &deskRedraw,     &deskSleep,
};

SCROLLINFO bar(int nMin, int nMax, UINT nPage, int nPos) {
  return {0, 0, nMin, nMax, nPage, nPos, 0};
}

DeskWindow window(const char* className, RECT rect, int parent, bool isVisible = true) {
  return {className, rect, parent, isVisible, {bar(0, 0, 0, 0), bar(0, 0, 0, 0)}};
}

// The frame (1), in front, and a control (2) of this class, which WindowFromPoint finds; both reach
// left of and above the primary screen.
void frameAndControl(const char* className) {
  sDesk = Desk();
  sDesk.mWindows.push_back(window("KxCreoFrame", {-100, -100, 1400, 700}, 0));
  sDesk.mWindows.push_back(window(className, {-50, -50, 1300, 400}, 1));
  sDesk.mFromPoint = 2;
  sDesk.mForeground = 1;
}

class ScrollUnderCursorTest : public AddinSuite {
 protected:
  void SetUp() override {
    sDesk = Desk();
    CreoProxy::sWindowCalls = kDeskCalls;
    sAddin->mSettings.mScrollTreeAndList = true;
  }
  void TearDown() override {
    CreoProxy::sWindowCalls = CreoProxy::kWin32WindowCalls;
    sAddin->mSettings.mScrollTreeAndList = true;
  }
};

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The frame (1) holds the control (2), which the pointer rests on at (100, 200).
TEST_F(ScrollUnderCursorTest, MessagesAndWaitsPerControlAndMotion) {
  const std::string vert = "GetScrollInfo 2 SB_VERT size 28 mask 23";
  const std::string horz = "GetScrollInfo 2 SB_HORZ size 28 mask 23";
  const std::string up = "SendMessageA 2 0x115 0 0";
  const std::string down = "SendMessageA 2 0x115 1 0";
  const std::string left = "SendMessageA 2 0x114 0 0";
  const std::string right = "SendMessageA 2 0x114 1 0";
  const std::string wheelDown = "PostMessageA 2 0x20a 0xff880000 0xc80064";
  const std::string wheelUp = "PostMessageA 2 0x20a 0x780000 0xc80064";
  // The bar read, `count` line messages sent and the wait; a notch posted, a repaint and the wait.
  auto scrolled = [](const std::string& info, const std::string& line, int count, int ms) {
    std::vector<std::string> calls(count + 2, line);
    calls.front() = info;
    calls.back() = "Sleep " + std::to_string(ms);
    return calls;
  };
  auto wheeled = [](const std::string& notch, int ms) {
    return std::vector<std::string>{notch, "UpdateWindow 2", "RedrawWindow 2 0 0 1",
                                    "Sleep " + std::to_string(ms)};
  };
  const SCROLLINFO mid = bar(0, 250, 20, 10);
  const SCROLLINFO wide = bar(0, 400, 100, 50);
  const SCROLLINFO longList = bar(0, 2500, 40, 2459);
  // Each path once; the classes, steps, lines and waits themselves are the scroll rules' tests'.
  const struct {
    const char* mClass;
    SCROLLINFO mVert, mHorz;
    bool mIsForeground;
    int32_t mTx, mTy, mTz;
    bool mResult;
    std::vector<std::string> mCalls;  // after GetCursorPos
  } rows[] = {
      // tz wins over a smaller ty: up, two lines for a range of 250, wait 150 - 20.
      {"SysTreeView32", mid, {}, true, 5, 10, -40, true, scrolled(vert, up, 2, 130)},
      // ty pushed away from the user is down in the tree's terms: -ty.
      {"SysTreeView32", mid, {}, true, 0, -60, 10, true, scrolled(vert, down, 2, 120)},
      // At the top and at the bottom (page + position beyond the range) nothing is sent, but the
      // wait still comes.
      {"ListBox", bar(0, 250, 20, 0), {}, true, 0, 0, -40, true, {vert, "Sleep 130"}},
      {"ListBox", bar(0, 250, 20, 231), {}, true, 0, 0, 40, true, {vert, "Sleep 130"}},
      // A long list: ten lines per tick; the position is not read again between them.
      {"SysListView32", longList, {}, true, 0, 0, 300, true, scrolled(vert, down, 10, 1)},
      // A short one: one line and 20 ms more.
      {"GXWND", bar(0, 49, 5, 3), {}, true, 0, 0, 296, true, scrolled(vert, down, 1, 3)},
      // Sideways: the horizontal bar and WM_HSCROLL.
      {"SysListView32", mid, wide, true, 80, 0, 10, true, scrolled(horz, right, 4, 110)},
      {"SysListView32", mid, wide, true, -80, 0, 10, true, scrolled(horz, left, 4, 110)},
      // No direction: taken, without a message and without a wait.
      {"SysTreeView32", mid, {}, true, 30, 0, -30, true, {}},
      // No usable range: left to the next test of the dispatch.
      {"SysTreeView32", bar(0, 250, 0, 10), {}, true, 0, 0, 40, false, {vert}},
      {"ListBox", bar(0, 250, 20, 0), bar(0, 0, 0, 0), true, 40, 0, 0, false, {horz}},
      // Wheel controls: one posted notch at the pointer, then a repaint and the wait.
      {"ToolbarWindow32", {}, {}, true, 100, 0, 20, true, wheeled(wheelDown, 100)},
      {"List", {}, {}, true, 0, 50, 0, true, wheeled(wheelUp, 125)},
      {"Tree", {}, {}, true, -10, 0, 0, true, wheeled(wheelUp, 145)},
      {"Internet Explorer_Server", {}, {}, true, 0, 0, 400, true, wheeled(wheelDown, 1)},
      // A pure rotation over a wheel control: no notch, but the wait.
      {"ToolbarWindow32", {}, {}, true, 0, 0, 0, true, {"Sleep 150"}},
      // A control of a window in the background, and a class not in the table.
      {"SysTreeView32", mid, {}, false, 0, 0, 40, false, {}},
      {"PGLWindow", {}, {}, true, 0, 0, 40, false, {}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    frameAndControl(rows[row].mClass);
    sDesk.mWindows[1].mBars[0] = rows[row].mHorz;
    sDesk.mWindows[1].mBars[1] = rows[row].mVert;
    sDesk.mForeground = rows[row].mIsForeground ? 1 : 7;
    sDesk.mCursor = {100, 200};
    EXPECT_EQ(proxy()->scrollUnderCursor(rows[row].mTx, rows[row].mTy, rows[row].mTz),
              rows[row].mResult)
        << "row " << row;
    std::vector<std::string> expected = {"GetCursorPos"};
    expected.insert(expected.end(), rows[row].mCalls.begin(), rows[row].mCalls.end());
    EXPECT_EQ(joined(sDesk.mCalls), joined(expected)) << "row " << row;
  }
}

// The wheel message carries the pointer's screen position, also left of and above the primary
// screen, where the coordinates are negative; (100, 200) is in the dispatch table.
TEST_F(ScrollUnderCursorTest, WheelPositionIsThePointersInSixteenBitsEach) {
  const struct {
    POINT mCursor;
    const char* mPost;
  } rows[] = {
      {{0, 0}, "PostMessageA 2 0x20a 0xff880000 0x0"},
      {{-5, 7}, "PostMessageA 2 0x20a 0xff880000 0x7fffb"},
      {{1279, -1}, "PostMessageA 2 0x20a 0xff880000 0xffff04ff"},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    frameAndControl("ToolbarWindow32");
    sDesk.mCursor = rows[row].mCursor;
    EXPECT_TRUE(proxy()->scrollUnderCursor(0, 0, 200)) << "row " << row;
    ASSERT_GE(sDesk.mCalls.size(), 2u) << "row " << row;
    EXPECT_EQ(sDesk.mCalls[1], rows[row].mPost) << "row " << row;
  }
}

// Scroll mode off: the pointer is not even read, the outputs stay as they were.
TEST_F(ScrollUnderCursorTest, ScrollModeOffReadsNothingAndScrollsNothing) {
  frameAndControl("SysTreeView32");
  sDesk.mWindows[1].mBars[1] = bar(0, 250, 20, 10);
  sAddin->mSettings.mScrollTreeAndList = false;
  int32_t x = -7;
  int32_t y = -8;
  HWND target = handleOf(42);
  EXPECT_EQ(proxy()->findScrollTarget(&x, &y, &target), kScrollNone);
  EXPECT_EQ(x, -7);
  EXPECT_EQ(y, -8);
  EXPECT_EQ(target, handleOf(42));
  EXPECT_FALSE(proxy()->scrollUnderCursor(0, 0, 200));
  EXPECT_TRUE(sDesk.mCalls.empty()) << joined(sDesk.mCalls);
}

// The target as the dispatch sees it: the class's kind, the pointer and the window, also for a
// window whose top-level window has no parent chain (the desktop's own children).
TEST_F(ScrollUnderCursorTest, TargetKindPointerAndWindow) {
  const struct {
    const char* mClass;
    int mForeground;
    ScrollTargetKind mKind;
  } rows[] = {
      {"SysTreeView32", 1, kScrollBarControl},
      {"ToolbarWindow32", 1, kWheelControl},
      {"SysTreeView32", 0, kScrollNone},
      {"SysTreeView32", 3, kScrollNone},
      {"Static", 1, kScrollNone},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    frameAndControl(rows[row].mClass);
    sDesk.mWindows.push_back(window("KxFloatingDialog", {1010, 60, 1270, 360}, 0));
    sDesk.mForeground = rows[row].mForeground;
    sDesk.mCursor = {33, 44};
    int32_t x = 0;
    int32_t y = 0;
    HWND target = nullptr;
    EXPECT_EQ(proxy()->findScrollTarget(&x, &y, &target), rows[row].mKind) << "row " << row;
    EXPECT_EQ(x, 33) << "row " << row;
    EXPECT_EQ(y, 44) << "row " << row;
    EXPECT_EQ(target, handleOf(2)) << "row " << row;
  }
  // Nothing under the pointer.
  sDesk.mFromPoint = 0;
  HWND target = handleOf(9);
  int32_t x = 0;
  int32_t y = 0;
  EXPECT_EQ(proxy()->findScrollTarget(&x, &y, &target), kScrollNone);
  EXPECT_EQ(target, nullptr);
}

// The smallest visible window under the point, among the siblings below the one WindowFromPoint
// gives and then among its children, level by level.
TEST_F(ScrollUnderCursorTest, WindowUnderPointTakesTheSmallestVisibleSibling) {
  const RECT frame = {0, 0, 1000, 700};
  const RECT panel = {0, 0, 500, 500};
  const RECT list = {100, 100, 300, 300};
  const DeskWindow f = window("F", frame, 0);
  // A panel (2) on top of a list (3), both in the frame (1); a row may add a window.
  auto panelOverList = [&](std::vector<DeskWindow> more = {}, bool isListVisible = true) {
    std::vector<DeskWindow> windows = {f, window("Panel", panel, 1),
                                       window("List", list, 1, isListVisible)};
    windows.insert(windows.end(), more.begin(), more.end());
    return windows;
  };
  const struct {
    std::vector<DeskWindow> mWindows;
    int mFromPoint;
    POINT mPoint;
    int mExpected;
  } rows[] = {
      // WindowFromPoint gives the panel, the list is smaller.
      {panelOverList(), 2, {150, 150}, 3},
      {panelOverList({}, false), 2, {150, 150}, 2},
      {panelOverList(), 2, {400, 400}, 2},
      // Right and bottom edges are outside.
      {panelOverList(), 2, {300, 150}, 2},
      {panelOverList(), 2, {100, 100}, 3},
      // The smallest of several.
      {panelOverList({window("Small", {140, 140, 160, 160}, 1)}), 2, {150, 150}, 4},
      // Down into the found window's children.
      {panelOverList({window("Child", {120, 120, 200, 200}, 3)}), 2, {150, 150}, 4},
      {panelOverList({window("Child", {120, 120, 200, 200}, 3)}), 2, {250, 250}, 3},
      // Only the siblings below the first answer count; an equal area is no better.
      {{f, window("List", list, 1), window("Panel", panel, 1)}, 3, {150, 150}, 3},
      {{f, window("Panel", panel, 1), window("Twin", panel, 1)}, 2, {150, 150}, 2},
      // A top-level window is taken as it is.
      {{f, window("Other", {100, 100, 120, 120}, 0)}, 1, {110, 110}, 1},
      {{f}, 0, {110, 110}, 0},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    sDesk = Desk();
    sDesk.mWindows = rows[row].mWindows;
    sDesk.mFromPoint = rows[row].mFromPoint;
    EXPECT_EQ(CreoProxy::windowUnderPoint(rows[row].mPoint), handleOf(rows[row].mExpected))
        << "row " << row;
  }
}

// The tick's hand-over looks for a scroll target also without a device link: the decision does not
// hang on the link.
TEST_F(ScrollUnderCursorTest, DispatchLooksForTheTargetWithAndWithoutDeviceLink) {
  frameAndControl("SysTreeView32");
  sAddin->takeMenuFncIdx();
  sAddin->takeKeyEvent();
  // The watch thread reaches the link through the root object: stop it before the link goes.
  sAddin->mIsToWatch = false;
  ASSERT_TRUE(waitFor([] { return !sAddin->mIsWatching; }, 10000)) << "the watch thread went on";
  DaemonProxy* const link = sAddin->mDaemonProxyP;
  for (int round = 0; round < 2; ++round) {
    sDesk.mCalls.clear();
    sAddin->mDaemonProxyP = round == 0 ? nullptr : link;
    proxy()->doTransform();
    EXPECT_EQ(joined(sDesk.mCalls), "GetCursorPos\n") << "round " << round;
  }
  sAddin->mDaemonProxyP = link;
}

}  // namespace
