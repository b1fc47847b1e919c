// What the scroll scenarios cannot reach, run against a desk of stand-in windows: a pointer left of
// and above the primary screen, window layouts the host never makes, and a tick without a device
// link. The window calls the bridge makes are recorded, its waits recorded instead of slept.
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
BOOL WINAPI deskScrollInfo(HWND window, int, LPSCROLLINFO) {
  record("GetScrollInfo %d", indexOf(window));
  return FALSE;
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

DeskWindow window(const char* className, RECT rect, int parent, bool isVisible = true) {
  return {className, rect, parent, isVisible};
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

// The wheel message carries the pointer's screen position, also left of and above the primary
// screen, where the coordinates are negative.
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
