#include "setup_check.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <memory>

#include "check_report.h"
#include "controller_probe.h"
#include "file_read.h"
#include "installation_check.h"
#include "kx_version.h"
#include "profile_check.h"
#include "report_text.h"
#include "settings.h"

namespace setup_check {

namespace {

std::string narrow(const std::wstring& w) {
  if (w.empty()) return "";
  const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

// The file's bytes, or null when it cannot be read.
std::unique_ptr<std::string> readBytes(const std::string& path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
  if (!wide.empty()) wide.pop_back();
  auto bytes = std::make_unique<std::string>();
  return readWholeFile(wide, bytes.get()) ? std::move(bytes) : nullptr;
}

DWORD attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool isFile(const std::string& path) {
  const DWORD a = attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool isDirectory(const std::string& path) {
  const DWORD a = attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t sizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

struct Gathered {
  std::string mRegistryPath;
  std::unique_ptr<std::string> mRegistry;
  std::string mMenuPath;
  std::unique_ptr<std::string> mMenu;
  std::string mSettingsPath;
  std::string mLogPath;
};

int runCheck(const std::wstring& hostDir, const std::wstring& packageDir, CheckReport& report,
             Gathered& files) {
  using namespace installation_check;
  const std::string host = narrow(hostDir);
  report.heading("Installation " + host);
  files.mRegistryPath = host + "\\text\\protk.dat";
  files.mRegistry = readBytes(files.mRegistryPath);
  const Entry entry = checkRegistry(files.mRegistryPath, files.mRegistry.get(), report);
  if (!entry.mExecFile.empty()) {
    const auto plugin = readBytes(entry.mExecFile);
    if (checkPluginFile(entry.mExecFile, plugin.get(), report)) {
      const auto own = readBytes(narrow(packageDir) + "\\KorvexCreo.dll");
      checkPackage(KX_VERSION, own.get(), plugin.get(), report);
    }
  }
  if (!entry.mTextDir.empty()) {
    const std::string message = entry.mTextDir + "\\usascii\\Korvex.txt";
    checkMessageFile(message, isFile(message), report);
  }

  report.heading("Controller");
  controller_probe::check(entry.mExecFile, report);

  report.heading("Your files");
  Settings settings{Settings::Detached()};
  files.mSettingsPath = settings.mFilePath;
  files.mMenuPath = settings.mApplDirPath + "\\Creo.mnu";
  if (profile_check::checkApplicationsFolder(settings.mApplDirPath,
                                             isDirectory(settings.mApplDirPath), report)) {
    profile_check::checkSettings(settings, report);
    files.mMenu = readBytes(files.mMenuPath);
    profile_check::checkMenuFile(files.mMenuPath, files.mMenu.get(), report);
  }
  files.mLogPath = profile_check::logFilePath(settings);
  profile_check::checkLog(settings, sizeOf(files.mLogPath), report);
  return report.exitCode();
}

std::string desktopFolder() {
  wchar_t path[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path)))
    return narrow(path);
  const char* profile = std::getenv("USERPROFILE");
  return std::string(profile ? profile : ".") + "\\Desktop";
}

}  // namespace

int check(const std::wstring& hostDir, const std::wstring& packageDir, std::string* text) {
  CheckReport report;
  Gathered files;
  const int status = runCheck(hostDir, packageDir, report, files);
  *text = report.text();
  return status;
}

int report(const std::wstring& hostDir, const std::wstring& packageDir) {
  CheckReport check;
  Gathered files;
  runCheck(hostDir, packageDir, check, files);
  ReportParts parts;
  parts.mVersion = KX_VERSION;
  parts.mCheck = check.text();
  parts.mSettingsPath = files.mSettingsPath;
  parts.mSettings = readBytes(files.mSettingsPath);
  parts.mRegistryPath = files.mRegistryPath;
  parts.mRegistry = std::move(files.mRegistry);
  parts.mMenuPath = files.mMenuPath;
  parts.mMenu = std::move(files.mMenu);
  parts.mLogPath = files.mLogPath;
  parts.mLog = readBytes(files.mLogPath);
  const std::string path = desktopFolder() + "\\" + kReportFileName;
  const std::string text = reportText(parts);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok = h != INVALID_HANDLE_VALUE &&
                  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!ok) {
    fprintf(stderr, "report: cannot write %s (Windows error %lu).\n", path.c_str(), GetLastError());
    return 5;
  }
  printf("Wrote the report to \"%s\" (%zu bytes); attach it to your support request.\n",
         path.c_str(), text.size());
  return 0;
}

}  // namespace setup_check
