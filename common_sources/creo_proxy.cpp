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

CreoProxy* CreoProxy::sInstanceP = nullptr;
bool CreoProxy::sIsCapMoving = false;

const ObjectMoveCalls CreoProxy::kHostMoveCalls = {
    ProWindowCurrentGet,   ProMdlCurrentGet,      ProSelbufferSelectionsGet,  ProAssemblyDynPosSet,
    ProArraySizeGet,       ProArrayFree,          ProSelectionAsmcomppathGet, ProFeatureInit,
    ProAsmcompPositionGet, ProAsmcompPositionSet, ProAsmcompRegenerate,       ProWindowRefresh,
    ProViewMatrixGet,      ProVectorTrfEval,
};
ObjectMoveCalls CreoProxy::sMoveCalls = CreoProxy::kHostMoveCalls;

namespace {

// Handles are kept as 32-bit values, as the host hands them around; widen with the sign.
HWND toWindow(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }
int32_t toHandle(HWND window) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(window)); }

// The host reads the menu's and buttons' labels from this file in the plug-in's text folder.
wchar_t kMessageFile[] = L"Korvex.txt";

// Window and model changes make the plug-in look at its windows and the mode; popup menus only at
// the mode.
const ProNotifyType kWindowNotifications[] = {PRO_WINDOW_CHANGE_POST, PRO_MDL_CREATE_POST,
                                              PRO_MDL_RETRIEVE_POST};
const ProNotifyType kModeNotifications[] = {PRO_POPUPMENU_CREATE_POST, PRO_POPUPMENU_DESTROY_PRE};

// The host's menu functions take writable texts.
char* text(const char* literal) { return const_cast<char*>(literal); }

}  // namespace

CreoProxy::CreoProxy(CKxAddin* addinP)
    : mAddinP(addinP),
      mIsTimerOn(true),
      mTimerWndHandle(0),
      mPGLWndHandle(0),
      mIsRefitAfterViewCmd(false),
      mMnuProgress(-1.0),
      mCurrentMode(-1),
      mObjectMoveMode(false),
      mModeNames(std::make_shared<const std::vector<std::string>>()),
      mLastWindowId(PRO_VALUE_UNUSED),
      mUseMapkey(false),
      mWakeWndHandle(nullptr),
      mIsWakePosted(false),
      mIsInTick(false),
      mIsWakeDeferred(false),
      mIsPumpArmed(false) {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  sInstanceP = this;
  discoverWindows();
  createWakeWindow();
  registerMenu();
  if (mAddinP->mSettings.mUseMapkeyForCommands) defineMapkey();
  KXLOG(LOG_CRT) << "CreoProxy constructed." << LOG_END;
}

CreoProxy::~CreoProxy() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  mIsTimerOn = false;
  if (mTimerWndHandle >= 1) KillTimer(toWindow(mTimerWndHandle), kTimerId);
  mIsPumpArmed = false;
  destroyWakeWindow();
  // The host would call into a freed module the next time one of them fires.
  for (ProNotifyType type : kWindowNotifications) ProNotificationUnset(type);
  for (ProNotifyType type : kModeNotifications) ProNotificationUnset(type);
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
  if (sInstanceP == this) sInstanceP = nullptr;
}

