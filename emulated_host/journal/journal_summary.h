// A readable summary of a journal file for people: counts per event kind and the story of the
// plug-in's session.
#ifndef KX_EMULATED_HOST_JOURNAL_SUMMARY_H
#define KX_EMULATED_HOST_JOURNAL_SUMMARY_H

#include <string>

class JournalSummary {
 public:
  // Returns false (with an error) when the file cannot be read or holds a bad line.
  static bool summarize(const std::string& path, std::string* out, std::string* error);
};

#endif
