#include "macro_text.h"

std::string buildMacroText(const std::string& entry) {
  // Only the first "*" separates; later ones belong to the argument.
  const std::string::size_type star = entry.find('*');
  const std::string command = star == std::string::npos ? entry : entry.substr(0, star);
  const std::string argument = star == std::string::npos ? std::string() : entry.substr(star + 1);
  // An empty argument, also after a trailing "*", gives the one-word form.
  if (argument.empty()) return "~ Command `" + command + "`;";
  return "~ Command `" + command + "` `" + argument + "`;";
}
