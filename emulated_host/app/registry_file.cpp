#include "app/registry_file.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "app/text_file.h"

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool RegistryFile::load(const std::string& path, std::string* error) {
  std::string text;
  return readTextFile(path, "registry file", &text, error) && parse(text, path, error);
}

bool RegistryFile::parse(const std::string& text, const std::string& file, std::string* error) {
  // Editors on Windows like to start text files with a byte-order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) return parse(text.substr(3), file, error);
  mEntries.clear();
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  bool open = false;
  RegistryEntry cur;
  std::vector<std::string> seen;
  auto fail = [&](int line, const std::string& why) {
    *error = file + ":" + std::to_string(line) + ": " + why;
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = trim(raw);
    if (line.empty() || line[0] == '#' || line.compare(0, 2, "//") == 0) continue;
    size_t sp = line.find_first_of(" \t");
    std::string key = lower(line.substr(0, sp));
    std::string value = sp == std::string::npos ? "" : trim(line.substr(sp));
    if (key == "end") {
      if (!value.empty()) return fail(lineNo, "\"end\" takes no value");
      if (!open) return fail(lineNo, "\"end\" without an entry");
      for (const char* need : {"name", "startup", "exec_file"})
        if (std::find(seen.begin(), seen.end(), need) == seen.end())
          return fail(lineNo, std::string("entry \"") + cur.name + "\" has no \"" + need + "\"");
      mEntries.push_back(cur);
      open = false;
      continue;
    }
    static const char* const kKnown[] = {"name",       "startup",  "exec_file",  "text_dir",
                                         "allow_stop", "revision", "delay_start"};
    if (std::find(std::begin(kKnown), std::end(kKnown), key) == std::end(kKnown))
      return fail(lineNo, "unknown keyword \"" + line.substr(0, sp) + "\"");
    if (value.empty()) return fail(lineNo, "\"" + key + "\" needs a value");
    if (!open) {
      if (key != "name")
        return fail(lineNo, "an entry must start with \"name\", got \"" + key + "\"");
      cur = RegistryEntry();
      cur.line = lineNo;
      seen.clear();
      open = true;
    } else if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      return fail(lineNo, "\"" + key + "\" given twice in one entry");
    }
    seen.push_back(key);
    if (key == "name") {
      if (value.size() > 31)
        return fail(lineNo, "name \"" + value + "\" is longer than 31 characters");
      for (const RegistryEntry& e : mEntries)
        if (lower(e.name) == lower(value))
          return fail(lineNo,
                      "name \"" + value + "\" already used on line " + std::to_string(e.line));
      cur.name = value;
    } else if (key == "startup") {
      if (lower(value) != "dll")
        return fail(lineNo, "startup \"" + value + "\" is not supported (only \"dll\")");
      cur.startup = lower(value);
    } else if (key == "exec_file") {
      cur.execFile = value;
    } else if (key == "text_dir") {
      cur.textDir = value;
    } else if (key == "allow_stop") {
      std::string v = lower(value);
      if (v != "true" && v != "false")
        return fail(lineNo, "allow_stop must be TRUE or FALSE, got \"" + value + "\"");
      cur.allowStop = v == "true";
    }
  }
  if (open) return fail(lineNo, "entry \"" + cur.name + "\" is not closed by \"end\"");
  if (mEntries.empty()) return fail(lineNo, "no application entry");
  return true;
}
