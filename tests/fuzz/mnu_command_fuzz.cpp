// The catalogue's parser of one command text on arbitrary resource bytes: the texts of a real
// installation hold CR LF, missing line ends, NULs and bytes that are not text. Besides crashes and
// undefined behaviour: the parser, which jumps from "]" to "]", gives what a plain line-by-line
// reading gives, and a label never keeps a '&'.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.h"
#include "mnu_parser.h"

namespace {

bool lineHolds(std::string_view line, std::string_view marker) {
  std::string upper(line);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper.find(marker) != std::string::npos;
}

// Every line split off, the marker looked for in each, the follower taken `offset` lines below.
MNUCommand readLineByLine(std::string_view text, bool isEnglish) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  const size_t offset = isEnglish ? 1 : 2;
  MNUCommand command;
  for (size_t i = 0; i + offset < lines.size(); ++i) {
    const std::string_view follower = lines[i + offset];
    if (lineHolds(lines[i], "] COMMAND.LABEL")) {
      command.label.clear();
      for (char c : follower) {
        if (c != '&') command.label.push_back(c);
      }
    } else if (lineHolds(lines[i], "] COMMAND.HELPTEXT")) {
      command.helpText = std::string(follower);
    }
  }
  return command;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the language offset, the rest is the text.
  const bool isEnglish = (data[0] & 1) != 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const MNUCommand parsed = parseCommandTextBytes(data + 1, size - 1, isEnglish);
  const MNUCommand expected = readLineByLine(text, isEnglish);
  if (parsed.label != expected.label) kxfuzz::fail("the label differs from a line-by-line reading");
  if (parsed.helpText != expected.helpText) {
    kxfuzz::fail("the help text differs from a line-by-line reading");
  }
  if (parsed.label.find('&') != std::string::npos) kxfuzz::fail("a label kept a '&'");

  // The table conversion on the same bytes: never longer than its input, ASCII as it is.
  static const std::vector<unsigned char> table = [] {
    std::vector<unsigned char> t(0x10000);
    for (size_t c = 0; c < t.size(); ++c) t[c] = static_cast<unsigned char>(0x80 | c);
    return t;
  }();
  std::vector<char> out;
  if (convertUtf8ByTable(text, table.data(), &out)) {
    if (out.size() > text.size()) kxfuzz::fail("a converted text longer than its input");
    bool isAscii = true;
    for (char c : text) isAscii = isAscii && static_cast<unsigned char>(c) < 0x80;
    if (isAscii && std::string_view(out.data(), out.size()) != text) {
      kxfuzz::fail("an ASCII text changed by the conversion");
    }
  }
  return 0;
}
