// The host bridge: everything the plug-in does to the host, in the host's user-interface thread.
// A one-shot Win32 timer on a top-level window of that thread drives the per-tick work.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "creo_window_calls.h"
#include "pro_toolkit.h"
#include "pump_wake_window.h"

class CKxAddin;

// The host calls of an object move and of reading the view's axes. They default to the host's own;
// tests swap in recording ones.
struct ObjectMoveCalls {
  ProError (*windowCurrentGet)(int* windowId);
  ProError (*mdlCurrentGet)(ProMdl* model);
  ProError (*selbufferSelectionsGet)(ProSelection** selections);
  ProError (*assemblyDynPosSet)(ProAssembly assembly, ProBoolean on);
  ProError (*arraySizeGet)(ProArray array, int* size);
  ProError (*arrayFree)(ProArray* array);
  ProError (*selectionAsmcomppathGet)(ProSelection selection, ProAsmcomppath* path);
  ProError (*featureInit)(ProSolid owner, int id, ProFeature* feature);
  ProError (*asmcompPositionGet)(ProAsmcomp* component, ProMatrix position);
  ProError (*asmcompPositionSet)(ProAsmcomppath* path, ProAsmcomp* component, ProMatrix position);
  ProError (*asmcompRegenerate)(ProAsmcomp* component, ProBoolean updateSoft);
  ProError (*windowRefresh)(int windowId);
  ProError (*viewMatrixGet)(ProMdl model, ProView view, ProMatrix matrix);
  ProError (*vectorTrfEval)(ProVector in, ProMatrix matrix, ProVector out);
};

class CreoProxy {
 public:
  explicit CreoProxy(CKxAddin* addinP);
  ~CreoProxy();
  CreoProxy(const CreoProxy&) = delete;
  CreoProxy& operator=(const CreoProxy&) = delete;

  static VOID CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
  static BOOL CALLBACK MyEnumThreadWndProc(HWND window, LPARAM parameter);
  static BOOL CALLBACK isGraphicsWindow(HWND window, LPARAM parameter);
  void validateWindows();

  bool doTransform();
  void getViewAxes(double x[3], double y[3], double z[3]);
  void execApplFunction(int32_t index);
  void executeCommandByMapkey(std::string macro);
  void execSpecialApplFunction(int32_t code);
  bool transformSelection(double tx, double ty, double tz, double rx, double ry, double rz,
                          const double x[3], const double y[3], const double z[3]);
  int32_t findScrollTarget(int32_t* x, int32_t* y, HWND* window);
  bool scrollUnderCursor(int32_t tx, int32_t ty, int32_t tz);
  static HWND windowUnderPoint(POINT point);
  // The "Korvex" menu's check buttons and the host notifications; static, as the host calls them.
  static int toggleMoveModeAction(uiCmdCmdId command, uiCmdValue* value, void* data);
  static int toggleScrollModeAction(uiCmdCmdId command, uiCmdValue* value, void* data);
  static int moveModeValue(uiCmdCmdId command, uiCmdValue* value);
  static int scrollModeValue(uiCmdCmdId command, uiCmdValue* value);
  static uiCmdAccessState moveModeAccess(uiCmdAccessMode mode);
  static uiCmdAccessState scrollModeAccess(uiCmdAccessMode mode);
  static ProError onNotifyCheckWindows();
  static ProError onNotifyCheckMode();

  bool loadMenufile();
  bool createMNUFile(const std::string& path);
  void getLoadpointAndLanguage(std::string& loadPoint, std::string& language);
  int32_t checkMode(bool keepOnWindowChange);
  std::string getCurrentModeName();

  CKxAddin* mAddinP;
  std::atomic<bool> mIsTimerOn;
  int32_t mTimerWndHandle;
  int32_t mPGLWndHandle;
  std::atomic<bool> mIsRefitAfterViewCmd;
  // Below 0 before the catalogue step, 0..1 while it is built, exactly 1 once loading has ended.
  std::atomic<double> mMnuProgress;
  std::atomic<int> mCurrentMode;
  bool mObjectMoveMode;
  // The [Modes] keys of the menu file; published whole, since the reading thread asks for names
  // as soon as the catalogue step is over.
  std::shared_ptr<const std::vector<std::string>> mModeNames;
  std::vector<std::string> mMenuCommands;
  // The current window at the last checkMode(false); no host window has the id -1.
  int32_t mLastWindowId;
  bool mUseMapkey;
  std::string mMapkeyName;
  // Each run of backslashes doubled, as the mapkey's macro text spells it.
  std::string mTrailFilePath;

  static CreoProxy* sInstanceP;
  static bool sIsCapMoving;
  // The window calls in use, and the system's to go back to.
  static CreoWindowCalls sWindowCalls;
  static const CreoWindowCalls kWin32WindowCalls;

  static constexpr UINT_PTR kTimerId = 99;
  static constexpr UINT kIntervalAtRestMs = 100;
  static constexpr UINT kIntervalMovingMs = 10;
  static constexpr int kAssemblyMode = 5;

  // The reading thread's wake-up of the pump: a button or the cap leaving rest runs the tick now
  // rather than at the timer's next expiry. Callable from any thread; at most one wake-up waits.
  void wakePump() { mWakeWindow.post(); }
  // Runs the tick for a wake-up, in the user-interface thread.
  static void onWake();
  PumpWakeWindow mWakeWindow;
  // Set while a tick runs, so a wake-up dispatched inside one waits for its end.
  bool mIsInTick;
  bool mIsWakeDeferred;
  // Set while the timer is set; a stopped or unarmed pump is not started by a wake-up.
  bool mIsPumpArmed;

  static ObjectMoveCalls sMoveCalls;
  static const ObjectMoveCalls kHostMoveCalls;

 private:
  // Where a guarded body runs: the source file (the log's file filter and file column), the line
  // and the method's signature (the method column, and the method named in the error text).
  struct GuardSite {
    const char* mFile;
    int mLine;
    const char* mSignature;
  };
  // Runs the body of a method the host calls, or that a host call may throw through. No exception
  // may reach the host: one that escapes the body is logged as the error "Error <method>()" and
  // swallowed. False when the body threw.
  template <typename Body>
  static bool guard(const GuardSite& site, Body&& body) {
    try {
      body();
      return true;
    } catch (...) {
      logEscapedException(site);
    }
    return false;
  }
  static void logEscapedException(const GuardSite& site);
  static HWND toWindow(int32_t handle);
  static int32_t toHandle(HWND window);
  bool isSelectionToMove();
  void decideCapOwner();
  void runPendingCodes();
  void registerMenu();
  void defineMapkey();
  void discoverWindows();
  void armTimer(UINT intervalMs);
};

// The place of a guarded body, taken where it is written (the log's KX_FUNCTION_SIGNATURE).
#define KX_GUARD_SITE \
  GuardSite { __FILE__, __LINE__, KX_FUNCTION_SIGNATURE }
