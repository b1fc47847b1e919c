// A message file: entries of key, text, translation and one reserved line. Real files are loose
// (blank lines between entries, '#' for an empty translation), so the reader is tolerant.
#ifndef KX_EMULATED_HOST_MESSAGE_FILE_H
#define KX_EMULATED_HOST_MESSAGE_FILE_H

#include <map>
#include <string>
#include <vector>

class MessageFile {
 public:
  bool load(const std::string& path, std::string* error);
  void parse(const std::string& text);
  // The text, or for a translated host the translation when there is one; false when the key is
  // unknown.
  bool lookup(const std::string& key, bool translated, std::string* text) const;
  size_t size() const { return mTexts.size(); }

  // Where the host looks for a message file below text_dir, in order.
  static std::vector<std::string> candidates(const std::string& textDir,
                                             const std::string& language,
                                             const std::string& fileName);

 private:
  std::map<std::string, std::pair<std::string, std::string>> mTexts;
};

#endif
