// The INI reader on arbitrary file content. Besides crashes and undefined behaviour it checks what
// must hold for any file: the pieces of a line obey their delimiters, every section header is
// found, a block's walk ends, and a key looked up by name gives the value the walk saw first.
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cnfg.h"
#include "fuzz_util.h"

namespace {

// Only the first headers are looked up, so a file of many headers stays quick.
constexpr size_t kMaxSections = 8;

void checkPieces(const Cnfg::LinePieces& pieces, const std::string& line) {
  if (pieces.section.find(']') != std::string::npos) kxfuzz::fail("']' in section: " + line);
  if (pieces.name.find_first_of("=\t") != std::string::npos) {
    kxfuzz::fail("separator in name: " + line);
  }
  if (!pieces.name.empty() && pieces.name.back() == ' ') kxfuzz::fail("blank ends name: " + line);
  if (pieces.value.find_first_of("#\r\n") != std::string::npos) {
    kxfuzz::fail("comment character in value: " + line);
  }
  const size_t total = pieces.leadingBlanks.size() + pieces.section.size() + pieces.name.size() +
                       pieces.separator.size() + pieces.value.size() + pieces.comment.size();
  if (total > line.size()) kxfuzz::fail("pieces longer than the line: " + line);
}

void walkSection(Cnfg& cnfg, const std::string& section, size_t lineCount) {
  if (cnfg.findSection(section) != CNFG_OK) {
    kxfuzz::fail("header of section '" + section + "' not found: " + cnfg.getErrorText());
  }
  // The first value of each name in the block, in the order the walk meets them.
  std::map<std::string, std::string> firstValues;
  std::string name;
  std::string value;
  size_t steps = 0;
  while (cnfg.getNextParameter(name, value) == CNFG_OK) {
    if (++steps > lineCount + 1) kxfuzz::fail("walk of '" + section + "' does not end");
    if (name.empty()) kxfuzz::fail("empty name reported as a parameter");
    firstValues.emplace(name, value);
  }
  for (const auto& [key, expected] : firstValues) {
    std::string found;
    if (cnfg.getParameter(key, found, section) != CNFG_OK) {
      kxfuzz::fail("'" + key + "' walked but not found: " + cnfg.getErrorText());
    }
    if (found != expected) kxfuzz::fail("'" + key + "' gives '" + found + "', walk '" + expected);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = kxfuzz::workDir() + "/input.ini";
  kxfuzz::writeFile(path, data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);

  Cnfg cnfg;
  if (cnfg.open(path) != CNFG_OK) kxfuzz::fail("cannot open " + path);
  std::vector<std::string> sections;
  size_t lineCount = 0;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    ++lineCount;
    const Cnfg::LinePieces pieces = cnfg.parseLine(line);
    checkPieces(pieces, line);
    if (!pieces.section.empty() && sections.size() < kMaxSections) {
      sections.push_back(pieces.section);
    }
  }
  for (const std::string& section : sections) walkSection(cnfg, section, lineCount);

  // A file may define any key, so only a crash or a hang of this lookup is a finding.
  std::string value;
  cnfg.getParameter("kx_no_such_key", value, "PROGRAM");
  if (cnfg.findSection("kx no such section\n") != CNFG_SECTION_NOT_FOUND) {
    kxfuzz::fail("a name with a line end found as a section");
  }
  if (cnfg.getErrorText().empty()) kxfuzz::fail("empty error text");
  return 0;
}
