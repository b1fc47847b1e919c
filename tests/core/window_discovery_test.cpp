// Finding the host's windows among real Win32 windows of the test's thread: each window is looked
// at once, and the timer lives on exactly one window, never on one the bridge has forgotten.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "addin_suite.h"
#include "progress_window.h"

namespace {

std::map<HWND, int> sClassified;

int WINAPI countingClassName(HWND window, LPSTR name, int size) {
  ++sClassified[window];
  return GetClassNameA(window, name, size);
}

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass(const char* name) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = plainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

HWND topLevel() {
  return CreateWindowExA(0, "KxTestPlain", "top", WS_OVERLAPPED, 0, 0, 200, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

HWND child(HWND parent, const char* className = "KxTestPlain") {
  return CreateWindowExA(0, className, "", WS_CHILD, 0, 0, 50, 50, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

HWND toWindow(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

BOOL CALLBACK collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The windows below a window in the system's depth-first order.
void depthFirst(HWND parent, std::vector<HWND>* order) {
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    order->push_back(w);
    depthFirst(w, order);
  }
}

// The top-level windows of this thread that carry the bridge's timer; each is killed on the way.
std::vector<HWND> windowsWithTimer() {
  std::vector<HWND> all;
  EnumThreadWindows(GetCurrentThreadId(), collect, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> armed;
  for (HWND window : all)
    if (KillTimer(window, CreoProxy::kTimerId)) armed.push_back(window);
  return armed;
}

void rediscover(CreoProxy* proxy) {
  proxy->mPGLWndHandle = 0;
  proxy->validateWindows();
}

// A window with a graphics window, where the discovery sets the timer, then a new one in front of
// all others with the timer's owner sent to the back, and a rediscovery, which finds the new one
// first. Returns both top-level windows.
std::vector<HWND> rediscoverAfterANewWindow(CreoProxy* proxy) {
  const HWND first = topLevel();
  child(child(first), "PGLWindow");
  rediscover(proxy);
  const HWND oldOwner = toWindow(proxy->mTimerWndHandle);
  EXPECT_NE(oldOwner, nullptr);
  const HWND second = topLevel();
  child(second, "PGLWindow");
  SetWindowPos(oldOwner, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  rediscover(proxy);
  EXPECT_NE(toWindow(proxy->mTimerWndHandle), oldOwner)
      << "the order of the windows did not change";
  return {first, second};
}

class WindowDiscoveryTest : public AddinSuite {
 protected:
  static void SetUpTestSuite() {
    registerClass("KxTestPlain");
    registerClass("PGLWindow");
    registerClass("PGL_STD_WN_CLASS");
    registerClass(ProgressWindow::kClassName);
    AddinSuite::SetUpTestSuite();
  }
  void SetUp() override { sClassified.clear(); }
  void TearDown() override {
    CreoProxy::sWindowCalls = CreoProxy::kWin32WindowCalls;
    windowsWithTimer();  // kills the timers left
    for (HWND window : mTopLevel) DestroyWindow(window);
    proxy()->mTimerWndHandle = 0;
    proxy()->mPGLWndHandle = 0;
  }

  std::vector<HWND> mTopLevel;
};

// Trees of plain windows with the graphics window at some place or nowhere: every window up to the
// graphics window in depth-first order is looked at exactly once, none after it.
TEST_F(WindowDiscoveryTest, EachWindowIsClassifiedOnceDepthFirst) {
  const struct {
    int mDepth;       // a chain this deep below the top-level window
    int mGraphicsAt;  // the chain's window that is the graphics window, 0 = none
    const char* mGraphicsClass;
  } rows[] = {
      {16, 0, nullptr},
      {16, 16, "PGLWindow"},
      {16, 5, "PGL_STD_WN_CLASS"},
      {4, 1, "PGLWindow"},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    sClassified.clear();
    const HWND top = topLevel();
    mTopLevel.push_back(top);
    std::vector<HWND> chain;
    HWND parent = top;
    for (int level = 1; level <= rows[row].mDepth; ++level) {
      parent =
          child(parent, level == rows[row].mGraphicsAt ? rows[row].mGraphicsClass : "KxTestPlain");
      // A sibling at every level, after the chain's window, so the walk has breadth too.
      const HWND sibling = child(GetParent(parent));
      chain.push_back(parent);
      chain.push_back(sibling);
    }
    CreoProxy::sWindowCalls.getClassNameA = &countingClassName;
    rediscover(proxy());
    CreoProxy::sWindowCalls = CreoProxy::kWin32WindowCalls;
    const HWND graphics = rows[row].mGraphicsAt ? chain[2 * rows[row].mGraphicsAt - 2] : nullptr;
    EXPECT_EQ(toWindow(proxy()->mPGLWndHandle), graphics) << "row " << row;
    std::vector<HWND> order;
    depthFirst(top, &order);
    ASSERT_EQ(order.size(), chain.size()) << "row " << row;
    bool isBefore = true;
    for (size_t i = 0; i < order.size(); ++i) {
      EXPECT_EQ(sClassified[order[i]], isBefore ? 1 : 0) << "row " << row << ", window " << i;
      if (order[i] == graphics) isBefore = false;
    }
    for (HWND window : mTopLevel) DestroyWindow(window);
    mTopLevel.clear();
  }
}

// A rediscovery that finds another window first moves the timer there: the old window's timer is
// gone, so exactly one timer ticks.
TEST_F(WindowDiscoveryTest, RediscoveryMovesTheTimerInsteadOfAddingOne) {
  mTopLevel = rediscoverAfterANewWindow(proxy());
  const std::vector<HWND> armed = windowsWithTimer();
  ASSERT_EQ(armed.size(), 1u);
  EXPECT_EQ(armed[0], toWindow(proxy()->mTimerWndHandle));
}

// The plug-in's own windows listed before the host's (as a platform may list them): the timer goes
// to the host's window all the same, and neither of the plug-in's carries it.
TEST_F(WindowDiscoveryTest, ThePluginsOwnWindowsAreNeverTheTimersOwner) {
  const HWND wake = proxy()->mWakeWindow.handle();
  ASSERT_NE(wake, nullptr) << "no wake-up window to list";
  const HWND progress =
      CreateWindowExA(0, ProgressWindow::kClassName, "Korvex", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                      nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(progress, nullptr);
  mTopLevel.push_back(progress);
  const HWND host = topLevel();
  mTopLevel.push_back(host);
  const HWND graphics = child(host, "PGLWindow");
  proxy()->mTimerWndHandle = 0;
  proxy()->mPGLWndHandle = 0;
  for (const HWND listed : {wake, progress, host}) {
    if (!CreoProxy::MyEnumThreadWndProc(listed, 0)) break;
  }
  EXPECT_EQ(toWindow(proxy()->mTimerWndHandle), host);
  EXPECT_EQ(toWindow(proxy()->mPGLWndHandle), graphics);
  EXPECT_FALSE(KillTimer(wake, CreoProxy::kTimerId));
  EXPECT_FALSE(KillTimer(progress, CreoProxy::kTimerId));
}

// The same rediscovery followed by the bridge's end leaves no timer anywhere; the destructor knows
// only the last owner.
TEST(WindowDiscoveryEndTest, NoTimerOutlivesTheBridge) {
  registerClass("KxTestPlain");
  registerClass("PGLWindow");
  FakeKxApi::install();
  CKxAddin* addin = new CKxAddin();
  addin->mCreoProxyP->mMnuProgress = 1.0;
  const std::vector<HWND> windows = rediscoverAfterANewWindow(addin->mCreoProxyP);
  delete addin;
  EXPECT_TRUE(windowsWithTimer().empty());
  for (HWND window : windows) DestroyWindow(window);
}

}  // namespace
