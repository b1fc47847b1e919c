// The event slot between the reading thread and the user-interface thread.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "addin_suite.h"

namespace {

// One successful read of the reading thread.
struct Read {
  int32_t mCode;
  std::array<int16_t, 6> mMotion;
};

// What one consumer pass takes, in the order a tick takes it.
struct Taken {
  int32_t mMenuFncIdx;
  int32_t mKeyEvent;
  int16_t mMotion[6];
};

Taken takeAll(CKxAddin* addin) {
  Taken taken;
  taken.mMenuFncIdx = addin->takeMenuFncIdx();
  taken.mKeyEvent = addin->takeKeyEvent();
  addin->takeMotion(taken.mMotion);
  return taken;
}

class EventSlotTest : public AddinSuite {
 protected:
  void SetUp() override { takeAll(sAddin); }
};

// The pass always carries the motion of the newest read.
TEST_F(EventSlotTest, OnePassSeesWhatTheReadsBeforeItLeft) {
  const struct {
    std::vector<Read> mEvents;  // read before one consumer pass
    int32_t mFncIdx;
    int32_t mKeyEvent;
  } rows[] = {
      // Newest pending function wins.
      {{{0x20020 + 3, {}}, {0x20020 + 7, {}}}, 7, 0},
      // A function and a special command before the same pass: both pending.
      {{{0x20020 + 2, {1, 2, 3, 4, 5, 6}}, {0x2000A, {0, 0, 0, 0, 0, 9}}}, 2, 0x2000A},
      // A negative code still carries motion.
      {{{-1, {10, -20, 30, -40, 50, -60}}}, -1, 0},
      // APPL_FUNC_START is index 0; the code below it is ignored.
      {{{0x20020, {}}}, 0, 0},
      {{{0x2001F, {1, 1, 1, 1, 1, 1}}}, -1, 0},
      // A special command; the codes of the other actions change only the motion.
      {{{0x20009, {}}}, -1, 0x20009},
      {{{0x20013, {4}}}, -1, 0},
      {{{0x20001, {7}}}, -1, 0},
      {{{0, {9}}}, -1, 0},
      // A later plain read keeps a pending command and replaces the motion.
      {{{0x20020 + 1, {1, 1, 1, 1, 1, 1}}, {0, {-32768, 32767, 0, 0, 0, 0}}}, 1, 0},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    // What the reading thread does with each successful read.
    for (const Read& event : rows[row].mEvents) {
      sAddin->storeEventCode(event.mCode);
      sAddin->storeMotion(event.mMotion.data());
    }
    const std::array<int16_t, 6>& motion = rows[row].mEvents.back().mMotion;
    const Taken pass = takeAll(sAddin);
    EXPECT_EQ(pass.mMenuFncIdx, rows[row].mFncIdx) << "row " << row;
    EXPECT_EQ(pass.mKeyEvent, rows[row].mKeyEvent) << "row " << row;
    for (int axis = 0; axis < 6; ++axis) {
      EXPECT_EQ(pass.mMotion[axis], motion[axis]) << "row " << row << " axis " << axis;
    }
    // Taking leaves "none" behind; the motion stays until the next read.
    const Taken again = takeAll(sAddin);
    EXPECT_EQ(again.mMenuFncIdx, -1) << "row " << row;
    EXPECT_EQ(again.mKeyEvent, 0) << "row " << row;
    EXPECT_EQ(again.mMotion[0], motion[0]) << "row " << row;
  }
}

TEST_F(EventSlotTest, ClassificationTable) {
  const struct {
    EventAction mAction;
    std::vector<int32_t> mCodes;
  } rows[] = {
      // Both special ranges with their ends, and the codes between and around them.
      {EventAction::kNone,
       {-131104, -1, 0, 0x20000, 0x20003, 0x20008, 0x2000D, 0x20012, 0x20014, 0x20015, 0x20019,
        0x2001F}},
      {EventAction::kRereadAdvanced, {0x20001, 0x20002}},
      {EventAction::kSpecialCommand, {0x20009, 0x2000B, 0x2000C, 0x20016, 0x20017, 0x20018}},
      {EventAction::kResendMode, {0x20013}},
      {EventAction::kApplFunction, {0x20020, 0x7FFFFFFF}},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    for (int32_t code : rows[row].mCodes) {
      EXPECT_EQ(static_cast<int>(classifyEventCode(code)), static_cast<int>(rows[row].mAction))
          << "row " << row << " code " << code;
    }
  }
}

// A read wakes the timer for a button's function or command and when the cap leaves rest, never for
// motion that goes on, a cap coming to rest or codes of no concern to the user-interface thread.
TEST_F(EventSlotTest, WakeUpTable) {
  const struct {
    int32_t mCode;
    int16_t mPrevious[6];
    int16_t mMotion[6];
    int16_t mThreshold;
    bool mIsToWake;
  } rows[] = {
      {-1, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, false},
      {-1, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 1}, 0, true},
      {-1, {0, 0, 0, 0, 0, 0}, {-1, 0, 0, 0, 0, 0}, 0, true},
      {-1, {0, 0, 0, 0, 0, 0}, {0, 0, -1, 0, 0, 0}, 1, false},
      {-1, {0, 0, 0, 0, 0, 0}, {0, 0, -2, 0, 0, 0}, 1, true},
      {-1, {0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0}, 0, false},
      {-1, {0, 0, 9, 0, 0, 0}, {0, 0, 9, 0, 0, 3}, 0, false},
      {-1, {0, 0, 1, 0, 0, 0}, {0, 5, 0, 0, 0, 0}, 1, true},
      {-1, {0, 0, 0, 0, 0, 0}, {-32768, 0, 0, 0, 0, 0}, 32767, true},
      {0x20009, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, true},
      {0x20018, {0, 7, 0, 0, 0, 0}, {0, 7, 0, 0, 0, 0}, 0, true},
      {0x20020, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, true},
      {0x20025, {1, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, 0, true},
      {0x20001, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, false},
      {0x20013, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, false},
      {0x20013, {0, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}, 0, true},
      {0x2001F, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, false},
  };
  for (size_t row = 0; row < sizeof(rows) / sizeof(rows[0]); ++row) {
    const bool wasAtRest = isCapAtRest(rows[row].mPrevious, rows[row].mThreshold);
    const bool isAtRest = isCapAtRest(rows[row].mMotion, rows[row].mThreshold);
    EXPECT_EQ(isPumpToWake(classifyEventCode(rows[row].mCode), wasAtRest, isAtRest),
              rows[row].mIsToWake)
        << "row " << row;
  }
}

// A value the reading thread stores while the user-interface thread takes must be either taken or
// replaced by a newer one; the newest of every burst must always arrive.
TEST_F(EventSlotTest, AValueStoredDuringATakeIsNeverLost) {
  constexpr int kRounds = 300;
  constexpr int kBurst = 50;
  std::atomic<bool> isWriting{false};
  for (int round = 0; round < kRounds; ++round) {
    std::vector<int32_t> taken;
    int32_t lastKey = 0;
    auto take = [&] {
      const Taken pass = takeAll(sAddin);
      if (pass.mMenuFncIdx >= 0) taken.push_back(pass.mMenuFncIdx);
      if (pass.mKeyEvent > 0) lastKey = pass.mKeyEvent;
    };
    isWriting = true;
    std::thread writer([&] {
      for (int value = 0; value < kBurst; ++value) {
        sAddin->storeEventCode(APPL_FUNC_START + value);
        sAddin->storeEventCode(KX_EV_SPECIAL_FIRST + value % 4);
      }
      isWriting = false;
    });
    while (isWriting) take();
    writer.join();
    take();
    ASSERT_FALSE(taken.empty()) << "round " << round;
    EXPECT_EQ(taken.back(), kBurst - 1) << "round " << round << ": the newest function was lost";
    EXPECT_EQ(lastKey, KX_EV_SPECIAL_FIRST + (kBurst - 1) % 4) << "round " << round;
    for (size_t i = 1; i < taken.size(); ++i) {
      ASSERT_LT(taken[i - 1], taken[i]) << "round " << round << ": a value was taken twice";
    }
  }
}

}  // namespace
