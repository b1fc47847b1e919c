#include "api/message_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

std::string trimEnd(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

bool isFiller(const std::string& s) { return s.empty() || s[0] == '#'; }

}  // namespace

bool MessageFile::load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open message file '" + path + "'";
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  parse(ss.str());
  return true;
}

void MessageFile::parse(const std::string& text) {
  // Editors on Windows like to start text files with a byte-order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) return parse(text.substr(3));
  mTexts.clear();
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string l;
  while (std::getline(in, l)) lines.push_back(trimEnd(l));
  size_t i = 0;
  while (i < lines.size()) {
    if (isFiller(lines[i])) {
      ++i;
      continue;
    }
    std::string key = lines[i++];
    std::string value = i < lines.size() ? lines[i++] : "";
    std::string translation;
    // Line 3 is the translation unless it is a filler; line 4 is reserved and may be missing.
    if (i < lines.size() && !isFiller(lines[i])) {
      translation = lines[i++];
      if (i < lines.size() && isFiller(lines[i])) ++i;
    } else if (i < lines.size()) {
      ++i;
      if (i < lines.size() && isFiller(lines[i])) ++i;
    }
    mTexts[key] = {value, translation};
  }
}

bool MessageFile::lookup(const std::string& key, bool translated, std::string* text) const {
  auto it = mTexts.find(key);
  if (it == mTexts.end()) return false;
  *text = translated && !it->second.second.empty() ? it->second.second : it->second.first;
  return true;
}

std::vector<std::string> MessageFile::candidates(const std::string& textDir,
                                                 const std::string& language,
                                                 const std::string& fileName) {
  std::string dir = textDir;
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  std::string upper = language;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  std::vector<std::string> out = {
      dir + "\\" + language + "\\" + fileName,       dir + "\\" + upper + "\\" + fileName,
      dir + "\\text\\" + language + "\\" + fileName, dir + "\\" + fileName,
      dir + "\\" + language + "\\text\\" + fileName,
  };
  return out;
}
