// Lays out the emulated host's installation at build time:
//   <out>/text/compiled_resource/pro_default_resources.dll          pane layouts
//   <out>/text/compiled_resource/pro_default_<lang>_resources.dll   command texts (german, french)
//   <out>/text/compiled_resource/pro_default_badinput_resources.dll hostile command texts
//   <out>/text/compiled_resource/pro_default_broken_resources.dll   not a loadable DLL
//   <out>/text/host_commands.txt       every command the catalogue can offer, for the host
//   <out>/text/expected/Creo_<lang>.mnu the menu file a catalogue build must write: english and
//                                       german in ANSI code page 1252, french in 1250
//   <out>/fixtures/small_resources.dll  a handful of resources for unit tests
// The expected menu files are worked out (expected_menu_file.cpp) from what this tool put into the
// DLLs, not by reading them back. The parts: installation_build.cpp (the regular commands),
// special_cases.cpp, resource_sets.cpp (what goes into each DLL).
//
//   make_host_installation <out dir>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "installation_model.h"
#include "pe_resource_dll.h"

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::cerr << "make_host_installation: cannot write " << path << "\n";
    std::exit(1);
  }
}

// The host's command table: every spelling any layout gives a command text's key.
std::string hostCommandList(const Installation& inst, size_t* count) {
  std::set<std::string> table;
  std::vector<std::pair<std::string, std::string>> allPanes;  // text, upper-case text
  for (const Pane& p : inst.mainPanes) allPanes.push_back({p.text, upper(p.text)});
  for (const Pane& p : inst.languagePanes) allPanes.push_back({p.text, upper(p.text)});
  for (const auto* texts : {&inst.german, &inst.french})
    for (const CommandText& t : *texts) {
      const std::string key = upper(t.resourceName.substr(0, t.resourceName.size() - 4));
      for (const auto& p : allPanes) {
        const size_t at = p.second.find(key);
        if (at != std::string::npos) table.insert(p.first.substr(at, key.size()));
      }
    }
  std::string list =
      "# Commands of the emulated host's installation, generated with its resource DLLs.\n";
  for (const std::string& name : table) list += name + "\n";
  *count = table.size();
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_host_installation <out dir>\n";
    return 2;
  }
  const std::string out = argv[1];
  const std::string res = out + "/text/compiled_resource/";
  const Installation inst = buildInstallation();
  // Each DLL's resources carry its language, as a resource compiler tags them.
  const uint16_t kEnglishUs = 1033, kGerman = 1031, kFrench = 1036;

  writeFile(res + "pro_default_resources.dll",
            buildResourceDll(mainDll(inst), 0x6A000000ull, kEnglishUs));
  writeFile(res + "pro_default_german_resources.dll",
            buildResourceDll(languageDll(inst, inst.german), 0x6B000000ull, kGerman));
  writeFile(res + "pro_default_french_resources.dll",
            buildResourceDll(languageDll(inst, inst.french), 0x6C000000ull, kFrench));
  writeFile(res + "pro_default_badinput_resources.dll",
            buildResourceDll(badInputDll(), 0x6D000000ull, kEnglishUs));
  std::string broken = "MZ this is not a library, only named like one\n";
  writeFile(res + "pro_default_broken_resources.dll", broken + std::string(4000, '\x90'));
  writeFile(out + "/fixtures/small_resources.dll",
            buildResourceDll(smallFixture(), 0x6E000000ull, kEnglishUs));

  writeFile(out + "/text/expected/Creo_english.mnu",
            expectedMenuFile(inst, inst.german, true, false, 1252));
  writeFile(out + "/text/expected/Creo_german.mnu",
            expectedMenuFile(inst, inst.german, false, true, 1252));
  writeFile(out + "/text/expected/Creo_french.mnu",
            expectedMenuFile(inst, inst.french, false, false, 1250));

  size_t commandCount = 0;
  writeFile(out + "/text/host_commands.txt", hostCommandList(inst, &commandCount));
  std::cout << "make_host_installation: " << inst.mainPanes.size() << " pane layouts, "
            << inst.german.size() << " command texts, " << commandCount << " host commands\n";
  return 0;
}