void CreoProxy::registerMenu() {
  uiCmdCmdId moveCmdId = nullptr;
  uiCmdCmdId scrollCmdId = nullptr;
  ProCmdOptionAdd(text("Korvex_ToggleMoveMode"), &CreoProxy::toggleMoveModeAction, PRO_B_TRUE,
                  &CreoProxy::moveModeValue, &CreoProxy::moveModeAccess, PRO_B_TRUE, PRO_B_TRUE,
                  &moveCmdId);
  ProCmdOptionAdd(text("Korvex_ToggleScrollMode"), &CreoProxy::toggleScrollModeAction, PRO_B_TRUE,
                  &CreoProxy::scrollModeValue, &CreoProxy::scrollModeAccess, PRO_B_TRUE, PRO_B_TRUE,
                  &scrollCmdId);
  ProMenubarMenuAdd(text("Korvex"), text("Korvex"), text("Help"), PRO_B_FALSE, kMessageFile);
  ProMenubarmenuChkbuttonAdd(text("Korvex"), text("Toggle Move Mode"), text("Toggle Move Mode"),
                             text("Toggle Move Mode"), nullptr, PRO_B_TRUE, moveCmdId,
                             kMessageFile);
  ProMenubarmenuChkbuttonAdd(text("Korvex"), text("Toggle Scroll Mode"), text("Toggle Scroll Mode"),
                             text("Toggle Scroll Mode"), nullptr, PRO_B_TRUE, scrollCmdId,
                             kMessageFile);
  ProCmdDesignate(moveCmdId, text("Toggle Move Mode"), text("Toggle Move Mode"),
                  text("Toggle Move Mode"), kMessageFile);
  ProCmdDesignate(scrollCmdId, text("Toggle Scroll Mode"), text("Toggle Scroll Mode"),
                  text("Toggle Scroll Mode"), kMessageFile);
  for (ProNotifyType type : kWindowNotifications)
    ProNotificationSet(type, &CreoProxy::onNotifyCheckWindows);
  for (ProNotifyType type : kModeNotifications)
    ProNotificationSet(type, &CreoProxy::onNotifyCheckMode);
}

void CreoProxy::defineMapkey() {
  mUseMapkey = true;
  mMapkeyName = mapkeyKeyString(mAddinP->mSettings.getMapkeyDefinition());
  char tempDir[255] = "";
  const DWORD length = GetTempPathA(sizeof(tempDir), tempDir);
  // A folder too long for the buffer leaves it unfilled: take it as none.
  if (length == 0 || length >= sizeof(tempDir)) tempDir[0] = 0;
  mTrailFilePath = doubleBackslashRuns(trailFilePathIn(tempDir));
  const std::string definition = mapkeyDefinition(mMapkeyName, mTrailFilePath);
  ProError result = PRO_TK_BAD_INPUTS;
  if (fitsMapkeyBuffer(definition)) {
    wchar_t wideDefinition[kMapkeyDefinitionChars];
    ProStringToWstring(wideDefinition, const_cast<char*>(definition.c_str()));
    wchar_t option[] = L"mapkey";
    result = ProConfigoptSet(option, wideDefinition);
  } else {
    KXLOG(LOG_ERR) << "Mapkey definition with trailfile " << mTrailFilePath << " has "
                   << static_cast<int64_t>(definition.size()) << " characters, more than "
                   << static_cast<int64_t>(kMapkeyDefinitionChars - 1) << "!" << LOG_END;
  }
  if (result == PRO_TK_NO_ERROR) {
    KXLOG(LOG_TRC) << "Mapkey (" << mMapkeyName << ") is set successfully to trailfile "
                   << mTrailFilePath << "!" << LOG_END;
  } else {
    KXLOG(LOG_ERR) << "Cannot set Mapkey (" << mMapkeyName << ")! => Normal Methode" << LOG_END;
    mUseMapkey = false;
  }
}

int CreoProxy::toggleMoveModeAction(uiCmdCmdId, uiCmdValue* value, void*) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return 0;
  try {
    proxy->mObjectMoveMode = !proxy->mObjectMoveMode;
    ProCmdChkbuttonValueSet(value, proxy->mObjectMoveMode ? PRO_B_TRUE : PRO_B_FALSE);
    return proxy->mObjectMoveMode ? 1 : 0;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error toggleMoveModeAction()" << LOG_END;
  }
  return 0;
}

