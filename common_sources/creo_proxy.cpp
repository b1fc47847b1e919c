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

// The host reads the menu's and buttons' labels from this file in the plug-in's text folder.
wchar_t kMessageFile[] = L"Korvex.txt";

// Window and model changes make the plug-in look at its windows and the mode; popup menus only at
// the mode.
const ProNotifyType kWindowNotifications[] = {PRO_WINDOW_CHANGE_POST, PRO_MDL_CREATE_POST,
                                              PRO_MDL_RETRIEVE_POST};
const ProNotifyType kModeNotifications[] = {PRO_POPUPMENU_CREATE_POST, PRO_POPUPMENU_DESTROY_PRE};

// The host's menu functions take their texts as writable, though they only read them.
char* writable(const char* literal) { return const_cast<char*>(literal); }

}  // namespace

// Handles are kept as 32-bit values, as the host hands them around; widen with the sign.
HWND CreoProxy::toWindow(int32_t handle) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
}
int32_t CreoProxy::toHandle(HWND window) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
}

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
      mWakeWindow(&CreoProxy::onWake),
      mIsInTick(false),
      mIsWakeDeferred(false),
      mIsPumpArmed(false) {
  KXLOG(LOG_CRT) << "Constructing ..." << LOG_END;
  sInstanceP = this;
  discoverWindows();
  registerMenu();
  if (mAddinP->mSettings.mUseMapkeyForCommands) defineMapkey();
  KXLOG(LOG_CRT) << "CreoProxy constructed." << LOG_END;
}

CreoProxy::~CreoProxy() {
  KXLOG(LOG_CRT) << "Destructing ..." << LOG_END;
  mIsTimerOn = false;
  if (mTimerWndHandle >= 1) KillTimer(toWindow(mTimerWndHandle), kTimerId);
  mIsPumpArmed = false;
  mWakeWindow.destroy();
  // The host would call into a freed module the next time one of them fires.
  for (ProNotifyType type : kWindowNotifications) ProNotificationUnset(type);
  for (ProNotifyType type : kModeNotifications) ProNotificationUnset(type);
  KXLOG(LOG_CRT) << "Destructed." << LOG_END;
  if (sInstanceP == this) sInstanceP = nullptr;
}

void CreoProxy::registerMenu() {
  uiCmdCmdId moveCmdId = nullptr;
  uiCmdCmdId scrollCmdId = nullptr;
  ProCmdOptionAdd(writable("Korvex_ToggleMoveMode"), &CreoProxy::toggleMoveModeAction, PRO_B_TRUE,
                  &CreoProxy::moveModeValue, &CreoProxy::moveModeAccess, PRO_B_TRUE, PRO_B_TRUE,
                  &moveCmdId);
  ProCmdOptionAdd(writable("Korvex_ToggleScrollMode"), &CreoProxy::toggleScrollModeAction,
                  PRO_B_TRUE, &CreoProxy::scrollModeValue, &CreoProxy::scrollModeAccess, PRO_B_TRUE,
                  PRO_B_TRUE, &scrollCmdId);
  ProMenubarMenuAdd(writable("Korvex"), writable("Korvex"), writable("Help"), PRO_B_FALSE,
                    kMessageFile);
  ProMenubarmenuChkbuttonAdd(writable("Korvex"), writable("Toggle Move Mode"),
                             writable("Toggle Move Mode"), writable("Toggle Move Mode"), nullptr,
                             PRO_B_TRUE, moveCmdId, kMessageFile);
  ProMenubarmenuChkbuttonAdd(writable("Korvex"), writable("Toggle Scroll Mode"),
                             writable("Toggle Scroll Mode"), writable("Toggle Scroll Mode"),
                             nullptr, PRO_B_TRUE, scrollCmdId, kMessageFile);
  ProCmdDesignate(moveCmdId, writable("Toggle Move Mode"), writable("Toggle Move Mode"),
                  writable("Toggle Move Mode"), kMessageFile);
  ProCmdDesignate(scrollCmdId, writable("Toggle Scroll Mode"), writable("Toggle Scroll Mode"),
                  writable("Toggle Scroll Mode"), kMessageFile);
  for (ProNotifyType type : kWindowNotifications)
    ProNotificationSet(type, &CreoProxy::onNotifyCheckWindows);
  for (ProNotifyType type : kModeNotifications)
    ProNotificationSet(type, &CreoProxy::onNotifyCheckMode);
}

// As KXLOG would log it in the guarded method itself; the entry holds the log's lock from
// beginEntry on, so everything that may throw comes before.
void CreoProxy::logEscapedException(const GuardSite& site) {
  if (gLogMagic != LOG_MAGIC || !gLog.isToLog(LOG_ERR, site.mFile)) return;
  std::string className;
  std::string method;
  Logging::splitSignature(site.mSignature, className, method);
  const size_t scope = method.rfind("::");
  if (scope != std::string::npos) method.erase(0, scope + 2);
  const std::string prefix =
      Logging::buildLogPrefixFromSignature(site.mFile, site.mLine, site.mSignature);
  if (!gLog.beginEntry(LOG_ERR, site.mFile, prefix)) return;
  LogEntry(gLog) << "Error " << method << "()" << LOG_END;
}

int CreoProxy::toggleMoveModeAction(uiCmdCmdId, uiCmdValue* value, void*) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return 0;
  int result = 0;
  guard(KX_GUARD_SITE, [&] {
    proxy->mObjectMoveMode = !proxy->mObjectMoveMode;
    ProCmdChkbuttonValueSet(value, proxy->mObjectMoveMode ? PRO_B_TRUE : PRO_B_FALSE);
    result = proxy->mObjectMoveMode ? 1 : 0;
  });
  return result;
}

int CreoProxy::toggleScrollModeAction(uiCmdCmdId, uiCmdValue* value, void*) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return 0;
  int result = 0;
  guard(KX_GUARD_SITE, [&] {
    // Kept in memory; the settings file gets it at shutdown.
    bool& isOn = proxy->mAddinP->mSettings.mScrollTreeAndList;
    isOn = !isOn;
    ProCmdChkbuttonValueSet(value, isOn ? PRO_B_TRUE : PRO_B_FALSE);
    result = isOn ? 0 : 1;
  });
  return result;
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
  uiCmdAccessState state = ACCESS_UNAVAILABLE;
  guard(KX_GUARD_SITE, [&] {
    // The host may have rebuilt its windows since the last look.
    proxy->validateWindows();
    if (proxy->checkMode(true) == kAssemblyMode) state = ACCESS_AVAILABLE;
  });
  return state;
}

uiCmdAccessState CreoProxy::scrollModeAccess(uiCmdAccessMode) {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return ACCESS_AVAILABLE;
  guard(KX_GUARD_SITE, [&] {
    proxy->validateWindows();
    proxy->checkMode(true);
  });
  return ACCESS_AVAILABLE;
}

ProError CreoProxy::onNotifyCheckWindows() {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return PRO_TK_NO_ERROR;
  guard(KX_GUARD_SITE, [&] {
    proxy->validateWindows();
    proxy->checkMode(false);
  });
  return PRO_TK_NO_ERROR;
}

ProError CreoProxy::onNotifyCheckMode() {
  CreoProxy* proxy = sInstanceP;
  if (!proxy) return PRO_TK_NO_ERROR;
  guard(KX_GUARD_SITE, [&] { proxy->checkMode(false); });
  return PRO_TK_NO_ERROR;
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
