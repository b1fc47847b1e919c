// The host bridge's cap motion: the per-tick dispatch, the view's axes and moving the selected
// components.
#include "creo_proxy.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "catalogue_paths.h"
#include "cnfg.h"
#include "daemon_proxy.h"
#include "device_read.h"
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

// A component selected in an assembly with move mode on keeps the cap with the plug-in.
bool CreoProxy::isSelectionToMove() {
  if (mCurrentMode != kAssemblyMode || !mObjectMoveMode) return false;
  ProMdl model = nullptr;
  ProSelection* selections = nullptr;
  ProMdlCurrentGet(&model);
  ProSelbufferSelectionsGet(&selections);
  const bool isSelection = selections != nullptr;
  // The buffer hands out a fresh array every time; give it back at once.
  if (selections) ProArrayFree(reinterpret_cast<ProArray*>(&selections));
  return isSelection;
}

// Who owns the cap this tick, decided on every tick, with or without a device link: the plug-in
// (a control to scroll under the pointer, or a selection to move) switches the host's own
// navigation off; otherwise it goes back on.
void CreoProxy::decideCapOwner() {
  const bool isSelection = isSelectionToMove();
  int32_t pointerX = 0;
  int32_t pointerY = 0;
  HWND target = nullptr;
  const bool isCapTaken = findScrollTarget(&pointerX, &pointerY, &target) > 0 || isSelection;
  DaemonProxy* daemon = mAddinP->mDaemonProxyP;
  if (!daemon) return;
  if (isCapTaken) {
    daemon->stopLegacyCom1();
  } else {
    daemon->resetLegacyCom1();
  }
}

// Each code taken just before it runs: when one throws, what comes after it stays pending.
void CreoProxy::runPendingCodes() {
  const int32_t menuFncIdx = mAddinP->takeMenuFncIdx();
  if (menuFncIdx >= 0) execApplFunction(menuFncIdx);
  const int32_t keyEvent = mAddinP->takeKeyEvent();
  if (keyEvent > 0) {
    KXLOG(LOG_INF) << "keyEvent: " << keyEvent << LOG_END;
    execSpecialApplFunction(keyEvent);
  }
}

bool CreoProxy::doTransform() {
  guard(KX_GUARD_SITE, [&] {
    const Settings& settings = mAddinP->mSettings;
    // Divisors that would be zero fall back to the defaults' values rather than dividing by zero.
    const int32_t transBase = settings.mTraSensBase / 500;
    const double transDivisor = transBase != 0 ? static_cast<double>(transBase) : 80.0;
    const double rotDivisor =
        settings.mRotSensBase != 0 ? static_cast<double>(settings.mRotSensBase) : 10000.0;
    const int16_t minThreshold = static_cast<int16_t>(settings.mMinThreshold & 0xFFFF);
    const uint32_t maxContMoveTime = static_cast<uint32_t>(settings.mMaxContMoveTime);
    const DWORD start = GetTickCount();
    uint32_t elapsed = 0;
    int32_t count = 0;

    KXLOG(LOG_INF) << "Do Transformation" << LOG_END;

    decideCapOwner();
    while (elapsed < maxContMoveTime) {
      elapsed = GetTickCount() - start;
      runPendingCodes();
      int16_t motion[6];
      mAddinP->takeMotion(motion);
      if (isCapAtRest(motion, minThreshold)) {
        if (sIsCapMoving) {
          sIsCapMoving = false;
          KXLOG(LOG_TRC) << "Cap released." << LOG_END;
        }
        break;
      }
      if (!sIsCapMoving) {
        sIsCapMoving = true;
        KXLOG(LOG_TRC) << "Cap moving." << LOG_END;
      }
      if (scrollUnderCursor(motion[0], motion[1], motion[2])) break;
      if (mCurrentMode != kAssemblyMode || !mObjectMoveMode) break;
      double x[3], y[3], z[3];
      getViewAxes(x, y, z);
      if (!transformSelection(motion[0] / transDivisor, motion[1] / transDivisor,
                              motion[2] / transDivisor, motion[3] / rotDivisor,
                              motion[4] / rotDivisor, motion[5] / rotDivisor, x, y, z)) {
        break;
      }
      ++count;
    }
    KXLOG(LOG_INF) << "Finished Transformation, cnt: " << count
                   << ", timeDiff: " << static_cast<int64_t>(elapsed) << LOG_END;
  });
  return sIsCapMoving;
}

