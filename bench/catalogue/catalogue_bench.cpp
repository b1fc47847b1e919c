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

constexpr int kRuns = 15;

struct Figures {
  std::vector<double> build, plain, converting, naive;
  // Where the build's time goes: the two DLLs and the writing, each on its own.
  std::vector<double> mainDll, languageDll, writing;
  PlainPass pass;
  size_t panes = 0, commands = 0, keys = 0;
};

// The host installation's compiled resources above this program, or an empty text.
std::string resourceFolder() {
  char executable[512] = "";
  GetModuleFileNameA(nullptr, executable, sizeof(executable));
  const std::string loadPoint = findLoadPoint(executable, [](const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  });
  if (loadPoint.empty()) {
    std::printf("no host installation (text\\compiled_resource) above %s\n", executable);
    return "";
  }
  return loadPoint + "\\text\\compiled_resource";
}

// The search as plainly written, every key in every upper-case pane text; counts the parser's
// panes, records and keys on the way.
double plainKeySearch(const MNUParser& parser, Figures& figures, bool isTimed) {
  std::vector<std::string> allKeys;
  figures.commands = 0;
  for (const auto& pane : parser.mPaneCommands) {
    figures.commands += pane.second.size();
    for (const MNUCommand& c : pane.second) allKeys.push_back(c.key);
  }
  std::sort(allKeys.begin(), allKeys.end());
  allKeys.erase(std::unique(allKeys.begin(), allKeys.end()), allKeys.end());
  figures.keys = allKeys.size();
  figures.panes = parser.mPanes.size();
  if (!isTimed) return 0;
  size_t found = 0;
  const Clock::time_point start = Clock::now();
  for (const std::string& key : allKeys)
    for (const auto& pane : parser.mPanes)
      found += pane.second.second.find(key) != std::string::npos;
  const double ms = millisecondsSince(start);
  if (found == 0) std::printf("(no key found)\n");
  return ms;
}

bool timeBuilds(const std::vector<std::string>& dlls, const std::string& resources,
                const std::string& menu, Figures& figures) {
  for (int run = 0; run < kRuns; ++run) {
    auto start = Clock::now();
    figures.pass = plainPass(dlls, false);
    figures.plain.push_back(millisecondsSince(start));
    start = Clock::now();
    plainPass(dlls, true);
    figures.converting.push_back(millisecondsSince(start));

    std::filesystem::remove(menu);
    std::atomic<double> progress{0.0};
    MNUParser parser;
    start = Clock::now();
    if (!parser.CreateMNU(menu, resources, "german", &progress)) {
      std::printf("CreateMNU failed\n");
      return false;
    }
    figures.build.push_back(millisecondsSince(start));
    // The plain search is slow; three runs tell enough.
    if (run < 3) figures.naive.push_back(plainKeySearch(parser, figures, true));
  }
  return true;
}

void timeParts(const std::vector<std::string>& dlls, const std::string& menu, Figures& figures) {
  for (int run = 0; run < kRuns; ++run) {
    std::filesystem::remove(menu);
    MNUParser parser;
    auto start = Clock::now();
    parser.ExtractResources(dlls[0]);
    figures.mainDll.push_back(millisecondsSince(start));
    start = Clock::now();
    parser.ExtractResources(dlls[1]);
    figures.languageDll.push_back(millisecondsSince(start));
    start = Clock::now();
    parser.WriteMNUFile(menu);
    figures.writing.push_back(millisecondsSince(start));
  }
}

void printFigures(const Figures& f) {
  const double b = fastest(f.build), p = fastest(f.plain), n = fastest(f.naive);
  std::printf("resource DLLs: %zu resources, %zu bytes; %zu panes, %zu filed keys, %zu records\n",
              f.pass.resources, f.pass.bytes, f.panes, f.keys, f.commands);
  std::printf("plain pass over the resource bytes (baseline): %8.1f ms\n", p);
  std::printf(
      "the same pass with the UTF-8 to ANSI conversion: %8.1f ms  (%.2f x the plain pass)\n",
      fastest(f.converting), fastest(f.converting) / p);
  std::printf("CreateMNU, german, real scale:                 %8.1f ms  (%.2f x the plain pass)\n",
              b, b / p);
  std::printf("plain key search alone (keys x panes x bytes): %8.1f ms  (%.2f x the plain pass)\n",
              n, n / p);
  std::printf("  of it: main DLL %.1f ms, language DLL %.1f ms, writing %.1f ms\n",
              fastest(f.mainDll), fastest(f.languageDll), fastest(f.writing));
  std::printf("fastest of %d runs (plain key search: of 3); checksum %u\n", kRuns, f.pass.sum);
}

}  // namespace

int main() {
  const std::string resources = resourceFolder();
  if (resources.empty()) return 1;
  const std::vector<std::string> dlls = {resources + "\\pro_default_resources.dll",
                                         resources + "\\pro_default_german_resources.dll"};
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("kx_catalogue_bench_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  const std::string menu = (dir / "Creo.mnu").make_preferred().string();
  Figures figures;
  if (!timeBuilds(dlls, resources, menu, figures)) return 1;
  timeParts(dlls, menu, figures);
  fs::remove_all(dir);
  printFigures(figures);
  return 0;
}
