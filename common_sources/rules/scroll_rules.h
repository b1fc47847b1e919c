// Scrolling the control under the pointer with the cap: which controls, which direction and pace.
#pragma once

#include <cstdint>
#include <string>

enum ScrollTargetKind : int32_t { kScrollNone = 0, kScrollBarControl = 1, kWheelControl = 2 };

// By the window's class name, whole and case-sensitive; any other class is none.
ScrollTargetKind classifyScrollTarget(const std::string& className);

struct ScrollMotion {
  int32_t mVertical;    // tz, or -ty when ty is the larger
  int32_t mDeflection;  // the larger of |tx| and |vertical|: the pace
  bool mIsTie;          // |tx| = |vertical|: no direction
  bool mIsVertical;     // |tx| < |vertical|
  int32_t mDirection;   // the vertical value or tx; its sign is the direction
};
ScrollMotion scrollMotion(int32_t tx, int32_t ty, int32_t tz);

// A scroll bar without a usable range is left alone.
bool isScrollRangeUsable(int32_t nMin, int32_t nMax, uint32_t nPage);
// Line steps per tick: one per hundred of the range, 1 to 10.
int32_t scrollBarSteps(int32_t nMax);
// The line message's wParam for the direction (0 up or left, 1 down or right), or -1 at the end.
int32_t scrollLineCode(int32_t direction, int32_t nPos, uint32_t nPage, int32_t nMax);
// The wait after a step in ms: slower near rest; a scroll bar with a short range waits longer.
int32_t scrollWaitMs(int32_t deflection, bool isScrollBar, int32_t nMax);
// WM_MOUSEWHEEL's wParam: one notch up for a negative direction, one down for a positive one.
uint32_t wheelWParam(int32_t direction);
