#include "macro_text.h"

std::string buildMacroText(const std::string& entry) {
  // Only the first "*" separates; later ones belong to the argument.
  const std::string::size_type star = entry.find('*');
  if (star == std::string::npos) return "~ Command `" + entry + "`;";
  return "~ Command `" + entry.substr(0, star) + "` `" + entry.substr(star + 1) + "`;";
}
