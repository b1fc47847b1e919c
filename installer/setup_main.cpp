// The setup tool behind install.cmd and uninstall.cmd. It copies the plug-in into a folder of its
// own and registers it in the host installation's registry file text\protk.dat, keeping a copy of
// a registry file the user had; uninstalling takes out what it added and leaves the user's
// settings and log alone.
//
//   KorvexCreoSetup.exe install   <host installation> [<plug-in folder>]
//   KorvexCreoSetup.exe uninstall <host installation> [<plug-in folder>]
//   KorvexCreoSetup.exe check     <host installation>
//   KorvexCreoSetup.exe report    <host installation>
#include <windows.h>

#include <cstdio>
#include <string>

#include "file_read.h"
#include "kx_version.h"
#include "registry_text.h"
#include "setup_check.h"

namespace {

enum ExitCode {
  kOk = 0,
  kUsage = 1,
  kNoHost = 2,
  kConflict = 3,
  kIncomplete = 4,
  kFileError = 5,
  kCheckFailed = 6
};

// The files the plug-in folder receives from the package, relative to both folders.
const wchar_t* const kFiles[] = {L"KorvexCreo.dll", L"text\\usascii\\Korvex.txt", L"LICENSE.txt"};

std::string narrow(const std::wstring& w) {
  if (w.empty()) return "";
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::string q(const std::wstring& path) { return "\"" + narrow(path) + "\""; }

std::string windowsError(DWORD code) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = "Windows error " + std::to_string(code);
  if (text) {
    std::string t = text;
    LocalFree(text);
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ')) t.pop_back();
    if (!t.empty()) s += ": " + t;
  }
  return s;
}

bool isDirectory(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFile(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool writeFile(const std::wstring& path, const std::string& text) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  return CloseHandle(h) && ok;
}

// Creates the folder and every missing folder above it.
bool makeDirectories(const std::wstring& path) {
  if (isDirectory(path)) return true;
  size_t cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut > 2 && !makeDirectories(path.substr(0, cut))) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring fullPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2];
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  std::wstring full = n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return full;
}

std::wstring folderOf(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? L"." : path.substr(0, cut);
}

struct Paths {
  std::wstring package;        // the folder of this tool: the unpacked package
  std::wstring host;           // the host installation
  std::wstring registry;       // its registry file
  std::wstring backup;         // the copy of the user's own registry file
  std::wstring target;         // the plug-in folder
  std::wstring installedCopy;  // the registry file as install wrote it
};

int install(const Paths& p) {
  for (const wchar_t* file : kFiles)
    if (!isFile(p.package + L"\\" + file)) {
      fprintf(stderr, "install: the package is incomplete: %s is missing.\n",
              q(p.package + L"\\" + file).c_str());
      return kIncomplete;
    }
  std::string current;
  bool exists = isFile(p.registry);
  if (exists && !readWholeFile(p.registry, &current)) {
    fprintf(stderr, "install: cannot read %s: %s\n", q(p.registry).c_str(),
            windowsError(GetLastError()).c_str());
    return kFileError;
  }
  bool ours = registry_text::hasBlock(current);
  if (int line = registry_text::lineNamingApplication(current, registry_text::kAppName)) {
    fprintf(stderr,
            "install: %s already registers an application named %s (line %d). Remove that entry "
            "(from its \"name\" line to its \"end\" line) and run install.cmd again.\n",
            q(p.registry).c_str(), registry_text::kAppName, line);
    return kConflict;
  }
  if (exists && !ours && isFile(p.backup)) {
    fprintf(stderr,
            "install: %s is kept from an earlier installation and would be overwritten. Move it "
            "away and run install.cmd again.\n",
            q(p.backup).c_str());
    return kConflict;
  }
  for (const wchar_t* file : kFiles) {
    std::wstring from = p.package + L"\\" + file, to = p.target + L"\\" + file;
    if (!makeDirectories(folderOf(to))) {
      fprintf(stderr, "install: cannot create the folder %s: %s\n", q(folderOf(to)).c_str(),
              windowsError(GetLastError()).c_str());
      return kFileError;
    }
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
      fprintf(stderr, "install: cannot copy %s to %s: %s (if Creo is running, close it first)\n",
              q(from).c_str(), q(to).c_str(), windowsError(GetLastError()).c_str());
      return kFileError;
    }
  }
  if (exists && !ours && !CopyFileW(p.registry.c_str(), p.backup.c_str(), TRUE)) {
    fprintf(stderr, "install: cannot keep a copy of %s as %s: %s\n", q(p.registry).c_str(),
            q(p.backup).c_str(), windowsError(GetLastError()).c_str());
    return kFileError;
  }
  std::string block = registry_text::entryBlock(narrow(p.target + L"\\KorvexCreo.dll"),
                                                narrow(p.target + L"\\text"));
  std::string text = registry_text::withBlock(current, block);
  if (!writeFile(p.registry, text) || !writeFile(p.installedCopy, text)) {
    fprintf(stderr, "install: cannot write %s: %s\n", q(p.registry).c_str(),
            windowsError(GetLastError()).c_str());
    return kFileError;
  }
  printf("Installed the Korvex plug-in %s into %s.\n", KX_VERSION, q(p.target).c_str());
  printf("Registered it in %s", q(p.registry).c_str());
  if (exists && !ours) printf(" (your own file is kept as %s)", q(p.backup).c_str());
  printf(".\nStart Creo: the menu \"Korvex\" appears beside \"Help\".\n");
  return kOk;
}

