// The progress window in its own thread: what the host's window watch in the first-start scenario
// cannot see (its font and handles), its updates and its end; a stop during the build.
#include "progress_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "creo_proxy.h"
#include "fake_kx_api.h"
#include "kx_addin.h"
#include "own_window.h"
#include "wait_for.h"

namespace {

std::string windowText(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

// Whether this module holds the window's class, and the class's data.
bool progressClass(WNDCLASSEXA* info) {
  *info = {};
  info->cbSize = sizeof(*info);
  return GetClassInfoExA(GetModuleHandleA(nullptr), "MNUDlgClass", info);
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

// Told to go, the window thread takes its window and class along.
TEST_F(ProgressWindowTest, HandlesFontAndEnd) {
  show();
  WNDCLASSEXA windowClass;
  ASSERT_TRUE(progressClass(&windowClass));
  EXPECT_EQ(ProgressWindow::sProgressTextHandle.load(), child("Static"));
  EXPECT_EQ(ProgressWindow::sProgressBarHandle.load(), child("msctls_progress32"));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child("Static"), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
  mBlock.mIsToShow = false;
  mThread.join();
  EXPECT_EQ(mResult, 1);
  EXPECT_FALSE(IsWindow(mWindow));
  EXPECT_FALSE(progressClass(&windowClass)) << "class left registered";
}

TEST_F(ProgressWindowTest, UpdatesSetBarAndText) {
  show();
  // Out of range (-1.0, 1.5): left as it was.
  const struct {
    double progress;
    int percent;
  } rows[] = {{0.0, 0}, {0.00017, 0}, {0.3, 30}, {0.999999, 99}, {-1.0, 99}, {1.5, 99}, {1.0, 100}};
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    ProgressWindow::updateProgressWindow(rows[i].progress);
    EXPECT_EQ(SendMessageA(child("msctls_progress32"), PBM_GETPOS, 0, 0), rows[i].percent)
        << "row " << i;
    EXPECT_EQ(windowText(child("Static")),
              "Preparing for first start... " + std::to_string(rows[i].percent) + "%")
        << "row " << i;
  }
}

TEST_F(ProgressWindowTest, UpdateBeforeAnyWindowDoesNothing) {
  ProgressWindow::updateProgressWindow(0.5);  // must neither crash nor hang
  EXPECT_EQ(ProgressWindow::sProgressBarHandle.load(), nullptr);
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

TEST_F(CatalogueWaitTest, StopDuringTheBuildTakesTheWindowAlong) {
  sAddinP->mCreoProxyP->mMnuProgress = 0.5;
  EXPECT_TRUE(waitFor([] { return findProgressWindow() != nullptr; }, 10000));
  kxAddinStop();
  // The stop does not wait for the window's thread, which holds what it uses itself; the window
  // goes once that thread sees the cleared flag.
  EXPECT_TRUE(waitFor([] { return findProgressWindow() == nullptr; }, 10000));
  EXPECT_EQ(fake.mGetEventCalls, 0);
}

}  // namespace
