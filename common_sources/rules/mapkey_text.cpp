#include "mapkey_text.h"

std::string mapkeyKeyString(const std::string& setting) {
  std::string keys;
  for (char c : setting) {
    if (keys.size() == 2) break;
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) keys += c;
  }
  return keys.empty() ? "kx" : keys;
}

std::string trailFilePathIn(const std::string& tempDir) {
  std::string path = tempDir;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + "korvex-trail.txt";
}

std::string doubleBackslashRuns(const std::string& path) {
  std::string out;
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    if (path[i] != '\\') {
      out += path[i];
      continue;
    }
    out += "\\\\";
    while (i + 1 < path.size() && path[i + 1] == '\\') ++i;
  }
  return out;
}

std::string mapkeyDefinition(const std::string& keys, const std::string& trailFilePath) {
  return keys +
         " @MAPKEY_LABELKorvexpad;~ Command `ProCmdUtilTrailTrain` ;~ Update `file_open` "
         "`Inputname` `" +
         trailFilePath + "`;~ Command `ProFileSelPushOpen@context_dlg_open_cmd`;";
}