int uninstall(const Paths& p) {
  std::string current;
  bool exists = isFile(p.registry);
  if (exists && !readWholeFile(p.registry, &current)) {
    fprintf(stderr, "uninstall: cannot read %s: %s\n", q(p.registry).c_str(),
            windowsError(GetLastError()).c_str());
    return kFileError;
  }
  // The plug-in next: while Creo runs it, the file is in use, and nothing else is touched.
  std::wstring dll = p.target + L"\\" + kFiles[0];
  if (isFile(dll) && !DeleteFileW(dll.c_str())) {
    fprintf(stderr, "uninstall: cannot remove %s: %s (if Creo is running, close it first)\n",
            q(dll).c_str(), windowsError(GetLastError()).c_str());
    return kFileError;
  }
  if (exists && registry_text::hasBlock(current)) {
    std::string installed;
    bool unchanged = readWholeFile(p.installedCopy, &installed) && installed == current;
    bool kept = isFile(p.backup);
    std::string rest = registry_text::withoutBlock(current);
    bool done;
    if (unchanged && kept) {
      done = MoveFileExW(p.backup.c_str(), p.registry.c_str(), MOVEFILE_REPLACE_EXISTING);
      if (done) printf("Restored your own %s.\n", q(p.registry).c_str());
    } else if (!kept && registry_text::isEmpty(rest)) {
      done = DeleteFileW(p.registry.c_str());
      if (done) printf("Removed %s.\n", q(p.registry).c_str());
    } else {
      done = writeFile(p.registry, rest);
      if (done) {
        printf("Took the %s entry out of %s", registry_text::kAppName, q(p.registry).c_str());
        if (kept)
          printf(
              ", which was changed after the installation; the file as it was before is still at "
              "%s",
              q(p.backup).c_str());
        printf(".\n");
      }
    }
    if (!done) {
      fprintf(stderr, "uninstall: cannot change %s: %s\n", q(p.registry).c_str(),
              windowsError(GetLastError()).c_str());
      return kFileError;
    }
  } else {
    printf("%s holds no entry of the installer; left as it is.\n", q(p.registry).c_str());
  }
  for (const wchar_t* file : kFiles) DeleteFileW((p.target + L"\\" + file).c_str());
  DeleteFileW(p.installedCopy.c_str());
  for (const wchar_t* folder : {L"\\text\\usascii", L"\\text", L""})
    RemoveDirectoryW((p.target + folder).c_str());
  if (isDirectory(p.target))
    printf("Left %s: it holds files the installer did not put there.\n", q(p.target).c_str());
  else
    printf("Removed %s.\n", q(p.target).c_str());
  printf("Your settings and log in %%USERPROFILE%%\\Korvexpad stay.\n");
  return kOk;
}

std::wstring defaultTarget() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"ProgramFiles", buffer, MAX_PATH);
  std::wstring base = n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : L"C:\\Program Files";
  return base + L"\\KorvexCreo";
}

int usage() {
  fprintf(stderr,
          "usage: install.cmd   \"<Creo installation>\" [\"<plug-in folder>\"]\n"
          "       uninstall.cmd \"<Creo installation>\" [\"<plug-in folder>\"]\n"
          "       check.cmd     \"<Creo installation>\"\n"
          "       report.cmd    \"<Creo installation>\"\n"
          "The Creo installation is the folder that holds text\\compiled_resource, for example\n"
          "\"C:\\Program Files\\PTC\\Creo 11.0.0.0\\Common Files\". The plug-in folder is\n"
          "%%ProgramFiles%%\\KorvexCreo unless given; uninstall needs the same one as install.\n");
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) return usage();
  std::wstring action = argv[1];
  const bool isLooking = action == L"check" || action == L"report";
  if (action != L"install" && action != L"uninstall" && !isLooking) return usage();
  if (isLooking && argc != 3) return usage();
  const std::string verb = narrow(action);
  Paths p;
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  p.package = folderOf(std::wstring(self, n));
  p.host = fullPath(argv[2]);
  if (!isDirectory(p.host + L"\\text\\compiled_resource")) {
    fprintf(stderr,
            "%s: no Creo installation at %s: it has no folder text\\compiled_resource. Give the "
            "folder of the Creo installation that holds it, for example \"C:\\Program "
            "Files\\PTC\\Creo 11.0.0.0\\Common Files\".\n",
            verb.c_str(), q(p.host).c_str());
    return kNoHost;
  }
  if (action == L"report") return setup_check::report(p.host, p.package);
  if (action == L"check") {
    std::string text;
    const int status = setup_check::check(p.host, p.package, &text);
    fputs(text.c_str(), stdout);
    return status == 0 ? kOk : kCheckFailed;
  }
  p.registry = p.host + L"\\text\\protk.dat";
  p.backup = p.registry + L".before-korvex";
  p.target = fullPath(argc == 4 ? argv[3] : defaultTarget());
  p.installedCopy = p.target + L"\\protk.dat.installed";
  return action == L"install" ? install(p) : uninstall(p);
}
