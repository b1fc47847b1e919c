// The fixed list of commands the emulated host knows, with the arguments each accepts.
#ifndef KX_EMULATED_HOST_HOST_COMMANDS_H
#define KX_EMULATED_HOST_HOST_COMMANDS_H

#include <string>
#include <vector>

class HostCommands {
 public:
  static const char* const kTrailTrain;
  static const char* const kFileOpenConfirm;
  static const char* const kDisplay;

  // Empty result: the command may run. Otherwise the host's complaint.
  static std::string check(const std::string& name, const std::string& arg);
  static bool isKnown(const std::string& name);
  static std::vector<std::string> names();
  // More commands from a file: one per line, "Name" or "Name|arg|arg..."; '#' starts a comment.
  static bool load(const std::string& path, std::string* error);
  static bool parse(const std::string& text, const std::string& fileName, std::string* error);
};

#endif
