// The progress window in its own thread: its class, window and children as the system reports
// them, its updates, its refusal to close, and its end. The catalogue wait of the reading thread:
// the window while the build runs, and no event read before the step is over.
#include "progress_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "creo_proxy.h"
#include "fake_kx_api.h"
#include "kx_addin.h"

namespace {

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::string windowText(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string className(HWND window) {
  char text[256] = "";
  GetClassNameA(window, text, sizeof(text));
  return text;
}

// This process's window only: tests of other processes may show theirs on the same display.
HWND findOwnWindow(const char* cls, const char* title) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, title); w;
       w = FindWindowExA(nullptr, w, cls, title)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return w;
  }
  return nullptr;
}

HWND findProgressWindow() { return findOwnWindow("MNUDlgClass", "Korvex"); }

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgressWindow::sProgressBarHandle = nullptr;
    ProgressWindow::sProgressTextHandle = nullptr;
  }
  void TearDown() override {
    mBlock.mIsToShow = false;
    // Under Xvfb without a window manager, Wine waits about 2 s for the hidden window's withdrawal.
    if (mThread.joinable()) mThread.join();
  }
  void show() {
    mBlock.mIsToShow = true;
    mThread = std::thread([this] { mResult = ProgressWindow::showProgressWindow(&mBlock); });
    ASSERT_TRUE(waitFor([this] { return mBlock.mWndHandle.load() != nullptr; }, 10000));
    mWindow = mBlock.mWndHandle;
  }
  HWND child(const char* cls) { return FindWindowExA(mWindow, nullptr, cls, nullptr); }

  ProgressWindow mBlock;
  std::thread mThread;
  int32_t mResult = -1;
  HWND mWindow = nullptr;
};

TEST_F(ProgressWindowTest, ClassWindowAndChildren) {
  show();
  EXPECT_NE(GetWindowThreadProcessId(mWindow, nullptr), GetCurrentThreadId());
  EXPECT_EQ(className(mWindow), "MNUDlgClass");
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "MNUDlgClass", &windowClass));
  EXPECT_EQ(windowClass.style, 0u);
  EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5)));
  EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
  EXPECT_EQ(windowClass.hIcon, LoadIconA(nullptr, MAKEINTRESOURCEA(32516)));
  EXPECT_EQ(windowClass.cbClsExtra, 0);
  EXPECT_EQ(windowClass.cbWndExtra, 0);

  EXPECT_EQ(windowText(mWindow), "Korvex");
  EXPECT_TRUE(IsWindowVisible(mWindow));
  EXPECT_EQ(GetWindowLongA(mWindow, GWL_STYLE) & 0x00FF0000, 0x00CF0000);
  EXPECT_EQ(GetWindowLongA(mWindow, GWL_EXSTYLE) & 0x000000FF, 0x00000088);
  EXPECT_EQ(GetParent(mWindow), nullptr);
  RECT r = {};
  GetWindowRect(mWindow, &r);
  EXPECT_EQ(r.right - r.left, 216);
  EXPECT_EQ(r.bottom - r.top, 80);

  const struct {
    const char* cls;
    const char* text;
    LONG style;
    LONG exStyle;
    RECT rect;
  } children[] = {
      {"Static", "Preparing for first start...", 0x50020000, 4, {0, 25, 200, 45}},
      {"msctls_progress32", "", 0x50000000, 0, {0, 4, 200, 22}},
  };
  for (size_t i = 0; i < sizeof(children) / sizeof(children[0]); ++i) {
    HWND c = child(children[i].cls);
    ASSERT_NE(c, nullptr) << "child " << i;
    EXPECT_EQ(windowText(c), children[i].text) << "child " << i;
    EXPECT_EQ(GetWindowLongA(c, GWL_STYLE), children[i].style) << "child " << i;
    EXPECT_EQ(GetWindowLongA(c, GWL_EXSTYLE), children[i].exStyle) << "child " << i;
    RECT cr = {};
    GetWindowRect(c, &cr);
    MapWindowPoints(nullptr, mWindow, reinterpret_cast<POINT*>(&cr), 2);
    EXPECT_TRUE(EqualRect(&cr, &children[i].rect)) << "child " << i;
  }
  EXPECT_EQ(ProgressWindow::sProgressTextHandle.load(), child("Static"));
  EXPECT_EQ(ProgressWindow::sProgressBarHandle.load(), child("msctls_progress32"));
  HWND bar = child("msctls_progress32");
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child("Static"), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(ProgressWindowTest, UpdatesSetBarAndText) {
  show();
  const struct {
    double progress;
    int pos;
    const char* text;
  } rows[] = {
      {0.0, 0, "Preparing for first start... 0%"},
      {0.00017, 0, "Preparing for first start... 0%"},
      {0.3, 30, "Preparing for first start... 30%"},
      {0.999999, 99, "Preparing for first start... 99%"},
      {-1.0, 99, "Preparing for first start... 99%"},  // out of range: left as it was
      {1.5, 99, "Preparing for first start... 99%"},
      {1.0, 100, "Preparing for first start... 100%"},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    ProgressWindow::updateProgressWindow(rows[i].progress);
    EXPECT_EQ(SendMessageA(child("msctls_progress32"), PBM_GETPOS, 0, 0), rows[i].pos)
        << "row " << i;
    EXPECT_EQ(windowText(child("Static")), rows[i].text) << "row " << i;
  }
}

