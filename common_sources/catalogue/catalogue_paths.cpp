#include "catalogue_paths.h"

std::string findLoadPoint(const std::string& executablePath,
                          const std::function<bool(const std::string&)>& isDirectory) {
  std::string path = executablePath;
  while (path.size() > 3) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos) break;
    path.erase(slash);
    if (isDirectory(path + "\\text\\compiled_resource")) {
      return path.size() > 3 ? path : std::string();
    }
  }
  return std::string();
}

std::string chooseCatalogueLanguage(const std::string& systemLanguage, const char* lang,
                                    const char* proLang, const std::string& setting) {
  std::string language = systemLanguage;
  if (lang) language = lang;
  if (proLang) language = proLang;
  if (!setting.empty()) language = setting;
  for (char& c : language) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return language;
}