int CreoProxy::toggleScrollModeAction(uiCmdCmdId, uiCmdValue* value, void*) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return 0;
  try {
    // Kept in memory; the settings file gets it at shutdown.
    bool& isOn = proxy->mAddinP->mSettings.mScrollTreeAndList;
    isOn = !isOn;
    ProCmdChkbuttonValueSet(value, isOn ? PRO_B_TRUE : PRO_B_FALSE);
    return isOn ? 0 : 1;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error toggleScrollModeAction()" << LOG_END;
  }
  return 0;
}

int CreoProxy::moveModeValue(uiCmdCmdId, uiCmdValue* value) {
  CreoProxy* proxy = sInstanceP;
  if (proxy) ProCmdChkbuttonValueSet(value, proxy->mObjectMoveMode ? PRO_B_TRUE : PRO_B_FALSE);
  return -1;
}

int CreoProxy::scrollModeValue(uiCmdCmdId, uiCmdValue* value) {
  CreoProxy* proxy = sInstanceP;
  if (proxy) {
    ProCmdChkbuttonValueSet(
        value, proxy->mAddinP->mSettings.mScrollTreeAndList ? PRO_B_TRUE : PRO_B_FALSE);
  }
  return -1;
}

uiCmdAccessState CreoProxy::moveModeAccess(uiCmdAccessMode) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return ACCESS_UNAVAILABLE;
  try {
    // The host may have rebuilt its windows since the last look.
    proxy->validateWindows();
    return proxy->checkMode(true) == kAssemblyMode ? ACCESS_AVAILABLE : ACCESS_UNAVAILABLE;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error moveModeAccess()" << LOG_END;
  }
  return ACCESS_UNAVAILABLE;
}

uiCmdAccessState CreoProxy::scrollModeAccess(uiCmdAccessMode) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return ACCESS_AVAILABLE;
  try {
    proxy->validateWindows();
    proxy->checkMode(true);
  } catch (...) {
    KXLOG(LOG_ERR) << "Error scrollModeAccess()" << LOG_END;
  }
  return ACCESS_AVAILABLE;
}

ProError CreoProxy::onNotifyCheckWindows() {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return PRO_TK_NO_ERROR;
  try {
    proxy->validateWindows();
    proxy->checkMode(false);
  } catch (...) {
    KXLOG(LOG_ERR) << "Error onNotifyCheckWindows()" << LOG_END;
  }
  return PRO_TK_NO_ERROR;
}

ProError CreoProxy::onNotifyCheckMode() {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return PRO_TK_NO_ERROR;
  try {
    proxy->checkMode(false);
  } catch (...) {
    KXLOG(LOG_ERR) << "Error onNotifyCheckMode()" << LOG_END;
  }
  return PRO_TK_NO_ERROR;
}

void CreoProxy::discoverWindows() {
  EnumThreadWindows(GetCurrentThreadId(), &CreoProxy::MyEnumThreadWndProc, 0);
}

void CreoProxy::armTimer(UINT intervalMs) {
  mIsPumpArmed =
      SetTimer(toWindow(mTimerWndHandle), kTimerId, intervalMs, &CreoProxy::TimerProc) != 0;
}

namespace {

HINSTANCE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&CreoProxy::wakeWndProc), &module);
  return module;
}

}  // namespace

