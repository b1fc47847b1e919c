// The tick runs the pending codes in the order it takes them: an application function that throws
// leaves the special command pending for the next tick instead of dropping it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "addin_suite.h"
#include "device_read.h"

namespace {

// 0: every allocation succeeds; otherwise one of at least this many bytes on this thread fails.
thread_local std::size_t tFailingSize = 0;

}  // namespace

// The library's operator delete frees with free(), so only allocation is replaced.
void* operator new(std::size_t size) {
  if (tFailingSize > 0 && size >= tFailingSize) throw std::bad_alloc();
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  return p;
}

namespace {

class DispatchOrderTest : public AddinSuite {};

TEST_F(DispatchOrderTest, AThrowingFunctionLeavesTheCommandPending) {
  // A command whose macro text alone needs the one allocation that fails.
  constexpr std::size_t kHuge = 100000;
  proxy()->mMenuCommands = {"KX_Toggle_Scroll_Mode", "KX_Toggle_Object_Move_Mode",
                            "ProCmd" + std::string(kHuge, 'X')};
  proxy()->mUseMapkey = false;
  const int16_t rest[6] = {0, 0, 0, 0, 0, 0};
  sAddin->storeMotion(rest);
  sAddin->storeEventCode(APPL_FUNC_START + 2);
  sAddin->storeEventCode(KX_EV_SPECIAL_FIRST);
  tFailingSize = kHuge;
  proxy()->doTransform();
  tFailingSize = 0;
  EXPECT_EQ(sAddin->mMenuFncIdx, -1) << "the failed function is not run again";
  EXPECT_EQ(sAddin->mKeyEvent, KX_EV_SPECIAL_FIRST) << "the command was dropped";
  proxy()->doTransform();
  EXPECT_EQ(sAddin->mKeyEvent, 0) << "the next tick did not take the command";
  proxy()->mMenuCommands.clear();
}

}  // namespace