void CreoProxy::getViewAxes(double x[3], double y[3], double z[3]) {
  // Without a view the host leaves the matrix as it was: the screen's axes are then the model's.
  ProMatrix view = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  sMoveCalls.viewMatrixGet(nullptr, nullptr, view);
  ProMatrix axes;
  viewAxesMatrix(view, axes);
  ProVector unit[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i) {
    x[i] = unit[0][i];
    y[i] = unit[1][i];
    z[i] = unit[2][i];
  }
  sMoveCalls.vectorTrfEval(unit[0], axes, x);
  sMoveCalls.vectorTrfEval(unit[1], axes, y);
  sMoveCalls.vectorTrfEval(unit[2], axes, z);
  normalize(x);
  normalize(y);
  normalize(z);
}

bool CreoProxy::transformSelection(double tx, double ty, double tz, double rx, double ry, double rz,
                                   const double x[3], const double y[3], const double z[3]) {
  const ObjectMoveCalls& host = sMoveCalls;
  ProMdl model = nullptr;
  ProSelection* selections = nullptr;
  bool isDynPosOn = false;
  bool isMoved = false;
  const bool isFinished = guard(KX_GUARD_SITE, [&] {
    int windowId = 0;
    host.windowCurrentGet(&windowId);
    host.mdlCurrentGet(&model);
    host.selbufferSelectionsGet(&selections);
    if (!selections) return;
    isDynPosOn = true;
    host.assemblyDynPosSet(model, PRO_B_TRUE);
    int count = 0;
    host.arraySizeGet(selections, &count);
    // The component at the top level of the assembly holding each selected item, and its
    // placement; asked anew in each pass, as the host is.
    auto component = [&](int index, ProAsmcomppath* path, ProAsmcomp* handle, ProMatrix placement) {
      *path = ProAsmcomppath();
      host.selectionAsmcomppathGet(selections[index], path);
      if (path->table_num < 1) return false;
      *handle = ProAsmcomp();
      host.featureInit(path->owner, path->comp_id_table[0], handle);
      host.asmcompPositionGet(handle, placement);
      return true;
    };
    OriginBox box;
    for (int i = 0; i < count; ++i) {
      ProAsmcomppath path;
      ProAsmcomp handle;
      ProMatrix placement = {};
      if (component(i, &path, &handle, placement)) box.add(placement[3]);
    }
    double centre[3];
    box.centre(centre);
    const double shift[3] = {tx, ty, tz};
    const double angles[3] = {rx, ry, rz};
    for (int i = 0; i < count; ++i) {
      ProAsmcomppath path;
      ProAsmcomp handle;
      ProMatrix placement = {};
      if (!component(i, &path, &handle, placement)) continue;
      ProMatrix moved;
      movedPlacement(placement, centre, shift, angles, x, y, z, moved);
      host.asmcompPositionSet(&path, &handle, moved);
      host.asmcompRegenerate(&handle, PRO_B_TRUE);
    }
    isDynPosOn = false;
    host.assemblyDynPosSet(model, PRO_B_FALSE);
    host.windowRefresh(windowId);
    // The buffer hands out a fresh array every time; give it back.
    host.arrayFree(reinterpret_cast<ProArray*>(&selections));
    isMoved = true;
  });
  if (isFinished) return isMoved;
  // What was moved stays moved, but the host is not left dragging: dynamic positioning goes off
  // again and the array goes back. Each is tried once more at most.
  try {
    if (isDynPosOn) host.assemblyDynPosSet(model, PRO_B_FALSE);
  } catch (...) {
  }
  try {
    if (selections) host.arrayFree(reinterpret_cast<ProArray*>(&selections));
  } catch (...) {
  }
  return false;
}
