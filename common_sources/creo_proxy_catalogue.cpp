// The host bridge's catalogue step: the menu file loaded, or built from the host's resources.
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
  guard(KX_GUARD_SITE, [&] {
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
  });
}
