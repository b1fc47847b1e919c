// The text of a host registry file (protk.dat) as the setup tool changes it: the plug-in's entry
// goes in as one block behind a marker line and comes out again, everything else of the user's
// file stays byte for byte. No Windows header: built natively too.
#pragma once

#include <string>
#include <vector>

namespace registry_text {

// The name under which the host knows the plug-in.
extern const char* const kAppName;
// The comment line that opens the block the setup tool adds.
extern const char* const kMarker;

// The block: the marker line and the entry with the two absolute paths, CR LF lines.
std::string entryBlock(const std::string& dllPath, const std::string& textDir);

// Whether the text holds the block the setup tool adds.
bool hasBlock(const std::string& text);

// The line number (from 1) of an entry outside the block whose name is `name` (compared without
// case, as the host does); 0 when there is none.
int lineNamingApplication(const std::string& text, const std::string& name);

// The text without the block (from the marker line through the next "end" line); a line end
// that withBlock put before it stays. A text without the block comes back unchanged.
std::string withoutBlock(const std::string& text);

// The text with `block` as its only block: an earlier one is taken out, the new one appended
// (after a CR LF when the text does not end with a line end).
std::string withBlock(const std::string& text, const std::string& block);

// One keyword line of an entry: its line number (from 1), the keyword in lower case, its value.
struct EntryLine {
  int line;
  std::string keyword;
  std::string value;
};
// The lines of the first entry named `name` (without case), from the line after the previous
// entry's "end" up to its own "end" line, which is not among them; *isEnded tells whether that
// line was there. Comments are left out. Empty when no entry has the name.
std::vector<EntryLine> entryNamed(const std::string& text, const std::string& name, bool* isEnded);

// Whether nothing but blanks, empty lines and comments is left.
bool isEmpty(const std::string& text);

}  // namespace registry_text
