// The scenario step that stands for a user's editor saving a file while the host runs.
#include <windows.h>

#include "app/host_app.h"
#include "json_line.h"
#include "scenarios/scenario_runner.h"

namespace {

// The path with %NAME% replaced by the host's environment; false when a name is not set.
bool expanded(const std::string& path, std::wstring* out, std::string* error) {
  const std::wstring wide = toWide(path);
  for (size_t at = wide.find(L'%'); at != std::wstring::npos;) {
    const size_t end = wide.find(L'%', at + 1);
    if (end == std::wstring::npos) break;
    const std::wstring name = wide.substr(at + 1, end - at - 1);
    if (GetEnvironmentVariableW(name.c_str(), nullptr, 0) == 0) {
      *error = "copy-file: the environment has no " + std::string(name.begin(), name.end());
      return false;
    }
    at = wide.find(L'%', end + 1);
  }
  wchar_t buffer[4096];
  const DWORD n = ExpandEnvironmentStringsW(wide.c_str(), buffer, 4096);
  if (n == 0 || n > 4096) {
    *error = "copy-file: the path \"" + path + "\" is too long";
    return false;
  }
  *out = buffer;
  return true;
}

}  // namespace

bool ScenarioRunner::copyFile(const ScenarioStep& s, std::string* error) {
  std::wstring from, to;
  if (!expanded(s.args[0], &from, error) || !expanded(s.args[1], &to, error)) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  // Into an existing folder only, over a file or beside the others: never a folder made.
  if (!GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !CopyFileW(from.c_str(), to.c_str(), FALSE)) {
    *error = "copy-file cannot copy \"" + s.args[0] + "\" to \"" + s.args[1] +
             "\" (Windows error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  mApp->journal().write(JsonLine("file_copied")
                            .str("from", s.args[0])
                            .str("to", s.args[1])
                            .num("bytes", data.nFileSizeLow));
  return true;
}
