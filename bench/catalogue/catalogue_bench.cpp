// Time of a catalogue build (CreateMNU) over the emulated host's installation at real scale, beside
// one plain pass over the same resource bytes (load both DLLs, walk every resource, copy and sum
// its bytes) measured in the same run, and the plain key search the build avoids. Prints figures,
// asserts nothing.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue_paths.h"
#include "mnu_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct PlainPass {
  bool isConverting = false;  // also convert each text from UTF-8 to the ANSI code page
  size_t resources = 0;
  size_t bytes = 0;
  unsigned sum = 0;
  std::vector<wchar_t> wide;
  std::vector<char> ansi;
};

BOOL CALLBACK plainNames(HMODULE module, LPCSTR, LPSTR name, LONG_PTR parameter) {
  PlainPass* pass = reinterpret_cast<PlainPass*>(parameter);
  if (IS_INTRESOURCE(name)) return TRUE;
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));
  if (!found) return TRUE;
  const DWORD size = SizeofResource(module, found);
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  if (!data) return TRUE;
  const std::string text(data, size);
  for (unsigned char c : text) pass->sum += c;
  if (pass->isConverting) {
    // As the catalogue converts a command text, with the empty default character.
    const int length = static_cast<int>(size) + 1;
    if (pass->wide.size() < size + 1) pass->wide.resize(size + 1);
    if (pass->ansi.size() < size + 1) pass->ansi.resize(size + 1);
    const int wideLength =
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), length, pass->wide.data(), length);
    pass->sum += WideCharToMultiByte(CP_ACP, 0, pass->wide.data(), wideLength, pass->ansi.data(),
                                     length, "", nullptr);
  }
  pass->resources += 1;
  pass->bytes += size;
  return TRUE;
}

BOOL CALLBACK plainTypes(HMODULE module, LPSTR type, LONG_PTR parameter) {
  EnumResourceNamesA(module, type, plainNames, parameter);
  return TRUE;
}

PlainPass plainPass(const std::vector<std::string>& dlls, bool isConverting) {
  PlainPass pass;
  pass.isConverting = isConverting;
  for (const std::string& dll : dlls) {
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) continue;
    EnumResourceTypesA(module, plainTypes, reinterpret_cast<LONG_PTR>(&pass));
    FreeLibrary(module);
  }
  return pass;
}

// The fastest of the runs: the machine is shared, and other work only ever adds time.
double fastest(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

}  // namespace

int main() {
  char executable[512] = "";
  GetModuleFileNameA(nullptr, executable, sizeof(executable));
  const std::string loadPoint = findLoadPoint(executable, [](const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  });
  if (loadPoint.empty()) {
    std::printf("no host installation (text\\compiled_resource) above %s\n", executable);
    return 1;
  }
  const std::string resources = loadPoint + "\\text\\compiled_resource";
  const std::vector<std::string> dlls = {resources + "\\pro_default_resources.dll",
                                         resources + "\\pro_default_german_resources.dll"};
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("kx_catalogue_bench_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  const std::string menu = (dir / "Creo.mnu").make_preferred().string();

  constexpr int kRuns = 15;
  std::vector<double> build, plain, converting, naive;
  PlainPass pass;
  size_t panes = 0, commands = 0, keys = 0;
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    pass = plainPass(dlls, false);
    plain.push_back(millisecondsSince(start));
    start = Clock::now();
    plainPass(dlls, true);
    converting.push_back(millisecondsSince(start));

    fs::remove(menu);
    std::atomic<double> progress{0.0};
    MNUParser parser;
    start = Clock::now();
    if (!parser.CreateMNU(menu, resources, "german", &progress)) {
      std::printf("CreateMNU failed\n");
      return 1;
    }
    build.push_back(millisecondsSince(start));

    // The search as plainly written: every key in every upper-case pane text.
    std::vector<std::string> allKeys;
    commands = 0;
    for (const auto& pane : parser.mPaneCommands) {
      commands += pane.second.size();
      for (const MNUCommand& c : pane.second) allKeys.push_back(c.key);
    }
    std::sort(allKeys.begin(), allKeys.end());
    allKeys.erase(std::unique(allKeys.begin(), allKeys.end()), allKeys.end());
    keys = allKeys.size();
    panes = parser.mPanes.size();
    if (run >= 3) continue;  // the plain search is slow; three runs tell enough
    size_t found = 0;
    start = Clock::now();
    for (const std::string& key : allKeys)
      for (const auto& pane : parser.mPanes)
        found += pane.second.second.find(key) != std::string::npos;
    naive.push_back(millisecondsSince(start));
    if (found == 0) std::printf("(no key found)\n");
  }
  // Where the build's time goes: the two DLLs and the writing, each on its own.
  std::vector<double> mainDll, languageDll, writing;
  for (int run = 0; run < kRuns; ++run) {
    fs::remove(menu);
    MNUParser parser;
    auto start = Clock::now();
    parser.ExtractResources(dlls[0]);
    mainDll.push_back(millisecondsSince(start));
    start = Clock::now();
    parser.ExtractResources(dlls[1]);
    languageDll.push_back(millisecondsSince(start));
    start = Clock::now();
    parser.WriteMNUFile(menu);
    writing.push_back(millisecondsSince(start));
  }
  fs::remove_all(dir);

  const double b = fastest(build), p = fastest(plain), n = fastest(naive);
  std::printf("resource DLLs: %zu resources, %zu bytes; %zu panes, %zu filed keys, %zu records\n",
              pass.resources, pass.bytes, panes, keys, commands);
  std::printf("plain pass over the resource bytes (baseline): %8.1f ms\n", p);
  std::printf(
      "the same pass with the UTF-8 to ANSI conversion: %8.1f ms  (%.2f x the plain pass)\n",
      fastest(converting), fastest(converting) / p);
  std::printf("CreateMNU, german, real scale:                 %8.1f ms  (%.2f x the plain pass)\n",
              b, b / p);
  std::printf("plain key search alone (keys x panes x bytes): %8.1f ms  (%.2f x the plain pass)\n",
              n, n / p);
  std::printf("  of it: main DLL %.1f ms, language DLL %.1f ms, writing %.1f ms\n",
              fastest(mainDll), fastest(languageDll), fastest(writing));
  std::printf("fastest of %d runs (plain key search: of 3); checksum %u\n", kRuns, pass.sum);
  return 0;
}
