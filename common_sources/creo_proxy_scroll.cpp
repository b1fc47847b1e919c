// The host bridge's scrolling of the control under the pointer.
#include "creo_proxy.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "catalogue_paths.h"
#include "cnfg.h"
#include "daemon_proxy.h"
#include "kx_addin.h"
#include "logging.h"
#include "macro_text.h"
#include "mapkey_text.h"
#include "matrix_ops.h"
#include "menu_file.h"
#include "mnu_parser.h"
#include "mode_tracking.h"
#include "object_move.h"
#include "pro_toolkit.h"
#include "progress_window.h"
#include "scroll_rules.h"
#include "sleep_ms.h"
#include "view_commands.h"

int32_t CreoProxy::findScrollTarget(int32_t* x, int32_t* y, HWND* window) {
  try {
    if (!mAddinP->mSettings.mScrollTreeAndList) return kScrollNone;
    POINT point = {0, 0};
    sWindowCalls.getCursorPos(&point);
    *x = point.x;
    *y = point.y;
    *window = windowUnderPoint(point);
    if (!*window) return kScrollNone;
    // Controls of inactive windows and of other applications are left alone.
    const HWND root = sWindowCalls.getAncestor(*window, GA_ROOT);
    if (root && root != sWindowCalls.getForegroundWindow()) return kScrollNone;
    char className[255] = "";
    sWindowCalls.getClassNameA(*window, className, sizeof(className));
    return classifyScrollTarget(className);
  } catch (...) {
  }
  return kScrollNone;
}

HWND CreoProxy::windowUnderPoint(POINT point) {
  // WindowFromPoint alone misses the smaller of overlapping siblings.
  const CreoWindowCalls& calls = sWindowCalls;
  HWND best = calls.windowFromPoint(point);
  if (!best) return nullptr;
  RECT bestRect = {};
  calls.getWindowRect(best, &bestRect);
  HWND parent = calls.getParent(best);
  if (!parent) return best;
  HWND candidate = calls.getWindow(best, GW_HWNDNEXT);
  for (;;) {
    bool found = false;
    for (; candidate; candidate = calls.getWindow(candidate, GW_HWNDNEXT)) {
      RECT r = {};
      calls.getWindowRect(candidate, &r);
      const int32_t area = (r.bottom - r.top) * (r.right - r.left);
      const int32_t bestArea = (bestRect.bottom - bestRect.top) * (bestRect.right - bestRect.left);
      if (PtInRect(&r, point) && calls.getParent(candidate) == parent &&
          calls.isWindowVisible(candidate) && area < bestArea) {
        best = candidate;
        bestRect = r;
        found = true;
      }
    }
    if (!found) return best;
    candidate = calls.getWindow(best, GW_CHILD);
    if (!candidate) return best;
    parent = best;
  }
}

bool CreoProxy::scrollUnderCursor(int32_t tx, int32_t ty, int32_t tz) {
  try {
    int32_t x = 0;
    int32_t y = 0;
    HWND window = nullptr;
    const int32_t kind = findScrollTarget(&x, &y, &window);
    const ScrollMotion motion = scrollMotion(tx, ty, tz);
    if (kind == kScrollBarControl) {
      if (motion.mIsTie) return true;
      const int bar = motion.mIsVertical ? SB_VERT : SB_HORZ;
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
      sWindowCalls.getScrollInfo(window, bar, &info);
      if (!isScrollRangeUsable(info.nMin, info.nMax, info.nPage)) return false;
      const UINT message = motion.mIsVertical ? WM_VSCROLL : WM_HSCROLL;
      // The position is not read again between the steps of one tick.
      const int32_t line = scrollLineCode(motion.mDirection, info.nPos, info.nPage, info.nMax);
      const int32_t steps = scrollBarSteps(info.nMax);
      for (int32_t step = 0; step < steps && line >= 0; ++step) {
        sWindowCalls.sendMessageA(window, message, static_cast<WPARAM>(line), 0);
      }
      sWindowCalls.sleep(scrollWaitMs(motion.mDeflection, true, info.nMax));
      return true;
    }
    if (kind == kWheelControl) {
      if (!motion.mIsTie) {
        const LPARAM position = static_cast<LPARAM>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                                                    static_cast<uint32_t>(x & 0xFFFF));
        sWindowCalls.postMessageA(window, WM_MOUSEWHEEL, wheelWParam(motion.mDirection), position);
        sWindowCalls.updateWindow(window);
        sWindowCalls.redrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
      }
      sWindowCalls.sleep(scrollWaitMs(motion.mDeflection, false, 0));
      return true;
    }
  } catch (...) {
  }
  return false;
}
