#include "scroll_rules.h"

#include <cstdlib>

ScrollTargetKind classifyScrollTarget(const std::string& className) {
  static const struct {
    const char* mClass;
    ScrollTargetKind mKind;
  } kClasses[] = {
      {"SysTreeView32", kScrollBarControl},
      {"TreeView", kScrollBarControl},
      {"SysListView32", kScrollBarControl},
      {"ListBox", kScrollBarControl},
      {"Edit", kScrollBarControl},
      {"GXWND", kScrollBarControl},
      {"ToolbarWindow32", kWheelControl},
      {"uintGraphDrawArea", kWheelControl},
      {"List", kWheelControl},
      {"Tree", kWheelControl},
      {"Internet Explorer_Server", kWheelControl},
  };
  for (const auto& entry : kClasses)
    if (className == entry.mClass) return entry.mKind;
  return kScrollNone;
}

ScrollMotion scrollMotion(int32_t tx, int32_t ty, int32_t tz) {
  ScrollMotion motion;
  motion.mVertical = std::abs(ty) > std::abs(tz) ? -ty : tz;
  const int32_t horizontal = std::abs(tx);
  const int32_t vertical = std::abs(motion.mVertical);
  motion.mDeflection = horizontal > vertical ? horizontal : vertical;
  motion.mIsTie = horizontal == vertical;
  motion.mIsVertical = horizontal < vertical;
  motion.mDirection = motion.mIsVertical ? motion.mVertical : tx;
  return motion;
}

bool isScrollRangeUsable(int32_t nMin, int32_t nMax, uint32_t nPage) {
  return nMin >= 0 && nMax >= 0 && nMin < nMax && nPage != 0;
}

int32_t scrollBarSteps(int32_t nMax) {
  const int32_t steps = nMax / 100;
  return steps < 1 ? 1 : (steps > 10 ? 10 : steps);
}

int32_t scrollLineCode(int32_t direction, int32_t nPos, uint32_t nPage, int32_t nMax) {
  if (direction < 0 && nPos > 0) return 0;
  if (direction > 0 && static_cast<int64_t>(nPage) + nPos <= nMax) return 1;
  return -1;
}

int32_t scrollWaitMs(int32_t deflection, bool isScrollBar, int32_t nMax) {
  int32_t wait = 150 - deflection / 2;
  if (wait < 1) wait = 1;
  if (isScrollBar && nMax < 50) wait += 50 - nMax;
  return wait;
}

uint32_t wheelWParam(int32_t direction) { return direction < 0 ? 0x00780000u : 0xFF880000u; }
