#include "app/text_file.h"

#include <fstream>
#include <sstream>

bool readTextFile(const std::string& path, const char* what, std::string* text,
                  std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open " + what;
    return false;
  }
  std::stringstream content;
  content << in.rdbuf();
  *text = content.str();
  return true;
}
