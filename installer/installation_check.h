// The installation part of the setup tool's check: the registry file's entry, the plug-in file it
// names and the message file, judged from what the Windows side read. No Windows header.
#pragma once

#include <string>

class CheckReport;

namespace installation_check {

struct Entry {
  std::string mExecFile;
  std::string mTextDir;
};

// The registry file (null text: there is none); returns the entry's two paths, empty where the
// entry gives no usable one.
Entry checkRegistry(const std::string& registryPath, const std::string* text, CheckReport& report);
// The file exec_file names (null bytes: there is none); false when it cannot be the plug-in.
bool checkPluginFile(const std::string& path, const std::string* bytes, CheckReport& report);
// text_dir and whether the message file is in it.
void checkMessageFile(const std::string& messageFile, bool isPresent, CheckReport& report);
// The installed plug-in against the one of the package the tool comes from (null: not there).
void checkPackage(const std::string& version, const std::string* packageBytes,
                  const std::string* installedBytes, CheckReport& report);

}  // namespace installation_check