void CreoProxy::createWakeWindow() {
  // Off only to measure the timer's own pace beside it.
  const char* setting = std::getenv("KX_PUMP_WAKE");
  if (setting && std::strcmp(setting, "off") == 0) return;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &CreoProxy::wakeWndProc;
  windowClass.hInstance = ownModule();
  windowClass.lpszClassName = kWakeClassName;
  // A class left behind by an earlier copy of the module would call into wherever that copy was.
  if (!RegisterClassExW(&windowClass)) {
    UnregisterClassW(kWakeClassName, windowClass.hInstance);
    if (!RegisterClassExW(&windowClass)) {
      KXLOG(LOG_ERR) << "Cannot register the timer's wake-up window class, error "
                     << static_cast<int64_t>(GetLastError()) << LOG_END;
      return;
    }
  }
  const HWND window = CreateWindowExW(0, kWakeClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  if (!window) {
    KXLOG(LOG_ERR) << "Cannot create the timer's wake-up window, error "
                   << static_cast<int64_t>(GetLastError()) << LOG_END;
    UnregisterClassW(kWakeClassName, windowClass.hInstance);
    return;
  }
  mWakeWndHandle = window;
}

void CreoProxy::destroyWakeWindow() {
  const HWND window = mWakeWndHandle.exchange(nullptr);
  if (!window) return;
  DestroyWindow(window);
  // The class points into this module, which the host may unload next.
  UnregisterClassW(kWakeClassName, ownModule());
}

void CreoProxy::wakePump() {
  const HWND window = mWakeWndHandle;
  if (!window || mIsWakePosted.exchange(true)) return;
  if (!PostMessageW(window, kWakeMessage, 0, 0)) mIsWakePosted = false;
}

LRESULT CALLBACK CreoProxy::wakeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWakeMessage) return DefWindowProcW(window, message, wParam, lParam);
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return 0;
  // Cleared first: what the reading thread stores from now on wakes the pump again.
  proxy->mIsWakePosted = false;
  if (proxy->mIsInTick) {
    proxy->mIsWakeDeferred = true;
    return 0;
  }
  if (!proxy->mIsPumpArmed || !proxy->mIsTimerOn) return 0;
  try {
    KXLOG(LOG_INF) << "Timer woken" << LOG_END;
  } catch (...) {
  }
  TimerProc(toWindow(proxy->mTimerWndHandle), WM_TIMER, kTimerId, GetTickCount());
  return 0;
}

namespace {

// The plug-in's own windows (the timer's wake-up window, the progress window) belong to no host
// and may go before the plug-in does; whether the system lists them among the thread's windows is
// its own affair.
bool isOwnWindow(HWND window, HWND wakeWindow) {
  if (window == wakeWindow) return true;
  char className[64] = "";
  GetClassNameA(window, className, sizeof(className));
  return std::strcmp(className, ProgressWindow::kClassName) == 0;
}

}  // namespace

BOOL CALLBACK CreoProxy::MyEnumThreadWndProc(HWND window, LPARAM) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return FALSE;
  if (isOwnWindow(window, proxy->mWakeWndHandle)) return TRUE;
  if (proxy->mTimerWndHandle == 0) {
    proxy->mTimerWndHandle = toHandle(window);
    if (proxy->mTimerWndHandle < 1) {
      KXLOG(LOG_ERR) << "No valid Creo Window Handle found for Timer" << LOG_END;
    } else {
      KXLOG(LOG_DBG) << "Window Handle found for Timer: " << proxy->mTimerWndHandle << LOG_END;
      proxy->armTimer(kIntervalAtRestMs);
    }
  }
  EnumChildWindows(window, &CreoProxy::isGraphicsWindow, 0);
  return proxy->mTimerWndHandle < 1 || proxy->mPGLWndHandle < 1;
}

BOOL CALLBACK CreoProxy::isGraphicsWindow(HWND window, LPARAM) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return FALSE;
  char className[256] = "";
  sWindowCalls.getClassNameA(window, className, sizeof(className));
  if (std::strcmp(className, "PGLWindow") == 0 || std::strcmp(className, "PGL_STD_WN_CLASS") == 0) {
    proxy->mPGLWndHandle = toHandle(window);
    return FALSE;
  }
  // EnumChildWindows already walks the whole subtree depth first; enumerating each child's own
  // children again would look at a window once per ancestor, exponential in the depth.
  return TRUE;
}

void CreoProxy::validateWindows() {
  if (mTimerWndHandle >= 1 && mPGLWndHandle >= 1 && IsWindow(toWindow(mTimerWndHandle)) &&
      IsWindow(toWindow(mPGLWndHandle))) {
    return;
  }
  // The discovery arms the timer on the window it finds first; the old one must not tick on beside
  // it, nor outlive the plug-in on a window the destructor no longer knows.
  if (mTimerWndHandle >= 1) KillTimer(toWindow(mTimerWndHandle), kTimerId);
  // Armed again only if the discovery finds a window; a wake-up meanwhile must not tick.
  mIsPumpArmed = false;
  mTimerWndHandle = 0;
  mPGLWndHandle = 0;
  discoverWindows();
}

