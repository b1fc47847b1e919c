// The host bridge's command routes: the mapkey defined at the start, application functions as
// macros or through the mapkey, and the special view commands.
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
  guard(KX_GUARD_SITE, [&] {
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
  });
}

void CreoProxy::execSpecialApplFunction(int32_t code) {
  guard(KX_GUARD_SITE, [&] {
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
  });
}
