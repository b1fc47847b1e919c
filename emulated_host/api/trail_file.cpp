#include "api/trail_file.h"

#include <fstream>

std::string TrailFile::normalizePath(const std::string& path) {
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    bool sep = path[i] == '\\' || path[i] == '/';
    // A leading pair stays: it marks a network path.
    if (sep && i > 1 && !out.empty() && (out.back() == '\\' || out.back() == '/')) continue;
    out += path[i];
  }
  return out;
}

bool TrailFile::load(const std::string& rawPath, std::string* error) {
  mSteps.clear();
  std::string path = normalizePath(rawPath);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open trail file '" + path + "'";
    return false;
  }
  std::string line;
  int lineNo = 0;
  static const std::string kHeader = "!trail file version No. ";
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNo == 1) {
      if (line.compare(0, kHeader.size(), kHeader) != 0 || line.size() == kHeader.size()) {
        *error = path + ":1: not a trail file header: \"" + line + "\"";
        return false;
      }
      try {
        mVersion = std::stoi(line.substr(kHeader.size()));
      } catch (...) {
        *error = path + ":1: bad trail file version \"" + line.substr(kHeader.size()) + "\"";
        return false;
      }
      continue;
    }
    if (line.empty() || line[0] == '!') continue;
    std::vector<MacroStep> steps;
    std::string why;
    if (!MacroText::parse(line, &steps, &why)) {
      *error = path + ":" + std::to_string(lineNo) + ": " + why;
      return false;
    }
    mSteps.insert(mSteps.end(), steps.begin(), steps.end());
  }
  if (lineNo == 0) {
    *error = path + ":1: empty trail file";
    return false;
  }
  return true;
}