VOID CALLBACK CreoProxy::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return;
  proxy->mIsInTick = true;
  try {
    KXLOG(LOG_INF) << "Timer Callback start" << LOG_END;
    KillTimer(toWindow(proxy->mTimerWndHandle), kTimerId);
    proxy->mIsPumpArmed = false;
    proxy->mAddinP->mSettingsReload.poll(GetTickCount64());
    if (proxy->mAddinP->mSettings.mIsModeToRead) proxy->checkMode(false);
    if (proxy->mMnuProgress != 1.0) proxy->loadMenufile();
    proxy->doTransform();
    if (proxy->mIsTimerOn) {
      const UINT interval = sIsCapMoving ? kIntervalMovingMs : kIntervalAtRestMs;
      KXLOG(LOG_DBG) << "timerIntvl: " << static_cast<int32_t>(interval) << LOG_END;
      proxy->armTimer(interval);
    }
    KXLOG(LOG_INF) << "Timer Callback end" << LOG_END;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error TimerProc()" << LOG_END;
  }
  proxy->mIsInTick = false;
  if (proxy->mIsWakeDeferred) {
    proxy->mIsWakeDeferred = false;
    proxy->wakePump();
  }
}

bool CreoProxy::doTransform() {
  try {
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

    bool isSelection = false;
    if (mCurrentMode == kAssemblyMode && mObjectMoveMode) {
      ProMdl model = nullptr;
      ProSelection* selections = nullptr;
      ProMdlCurrentGet(&model);
      ProSelbufferSelectionsGet(&selections);
      isSelection = selections != nullptr;
      // The buffer hands out a fresh array every time; give it back at once.
      if (selections) ProArrayFree(reinterpret_cast<ProArray*>(&selections));
    }

    DaemonProxy* daemon = mAddinP->mDaemonProxyP;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    HWND target = nullptr;
    // Decided on every tick, with or without a device link.
    const bool isCapTaken = findScrollTarget(&pointerX, &pointerY, &target) > 0 || isSelection;
    if (daemon) {
      if (isCapTaken) {
        daemon->stopLegacyCom1();
      } else {
        daemon->resetLegacyCom1();
      }
    }

    while (elapsed < maxContMoveTime) {
      elapsed = GetTickCount() - start;
      // Each taken just before it runs: when one throws, what comes after it stays pending.
      const int32_t menuFncIdx = mAddinP->takeMenuFncIdx();
      if (menuFncIdx >= 0) execApplFunction(menuFncIdx);
      const int32_t keyEvent = mAddinP->takeKeyEvent();
      if (keyEvent > 0) {
        KXLOG(LOG_INF) << "keyEvent: " << keyEvent << LOG_END;
        execSpecialApplFunction(keyEvent);
      }
      int16_t m[6];
      mAddinP->takeMotion(m);
      bool isAtRest = true;
      for (int axis = 0; axis < 6; ++axis) {
        if (std::abs(static_cast<int>(m[axis])) > minThreshold) isAtRest = false;
      }
      if (isAtRest) {
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
      if (scrollUnderCursor(m[0], m[1], m[2])) break;
      if (mCurrentMode != kAssemblyMode || !mObjectMoveMode) break;
      double x[3], y[3], z[3];
      getViewAxes(x, y, z);
      if (!transformSelection(m[0] / transDivisor, m[1] / transDivisor, m[2] / transDivisor,
                              m[3] / rotDivisor, m[4] / rotDivisor, m[5] / rotDivisor, x, y, z)) {
        break;
      }
      ++count;
    }
    KXLOG(LOG_INF) << "Finished Transformation, cnt: " << count
                   << ", timeDiff: " << static_cast<int64_t>(elapsed) << LOG_END;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error doTransform()" << LOG_END;
  }
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

void CreoProxy::execApplFunction(int32_t index) {
  const int32_t count = static_cast<int32_t>(mMenuCommands.size());
  if (index >= count) {
    KXLOG(LOG_ERR) << "menuFncIdx (" << index << "') too big (max. is " << count - 1 << ")!"
                   << LOG_END;
    return;
  }
  const std::string& name = mMenuCommands[index];
  if (name == "KX_Toggle_Object_Move_Mode") {
    mObjectMoveMode = !mObjectMoveMode;
    return;
  }
  if (name == "KX_Toggle_Scroll_Mode") {
    mAddinP->mSettings.mScrollTreeAndList = !mAddinP->mSettings.mScrollTreeAndList;
    return;
  }
  const std::string macro = buildMacroText(name);
  KXLOG(LOG_TRC) << "macro: " << macro << LOG_END;
  if (mUseMapkey) {
    executeCommandByMapkey(macro);
    return;
  }
  wchar_t wideMacro[kMacroChars];
  if (!fitsMacroBuffer(macro)) {
    KXLOG(LOG_ERR) << "Macro with " << static_cast<int64_t>(macro.size())
                   << " characters is too long (max. is " << static_cast<int32_t>(kMacroChars - 1)
                   << ")!" << LOG_END;
    return;
  }
  ProStringToWstring(wideMacro, const_cast<char*>(macro.c_str()));
  const ProError result = ProMacroLoad(wideMacro);
  if (result != 0) {
    std::printf("Error in ProMacroLoad()! err=%d\n", result);
    std::fflush(stdout);
  }
}

void CreoProxy::executeCommandByMapkey(std::string macro) {
  try {
    // The keys would reach whichever application is in front: only the host's own window may be.
    const HWND active = GetActiveWindow();
    const HWND root = active ? GetAncestor(active, GA_ROOT) : nullptr;
    DWORD process = 0;
    if (root) GetWindowThreadProcessId(root, &process);
    if (!root || process != GetCurrentProcessId()) {
      KXLOG(LOG_TRC) << "executeCommandByMapkey, but Creo is not activ window..." << LOG_END;
      return;
    }
    // Text mode: the host reads its trail files with CR LF line ends.
    std::ofstream trail(mTrailFilePath, std::ios::out | std::ios::trunc);
    KXLOG(LOG_TRC) << "Writing new trail file ..." << LOG_END;
    if (!trail) {
      KXLOG(LOG_ERR) << "Cannot write trail file '" << mTrailFilePath << "' failed!" << LOG_END;
      return;
    }
    trail << "!trail file version No. 1500" << std::endl;
    trail << macro << std::endl;
    trail << "!End of Trail File" << std::endl;
    trail.close();
    KXLOG(LOG_TRC) << "Trail file written." << LOG_END;
    // Posted, not sent: the host runs the mapkey once this tick has returned.
    const HWND graphics = toWindow(mPGLWndHandle);
    for (char ch : mMapkeyName) {
      const WPARAM key = static_cast<WPARAM>(VkKeyScanA(ch) & 0xFF);
      PostMessageA(graphics, WM_KEYDOWN, key, 1);
      PostMessageA(graphics, WM_CHAR, static_cast<unsigned char>(ch), 1);
      PostMessageA(graphics, WM_KEYUP, key, 0xC0000001);
    }
    char handle[32] = "";
    std::snprintf(handle, sizeof(handle), "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(graphics)));
    KXLOG(LOG_TRC) << "Mapkey command " << mMapkeyName << " sent to mPGLWndHandle 0x" << handle
                   << "." << LOG_END;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error executeCommandByMapkey()" << LOG_END;
  }
}

void CreoProxy::execSpecialApplFunction(int32_t code) {
  try {
    KXLOG(LOG_TMP) << "Execute special function " << code << " ... " << LOG_END;
    if (code == KX_EV_SPECIAL_LAST) {
      ProViewRefit(nullptr, nullptr);
      return;
    }
    ProMatrix view;
    if (standardViewMatrix(code, view)) {
      ProViewMatrixSet(nullptr, nullptr, view);
      ProWindowRefresh(PRO_VALUE_UNUSED);
    } else {
      KXLOG(LOG_ERR) << "Unknown special command '" << code << "' found!" << LOG_END;
    }
    if (mIsRefitAfterViewCmd) ProViewRefit(nullptr, nullptr);
  } catch (...) {
    KXLOG(LOG_ERR) << "Error execSpecialApplFunction()" << LOG_END;
  }
}

bool CreoProxy::transformSelection(double tx, double ty, double tz, double rx, double ry, double rz,
                                   const double x[3], const double y[3], const double z[3]) {
  const ObjectMoveCalls& host = sMoveCalls;
  ProMdl model = nullptr;
  ProSelection* selections = nullptr;
  bool isDynPosOn = false;
  try {
    int windowId = 0;
    host.windowCurrentGet(&windowId);
    host.mdlCurrentGet(&model);
    host.selbufferSelectionsGet(&selections);
    if (!selections) return false;
    isDynPosOn = true;
    host.assemblyDynPosSet(model, PRO_B_TRUE);
    int count = 0;
    host.arraySizeGet(selections, &count);
    // The component at the top level of the assembly holding each selected item.
    auto component = [&](int index, ProAsmcomppath* path, ProAsmcomp* handle) {
      *path = ProAsmcomppath();
      host.selectionAsmcomppathGet(selections[index], path);
      if (path->table_num < 1) return false;
      *handle = ProAsmcomp();
      host.featureInit(path->owner, path->comp_id_table[0], handle);
      return true;
    };
    OriginBox box;
    for (int i = 0; i < count; ++i) {
      ProAsmcomppath path;
      ProAsmcomp handle;
      if (!component(i, &path, &handle)) continue;
      ProMatrix placement = {};
      host.asmcompPositionGet(&handle, placement);
      box.add(placement[3]);
    }
    double g[3];
    box.centre(g);
    const double shift[3] = {tx, ty, tz};
    const double angles[3] = {rx, ry, rz};
    for (int i = 0; i < count; ++i) {
      ProAsmcomppath path;
      ProAsmcomp handle;
      if (!component(i, &path, &handle)) continue;
      ProMatrix placement = {};
      host.asmcompPositionGet(&handle, placement);
      ProMatrix moved;
      movedPlacement(placement, g, shift, angles, x, y, z, moved);
      host.asmcompPositionSet(&path, &handle, moved);
      host.asmcompRegenerate(&handle, PRO_B_TRUE);
    }
    isDynPosOn = false;
    host.assemblyDynPosSet(model, PRO_B_FALSE);
    host.windowRefresh(windowId);
    // The buffer hands out a fresh array every time; give it back.
    host.arrayFree(reinterpret_cast<ProArray*>(&selections));
    return true;
  } catch (...) {
    KXLOG(LOG_ERR) << "Error transformSelection()" << LOG_END;
  }
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

namespace {

bool fileExists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return false;
  std::fclose(file);
  return true;
}

}  // namespace

bool CreoProxy::loadMenufile() {
  const std::string path = mAddinP->mSettings.mApplDirPath + "\\" + "Creo.mnu";
  if (!fileExists(path) && mMnuProgress != 1.0) {
    if (!createMNUFile(path)) {
      mMnuProgress = 1.0;
      return false;
    }
  }
  // From here on the reading thread may go on, whatever follows.
  mMnuProgress = 1.0;
  if (!fileExists(path)) return false;
  KXLOG(LOG_DBG) << "Loading menu file ..." << LOG_END;
  Cnfg cnfg;
  const uint32_t opened = cnfg.open(path);
  MenuFileLists lists;
  mMenuCommands.clear();
  std::atomic_store(&mModeNames, std::make_shared<const std::vector<std::string>>());
  if (opened != CNFG_OK) return false;
  readMenuLists(cnfg, &lists);
  mMenuCommands = lists.menuCommands;
  std::atomic_store(&mModeNames,
                    std::make_shared<const std::vector<std::string>>(std::move(lists.modeNames)));
  KXLOG(LOG_TRC) << "Menu file '" << path << "' with " << static_cast<int32_t>(mMenuCommands.size())
                 << " entries loaded." << LOG_END;
  return true;
}

bool CreoProxy::createMNUFile(const std::string& path) {
  if (fileExists(path)) return true;
  std::string loadPoint;
  std::string language;
  getLoadpointAndLanguage(loadPoint, language);
  if (loadPoint.empty() || language.empty()) {
    KXLOG(LOG_ERR) << "Cannot determine loadpoint and/or language" << LOG_END;
    return false;
  }
  const std::string resourceDir = loadPoint + "\\" + "text" + "\\" + "compiled_resource";
  MNUParser parser;
  mMnuProgress = 0.0;
  return parser.CreateMNU(path, resourceDir, language, &mMnuProgress);
}

void CreoProxy::getLoadpointAndLanguage(std::string& loadPoint, std::string& language) {
  loadPoint.clear();
  language.clear();
  try {
    char executable[512] = "";
    GetModuleFileNameA(nullptr, executable, sizeof(executable));
    loadPoint = findLoadPoint(executable, [](const std::string& folder) {
      const DWORD attributes = GetFileAttributesA(folder.c_str());
      return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    });
    char systemLanguage[32] = "";
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, systemLanguage,
                   sizeof(systemLanguage));
    language = chooseCatalogueLanguage(systemLanguage, std::getenv("LANG"), std::getenv("PRO_LANG"),
                                       mAddinP->mSettings.getMNULanguage());
  } catch (...) {
    KXLOG(LOG_ERR) << "Error getLoadpointAndLanguage()" << LOG_END;
  }
}

int32_t CreoProxy::checkMode(bool keepOnWindowChange) {
  const int32_t oldMode = mCurrentMode;
  ProMode mode = PRO_MODE_UNUSED;
  const ProError err = ProModeCurrentGet(&mode);
  KXLOG(LOG_TMP) << "err: " << err << LOG_END;
  if (err != PRO_TK_NO_ERROR) {
    KXLOG(LOG_WRN) << "Error in ProModeCurrentGet()! err=" << err << LOG_END;
    mCurrentMode = -1;
    return -1;
  }
  ModeAnswers answers = {mode, 0, PRO_B_FALSE, 0, 0};
  ProBoolean isSketcher = PRO_B_FALSE;
  answers.mSectionResult = ProSectionIsActive(&isSketcher);
  answers.mIsSketcher = isSketcher;
  KXLOG(LOG_TMP) << "isSketcher: " << isSketcher << LOG_END;
  int windowId = 0;
  answers.mWindowResult = ProWindowCurrentGet(&windowId);
  answers.mWindowId = windowId;
  const ModeDecision decision = decideMode(oldMode, answers, keepOnWindowChange, &mLastWindowId);
  // Stored once: the reading thread reads it for the mode's name.
  mCurrentMode = decision.mMode;
  if (decision.mIsRestored) KXLOG(LOG_TMP) << "Restore mode to oldMode " << oldMode << LOG_END;
  if (decision.mMode != oldMode) KXLOG(LOG_TMP) << "New ProMode: " << decision.mMode << LOG_END;
  return decision.mMode;
}

std::string CreoProxy::getCurrentModeName() {
  const std::shared_ptr<const std::vector<std::string>> names = std::atomic_load(&mModeNames);
  const int mode = mCurrentMode;
  if (mode >= 0 && names && mode < static_cast<int>(names->size())) return (*names)[mode];
  return "Default";
}
