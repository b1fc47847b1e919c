// The host's application registry file (protk.dat): "keyword value" lines, each entry closed by
// "end".
#ifndef KX_EMULATED_HOST_REGISTRY_FILE_H
#define KX_EMULATED_HOST_REGISTRY_FILE_H

#include <string>
#include <vector>

struct RegistryEntry {
  std::string name;
  std::string startup;
  std::string execFile;
  std::string textDir;
  bool allowStop = false;
  int line = 0;  // the line of "name"
};

class RegistryFile {
 public:
  bool load(const std::string& path, std::string* error);
  // Text as read from a file called `fileName`, which is only used in messages.
  bool parse(const std::string& text, const std::string& fileName, std::string* error);
  const std::vector<RegistryEntry>& entries() const { return mEntries; }

 private:
  std::vector<RegistryEntry> mEntries;
};

#endif
