#include "library_places.h"

#include <algorithm>
#include <cctype>

namespace {

// "C:\..." or "\\server\share\...".
bool isAbsolute(const std::string& folder) {
  const bool drive = folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
                     folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
  return drive || folder.rfind("\\\\", 0) == 0;
}

std::string withoutTrailingSlash(std::string folder) {
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

std::string lowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<std::string> libraryPlaces(const std::string& fileName, const std::string& pluginFolder,
                                       const std::vector<std::string>& systemFolders,
                                       const std::string& pathVariable) {
  std::vector<std::string> folders = {pluginFolder};
  folders.insert(folders.end(), systemFolders.begin(), systemFolders.end());
  for (size_t start = 0; start <= pathVariable.size();) {
    size_t end = pathVariable.find(';', start);
    if (end == std::string::npos) end = pathVariable.size();
    std::string entry = pathVariable.substr(start, end - start);
    entry.erase(std::remove(entry.begin(), entry.end(), '"'), entry.end());
    folders.push_back(entry);
    start = end + 1;
  }
  std::vector<std::string> places;
  std::vector<std::string> seen;
  for (const std::string& folder : folders) {
    if (!isAbsolute(folder)) continue;
    const std::string bare = withoutTrailingSlash(folder);
    const std::string key = lowerAscii(bare);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    const char last = bare.back();
    places.push_back(bare + (last == '\\' || last == '/' ? "" : "\\") + fileName);
  }
  return places;
}
