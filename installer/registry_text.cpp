#include "registry_text.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace registry_text {

const char* const kAppName = "KorvexCreo";
const char* const kMarker = "# KorvexCreo: added by install.cmd, removed by uninstall.cmd";

namespace {

// A line of the text: where it starts, where its content ends and where the next line starts.
struct Line {
  size_t begin, contentEnd, next;
};

std::vector<Line> splitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t next = lf == std::string::npos ? text.size() : lf + 1;
    size_t end = lf == std::string::npos ? text.size() : lf;
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

std::string trimmed(const std::string& text, const Line& line) {
  size_t b = line.begin, e = line.contentEnd;
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return text.substr(b, e - b);
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool isComment(const std::string& line) {
  return line.empty() || line[0] == '#' || line.compare(0, 2, "//") == 0;
}

// The keyword of a line in lower case and its value.
void split(const std::string& line, std::string* keyword, std::string* value) {
  size_t sp = line.find_first_of(" \t");
  *keyword = lower(line.substr(0, sp));
  *value = "";
  if (sp == std::string::npos) return;
  size_t v = line.find_first_not_of(" \t", sp);
  if (v != std::string::npos) *value = line.substr(v);
}

// The first and one-past-last line index of the block; first == lines.size() when there is none.
void findBlock(const std::string& text, const std::vector<Line>& lines, size_t* first,
               size_t* last) {
  *first = *last = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (trimmed(text, lines[i]) != kMarker) continue;
    *first = i;
    size_t j = i + 1;
    while (j < lines.size() && lower(trimmed(text, lines[j])) != "end") ++j;
    *last = j < lines.size() ? j + 1 : lines.size();
    return;
  }
}

}  // namespace

std::string entryBlock(const std::string& dllPath, const std::string& textDir) {
  return std::string(kMarker) + "\r\n" + "name        " + kAppName + "\r\n" +
         "startup     dll\r\n" + "exec_file   " + dllPath + "\r\n" + "text_dir    " + textDir +
         "\r\n" + "allow_stop  TRUE\r\n" + "end\r\n";
}

bool hasBlock(const std::string& text) {
  std::vector<Line> lines = splitLines(text);
  size_t first, last;
  findBlock(text, lines, &first, &last);
  return first < lines.size();
}

int lineNamingApplication(const std::string& text, const std::string& name) {
  std::vector<Line> lines = splitLines(text);
  size_t first, last;
  findBlock(text, lines, &first, &last);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i >= first && i < last) continue;
    std::string line = trimmed(text, lines[i]);
    if (isComment(line)) continue;
    std::string keyword, value;
    split(line, &keyword, &value);
    if (keyword == "name" && lower(value) == lower(name)) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::string withoutBlock(const std::string& text) {
  std::vector<Line> lines = splitLines(text);
  size_t first, last;
  findBlock(text, lines, &first, &last);
  if (first == lines.size()) return text;
  size_t cutBegin = lines[first].begin;
  size_t cutEnd = last < lines.size() ? lines[last].begin : text.size();
  return text.substr(0, cutBegin) + text.substr(cutEnd);
}

std::string withBlock(const std::string& text, const std::string& block) {
  std::string rest = withoutBlock(text);
  if (!rest.empty() && rest.back() != '\n') rest += "\r\n";
  return rest + block;
}

std::vector<EntryLine> entryNamed(const std::string& text, const std::string& name, bool* isEnded) {
  std::vector<EntryLine> entry;
  bool isNamed = false;
  const std::vector<Line> lines = splitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string content = trimmed(text, lines[i]);
    if (isComment(content)) continue;
    std::string keyword, value;
    split(content, &keyword, &value);
    if (keyword == "end") {
      if (isNamed) {
        *isEnded = true;
        return entry;
      }
      entry.clear();
      continue;
    }
    if (keyword == "name" && lower(value) == lower(name)) isNamed = true;
    entry.push_back({static_cast<int>(i) + 1, keyword, value});
  }
  *isEnded = false;
  if (!isNamed) entry.clear();
  return entry;
}

bool isEmpty(const std::string& text) {
  for (const Line& line : splitLines(text))
    if (!isComment(trimmed(text, line))) return false;
  return true;
}

}  // namespace registry_text
