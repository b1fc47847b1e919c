// The reader of "Creo.mnu" on arbitrary file content: the file is written by the configuration
// tool's side as well as by the plug-in, so it may hold anything. Besides crashes and undefined
// behaviour: a command is the text between the first "}" and the first "|" of its value, so it
// never holds a "|", and reading is a function of the bytes.
#include <cstdint>
#include <string>

#include "fuzz_util.h"
#include "menu_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const MenuFileLists lists = parseMenuFileText(text, size);
  for (const std::string& command : lists.menuCommands) {
    if (command.find('|') != std::string::npos) kxfuzz::fail("'|' in command: " + command);
  }
  const MenuFileLists again = parseMenuFileText(text, size);
  if (again.modeNames != lists.modeNames || again.menuCommands != lists.menuCommands) {
    kxfuzz::fail("the same bytes read differently");
  }
  return 0;
}