TEST_F(ProgressWindowTest, UpdateBeforeAnyWindowDoesNothing) {
  ProgressWindow::updateProgressWindow(0.5);  // must neither crash nor hang
  EXPECT_EQ(ProgressWindow::sProgressBarHandle.load(), nullptr);
}

TEST_F(ProgressWindowTest, RefusesToCloseAndGoesWhenToldSo) {
  show();
  EXPECT_EQ(SendMessageA(mWindow, WM_CLOSE, 0, 0), 0);
  PostMessageA(mWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(mWindow, WM_CLOSE, 0, 0);
  // Handled within a pass or two of the window's loop; the window is still there after many.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(IsWindow(mWindow));
  EXPECT_TRUE(IsWindowVisible(mWindow));
  mBlock.mIsToShow = false;
  mThread.join();
  EXPECT_EQ(mResult, 1);
  EXPECT_FALSE(IsWindow(mWindow));
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "MNUDlgClass", &windowClass))
      << "class left registered";
}

// The class is taken already (another window of this process registered it): the window thread
// tells the user in a message box and gives up without a window.
TEST_F(ProgressWindowTest, ClassTakenShowsTheFailureAndNoWindow) {
  WNDCLASSEXA taken = {};
  taken.cbSize = sizeof(taken);
  taken.lpfnWndProc = DefWindowProcA;
  taken.lpszClassName = "MNUDlgClass";
  ASSERT_TRUE(RegisterClassExA(&taken));
  mBlock.mIsToShow = true;
  mThread = std::thread([this] { mResult = ProgressWindow::showProgressWindow(&mBlock); });
  HWND box = nullptr;
  EXPECT_TRUE(
      waitFor([&box] { return (box = findOwnWindow("#32770", "Error!")) != nullptr; }, 10000));
  if (box) {
    char text[128] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    EXPECT_STREQ(text, "Window Registration Failed!");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  mThread.join();
  EXPECT_EQ(mResult, 0);
  EXPECT_EQ(mBlock.mWndHandle.load(), nullptr);
  EXPECT_EQ(ProgressWindow::sProgressBarHandle.load(), nullptr);
  // The failed registration took nothing away from the one that holds the class.
  WNDCLASSEXA still = {};
  still.cbSize = sizeof(still);
  EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "MNUDlgClass", &still));
  UnregisterClassA("MNUDlgClass", GetModuleHandleA(nullptr));
}

// The reading thread during a first start, with the fake client library.
class CatalogueWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeKxApi::install();
    ProgressWindow::sProgressBarHandle = nullptr;
    ASSERT_EQ(kxAddinStart(), 0);
  }
  FakeKxApi& fake = FakeKxApi::instance();
};

// The window while the catalogue is built, no event read before the step is over, the window gone
// afterwards.
TEST_F(CatalogueWaitTest, WindowDuringTheBuildAndNoReadBeforeItsEnd) {
  CreoProxy* proxy = sAddinP->mCreoProxyP;
  proxy->mMnuProgress = 0.4;
  EXPECT_TRUE(waitFor([] { return findProgressWindow() != nullptr; }, 10000));
  HWND window = findProgressWindow();
  HWND text = FindWindowExA(window, nullptr, "Static", nullptr);
  EXPECT_TRUE(
      waitFor([text] { return windowText(text) == "Preparing for first start... 40%"; }, 5000))
      << windowText(text);
  proxy->mMnuProgress = 0.7;
  EXPECT_TRUE(
      waitFor([text] { return windowText(text) == "Preparing for first start... 70%"; }, 5000))
      << windowText(text);
  EXPECT_EQ(fake.mGetEventCalls, 0) << "an event was read while the catalogue was built";
  proxy->mMnuProgress = 1.0;
  EXPECT_TRUE(waitFor([] { return findProgressWindow() == nullptr; }, 5000));
  EXPECT_TRUE(waitFor([this] { return fake.mGetEventCalls > 0; }, 5000));
  kxAddinStop();
}

TEST_F(CatalogueWaitTest, StopDuringTheBuildTakesTheWindowAlong) {
  sAddinP->mCreoProxyP->mMnuProgress = 0.5;
  EXPECT_TRUE(waitFor([] { return findProgressWindow() != nullptr; }, 10000));
  kxAddinStop();
  // The stop waits for the window's thread, which may run code of the plug-in only until then.
  EXPECT_EQ(findProgressWindow(), nullptr);
  EXPECT_EQ(fake.mGetEventCalls, 0);
}

TEST_F(CatalogueWaitTest, NoWindowWhenTheStepEndsWithoutABuild) {
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // several polls at -1
  sAddinP->mCreoProxyP->mMnuProgress = 1.0;
  EXPECT_TRUE(fake.waitForCall("kxSetApplMode", 1, 5000));
  EXPECT_EQ(findProgressWindow(), nullptr);
  kxAddinStop();
  EXPECT_EQ(ProgressWindow::sProgressBarHandle.load(), nullptr);
}

}  // namespace
